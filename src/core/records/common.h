// Shapes shared by the record layouts: string pairs, "write if set", flag bytes kept in 4-byte words, and
// the inventory, spell and magic-effect entries that several record types hold.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "esfile/body.h"
#include "esfile/bytes.h"

namespace vellum {

// The kept subrecords a writer puts back: none for a deleted record, which is written as its name and DELE
// alone, its data (kept subrecords included) left out as the game's own files do.
template <class Rec> const Extras* KeptUnlessDeleted(const Rec& rec) {
    return IsDeleted(rec.Flags) ? nullptr : &rec.extras;
}

// A zero-terminated string subrecord: its characters, and in len their number with the terminator (0 while
// the subrecord is absent). The writer writes it back with one terminating zero.
inline void ReadZString(Body& b, int32_t& len, std::string& s) {
    s = b.zstring();
    len = static_cast<int32_t>(s.size() + 1);
}
// A string subrecord without terminator: its characters, and in len their number.
inline void ReadText(Body& b, int32_t& len, std::string& s) {
    s = b.text();
    len = static_cast<int32_t>(s.size());
}
// Writes a zero-terminated string subrecord only when its stored length is not 0.
inline void WriteZStringIfSet(ByteWriter& w, std::string_view tag, int32_t len, std::string_view s) {
    if (len != 0) w.zstringSub(tag, s);
}
// Writes a string subrecord without terminator only when its stored length is not 0.
inline void WriteTextIfSet(ByteWriter& w, std::string_view tag, int32_t len, std::string_view s) {
    if (len != 0) w.textSub(tag, s);
}

// NAME, then for a deleted record DELE. Returns true when the record is deleted and nothing else follows.
template <class R> bool WriteNameAndDele(ByteWriter& w, const R& rec) {
    WriteZStringIfSet(w, "NAME", rec.NAMELen, rec.NAME);
    if (!IsDeleted(rec.Flags)) return false;
    w.deleSub();
    return true;
}

// A value subrecord of 1, 2 or 4 bytes: its value, and in len its size; a subrecord of another length is kept
// whole.
template <class T> void ReadValue(Body& b, Extras& extras, int32_t& len, T& v) {
    b.layout(sizeof(T), extras, [&] {
        len = static_cast<int32_t>(sizeof(T));
        if constexpr (std::is_same_v<T, float>)
            v = b.f32();
        else if constexpr (sizeof(T) == 1)
            v = static_cast<T>(b.u8());
        else if constexpr (sizeof(T) == 2)
            v = static_cast<T>(b.i16());
        else
            v = static_cast<T>(b.i32());
    });
}
// Writes a value subrecord only when its stored length is not 0.
template <class T> void WriteValueIfSet(ByteWriter& w, std::string_view tag, int32_t len, T v) {
    if (len != 0) w.valueSub(tag, v);
}

// A flag byte stored in a 4-byte word: only the first byte is kept; it is written back with three zeros.
template <class Reader> uint8_t ReadFlagByte(Reader& r) {
    uint8_t b = r.u8();
    r.skip(3);
    return b;
}
inline void WriteFlagByte(ByteWriter& w, uint8_t b) {
    w.u8(b);
    w.u8(0);
    w.u8(0);
    w.u8(0);
}

// ---- Fixed data layouts, their fields listed once for both directions ----
//
// A layout is a callable fields(io, rec) that names the record's fields in the order of their bytes:
// io(rec.A, rec.B, ...). FieldReader reads each field from a subrecord body, FieldWriter writes it, so one
// list serves the reader and the writer alike.

// A flag byte stored in a 4-byte word (see ReadFlagByte), named in a layout as FlagByte(rec.X).
template <class T> struct FlagByteField { T& v; };
template <class T> FlagByteField<T> FlagByte(T& v) {
    return {v};
}
// A string in a fixed-size field of n characters, zero bytes included.
template <class S> struct FixedCharsField {
    S& s;
    size_t n;
};
template <class S> FixedCharsField<S> FixedChars(S& s, size_t n) {
    return {s, n};
}
// Bytes the layout does not keep: skipped when read, written back as zeros.
struct UnusedBytes {
    size_t n;
};

template <class> inline constexpr bool kNoFieldType = false;

struct FieldReader {
    Body& b;
    template <class T> void field(T& v) {
        if constexpr (std::is_same_v<T, int32_t>)
            v = b.i32();
        else if constexpr (std::is_same_v<T, int16_t>)
            v = b.i16();
        else if constexpr (std::is_same_v<T, uint16_t>)
            v = b.u16();
        else if constexpr (std::is_same_v<T, uint8_t>)
            v = b.u8();
        else if constexpr (std::is_same_v<T, float>)
            v = b.f32();
        else
            static_assert(kNoFieldType<T>, "no layout field of this type");
    }
    template <class T, size_t N> void field(std::array<T, N>& a) {
        for (T& v : a) field(v);
    }
    void field(FlagByteField<uint8_t> f) { f.v = ReadFlagByte(b); }
    void field(FixedCharsField<std::string> f) { f.s = b.fixed(f.n); }
    void field(UnusedBytes u) { b.skip(u.n); }
    template <class... T> void operator()(T&&... v) { (field(v), ...); }
};

struct FieldWriter {
    ByteWriter& w;
    template <class T> void field(const T& v) {
        if constexpr (std::is_same_v<T, int32_t>)
            w.i32(v);
        else if constexpr (std::is_same_v<T, int16_t>)
            w.i16(v);
        else if constexpr (std::is_same_v<T, uint16_t>)
            w.u16(v);
        else if constexpr (std::is_same_v<T, uint8_t>)
            w.u8(v);
        else if constexpr (std::is_same_v<T, float>)
            w.f32(v);
        else
            static_assert(kNoFieldType<T>, "no layout field of this type");
    }
    template <class T, size_t N> void field(const std::array<T, N>& a) {
        for (const T& v : a) field(v);
    }
    void field(FlagByteField<const uint8_t> f) { WriteFlagByte(w, f.v); }
    void field(FixedCharsField<const std::string> f) { w.fixed(f.s, f.n); }
    void field(UnusedBytes u) {
        for (size_t i = 0; i < u.n; ++i) w.u8(0);
    }
    template <class... T> void operator()(T&&... v) { (field(v), ...); }
};

// A subrecord of the layout's bytes: its fields are read into rec and len set to the bytes; a subrecord of
// another length is kept whole in rec.extras.
template <class Rec, class Fields>
void ReadLayout(Body& b, Rec& rec, int32_t& len, size_t bytes, Fields&& fields) {
    b.layout(bytes, rec.extras, [&] {
        len = static_cast<int32_t>(bytes);
        fields(FieldReader{b}, rec);
    });
}
// Writes the layout's subrecord under tag.
template <class Rec, class Fields>
void WriteLayout(ByteWriter& w, std::string_view tag, const Rec& rec, Fields&& fields) {
    size_t m = w.beginSub(tag);
    fields(FieldWriter{w}, rec);
    w.endSub(m);
}
// Writes the layout's subrecord under tag only when its stored length is not 0.
template <class Rec, class Fields>
void WriteLayoutIfSet(ByteWriter& w, std::string_view tag, int32_t len, const Rec& rec, Fields&& fields) {
    if (len != 0) WriteLayout(w, tag, rec, fields);
}
// A subrecord of the layout's bytes that adds an entry to a list, its length in the entry's len; one of
// another length is kept whole. Returns the entry added, or nullptr.
template <class D, class Fields>
D* ReadEntry(Body& b, std::vector<D>& list, Extras& extras, int32_t D::*len, size_t bytes, Fields&& fields) {
    D* d = nullptr;
    b.layout(bytes, extras, [&] {
        d = &list.emplace_back();
        d->*len = static_cast<int32_t>(bytes);
        fields(FieldReader{b}, *d);
    });
    return d;
}
// Writes each entry of a list under tag; nothing when its first entry was not read (its length is 0).
template <class D, class Fields>
void WriteEntries(ByteWriter& w, std::string_view tag, const std::vector<D>& list, int32_t D::*len,
                  Fields&& fields) {
    if (list.empty() || list.front().*len == 0) return;
    for (const D& d : list) WriteLayout(w, tag, d, fields);
}

// One inventory entry (NPCO) of containers, NPCs and creatures: a count and a 32-character item ID.
struct NPCOData {
    int32_t NPCOLen = 0;
    int32_t Count = 0;
    std::string ItemID; // 32 characters, zero bytes included
    bool operator==(const NPCOData&) const = default;
};
inline constexpr size_t kNPCOBytes = 36;
// The entry of an NPCO subrecord of the layout's 36 bytes (check b.size() first).
inline NPCOData ReadNPCO(Body& b) {
    NPCOData d;
    d.NPCOLen = static_cast<int32_t>(b.size());
    d.Count = b.i32();
    d.ItemID = b.fixed(32);
    return d;
}
inline void WriteNPCO(ByteWriter& w, const NPCOData& d) {
    size_t m = w.beginSub("NPCO");
    w.i32(d.Count);
    w.fixed(d.ItemID, 32);
    w.endSub(m);
}

// One spell entry (NPCS) of races, birthsigns, NPCs and creatures. The game's own files give it 32
// characters, zero bytes included; other tools write shorter or longer ones, which are read and written
// back with their own length.
struct NPCSData {
    int32_t NPCSLen = 0; // the characters the subrecord holds
    std::string SpellID;
    bool operator==(const NPCSData&) const = default;
};
inline NPCSData ReadNPCS(Body& b) {
    return {static_cast<int32_t>(b.size()), b.text()};
}
inline void WriteNPCS(ByteWriter& w, const NPCSData& d) {
    size_t m = w.beginSub("NPCS");
    w.fixed(d.SpellID, d.NPCSLen > 0 ? static_cast<size_t>(d.NPCSLen) : 32);
    w.endSub(m);
}

// One magic effect (ENAM) of spells, enchantments and potions; those records hold 8 slots.
struct EffectData {
    int32_t ENAMLen = 0;
    int16_t EffectID = 0;
    uint8_t SkillID = 0;
    uint8_t AttributeID = 0;
    uint8_t Range = 0;
    int32_t Area = 0;
    int32_t Duration = 0;
    int32_t MagnitudeMin = 0;
    int32_t MagnitudeMax = 0;
    bool operator==(const EffectData&) const = default;
};
inline constexpr int kEffectSlots = 8;
inline constexpr size_t kENAMBytes = 24;
// The fields of an ENAM subrecord of the layout's 24 bytes (check b.size() first); the 3 bytes after Range
// are skipped.
inline EffectData ReadEffect(Body& b) {
    EffectData e;
    e.ENAMLen = static_cast<int32_t>(b.size());
    e.EffectID = b.i16();
    e.SkillID = b.u8();
    e.AttributeID = b.u8();
    e.Range = ReadFlagByte(b);
    e.Area = b.i32();
    e.Duration = b.i32();
    e.MagnitudeMin = b.i32();
    e.MagnitudeMax = b.i32();
    return e;
}
// Writes "ENAM" with the fields, three zero bytes after Range.
inline void WriteEffect(ByteWriter& w, const EffectData& e) {
    size_t m = w.beginSub("ENAM");
    w.i16(e.EffectID);
    w.u8(e.SkillID);
    w.u8(e.AttributeID);
    WriteFlagByte(w, e.Range);
    w.i32(e.Area);
    w.i32(e.Duration);
    w.i32(e.MagnitudeMin);
    w.i32(e.MagnitudeMax);
    w.endSub(m);
}

} // namespace vellum
