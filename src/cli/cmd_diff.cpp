// vellum-cli diff A B [--json]: the records two data files hold differently.
#include <ostream>

#include "cli.h"
#include "outline/record_diff.h"
#include "record_json.h"

namespace vellum::cli {
namespace {

const char* KindWord(RecordChange::Kind k) {
    switch (k) {
    case RecordChange::Kind::Added: return "added";
    case RecordChange::Kind::Removed: return "removed";
    case RecordChange::Kind::Changed: return "changed";
    }
    return "";
}

// A value on one line: texts in quotes, as UTF-8.
std::string Shown(const std::optional<Field>& f) {
    if (!f) return "(none)";
    return LayOut(FieldJson(*f));
}

Json DiffDocument(const std::vector<RecordChange>& changes) {
    Json list = Json::array();
    for (const RecordChange& c : changes) {
        Json rec = {{"change", KindWord(c.kind)}, {"tag", c.tag}, {"id", JsonText(c.id)}};
        if (c.tag == "INFO") rec["topic"] = JsonText(c.topic);
        if (c.kind == RecordChange::Kind::Changed) {
            Json fields = Json::array();
            for (const FieldChange& f : c.fields)
                fields.push_back({{"field", f.path},
                                  {"old", f.before ? FieldJson(*f.before) : Json()},
                                  {"new", f.after ? FieldJson(*f.after) : Json()}});
            rec["fields"] = fields;
        }
        list.push_back(rec);
    }
    return list;
}

int RunDiff(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
    Args args;
    if (auto e = ParseArgs(words, {"--json"}, {}, args)) {
        err << "vellum-cli diff: " << *e << "\n";
        return 2;
    }
    if (args.positional.size() != 2) {
        err << "vellum-cli diff: expected two files A and B (see vellum-cli diff --help)\n";
        return 2;
    }
    std::string a, b;
    if (auto stop = ReadFramedFile(args.positional[0], a, "diff", out, err)) return *stop;
    if (auto stop = ReadFramedFile(args.positional[1], b, "diff", out, err)) return *stop;
    const std::vector<RecordChange> changes = DiffRecords(a, b);
    if (args.has("--json")) {
        out << LayOut(DiffDocument(changes)) << "\n";
        return changes.empty() ? 0 : 1;
    }
    for (const RecordChange& c : changes) {
        out << KindWord(c.kind) << " " << c.tag << " " << LayOut(JsonText(c.id));
        if (c.tag == "INFO") out << " in topic " << LayOut(JsonText(c.topic));
        out << "\n";
        for (const FieldChange& f : c.fields)
            out << "  " << f.path << ": " << Shown(f.before) << " -> " << Shown(f.after) << "\n";
    }
    return changes.empty() ? 0 : 1;
}

RegisterCommand reg{
    {"diff", "the records two data files hold differently",
     "Usage: vellum-cli diff A B [--json]\n\n"
     "Lists the records added, removed or changed from A to B. Records are matched by type and\n"
     "ID, responses by topic and response ID; the order of the records alone is no difference.\n"
     "For a changed record every changed field is listed with its old and new value, one line\n"
     "\"  FIELD: OLD -> NEW\" each, texts as UTF-8 in quotes.\n\n"
     "  --json   the changes as a JSON list of {change, tag, id, topic, fields: [{field, old, new}]}\n\n"
     "Exit status: 0 when A and B hold the same records, 1 when they differ, 2 on wrong arguments\n"
     "or a file that cannot be read, 3 when a file is damaged (its report goes to standard error).\n",
     RunDiff}};

} // namespace
} // namespace vellum::cli
