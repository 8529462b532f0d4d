// Record layouts: actors. NPC_ (non-player characters) and CREA (creatures) share their inventory, spell,
// AI package and travel destination entries.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "esfile/body.h"
#include "esfile/bytes.h"
#include "records/common.h"

namespace vellum {

// AI_W: a wander package (14 bytes).
struct AI_WData {
    int32_t AI_WLen = 0;
    int16_t Distance = 0;
    int16_t Duration = 0;
    uint8_t TimeOfDay = 0;
    std::array<uint8_t, 8> Idles{};
    uint8_t Tail = 0;
    bool operator==(const AI_WData&) const = default;
};

// AI_T: a travel package (16 bytes). The coordinates are kept as their 32-bit words, bit for bit.
struct AI_TData {
    int32_t AI_TLen = 0;
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Z = 0;
    int32_t Tail = 0;
    bool operator==(const AI_TData&) const = default;
};

// AI_E (escort) and AI_F (follow) packages (48 bytes), with the cell name of a CNDT that follows the package
// at once.
struct AI_EFData {
    int32_t Len = 0;
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Z = 0;
    int16_t Duration = 0;
    std::string TargetID; // 32 characters, zero bytes included
    int16_t Tail = 0;
    int32_t CNDTLen = 0;
    std::string CNDT;
    bool operator==(const AI_EFData&) const = default;
};

// AI_A: an activate package (33 bytes).
struct AI_AData {
    int32_t AI_ALen = 0;
    std::string TargetID; // 32 characters, zero bytes included
    uint8_t Tail = 0;
    bool operator==(const AI_AData&) const = default;
};

// One travel destination: DODT (position x, y, z and rotation x, y, z as 32-bit words, bit for bit) and the
// destination cell's name from a DNAM that follows it at once. A slot whose DODTLen is 0 is empty.
struct DODTData {
    int32_t DODTLen = 0;
    std::array<int32_t, 6> DODT{};
    int32_t DNAMLen = 0;
    std::string DNAM;
    bool operator==(const DODTData&) const = default;
};

inline constexpr int kDestinationSlots = 4;

// Subrecords of a length other than their layout's (an NPDT neither 12 nor 52 bytes long, a short AIDT, an
// AI package cut short, ...), subrecords of unknown tags, destinations beyond the four slots, and a CNDT or
// DNAM that does not follow its package or DODT at once are kept whole in extras, in their place.
struct NPC_Record {
    int32_t Header1 = 0;
    int32_t Flags = 0;
    int32_t NAMELen = 0;
    std::string NAME;
    int32_t MODLLen = 0;
    std::string MODL;
    int32_t FNAMLen = 0;
    std::string FNAM;
    int32_t RNAMLen = 0;
    std::string RNAM; // race
    int32_t CNAMLen = 0;
    std::string CNAM; // class
    int32_t ANAMLen = 0;
    std::string ANAM; // faction
    int32_t BNAMLen = 0;
    std::string BNAM;
    int32_t KNAMLen = 0;
    std::string KNAM;
    int32_t SCRILen = 0;
    std::string SCRI;
    int32_t NPDTLen = 0;                 // 12: the short (auto-calculated) form; 52: the long form; 0: absent
    std::array<uint8_t, 12> NPDTShort{}; // byte 4 is the rank in the faction
    std::array<uint8_t, 52> NPDTLong{};  // byte 46 is the rank in the faction
    int32_t FLAGLen = 0;
    uint8_t FLAG0 = 0; // bit 0: female
    uint8_t FLAG1 = 0;
    std::vector<NPCOData> NPCO;
    std::vector<NPCSData> NPCS;
    int32_t AIDTLen = 0;
    std::array<uint8_t, 8> AIDTBytes{};
    int32_t AIFlags = 0;
    std::vector<AI_WData> AI_W;
    std::vector<AI_TData> AI_T;
    std::vector<AI_EFData> AI_F;
    std::vector<AI_EFData> AI_E;
    std::vector<AI_AData> AI_A;
    std::array<DODTData, kDestinationSlots> Destinations{};
    int32_t INDXLen = 0;
    int32_t INDX = 0;
    Extras extras;
    bool operator==(const NPC_Record&) const = default;
};

struct CREARecord {
    int32_t Header1 = 0;
    int32_t Flags = 0;
    int32_t NAMELen = 0;
    std::string NAME;
    int32_t MODLLen = 0;
    std::string MODL;
    int32_t CNAMLen = 0;
    std::string CNAM;
    int32_t FNAMLen = 0;
    std::string FNAM;
    int32_t SCRILen = 0;
    std::string SCRI;
    std::array<uint8_t, 100> NPDTBlock{}; // the NPDT size (4 bytes: 96, or 0 while absent), then its 96 bytes
    int32_t FLAGLen = 0;
    uint8_t FLAG0 = 0;
    uint8_t FLAG1 = 0;
    int32_t XSCLLen = 0;
    int32_t XSCL = 0;
    std::vector<NPCOData> NPCO;
    std::vector<NPCSData> NPCS;
    int32_t AIDTLen = 0;
    std::array<uint8_t, 8> AIDTBytes{};
    int32_t AIFlags = 0;
    std::vector<AI_WData> AI_W;
    std::vector<AI_TData> AI_T;
    std::vector<AI_EFData> AI_F;
    std::vector<AI_EFData> AI_E;
    std::vector<AI_AData> AI_A;
    std::array<DODTData, kDestinationSlots> Destinations{};
    int32_t INDXLen = 0;
    int32_t INDX = 0;
    Extras extras;
    bool operator==(const CREARecord&) const = default;
};

// The NPC's rank in its faction, from the NPDT form in use.
inline uint8_t FactionRank(const NPC_Record& npc) {
    return npc.NPDTLen == 12 ? npc.NPDTShort[4] : npc.NPDTLong[46];
}
inline bool IsFemale(const NPC_Record& npc) {
    return (npc.FLAG0 & 1) != 0;
}

// The readers read the record's body; the driver has set Header1 and Flags. Runs of NPCO, NPCS, AI packages
// and destinations collect in file order wherever they stand in the record.
void ReadNPC_(Body& b, NPC_Record& rec);
void ReadCREA(Body& b, CREARecord& rec);
// Subrecords come out in the writer's fixed order; AI packages grouped by kind (W, T, E, F, A). The kept
// subrecords go back in their place among them.
void WriteNPC_(ByteWriter& w, const NPC_Record& rec);
void WriteCREA(ByteWriter& w, const CREARecord& rec);

} // namespace vellum
