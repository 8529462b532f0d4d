// Reading records back from JSON: a dump is cut into its records, each parsed on its own with nlohmann-json's
// event interface straight into the inspector's form, so that a large dump never stands in memory as one
// document.
#include <algorithm>
#include <charconv>
#include <cstring>
#include <ostream>

#include "esfile/esfile.h"
#include "esfile/safe_file.h"
#include "record_json.h"
#include "shell/shell.h"
#include "text_1252.h"

namespace vellum::cli {

namespace {

// A string of valid UTF-8 whose characters Windows-1252 holds, in Windows-1252.
std::optional<std::string> StrictCp1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        const size_t len = (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : 0;
        if (len == 0 || i + len > utf8.size()) return std::nullopt;
        uint32_t cp = b & (len == 2 ? 0x1Fu : 0x0Fu);
        for (size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
        std::optional<char> byte;
        if (cp >= 0xA0 && cp <= 0xFF) byte = static_cast<char>(cp);
        for (size_t k = 0; !byte && k < kCp1252High.size(); ++k)
            if (kCp1252High[k] == cp) byte = static_cast<char>(0x80 + k);
        if (!byte) return std::nullopt;
        out += *byte;
        i += len;
    }
    return out;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

// Where the string whose characters start at `from` ends (its closing quote), or the end of t.
size_t StringEnd(std::string_view t, size_t from) {
    for (size_t i = from; i < t.size();) {
        const void* q = std::memchr(t.data() + i, '"', t.size() - i);
        if (!q) break;
        const size_t at = size_t(static_cast<const char*>(q) - t.data());
        size_t escapes = 0;
        while (at - escapes > from && t[at - escapes - 1] == '\\') ++escapes;
        if (escapes % 2 == 0) return at;
        i = at + 1;
    }
    return t.size();
}

// The elements of a JSON array, each as its text, found by their nesting alone (strings stepped over);
// false when the text is not one array of well-nested elements.
bool SplitArray(std::string_view t, std::vector<std::string_view>& elements) {
    size_t i = 0;
    auto skipSpace = [&] {
        while (i < t.size() && IsSpace(t[i])) ++i;
    };
    skipSpace();
    if (i == t.size() || t[i++] != '[') return false;
    skipSpace();
    if (i < t.size() && t[i] == ']') return ++i, skipSpace(), i == t.size();
    while (i < t.size()) {
        const size_t start = i;
        int depth = 0;
        for (; i < t.size(); ++i) {
            const char c = t[i];
            if (c == '"') {
                i = StringEnd(t, i + 1);
            } else if (c == '[' || c == '{') {
                ++depth;
            } else if (c == ']' || c == '}') {
                if (--depth < 0) break;
            } else if (c == ',' && depth == 0) {
                break;
            }
        }
        if (i >= t.size()) return false;
        size_t end = i;
        while (end > start && IsSpace(t[end - 1])) --end;
        elements.push_back(t.substr(start, end - start));
        if (t[i++] == ']') return skipSpace(), i == t.size();
        skipSpace();
    }
    return false;
}

// The mark that stands for a long hex string taken out of a record's text: U+FFFF, which no data file's
// text holds (Windows-1252 has no such character).
constexpr std::string_view kHexMark = "\xEF\xBF\xBF";

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The hex digits of landscape data make up most of a large dump; the JSON reader need not read them one
// character at a time. Copies element into text with every value string of at least 256 hex digits replaced
// by the mark, the strings themselves in runs. False (nothing taken out) when the element holds the mark
// itself.
bool TakeOutHex(std::string_view element, std::string& text, std::vector<std::string_view>& runs) {
    if (element.find("\\uffff") != std::string_view::npos ||
        element.find("\\uFFFF") != std::string_view::npos || element.find(kHexMark) != std::string_view::npos)
        return false;
    size_t copied = 0;
    for (size_t i = element.find('"'); i != std::string_view::npos; i = element.find('"', i + 1)) {
        const size_t end = StringEnd(element, i + 1);
        if (end == element.size()) break;
        const std::string_view inside = element.substr(i + 1, end - i - 1);
        const size_t next = element.find_first_not_of(" \n\r\t", end + 1);
        const bool isKey = next != std::string_view::npos && element[next] == ':';
        if (!isKey && inside.size() >= 256 && std::all_of(inside.begin(), inside.end(), IsHexDigit)) {
            text.append(element.substr(copied, i + 1 - copied));
            text.append(kHexMark);
            runs.push_back(inside);
            copied = end;
        }
        i = end;
    }
    text.append(element.substr(copied));
    return !runs.empty();
}

// Builds one JSON value as a tree of fields: objects as groups (their keys the names), arrays as lists,
// strings as texts (still UTF-8), and {"hex": "..."} as hex.
class TreeReader {
  public:
    using number_integer_t = Json::number_integer_t;
    using number_unsigned_t = Json::number_unsigned_t;
    using number_float_t = Json::number_float_t;
    using string_t = Json::string_t;
    using binary_t = Json::binary_t;

    Field root;
    std::string error;
    // Long hex strings taken out of the text (see TakeOutHex), in order: each stands for a mark.
    std::vector<std::string_view> hexRuns;

    bool null() { return refuse("null"); }
    bool boolean(bool b) { return refuse(b ? "true" : "false"); }
    bool binary(binary_t&) { return refuse("binary data"); }
    bool number_integer(number_integer_t v) { return add(Field::Kind::Integer, std::to_string(v)); }
    bool number_unsigned(number_unsigned_t v) { return add(Field::Kind::Integer, std::to_string(v)); }
    bool number_float(number_float_t v, const string_t&) {
        char buf[64];
        auto r = std::to_chars(buf, buf + sizeof buf, v);
        return add(Field::Kind::Real, std::string(buf, r.ptr));
    }
    bool string(string_t& s) {
        if (s == kHexMark && nextRun_ < hexRuns.size())
            return add(Field::Kind::Text, std::string(hexRuns[nextRun_++]));
        return add(Field::Kind::Text, std::move(s));
    }
    bool start_object(size_t) { return open(Field::Kind::Group); }
    bool start_array(size_t) { return open(Field::Kind::List); }
    bool key(string_t& k) {
        key_ = std::move(k);
        return true;
    }
    bool end_array() { return close(); }
    bool end_object() {
        Field& g = *stack_.back();
        if (g.items.size() == 1 && g.items[0].name == "hex" && g.items[0].kind == Field::Kind::Text) {
            g.kind = Field::Kind::Hex;
            g.value = std::move(g.items[0].value);
            g.items.clear();
        }
        return close();
    }
    bool parse_error(size_t, const std::string&, const nlohmann::detail::exception& e) {
        error = e.what();
        return false;
    }

  private:
    Field* place() {
        if (stack_.empty()) return &root;
        Field& parent = *stack_.back();
        Field& f = parent.items.emplace_back();
        if (parent.kind == Field::Kind::Group) f.name = std::move(key_);
        return &f;
    }
    bool add(Field::Kind kind, std::string value) {
        Field* f = place();
        f->kind = kind;
        f->value = std::move(value);
        return true;
    }
    bool open(Field::Kind kind) {
        Field* f = place();
        f->kind = kind;
        stack_.push_back(f);
        return true;
    }
    bool close() {
        stack_.pop_back();
        return true;
    }
    bool refuse(const std::string& what) {
        std::string path;
        for (size_t k = 1; k < stack_.size(); ++k)
            path += stack_[k]->name.empty() ? "" : stack_[k]->name + ".";
        error = path + (key_.empty() ? "" : key_ + ": ") + "expected a text, number, list or fields, found " +
                what;
        return false;
    }
    std::vector<Field*> stack_;
    std::string key_;
    size_t nextRun_ = 0;
};

std::string KindName(Field::Kind k) {
    switch (k) {
    case Field::Kind::Text: return "text";
    case Field::Kind::Integer:
    case Field::Kind::Real: return "a number";
    case Field::Kind::Hex: return "hex";
    case Field::Kind::Group: return "fields";
    case Field::Kind::List: return "a list";
    }
    return "?";
}

// The texts of a subrecord from UTF-8 to Windows-1252; the error names the field.
std::optional<std::string> ToCp1252(Field& f) {
    if (f.kind == Field::Kind::Text) {
        auto text = StrictCp1252(f.value);
        if (!text) return "a text with characters outside Windows-1252";
        f.value = std::move(*text);
    }
    for (size_t k = 0; k < f.items.size(); ++k)
        if (auto e = ToCp1252(f.items[k]))
            return (f.kind == Field::Kind::Group ? "." + f.items[k].name : "[" + std::to_string(k) + "]") +
                   (e->front() == '.' || e->front() == '[' ? "" : ": ") + *e;
    return std::nullopt;
}

const Field* Item(const Field& g, std::string_view name) {
    for (const Field& f : g.items)
        if (f.name == name) return &f;
    return nullptr;
}

std::optional<std::string> RecordFromTree(Field& root, InspectedRecord& r) {
    if (root.kind != Field::Kind::Group) return "expected a record (fields), found " + KindName(root.kind);
    for (const Field& f : root.items)
        if (f.name != "tag" && f.name != "header1" && f.name != "flags" && f.name != "subrecords" &&
            f.name != "hex")
            return "unknown field \"" + f.name + "\"";
    for (const char* key : {"tag", "header1", "flags"})
        if (!Item(root, key)) return std::string("missing field \"") + key + "\"";
    const Field* tag = Item(root, "tag");
    if (tag->kind != Field::Kind::Text) return "tag: expected text, found " + KindName(tag->kind);
    if (tag->value.size() != 4) return "tag: four characters expected, found \"" + tag->value + "\"";
    r.tag = tag->value;
    for (auto [key, v] : {std::pair{"header1", &r.header1}, std::pair{"flags", &r.flags}}) {
        const Field* n = Item(root, key);
        int64_t value = 0;
        auto [p, ec] = std::from_chars(n->value.data(), n->value.data() + n->value.size(), value);
        if (n->kind != Field::Kind::Integer || ec != std::errc() || value < INT32_MIN || value > UINT32_MAX)
            return std::string(key) + ": expected an integer of 32 bits, found " + KindName(n->kind);
        *v = static_cast<int32_t>(static_cast<uint32_t>(value));
    }
    const Field* hex = Item(root, "hex");
    Field* subs = const_cast<Field*>(Item(root, "subrecords"));
    if (!hex == !subs) return "either \"subrecords\" or \"hex\" expected";
    if (hex) {
        if (hex->kind != Field::Kind::Text) return "hex: expected text, found " + KindName(hex->kind);
        r.whole = false;
        r.body = hex->value;
        return std::nullopt;
    }
    if (subs->kind != Field::Kind::List) return "subrecords: expected a list, found " + KindName(subs->kind);
    r.subs.reserve(subs->items.size());
    for (Field& s : subs->items) {
        if (s.kind != Field::Kind::Group || s.items.size() != 1)
            return "subrecords: each expected as {\"TAG\": value}";
        Field& f = r.subs.emplace_back(std::move(s.items[0]));
        if (auto e = ToCp1252(f)) return f.name + (e->front() == '.' || e->front() == '[' ? "" : ": ") + *e;
    }
    return std::nullopt;
}

// "record 12 (NPC_ "fargoth")": a record by its place (from 0), tag and ID as far as they can be read, from
// the record taken so far or else from its tree.
std::string RecordLabel(const Field& root, const InspectedRecord& r, size_t index) {
    std::string label = "record " + std::to_string(index + 1);
    const Field* tag = root.kind == Field::Kind::Group ? Item(root, "tag") : nullptr;
    if (!tag || tag->kind != Field::Kind::Text) return label;
    label += " (" + tag->value;
    std::string id = RecordId(r);
    const std::string idTag = tag->value == "INFO" ? "INAM" : "NAME";
    if (const Field* subs = Item(root, "subrecords"); subs && id.empty())
        for (const Field& s : subs->items)
            if (s.items.size() == 1 && s.items[0].name == idTag && s.items[0].kind == Field::Kind::Text) {
                id = s.items[0].value;
                break;
            }
    return label + (id.empty() ? "" : " \"" + Cp1252ToUtf8(id) + "\"") + ")";
}

} // namespace

std::optional<std::string> BuildRecords(std::string_view text, std::string& bytes) {
    std::vector<std::string_view> elements;
    if (!SplitArray(text, elements)) {
        // Not a well-nested list: parsed whole for the reason.
        try {
            const Json doc = Json::parse(text);
            return std::string(" holds no list of records (") + doc.type_name() + ")";
        } catch (const Json::exception& e) {
            return std::string(" is not valid JSON: ") + e.what();
        }
    }
    struct Part {
        std::string bytes;
        std::optional<std::string> error; // the part's first fault
    };
    std::vector<Part> parts = InParts<Part>(
        elements.size(), text.size(), [&](size_t i) { return size_t(elements[i].data() - text.data()); },
        [&](size_t from, size_t to) {
            ByteWriter w;
            w.reserve(to > from ? size_t(elements[to - 1].end() - elements[from].begin()) / 2 : 0);
            for (size_t i = from; i < to; ++i) {
                TreeReader reader;
                std::string shortened;
                std::string_view element = elements[i];
                if (element.size() >= 4096 && TakeOutHex(element, shortened, reader.hexRuns))
                    element = shortened;
                InspectedRecord r;
                std::optional<std::string> e;
                if (!Json::sax_parse(element, &reader))
                    e = reader.error.empty() ? "not valid JSON" : reader.error;
                if (!e) e = RecordFromTree(reader.root, r);
                if (!e) e = EncodeRecord(w, r);
                if (e) return Part{{}, ": " + RecordLabel(reader.root, r, i) + ", " + *e};
            }
            return Part{std::move(w.buffer()), std::nullopt};
        });
    bytes.clear();
    for (Part& p : parts) {
        if (p.error) return p.error;
        bytes += p.bytes;
        p.bytes = {};
    }
    return std::nullopt;
}

std::optional<int> ReadFramedFile(const std::string& path, std::string& bytes, std::string_view command,
                                  std::ostream& out, std::ostream& err) {
    const std::string me = "vellum-cli " + std::string(command) + ": ";
    std::string error;
    if (!ReadWholeFile(path, bytes, error)) {
        err << me << "cannot read " << path << ": " << error << "\n";
        return 2;
    }
    if (bytes.size() < 16 || bytes.compare(0, 4, "TES3") != 0) {
        err << me << path << " is not a Morrowind data file: it does not begin with a TES3 header record\n";
        return 2;
    }
    if (CheckWellFormed(bytes)) return std::nullopt;
    // The damage report as the other commands give it.
    CliUi ui(out, err);
    ui.quiet = true;
    ui.answers[Ask::UnknownRecord] = Answer::Cancel;
    RecordStore store;
    OpenDataFile(path, store, ui);
    if (store.damage.empty()) store.damage.spans.push_back({0, "whole records", bytes.size()});
    return CheckDamage(store.damage, path, OnDamage::Refuse, command, err);
}

} // namespace vellum::cli
