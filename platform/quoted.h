#pragma once
#include <string>
#include <string_view>

namespace delve {

// Text from outside (a script line, a command-line value) as a message may
// show it: in double quotes, every byte that is not printable ASCII written
// as \xNN (so no escape sequence or binary byte reaches a terminal), '"'
// and '\' escaped, and cut after `most` characters with "..." after the
// closing quote, so a line of megabytes gives a line of a message.
std::string quoteText(std::string_view text, size_t most = 80);

} // namespace delve
