#include "records/scripts.h"

namespace vellum {

SCPTRecord ReadSCPT(ByteReader& r, std::string& pendingTag) {
    SCPTRecord rec;
    static_cast<OpaqueRecord&>(rec) = ReadOpaque(r, pendingTag, false);
    return rec;
}

void WriteSCPT(ByteWriter& w, const SCPTRecord& rec, bool /*alwaysWriteText*/) {
    WriteOpaque(w, rec);
}

VELLUM_OPAQUE_RECORD_IMPL(SSCR)

} // namespace vellum
