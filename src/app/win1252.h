// Text in the store is Windows-1252, one byte per character; widgets show Unicode.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace vellum::app {

QString FromCp1252(std::string_view bytes);
// Characters Windows-1252 cannot hold become '?'.
std::string ToCp1252(const QString& text);

} // namespace vellum::app
