// The record types of the file driver: for each tag, how a record is read into its table and written back,
// and where its table comes in a save. Built from the one list of record types in store/store.h.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "esfile/body.h"
#include "esfile/bytes.h"
#include "store/store.h"
#include "ui.h"

namespace vellum {

// A record's 16-byte header, and where it stands in the file.
struct RecordHead {
    uint32_t tag = 0;
    uint32_t size = 0;
    int32_t header1 = 0;
    int32_t flags = 0;
    uint64_t offset = 0;
};

// What a writer needs to know of the save as a whole.
struct SaveContext {
    Ui& ui;
    int32_t recordCount; // announced in the header, minus one
    int32_t fileType;    // kFileTypePlugin, kFileTypeMaster or kFileTypeSavedGame
};

struct RecordType {
    uint32_t tag;
    int saveRank;
    bool parsed; // read into fields; false for records kept as raw bytes
    // Reads one record from its body and appends it to its table.
    void (*read)(Body&, const RecordHead&, RecordStore&);
    void (*reserve)(RecordStore&, size_t);
    // The records of its table (the spare element of a store being read not counted).
    size_t (*count)(const RecordStore&);
    // Writes record i of its table.
    void (*write)(ByteWriter&, const RecordStore&, size_t, const SaveContext&);
};

// Every record type, in the order a save writes them.
std::span<const RecordType> RecordTypes();
// The type of a tag, or nullptr for a tag the program does not know.
const RecordType* FindRecordType(uint32_t tag);

// Reads a record of a tag the program does not know into tblUnknown, keeping its bytes.
void ReadUnknownRecord(Body& body, const RecordHead& head, RecordStore& store);

} // namespace vellum
