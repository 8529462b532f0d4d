// Temporary shape for record types whose fields are not parsed yet: the record is kept as raw bytes and
// written back unchanged, so that every file round-trips while the real layouts are being added.
#pragma once

#include <string>

#include "esfile/opaque.h"

#define VELLUM_OPAQUE_RECORD(TAG)                                                                            \
    struct TAG##Record : OpaqueRecord {                                                                      \
        bool operator==(const TAG##Record&) const = default;                                                 \
    };                                                                                                       \
    TAG##Record Read##TAG(ByteReader& r, std::string& pendingTag);                                           \
    void Write##TAG(ByteWriter& w, const TAG##Record& rec);

#define VELLUM_OPAQUE_RECORD_IMPL(TAG)                                                                       \
    TAG##Record Read##TAG(ByteReader& r, std::string& pendingTag) {                                          \
        TAG##Record rec;                                                                                     \
        static_cast<OpaqueRecord&>(rec) = ReadOpaque(r, pendingTag, false);                                  \
        return rec;                                                                                          \
    }                                                                                                        \
    void Write##TAG(ByteWriter& w, const TAG##Record& rec) {                                                 \
        WriteOpaque(w, rec);                                                                                 \
    }
