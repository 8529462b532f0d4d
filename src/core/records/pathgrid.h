// Record layouts: pathgrid.
#pragma once

#include "records/opaque_stub.h"

namespace vellum {

VELLUM_OPAQUE_RECORD(PGRD)

} // namespace vellum
