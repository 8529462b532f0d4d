#include "records/globals.h"

namespace vellum {

VELLUM_OPAQUE_RECORD_IMPL(GMST)
VELLUM_OPAQUE_RECORD_IMPL(GLOB)

} // namespace vellum
