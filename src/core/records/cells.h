// Record layouts: cells and their object references.
#pragma once

#include "records/opaque_stub.h"
#include "ui.h"

namespace vellum {

struct CELLRecord : OpaqueRecord {
    bool operator==(const CELLRecord&) const = default;
};
CELLRecord ReadCELL(ByteReader& r, std::string& pendingTag);
void WriteCELL(ByteWriter& w, const CELLRecord& rec, Ui& ui);

} // namespace vellum
