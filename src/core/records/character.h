// Record layouts: character.
#pragma once

#include "records/opaque_stub.h"

namespace vellum {

VELLUM_OPAQUE_RECORD(CLAS)
VELLUM_OPAQUE_RECORD(FACT)
VELLUM_OPAQUE_RECORD(RACE)
VELLUM_OPAQUE_RECORD(SKIL)
VELLUM_OPAQUE_RECORD(BSGN)

} // namespace vellum
