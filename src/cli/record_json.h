// Records as JSON for dump, build and diff: the inspector's neutral form (inspect/inspect.h) written as text
// laid out one field a line, so that a line-based diff of two dumps shows the changed fields, and read back
// with nlohmann-json.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "cli.h"
#include "inspect/inspect.h"
#include "json_out.h"

namespace vellum::cli {

// Appends a record of a dump: an object with tag, header1, flags and its subrecords (or its body as hex),
// indented as an element of the dump's array. Texts go from Windows-1252 to UTF-8.
void AppendRecordJson(std::string& out, const InspectedRecord& r);

// A record from its JSON; the error names the field ("NPDT.Level: expected an integer, found text").
std::optional<std::string> RecordFromJson(const Json& j, InspectedRecord& r);
// "record 12 (NPC_ "fargoth")": the record at index (from 0) of a document, by its tag and ID as far as they
// can be read.
std::string RecordLabel(const Json& j, size_t index);

// Reads a data file whose records all frame correctly into bytes. Returns the exit status to stop with: 2
// for a file that cannot be read or is no data file, 3 (the damage report on standard error) for a damaged
// one.
std::optional<int> ReadFramedFile(const std::string& path, std::string& bytes, std::string_view command,
                                  std::ostream& out, std::ostream& err);

// One value as JSON: texts as strings, numbers as numbers, hex as {"hex": ...}, groups and lists as objects
// and arrays.
Json FieldJson(const Field& f);

} // namespace vellum::cli
