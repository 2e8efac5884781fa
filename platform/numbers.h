#pragma once
#include <cerrno>
#include <cstdlib>

namespace delve {

// Reads a whole decimal number from a command line or a script word: digits
// only, with a leading '-' only where the range allows negatives (no spaces
// and no '+', which strtoll alone would take). False when anything else is
// there or the value lies outside lo..hi.
inline bool parseInteger(const char* s, long long lo, long long hi, long long& out) {
    if (!s) return false;
    const char* digits = (lo < 0 && *s == '-') ? s + 1 : s;
    if (!(*digits >= '0' && *digits <= '9')) return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(s, &end, 10);
    if (errno != 0 || *end != '\0' || v < lo || v > hi) return false;
    out = v;
    return true;
}

} // namespace delve
