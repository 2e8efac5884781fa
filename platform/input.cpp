#include "platform/input.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace delve {

namespace {

bool parseInt(const std::string& word, long lo, long hi, int& out) {
    if (word.empty()) return false;
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(word.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < lo || v > hi) return false;
    out = int(v);
    return true;
}

} // namespace

bool parseInputScript(const std::string& text, std::vector<ScriptEvent>& events, std::string& error) {
    events.clear();
    std::istringstream lines(text);
    std::string line;
    int lineNo = 0;
    while (std::getline(lines, line)) {
        ++lineNo;
        if (auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::istringstream in(line);
        std::vector<std::string> words;
        for (std::string w; in >> w;) words.push_back(w);
        if (words.empty()) continue;
        auto fail = [&](const std::string& why) {
            error = "input script line " + std::to_string(lineNo) + ": " + why + ": \"" + line + "\"";
            return false;
        };
        ScriptEvent ev;
        if (!parseInt(words[0], 0, 2000000000L, ev.frame)) return fail("bad frame number");
        if (words.size() < 2) return fail("missing event");
        const std::string& kind = words[1];
        if (kind == "down" || kind == "up") {
            ev.kind = kind == "down" ? ScriptEvent::Down : ScriptEvent::Up;
            if (words.size() != 3 || !parseInt(words[2], 0, Vk::Count - 1, ev.a))
                return fail("expected a virtual-key code 0..255");
        } else if (kind == "cursor") {
            ev.kind = ScriptEvent::Cursor;
            if (words.size() != 4 || !parseInt(words[2], -100000, 100000, ev.a) ||
                !parseInt(words[3], -100000, 100000, ev.b))
                return fail("expected cursor X Y");
        } else if (kind == "close") {
            ev.kind = ScriptEvent::Close;
            if (words.size() != 2) return fail("close takes no arguments");
        } else {
            return fail("unknown event '" + kind + "'");
        }
        events.push_back(ev);
    }
    // Events apply in frame order; a stable sort keeps the script's order
    // within one frame.
    std::stable_sort(events.begin(), events.end(),
                     [](const ScriptEvent& a, const ScriptEvent& b) { return a.frame < b.frame; });
    return true;
}

int cursorFromScreenX(int cursorX, const ScreenRect& rect, int screenWidth) {
    float offset = float(cursorX - rect.left);
    float span = float(rect.right - rect.left);
    float value = offset / span * float(screenWidth);
    if (!(value >= 0.0f)) return 0; // also a zero-sized window
    if (value > float(screenWidth - 1)) return screenWidth - 1;
    return int(value);
}

int cursorFromScreenY(int cursorY, const ScreenRect& rect, int screenHeight) {
    float offset = float(rect.bottom - cursorY);
    float span = float(rect.bottom - rect.top);
    float value = offset / span * float(screenHeight);
    if (!(value >= 0.0f)) return 0;
    if (value > float(screenHeight - 1)) return screenHeight - 1;
    return int(value);
}

void Input::useScript(std::vector<ScriptEvent> events) {
    scripted_ = true;
    events_ = std::move(events);
    nextEvent_ = 0;
}

bool Input::applyScript(int frame) {
    bool close = false;
    while (nextEvent_ < events_.size() && events_[nextEvent_].frame <= frame) {
        const ScriptEvent& ev = events_[nextEvent_++];
        switch (ev.kind) {
        case ScriptEvent::Down: keys_[size_t(ev.a)] = true; break;
        case ScriptEvent::Up: keys_[size_t(ev.a)] = false; break;
        case ScriptEvent::Cursor: cursorX_ = ev.a; cursorY_ = ev.b; break;
        case ScriptEvent::Close: close = true; break;
        }
    }
    return close;
}

bool Input::beginFrame(int frame, int screenWidth, int screenHeight) {
    bool close = applyScript(frame);
    seen_.fill(false);
    if (recorder_ && recorder_->recording()) {
        if (!scripted_ && platform_) {
            // A live session: the devices are read once here, and the whole
            // frame reads this state, as a replay of the recording will.
            snapshot_ = true;
            for (int vk = 0; vk < Vk::Count; ++vk)
                keys_[size_t(vk)] = platform_->deviceKeyDown(vk);
            int x = 0, y = 0;
            platform_->cursorScreenPosition(x, y);
            const ScreenRect rect = platform_->windowRect();
            cursorX_ = cursorFromScreenX(x, rect, screenWidth);
            cursorY_ = cursorFromScreenY(y, rect, screenHeight);
        }
        recorder_->frame(frame, keys_, cursorX_, cursorY_);
    }
    return close;
}

bool Input::keyState(int virtualKey) {
    if (scripted_ || snapshot_ || !platform_) return keys_[size_t(virtualKey)];
    return platform_->deviceKeyDown(virtualKey);
}

bool Input::isKeyDown(int virtualKey) {
    if (virtualKey < 0 || virtualKey >= Vk::Count) return false;
    const size_t k = size_t(virtualKey);
    const bool down = keyState(virtualKey);
    if (!inProgress_) {
        if (down) seen_[k] = true;
        return down;
    }
    // A progress frame: a key still held since its main-loop frame saw it
    // has already acted.
    if (!down) {
        seen_[k] = false;
        return false;
    }
    return !seen_[k];
}

int Input::cursorX(int screenWidth) {
    if (scripted_ || snapshot_ || !platform_)
        return std::clamp(cursorX_, 0, std::max(0, screenWidth - 1));
    int x = 0, y = 0;
    platform_->cursorScreenPosition(x, y);
    return cursorFromScreenX(x, platform_->windowRect(), screenWidth);
}

int Input::cursorY(int screenHeight) {
    if (scripted_ || snapshot_ || !platform_)
        return std::clamp(cursorY_, 0, std::max(0, screenHeight - 1));
    int x = 0, y = 0;
    platform_->cursorScreenPosition(x, y);
    return cursorFromScreenY(y, platform_->windowRect(), screenHeight);
}

void Input::setKey(int virtualKey, bool down) {
    scripted_ = true;
    if (virtualKey >= 0 && virtualKey < Vk::Count) keys_[size_t(virtualKey)] = down;
}

void Input::setCursor(int x, int y) {
    scripted_ = true;
    cursorX_ = x;
    cursorY_ = y;
}

} // namespace delve

