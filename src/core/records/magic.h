// Record layouts: magic.
#pragma once

#include "records/opaque_stub.h"

namespace vellum {

VELLUM_OPAQUE_RECORD(MGEF)
VELLUM_OPAQUE_RECORD(SPEL)
VELLUM_OPAQUE_RECORD(ENCH)

} // namespace vellum
