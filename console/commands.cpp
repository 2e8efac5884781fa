#include "console/commands.h"

#include <cstdio>
#include <cstring>
#include <strings.h>

#include "console/console.h"
#include "console/own_commands.h"

namespace delve {

const char* CommandCall::word(int i) const {
    if (i < 0 || i >= words || i >= CommandTokenCount ||
        size_t(i) >= console.commandTokens.size())
        return "";
    return console.commandTokens[size_t(i)].data();
}

int CommandCall::number(int i) const { return readNumber(word(i)); }

void CommandCall::answer(const char* text) const { showConsoleMessage(console, ctx.clock, text); }

namespace {

// The length of the word at the start of `words` (up to a space or the end).
size_t wordLength(const char* words) {
    const char* space = std::strchr(words, ' ');
    return space ? size_t(space - words) : std::strlen(words);
}

bool tokenIs(const ConsoleState& console, int index, const char* word, size_t n) {
    if (index >= console.tokenCount || index >= CommandTokenCount ||
        size_t(index) >= console.commandTokens.size())
        return false;
    const char* token = console.commandTokens[size_t(index)].data();
    return std::strlen(token) == n && strncasecmp(token, word, n) == 0;
}

// Whether the line's first words are the row's fixed words.
bool wordsMatch(const ConsoleState& console, const char* words, bool firstOnly) {
    int index = 0;
    for (const char* w = words; *w;) {
        const size_t n = wordLength(w);
        if (!tokenIs(console, index, w, n)) return false;
        if (firstOnly) return true;
        ++index;
        w += n;
        while (*w == ' ') ++w;
    }
    return true;
}

} // namespace

ConsoleCommands::ConsoleCommands() { addConsoleOwnCommands(*this); }

void ConsoleCommands::addCommand(ConsoleCommand row) { rows_.push_back(std::move(row)); }

bool ConsoleCommands::guard(const char* words, const char* help,
                            std::function<const char*()> refusal) {
    for (ConsoleCommand& row : rows_) {
        if (std::strcmp(row.words, words) != 0) continue;
        row.help = help;
        row.refusal = std::move(refusal);
        return true;
    }
    return false;
}

const ConsoleCommand* ConsoleCommands::find(const ConsoleState& console,
                                            const char** usage) const {
    *usage = nullptr;
    for (const ConsoleCommand& row : rows_) {
        if (!wordsMatch(console, row.words, true)) continue;
        if (wordsMatch(console, row.words, false) &&
            (row.wordCount == AnyWordCount || row.wordCount == console.tokenCount))
            return &row;
        if (!*usage) *usage = row.usage;
    }
    return nullptr;
}

void ConsoleCommands::writeHelp(char* out, int size, int width) const {
    int used = std::snprintf(out, size_t(size), "commands:");
    int column = used;
    auto append = [&](const char* text, const char* gap) {
        if (used >= size) return;
        const int n = std::snprintf(out + used, size_t(size - used), "%s%s", gap, text);
        used += n;
        column = std::strcmp(gap, "\n") == 0 ? n - 1 : column + n;
    };
    for (const ConsoleCommand& row : rows_) {
        if (!*row.help) continue;
        const int n = int(std::strlen(row.help));
        append(row.help, column + 2 + n > width ? "\n" : "  ");
    }
    append("Tab or Esc closes the console. Ctrl+U clears the line.", "\n");
}

} // namespace delve
