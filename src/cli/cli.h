// The command-line program: commands, their arguments and the non-interactive user interface.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "esfile/damage.h"
#include "ui.h"

namespace vellum::cli {

// Answers every question from settings given on the command line; never reads standard input.
class CliUi : public Ui {
  public:
    CliUi(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

    // The answer given to a kind of question; questions without a setting get No (Yes/No) or OK.
    std::map<Ask, Answer> answers;
    // Answers to input boxes, looked up by prompt text in order; unanswered prompts get defaultText.
    std::function<std::optional<std::string>(std::string_view prompt, std::string_view defaultText)> input;
    std::function<void(ResponseEdit&)> responseEditor; // default: leaves the response as it is
    std::function<void(ResultEdit&)> resultEditor;     // default: Skip
    bool quiet = false;                                // no log lines on standard output

    Answer messageBox(std::string_view text, std::string_view title, Buttons buttons, Icon icon,
                      Ask kind) override;
    std::optional<std::string> inputBox(std::string_view prompt, std::string_view title,
                                        std::string_view defaultText) override;
    void editResponse(ResponseEdit& edit) override;
    void editResult(ResultEdit& edit) override;
    void setProgress(double) override {}
    void appendLog(std::string_view line) override;

    std::vector<std::string> messages; // every message box text shown, in order

  private:
    std::ostream& out_;
    std::ostream& err_;
};

// Parsed arguments: positional words and --name[=value] options.
struct Args {
    std::vector<std::string> positional;
    std::map<std::string, std::vector<std::string>> options; // "--x=v" and "--x v" (for value options)
    bool has(const std::string& name) const { return options.count(name) > 0; }
    std::optional<std::string> value(const std::string& name) const;
};

// Splits argv into positional words and options. valueOptions take the next word when written without "=".
// Returns an error text for an option not in known.
std::optional<std::string> ParseArgs(const std::vector<std::string>& words,
                                     const std::vector<std::string>& known,
                                     const std::vector<std::string>& valueOptions, Args& args);

struct Command {
    std::string name;
    std::string summary; // one line for the program's help
    std::string usage;   // the command's --help text
    std::function<int(const std::vector<std::string>& words, std::ostream& out, std::ostream& err)> run;
};

// All commands, in the order the help lists them.
std::vector<Command>& Commands();
struct RegisterCommand {
    explicit RegisterCommand(Command c);
};

// Runs the program on argv (without the program name); returns the exit status.
int RunCli(const std::vector<std::string>& words, std::ostream& out, std::ostream& err);

// Applies --unknown=yes|no|all and --allow-ess to the interface; returns an error text for a bad value.
std::optional<std::string> ApplyReadAnswers(const Args& args, CliUi& ui);

// What a command does after a damaged read.
enum class OnDamage {
    Refuse,  // write nothing: the report goes to standard error and the command stops with status 3
    Salvage, // go on (--salvage): the file written leaves the damaged bytes out
    Note,    // go on, only reading: one line on standard error says that the file is damaged
};
inline constexpr int kDamagedStatus = 3;
// The choice of a command that writes a data file: Salvage with --salvage, Refuse otherwise.
OnDamage WritingPolicy(const Args& args);

// Checks the report of the read of file. Returns the exit status to stop with (Refuse on a damaged read), or
// nothing to go on. command is the command's name for the lines on standard error.
std::optional<int> CheckDamage(const DamageReport& damage, const std::string& file, OnDamage policy,
                               std::string_view command, std::ostream& err);

} // namespace vellum::cli
