#include "records/cells.h"

namespace vellum {

CELLRecord ReadCELL(ByteReader& r, std::string& pendingTag) {
    CELLRecord rec;
    static_cast<OpaqueRecord&>(rec) = ReadOpaque(r, pendingTag, false);
    return rec;
}

void WriteCELL(ByteWriter& w, const CELLRecord& rec, Ui& /*ui*/) {
    WriteOpaque(w, rec);
}

} // namespace vellum
