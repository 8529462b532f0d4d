#include "records/opaque.h"

namespace vellum {

void ReadOpaque(Body& b, OpaqueRecord& rec) {
    rec.Data = std::string(b.whole());
}

void WriteOpaque(ByteWriter& w, const OpaqueRecord& rec) {
    size_t mark = w.beginRecord(rec.Tag, rec.Header1, rec.Flags);
    w.raw(rec.Data);
    w.endRecord(mark);
}

} // namespace vellum
