// A record as people see it: its subrecords in file order, each decoded by the field table
// (records/fields.h) into named fields, or kept as hex where its bytes do not fit the table exactly. What is
// decoded encodes back to the same bytes, so a file taken apart record by record and put together again is
// the same file. The record browser, the JSON dump and build and the record diff all work on this form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "esfile/bytes.h"

namespace vellum {

// One value: a subrecord (named by its tag), a field of a layout, or an item of a list.
struct Field {
    enum class Kind : uint8_t { Text, Integer, Real, Hex, Group, List };
    std::string name;         // empty for the items of a list
    Kind kind = Kind::Text;   //
    std::string value;        // Text: Windows-1252 characters; Integer, Real: decimal; Hex: hex digits
    std::vector<Field> items; // Group: named fields; List: values
    bool operator==(const Field&) const = default;
};

struct InspectedRecord {
    std::string tag;
    int32_t header1 = 0;
    int32_t flags = 0;
    bool whole = true;       // the body is a run of subrecords (subs); otherwise it is kept in body
    std::vector<Field> subs; // one per subrecord, in file order
    std::string body;        // the body as hex when it is not whole subrecords
    bool operator==(const InspectedRecord&) const = default;
};

// Where a record of a file stands. topic: for a response, the index of the span of the topic it follows
// (-1 when none does).
struct RecordSpan {
    size_t offset = 0;
    uint32_t tag = 0;
    uint32_t size = 0;
    int64_t topic = -1;
};

// The records of bytes that frame correctly (see CheckWellFormed), in file order.
std::vector<RecordSpan> FrameRecords(std::string_view bytes);
InspectedRecord InspectRecord(std::string_view bytes, const RecordSpan& span);

// A record's ID (the NAME of most records, the INAM of a response; an exterior cell or a landscape record
// without a name: its grid as "x, y") and its display name (FNAM of most records, the text of a response).
std::string RecordId(const InspectedRecord& r);
std::string DisplayName(const InspectedRecord& r);

// The ID and display name of a record straight from its bytes, decoding only the subrecords they come from
// (fast enough for lists of many thousand records).
struct RecordTitle {
    std::string id, name;
};
RecordTitle TitleOf(std::string_view bytes, const RecordSpan& span);

// Appends the record's bytes. On a value that cannot be encoded nothing is appended and the error names the
// field ("NPDT.Level: ...").
std::optional<std::string> EncodeRecord(ByteWriter& w, const InspectedRecord& r);

// A field's value as one line of text (lists and groups in brackets).
std::string ValueText(const Field& f);

} // namespace vellum
