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

bool Input::isKeyDown(int virtualKey) {
    if (virtualKey < 0 || virtualKey >= Vk::Count) return false;
    if (scripted_ || !platform_) return keys_[size_t(virtualKey)];
    return platform_->deviceKeyDown(virtualKey);
}

int Input::cursorX(int screenWidth) {
    if (scripted_ || !platform_) return std::clamp(cursorX_, 0, std::max(0, screenWidth - 1));
    int x = 0, y = 0;
    platform_->cursorScreenPosition(x, y);
    return cursorFromScreenX(x, platform_->windowRect(), screenWidth);
}

int Input::cursorY(int screenHeight) {
    if (scripted_ || !platform_) return std::clamp(cursorY_, 0, std::max(0, screenHeight - 1));
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
