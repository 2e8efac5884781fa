#pragma once
#include <functional>
#include <vector>

namespace delve {

struct ConsoleState;
struct ConsoleContext;

// A row that takes any number of words after its own (the cell commands).
constexpr int AnyWordCount = -1;

// What a command's handler works on: the console (its words and its answer)
// and everything a console step may change.
struct CommandCall {
    ConsoleState& console;
    const ConsoleContext& ctx;
    int words; // words on the line, also those beyond the 20 kept

    // Word `i` of the line, or "" past the last one kept.
    const char* word(int i) const;
    // Word `i` read as a decimal number (see readNumber).
    int number(int i) const;
    // Shows `text` as the command's answer under the prompt.
    void answer(const char* text) const;
};

// When a row's handler runs within the frame.
enum class CommandTime {
    // As the line is run, before the console step draws its answer.
    InConsoleStep,
    // After the console step has drawn everything, where the frame goes
    // on: for a command that changes what the rest of the frame draws (a
    // new screen mode), so the frame it is typed in looks as before.
    AfterConsoleStep,
};

// One console command: a row of the console's command table.
struct ConsoleCommand {
    // The fixed words that name it, separated by single spaces, matched
    // without regard to case ("save game").
    const char* words = "";
    // The words a line must have to run it, arguments included, or
    // AnyWordCount.
    int wordCount = 1;
    std::function<void(const CommandCall&)> handler;
    // Its line in the answer to help; "" for a row told by the row before
    // it (an alias).
    const char* help = "";
    // The answer to a line that starts with this row's first word but does
    // not fit it; null: such a line is an unknown command.
    const char* usage = nullptr;
    CommandTime time = CommandTime::InConsoleStep;
    // Asked before the handler runs: an answer refusing the command, or
    // null to let it run (see ConsoleCommands::guard).
    std::function<const char*()> refusal;
};

// The console's command table. The console fills it with its own commands;
// the program adds those that act on the game at start-up. A line runs the
// first row whose words and word count fit it.
class ConsoleCommands {
public:
    // The console's own commands.
    ConsoleCommands();

    void addCommand(ConsoleCommand row);
    // Lets `refusal` refuse the row named `words` (with its answer) while
    // the program cannot allow it, and gives the row the help line `help`
    // that says so; false when no row has those words.
    bool guard(const char* words, const char* help, std::function<const char*()> refusal);

    // The row that runs the split line in `console`, or null; `usage` is set
    // to the answer for a line that names a row but does not fit it (null
    // for an unknown command).
    const ConsoleCommand* find(const ConsoleState& console, const char** usage) const;
    // The answer to help, made from the rows: their help lines, packed into
    // lines of at most `width` characters, with the editing keys after them.
    void writeHelp(char* out, int size, int width) const;

    const std::vector<ConsoleCommand>& rows() const { return rows_; }

private:
    std::vector<ConsoleCommand> rows_;
};

} // namespace delve
