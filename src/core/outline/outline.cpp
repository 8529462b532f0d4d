#include "outline/outline.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "esfile/body.h"
#include "records/fields.h"

namespace vellum {

namespace {

uint32_t Get32(std::string_view b, size_t at) {
    const auto* p = reinterpret_cast<const unsigned char*>(b.data() + at);
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

std::string Hex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out(bytes.size() * 2, '0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        out[2 * i] = kDigits[c >> 4];
        out[2 * i + 1] = kDigits[c & 15];
    }
    return out;
}

std::optional<std::string> Unhex(std::string_view hex) {
    // The value of each hex digit, 16 for any other character.
    static const auto kValues = [] {
        std::array<uint8_t, 256> v;
        v.fill(16);
        for (int c = 0; c < 10; ++c) v['0' + c] = static_cast<uint8_t>(c);
        for (int c = 0; c < 6; ++c) v['a' + c] = v['A' + c] = static_cast<uint8_t>(10 + c);
        return v;
    }();
    if (hex.size() % 2) return std::nullopt;
    std::string out(hex.size() / 2, '\0');
    for (size_t i = 0; i < out.size(); ++i) {
        const uint8_t hi = kValues[static_cast<unsigned char>(hex[2 * i])],
                      lo = kValues[static_cast<unsigned char>(hex[2 * i + 1])];
        if ((hi | lo) & 16) return std::nullopt;
        out[i] = static_cast<char>(hi << 4 | lo);
    }
    return out;
}

// A float as the shortest decimal that reads back (as a double, then a float) to the same bits, always with
// a point or an exponent so that it stays a real number; nothing for infinities and NaNs.
std::optional<std::string> RealText(float f) {
    if (!std::isfinite(f)) return std::nullopt;
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, f);
    std::string s(buf, r.ptr);
    double back = 0;
    std::from_chars(s.data(), s.data() + s.size(), back);
    const float again = static_cast<float>(back);
    if (std::memcmp(&f, &again, 4) != 0) {
        r = std::to_chars(buf, buf + sizeof buf, static_cast<double>(f));
        s.assign(buf, r.ptr);
    }
    if (s.find_first_of(".e") == std::string::npos) s += ".0";
    return s;
}

Field Leaf(std::string name, Field::Kind kind, std::string value) {
    Field f;
    f.name = std::move(name);
    f.kind = kind;
    f.value = std::move(value);
    return f;
}

// One value of a layout's field; false for a float that JSON cannot hold.
bool DecodeValue(ByteReader& r, const FieldSpec& s, Field& out) {
    out.kind = Field::Kind::Integer;
    switch (s.type) {
    case FieldType::I8: out.value = std::to_string(r.i8()); return true;
    case FieldType::U8: out.value = std::to_string(r.u8()); return true;
    case FieldType::I16: out.value = std::to_string(r.i16()); return true;
    case FieldType::U16: out.value = std::to_string(r.u16()); return true;
    case FieldType::I32: out.value = std::to_string(r.i32()); return true;
    case FieldType::U32: out.value = std::to_string(r.u32()); return true;
    case FieldType::U64: out.value = std::to_string(r.u64()); return true;
    case FieldType::F32: {
        out.kind = Field::Kind::Real;
        auto t = RealText(r.f32());
        if (t) out.value = std::move(*t);
        return t.has_value();
    }
    case FieldType::Chars: {
        // The characters without the zero bytes that pad them: the field's length puts those back.
        std::string text = r.fixed(s.chars);
        while (!text.empty() && text.back() == '\0') text.pop_back();
        out.kind = Field::Kind::Text;
        out.value = std::move(text);
        return true;
    }
    }
    return false;
}

std::optional<Field> DecodeLayout(std::string_view data, const SubLayout& l) {
    Field g;
    g.kind = Field::Kind::Group;
    ByteReader r(data);
    for (const FieldSpec& s : l.fields) {
        Field f;
        f.name = s.name;
        if (s.count == 1) {
            if (!DecodeValue(r, s, f)) return std::nullopt;
        } else {
            f.kind = Field::Kind::List;
            f.items.resize(s.count);
            for (Field& item : f.items)
                if (!DecodeValue(r, s, item)) return std::nullopt;
        }
        g.items.push_back(std::move(f));
    }
    return g;
}

// A subrecord by the first layout of the table its bytes fit exactly; as hex when none does.
Field DecodeSub(uint32_t recordTag, uint32_t subTag, std::string_view data) {
    std::string name = TagName(subTag);
    for (const SubLayout* l : SubLayoutsOf(recordTag, subTag)) {
        if (l->kind == SubKind::Text) return Leaf(std::move(name), Field::Kind::Text, std::string(data));
        if (l->kind == SubKind::ZString) {
            if (!data.empty() && data.find('\0') == data.size() - 1)
                return Leaf(std::move(name), Field::Kind::Text, std::string(data.substr(0, data.size() - 1)));
            continue;
        }
        if (data.size() != l->bytes) continue;
        if (auto g = DecodeLayout(data, *l)) {
            g->name = std::move(name);
            return std::move(*g);
        }
    }
    return Leaf(std::move(name), Field::Kind::Hex, Hex(data));
}

// ---- Encoding ----

std::string KindName(Field::Kind k) {
    switch (k) {
    case Field::Kind::Text: return "text";
    case Field::Kind::Integer: return "an integer";
    case Field::Kind::Real: return "a number";
    case Field::Kind::Hex: return "hex";
    case Field::Kind::Group: return "fields";
    case Field::Kind::List: return "a list";
    }
    return "?";
}

template <class T> bool IntegerIn(const std::string& text, T& v) {
    auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    return ec == std::errc() && p == text.data() + text.size();
}

// Writes one value of a field; returns the error.
std::optional<std::string> EncodeValue(ByteWriter& w, const FieldSpec& s, const Field& f) {
    if (s.type == FieldType::Chars) {
        if (f.kind != Field::Kind::Text) return "expected text, found " + KindName(f.kind);
        if (f.value.size() > s.chars)
            return "a text of at most " + std::to_string(s.chars) + " characters, found " +
                   std::to_string(f.value.size());
        w.fixed(f.value, s.chars);
        return std::nullopt;
    }
    if (s.type == FieldType::F32) {
        double d = 0;
        if ((f.kind != Field::Kind::Real && f.kind != Field::Kind::Integer) || !IntegerIn(f.value, d))
            return "expected a number, found " + KindName(f.kind);
        // Beyond the largest float by half a step or more, a number would not round to a float.
        if (std::fabs(d) >= double(std::numeric_limits<float>::max()) + std::ldexp(1.0, 103))
            return "a number too large for a float";
        w.f32(static_cast<float>(d));
        return std::nullopt;
    }
    if (f.kind != Field::Kind::Integer) return "expected an integer, found " + KindName(f.kind);
    int64_t v = 0;
    uint64_t u = 0;
    if (s.type == FieldType::U64) {
        if (!IntegerIn(f.value, u)) return "the integer " + f.value + " does not fit the field";
        w.u64(u);
        return std::nullopt;
    }
    struct Range {
        int64_t lo, hi;
    };
    static constexpr Range kRanges[] = {
        {-128, 127}, {0, 255}, {-32768, 32767}, {0, 65535}, {INT32_MIN, INT32_MAX}, {0, UINT32_MAX}};
    const Range r = kRanges[static_cast<size_t>(s.type)];
    if (!IntegerIn(f.value, v) || v < r.lo || v > r.hi)
        return "the integer " + f.value + " does not fit the field";
    switch (s.type) {
    case FieldType::I8:
    case FieldType::U8: w.u8(static_cast<uint8_t>(v)); break;
    case FieldType::I16:
    case FieldType::U16: w.u16(static_cast<uint16_t>(v)); break;
    default: w.u32(static_cast<uint32_t>(v)); break;
    }
    return std::nullopt;
}

// The layout whose fields are exactly the group's, by name.
const SubLayout* MatchLayout(std::span<const SubLayout* const> layouts, const Field& g) {
    for (const SubLayout* l : layouts) {
        if (l->kind != SubKind::Layout || l->fields.size() != g.items.size()) continue;
        bool same = true;
        for (size_t i = 0; i < g.items.size() && same; ++i) same = l->fields[i].name == g.items[i].name;
        if (same) return l;
    }
    return nullptr;
}

std::optional<std::string> EncodeGroup(ByteWriter& w, const SubLayout& l, const Field& g) {
    for (size_t i = 0; i < l.fields.size(); ++i) {
        const FieldSpec& s = l.fields[i];
        const Field& f = g.items[i];
        const std::string at = "." + s.name + ": ";
        if (s.count == 1) {
            if (auto e = EncodeValue(w, s, f)) return at + *e;
            continue;
        }
        if (f.kind != Field::Kind::List || f.items.size() != s.count)
            return at + "expected a list of " + std::to_string(s.count) + " values";
        for (size_t k = 0; k < f.items.size(); ++k)
            if (auto e = EncodeValue(w, s, f.items[k]))
                return "." + s.name + "[" + std::to_string(k) + "]: " + *e;
    }
    return std::nullopt;
}

std::optional<std::string> EncodeSub(ByteWriter& w, uint32_t recordTag, const Field& f) {
    if (f.name.size() != 4) return "a subrecord tag of four characters, found \"" + f.name + "\"";
    const auto layouts = SubLayoutsOf(recordTag, TagValue(f.name));
    const size_t m = w.beginSub(f.name);
    switch (f.kind) {
    case Field::Kind::Hex: {
        auto bytes = Unhex(f.value);
        if (!bytes) return "hex digits in pairs expected";
        w.raw(*bytes);
        break;
    }
    case Field::Kind::Text: {
        const SubLayout* l = layouts.empty() ? nullptr : layouts.front();
        if (!l || l->kind == SubKind::Layout) return "expected fields or hex, found text";
        w.raw(f.value);
        if (l->kind == SubKind::ZString) w.u8(0);
        break;
    }
    case Field::Kind::Group: {
        const SubLayout* l = MatchLayout(layouts, f);
        if (!l) return "fields that match no layout of " + f.name;
        if (auto e = EncodeGroup(w, *l, f)) return *e;
        break;
    }
    default: return "expected text, fields or hex, found " + KindName(f.kind);
    }
    w.endSub(m);
    return std::nullopt;
}

} // namespace

