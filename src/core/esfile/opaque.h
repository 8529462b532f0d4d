// Records held as raw bytes: landscape, the saved-game records and records of tags the program does not know.
#pragma once

#include <cstdint>
#include <string>

#include "esfile/bytes.h"

namespace vellum {

struct OpaqueRecord {
    std::string Tag; // 4 characters, as read
    int32_t Size = 0;
    int32_t Header1 = 0;
    int32_t Flags = 0;
    std::string Data; // the record's bytes after its header; empty when they were skipped

    bool operator==(const OpaqueRecord&) const = default;
};

// On entry pendingTag holds the record's tag and the reader stands just after it; on return pendingTag holds
// the next record's tag. With skipData the record's bytes are stepped over. Bytes that a damaged Size
// announces beyond the end of the file are not there to keep: Data holds what the file has.
OpaqueRecord ReadOpaque(ByteReader& r, std::string& pendingTag, bool skipData);
// Writes the tag, the header and Data. The Size written is the stored one whenever it describes Data.
void WriteOpaque(ByteWriter& w, const OpaqueRecord& rec);

} // namespace vellum
