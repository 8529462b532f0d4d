// Reading a whole data file into the record store, and writing the store back.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "store/store.h"
#include "ui.h"

namespace vellum {

// Reads fileName into the store. Returns the reading time in milliseconds (without the time spent on the
// last unknown-record question), -1 when the file was refused (a name whose extension does not begin with
// "ES", a file that cannot be read, or one that does not begin with a TES3 header: the store is then
// untouched), or 0 when the user stopped the read at the unknown-record question (the store is then empty).
// recordCount gets the number of records read. Every record is framed by its Size; where the framing is
// broken the read goes on at the next record that frames correctly, and store.damage says what was skipped.
double ReadESFile(const std::string& fileName, RecordStore& store, Ui& ui, int32_t& recordCount,
                  bool trimAfterwards);
// The same on bytes already in memory (no name check).
double ReadESBytes(std::string_view bytes, RecordStore& store, Ui& ui, int32_t& recordCount,
                   bool trimAfterwards);

// The file type written into the header for a target name: "ESM" gives 1, "ESS" 32, anything else 0.
int32_t FileTypeForName(std::string_view fileName);
// The upper-cased last three characters of a name.
std::string UpperExtension(std::string_view fileName);

// Encodes the store as a data file of the given type, announcing recordCount - 1 records.
std::string BuildESFile(const RecordStore& store, Ui& ui, int32_t recordCount, int32_t fileType);
// The same, handing the bytes to sink in pieces of about a few megabytes as they are encoded, whole records
// at a time. Returns false when the sink failed (it is not called again after a failure).
bool StreamESFile(const RecordStore& store, Ui& ui, int32_t recordCount, int32_t fileType,
                  const std::function<bool(std::string_view)>& sink);

// Writes the store to fileName. Returns the time taken in milliseconds, -1 when the user declined the
// saved-game warning, or -2 when the file could not be written (a message says why). The file
// is first written completely beside the target and only then put in its place, so a failed save leaves an
// existing file as it was.
double WriteESFile(const std::string& fileName, const RecordStore& store, Ui& ui, int32_t recordCount);

// Checks that bytes are a sequence of whole records, that the data ends exactly at a record end, and that the
// subrecords of every record the program parses fill their record exactly. Records kept as raw bytes
// (landscape, saved-game and unknown records) are checked as records only: the program does not look inside
// them. On failure, why gets a description with the offset.
bool CheckWellFormed(std::string_view bytes, std::string* why = nullptr);

// Milliseconds from a steady clock, for timing reads and writes.
double TickMilliseconds();
// Seconds formatted "0.000" from milliseconds.
std::string FormatSeconds(double milliseconds);
// The name part of a path (without folders).
std::string FileNamePart(const std::string& path);

} // namespace vellum
