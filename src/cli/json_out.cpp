#include "json_out.h"

#include "text_1252.h"

namespace vellum::cli {

namespace {

// A number, string, true, false or null; bytes that are not UTF-8 (a file name) become U+FFFD.
std::string Scalar(const Json& j) {
    return j.dump(-1, ' ', false, Json::error_handler_t::replace);
}

void Write(std::string& out, const Json& j, size_t depth) {
    if (j.is_object()) {
        out += '{';
        bool first = true;
        for (const auto& [key, value] : j.items()) {
            if (!first) out += ", ";
            first = false;
            out += Scalar(Json(key)) + ": ";
            Write(out, value, depth);
        }
        out += '}';
    } else if (j.is_array()) {
        bool lines = false;
        for (const Json& e : j) lines |= e.is_structured();
        const std::string indent(2 * (depth + 1), ' ');
        out += '[';
        for (size_t k = 0; k < j.size(); ++k) {
            out += lines ? (k ? ",\n" : "\n") + indent : (k ? ", " : "");
            Write(out, j[k], depth + 1);
        }
        if (lines && !j.empty()) out += "\n" + std::string(2 * depth, ' ');
        out += ']';
    } else {
        out += Scalar(j);
    }
}

} // namespace

Json JsonText(std::string_view cp1252) {
    return Cp1252ToUtf8(cp1252);
}

std::string LayOut(const Json& j) {
    std::string out;
    Write(out, j, 0);
    return out;
}

} // namespace vellum::cli
