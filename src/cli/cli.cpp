#include "cli.h"

#include <algorithm>
#include <ostream>

#include "shell/shell.h"

namespace vellum::cli {

Answer CliUi::messageBox(std::string_view text, std::string_view, Buttons buttons, Icon, Ask kind) {
    messages.emplace_back(text);
    auto it = answers.find(kind);
    Answer a;
    if (buttons == Buttons::OK)
        a = Answer::OK;
    else if (it != answers.end())
        a = it->second;
    else
        a = Answer::No;
    if (buttons == Buttons::OK || kind == Ask::Error) {
        std::string shown(text);
        std::replace(shown.begin(), shown.end(), '\r', ' ');
        err_ << shown << "\n";
    }
    return a;
}

std::optional<std::string> CliUi::inputBox(std::string_view prompt, std::string_view,
                                           std::string_view defaultText) {
    if (input) return input(prompt, defaultText);
    return std::string(defaultText);
}

void CliUi::editResponse(ResponseEdit& edit) {
    if (responseEditor) responseEditor(edit);
}

void CliUi::editResult(ResultEdit& edit) {
    if (resultEditor)
        resultEditor(edit);
    else
        edit.fiAccept = "2";
}

void CliUi::appendLog(std::string_view line) {
    if (!quiet) out_ << line << "\n";
}

std::optional<std::string> Args::value(const std::string& name) const {
    auto it = options.find(name);
    if (it == options.end() || it->second.empty()) return std::nullopt;
    return it->second.back();
}

std::optional<std::string> ParseArgs(const std::vector<std::string>& words,
                                     const std::vector<std::string>& known,
                                     const std::vector<std::string>& valueOptions, Args& args) {
    auto isKnown = [&](const std::string& n) {
        return std::find(known.begin(), known.end(), n) != known.end();
    };
    auto takesValue = [&](const std::string& n) {
        return std::find(valueOptions.begin(), valueOptions.end(), n) != valueOptions.end();
    };
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (w.size() > 1 && w[0] == '-' && w != "-") {
            std::string name = w, val;
            bool hasValue = false;
            if (auto eq = w.find('='); eq != std::string::npos) {
                name = w.substr(0, eq);
                val = w.substr(eq + 1);
                hasValue = true;
            }
            if (!isKnown(name) && !takesValue(name)) return "unknown option " + name;
            if (takesValue(name) && !hasValue) {
                if (i + 1 >= words.size()) return "option " + name + " needs a value";
                val = words[++i];
                hasValue = true;
            }
            if (!takesValue(name) && hasValue) return "option " + name + " takes no value";
            args.options[name].push_back(val);
        } else {
            args.positional.push_back(w);
        }
    }
    return std::nullopt;
}

std::vector<Command>& Commands() {
    static std::vector<Command> commands;
    return commands;
}

RegisterCommand::RegisterCommand(Command c) {
    Commands().push_back(std::move(c));
}

std::optional<std::string> ApplyReadAnswers(const Args& args, CliUi& ui) {
    std::string unknown = args.value("--unknown").value_or("all");
    if (unknown == "yes")
        ui.answers[Ask::UnknownRecord] = Answer::Yes;
    else if (unknown == "no")
        ui.answers[Ask::UnknownRecord] = Answer::No;
    else if (unknown == "all")
        ui.answers[Ask::UnknownRecord] = Answer::Cancel;
    else
        return "--unknown takes yes, no or all, not \"" + unknown + "\"";
    ui.answers[Ask::WriteSavedGame] = args.has("--allow-ess") ? Answer::Yes : Answer::No;
    return std::nullopt;
}

OnDamage WritingPolicy(const Args& args) {
    return args.has("--salvage") ? OnDamage::Salvage : OnDamage::Refuse;
}

std::optional<int> CheckDamage(const DamageReport& damage, const std::string& file, OnDamage policy,
                               std::string_view command, std::ostream& err) {
    if (damage.empty()) return std::nullopt;
    const std::string me = "vellum-cli " + std::string(command) + ": ";
    switch (policy) {
    case OnDamage::Salvage: return std::nullopt;
    case OnDamage::Note:
        err << me << QuotedName(file) << " is damaged (" << damage.skippedBytes()
            << " byte(s) could not be read); going on with the records that were read\n";
        return std::nullopt;
    case OnDamage::Refuse: break;
    }
    for (const std::string& line : damage.lines()) err << line << "\n";
    err << damage.summary() << "\n";
    err << me << QuotedName(file)
        << " is damaged; nothing written (--salvage writes the file without the damaged bytes)\n";
    return kDamagedStatus;
}

namespace {

void ProgramHelp(std::ostream& out) {
    std::vector<Command> sorted = Commands();
    out << "vellum-cli: read, check and edit Morrowind data files (.esp, .esm, .ess, .esd) from a "
           "terminal.\n\n"
           "Usage: vellum-cli COMMAND [ARGUMENTS] [OPTIONS]\n       vellum-cli COMMAND --help\n\nCommands:\n";
    for (const Command& c : sorted) {
        out << "  " << c.name << std::string(c.name.size() < 18 ? 18 - c.name.size() : 1, ' ') << c.summary
            << "\n";
    }
    out << "\nQuestions the window would ask are answered by options; the program never waits for input.\n";
}

} // namespace

int RunCli(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
    if (words.empty()) {
        ProgramHelp(err);
        return 2;
    }
    if (words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
        ProgramHelp(out);
        return 0;
    }
    for (const Command& c : Commands()) {
        if (c.name != words[0]) continue;
        std::vector<std::string> rest(words.begin() + 1, words.end());
        if (std::find(rest.begin(), rest.end(), "--help") != rest.end()) {
            out << c.usage;
            return 0;
        }
        return c.run(rest, out, err);
    }
    err << "vellum-cli: unknown command \"" << words[0] << "\" (see vellum-cli --help)\n";
    return 2;
}

} // namespace vellum::cli
