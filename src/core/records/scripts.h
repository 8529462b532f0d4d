// Record layouts: scripts and start scripts.
#pragma once

#include "records/opaque_stub.h"

namespace vellum {

struct SCPTRecord : OpaqueRecord {
    bool operator==(const SCPTRecord&) const = default;
};
SCPTRecord ReadSCPT(ByteReader& r, std::string& pendingTag);
// alwaysWriteText is false when the target is a saved game.
void WriteSCPT(ByteWriter& w, const SCPTRecord& rec, bool alwaysWriteText);

VELLUM_OPAQUE_RECORD(SSCR)

} // namespace vellum