std::vector<RecordSpan> FrameRecords(std::string_view bytes) {
    std::vector<RecordSpan> spans;
    int64_t topic = -1;
    for (size_t pos = 0; bytes.size() - pos >= 16;) {
        RecordSpan s{pos, Get32(bytes, pos), Get32(bytes, pos + 4), -1};
        if (s.size > bytes.size() - pos - 16) break;
        if (s.tag == "DIAL"_tag) topic = static_cast<int64_t>(spans.size());
        if (s.tag == "INFO"_tag) s.topic = topic;
        spans.push_back(s);
        pos += 16 + size_t(s.size);
    }
    return spans;
}

InspectedRecord InspectRecord(std::string_view bytes, const RecordSpan& span) {
    InspectedRecord r;
    r.tag = TagName(span.tag);
    r.header1 = static_cast<int32_t>(Get32(bytes, span.offset + 8));
    r.flags = static_cast<int32_t>(Get32(bytes, span.offset + 12));
    const std::string_view body = bytes.substr(span.offset + 16, span.size);
    Body b(body);
    while (b.more()) {
        const uint32_t tag = b.next();
        r.subs.push_back(DecodeSub(span.tag, tag, b.data()));
    }
    if (b.damaged()) {
        r.whole = false;
        r.subs.clear();
        r.body = Hex(body);
    }
    return r;
}

