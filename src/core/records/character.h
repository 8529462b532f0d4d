// Record layouts: the rules characters are built from: classes (CLAS), factions (FACT), races (RACE),
// skills (SKIL) and birthsigns (BSGN).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "esfile/body.h"
#include "esfile/bytes.h"
#include "records/common.h"

namespace vellum {

struct CLASRecord {
    int32_t Header1 = 0;
    int32_t Flags = 0;
    int32_t NAMELen = 0;
    std::string NAME;
    int32_t FNAMLen = 0;
    std::string FNAM; // display name
    int32_t CLDTLen = 0;
    int32_t Attribute1 = 0;
    int32_t Attribute2 = 0;
    int32_t Specialization = 0;
    std::array<int32_t, 10> Skills{}; // minor and major skills, alternating as in the file
    uint8_t Playable = 0;             // first byte of a 4-byte flags word
    int32_t AutoCalc = 0;
    int32_t DESCLen = 0;
    std::string DESC; // no terminator
    Extras extras;
    bool operator==(const CLASRecord&) const = default;
};

// One rank name of a faction: 32 characters in the game's files, zero bytes included; a name of another
// length keeps its own.
struct RankNameData {
    int32_t RNAMLen = 0; // the characters the subrecord holds
    std::string RankName;
    bool operator==(const RankNameData&) const = default;
};
// What one faction rank requires.
struct RankData {
    int32_t Attribute1 = 0;
    int32_t Attribute2 = 0;
    int32_t Skill1 = 0;
    int32_t Skill2 = 0;
    int32_t Reputation = 0;
    bool operator==(const RankData&) const = default;
};
// A faction's reaction towards another faction (an ANAM with the INTV that follows it; INTVLen 0 when no
// INTV followed).
struct ReactionData {
    int32_t ANAMLen = 0;
    std::string ANAM; // the other faction's ID, its terminating zero kept as the last character
    int32_t INTVLen = 0;
    int32_t INTV = 0;
    bool operator==(const ReactionData&) const = default;
};
inline constexpr size_t kRankSlots = 10;

struct FACTRecord {
    int32_t Header1 = 0;
    int32_t Flags = 0;
    int32_t NAMELen = 0;
    std::string NAME;
    int32_t FNAMLen = 0;
    std::string FNAM;
    std::array<RankNameData, kRankSlots> RankNames{};
    int32_t FADTLen = 0;
    int32_t Attribute1 = 0;
    int32_t Attribute2 = 0;
    std::array<RankData, kRankSlots> Ranks{};
    std::array<int32_t, 6> Skills{}; // favoured skills
    int32_t FactionUnknown = 0;
    int32_t FactionFlags = 0;
    std::vector<ReactionData> Reactions;
    Extras extras;
    bool operator==(const FACTRecord&) const = default;
};

struct SkillBonusData {
    int32_t Skill = 0;
    int32_t Bonus = 0;
    bool operator==(const SkillBonusData&) const = default;
};
struct AttributeValueData {
    int32_t Male = 0;
    int32_t Female = 0;
    bool operator==(const AttributeValueData&) const = default;
};

struct RACERecord {
    int32_t Header1 = 0;
    int32_t Flags = 0;
    int32_t NAMELen = 0;
    std::string NAME;
    int32_t FNAMLen = 0;
    std::string FNAM;
    int32_t RADTLen = 0;
    std::array<SkillBonusData, 7> SkillBonuses{};
    std::array<AttributeValueData, 8> Attributes{};
    float HeightMale = 0;
    float HeightFemale = 0;
    float WeightMale = 0;
    float WeightFemale = 0;
    int32_t RaceFlags = 0;
    std::vector<NPCSData> Specials;
    int32_t DESCLen = 0;
    std::string DESC; // no terminator
    Extras extras;
    bool operator==(const RACERecord&) const = default;
};

struct SKILRecord {
    int32_t Header1 = 0;
    int32_t Flags = 0;
    int32_t INDXLen = 0;
    int32_t INDX = 0; // the skill's number
    int32_t SKDTLen = 0;
    int32_t Attribute = 0;
    int32_t Specialization = 0;
    std::array<float, 4> UseValues{};
    int32_t DESCLen = 0;
    std::string DESC; // no terminator
    Extras extras;
    bool operator==(const SKILRecord&) const = default;
};

struct BSGNRecord {
    int32_t Header1 = 0;
    int32_t Flags = 0;
    int32_t NAMELen = 0;
    std::string NAME;
    int32_t FNAMLen = 0;
    std::string FNAM;
    int32_t TNAMLen = 0;
    std::string TNAM; // texture
    int32_t DESCLen = 0;
    std::string DESC; // no terminator
    std::vector<NPCSData> Specials;
    Extras extras;
    bool operator==(const BSGNRecord&) const = default;
};

void ReadCLAS(Body& b, CLASRecord& rec);
void WriteCLAS(ByteWriter& w, const CLASRecord& rec);
void ReadFACT(Body& b, FACTRecord& rec);
void WriteFACT(ByteWriter& w, const FACTRecord& rec);
void ReadRACE(Body& b, RACERecord& rec);
void WriteRACE(ByteWriter& w, const RACERecord& rec);
void ReadSKIL(Body& b, SKILRecord& rec);
void WriteSKIL(ByteWriter& w, const SKILRecord& rec);
void ReadBSGN(Body& b, BSGNRecord& rec);
void WriteBSGN(ByteWriter& w, const BSGNRecord& rec);

} // namespace vellum
