#include "platform/web_keys.h"

#include <cstring>

namespace delve {

namespace {

struct CodeName {
    const char* code;
    int vk;
};

constexpr CodeName NamedKeys[] = {
    {"Backspace", 8},      {"Tab", 9},             {"Enter", 13},         {"NumpadEnter", 13},
    {"ShiftLeft", 16},     {"ShiftRight", 16},     {"ControlLeft", 17},   {"ControlRight", 17},
    {"AltLeft", 18},       {"AltRight", 18},       {"Pause", 19},         {"CapsLock", 20},
    {"Escape", 27},        {"Space", 32},          {"PageUp", 33},        {"PageDown", 34},
    {"End", 35},           {"Home", 36},           {"ArrowLeft", 37},     {"ArrowUp", 38},
    {"ArrowRight", 39},    {"ArrowDown", 40},      {"Insert", 45},        {"Delete", 46},
    {"NumpadMultiply", 106}, {"NumpadAdd", 107},   {"NumpadSubtract", 109},
    {"NumpadDecimal", 110}, {"NumpadDivide", 111},
};

bool startsWith(const char* s, const char* prefix) {
    return std::strncmp(s, prefix, std::strlen(prefix)) == 0;
}

// The number after `prefix` when the rest of `s` is 1 to 2 digits, else -1.
int numberAfter(const char* s, const char* prefix) {
    if (!startsWith(s, prefix)) return -1;
    s += std::strlen(prefix);
    const size_t n = std::strlen(s);
    if (n < 1 || n > 2) return -1;
    int v = 0;
    for (size_t i = 0; i < n; ++i) {
        if (s[i] < '0' || s[i] > '9') return -1;
        v = v * 10 + (s[i] - '0');
    }
    return v;
}

} // namespace

int webVirtualKey(const char* key, const char* code) {
    if (!key) key = "";
    if (!code) code = "";
    // A letter key: the letter it types (one ASCII letter), else its place.
    if (key[0] != '\0' && key[1] == '\0') {
        const char c = key[0];
        if (c >= 'a' && c <= 'z') return 'A' + (c - 'a');
        if (c >= 'A' && c <= 'Z') return c;
    }
    if (startsWith(code, "Key") && code[3] >= 'A' && code[3] <= 'Z' && code[4] == '\0')
        return code[3];
    if (const int d = numberAfter(code, "Digit"); d >= 0 && d <= 9) return '0' + d;
    if (const int d = numberAfter(code, "Numpad"); d >= 0 && d <= 9) return 96 + d;
    if (const int f = numberAfter(code, "F"); f >= 1 && f <= 12) return 111 + f;
    for (const CodeName& k : NamedKeys)
        if (std::strcmp(code, k.code) == 0) return k.vk;
    return 0;
}

bool webKeyDefaultBlocked(int vk) {
    switch (vk) {
    case 8:  // Backspace: back in history
    case 9:  // Tab: focus leaves the game
    case 32: // Space and the arrows and page keys: scrolling
    case 33: case 34: case 35: case 36:
    case 37: case 38: case 39: case 40:
    case 107: case 109: // keypad plus and minus
        return true;
    default:
        return vk >= 112 && vk <= 123; // F1..F12: help, reload, full screen, tools
    }
}

} // namespace delve