namespace {

const Field* FindSub(const InspectedRecord& r, uint32_t tag) {
    const std::string name = TagName(tag);
    for (const Field& f : r.subs)
        if (f.name == name) return &f;
    return nullptr;
}

std::string ValueOf(const Field& g, std::string_view name) {
    for (const Field& f : g.items)
        if (f.name == name) return f.value;
    return {};
}

} // namespace

std::string RecordId(const InspectedRecord& r) {
    const RecordNaming n = NamingOf(TagValue(r.tag));
    const Field* id = FindSub(r, n.id);
    if (id && id->kind == Field::Kind::Text && !id->value.empty()) return id->value;
    // An exterior cell or a landscape record: its grid.
    for (const char* tag : {"DATA", "INTV"})
        if (const Field* g = FindSub(r, TagValue(tag)); g && g->kind == Field::Kind::Group)
            if (std::string x = ValueOf(*g, "GridX"); !x.empty()) return x + ", " + ValueOf(*g, "GridY");
    return id ? ValueText(*id) : std::string();
}

std::string DisplayName(const InspectedRecord& r) {
    const Field* f = FindSub(r, NamingOf(TagValue(r.tag)).name);
    return f && f->kind == Field::Kind::Text ? f->value : std::string();
}

RecordTitle TitleOf(std::string_view bytes, const RecordSpan& span) {
    const RecordNaming n = NamingOf(span.tag);
    InspectedRecord r;
    r.tag = TagName(span.tag);
    Body b(bytes.substr(span.offset + 16, span.size));
    while (b.more()) {
        const uint32_t tag = b.next();
        if (tag == n.id || tag == n.name || tag == "DATA"_tag || tag == "INTV"_tag)
            r.subs.push_back(DecodeSub(span.tag, tag, b.data()));
    }
    return {RecordId(r), DisplayName(r)};
}

std::optional<std::string> EncodeRecord(ByteWriter& w, const InspectedRecord& r) {
    if (r.tag.size() != 4) return "tag: four characters expected, found \"" + r.tag + "\"";
    const size_t start = w.size();
    const size_t m = w.beginRecord(r.tag, r.header1, r.flags);
    auto fail = [&](std::string e) {
        w.buffer().resize(start);
        return e;
    };
    if (!r.whole) {
        auto body = Unhex(r.body);
        if (!body) return fail("hex: hex digits in pairs expected");
        w.raw(*body);
    }
    for (const Field& f : r.subs)
        if (auto e = EncodeSub(w, TagValue(r.tag), f))
            return fail(f.name + (e->front() == '.' ? "" : ": ") + *e);
    w.endRecord(m);
    return std::nullopt;
}

std::string ValueText(const Field& f) {
    switch (f.kind) {
    case Field::Kind::Text:
    case Field::Kind::Integer:
    case Field::Kind::Real: return f.value;
    case Field::Kind::Hex: return "hex " + f.value;
    case Field::Kind::Group:
    case Field::Kind::List: {
        std::string s = "[";
        for (const Field& i : f.items) {
            if (s.size() > 1) s += ", ";
            if (!i.name.empty()) s += i.name + " ";
            s += ValueText(i);
        }
        return s + "]";
    }
    }
    return {};
}

} // namespace vellum
