// The fields of every subrecord the program can show by name: one table, keyed by record and subrecord tag,
// that the record browser, the JSON dump and build and the record diff all read. A new record type appears
// in all of them by adding its rows to the table in fields.cpp; a subrecord without a row is shown as hex.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vellum {

enum class FieldType : uint8_t { I8, U8, I16, U16, I32, U32, U64, F32, Chars };

// One named field of a fixed layout: a value, `count` values in a row (count > 1: a list), or for Chars a
// text in a fixed field of `chars` bytes.
struct FieldSpec {
    std::string name;
    FieldType type = FieldType::I32;
    uint32_t count = 1;
    uint32_t chars = 0;
    size_t bytes() const;
};

enum class SubKind : uint8_t {
    ZString, // characters and one terminating zero byte
    Text,    // the whole data as characters, no terminator
    Layout,  // named fields of a fixed number of bytes
};

struct SubLayout {
    SubKind kind = SubKind::Layout;
    std::vector<FieldSpec> fields; // Layout only
    size_t bytes = 0;              // Layout only: the data length the fields fill
};

// The layouts a subrecord of a record may have (a record's own rows first, then those of every record);
// empty for a subrecord the table does not describe. Several layouts differ in their length.
std::span<const SubLayout* const> SubLayoutsOf(uint32_t recordTag, uint32_t subTag);

// Which subrecord names a record (its ID) and which gives its display name.
struct RecordNaming {
    uint32_t id;
    uint32_t name;
};
RecordNaming NamingOf(uint32_t recordTag);

} // namespace vellum
