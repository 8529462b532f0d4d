#include "outline/record_diff.h"

#include <map>
#include <unordered_map>

#include "esfile/body.h"

namespace vellum {

namespace {

struct Keyed {
    std::string key; // tag, topic, ID and the occurrence of that trio, apart by unit separators
    std::string topic, id;
    InspectedRecord record;
};

std::vector<Keyed> KeyedRecords(std::string_view bytes) {
    const std::vector<RecordSpan> spans = FrameRecords(bytes);
    std::vector<Keyed> out;
    out.reserve(spans.size());
    std::unordered_map<int64_t, std::string> topics;
    std::unordered_map<std::string, int> seen;
    for (size_t i = 0; i < spans.size(); ++i) {
        Keyed k;
        k.record = InspectRecord(bytes, spans[i]);
        k.id = RecordId(k.record);
        if (spans[i].tag == "DIAL"_tag) topics[static_cast<int64_t>(i)] = k.id;
        if (spans[i].topic >= 0) k.topic = topics[spans[i].topic];
        k.key = k.record.tag + '\x1f' + k.topic + '\x1f' + k.id;
        k.key += '\x1f' + std::to_string(seen[k.key]++);
        out.push_back(std::move(k));
    }
    return out;
}

void Flatten(const Field& f, const std::string& path,
             std::vector<std::pair<std::string, const Field*>>& out) {
    if (f.kind == Field::Kind::Group) {
        for (const Field& i : f.items) Flatten(i, path + "." + i.name, out);
    } else if (f.kind == Field::Kind::List) {
        for (size_t k = 0; k < f.items.size(); ++k)
            Flatten(f.items[k], path + "[" + std::to_string(k) + "]", out);
    } else {
        out.emplace_back(path, &f);
    }
}

// Every value of a record by its path; header1 and flags first.
std::vector<std::pair<std::string, const Field*>> Values(const InspectedRecord& r, std::vector<Field>& own) {
    own = {{"header1", Field::Kind::Integer, std::to_string(r.header1), {}},
           {"flags", Field::Kind::Integer, std::to_string(r.flags), {}},
           {"body", Field::Kind::Hex, r.body, {}}};
    std::vector<std::pair<std::string, const Field*>> out = {{"header1", &own[0]}, {"flags", &own[1]}};
    if (!r.whole) out.emplace_back("body", &own[2]);
    std::map<std::string, int> count;
    for (const Field& s : r.subs) {
        const int n = ++count[s.name];
        Flatten(s, n == 1 ? s.name : s.name + "#" + std::to_string(n), out);
    }
    return out;
}

std::vector<FieldChange> ChangedFields(const InspectedRecord& a, const InspectedRecord& b) {
    std::vector<Field> ownA, ownB;
    const auto va = Values(a, ownA), vb = Values(b, ownB);
    std::unordered_map<std::string, const Field*> inB;
    for (const auto& [path, f] : vb) inB[path] = f;
    std::vector<FieldChange> out;
    for (const auto& [path, f] : va) {
        auto it = inB.find(path);
        if (it == inB.end()) {
            out.push_back({path, *f, std::nullopt});
            continue;
        }
        if (!(*it->second == *f)) out.push_back({path, *f, *it->second});
        inB.erase(it);
    }
    for (const auto& [path, f] : vb)
        if (inB.count(path)) out.push_back({path, std::nullopt, *f});
    return out;
}

} // namespace

std::vector<RecordChange> DiffRecords(std::string_view a, std::string_view b) {
    const std::vector<Keyed> ra = KeyedRecords(a), rb = KeyedRecords(b);
    std::unordered_map<std::string, size_t> inB;
    for (size_t i = 0; i < rb.size(); ++i) inB[rb[i].key] = i;
    std::vector<bool> matched(rb.size(), false);
    std::vector<RecordChange> out;
    for (const Keyed& k : ra) {
        auto it = inB.find(k.key);
        if (it == inB.end()) {
            out.push_back({RecordChange::Kind::Removed, k.record.tag, k.id, k.topic, {}});
            continue;
        }
        matched[it->second] = true;
        if (k.record == rb[it->second].record) continue;
        out.push_back({RecordChange::Kind::Changed, k.record.tag, k.id, k.topic,
                       ChangedFields(k.record, rb[it->second].record)});
    }
    for (size_t i = 0; i < rb.size(); ++i)
        if (!matched[i])
            out.push_back({RecordChange::Kind::Added, rb[i].record.tag, rb[i].id, rb[i].topic, {}});
    return out;
}

} // namespace vellum
