// Record layouts: magic effects (MGEF), spells (SPEL) and enchantments (ENCH).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "esfile/body.h"
#include "esfile/bytes.h"
#include "records/common.h"

namespace vellum {

struct MGEFRecord {
    int32_t Header1 = 0;
    int32_t Flags = 0;
    int32_t INDXLen = 0;
    int32_t INDX = 0; // the effect's number
    int32_t MEDTLen = 0;
    int32_t School = 0;
    float BaseCost = 0;
    int32_t EffectFlags = 0;
    int32_t Red = 0;
    int32_t Green = 0;
    int32_t Blue = 0;
    float SpeedX = 0;
    float SizeX = 0;
    float SizeCap = 0;
    int32_t ITEXLen = 0;
    std::string ITEX; // icon
    int32_t PTEXLen = 0;
    std::string PTEX; // particle texture
    int32_t BSNDLen = 0;
    std::string BSND; // bolt sound
    int32_t CSNDLen = 0;
    std::string CSND; // cast sound
    int32_t HSNDLen = 0;
    std::string HSND; // hit sound
    int32_t ASNDLen = 0;
    std::string ASND; // area sound
    int32_t BVFXLen = 0;
    std::string BVFX; // bolt visual
    int32_t CVFXLen = 0;
    std::string CVFX; // cast visual
    int32_t HVFXLen = 0;
    std::string HVFX; // hit visual
    int32_t AVFXLen = 0;
    std::string AVFX; // area visual
    int32_t DESCLen = 0;
    std::string DESC; // no terminator
    Extras extras;
    bool operator==(const MGEFRecord&) const = default;
};

struct SPELRecord {
    int32_t Header1 = 0;
    int32_t Flags = 0;
    int32_t NAMELen = 0;
    std::string NAME;
    int32_t FNAMLen = 0;
    std::string FNAM;
    int32_t SPDTLen = 0;
    int32_t SpellType = 0;
    int32_t Cost = 0;
    uint8_t SpellFlags = 0;                         // first byte of a 4-byte flags word
    std::array<EffectData, kEffectSlots> Effects{}; // used slots first; effects beyond them are extras
    Extras extras;
    bool operator==(const SPELRecord&) const = default;
};

struct ENCHRecord {
    int32_t Header1 = 0;
    int32_t Flags = 0;
    int32_t NAMELen = 0;
    std::string NAME;
    int32_t ENDTLen = 0;
    int32_t EnchantType = 0;
    int32_t Cost = 0;
    int32_t Charge = 0;
    uint8_t AutoCalc = 0;                           // first byte of a 4-byte word
    std::array<EffectData, kEffectSlots> Effects{}; // used slots first; effects beyond them are extras
    Extras extras;
    bool operator==(const ENCHRecord&) const = default;
};

void ReadMGEF(Body& b, MGEFRecord& rec);
void WriteMGEF(ByteWriter& w, const MGEFRecord& rec);
void ReadSPEL(Body& b, SPELRecord& rec);
void WriteSPEL(ByteWriter& w, const SPELRecord& rec);
void ReadENCH(Body& b, ENCHRecord& rec);
void WriteENCH(ByteWriter& w, const ENCHRecord& rec);

} // namespace vellum
