// Proper case for labels: the core's rule applied to the Windows-1252 form of the text.
#pragma once

#include <QString>

#include "dialogue/text_util.h"
#include "win1252.h"

namespace vellum::app {

inline QString ProperCaseQ(const QString& s) {
    return FromCp1252(ProperCase(ToCp1252(s)));
}

} // namespace vellum::app
