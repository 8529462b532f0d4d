#include "record_json.h"

#include "text_1252.h"

namespace vellum::cli {

namespace {

void AppendString(std::string& out, std::string_view cp1252) {
    out += '"';
    for (size_t i = 0; i < cp1252.size();) {
        // A run of plain characters goes in at once.
        size_t plain = i;
        while (plain < cp1252.size() && cp1252[plain] >= 0x20 && cp1252[plain] < 0x7F &&
               cp1252[plain] != '"' && cp1252[plain] != '\\')
            ++plain;
        out.append(cp1252.substr(i, plain - i));
        if (plain == cp1252.size()) break;
        i = plain + 1;
        const auto c = static_cast<unsigned char>(cp1252[plain]);
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

// A short layout of numbers stands on one line; a longer one, or one with texts or lists, has a line for each
// field.
bool OnOneLine(const Field& g) {
    if (g.items.size() > 6) return false;
    for (const Field& f : g.items)
        if (f.kind != Field::Kind::Integer && f.kind != Field::Kind::Real) return false;
    return true;
}

void AppendValue(std::string& out, const Field& f, const std::string& indent) {
    switch (f.kind) {
    case Field::Kind::Text: AppendString(out, f.value); break;
    case Field::Kind::Integer:
    case Field::Kind::Real: out += f.value; break;
    case Field::Kind::Hex:
        out += "{\"hex\": \"";
        out += f.value;
        out += "\"}";
        break;
    case Field::Kind::List:
        out += '[';
        for (size_t i = 0; i < f.items.size(); ++i) {
            if (i) out += ", ";
            AppendValue(out, f.items[i], indent);
        }
        out += ']';
        break;
    case Field::Kind::Group:
        if (OnOneLine(f)) {
            out += '{';
            for (size_t i = 0; i < f.items.size(); ++i) {
                if (i) out += ", ";
                AppendString(out, f.items[i].name);
                out += ": ";
                AppendValue(out, f.items[i], indent);
            }
            out += '}';
            break;
        }
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

} // namespace

void AppendRecordJson(std::string& out, const InspectedRecord& r) {
    out += "  {\n    \"tag\": ";
    AppendString(out, r.tag);
    out +=
        ",\n    \"header1\": " + std::to_string(r.header1) + ",\n    \"flags\": " + std::to_string(r.flags);
    if (!r.whole) {
        out += ",\n    \"hex\": \"";
        out += r.body;
        out += "\"\n  }";
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

std::string DumpRecords(std::string_view bytes) {
    const std::vector<RecordSpan> spans = FrameRecords(bytes);
    // The first part has room for the whole dump, so that the others join it without a copy of it.
    std::vector<std::string> parts = InParts<std::string>(
        spans.size(), bytes.size(), [&](size_t i) { return spans[i].offset; },
        [&](size_t from, size_t to) {
            std::string out;
            const size_t start = from < spans.size() ? spans[from].offset : bytes.size(),
                         end = to < spans.size() ? spans[to].offset : bytes.size();
            out.reserve(from == 0 ? bytes.size() * 5 / 2 + 16 : (end - start) * 5 / 2);
            if (from == 0) out += "[\n";
            for (size_t i = from; i < to; ++i) {
                AppendRecordJson(out, InspectRecord(bytes, spans[i]));
                out += i + 1 < spans.size() ? ",\n" : "\n";
            }
            return out;
        });
    std::string out = std::move(parts[0]);
    for (size_t k = 1; k < parts.size(); ++k) out += parts[k], parts[k] = {};
    out += "]\n";
    return out;
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
