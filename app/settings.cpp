#include "app/settings.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "platform/files.h"
#include "platform/output_file.h"
#include "platform/numbers.h"

namespace delve {

namespace {

// The width of the mode whose scale is remembered: the first-person view,
// where every run starts. F6 and the contest open the map view at scale 1
// as part of that mode; that is not a scale the player chose.
constexpr int RememberedModeWidth = 320;

enum Key { Scale, Fullscreen, Fps, Renderer, KeyCount };
constexpr const char* KeyNames[KeyCount] = {"scale", "fullscreen", "fps", "renderer"};

// A value as the player wrote it, for a message on one line: quoted,
// unprintable bytes as \xNN, cut after 32 bytes.
std::string shown(std::string_view v) {
    std::string s = "\"";
    for (size_t i = 0; i < v.size() && i < 32; ++i) {
        const auto c = static_cast<unsigned char>(v[i]);
        if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\') {
            s += char(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            s += hex;
        }
    }
    if (v.size() > 32) s += "...";
    return s + "\"";
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool readInteger(std::string_view v, long long lo, long long hi, int& out) {
    long long n = 0;
    if (!parseInteger(v, lo, hi, n)) return false;
    out = int(n);
    return true;
}

// One `key = value`; false with `error` when the value is not one the key takes.
bool setKey(Key key, std::string_view value, Settings& s, std::string& error) {
    switch (key) {
    case Scale:
        if (readInteger(value, 1, 4, s.scale)) return true;
        error = "scale must be 1 to 4";
        break;
    case Fullscreen:
        if (value == "on" || value == "off") {
            s.fullscreen = value == "on";
            return true;
        }
        error = "fullscreen must be on or off";
        break;
    case Fps:
        if (readInteger(value, 0, 1000, s.fps)) return true;
        error = "fps must be 0 to 1000";
        break;
    case Renderer:
        if (value == "gl1" || value == "gles2") {
            s.renderer = value == "gl1" ? GraphicsApi::Gl1 : GraphicsApi::Gles2;
            return true;
        }
        error = "renderer must be gl1 or gles2";
        break;
    case KeyCount:
        break;
    }
    error += " (read " + shown(value) + ")";
    return false;
}

std::string baseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Makes the folders of `dir` that are missing, each private to the user as
// the desktop's configuration folders are.
void makeFolders(const std::filesystem::path& dir) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (dir.empty() || fs::is_directory(dir, ec)) return;
    makeFolders(dir.parent_path());
    if (fs::create_directory(dir, ec)) fs::permissions(dir, fs::perms::owner_all, ec);
}

} // namespace

std::string settingsPath(const std::function<const char*(const char*)>& getenv) {
    // Relative or empty values are to be ignored, as the desktop's
    // base-directory rules say.
    const char* config = getenv("XDG_CONFIG_HOME");
    if (config && *config == '/') return std::string(config) + "/delve/settings.ini";
    const char* home = getenv("HOME");
    const std::string base = home && *home == '/' ? std::string(home) : std::string(".");
    return base + "/.config/delve/settings.ini";
}

bool parseSettings(std::string_view text, Settings& out, int& line, std::string& error) {
    // Binary bytes anywhere (comments too) mean this is no text file.
    line = 1;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\n') ++line;
        if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7f) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "0x%02x", c);
            error = std::string("holds the control byte ") + hex + ": this is not a text file";
            return false;
        }
    }
    Settings s;
    int setOn[KeyCount] = {};
    line = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view l = text.substr(pos, end - pos);
        pos = end + 1;
        ++line;
        if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
        l = trimmed(l.substr(0, l.find('#')));
        if (l.empty()) continue;
        const size_t eq = l.find('=');
        if (eq == std::string_view::npos) {
            error = "expected key = value (read " + shown(l) + ")";
            return false;
        }
        const std::string_view name = trimmed(l.substr(0, eq));
        const std::string_view value = trimmed(l.substr(eq + 1));
        int key = 0;
        while (key < KeyCount && name != KeyNames[key]) ++key;
        if (key == KeyCount) {
            error = "unknown key " + shown(name) + " (the keys are scale, fullscreen, fps and renderer)";
            return false;
        }
        if (setOn[key]) {
            error = std::string(KeyNames[key]) + " is set twice (first on line " +
                    std::to_string(setOn[key]) + ")";
            return false;
        }
        setOn[key] = line;
        if (!setKey(Key(key), value, s, error)) return false;
    }
    out = s;
    return true;
}

