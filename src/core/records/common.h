// Shapes shared by the record layouts: string pairs, "write if set", flag bytes kept in 4-byte words, and
// the inventory, spell and magic-effect entries that several record types hold.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "esfile/bytes.h"

namespace vellum {

// A zero-terminated string subrecord: its stored length (terminator included) and its characters.
inline void ReadZString(ByteReader& r, int32_t& len, std::string& s) {
    len = r.i32();
    s = r.zstring(len);
}
// A string subrecord without terminator: length = characters.
inline void ReadText(ByteReader& r, int32_t& len, std::string& s) {
    len = r.i32();
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

} // namespace vellum
