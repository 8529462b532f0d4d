// vellum-cli import-dialogue FILE EDITED -o OUT: reads FILE, imports the edited dialogue text file into it as
// the window's dialogue import does, and writes the result to OUT as Save As does.
#include <ostream>

#include "change_output.h"
#include "cli.h"
#include "dialogue/import_text.h"
#include "shell/shell.h"

namespace vellum::cli {
namespace {

// Holds the import's log lines back, so that a refused import shows only its error.
class HoldingUi : public CliUi {
  public:
    using CliUi::CliUi;
    bool holding = false;
    std::vector<std::string> held;
    void appendLog(std::string_view line) override {
        if (holding)
            held.emplace_back(line);
        else
            CliUi::appendLog(line);
    }
    void release() {
        holding = false;
        for (const std::string& line : held) CliUi::appendLog(line);
        held.clear();
    }
};

int RunImportDialogue(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
    const std::string me = "vellum-cli import-dialogue: ";
    Args args;
    std::vector<std::string> known{"--remove-line-breaks", "--allow-ess", "--salvage"};
    known.insert(known.end(), kChangeReportFlags.begin(), kChangeReportFlags.end());
    if (auto e = ParseArgs(words, known, {"-o", "--over-512", "--unknown"}, args)) {
        err << me << *e << "\n";
        return 2;
    }
    ChangeReport report;
    const std::optional<std::string> reportError = ReportFromArgs(args, report);
    if (args.positional.size() != 2 || (!args.value("-o") && report == ChangeReport::Write)) {
        err << me << "expected FILE, EDITED and -o OUT (see vellum-cli import-dialogue --help)\n";
        return 2;
    }
    if (reportError) {
        err << me << *reportError << "\n";
        return 2;
    }
    HoldingUi ui(out, err);
    ui.quiet = report != ChangeReport::Write; // standard output holds the changes only
    if (auto e = ApplyReadAnswers(args, ui)) {
        err << me << *e << "\n";
        return 2;
    }
    const std::string over = args.value("--over-512").value_or("fail");
    if (over == "trim")
        ui.answers[Ask::TextTooLong] = Answer::No;
    else if (over == "no-to-all")
        ui.answers[Ask::TextTooLong] = Answer::Cancel;
    else if (over == "fail")
        ui.answers[Ask::TextTooLong] = Answer::No;
    else {
        err << me << "--over-512 takes trim, no-to-all or fail, not \"" << over << "\"\n";
        return 2;
    }
    ui.answers[Ask::RemoveLineBreaks] = args.has("--remove-line-breaks") ? Answer::Yes : Answer::No;

    RecordStore store;
    const std::string& file = args.positional[0];
    OpenOutcome o = OpenDataFile(file, store, ui);
    if (o.milliseconds < 0) return 1;
    if (!o.loaded) {
        err << me << "no records were read from " << file << "; nothing written\n";
        return 1;
    }
    if (auto stop = CheckDamage(store.damage, file, WritingPolicy(args), "import-dialogue", err))
        return *stop;
    ui.holding = true;
    const DialogueTexts before = TakeDialogueTexts(store);
    ImportOutcome r = ImportDialogueText(args.positional[1], store, ui, file, report == ChangeReport::Write);
    if (over == "fail" && !r.overLong.empty()) {
        ui.held.clear();
        ui.holding = false;
        err << me << "the response \"" << r.overLong.front()
            << "\" is longer than 512 characters (see --over-512); nothing written\n";
        return 1;
    }
    ui.release();
    if (!r.completed) {
        err << me << "the import did not complete; nothing written\n";
        return 1;
    }
    if (report != ChangeReport::Write) return PrintChanges(report, file, before, store, out);
    double ms = SaveDataFile(*args.value("-o"), store, ui, o.recordCount, true);
    return ms <= -0.5 ? 1 : 0;
}

RegisterCommand reg{
    {"import-dialogue", "import an edited dialogue text file into a data file and save the result",
     "Usage: vellum-cli import-dialogue FILE EDITED -o OUT|--dry-run|--json|--check [--remove-line-breaks]\n"
     "                                  [--over-512=trim|no-to-all|fail] [--unknown=yes|no|all] "
     "[--allow-ess]\n"
     "                                  [--salvage]\n\n"
     "Reads FILE, puts the response texts, result scripts and renamed topics of EDITED (a text file\n"
     "written by export-dialogue and edited since) back into its responses as the window's Import does,\n"
     "and writes the result to OUT as Save As does. Curly double quotes in EDITED are made straight, in\n"
     "the file too. Nothing is written when the import stops at an error.\n\n"
     "  --remove-line-breaks   answer Yes to \"Do you want to remove line breaks?\": the lines of a\n"
     "                         multi-line response text are joined with a blank (default No: kept)\n"
     "  --over-512=MODE        what to do with a response text longer than 512 characters:\n"
     "                         trim       cut it to 512 characters\n"
     "                         no-to-all  cut it and every later one (the question's Cancel)\n"
     "                         fail       stop with an error naming the response; nothing is written\n"
     "                                    (default)\n"
     "  --unknown=yes|no|all   answer to the question about records of unknown type (default all)\n"
     "  --allow-ess            answer Yes to the warning about writing saved games (default No)\n"
     "  --salvage              import into a damaged FILE anyway: OUT leaves the damaged bytes out\n" +
         std::string(kChangeReportUsage) +
         "  (with one of these three, the curly quotes of EDITED are made straight in memory only)\n\n"
         "Exit status: 0 when OUT was written, 1 otherwise, 2 on wrong arguments, 3 when FILE is\n"
         "damaged (its report goes to standard error; nothing is written without --salvage).\n",
     RunImportDialogue}};

} // namespace
} // namespace vellum::cli
