// The items that lie in an inventory: miscellaneous items, weapons, armour, clothing, repair tools, lock
// picks, probes, apparatus, ingredients, books and potions.
//
// Each reader takes the subrecords in any order; one that comes twice keeps its later value. Each writer
// writes them in the order of the game's own files, every one only when it is present (its length is not
// 0); the subrecords kept whole go back in their place among them.
#include <algorithm>

#include "records/objects.h"

namespace vellum {
namespace {

// ---- Data subrecords, one reader and one writer per layout ----

void ReadMiscData(Body& b, MISCRecord& rec) {
    b.layout(12, rec.extras, [&] {
        rec.MCDTLen = 12;
        rec.Weight = b.f32();
        rec.Value = b.i32();
        rec.MiscUnknown = b.i32();
    });
}
void WriteMiscData(ByteWriter& w, const MISCRecord& rec) {
    if (rec.MCDTLen == 0) return;
    size_t m = w.beginSub("MCDT");
    w.f32(rec.Weight);
    w.i32(rec.Value);
    w.i32(rec.MiscUnknown);
    w.endSub(m);
}

// Only the first byte of the weapon's flags word is kept; it is written back with three zero bytes.
void ReadWeaponData(Body& b, WEAPRecord& rec) {
    b.layout(32, rec.extras, [&] {
        rec.WPDTLen = 32;
        rec.Weight = b.f32();
        rec.Value = b.i32();
        rec.WeaponType = b.i16();
        rec.Health = b.i16();
        rec.Speed = b.f32();
        rec.Reach = b.f32();
        rec.EnchantPoints = b.i16();
        rec.ChopMin = b.u8();
        rec.ChopMax = b.u8();
        rec.SlashMin = b.u8();
        rec.SlashMax = b.u8();
        rec.ThrustMin = b.u8();
        rec.ThrustMax = b.u8();
        rec.WeaponFlags = ReadFlagByte(b);
    });
}
void WriteWeaponData(ByteWriter& w, const WEAPRecord& rec) {
    if (rec.WPDTLen == 0) return;
    size_t m = w.beginSub("WPDT");
    w.f32(rec.Weight);
    w.i32(rec.Value);
    w.i16(rec.WeaponType);
    w.i16(rec.Health);
    w.f32(rec.Speed);
    w.f32(rec.Reach);
    w.i16(rec.EnchantPoints);
    w.u8(rec.ChopMin);
    w.u8(rec.ChopMax);
    w.u8(rec.SlashMin);
    w.u8(rec.SlashMax);
    w.u8(rec.ThrustMin);
    w.u8(rec.ThrustMax);
    WriteFlagByte(w, rec.WeaponFlags);
    w.endSub(m);
}

void ReadArmorData(Body& b, ARMORecord& rec) {
    b.layout(24, rec.extras, [&] {
        rec.AODTLen = 24;
        rec.ArmorType = b.i32();
        rec.Weight = b.f32();
        rec.Value = b.i32();
        rec.Health = b.i32();
        rec.EnchantPoints = b.i32();
        rec.ArmorRating = b.i32();
    });
}
void WriteArmorData(ByteWriter& w, const ARMORecord& rec) {
    if (rec.AODTLen == 0) return;
    size_t m = w.beginSub("AODT");
    w.i32(rec.ArmorType);
    w.f32(rec.Weight);
    w.i32(rec.Value);
    w.i32(rec.Health);
    w.i32(rec.EnchantPoints);
    w.i32(rec.ArmorRating);
    w.endSub(m);
}

void ReadClothingData(Body& b, CLOTRecord& rec) {
    b.layout(12, rec.extras, [&] {
        rec.CTDTLen = 12;
        rec.ClothingType = b.i32();
        rec.Weight = b.f32();
        rec.Value = b.i16();
        rec.EnchantPoints = b.i16();
    });
}
void WriteClothingData(ByteWriter& w, const CLOTRecord& rec) {
    if (rec.CTDTLen == 0) return;
    size_t m = w.beginSub("CTDT");
    w.i32(rec.ClothingType);
    w.f32(rec.Weight);
    w.i16(rec.Value);
    w.i16(rec.EnchantPoints);
    w.endSub(m);
}

// Repair tools (RIDT), lock picks (LKDT) and probes (PBDT): weight, value, then quality and uses; repair
// tools store the uses first.
void ReadToolData(Body& b, REPARecord& rec, bool usesFirst) {
    b.layout(16, rec.extras, [&] {
        rec.DataLen = 16;
        rec.Weight = b.f32();
        rec.Value = b.i32();
        (usesFirst ? rec.Uses : rec.Quality) = b.i32();
        (usesFirst ? rec.Quality : rec.Uses) = b.i32();
    });
}
void WriteToolData(ByteWriter& w, std::string_view tag, const REPARecord& rec, bool usesFirst) {
    if (rec.DataLen == 0) return;
    size_t m = w.beginSub(tag);
    w.f32(rec.Weight);
    w.i32(rec.Value);
    w.i32(usesFirst ? rec.Uses : rec.Quality);
    w.i32(usesFirst ? rec.Quality : rec.Uses);
    w.endSub(m);
}

void ReadApparatusData(Body& b, APPARecord& rec) {
    b.layout(16, rec.extras, [&] {
        rec.AADTLen = 16;
        rec.ApparatusType = b.i32();
        rec.Quality = b.f32();
        rec.Weight = b.f32();
        rec.Value = b.i32();
    });
}
void WriteApparatusData(ByteWriter& w, const APPARecord& rec) {
    if (rec.AADTLen == 0) return;
    size_t m = w.beginSub("AADT");
    w.i32(rec.ApparatusType);
    w.f32(rec.Quality);
    w.f32(rec.Weight);
    w.i32(rec.Value);
    w.endSub(m);
}

void ReadIngredientData(Body& b, INGRRecord& rec) {
    b.layout(56, rec.extras, [&] {
        rec.IRDTLen = 56;
        rec.Weight = b.f32();
        rec.Value = b.i32();
        for (int32_t& v : rec.EffectID) v = b.i32();
        for (int32_t& v : rec.SkillID) v = b.i32();
        for (int32_t& v : rec.AttributeID) v = b.i32();
    });
}
void WriteIngredientData(ByteWriter& w, const INGRRecord& rec) {
    if (rec.IRDTLen == 0) return;
    size_t m = w.beginSub("IRDT");
    w.f32(rec.Weight);
    w.i32(rec.Value);
    for (int32_t v : rec.EffectID) w.i32(v);
    for (int32_t v : rec.SkillID) w.i32(v);
    for (int32_t v : rec.AttributeID) w.i32(v);
    w.endSub(m);
}

void ReadBookData(Body& b, BOOKRecord& rec) {
    b.layout(20, rec.extras, [&] {
        rec.BKDTLen = 20;
        rec.Weight = b.f32();
        rec.Value = b.i32();
        rec.Scroll = b.i32();
        rec.SkillID = b.i32();
        rec.EnchantPoints = b.i32();
    });
}
void WriteBookData(ByteWriter& w, const BOOKRecord& rec) {
    if (rec.BKDTLen == 0) return;
    size_t m = w.beginSub("BKDT");
    w.f32(rec.Weight);
    w.i32(rec.Value);
    w.i32(rec.Scroll);
    w.i32(rec.SkillID);
    w.i32(rec.EnchantPoints);
    w.endSub(m);
}

void ReadPotionData(Body& b, ALCHRecord& rec) {
    b.layout(12, rec.extras, [&] {
        rec.ALDTLen = 12;
        rec.Weight = b.f32();
        rec.Value = b.i32();
        rec.AutoCalc = b.i32();
    });
}
void WritePotionData(ByteWriter& w, const ALCHRecord& rec) {
    if (rec.ALDTLen == 0) return;
    size_t m = w.beginSub("ALDT");
    w.f32(rec.Weight);
    w.i32(rec.Value);
    w.i32(rec.AutoCalc);
    w.endSub(m);
}

// ---- Body parts of armour and clothing ----

// An INDX starts a part in the next free slot and returns it; the BNAM and CNAM after it name that part's
// male and female pieces. A part beyond the slots, or an INDX of another length than its one byte, is kept
// whole (returns no part), and so are the names that follow it.
PartData* ReadPartIndex(Body& b, std::array<PartData, kPartSlots>& parts, Extras& extras) {
    auto slot = std::find_if(parts.begin(), parts.end(), [](const PartData& p) { return p.INDXLen == 0; });
    if (b.size() != 1 || slot == parts.end()) {
        b.keep(extras);
        return nullptr;
    }
    slot->INDXLen = 1;
    slot->PartIndex = b.u8();
    return &*slot;
}
// A part name keeps its terminator as its last character. A name without a part before it, or a second one
// of the same kind for a part, is kept whole.
void ReadPartName(Body& b, PartData* part, int32_t PartData::*len, std::string PartData::*name,
                  Extras& extras) {
    if (part == nullptr || part->*len != 0)
        b.keep(extras);
    else
        ReadText(b, part->*len, part->*name);
}
// Each part in slot order: INDX, then the male name, then the female name.
void WriteParts(ByteWriter& w, const std::array<PartData, kPartSlots>& parts) {
    for (const PartData& p : parts) {
        if (p.INDXLen == 0) continue;
        size_t m = w.beginSub("INDX");
        w.u8(p.PartIndex);
        w.endSub(m);
        WriteTextIfSet(w, "BNAM", p.BNAMLen, p.BNAM);
        WriteTextIfSet(w, "CNAM", p.CNAMLen, p.CNAM);
    }
}

// ---- Potion effects ----

// Each ENAM fills the next free slot; an effect beyond the eight slots, or of another length than its
// layout, is kept whole.
void ReadPotionEffect(Body& b, ALCHRecord& rec) {
    auto slot = std::find_if(rec.Effects.begin(), rec.Effects.end(),
                             [](const EffectData& e) { return e.ENAMLen == 0; });
    if (b.size() == kENAMBytes && slot != rec.Effects.end())
        *slot = ReadEffect(b);
    else
        b.keep(rec.extras);
}
void WritePotionEffects(ByteWriter& w, const ALCHRecord& rec) {
    for (const EffectData& e : rec.Effects)
        if (e.ENAMLen != 0) WriteEffect(w, e);
}

// Repair tools, lock picks and probes differ only in their tags and the order of quality and uses.
void WriteTool(ByteWriter& w, std::string_view tag, std::string_view dataTag, const REPARecord& rec,
               bool usesFirst) {
    size_t m = BeginObject(w, tag, rec);
    if (!IsDeleted(rec.Flags)) {
        WriteZStringIfSet(w, "MODL", rec.MODLLen, rec.MODL);
        WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        WriteToolData(w, dataTag, rec, usesFirst);
        WriteZStringIfSet(w, "SCRI", rec.SCRILen, rec.SCRI);
        WriteZStringIfSet(w, "ITEX", rec.ITEXLen, rec.ITEX);
    }
    w.endRecord(m);
}

} // namespace

// ---- Readers ----

void ReadMISC(Body& b, MISCRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "MODL"_tag: ReadZString(b, rec.MODLLen, rec.MODL); break;
        case "FNAM"_tag: ReadZString(b, rec.FNAMLen, rec.FNAM); break;
        case "SCRI"_tag: ReadZString(b, rec.SCRILen, rec.SCRI); break;
        case "ITEX"_tag: ReadZString(b, rec.ITEXLen, rec.ITEX); break;
        case "MCDT"_tag: ReadMiscData(b, rec); break;
        case "DELE"_tag: break; // deletion is carried by Flags alone
        default: b.keep(rec.extras); break;
        }
}

