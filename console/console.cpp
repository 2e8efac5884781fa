#include "console/console.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "platform/shell.h"
#include "gfx/text.h"
#include "platform/clock.h"
#include "platform/input.h"

namespace delve {

namespace {

bool isSeparator(char c) { return c == ' ' || c == '-' || c == ',' || c == '\t' || c == '\n'; }

} // namespace

int readNumber(const char* word) {
    const char* p = word;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > (long long)INT_MAX + 1) value = (long long)INT_MAX + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    return int(value);
}

int splitCommandLine(ConsoleState& console, const char* line) {
    if (console.commandTokens.size() < size_t(CommandTokenCount)) initCommandStore(console);
    for (auto& token : console.commandTokens) token[0] = 0;
    int count = 0;
    const char* p = line;
    const char* end = line + strnlen(line, CommandTextSize - 1);
    while (p < end) {
        while (p < end && isSeparator(*p)) ++p;
        if (p == end) break;
        const char* start = p;
        while (p < end && !isSeparator(*p)) ++p;
        if (count < CommandTokenCount) {
            auto& token = console.commandTokens[size_t(count)];
            size_t n = size_t(p - start);
            std::memcpy(token.data(), start, n);
            token[n] = 0;
        }
        ++count;
    }
    console.tokenCount = count;
    return count;
}

void runCommand(ConsoleState& console, const ConsoleContext& ctx) {
    const int n = splitCommandLine(console, console.commandLine);
    // Each command answers; a line that matches none says so.
    console.message[0] = 0;
    if (n == 0) return;
    const char* usage = nullptr;
    const ConsoleCommand* row = console.commands.find(console, &usage);
    if (!row) {
        if (usage) {
            showConsoleMessage(console, ctx.clock, usage);
            return;
        }
        char answer[ConsoleMessageSize];
        std::snprintf(answer, sizeof answer, "unknown command: %.40s (type help)",
                      console.commandTokens[0].data());
        showConsoleMessage(console, ctx.clock, answer);
        return;
    }
    if (row->refusal) {
        if (const char* refused = row->refusal()) {
            showConsoleMessage(console, ctx.clock, refused);
            return;
        }
    }
    if (row->time == CommandTime::AfterConsoleStep) {
        console.pendingCommand = int(row - console.commands.rows().data());
        return;
    }
    row->handler(CommandCall{console, ctx, n});
}

void showConsoleMessage(ConsoleState& console, const Clock& clock, const char* message) {
    std::snprintf(console.message, sizeof console.message, "%s", message);
    console.messageUntilMs = clock.nowMs() + ConsoleMessageMs;
}

bool consoleMessageVisible(const ConsoleState& console, const Clock& clock) {
    return console.message[0] != 0 &&
           (console.consoleOpen == 1 || clock.nowMs() < console.messageUntilMs);
}

namespace {

// The answer under the prompt; a longer one (help) stands line by line
// above it, where nothing else is drawn.
void drawAnswer(const ConsoleState& console, TextBuffer& text, Screen& screen) {
    const char* p = console.message;
    const char* firstBreak = std::strchr(p, '\n');
    if (!firstBreak) {
        text.set(p);
        drawSmallText(screen, text, ConsoleMessageX, ConsoleMessageY, 255, 120, 90);
        return;
    }
    int lines = 1;
    for (const char* q = p; *q; ++q) lines += *q == '\n';
    int y = ConsolePromptY + 12 + (lines - 1) * 9;
    while (*p) {
        const char* end = std::strchr(p, '\n');
        const size_t n = end ? size_t(end - p) : std::strlen(p);
        text.format("%.*s", int(n), p);
        drawSmallText(screen, text, ConsoleMessageX, y, 255, 120, 90);
        y -= 9;
        p += n;
        if (*p == '\n') ++p;
    }
}

// A command that changes what the rest of the frame draws runs last, after
// the prompt and the answer are drawn.
void runPendingCommand(ConsoleState& console, const ConsoleContext& ctx) {
    if (console.pendingCommand < 0) return;
    const ConsoleCommand& row = console.commands.rows()[size_t(console.pendingCommand)];
    console.pendingCommand = -1;
    row.handler(CommandCall{console, ctx, console.tokenCount});
}

} // namespace

void runConsole(ConsoleState& console, const ConsoleContext& ctx) {
    editCommandLine(console, ctx.input, ctx.clock, ConsoleLineLimit);
    ctx.input.captureTyping(console.consoleOpen == 1);
    if (console.consoleOpen == 1 && console.commandReady == 0)
        drawCommandLine(console, ctx.shell.frameCounter, ctx.screen, ctx.text, ConsolePromptX,
                        ConsolePromptY, ConsolePrompt);
    // Inside a save's or load's progress frames a finished line waits.
    if (console.commandReady == 1 && !console.slotBusy) {
        console.commandReady = 0;
        runCommand(console, ctx);
    }
    if (consoleMessageVisible(console, ctx.clock)) drawAnswer(console, ctx.text, ctx.screen);
    runPendingCommand(console, ctx);
}

void runConsole(ConsoleState& console, Input& input, Clock& clock, Shell& shell, Screen& screen,
                TextBuffer& text, WorldMap& world, Units& units, FrameHost& host,
                const std::string& saveDir) {
    const ConsoleContext ctx{input, clock, shell, screen, text, world, units, host, saveDir};
    runConsole(console, ctx);
}

} // namespace delve
