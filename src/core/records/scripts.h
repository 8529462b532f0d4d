// Record layouts: scripts (SCPT) and start scripts (SSCR).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "esfile/body.h"
#include "esfile/bytes.h"

namespace vellum {

// A script: its header, its local variable names split by type, its compiled code and source text, and in
// saved games the current values of its locals.
struct SCPTRecord {
    int32_t Header1 = 0;
    int32_t Flags = 0;
    int32_t SCHDLen = 0;
    std::string ScriptName; // 32 characters, zero bytes included
    int32_t NumShorts = 0;
    int32_t NumLongs = 0;
    int32_t NumFloats = 0;
    int32_t ScriptDataSize = 0;
    int32_t LocalVarSize = 0;
    int32_t SCVRLen = 0;
    std::vector<std::string> ShortNames;
    std::vector<std::string> LongNames;
    std::vector<std::string> FloatNames;
    std::vector<std::string> ExtraNames; // names beyond the header's counts, written after the others
    int32_t SCDTLen = 0;
    std::string SCDT; // compiled code, SCDTLen bytes
    int32_t SCTXLen = 0;
    std::string SCTX; // source text, no terminator
    int32_t RNAMLen = 0;
    std::string RNAM; // saved games: the reference the script runs on
    int32_t SLSDLen = 0;
    std::vector<int16_t> ShortValues; // saved games
    int32_t SLFDLen = 0;
    std::vector<float> FloatValues; // saved games
    int32_t SLCSLen = 0;
    std::string SLCS; // saved games, SLCSLen bytes
    Extras extras;

    bool operator==(const SCPTRecord&) const = default;
};

// The header subrecord's fixed size: the name and five 32-bit values.
inline constexpr int32_t kSCHDSize = 52;

void ReadSCPT(Body& b, SCPTRecord& rec);
// alwaysWriteText is false when the target is a saved game: an empty source text is then left out.
void WriteSCPT(ByteWriter& w, const SCPTRecord& rec, bool alwaysWriteText);

// A start script entry. Both strings are held with whatever the file stored (no terminator is added or
// removed).
struct SSCRRecord {
    int32_t Header1 = 0;
    int32_t Flags = 0;
    int32_t DATALen = 0;
    std::string DATA;
    int32_t NAMELen = 0;
    std::string NAME; // the script's ID
    Extras extras;

    bool operator==(const SSCRRecord&) const = default;
};

void ReadSSCR(Body& b, SSCRRecord& rec);
void WriteSSCR(ByteWriter& w, const SSCRRecord& rec);

} // namespace vellum