namespace delve {

InputRecorder::~InputRecorder() {
    if (file_) std::fclose(file_);
}

bool InputRecorder::open(const std::string& path, uint32_t seed) {
    if (file_) std::fclose(file_);
    file_ = std::fopen(path.c_str(), "w");
    if (!file_) return false;
    keys_.fill(false);
    cursorX_ = cursorY_ = 0;
    std::fprintf(file_, "# seed %u\n", unsigned(seed));
    std::fprintf(file_, "# replay: delve --headless --fast-clock --seed %u --input FILE\n",
                 unsigned(seed));
    return true;
}

void InputRecorder::frame(int frame, const std::array<bool, 256>& keys, int cursorX,
                          int cursorY) {
    if (!file_) return;
    if (cursorX != cursorX_ || cursorY != cursorY_) {
        std::fprintf(file_, "%d cursor %d %d\n", frame, cursorX, cursorY);
        cursorX_ = cursorX;
        cursorY_ = cursorY;
    }
    for (size_t vk = 0; vk < keys.size(); ++vk) {
        if (keys[vk] == keys_[vk]) continue;
        std::fprintf(file_, "%d %s %zu\n", frame, keys[vk] ? "down" : "up", vk);
        keys_[vk] = keys[vk];
    }
}

bool InputRecorder::finish(int frame) {
    if (!file_) return true;
    std::fprintf(file_, "%d close\n", frame);
    bool ok = std::ferror(file_) == 0;
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    return ok;
}

} // namespace delve
