// The JSON the command line writes: documents built with nlohmann-json and laid out the program's way, an
// object on one line ("key": value, ...) and an array of objects or arrays with one element a line.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace vellum::cli {

using Json = nlohmann::ordered_json; // keys stay in the order they were added

// A JSON string of Windows-1252 text (JSON is UTF-8).
Json JsonText(std::string_view cp1252);

// The document laid out, without a final line end.
std::string LayOut(const Json& j);

} // namespace vellum::cli
