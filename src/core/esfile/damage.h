// What a read could not frame: spans of a file that are not whole records, or the part of a record that its
// subrecords do not fill. The records before and after a damaged span are read; the span itself is dropped
// when the file is saved.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vellum {

struct DamageSpan {
    uint64_t offset = 0;  // where in the file the damage begins
    std::string expected; // what should have been there
    uint64_t skipped = 0; // bytes stepped over from there
    bool operator==(const DamageSpan&) const = default;
};

struct DamageReport {
    std::vector<DamageSpan> spans;
    bool empty() const { return spans.empty(); }
    uint64_t skippedBytes() const {
        uint64_t n = 0;
        for (const DamageSpan& s : spans) n += s.skipped;
        return n;
    }
    // One line per span: "Damage at offset N: expected ...; K bytes skipped."
    std::vector<std::string> lines() const;
    // "The file is damaged: N bytes in K places could not be read and would be left out of a saved copy."
    std::string summary() const;
    bool operator==(const DamageReport&) const = default;
};

} // namespace vellum
