#pragma once
#include <string_view>

namespace delve {

// Reads a whole decimal number from a command line or a script word: digits
// only, with a leading '-' only for a negative value where the range allows
// one (no spaces, no '+', no "-0", and no byte after the digits, a NUL
// included). False when anything else is there or the value lies outside
// lo..hi.
inline bool parseInteger(std::string_view s, long long lo, long long hi, long long& out) {
    const bool negative = !s.empty() && s[0] == '-' && lo < 0;
    if (negative) s.remove_prefix(1);
    if (s.empty()) return false;
    // The magnitude may reach |lo|; anything beyond both bounds is refused
    // before it could overflow.
    const unsigned long long limit =
        negative ? 0ULL - (unsigned long long)lo : (unsigned long long)(hi < 0 ? 0 : hi);
    unsigned long long v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        const unsigned digit = unsigned(c - '0');
        if (v > limit / 10 || (v == limit / 10 && digit > limit % 10)) return false;
        v = v * 10 + digit;
    }
    if (negative && v == 0) return false;
    const long long value = negative ? (long long)(0ULL - v) : (long long)v;
    if (value < lo || value > hi) return false;
    out = value;
    return true;
}

} // namespace delve
