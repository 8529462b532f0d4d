// vellum-cli info FILE: reads a file as the window's Open does and prints its log lines and record counts.
#include <ostream>

#include "cli.h"
#include "count_panel.h"
#include "shell/shell.h"

namespace vellum::cli {
namespace {

int RunInfo(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
    Args args;
    if (auto e = ParseArgs(words, {"--allow-ess"}, {"--unknown"}, args)) {
        err << "vellum-cli info: " << *e << "\n";
        return 2;
    }
    if (args.positional.size() != 1) {
        err << "vellum-cli info: expected one FILE (see vellum-cli info --help)\n";
        return 2;
    }
    CliUi ui(out, err);
    if (auto e = ApplyReadAnswers(args, ui)) {
        err << "vellum-cli info: " << *e << "\n";
        return 2;
    }
    RecordStore store;
    OpenOutcome o = OpenDataFile(args.positional[0], store, ui);
    if (o.milliseconds < 0) return 1;
    CheckDamage(store.damage, args.positional[0], OnDamage::Note, "info", err);
    const auto counts = CountsByLabel(store);
    for (int label = 0; label < kCountLabels; ++label)
        if (label != kUnknownLabel && label != kTotalLabel)
            out << CountLabelName(label) << " " << counts[static_cast<size_t>(label)] << "\n";
    out << "Unknown: " << counts[kUnknownLabel] << "\n";
    out << "Total: " << o.recordCount << "\n";
    return store.damage.empty() ? 0 : kDamagedStatus;
}

RegisterCommand reg{
    {"info", "read a data file and print its log lines and record counts",
     "Usage: vellum-cli info FILE [--unknown=yes|no|all]\n\n"
     "Reads FILE as the window's Open does, prints the log lines the window would show and one\n"
     "count per record type, then the number of unknown records and the total. A damaged FILE\n"
     "is read as far as it can be: the log lines name every damaged place, and standard error\n"
     "says that the file is damaged.\n\n"
     "  --unknown=yes|no|all  answer to the question about records of unknown type: yes reads\n"
     "                        the record, no stops reading (the store is emptied), all reads\n"
     "                        every unknown record without asking again (default)\n\n"
     "Exit status: 0 when the file was read whole, 1 when it was refused (not a Morrowind data\n"
     "file, or unreadable), 2 on wrong arguments, 3 when it is damaged.\n",
     RunInfo}};

} // namespace
} // namespace vellum::cli
