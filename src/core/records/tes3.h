// The file header record (TES3) that begins every data file.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "esfile/body.h"
#include "esfile/bytes.h"

namespace vellum {

struct MasterEntry {
    int32_t MASTLen = 0;
    std::string Name;
    int32_t DATALen = 0;
    std::array<uint8_t, 8> MasterData{};

    bool operator==(const MasterEntry&) const = default;
};

struct TES3Record {
    int32_t Header1 = 0;
    int32_t Flags = 0;
    uint32_t Version = 0; // the 4 bytes of the version, kept as they were
    int32_t FileType = 0;
    std::string Author;      // 32 characters
    std::string Description; // 256 characters
    int32_t NumRecords = 0;
    std::vector<MasterEntry> Masters;
    int32_t GMDTLen = 0;
    std::array<int32_t, 6> GMDTValues{};
    std::string GMDTText1; // 64 characters
    int32_t GMDTValue7 = 0;
    std::string GMDTText2; // 32 characters
    int32_t SCRDLen = 0;
    std::array<uint8_t, 20> SCRDBytes{};
    int32_t SCRSLen = 0;
    std::string SCRSData; // always 65536 bytes when SCRSLen is set
    Extras extras;

    bool operator==(const TES3Record&) const = default;
};

inline constexpr int32_t kFileTypePlugin = 0;
inline constexpr int32_t kFileTypeMaster = 1;
inline constexpr int32_t kFileTypeSavedGame = 32;

void ReadTES3(Body& b, TES3Record& rec);
// Writes the header with the given file type and announces recordCount - 1 records.
void WriteTES3(ByteWriter& w, const TES3Record& rec, int32_t recordCount, int32_t fileType);

} // namespace vellum
