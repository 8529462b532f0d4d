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

// ---- Data subrecords: each layout's fields in the order of their bytes ----

constexpr auto MiscFields = [](auto&& io, auto& rec) { io(rec.Weight, rec.Value, rec.MiscUnknown); };

// Only the first byte of the weapon's flags word is kept; it is written back with three zero bytes.
constexpr auto WeaponFields = [](auto&& io, auto& rec) {
    io(rec.Weight, rec.Value, rec.WeaponType, rec.Health, rec.Speed, rec.Reach, rec.EnchantPoints,
       rec.ChopMin, rec.ChopMax, rec.SlashMin, rec.SlashMax, rec.ThrustMin, rec.ThrustMax,
       FlagByte(rec.WeaponFlags));
};

constexpr auto ArmorFields = [](auto&& io, auto& rec) {
    io(rec.ArmorType, rec.Weight, rec.Value, rec.Health, rec.EnchantPoints, rec.ArmorRating);
};

constexpr auto ClothingFields = [](auto&& io, auto& rec) {
    io(rec.ClothingType, rec.Weight, rec.Value, rec.EnchantPoints);
};

// Repair tools (RIDT), lock picks (LKDT) and probes (PBDT): weight, value, then quality and uses; repair
// tools store the uses first.
constexpr auto RepairToolFields = [](auto&& io, auto& rec) {
    io(rec.Weight, rec.Value, rec.Uses, rec.Quality);
};
constexpr auto PickFields = [](auto&& io, auto& rec) { io(rec.Weight, rec.Value, rec.Quality, rec.Uses); };

constexpr auto ApparatusFields = [](auto&& io, auto& rec) {
    io(rec.ApparatusType, rec.Quality, rec.Weight, rec.Value);
};

constexpr auto IngredientFields = [](auto&& io, auto& rec) {
    io(rec.Weight, rec.Value, rec.EffectID, rec.SkillID, rec.AttributeID);
};

constexpr auto BookFields = [](auto&& io, auto& rec) {
    io(rec.Weight, rec.Value, rec.Scroll, rec.SkillID, rec.EnchantPoints);
};

constexpr auto PotionFields = [](auto&& io, auto& rec) { io(rec.Weight, rec.Value, rec.AutoCalc); };

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
        if (usesFirst)
            WriteLayoutIfSet(w, dataTag, rec.DataLen, rec, RepairToolFields);
        else
            WriteLayoutIfSet(w, dataTag, rec.DataLen, rec, PickFields);
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
        case "MCDT"_tag: ReadLayout(b, rec, rec.MCDTLen, 12, MiscFields); break;
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
        case "WPDT"_tag: ReadLayout(b, rec, rec.WPDTLen, 32, WeaponFields); break;
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
        case "AODT"_tag: ReadLayout(b, rec, rec.AODTLen, 24, ArmorFields); break;
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
        case "CTDT"_tag: ReadLayout(b, rec, rec.CTDTLen, 12, ClothingFields); break;
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
        case "RIDT"_tag: ReadLayout(b, rec, rec.DataLen, 16, RepairToolFields); break;
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
        case "LKDT"_tag: ReadLayout(b, rec, rec.DataLen, 16, PickFields); break;
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
        case "PBDT"_tag: ReadLayout(b, rec, rec.DataLen, 16, PickFields); break;
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
        case "AADT"_tag: ReadLayout(b, rec, rec.AADTLen, 16, ApparatusFields); break;
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
        case "IRDT"_tag: ReadLayout(b, rec, rec.IRDTLen, 56, IngredientFields); break;
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
        case "BKDT"_tag: ReadLayout(b, rec, rec.BKDTLen, 20, BookFields); break;
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
        case "ALDT"_tag: ReadLayout(b, rec, rec.ALDTLen, 12, PotionFields); break;
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
        WriteLayoutIfSet(w, "MCDT", rec.MCDTLen, rec, MiscFields);
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
        WriteLayoutIfSet(w, "WPDT", rec.WPDTLen, rec, WeaponFields);
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
        WriteLayoutIfSet(w, "AODT", rec.AODTLen, rec, ArmorFields);
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
        WriteLayoutIfSet(w, "CTDT", rec.CTDTLen, rec, ClothingFields);
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
        WriteLayoutIfSet(w, "AADT", rec.AADTLen, rec, ApparatusFields);
        WriteZStringIfSet(w, "ITEX", rec.ITEXLen, rec.ITEX);
    }
    w.endRecord(m);
}

void WriteINGR(ByteWriter& w, const INGRRecord& rec) {
    size_t m = BeginObject(w, "INGR", rec);
    if (!IsDeleted(rec.Flags)) {
        WriteZStringIfSet(w, "MODL", rec.MODLLen, rec.MODL);
        WriteZStringIfSet(w, "FNAM", rec.FNAMLen, rec.FNAM);
        WriteLayoutIfSet(w, "IRDT", rec.IRDTLen, rec, IngredientFields);
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
        WriteLayoutIfSet(w, "BKDT", rec.BKDTLen, rec, BookFields);
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
        WriteLayoutIfSet(w, "ALDT", rec.ALDTLen, rec, PotionFields);
        WriteZStringIfSet(w, "SCRI", rec.SCRILen, rec.SCRI);
        WriteZStringIfSet(w, "TEXT", rec.TEXTLen, rec.TEXT);
        WritePotionEffects(w, rec);
    }
    w.endRecord(m);
}

} // namespace vellum
