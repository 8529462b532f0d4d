// Record layouts: globals.
#pragma once

#include "records/opaque_stub.h"

namespace vellum {

VELLUM_OPAQUE_RECORD(GMST)
VELLUM_OPAQUE_RECORD(GLOB)

} // namespace vellum
