#include "records/actors.h"

namespace vellum {

VELLUM_OPAQUE_RECORD_IMPL(NPC_)
VELLUM_OPAQUE_RECORD_IMPL(CREA)

} // namespace vellum
