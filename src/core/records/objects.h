// Record layouts: the seventeen object types that stand in the world or lie in an inventory (statics, doors,
// items, containers, body parts, lights, armour, clothing, tools, activators, apparatus, ingredients, books
// and potions). The program carries their data through unchanged.
//
// Every structure begins with the record header (Header1, Flags) and holds, for each subrecord it knows,
// whether it was there and its length as read (tag + "Len"; 0 means the subrecord is absent) beside its
// content; it ends with the subrecords kept whole (extras): unknown ones, data subrecords of another length
// than their layout, and parts or effects beyond the fixed slots. String subrecords are zero-terminated in
// the file unless noted; the zero is not kept in memory.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "esfile/body.h"
#include "esfile/bytes.h"
#include "records/common.h"

namespace vellum {

struct STATRecord {
    int32_t Header1 = 0, Flags = 0;
    int32_t NAMELen = 0;
    std::string NAME;
    int32_t MODLLen = 0;
    std::string MODL;
    Extras extras;
    bool operator==(const STATRecord&) const = default;
};

struct DOORRecord {
    int32_t Header1 = 0, Flags = 0;
    int32_t NAMELen = 0;
    std::string NAME;
    int32_t MODLLen = 0;
    std::string MODL;
    int32_t FNAMLen = 0;
    std::string FNAM;
    int32_t SCRILen = 0;
    std::string SCRI;
    int32_t SNAMLen = 0;
    std::string SNAM; // opening sound
    int32_t ANAMLen = 0;
    std::string ANAM; // closing sound
    Extras extras;
    bool operator==(const DOORRecord&) const = default;
};

struct MISCRecord {
    int32_t Header1 = 0, Flags = 0;
    int32_t NAMELen = 0;
    std::string NAME;
    int32_t MODLLen = 0;
    std::string MODL;
    int32_t FNAMLen = 0;
    std::string FNAM;
    int32_t MCDTLen = 0;
    float Weight = 0;
    int32_t Value = 0;
    int32_t MiscUnknown = 0;
    int32_t SCRILen = 0;
    std::string SCRI;
    int32_t ITEXLen = 0;
    std::string ITEX;
    Extras extras;
    bool operator==(const MISCRecord&) const = default;
};

struct WEAPRecord {
    int32_t Header1 = 0, Flags = 0;
    int32_t NAMELen = 0;
    std::string NAME;
    int32_t MODLLen = 0;
    std::string MODL;
    int32_t FNAMLen = 0;
    std::string FNAM;
    int32_t WPDTLen = 0;
    float Weight = 0;
    int32_t Value = 0;
    int16_t WeaponType = 0;
    int16_t Health = 0;
    float Speed = 0;
    float Reach = 0;
    int16_t EnchantPoints = 0;
    uint8_t ChopMin = 0, ChopMax = 0, SlashMin = 0, SlashMax = 0, ThrustMin = 0, ThrustMax = 0;
    uint8_t WeaponFlags = 0; // first byte of the 4-byte flags word
    int32_t SCRILen = 0;
    std::string SCRI;
    int32_t ITEXLen = 0;
    std::string ITEX;
    int32_t ENAMLen = 0;
    std::string ENAM;
    Extras extras;
    bool operator==(const WEAPRecord&) const = default;
};

struct CONTRecord {
    int32_t Header1 = 0, Flags = 0;
    int32_t NAMELen = 0;
    std::string NAME;
    int32_t MODLLen = 0;
    std::string MODL;
    int32_t FNAMLen = 0;
    std::string FNAM;
    int32_t SCRILen = 0;
    std::string SCRI;
    int32_t CNDTLen = 0;
    float Weight = 0;
    int32_t INDXLen = 0;
    int32_t INDX = 0;
    int32_t FLAGLen = 0;
    uint8_t ContainerFlags = 0; // first byte of the 4-byte flags word
    std::vector<NPCOData> Items;
    Extras extras;
    bool operator==(const CONTRecord&) const = default;
};

struct BODYRecord {
    int32_t Header1 = 0, Flags = 0;
    int32_t NAMELen = 0;
    std::string NAME;
    int32_t MODLLen = 0;
    std::string MODL;
    int32_t FNAMLen = 0;
    std::string FNAM;
    int32_t BYDTLen = 0;
    uint8_t Part = 0, Vampire = 0, BodyFlags = 0, PartType = 0;
    Extras extras;
    bool operator==(const BODYRecord&) const = default;
};

struct LIGHRecord {
    int32_t Header1 = 0, Flags = 0;
    int32_t NAMELen = 0;
    std::string NAME;
    int32_t MODLLen = 0;
    std::string MODL;
    int32_t FNAMLen = 0;
    std::string FNAM;
    int32_t ITEXLen = 0;
    std::string ITEX;
    int32_t LHDTLen = 0;
    float Weight = 0;
    int32_t Value = 0;
    int32_t Time = 0;
    int32_t Radius = 0;
    uint8_t Red = 0, Green = 0, Blue = 0; // the colour's fourth (alpha) byte is not kept
    int32_t LightFlags = 0;
    int32_t SCRILen = 0;
    std::string SCRI;
    int32_t SNAMLen = 0;
    std::string SNAM; // sound
    Extras extras;
    bool operator==(const LIGHRecord&) const = default;
};

// One body part slot of armour and clothing. BNAM and CNAM keep their terminating zero as last character.
struct PartData {
    int32_t INDXLen = 0;
    uint8_t PartIndex = 0;
    int32_t BNAMLen = 0;
    std::string BNAM; // male part ID
    int32_t CNAMLen = 0;
    std::string CNAM; // female part ID
    bool operator==(const PartData&) const = default;
};
inline constexpr int kPartSlots = 7;

struct ARMORecord {
    int32_t Header1 = 0, Flags = 0;
    int32_t NAMELen = 0;
    std::string NAME;
    int32_t MODLLen = 0;
    std::string MODL;
    int32_t FNAMLen = 0;
    std::string FNAM;
    int32_t SCRILen = 0;
    std::string SCRI;
    int32_t AODTLen = 0;
    int32_t ArmorType = 0;
    float Weight = 0;
    int32_t Value = 0;
    int32_t Health = 0;
    int32_t EnchantPoints = 0;
    int32_t ArmorRating = 0;
    int32_t ITEXLen = 0;
    std::string ITEX;
    std::array<PartData, kPartSlots> Parts;
    int32_t ENAMLen = 0;
    std::string ENAM;
    Extras extras;
    bool operator==(const ARMORecord&) const = default;
};

struct CLOTRecord {
    int32_t Header1 = 0, Flags = 0;
    int32_t NAMELen = 0;
    std::string NAME;
    int32_t MODLLen = 0;
    std::string MODL;
    int32_t FNAMLen = 0;
    std::string FNAM;
    int32_t CTDTLen = 0;
    int32_t ClothingType = 0;
    float Weight = 0;
    int16_t Value = 0;
    int16_t EnchantPoints = 0;
    int32_t SCRILen = 0;
    std::string SCRI;
    int32_t ITEXLen = 0;
    std::string ITEX;
    std::array<PartData, kPartSlots> Parts;
    int32_t ENAMLen = 0;
    std::string ENAM;
    Extras extras;
    bool operator==(const CLOTRecord&) const = default;
};

// Repair tools, lock picks and probes share one layout; only the data subrecord's tag differs (RIDT, LKDT,
// PBDT), and repair tools store the uses before the quality.
struct REPARecord {
    int32_t Header1 = 0, Flags = 0;
    int32_t NAMELen = 0;
    std::string NAME;
    int32_t MODLLen = 0;
    std::string MODL;
    int32_t FNAMLen = 0;
    std::string FNAM;
    int32_t DataLen = 0; // stored length of RIDT, LKDT or PBDT
    float Weight = 0;
    int32_t Value = 0;
    int32_t Quality = 0;
    int32_t Uses = 0;
    int32_t SCRILen = 0;
    std::string SCRI;
    int32_t ITEXLen = 0;
    std::string ITEX;
    Extras extras;
    bool operator==(const REPARecord&) const = default;
};
using LOCKRecord = REPARecord;
using PROBRecord = REPARecord;

struct ACTIRecord {
    int32_t Header1 = 0, Flags = 0;
    int32_t NAMELen = 0;
    std::string NAME;
    int32_t MODLLen = 0;
    std::string MODL;
    int32_t FNAMLen = 0;
    std::string FNAM;
    int32_t SCRILen = 0;
    std::string SCRI;
    Extras extras;
    bool operator==(const ACTIRecord&) const = default;
};

struct APPARecord {
    int32_t Header1 = 0, Flags = 0;
    int32_t NAMELen = 0;
    std::string NAME;
    int32_t MODLLen = 0;
    std::string MODL;
    int32_t FNAMLen = 0;
    std::string FNAM;
    int32_t SCRILen = 0;
    std::string SCRI;
    int32_t AADTLen = 0;
    int32_t ApparatusType = 0;
    float Quality = 0;
    float Weight = 0;
    int32_t Value = 0;
    int32_t ITEXLen = 0;
    std::string ITEX;
    Extras extras;
    bool operator==(const APPARecord&) const = default;
};

struct INGRRecord {
    int32_t Header1 = 0, Flags = 0;
    int32_t NAMELen = 0;
    std::string NAME;
    int32_t MODLLen = 0;
    std::string MODL;
    int32_t FNAMLen = 0;
    std::string FNAM;
    int32_t IRDTLen = 0;
    float Weight = 0;
    int32_t Value = 0;
    std::array<int32_t, 4> EffectID{};
    std::array<int32_t, 4> SkillID{};
    std::array<int32_t, 4> AttributeID{};
    int32_t SCRILen = 0;
    std::string SCRI;
    int32_t ITEXLen = 0;
    std::string ITEX;
    Extras extras;
    bool operator==(const INGRRecord&) const = default;
};

struct BOOKRecord {
    int32_t Header1 = 0, Flags = 0;
    int32_t NAMELen = 0;
    std::string NAME;
    int32_t MODLLen = 0;
    std::string MODL;
    int32_t FNAMLen = 0;
    std::string FNAM;
    int32_t BKDTLen = 0;
    float Weight = 0;
    int32_t Value = 0;
    int32_t Scroll = 0;
    int32_t SkillID = 0;
    int32_t EnchantPoints = 0;
    int32_t SCRILen = 0;
    std::string SCRI;
    int32_t ITEXLen = 0;
    std::string ITEX;
    int32_t TEXTLen = 0;
    std::string TEXT; // the book's text, not zero-terminated in the file (length = characters)
    int32_t ENAMLen = 0;
    std::string ENAM;
    Extras extras;
    bool operator==(const BOOKRecord&) const = default;
};

struct ALCHRecord {
    int32_t Header1 = 0, Flags = 0;
    int32_t NAMELen = 0;
    std::string NAME;
    int32_t MODLLen = 0;
    std::string MODL;
    int32_t TEXTLen = 0;
    std::string TEXT; // the inventory icon, zero-terminated
    int32_t SCRILen = 0;
    std::string SCRI;
    int32_t FNAMLen = 0;
    std::string FNAM;
    int32_t ALDTLen = 0;
    float Weight = 0;
    int32_t Value = 0;
    int32_t AutoCalc = 0;
    std::array<EffectData, kEffectSlots> Effects;
    Extras extras;
    bool operator==(const ALCHRecord&) const = default;
};

// Readers: each takes the body of one record whose Header1 and Flags are already set. Writers write one
// record at the writer's current position; a deleted record as its NAME and DELE only.
void ReadSTAT(Body& b, STATRecord& rec);
void ReadDOOR(Body& b, DOORRecord& rec);
void ReadMISC(Body& b, MISCRecord& rec);
void ReadWEAP(Body& b, WEAPRecord& rec);
void ReadCONT(Body& b, CONTRecord& rec);
void ReadBODY(Body& b, BODYRecord& rec);
void ReadLIGH(Body& b, LIGHRecord& rec);
void ReadARMO(Body& b, ARMORecord& rec);
void ReadCLOT(Body& b, CLOTRecord& rec);
void ReadREPA(Body& b, REPARecord& rec);
void ReadACTI(Body& b, ACTIRecord& rec);
void ReadAPPA(Body& b, APPARecord& rec);
void ReadLOCK(Body& b, LOCKRecord& rec);
void ReadPROB(Body& b, PROBRecord& rec);
void ReadINGR(Body& b, INGRRecord& rec);
void ReadBOOK(Body& b, BOOKRecord& rec);
void ReadALCH(Body& b, ALCHRecord& rec);

void WriteSTAT(ByteWriter& w, const STATRecord& rec);
void WriteDOOR(ByteWriter& w, const DOORRecord& rec);
void WriteMISC(ByteWriter& w, const MISCRecord& rec);
void WriteWEAP(ByteWriter& w, const WEAPRecord& rec);
void WriteCONT(ByteWriter& w, const CONTRecord& rec);
void WriteBODY(ByteWriter& w, const BODYRecord& rec);
void WriteLIGH(ByteWriter& w, const LIGHRecord& rec);
void WriteARMO(ByteWriter& w, const ARMORecord& rec);
void WriteCLOT(ByteWriter& w, const CLOTRecord& rec);
void WriteREPA(ByteWriter& w, const REPARecord& rec);
void WriteACTI(ByteWriter& w, const ACTIRecord& rec);
void WriteAPPA(ByteWriter& w, const APPARecord& rec);
void WriteLOCK(ByteWriter& w, const LOCKRecord& rec);
void WritePROB(ByteWriter& w, const PROBRecord& rec);
void WriteINGR(ByteWriter& w, const INGRRecord& rec);
void WriteBOOK(ByteWriter& w, const BOOKRecord& rec);
void WriteALCH(ByteWriter& w, const ALCHRecord& rec);

// Shared by the writers: the record header and NAME, then for a deleted record its DELE. Returns the mark
// for endRecord; the caller writes the other subrecords only when the record is not deleted.
template <class R> size_t BeginObject(ByteWriter& w, std::string_view tag, const R& rec) {
    size_t m = w.beginRecord(tag, rec.Header1, rec.Flags, KeptUnlessDeleted(rec));
    WriteZStringIfSet(w, "NAME", rec.NAMELen, rec.NAME);
    if (IsDeleted(rec.Flags)) w.deleSub();
    return m;
}

} // namespace vellum
