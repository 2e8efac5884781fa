#include "app/screenshot.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <vector>

#include "app/game.h"
#include "gfx/png.h"
#include "platform/output_file.h"

namespace delve {

namespace {

// Far more than the dozen lines a user-dirs.dirs holds.
constexpr uint64_t MaxUserDirsBytes = 64 * 1024;

// The value of XDG_PICTURES_DIR in a user-dirs.dirs file: a line
// XDG_PICTURES_DIR="$HOME/Pictures" (only $HOME is expanded there). The
// file is read like every other: a regular file of bounded size, opened
// without blocking; anything else counts as no file.
std::string picturesFromUserDirs(const std::string& file, const std::string& home) {
    std::vector<uint8_t> bytes;
    if (readWholeFile(file, bytes, MaxUserDirsBytes) != 0) return {};
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::string line;
    const std::string key = "XDG_PICTURES_DIR=";
    while (std::getline(in, line)) {
        if (line.compare(0, key.size(), key) != 0) continue;
        std::string v = line.substr(key.size());
        if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
        if (v.compare(0, 5, "$HOME") == 0) v = home + v.substr(5);
        if (!v.empty() && v.front() == '/') return v;
    }
    return {};
}

} // namespace

std::string screenshotFolder(const std::function<const char*(const char*)>& getenv) {
    auto absolute = [&](const char* name) -> std::string {
        const char* v = getenv(name);
        return v && *v == '/' ? std::string(v) : std::string();
    };
    // Built in one go: assigning "." afterwards makes GCC 12 at -O3 warn
    // falsely (-Wrestrict) about the copy.
    const std::string homeVariable = absolute("HOME");
    const std::string home = homeVariable.empty() ? std::string(".") : homeVariable;
    std::string pictures = absolute("XDG_PICTURES_DIR");
    if (pictures.empty()) {
        std::string config = absolute("XDG_CONFIG_HOME");
        if (config.empty()) config = home + "/.config";
        pictures = picturesFromUserDirs(config + "/user-dirs.dirs", home);
    }
    if (pictures.empty()) pictures = home + "/Pictures";
    return pictures + "/delve";
}

std::string screenshotName(const std::tm& when,
                           const std::function<bool(const std::string&)>& exists) {
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "delve-%Y-%m-%d_%H-%M-%S", &when);
    std::string name = std::string(stamp) + ".png";
    for (int n = 2; exists(name); ++n) name = std::string(stamp) + "-" + std::to_string(n) + ".png";
    return name;
}

std::string takeScreenshot(Game& g) {
    namespace fs = std::filesystem;
    const fs::path folder = screenshotFolder([](const char* n) { return std::getenv(n); });
    std::error_code ec;
    fs::create_directories(folder, ec);
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    // The picture of the view as the player saw it, in the framebuffer.
    resolvePicture(g.parts_->firstPerson, g.parts_->screen, g.parts_->shell);
    std::vector<uint8_t> png;
    int error = encodePngBottomUp(g.parts_->screen.width, g.parts_->screen.height, g.parts_->screen.framebuffer.data(), png);
    std::string name, path;
    // A new file only: an existing one (another program's, or one that
    // appears meanwhile) is never replaced; a name taken meanwhile moves
    // the picture on to the next free one.
    for (int attempt = 0; error == 0 && attempt < 100; ++attempt) {
        name = screenshotName(local, [&](const std::string& n) {
            return fs::exists(fs::symlink_status(folder / n, ec));
        });
        path = (folder / name).string();
        error = writeNewOutput(path, png.data(), png.size());
        if (error != EEXIST) break;
        error = 0;
    }
    char notice[ConsoleMessageSize];
    if (error == 0) {
        std::printf("delve: screenshot %s\n", path.c_str());
        std::fflush(stdout);
        std::snprintf(notice, sizeof notice, "Screenshot %s", name.c_str());
    } else {
        std::fprintf(stderr, "delve: could not write screenshot %s: %s\n",
                     path.empty() ? folder.c_str() : path.c_str(),
                     fileErrorText(path.empty() ? folder.string() : path, error).c_str());
        std::snprintf(notice, sizeof notice, "Screenshot could not be saved");
    }
    showConsoleMessage(g.parts_->console, g.clock_, notice);
    return error == 0 ? path : std::string();
}

void takeFrameScreenshots(Game& g) {
    if (g.input_.wasPressed(Vk::F12)) takeScreenshot(g);
    for (const auto& [frame, path] : g.options_.screenshots) {
        if (frame != g.framesRun_) continue;
        if (!g.platform_->hasWindow()) {
            ++g.screenshotsFailed_;
            std::fprintf(stderr, "delve: screenshot %s: frame %d was shown in no window\n",
                         path.c_str(), frame);
            continue;
        }
        const Screen& screen = g.parts_->screen;
        resolvePicture(g.parts_->firstPerson, g.parts_->screen, g.parts_->shell);
        int error = 0;
        if (writePngBottomUp(path, screen.width, screen.height, screen.framebuffer.data(), &error)) {
            ++g.screenshotsWritten_;
        } else {
            ++g.screenshotsFailed_;
            std::fprintf(stderr, "delve: could not write screenshot %s: %s\n", path.c_str(),
                         fileErrorText(path, error).c_str());
        }
    }
}

} // namespace delve
