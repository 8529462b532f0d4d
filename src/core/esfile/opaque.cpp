#include "esfile/opaque.h"

#include <algorithm>

namespace vellum {

OpaqueRecord ReadOpaque(ByteReader& r, std::string& pendingTag, bool skipData) {
    OpaqueRecord rec;
    rec.Tag = pendingTag;
    rec.Size = r.i32();
    rec.Header1 = r.i32();
    rec.Flags = r.i32();
    uint64_t size = static_cast<uint32_t>(rec.Size);
    if (skipData) {
        r.skip(size);
    } else {
        uint64_t have = std::min<uint64_t>(size, r.remaining());
        rec.Data = r.fixed(have);
        if (have < size) r.skip(size - have); // marks the end of the file as reached
    }
    pendingTag = r.tag();
    return rec;
}

void WriteOpaque(ByteWriter& w, const OpaqueRecord& rec) {
    size_t mark = w.beginRecord(rec.Tag, rec.Size, rec.Header1, rec.Flags);
    w.raw(rec.Data);
    // A record read with its data skipped has nothing to write back but its header; its Size then cannot
    // stand, and endRecord makes it describe the (empty) body.
    w.endRecord(mark);
}

} // namespace vellum
