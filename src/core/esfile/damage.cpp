#include "esfile/damage.h"

namespace vellum {

std::vector<std::string> DamageReport::lines() const {
    std::vector<std::string> out;
    out.reserve(spans.size());
    for (const DamageSpan& s : spans)
        out.push_back("-Damage at offset " + std::to_string(s.offset) + ": expected " + s.expected + "; " +
                      std::to_string(s.skipped) + " byte(s) skipped.");
    return out;
}

std::string DamageReport::summary() const {
    return "-The file is damaged: " + std::to_string(skippedBytes()) + " byte(s) in " +
           std::to_string(spans.size()) +
           " place(s) could not be read. A saved copy leaves them out; every record around them is kept.";
}

} // namespace vellum
