// Opening and saving a data file with the log lines the user sees; shared by the window and the command line.
#pragma once

#include <cstdint>
#include <string>

#include "store/store.h"
#include "ui.h"

namespace vellum {

// The file's name without folders between double quotes, as the log lines show it.
std::string QuotedName(const std::string& path);

struct OpenOutcome {
    double milliseconds = 0; // as returned by the reading driver; negative when the file was refused
    int32_t recordCount = 0; // records read, the header included (the number shown beside "Total:")
    bool loaded = false;     // at least one record was read: the file-loaded controls are enabled
};

// Reads path into the store and logs "-Reading ..." and the outcome. After a read of at least one record the
// store is trimmed; a refused file leaves the store as it was.
OpenOutcome OpenDataFile(const std::string& path, RecordStore& store, Ui& ui);

// Writes the store to path and logs "-Writing ..." and the outcome. total is the number shown beside
// "Total:". saveAs selects the wording of the failure line. Returns the writing driver's result.
double SaveDataFile(const std::string& path, const RecordStore& store, Ui& ui, int32_t total, bool saveAs);

} // namespace vellum
