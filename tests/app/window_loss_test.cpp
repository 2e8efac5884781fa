// A window that cannot be made (at start-up or when F1-F6 re-create it)
// ends the program after the error box instead of leaving it running
// without a window to read keys from.
#include <gtest/gtest.h>

#include "app/game.h"
#include "platform/backends/backends.h"

using namespace delve;

namespace {

// The headless backend, with window creation failing from a chosen call on.
class FailingPlatform final : public Platform {
public:
    FailingPlatform(int failFromCall, int* boxes) : failFrom_(failFromCall), boxes_(boxes) {}
    bool createWindow(const char* title, int w, int h) override {
        if (++calls_ >= failFrom_) {
            messageBox("ERROR", "Window Creation Error.");
            return false;
        }
        return inner_->createWindow(title, w, h);
    }
    void destroyWindow() override { inner_->destroyWindow(); }
    bool hasWindow() const override { return inner_->hasWindow(); }
    void moveWindow(int x, int y, int w, int h) override { inner_->moveWindow(x, y, w, h); }
    void swapBuffers() override { inner_->swapBuffers(); }
    Message pumpOneMessage() override { return inner_->pumpOneMessage(); }
    bool nextDeviceEvent(DeviceEvent& ev) override { return inner_->nextDeviceEvent(ev); }
    bool setFullscreen(bool on) override { return inner_->setFullscreen(on); }
    bool fullscreen() const override { return inner_->fullscreen(); }
    void cursorScreenPosition(int& x, int& y) override { inner_->cursorScreenPosition(x, y); }
    ScreenRect windowRect() override { return inner_->windowRect(); }
    void showCursor(bool v) override { inner_->showCursor(v); }
    void messageBox(const char*, const char*) override { ++*boxes_; }
    bool headless() const override { return true; }

private:
    std::unique_ptr<Platform> inner_ = makeHeadlessPlatform();
    int failFrom_;
    int calls_ = 0;
    int* boxes_;
};

std::unique_ptr<Game> gameOn(int failFromCall, int* boxes, const char* script) {
    Options o;
    o.headless = o.fastClock = o.haveSeed = true;
    o.seed = 7;
    o.frames = 50;
    if (const char* d = std::getenv("DELVE_TEST_DATA")) o.dataDir = d;
    auto g = std::make_unique<Game>(o, std::make_unique<FailingPlatform>(failFromCall, boxes));
    std::vector<ScriptEvent> ev;
    std::string err;
    EXPECT_TRUE(parseInputScript(script, ev, err)) << err;
    g->input().useScript(ev);
    return g;
}

} // namespace

TEST(WindowLoss, AtStartUpTheGameDoesNotStart) {
    int boxes = 0;
    auto g = gameOn(1, &boxes, "");
    EXPECT_FALSE(startGame(*g));
    EXPECT_EQ(boxes, 1);
    EXPECT_TRUE(g->windowFailed());
    shutdownGame(*g);
}

TEST(WindowLoss, ModeKeysThatCannotRecreateItEndTheLoopAfterTheirFrame) {
    // Frame 3 presses the key; the second creation (the first re-creation) fails.
    for (int vk : {Vk::F1 + 2, Vk::F6}) {
        int boxes = 0;
        std::string script = "3 down " + std::to_string(vk) + "\n4 up " + std::to_string(vk) + "\n";
        auto g = gameOn(2, &boxes, script.c_str());
        ASSERT_TRUE(startGame(*g));
        runMainLoop(*g);
        EXPECT_EQ(g->framesRun(), 4) << vk;
        EXPECT_TRUE(g->windowFailed()) << vk;
        EXPECT_EQ(boxes, 1) << vk;
        EXPECT_FALSE(g->hasWindow()) << vk;
        shutdownGame(*g);
    }
}
