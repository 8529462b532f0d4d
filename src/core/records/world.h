// Record layouts: world.
#pragma once

#include "records/opaque_stub.h"

namespace vellum {

VELLUM_OPAQUE_RECORD(SOUN)
VELLUM_OPAQUE_RECORD(REGN)
VELLUM_OPAQUE_RECORD(LTEX)
VELLUM_OPAQUE_RECORD(SNDG)
VELLUM_OPAQUE_RECORD(LEVI)
VELLUM_OPAQUE_RECORD(LEVC)

} // namespace vellum
