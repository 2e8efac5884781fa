#include "console/slot_check.h"

#include <cinttypes>
#include <cstdio>

namespace delve {

namespace {

constexpr const char* CheckHeader = "delve slot check 1";

void formatLine(std::string& out, const char* prefix, const char* kind, uint64_t size,
                uint64_t digest) {
    char line[128];
    std::snprintf(line, sizeof line, "%s%s %" PRIu64 " %016" PRIx64 "\n", prefix, kind, size,
                  digest);
    out += line;
}

void formatDigests(std::string& out, const char* prefix, const SlotDigests& d) {
    for (int i = 0; i < SlotFileCount; ++i)
        formatLine(out, prefix, SlotFileKinds[i], d.size[i], d.digest[i]);
    if (d.hasContest) formatLine(out, prefix, ContestFileKind, d.contestSize, d.contestDigest);
}

// Whether the line at `pos` starts with "<prefix><kind> ".
bool lineIs(const std::string& text, size_t pos, const char* prefix, const char* kind) {
    const std::string head = std::string(prefix) + kind + " ";
    return text.compare(pos, head.size(), head) == 0;
}

// Reads one "<prefix><kind> <size> <16 hex digits>" line at `pos`.
bool parseDigestLine(const std::string& text, size_t& pos, const char* prefix, const char* kind,
                     uint64_t& sizeOut, uint64_t& digestOut) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) return false;
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;

    std::string head = std::string(prefix) + kind + " ";
    if (line.compare(0, head.size(), head) != 0) return false;
    const char* p = line.c_str() + head.size();
    uint64_t size = 0;
    int digits = 0;
    while (*p >= '0' && *p <= '9') {
        const uint64_t digit = uint64_t(*p - '0');
        if (size > (UINT64_MAX - digit) / 10) return false; // does not fit
        size = size * 10 + digit;
        ++p;
        ++digits;
    }
    // Written without leading zeros; nothing else is this format.
    if (digits == 0 || *p != ' ' || (digits > 1 && line[head.size()] == '0')) return false;
    ++p;
    uint64_t digest = 0;
    for (int i = 0; i < 16; ++i, ++p) {
        int v;
        if (*p >= '0' && *p <= '9') v = *p - '0';
        else if (*p >= 'a' && *p <= 'f') v = *p - 'a' + 10;
        else return false;
        digest = (digest << 4) | uint64_t(v);
    }
    if (*p != 0) return false;
    sizeOut = size;
    digestOut = digest;
    return true;
}

// The three files' lines, then the contest file's line when there is one.
bool parseDigests(const std::string& text, size_t& pos, const char* prefix, SlotDigests& d) {
    for (int i = 0; i < SlotFileCount; ++i)
        if (!parseDigestLine(text, pos, prefix, SlotFileKinds[i], d.size[i], d.digest[i]))
            return false;
    if (pos < text.size() && lineIs(text, pos, prefix, ContestFileKind)) {
        if (!parseDigestLine(text, pos, prefix, ContestFileKind, d.contestSize, d.contestDigest))
            return false;
        d.hasContest = true;
    }
    return true;
}

} // namespace

std::string formatSlotCheck(const SlotCheck& check) {
    std::string out = CheckHeader;
    out += '\n';
    formatDigests(out, "", check.current);
    if (check.hasPrevious) formatDigests(out, "previous ", check.previous);
    return out;
}

bool parseSlotCheck(const std::string& text, SlotCheck& check) {
    SlotCheck parsed;
    std::string header = std::string(CheckHeader) + "\n";
    if (text.compare(0, header.size(), header) != 0) return false;
    size_t pos = header.size();
    if (!parseDigests(text, pos, "", parsed.current)) return false;
    if (pos < text.size()) {
        if (!parseDigests(text, pos, "previous ", parsed.previous)) return false;
        parsed.hasPrevious = true;
    }
    if (pos != text.size()) return false;
    check = parsed;
    return true;
}

} // namespace delve
