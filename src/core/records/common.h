// Shapes shared by the record layouts: string pairs, "write if set", flag bytes kept in 4-byte words, and
// the inventory, spell and magic-effect entries that several record types hold.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "esfile/bytes.h"

namespace vellum {

// A zero-terminated string subrecord: its stored length (terminator included) and its characters. A
// negative length holds no characters and is kept as 0, so that the subrecord is left out on saving like an
// empty one instead of coming back different after each save.
inline void ReadZString(ByteReader& r, int32_t& len, std::string& s) {
    len = std::max(r.i32(), 0);
    s = r.zstring(len);
}
// A string subrecord without terminator: length = characters; a negative length is kept as 0.
inline void ReadText(ByteReader& r, int32_t& len, std::string& s) {
    len = std::max(r.i32(), 0);
    s = len > 0 ? r.fixed(static_cast<uint32_t>(len)) : std::string();
}
// Writes a zero-terminated string subrecord only when its stored length is not 0.
inline void WriteZStringIfSet(ByteWriter& w, std::string_view tag, int32_t len, std::string_view s) {
    if (len != 0) w.zstringSub(tag, s);
}
// Writes a string subrecord without terminator only when its stored length is not 0.
inline void WriteTextIfSet(ByteWriter& w, std::string_view tag, int32_t len, std::string_view s) {
    if (len != 0) w.textSub(tag, s);
}

// A flag byte stored in a 4-byte word: only the first byte is kept; it is written back with three zeros.
inline uint8_t ReadFlagByte(ByteReader& r) {
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

// One inventory entry (NPCO) of containers, NPCs and creatures.
struct NPCOData {
    int32_t NPCOLen = 0;
    int32_t Count = 0;
    std::string ItemID; // 32 characters, zero bytes included
    bool operator==(const NPCOData&) const = default;
};
inline NPCOData ReadNPCO(ByteReader& r) {
    NPCOData d;
    d.NPCOLen = r.i32();
    d.Count = r.i32();
    d.ItemID = r.fixed(32);
    return d;
}
inline void WriteNPCO(ByteWriter& w, const NPCOData& d) {
    size_t m = w.beginSub("NPCO");
    w.i32(d.Count);
    w.fixed(d.ItemID, 32);
    w.endSub(m);
}

// One spell entry (NPCS) of races, birthsigns, NPCs and creatures.
struct NPCSData {
    int32_t NPCSLen = 0;
    std::string SpellID; // 32 characters, zero bytes included
    bool operator==(const NPCSData&) const = default;
};
inline NPCSData ReadNPCS(ByteReader& r) {
    NPCSData d;
    d.NPCSLen = r.i32();
    d.SpellID = r.fixed(32);
    return d;
}
inline void WriteNPCS(ByteWriter& w, const NPCSData& d) {
    size_t m = w.beginSub("NPCS");
    w.fixed(d.SpellID, 32);
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
// Reads the ENAM length and fields; the 3 bytes after Range are skipped.
inline EffectData ReadEffect(ByteReader& r) {
    EffectData e;
    e.ENAMLen = r.i32();
    e.EffectID = r.i16();
    e.SkillID = r.u8();
    e.AttributeID = r.u8();
    e.Range = ReadFlagByte(r);
    e.Area = r.i32();
    e.Duration = r.i32();
    e.MagnitudeMin = r.i32();
    e.MagnitudeMax = r.i32();
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

// Keeping a record's Size in step with what its writer writes back, when a reader takes in bytes that the
// writer leaves out (entries beyond a fixed array, the data of a deleted record, a stray DELE) or when the
// writer adds a subrecord the file did not have. The arithmetic wraps like the 32-bit field itself.
inline void DropFromSize(int32_t& size, uint64_t bytes) {
    size = static_cast<int32_t>(static_cast<uint32_t>(size) - static_cast<uint32_t>(bytes));
}
inline void AddToSize(int32_t& size, uint64_t bytes) {
    size = static_cast<int32_t>(static_cast<uint32_t>(size) + static_cast<uint32_t>(bytes));
}

// How a record reader took in one subrecord (see ReadSubrecords).
enum class SubRead {
    End,      // not a subrecord of this record type: the record is complete
    Identity, // the subrecord that names the record (NAME, INDX): written for a deleted record as well
    Data,     // any other subrecord: a deleted record is written without it
};
// The tag that the reader would read next, without reading it.
inline std::string PeekTag(const ByteReader& r) {
    ByteReader ahead = r;
    return ahead.tag();
}
// The reading loop of a record: Size, Header1, Flags, then every subrecord through readSub(rec, tag), which
// reads the subrecord whose tag has just been read (or a run of them, looking ahead with PeekTag), and
// returns End for a tag that its record type does not know. DELE is skipped here. So that the Size stays
// that of the bytes the writer writes back, a deleted record's Size loses the bytes of its data subrecords
// and gains the DELE that its writer adds when the file had none, and a DELE in a record that is not
// deleted is taken off it.
template <class Rec, class ReadSub>
Rec ReadSubrecords(ByteReader& r, std::string& pendingTag, ReadSub&& readSub) {
    Rec rec;
    rec.Size = r.i32();
    rec.Header1 = r.i32();
    rec.Flags = r.i32();
    const bool deleted = IsDeleted(rec.Flags);
    bool sawDele = false;
    pendingTag = r.tag();
    for (;;) {
        const size_t at = r.position() - 4; // where this subrecord's tag began
        if (pendingTag == "DELE") {
            r.skip(8);
            sawDele = true;
            if (!deleted) DropFromSize(rec.Size, r.position() - at);
        } else {
            const SubRead kind = readSub(rec, pendingTag);
            if (kind == SubRead::End) break;
            if (deleted && kind == SubRead::Data) DropFromSize(rec.Size, r.position() - at);
        }
        pendingTag = r.tag();
    }
    if (deleted && !sawDele) AddToSize(rec.Size, 12);
    return rec;
}

// Subrecords read by their size, and the bytes a writer will write (cells, path grids). A record whose
// writer writes a different number of bytes than its reader took in (a dropped subrecord, a repeated one
// that only keeps its last value, a normalised size) gets its Size moved by the difference, so that the
// written Size describes the written bytes whenever the Size read described the bytes read.
namespace layout {

// A 4-character tag as a number, for switching on tags.
constexpr uint32_t Tag(std::string_view t) {
    return uint32_t(uint8_t(t[0])) | (uint32_t(uint8_t(t[1])) << 8) | (uint32_t(uint8_t(t[2])) << 16) |
           (uint32_t(uint8_t(t[3])) << 24);
}

// The data bytes a size field announces; a negative size announces none.
inline uint64_t DataBytes(int32_t len) {
    return len > 0 ? static_cast<uint64_t>(len) : 0;
}

// A subrecord of a fixed layout of N bytes: its size into len, then fields(reader) reads the layout from the
// subrecord's first bytes. A shorter subrecord reads its missing bytes as zeros, and the bytes of a longer
// one beyond the layout are stepped over, so that the subrecords after it are still found.
template <size_t N, class Fields> void ReadFixedSub(ByteReader& r, int32_t& len, Fields&& fields) {
    len = r.i32();
    const uint64_t n = DataBytes(len);
    char buf[N] = {};
    r.bytes(buf, static_cast<size_t>(n < N ? n : N));
    ByteReader sub(std::string_view(buf, N));
    fields(sub);
    if (n > N) r.skip(n - N);
}
// A subrecord whose data is not kept: its size, then that many bytes stepped over.
inline void SkipSub(ByteReader& r) {
    r.skip(DataBytes(r.i32()));
}
// The size, then the data bytes that are actually there (never padded past the end of the file).
inline std::string ReadSubData(ByteReader& r, int32_t* lenOut = nullptr) {
    const int32_t len = r.i32();
    if (lenOut) *lenOut = len;
    const uint64_t n = DataBytes(len);
    const uint64_t have = n < r.remaining() ? n : r.remaining();
    std::string s = r.fixed(have);
    if (n > have) r.skip(n - have);
    return s;
}

// Stands in for a ByteWriter and only counts the bytes it would write.
struct ByteCounter {
    uint64_t n = 0;
    void u8(uint8_t) { n += 1; }
    void u16(uint16_t) { n += 2; }
    void i16(int16_t) { n += 2; }
    void u32(uint32_t) { n += 4; }
    void i32(int32_t) { n += 4; }
    void f32(float) { n += 4; }
    void raw(std::string_view s) { n += s.size(); }
    void raw(const void*, size_t k) { n += k; }
    void fixed(std::string_view, size_t k) { n += k; }
    void tag(std::string_view) { n += 4; }
    size_t beginSub(std::string_view) {
        n += 8;
        return 0;
    }
    void endSub(size_t) {}
    void zstringSub(std::string_view, std::string_view s) { n += 9 + s.size(); }
    void textSub(std::string_view, std::string_view s) { n += 8 + s.size(); }
    void deleSub() { n += 12; }
};

// Moves size by (bytes the writer will write - bytes the reader took in); body(counter) runs the writer's
// body against a ByteCounter.
template <class Body> void AdjustSize(int32_t& size, uint64_t bytesRead, Body&& body) {
    ByteCounter c;
    body(c);
    size = static_cast<int32_t>(static_cast<uint32_t>(size) + static_cast<uint32_t>(c.n) -
                                static_cast<uint32_t>(bytesRead));
}

} // namespace layout

} // namespace vellum
