// vellum-cli loops FILE: lists every response that the window's Detect Loops would show in its result
// editor, as text or as JSON.
#include <ostream>

#include "cli.h"
#include "dialogue/loops.h"
#include "json_out.h"
#include "shell/shell.h"

namespace vellum::cli {
namespace {

int RunLoops(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
    const std::string me = "vellum-cli loops: ";
    Args args;
    if (auto e = ParseArgs(words, {"--json"}, {"--unknown"}, args)) {
        err << me << *e << "\n";
        return 2;
    }
    if (args.positional.size() != 1) {
        err << me << "expected one FILE (see vellum-cli loops --help)\n";
        return 2;
    }
    CliUi ui(out, err);
    ui.quiet = true; // standard output holds the findings only
    if (auto e = ApplyReadAnswers(args, ui)) {
        err << me << *e << "\n";
        return 2;
    }
    RecordStore store;
    const std::string& file = args.positional[0];
    OpenOutcome o = OpenDataFile(file, store, ui);
    if (o.milliseconds < 0) {
        err << me << "could not read " << file << "\n";
        return 3;
    }
    CheckDamage(store.damage, file, OnDamage::Note, "loops", err);
    const std::vector<LoopFinding> found = FindLoops(store);
    const bool json = args.has("--json");
    size_t responses = 0; // responses with at least one finding
    for (size_t k = 0; k < found.size(); ++k)
        if (k == 0 || found[k].info != found[k - 1].info) ++responses;

    if (json) {
        Json loops = Json::array();
        for (const LoopFinding& f : found) {
            const INFORecord& rec = store.tblINFO[f.info];
            loops.push_back({{"topic", JsonText(rec.Topic)},
                             {"actor", JsonText(rec.ONAM)},
                             {"id", JsonText(rec.INAM)},
                             {"index", f.info},
                             {"slot", f.slot},
                             {"choice", f.choice},
                             {"line", JsonText(f.line)}});
        }
        Json doc = {{"responses", store.tblINFO.size()}, {"responsesShown", responses}, {"loops", loops}};
        out << LayOut(doc) << "\n";
    } else {
        for (const LoopFinding& f : found) {
            const INFORecord& rec = store.tblINFO[f.info];
            out << "Topic \"" << rec.Topic << "\", actor \"" << rec.ONAM << "\", response \"" << rec.INAM
                << "\", choice " << f.choice << ": " << f.line << "\n";
        }
        if (store.tblINFO.empty())
            out << NoResponsesLine(file).substr(1) << "\n";
        else if (found.empty())
            out << "No loops found in " << store.tblINFO.size() << " responses.\n";
        else
            out << found.size() << (found.size() == 1 ? " loop" : " loops") << " found in " << responses
                << " of " << store.tblINFO.size() << " responses.\n";
    }
    return found.empty() ? 0 : 1;
}

RegisterCommand reg{
    {"loops", "list the responses whose result offers the player's choice again",
     "Usage: vellum-cli loops FILE [--json] [--unknown=yes|no|all]\n\n"
     "Checks the dialogue of FILE for loops as the window's Detect Loops does and lists every\n"
     "response it would show in its result editor: a response given after the player picked\n"
     "choice N (a condition of type 1 on function 50 whose comparison is not 1) whose result\n"
     "script has a line offering choice N again. One line per showing: topic, actor, response ID,\n"
     "choice number and the offending result line as the check reads it (commas dropped, double\n"
     "blanks made single, a comment cut off). A response is listed once for every choice\n"
     "condition and line that match. Nothing is changed. A damaged FILE is checked as far as it\n"
     "could be read; standard error says so.\n\n"
     "  --json                 the same as JSON (UTF-8): {\"responses\": N, \"responsesShown\": M,\n"
     "                         \"loops\": [{\"topic\", \"actor\", \"id\", \"index\", \"slot\",\n"
     "                         \"choice\", \"line\"}, ...]}\n"
     "  --unknown=yes|no|all   answer to the question about records of unknown type (default all)\n\n"
     "Exit status: 0 when no response would be shown, 1 when some would, 2 on wrong arguments,\n"
     "3 when FILE could not be read.\n",
     RunLoops}};

} // namespace
} // namespace vellum::cli
