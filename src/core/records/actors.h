// Record layouts: actors.
#pragma once

#include "records/opaque_stub.h"

namespace vellum {

VELLUM_OPAQUE_RECORD(NPC_)
VELLUM_OPAQUE_RECORD(CREA)

} // namespace vellum
