// vellum-cli info FILE: reads a file as the window's Open does and prints its log lines and record counts.
#include <ostream>

#include "cli.h"
#include "count_panel.h"
#include "json_out.h"
#include "shell/shell.h"

namespace vellum::cli {
namespace {

// {"file", "counts": {"ACTI": n, ...}, "unknown", "total", "damage": {"skippedBytes", "spans": [{"offset",
// "expected", "skipped"}, ...], "lines", "summary"}}; damage is null for a whole file.
Json InfoDocument(const std::string& file, const RecordStore& store,
                  const std::array<int64_t, kCountLabels>& counts, int64_t total) {
    Json byTag = Json::object();
    for (int label = 0; label < kCountLabels; ++label)
        if (label != kUnknownLabel && label != kTotalLabel)
            byTag[std::string(kCountLabelTags[static_cast<size_t>(label)])] =
                counts[static_cast<size_t>(label)];
    Json damage = nullptr;
    if (!store.damage.empty()) {
        Json spans = Json::array(), lines = Json::array();
        for (const DamageSpan& s : store.damage.spans)
            spans.push_back(
                {{"offset", s.offset}, {"expected", JsonText(s.expected)}, {"skipped", s.skipped}});
        for (const std::string& line : store.damage.lines()) lines.push_back(JsonText(line));
        damage = {{"skippedBytes", store.damage.skippedBytes()},
                  {"spans", spans},
                  {"lines", lines},
                  {"summary", JsonText(store.damage.summary())}};
    }
    return {{"file", file},
            {"counts", byTag},
            {"unknown", counts[kUnknownLabel]},
            {"total", total},
            {"damage", damage}};
}

int RunInfo(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
    Args args;
    if (auto e = ParseArgs(words, {"--allow-ess", "--json"}, {"--unknown"}, args)) {
        err << "vellum-cli info: " << *e << "\n";
        return 2;
    }
    if (args.positional.size() != 1) {
        err << "vellum-cli info: expected one FILE (see vellum-cli info --help)\n";
        return 2;
    }
    CliUi ui(out, err);
    ui.quiet = args.has("--json"); // standard output holds the document only
    if (auto e = ApplyReadAnswers(args, ui)) {
        err << "vellum-cli info: " << *e << "\n";
        return 2;
    }
    RecordStore store;
    OpenOutcome o = OpenDataFile(args.positional[0], store, ui);
    if (o.milliseconds < 0) return 1;
    CheckDamage(store.damage, args.positional[0], OnDamage::Note, "info", err);
    const auto counts = CountsByLabel(store);
    if (args.has("--json")) {
        out << LayOut(InfoDocument(args.positional[0], store, counts, o.recordCount)) << "\n";
        return store.damage.empty() ? 0 : kDamagedStatus;
    }
    for (int label = 0; label < kCountLabels; ++label)
        if (label != kUnknownLabel && label != kTotalLabel)
            out << CountLabelName(label) << " " << counts[static_cast<size_t>(label)] << "\n";
    out << "Unknown: " << counts[kUnknownLabel] << "\n";
    out << "Total: " << o.recordCount << "\n";
    return store.damage.empty() ? 0 : kDamagedStatus;
}

RegisterCommand reg{
    {"info", "read a data file and print its log lines and record counts",
     "Usage: vellum-cli info FILE [--json] [--unknown=yes|no|all]\n\n"
     "Reads FILE as the window's Open does, prints the log lines the window would show and one\n"
     "count per record type, then the number of unknown records and the total. A damaged FILE\n"
     "is read as far as it can be: the log lines name every damaged place, and standard error\n"
     "says that the file is damaged.\n\n"
     "  --json                the counts and the damage report as JSON (UTF-8) instead of the log\n"
     "                        lines: {\"file\", \"counts\": {\"ACTI\": n, ...}, \"unknown\", \"total\",\n"
     "                        \"damage\": null or {\"skippedBytes\", \"spans\", \"lines\", \"summary\"}}\n"
     "  --unknown=yes|no|all  answer to the question about records of unknown type: yes reads\n"
     "                        the record, no stops reading (the store is emptied), all reads\n"
     "                        every unknown record without asking again (default)\n\n"
     "Exit status: 0 when the file was read whole, 1 when it was refused (not a Morrowind data\n"
     "file, or unreadable), 2 on wrong arguments, 3 when it is damaged.\n",
     RunInfo}};

} // namespace
} // namespace vellum::cli
