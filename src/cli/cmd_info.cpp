// vellum-cli info FILE: reads a file as the window's Open does and prints its log lines and record counts.
#include <ostream>

#include "cli.h"
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
    for (int label : CountPanelOrder()) {
        for (const TableCount& c : TableCounts(store))
            if (c.label == label) out << c.name << " " << c.count << "\n";
    }
    int64_t unknown = RecordCountOf(store, store.tblUnknown);
    out << "Unknown: " << unknown << "\n";
    out << "Total: " << o.recordCount << "\n";
    return 0;
}

RegisterCommand reg{
    {"info", "read a data file and print its log lines and record counts",
     "Usage: vellum-cli info FILE [--unknown=yes|no|all]\n\n"
     "Reads FILE as the window's Open does, prints the log lines the window would show and one\n"
     "count per record type, then the number of unknown records and the total.\n\n"
     "  --unknown=yes|no|all  answer to the question about records of unknown type: yes reads\n"
     "                        the record, no stops reading (the store is emptied), all reads\n"
     "                        every unknown record without asking again (default)\n\n"
     "Exit status: 0 when the file was read, 1 when it was refused, 2 on wrong arguments.\n",
     RunInfo}};

} // namespace
} // namespace vellum::cli
