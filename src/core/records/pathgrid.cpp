#include "records/pathgrid.h"

namespace vellum {

VELLUM_OPAQUE_RECORD_IMPL(PGRD)

} // namespace vellum
