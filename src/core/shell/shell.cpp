#include "shell/shell.h"

#include "esfile/esfile.h"
#include "esfile/native.h"

namespace vellum {

std::string QuotedName(const std::string& path) {
    return "\"" + FileNamePart(path) + "\"";
}

OpenOutcome OpenDataFile(const std::string& path, RecordStore& store, Ui& ui) {
    OpenOutcome out;
    const std::string name = QuotedName(path);
    ui.appendLog("-Reading " + name + "...");
    out.milliseconds = ReadESFile(path, store, ui, out.recordCount, false);
    if (out.milliseconds < 0) {
        ui.appendLog("-Failed reading " + name + ".");
    } else {
        int32_t announced = store.tblTES3.empty() ? 0 : store.tblTES3.front().NumRecords;
        std::string line = "-Read " + std::to_string(out.recordCount) + " records from " + name +
                           " successfully in " + FormatSeconds(out.milliseconds) + " seconds.";
        if (static_cast<int64_t>(out.recordCount) - 1 != announced)
            line += " File should contain " + std::to_string(announced) + " record(s).";
        ui.appendLog(line);
        if (!store.damage.empty()) {
            for (const std::string& damage : store.damage.lines()) ui.appendLog(damage);
            ui.appendLog(store.damage.summary());
        }
    }
    if (out.recordCount > 0) {
        out.loaded = true;
        TrimStore(store);
    }
    ui.setProgress(0);
    return out;
}

double SaveDataFile(const std::string& path, const RecordStore& store, Ui& ui, int32_t total, bool saveAs) {
    bool created = false;
    if (saveAs) {
        // Save As makes sure the chosen file exists before it writes (an existing file is not changed).
        created = CreateEmptyFile(path);
    }
    ui.appendLog("-Writing " + QuotedName(path) + "...");
    double ms = WriteESFile(path, store, ui, total);
    if (ms < -1.5 && created) {
        // The write failed: do not leave behind the empty file made for it.
        RemoveFile(path);
    }
    if (ms <= -0.5) {
        ui.appendLog(saveAs ? "-Nothing has been written." : "-An error occured. Nothing has been written.");
    } else {
        ui.appendLog("-Finished writing " + QuotedName(path) + " in " + FormatSeconds(ms) + " seconds. " +
                     std::to_string(total) + " records have been written.");
    }
    ui.setProgress(0);
    return ms;
}

} // namespace vellum
