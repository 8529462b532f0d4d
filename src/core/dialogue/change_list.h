// The changes of the loaded dialogue, for people to read: one row per changed text with its topic, speaker
// and response ID, the words that changed, a unified diff of them all, and the counting log line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "store/changes.h"

namespace vellum {

struct ChangeRow {
    std::string topic;   // the topic the response stands under now (the old name for a renamed topic)
    std::string speaker; // the response's speaker as the editor shows it, empty for a topic name
    std::string id;      // the response's ID, empty for a topic name
    std::string what;    // "text", "result", "topic" (the topic a response stands under) or "name"
};
ChangeRow DescribeChange(const RecordStore& store, const TextChange& change);

// A text cut into words, blanks and single other characters, and the pieces of two texts that are the same,
// removed from the first or added in the second, in order.
enum class DiffKind { Same, Removed, Added };
struct DiffPiece {
    DiffKind kind;
    std::string text;
    bool operator==(const DiffPiece&) const = default;
};
std::vector<DiffPiece> WordDiff(std::string_view before, std::string_view after);

// The lines of a text, split at CR LF or LF; an empty text has none.
std::vector<std::string_view> TextLines(std::string_view text);

// A unified diff of every change: for each, a "--- " and "+++ " line naming it (topic "NAME" response "ID"
// text), then its hunks with three lines of context. Windows-1252, lines ended by LF.
std::string UnifiedDiff(const RecordStore& store, const std::vector<TextChange>& changes);

// "-Changed 3 responses, 1 result and 0 topics." after an action of the window.
std::string ChangedLogLine(const ChangeCounts& counts);
// "NAME: 3 responses, 1 result and 0 topics would change." or "NAME: nothing would change."
std::string WouldChangeLine(const std::string& file, const ChangeCounts& counts);

} // namespace vellum
