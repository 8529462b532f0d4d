#include "record_json.h"

#include <charconv>
#include <ostream>

#include "esfile/esfile.h"
#include "esfile/safe_file.h"
#include "shell/shell.h"
#include "text_1252.h"

namespace vellum::cli {

namespace {

void AppendString(std::string& out, std::string_view cp1252) {
    out += '"';
    for (char ch : cp1252) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                static constexpr char kDigits[] = "0123456789abcdef";
                out += "\\u00";
                out += kDigits[c >> 4];
                out += kDigits[c & 15];
            } else {
                AppendUtf8(out, Cp1252ToCodePoint(c));
            }
        }
    }
    out += '"';
}

void AppendValue(std::string& out, const Field& f, const std::string& indent) {
    switch (f.kind) {
    case Field::Kind::Text: AppendString(out, f.value); break;
    case Field::Kind::Integer:
    case Field::Kind::Real: out += f.value; break;
    case Field::Kind::Hex: out += "{\"hex\": \"" + f.value + "\"}"; break;
    case Field::Kind::List:
        out += '[';
        for (size_t i = 0; i < f.items.size(); ++i) {
            if (i) out += ", ";
            AppendValue(out, f.items[i], indent);
        }
        out += ']';
        break;
    case Field::Kind::Group:
        out += "{\n";
        for (size_t i = 0; i < f.items.size(); ++i) {
            out += indent + "  ";
            AppendString(out, f.items[i].name);
            out += ": ";
            AppendValue(out, f.items[i], indent + "  ");
            out += i + 1 < f.items.size() ? ",\n" : "\n";
        }
        out += indent + "}";
        break;
    }
}

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

std::string TypeName(const Json& j) {
    return j.is_string() ? "text" : j.is_number() ? "a number" : std::string(j.type_name());
}

std::optional<std::string> FieldFromJson(const Json& j, Field& f) {
    if (j.is_string()) {
        auto text = StrictCp1252(j.get_ref<const std::string&>());
        if (!text) return "a text with characters outside Windows-1252";
        f.kind = Field::Kind::Text;
        f.value = std::move(*text);
    } else if (j.is_number_integer()) {
        f.kind = Field::Kind::Integer;
        f.value =
            j.is_number_unsigned() ? std::to_string(j.get<uint64_t>()) : std::to_string(j.get<int64_t>());
    } else if (j.is_number_float()) {
        char buf[64];
        auto r = std::to_chars(buf, buf + sizeof buf, j.get<double>());
        f.kind = Field::Kind::Real;
        f.value.assign(buf, r.ptr);
    } else if (j.is_object() && j.size() == 1 && j.contains("hex")) {
        if (!j["hex"].is_string()) return "hex: expected text, found " + TypeName(j["hex"]);
        f.kind = Field::Kind::Hex;
        f.value = j["hex"].get<std::string>();
    } else if (j.is_object() || j.is_array()) {
        f.kind = j.is_object() ? Field::Kind::Group : Field::Kind::List;
        for (const auto& [key, value] : j.items()) {
            Field& item = f.items.emplace_back();
            if (j.is_object()) item.name = key;
            if (auto e = FieldFromJson(value, item))
                return (j.is_object() ? key : "[" + key + "]") + (e->front() == '.' ? "" : ": ") + *e;
        }
    } else {
        return "expected a text, number, list or fields, found " + TypeName(j);
    }
    return std::nullopt;
}

} // namespace

void AppendRecordJson(std::string& out, const InspectedRecord& r) {
    out += "  {\n    \"tag\": ";
    AppendString(out, r.tag);
    out +=
        ",\n    \"header1\": " + std::to_string(r.header1) + ",\n    \"flags\": " + std::to_string(r.flags);
    if (!r.whole) {
        out += ",\n    \"hex\": \"" + r.body + "\"\n  }";
        return;
    }
    out += ",\n    \"subrecords\": [";
    for (size_t i = 0; i < r.subs.size(); ++i) {
        out += i ? ",\n      {" : "\n      {";
        AppendString(out, r.subs[i].name);
        out += ": ";
        AppendValue(out, r.subs[i], "      ");
        out += '}';
    }
    out += r.subs.empty() ? "]\n  }" : "\n    ]\n  }";
}

std::optional<std::string> RecordFromJson(const Json& j, InspectedRecord& r) {
    if (!j.is_object()) return "expected a record (an object), found " + TypeName(j);
    for (const auto& [key, value] : j.items())
        if (key != "tag" && key != "header1" && key != "flags" && key != "subrecords" && key != "hex")
            return "unknown field \"" + key + "\"";
    for (const char* key : {"tag", "header1", "flags"})
        if (!j.contains(key)) return std::string("missing field \"") + key + "\"";
    if (!j["tag"].is_string()) return "tag: expected text, found " + TypeName(j["tag"]);
    r.tag = j["tag"].get<std::string>();
    if (r.tag.size() != 4) return "tag: four characters expected, found \"" + r.tag + "\"";
    for (auto [key, v] : {std::pair{"header1", &r.header1}, std::pair{"flags", &r.flags}}) {
        const Json& n = j[key];
        if (!n.is_number_integer() || n.get<int64_t>() < INT32_MIN || n.get<int64_t>() > UINT32_MAX)
            return std::string(key) + ": expected an integer of 32 bits, found " + TypeName(n);
        *v = static_cast<int32_t>(static_cast<uint32_t>(n.get<int64_t>()));
    }
    if (j.contains("hex") == j.contains("subrecords")) return "either \"subrecords\" or \"hex\" expected";
    if (j.contains("hex")) {
        if (!j["hex"].is_string()) return "hex: expected text, found " + TypeName(j["hex"]);
        r.whole = false;
        r.body = j["hex"].get<std::string>();
        return std::nullopt;
    }
    if (!j["subrecords"].is_array()) return "subrecords: expected a list, found " + TypeName(j["subrecords"]);
    for (const Json& s : j["subrecords"]) {
        if (!s.is_object() || s.size() != 1)
            return "subrecords: each expected as {\"TAG\": value}, found " + TypeName(s);
        Field& f = r.subs.emplace_back();
        f.name = s.begin().key();
        if (auto e = FieldFromJson(s.begin().value(), f))
            return f.name + (e->front() == '.' ? "" : ": ") + *e;
    }
    return std::nullopt;
}

std::string RecordLabel(const Json& j, size_t index) {
    std::string label = "record " + std::to_string(index + 1);
    if (!j.is_object() || !j.contains("tag") || !j["tag"].is_string()) return label;
    label += " (" + j["tag"].get<std::string>();
    if (j.contains("subrecords") && j["subrecords"].is_array())
        for (const Json& s : j["subrecords"])
            if (s.is_object() && s.size() == 1 && s.contains(j["tag"] == "INFO" ? "INAM" : "NAME") &&
                s.begin()->is_string()) {
                label += " \"" + s.begin()->get<std::string>() + "\"";
                break;
            }
    return label + ")";
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

Json FieldJson(const Field& f) {
    switch (f.kind) {
    case Field::Kind::Text: return JsonText(f.value);
    case Field::Kind::Integer:
    case Field::Kind::Real: return Json::parse(f.value);
    case Field::Kind::Hex: return {{"hex", f.value}};
    case Field::Kind::List: {
        Json a = Json::array();
        for (const Field& i : f.items) a.push_back(FieldJson(i));
        return a;
    }
    case Field::Kind::Group: {
        Json o = Json::object();
        for (const Field& i : f.items) o[i.name] = FieldJson(i);
        return o;
    }
    }
    return nullptr;
}

} // namespace vellum::cli