std::string formatSettings(const Settings& s) {
    return std::string(
               "# Delve's settings. The game writes this file when one of them changes;\n"
               "# a file it cannot read is kept as settings.ini.bad and replaced by the\n"
               "# defaults. A flag on the command line wins for that run.\n"
               "#\n"
               "# scale       window scale of the first-person view: 1 to 4 (keys F1 to F4)\n"
               "# fullscreen  on or off (F11 or Alt+Enter)\n"
               "# fps         frames a second: 0 to 1000, 0 = as fast as it goes (--fps)\n"
               "# renderer    gl1 (fixed-function OpenGL) or gles2 (OpenGL ES 2) (--renderer)\n"
               "\n") +
           "scale = " + std::to_string(s.scale) + "\n" +
           "fullscreen = " + (s.fullscreen ? "on" : "off") + "\n" +
           "fps = " + std::to_string(s.fps) + "\n" +
           "renderer = " + (s.renderer == GraphicsApi::Gl1 ? "gl1" : "gles2") + "\n";
}

bool usesSettingsFile(const Options& o) {
    return !o.noSettings && !o.headless && !o.fastClock && o.inputScript.empty();
}

void applySettings(const Settings& s, Options& o) {
    if (o.fps < 0) o.fps = s.fps;
    if (!o.rendererGiven) o.renderer = s.renderer;
    o.windowScale = s.scale;
    o.fullscreen = s.fullscreen;
}

LoadedSettings loadSettings(const std::string& path) {
    LoadedSettings r;
    std::vector<uint8_t> bytes;
    const int err = readWholeFile(path, bytes, MaxSettingsBytes);
    if (err == ENOENT) return r; // a first run
    std::string fault;
    if (err == FileTooLarge) {
        fault = path + ": is larger than " + std::to_string(MaxSettingsBytes / 1024) + " KiB";
    } else if (err != 0) {
        // Not a file the game can read or replace: it stays for the player.
        r.writable = false;
        r.problem = path + ": " + fileErrorText(path, err) +
                    "; using the defaults and leaving it as it is";
        return r;
    } else {
        int line = 0;
        std::string error;
        if (parseSettings(std::string_view(reinterpret_cast<const char*>(bytes.data()),
                                           bytes.size()),
                          r.settings, line, error))
            return r;
        fault = path + ":" + std::to_string(line) + ": " + error;
    }
    // Damaged: set aside whole (a rename moves even 10 MB at no cost) and
    // replaced by the defaults, so the next run starts clean.
    const std::string bad = path + ".bad";
    if (const int moved = renameFile(path, bad)) {
        r.writable = false;
        r.problem = fault + "; using the defaults (could not keep it as " + baseName(bad) + ": " +
                    errorText(moved) + ")";
        return r;
    }
    r.problem = fault + "; using the defaults (the file is kept as " + baseName(bad) + ")";
    if (const int written = saveSettings(path, r.settings)) {
        r.writable = false;
        r.problem += "; cannot write the defaults: " + fileErrorText(path, written);
    }
    return r;
}

int saveSettings(const std::string& path, const Settings& s) {
    makeFolders(std::filesystem::path(path).parent_path());
    const std::string text = formatSettings(s);
    return replaceFile(path, text.data(), text.size());
}

SettingsKeeper::SettingsKeeper(std::string path, const Settings& onDisk, bool writable)
    : path_(std::move(path)), wanted_(onDisk), written_(onDisk), writable_(writable) {}

void SettingsKeeper::start(int screenWidth, int pixelZoom, bool fullscreen) {
    seenScale_ = screenWidth == RememberedModeWidth ? pixelZoom : wanted_.scale;
    seenFullscreen_ = fullscreen;
}

void SettingsKeeper::observe(int screenWidth, int pixelZoom, bool fullscreen) {
    if (screenWidth == RememberedModeWidth && pixelZoom != seenScale_) {
        seenScale_ = pixelZoom;
        wanted_.scale = pixelZoom;
    }
    if (fullscreen != seenFullscreen_) {
        seenFullscreen_ = fullscreen;
        wanted_.fullscreen = fullscreen;
    }
    if (!writable_ || wanted_ == written_) return;
    if (const int err = saveSettings(path_, wanted_)) {
        std::fprintf(stderr, "delve: cannot write the settings %s: %s\n", path_.c_str(),
                     fileErrorText(path_, err).c_str());
        writable_ = false;
        return;
    }
    written_ = wanted_;
    ++writes_;
}

} // namespace delve
