#include "records/magic.h"

namespace vellum {

VELLUM_OPAQUE_RECORD_IMPL(MGEF)
VELLUM_OPAQUE_RECORD_IMPL(SPEL)
VELLUM_OPAQUE_RECORD_IMPL(ENCH)

} // namespace vellum
