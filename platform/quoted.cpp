#include "platform/quoted.h"

#include <cstdio>

namespace delve {

std::string quoteText(std::string_view text, size_t most) {
    std::string out = "\"";
    size_t shown = 0;
    bool cut = false;
    for (unsigned char c : text) {
        char piece[5] = {char(c), 0, 0, 0, 0};
        if (c < 0x20 || c > 0x7e)
            std::snprintf(piece, sizeof piece, "\\x%02x", unsigned(c));
        else if (c == '"' || c == '\\')
            piece[0] = '\\', piece[1] = char(c);
        const std::string_view p(piece);
        if (shown + p.size() > most) {
            cut = true;
            break;
        }
        out += p;
        shown += p.size();
    }
    out += '"';
    if (cut) out += "...";
    return out;
}

} // namespace delve
