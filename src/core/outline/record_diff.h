// The records two files hold differently: matched by type and ID (responses by topic and response ID), each
// record added, removed or changed, and for a changed record each field with its old and new value. The
// order of the records alone is no difference.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "outline/outline.h"

namespace vellum {

struct FieldChange {
    std::string path; // "flags", "NAME", "NPDT.Level", "NPDT.Skills[3]", "NPCO#2.Count" (its second NPCO)
    std::optional<Field> before, after; // nothing where the record has no such field
    bool operator==(const FieldChange&) const = default;
};

struct RecordChange {
    enum class Kind : uint8_t { Added, Removed, Changed };
    Kind kind = Kind::Changed;
    std::string tag, id;
    std::string topic;               // the topic of a response
    std::vector<FieldChange> fields; // Changed only
    bool operator==(const RecordChange&) const = default;
};

// Both byte strings must frame correctly (CheckWellFormed). Removed and changed records come in the order of
// a, added ones after them in the order of b.
std::vector<RecordChange> DiffRecords(std::string_view a, std::string_view b);

} // namespace vellum
