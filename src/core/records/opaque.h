// Records held as raw bytes: landscape, the saved-game records and records of tags the program does not know.
#pragma once

#include <cstdint>
#include <string>

#include "esfile/body.h"
#include "esfile/bytes.h"

namespace vellum {

struct OpaqueRecord {
    std::string Tag; // 4 characters, as read
    int32_t Header1 = 0;
    int32_t Flags = 0;
    std::string Data; // the record's bytes after its header, unparsed

    bool operator==(const OpaqueRecord&) const = default;
};

// Keeps the whole body. The tag is the driver's to set.
void ReadOpaque(Body& b, OpaqueRecord& rec);
// Writes the tag, the header and Data.
void WriteOpaque(ByteWriter& w, const OpaqueRecord& rec);

} // namespace vellum
