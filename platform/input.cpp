#include "platform/input.h"

#include <algorithm>
#include <cstdarg>
#include <sstream>

#include "platform/numbers.h"
#include "platform/quoted.h"

namespace delve {

namespace {

// A whole word of digits (see parseInteger): "+1", "-0" and "65\0xyz" are
// no numbers.
bool parseInt(const std::string& word, long lo, long hi, int& out) {
    long long v = 0;
    if (!parseInteger(word, lo, hi, v)) return false;
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
            error = "input script line " + std::to_string(lineNo) + ": " + why + ": " + quoteText(line);
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
        } else if (kind == "fps") {
            // One pace for the whole script: a replay cannot change it midway.
            ev.kind = ScriptEvent::Pace;
            if (words.size() != 3 || !parseInt(words[2], 0, 1000, ev.a))
                return fail("expected frames a second 0..1000");
            if (ev.frame != 0) return fail("the pace is set at frame 0");
            if (scriptPace(events) >= 0) return fail("the pace is set once");
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

int scriptPace(const std::vector<ScriptEvent>& events) {
    for (const ScriptEvent& ev : events)
        if (ev.kind == ScriptEvent::Pace) return ev.a;
    return -1;
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

ScreenRect fullscreenPictureRect(const ScreenRect& area, int width, int height) {
    const int areaW = area.right - area.left, areaH = area.bottom - area.top;
    int scale = 1;
    if (width > 0 && height > 0) scale = std::max(1, std::min(areaW / width, areaH / height));
    const int w = width * scale, h = height * scale;
    ScreenRect r;
    r.left = area.left + (areaW - w) / 2;
    r.top = area.top + (areaH - h) / 2;
    r.right = r.left + w;
    r.bottom = r.top + h;
    return r;
}

bool Input::typesInConsole(int vk) {
    return vk == Vk::Space || vk == Vk::Backspace || vk == Vk::Enter ||
           (vk >= Vk::LetterA && vk < Vk::LetterA + 26) || (vk >= Vk::Digit0 && vk < Vk::Digit0 + 10);
}

void Input::useScript(std::vector<ScriptEvent> events) {
    scripted_ = true;
    events_ = std::move(events);
    nextEvent_ = 0;
}

bool Input::pushPress(int vk) {
    if (pressCount_ == presses_.size()) return false; // the player is far ahead of the game
    KeyPress& p = presses_[(pressHead_ + pressCount_) % presses_.size()];
    p.virtualKey = vk;
    p.shift = held_[Vk::Shift];
    p.alt = held_[Vk::Alt];
    p.control = held_[Vk::Control];
    ++pressCount_;
    return true;
}

void Input::applyTransition(int frame, int vk, bool down) {
    if (vk < 0 || vk >= Vk::Count) return;
    const size_t k = size_t(vk);
    if (recorder_ && recorder_->recording()) recorder_->keyEvent(frame, vk, down);
    // A down while already down (a lost release) is no new press.
    if (down && !held_[k]) {
        tapped_[k] = true;
        pushPress(vk);
    }
    held_[k] = down;
}

bool Input::applyScript(int frame) {
    bool close = false;
    while (nextEvent_ < events_.size() && events_[nextEvent_].frame <= frame) {
        const ScriptEvent& ev = events_[nextEvent_++];
        switch (ev.kind) {
        case ScriptEvent::Down: applyTransition(frame, ev.a, true); break;
        case ScriptEvent::Up: applyTransition(frame, ev.a, false); break;
        case ScriptEvent::Cursor: cursorX_ = ev.a; cursorY_ = ev.b; break;
        case ScriptEvent::Close: close = true; break;
        case ScriptEvent::Pace: break; // taken by the clock before the run
        }
    }
    return close;
}

bool Input::beginFrame(int frame, int screenWidth, int screenHeight) {
    tapped_.fill(false);
    seen_.fill(false);
    bool close = applyScript(frame);
    if (!scripted_ && platform_) {
        // A live session: the transitions since the last frame, in order,
        // and the cursor once; the whole frame reads this state, as a
        // replay of its recording will.
        DeviceEvent ev;
        while (platform_->nextDeviceEvent(ev)) applyTransition(frame, ev.virtualKey, ev.down);
        int x = 0, y = 0;
        platform_->cursorScreenPosition(x, y);
        ScreenRect rect = platform_->windowRect();
        if (platform_->fullscreen()) rect = fullscreenPictureRect(rect, screenWidth, screenHeight);
        cursorX_ = cursorFromScreenX(x, rect, screenWidth);
        cursorY_ = cursorFromScreenY(y, rect, screenHeight);
    }
    if (recorder_ && recorder_->recording()) recorder_->cursor(frame, cursorX_, cursorY_);
    return close;
}

bool Input::isKeyDown(int virtualKey) {
    if (virtualKey < 0 || virtualKey >= Vk::Count) return false;
    if (typingCaptured_ && typesInConsole(virtualKey)) return false;
    const size_t k = size_t(virtualKey);
    const bool down = held_[k] || tapped_[k];
    if (!inProgress_) {
        if (down) seen_[k] = true;
        return down;
    }
    // A progress frame: a key already seen by its main-loop frame has acted.
    return down && !seen_[k];
}

bool Input::wasPressed(int virtualKey) const {
    return virtualKey >= 0 && virtualKey < Vk::Count && tapped_[size_t(virtualKey)];
}

bool Input::isHeld(int virtualKey) const {
    return virtualKey >= 0 && virtualKey < Vk::Count && held_[size_t(virtualKey)];
}

bool Input::takePress(KeyPress& press) {
    if (!peekPress(press)) return false;
    pressHead_ = (pressHead_ + 1) % presses_.size();
    --pressCount_;
    return true;
}

bool Input::peekPress(KeyPress& press) const {
    if (inProgress_ || pressCount_ == 0) return false;
    press = presses_[pressHead_];
    return true;
}

int Input::cursorX(int screenWidth) { return std::clamp(cursorX_, 0, std::max(0, screenWidth - 1)); }

int Input::cursorY(int screenHeight) {
    return std::clamp(cursorY_, 0, std::max(0, screenHeight - 1));
}

void Input::setKey(int virtualKey, bool down) {
    scripted_ = true;
    if (virtualKey < 0 || virtualKey >= Vk::Count) return;
    const size_t k = size_t(virtualKey);
    if (down && !held_[k]) {
        pushPress(virtualKey);
        tapped_[k] = true;
    }
    held_[k] = down;
    if (!down) tapped_[k] = false;
}

void Input::setCursor(int x, int y) {
    scripted_ = true;
    cursorX_ = x;
    cursorY_ = y;
}

// An unfinished recording is abandoned by its OutputFile: on destruction,
// and when open() starts a new one.
int InputRecorder::open(const std::string& path, uint32_t seed, int framesPerSecond) {
    open_ = false;
    used_ = 0;
    haveCursor_ = false;
    error_ = out_.open(path);
    if (error_ != 0) return error_;
    open_ = true;
    line("# seed %u\n", unsigned(seed));
    line("# replay: delve --headless --fast-clock --seed %u --input FILE\n", unsigned(seed));
    line("0 fps %d\n", framesPerSecond);
    return 0;
}

void InputRecorder::line(const char* format, ...) {
    if (!open_) return;
    // One line is far shorter than the room kept free at the buffer's end.
    if (buffer_.size() - used_ < 256) flush();
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buffer_.data() + used_, buffer_.size() - used_, format, args);
    va_end(args);
    if (n > 0) used_ += size_t(n);
}

void InputRecorder::flush() {
    if (used_ == 0) return;
    if (error_ == 0) error_ = out_.write(buffer_.data(), used_);
    used_ = 0;
}

void InputRecorder::keyEvent(int frame, int virtualKey, bool down) {
    line("%d %s %d\n", frame, down ? "down" : "up", virtualKey);
}

void InputRecorder::cursor(int frame, int cursorX, int cursorY) {
    if (haveCursor_ && cursorX == cursorX_ && cursorY == cursorY_) return;
    line("%d cursor %d %d\n", frame, cursorX, cursorY);
    haveCursor_ = true;
    cursorX_ = cursorX;
    cursorY_ = cursorY;
}

int InputRecorder::finish(int frame) {
    if (!open_) return 0;
    line("%d close\n", frame);
    flush();
    open_ = false;
    if (error_ == 0) error_ = out_.commit();
    if (error_ != 0) out_.abandon();
    return error_;
}

} // namespace delve
