// Record layouts: sounds, regions, land textures, sound generators and levelled lists.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "esfile/body.h"
#include "esfile/bytes.h"

namespace vellum {

struct SOUNRecord {
    int32_t Header1 = 0;
    int32_t Flags = 0;
    int32_t NAMELen = 0;
    std::string NAME;
    int32_t FNAMLen = 0;
    std::string FNAM; // the sound file
    int32_t DATALen = 0;
    uint8_t Volume = 0;
    uint8_t MinRange = 0;
    uint8_t MaxRange = 0;
    Extras extras;

    bool operator==(const SOUNRecord&) const = default;
};

// One ambient sound of a region.
struct RegionSoundData {
    int32_t SNAMLen = 0;
    std::string SoundID; // 32 characters, zero bytes included
    uint8_t Chance = 0;

    bool operator==(const RegionSoundData&) const = default;
};

struct REGNRecord {
    int32_t Header1 = 0;
    int32_t Flags = 0;
    int32_t NAMELen = 0;
    std::string NAME;
    int32_t FNAMLen = 0;
    std::string FNAM;
    int32_t WEATLen = 0;
    std::vector<uint8_t> Weather; // the weather chances, WEATLen of them
    int32_t BNAMLen = 0;
    std::string BNAM; // the sleep creature
    int32_t CNAMLen = 0;
    uint8_t Red = 0; // the map colour
    uint8_t Green = 0;
    uint8_t Blue = 0;
    std::vector<RegionSoundData> Sounds; // every SNAM of the record, in file order
    int32_t WNAMLen = 0;
    int32_t WNAM = 0;
    Extras extras;

    bool operator==(const REGNRecord&) const = default;
};

struct LTEXRecord {
    int32_t Header1 = 0;
    int32_t Flags = 0;
    int32_t NAMELen = 0;
    std::string NAME;
    int32_t INTVLen = 0;
    int32_t INTV = 0; // the texture's number
    int32_t DATALen = 0;
    std::string DATA; // the texture file
    Extras extras;

    bool operator==(const LTEXRecord&) const = default;
};

struct SNDGRecord {
    int32_t Header1 = 0;
    int32_t Flags = 0;
    int32_t NAMELen = 0;
    std::string NAME;
    int32_t DATALen = 0;
    uint8_t SoundType = 0; // the first byte of a 4-byte word
    int32_t CNAMLen = 0;
    std::string CNAM; // the creature
    int32_t SNAMLen = 0;
    std::string SNAM; // the sound
    Extras extras;

    bool operator==(const SNDGRecord&) const = default;
};

// One entry of a levelled list: an item (INAM) or a creature (CNAM) and its level.
struct LevelledItemData {
    int32_t INAMLen = 0;
    std::string INAM;
    int32_t INTVLen = 0;
    int16_t Level = 0;

    bool operator==(const LevelledItemData&) const = default;
};

// Levelled item and creature lists share one structure.
struct LEVIRecord {
    int32_t Header1 = 0;
    int32_t Flags = 0;
    int32_t NAMELen = 0;
    std::string NAME;
    int32_t DATALen = 0;
    uint8_t ListFlags = 0; // the first byte of a 4-byte word
    int32_t NNAMLen = 0;
    uint8_t ChanceNone = 0;
    int32_t INDXLen = 0;
    int32_t INDX = 0; // the number of entries
    std::vector<LevelledItemData> Items;
    Extras extras;

    bool operator==(const LEVIRecord&) const = default;
};
using LEVCRecord = LEVIRecord;

void ReadSOUN(Body& b, SOUNRecord& rec);
void WriteSOUN(ByteWriter& w, const SOUNRecord& rec);
void ReadREGN(Body& b, REGNRecord& rec);
void WriteREGN(ByteWriter& w, const REGNRecord& rec);
void ReadLTEX(Body& b, LTEXRecord& rec);
void WriteLTEX(ByteWriter& w, const LTEXRecord& rec);
void ReadSNDG(Body& b, SNDGRecord& rec);
void WriteSNDG(ByteWriter& w, const SNDGRecord& rec);
void ReadLEVI(Body& b, LEVIRecord& rec);
void WriteLEVI(ByteWriter& w, const LEVIRecord& rec);
void ReadLEVC(Body& b, LEVCRecord& rec);
void WriteLEVC(ByteWriter& w, const LEVCRecord& rec);

} // namespace vellum
