// vellum-cli rename-topic FILE OLD NEW [OLD NEW ...] -o OUT: renames dialogue topics as the window's Rename
// Topics dialog does and writes the result as Save As does.
#include <ostream>

#include "change_output.h"
#include "cli.h"
#include "dialogue/rename_topics.h"
#include "dialogue/text_util.h"
#include "shell/shell.h"
#include "text_1252.h"

namespace vellum::cli {
namespace {

std::string DialTypeName(uint8_t type) {
    switch (type) {
    case 0: return "topic";
    case 1: return "voice";
    case 2: return "greeting";
    case 3: return "persuasion";
    case 4: return "journal";
    default: return "saved-game";
    }
}

// The rows that OLD names: those whose name is OLD exactly, or else those whose name is OLD apart from
// letter case, as long as they all have the same name. Sets why when there is none.
std::vector<size_t> RowsNamed(const RecordStore& store, const std::vector<TopicRow>& rows,
                              const std::string& old, std::string& why) {
    std::vector<size_t> exact, anyCase;
    for (size_t j = 0; j < rows.size(); ++j) {
        if (rows[j].name == old) exact.push_back(j);
        if (EqualsIgnoreCase(rows[j].name, old)) anyCase.push_back(j);
    }
    if (!exact.empty()) return exact;
    for (size_t j : anyCase) {
        if (rows[j].name != rows[anyCase.front()].name) {
            why = "\"" + Cp1252ToUtf8(old) +
                  "\" names several topics that differ only in letter case; write it exactly";
            return {};
        }
    }
    if (!anyCase.empty()) return anyCase;
    for (const DIALRecord& d : store.tblDIAL) {
        if (EqualsIgnoreCase(d.NAME, old)) {
            why = "\"" + Cp1252ToUtf8(d.NAME) + "\" is a " + DialTypeName(d.DialType) + " (dialogue type " +
                  std::to_string(d.DialType) + "), not a topic; only topics (dialogue type 0) can be renamed";
            return {};
        }
    }
    why = "there is no topic named \"" + Cp1252ToUtf8(old) + "\"";
    return {};
}

int RunRenameTopic(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
    const std::string me = "vellum-cli rename-topic: ";
    Args args;
    std::vector<std::string> known{"--no-responses", "--no-results", "--allow-ess", "--salvage"};
    known.insert(known.end(), kChangeReportFlags.begin(), kChangeReportFlags.end());
    if (auto e = ParseArgs(words, known, {"-o", "--over-512", "--unknown"}, args)) {
        err << me << *e << "\n";
        return 2;
    }
    ChangeReport report;
    const std::optional<std::string> reportError = ReportFromArgs(args, report);
    if (args.positional.size() < 3 || args.positional.size() % 2 == 0 ||
        (!args.value("-o") && report == ChangeReport::Write)) {
        err << me << "expected FILE, pairs of OLD and NEW, and -o OUT (see vellum-cli rename-topic --help)\n";
        return 2;
    }
    if (reportError) {
        err << me << *reportError << "\n";
        return 2;
    }
    CliUi ui(out, err);
    ui.quiet = report != ChangeReport::Write; // standard output holds the changes only
    if (auto e = ApplyReadAnswers(args, ui)) {
        err << me << *e << "\n";
        return 2;
    }
    const std::string over = args.value("--over-512").value_or("fail");
    if (over != "trim" && over != "fail") {
        err << me << "--over-512 takes trim or fail, not \"" << over << "\"\n";
        return 2;
    }
    ui.answers[Ask::TextTooLong] = Answer::No; // cut to 512 characters; with fail nothing is written then
    std::vector<std::pair<std::string, std::string>> renames;
    for (size_t k = 1; k + 1 < args.positional.size(); k += 2) {
        renames.emplace_back(WordToCp1252(args.positional[k]), WordToCp1252(args.positional[k + 1]));
        if (renames.back().second.empty()) {
            err << me << "a topic cannot be given an empty name\n";
            return 2;
        }
    }

    RecordStore store;
    const std::string& file = args.positional[0];
    OpenOutcome o = OpenDataFile(file, store, ui);
    if (o.milliseconds < 0) return 1;
    if (!o.loaded) {
        err << me << "no records were read from " << file << "; nothing written\n";
        return 1;
    }
    if (auto stop = CheckDamage(store.damage, file, WritingPolicy(args), "rename-topic", err)) return *stop;
    std::vector<TopicRow> rows = ListTopicRows(store);
    std::vector<bool> taken(rows.size(), false);
    for (const auto& [oldName, newName] : renames) {
        std::string why;
        const std::vector<size_t> named = RowsNamed(store, rows, oldName, why);
        if (named.empty()) {
            err << me << why << "; nothing written\n";
            return 1;
        }
        for (size_t j : named) {
            if (taken[j]) {
                err << me << "the topic \"" << Cp1252ToUtf8(rows[j].name)
                    << "\" is named more than once; nothing written\n";
                return 1;
            }
            taken[j] = true;
            rows[j].text = newName;
        }
    }
    RenameOptions options;
    options.responses = !args.has("--no-responses");
    options.results = !args.has("--no-results");
    const DialogueTexts before = TakeDialogueTexts(store);
    RenameOutcome r = ApplyTopicRenames(store, rows, options, ui);
    if (r.status != RenameStatus::Applied) {
        err << me << "the renaming was refused; nothing written\n";
        return 1;
    }
    if (!r.overLong.empty() && over == "fail") {
        err << me << "the response \"" << Cp1252ToUtf8(r.overLong.front())
            << "\" is longer than 512 characters after the renaming (see --over-512); nothing written\n";
        return 1;
    }
    if (report != ChangeReport::Write) return PrintChanges(report, file, before, store, out);
    for (const std::string& id : r.overLong) out << "Response \"" << id << "\" was cut to 512 characters.\n";
    out << "Renamed " << r.topicsRenamed << (r.topicsRenamed == 1 ? " topic: " : " topics: ")
        << r.responsesMoved << " responses moved, " << r.textsChanged << " texts and " << r.resultsChanged
        << " results changed.\n";
    double ms = SaveDataFile(*args.value("-o"), store, ui, o.recordCount, true);
    return ms <= -0.5 ? 1 : 0;
}

RegisterCommand reg{
    {"rename-topic", "rename dialogue topics in the topic list, responses and results, and save",
     "Usage: vellum-cli rename-topic FILE OLD NEW [OLD NEW ...] -o OUT|--dry-run|--json|--check\n"
     "                               [--no-responses] [--no-results]\n"
     "                               [--over-512=trim|fail] [--unknown=yes|no|all] [--allow-ess]\n"
     "                               [--salvage]\n\n"
     "Reads FILE, gives each topic OLD the name NEW as the window's Rename Topics does, and writes\n"
     "the result to OUT as Save As does. OLD must name a topic proper (dialogue type 0, not a\n"
     "greeting, voice, persuasion or journal topic), exactly or, when no topic has exactly that\n"
     "name, apart from letter case. The renames are applied in the order of the topic list. Each\n"
     "renames the topic, moves its responses with it, and replaces OLD by NEW in every response\n"
     "text and result script of the file, four times: as written, in lower case, in upper case\n"
     "and in proper case (plain substrings: Ash to Dust also turns Ashlander into Dustlander).\n"
     "Words in UTF-8 are converted to the files' Windows-1252. Nothing is written on an error.\n\n"
     "  --no-responses         leave the response texts alone\n"
     "  --no-results           leave the result scripts alone\n"
     "  --over-512=MODE        what to do with a response text longer than 512 characters after\n"
     "                         the renaming:\n"
     "                         trim  cut it to 512 characters\n"
     "                         fail  stop with an error naming the response; nothing is written\n"
     "                               (default)\n"
     "  --unknown=yes|no|all   answer to the question about records of unknown type (default all)\n"
     "  --allow-ess            answer Yes to the warning about writing saved games (default No)\n"
     "  --salvage              rename in a damaged FILE anyway: OUT leaves the damaged bytes out\n" +
         std::string(kChangeReportUsage) +
         "\n"
         "Exit status: 0 when OUT was written, 1 otherwise, 2 on wrong arguments, 3 when FILE is\n"
         "damaged (its report goes to standard error; nothing is written without --salvage).\n",
     RunRenameTopic}};

} // namespace
} // namespace vellum::cli