void ReadWEAP(Body& b, WEAPRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "MODL"_tag: ReadZString(b, rec.MODLLen, rec.MODL); break;
        case "FNAM"_tag: ReadZString(b, rec.FNAMLen, rec.FNAM); break;
        case "SCRI"_tag: ReadZString(b, rec.SCRILen, rec.SCRI); break;
        case "ITEX"_tag: ReadZString(b, rec.ITEXLen, rec.ITEX); break;
        case "ENAM"_tag: ReadZString(b, rec.ENAMLen, rec.ENAM); break;
        case "WPDT"_tag: ReadWeaponData(b, rec); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

void ReadARMO(Body& b, ARMORecord& rec) {
    PartData* part = nullptr; // the part that a BNAM or CNAM names
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "MODL"_tag: ReadZString(b, rec.MODLLen, rec.MODL); break;
        case "FNAM"_tag: ReadZString(b, rec.FNAMLen, rec.FNAM); break;
        case "SCRI"_tag: ReadZString(b, rec.SCRILen, rec.SCRI); break;
        case "ITEX"_tag: ReadZString(b, rec.ITEXLen, rec.ITEX); break;
        case "ENAM"_tag: ReadZString(b, rec.ENAMLen, rec.ENAM); break;
        case "AODT"_tag: ReadArmorData(b, rec); break;
        case "INDX"_tag: part = ReadPartIndex(b, rec.Parts, rec.extras); break;
        case "BNAM"_tag: ReadPartName(b, part, &PartData::BNAMLen, &PartData::BNAM, rec.extras); break;
        case "CNAM"_tag: ReadPartName(b, part, &PartData::CNAMLen, &PartData::CNAM, rec.extras); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

void ReadCLOT(Body& b, CLOTRecord& rec) {
    PartData* part = nullptr; // the part that a BNAM or CNAM names
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "MODL"_tag: ReadZString(b, rec.MODLLen, rec.MODL); break;
        case "FNAM"_tag: ReadZString(b, rec.FNAMLen, rec.FNAM); break;
        case "SCRI"_tag: ReadZString(b, rec.SCRILen, rec.SCRI); break;
        case "ITEX"_tag: ReadZString(b, rec.ITEXLen, rec.ITEX); break;
        case "ENAM"_tag: ReadZString(b, rec.ENAMLen, rec.ENAM); break;
        case "CTDT"_tag: ReadClothingData(b, rec); break;
        case "INDX"_tag: part = ReadPartIndex(b, rec.Parts, rec.extras); break;
        case "BNAM"_tag: ReadPartName(b, part, &PartData::BNAMLen, &PartData::BNAM, rec.extras); break;
        case "CNAM"_tag: ReadPartName(b, part, &PartData::CNAMLen, &PartData::CNAM, rec.extras); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

void ReadREPA(Body& b, REPARecord& rec) {
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "MODL"_tag: ReadZString(b, rec.MODLLen, rec.MODL); break;
        case "FNAM"_tag: ReadZString(b, rec.FNAMLen, rec.FNAM); break;
        case "SCRI"_tag: ReadZString(b, rec.SCRILen, rec.SCRI); break;
        case "ITEX"_tag: ReadZString(b, rec.ITEXLen, rec.ITEX); break;
        case "RIDT"_tag: ReadToolData(b, rec, true); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

void ReadLOCK(Body& b, LOCKRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "MODL"_tag: ReadZString(b, rec.MODLLen, rec.MODL); break;
        case "FNAM"_tag: ReadZString(b, rec.FNAMLen, rec.FNAM); break;
        case "SCRI"_tag: ReadZString(b, rec.SCRILen, rec.SCRI); break;
        case "ITEX"_tag: ReadZString(b, rec.ITEXLen, rec.ITEX); break;
        case "LKDT"_tag: ReadToolData(b, rec, false); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

void ReadPROB(Body& b, PROBRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "MODL"_tag: ReadZString(b, rec.MODLLen, rec.MODL); break;
        case "FNAM"_tag: ReadZString(b, rec.FNAMLen, rec.FNAM); break;
        case "SCRI"_tag: ReadZString(b, rec.SCRILen, rec.SCRI); break;
        case "ITEX"_tag: ReadZString(b, rec.ITEXLen, rec.ITEX); break;
        case "PBDT"_tag: ReadToolData(b, rec, false); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

void ReadAPPA(Body& b, APPARecord& rec) {
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "MODL"_tag: ReadZString(b, rec.MODLLen, rec.MODL); break;
        case "FNAM"_tag: ReadZString(b, rec.FNAMLen, rec.FNAM); break;
        case "SCRI"_tag: ReadZString(b, rec.SCRILen, rec.SCRI); break;
        case "ITEX"_tag: ReadZString(b, rec.ITEXLen, rec.ITEX); break;
        case "AADT"_tag: ReadApparatusData(b, rec); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

void ReadINGR(Body& b, INGRRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "MODL"_tag: ReadZString(b, rec.MODLLen, rec.MODL); break;
        case "FNAM"_tag: ReadZString(b, rec.FNAMLen, rec.FNAM); break;
        case "SCRI"_tag: ReadZString(b, rec.SCRILen, rec.SCRI); break;
        case "ITEX"_tag: ReadZString(b, rec.ITEXLen, rec.ITEX); break;
        case "IRDT"_tag: ReadIngredientData(b, rec); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

// The book's text is the one string of the family without a terminator.
void ReadBOOK(Body& b, BOOKRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "MODL"_tag: ReadZString(b, rec.MODLLen, rec.MODL); break;
        case "FNAM"_tag: ReadZString(b, rec.FNAMLen, rec.FNAM); break;
        case "SCRI"_tag: ReadZString(b, rec.SCRILen, rec.SCRI); break;
        case "ITEX"_tag: ReadZString(b, rec.ITEXLen, rec.ITEX); break;
        case "ENAM"_tag: ReadZString(b, rec.ENAMLen, rec.ENAM); break;
        case "TEXT"_tag: ReadText(b, rec.TEXTLen, rec.TEXT); break;
        case "BKDT"_tag: ReadBookData(b, rec); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

// A potion's TEXT is its icon, an ordinary zero-terminated string; its ENAMs are its effects.
void ReadALCH(Body& b, ALCHRecord& rec) {
    while (b.more()) switch (b.next()) {
        case "NAME"_tag: ReadZString(b, rec.NAMELen, rec.NAME); break;
        case "MODL"_tag: ReadZString(b, rec.MODLLen, rec.MODL); break;
        case "FNAM"_tag: ReadZString(b, rec.FNAMLen, rec.FNAM); break;
        case "SCRI"_tag: ReadZString(b, rec.SCRILen, rec.SCRI); break;
        case "TEXT"_tag: ReadZString(b, rec.TEXTLen, rec.TEXT); break;
        case "ALDT"_tag: ReadPotionData(b, rec); break;
        case "ENAM"_tag: ReadPotionEffect(b, rec); break;
        case "DELE"_tag: break;
        default: b.keep(rec.extras); break;
        }
}

// ---- Writers ----

void WriteMISC(ByteWriter& w, const MISCRecord& rec) {
    size_t m = BeginObject(w, "MISC", rec);
    if (!IsDeleted(rec.Flags)) {
        WriteZStringIfSet(w, "MODL", rec.MODLLen, rec.MODL);
        WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        WriteMiscData(w, rec);
        WriteZStringIfSet(w, "SCRI", rec.SCRILen, rec.SCRI);
        WriteZStringIfSet(w, "ITEX", rec.ITEXLen, rec.ITEX);
    }
    w.endRecord(m);
}

void WriteWEAP(ByteWriter& w, const WEAPRecord& rec) {
    size_t m = BeginObject(w, "WEAP", rec);
    if (!IsDeleted(rec.Flags)) {
        WriteZStringIfSet(w, "MODL", rec.MODLLen, rec.MODL);
        WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        WriteWeaponData(w, rec);
        WriteZStringIfSet(w, "SCRI", rec.SCRILen, rec.SCRI);
        WriteZStringIfSet(w, "ITEX", rec.ITEXLen, rec.ITEX);
        WriteZStringIfSet(w, "ENAM", rec.ENAMLen, rec.ENAM);
    }
    w.endRecord(m);
}

void WriteARMO(ByteWriter& w, const ARMORecord& rec) {
    size_t m = BeginObject(w, "ARMO", rec);
    if (!IsDeleted(rec.Flags)) {
        WriteZStringIfSet(w, "MODL", rec.MODLLen, rec.MODL);
        WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        WriteZStringIfSet(w, "SCRI", rec.SCRILen, rec.SCRI);
        WriteArmorData(w, rec);
        WriteZStringIfSet(w, "ITEX", rec.ITEXLen, rec.ITEX);
        WriteParts(w, rec.Parts);
        WriteZStringIfSet(w, "ENAM", rec.ENAMLen, rec.ENAM);
    }
    w.endRecord(m);
}

void WriteCLOT(ByteWriter& w, const CLOTRecord& rec) {
    size_t m = BeginObject(w, "CLOT", rec);
    if (!IsDeleted(rec.Flags)) {
        WriteZStringIfSet(w, "MODL", rec.MODLLen, rec.MODL);
        WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        WriteZStringIfSet(w, "SCRI", rec.SCRILen, rec.SCRI);
        WriteClothingData(w, rec);
        WriteZStringIfSet(w, "ITEX", rec.ITEXLen, rec.ITEX);
        WriteParts(w, rec.Parts);
        WriteZStringIfSet(w, "ENAM", rec.ENAMLen, rec.ENAM);
    }
    w.endRecord(m);
}

void WriteREPA(ByteWriter& w, const REPARecord& rec) {
    WriteTool(w, "REPA", "RIDT", rec, true);
}
void WriteLOCK(ByteWriter& w, const LOCKRecord& rec) {
    WriteTool(w, "LOCK", "LKDT", rec, false);
}
void WritePROB(ByteWriter& w, const PROBRecord& rec) {
    WriteTool(w, "PROB", "PBDT", rec, false);
}

void WriteAPPA(ByteWriter& w, const APPARecord& rec) {
    size_t m = BeginObject(w, "APPA", rec);
    if (!IsDeleted(rec.Flags)) {
        WriteZStringIfSet(w, "MODL", rec.MODLLen, rec.MODL);
        WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        WriteZStringIfSet(w, "SCRI", rec.SCRILen, rec.SCRI);
        WriteApparatusData(w, rec);
        WriteZStringIfSet(w, "ITEX", rec.ITEXLen, rec.ITEX);
    }
    w.endRecord(m);
}

void WriteINGR(ByteWriter& w, const INGRRecord& rec) {
    size_t m = BeginObject(w, "INGR", rec);
    if (!IsDeleted(rec.Flags)) {
        WriteZStringIfSet(w, "MODL", rec.MODLLen, rec.MODL);
        WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        WriteIngredientData(w, rec);
        WriteZStringIfSet(w, "SCRI", rec.SCRILen, rec.SCRI);
        WriteZStringIfSet(w, "ITEX", rec.ITEXLen, rec.ITEX);
    }
    w.endRecord(m);
}

void WriteBOOK(ByteWriter& w, const BOOKRecord& rec) {
    size_t m = BeginObject(w, "BOOK", rec);
    if (!IsDeleted(rec.Flags)) {
        WriteZStringIfSet(w, "MODL", rec.MODLLen, rec.MODL);
        WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        WriteBookData(w, rec);
        WriteZStringIfSet(w, "SCRI", rec.SCRILen, rec.SCRI);
        WriteZStringIfSet(w, "ITEX", rec.ITEXLen, rec.ITEX);
        WriteTextIfSet(w, "TEXT", rec.TEXTLen, rec.TEXT);
        WriteZStringIfSet(w, "ENAM", rec.ENAMLen, rec.ENAM);
    }
    w.endRecord(m);
}

void WriteALCH(ByteWriter& w, const ALCHRecord& rec) {
    size_t m = BeginObject(w, "ALCH", rec);
    if (!IsDeleted(rec.Flags)) {
        WriteZStringIfSet(w, "MODL", rec.MODLLen, rec.MODL);
        WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        WritePotionData(w, rec);
        WriteZStringIfSet(w, "SCRI", rec.SCRILen, rec.SCRI);
        WriteZStringIfSet(w, "TEXT", rec.TEXTLen, rec.TEXT);
        WritePotionEffects(w, rec);
    }
    w.endRecord(m);
}

} // namespace vellum
