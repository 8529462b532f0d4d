#include "change_output.h"

#include <ostream>

#include "dialogue/change_list.h"
#include "json_out.h"
#include "text_1252.h"

namespace vellum::cli {

std::optional<std::string> ReportFromArgs(const Args& args, ChangeReport& report) {
    report = ChangeReport::Write;
    int given = 0;
    for (ChangeReport r : {ChangeReport::DryRun, ChangeReport::Json, ChangeReport::Check}) {
        if (!args.has(kChangeReportFlags[static_cast<size_t>(r) - 1])) continue;
        report = r;
        ++given;
    }
    const bool output = args.has("-o") || args.has("--output");
    if (given > 1) return "--dry-run, --json and --check exclude each other";
    if (given == 1 && output) return "--dry-run, --json and --check write nothing and take no -o";
    if (given == 0 && !output) return "expected -o OUT, --dry-run, --json or --check";
    return std::nullopt;
}

int PrintChanges(ChangeReport report, const std::string& file, const DialogueTexts& before,
                 const RecordStore& store, std::ostream& out) {
    const std::vector<TextChange> changes = CompareDialogue(before, store);
    switch (report) {
    case ChangeReport::Write: break;
    case ChangeReport::DryRun: out << Cp1252ToUtf8(UnifiedDiff(store, changes)); break;
    case ChangeReport::Json: {
        Json list = Json::array();
        for (const TextChange& c : changes) {
            const ChangeRow row = DescribeChange(store, c);
            list.push_back({{"field", row.what},
                            {"index", c.record},
                            {"topic", JsonText(row.topic)},
                            {"speaker", JsonText(row.speaker)},
                            {"id", JsonText(row.id)},
                            {"before", JsonText(c.before.text)},
                            {"after", JsonText(c.after.text)}});
        }
        out << LayOut(list) << "\n";
        break;
    }
    case ChangeReport::Check: {
        const ChangeCounts counts = CountChanges(changes);
        out << WouldChangeLine(file, counts) << "\n";
        return counts.any() ? 1 : 0;
    }
    }
    return 0;
}

} // namespace vellum::cli
