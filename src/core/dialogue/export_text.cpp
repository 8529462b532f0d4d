#include "dialogue/export_text.h"

#include "dialogue/quote_export.h"
#include "dialogue/text_util.h"
#include "esfile/safe_file.h"
#include "shell/shell.h"

namespace vellum {

namespace {

// A value between double quotes and its line end; with doubleQuotes every double quote of the value is
// written twice.
void AppendValue(std::string& out, std::string_view value, bool doubleQuotes) {
    out += '"';
    if (doubleQuotes) {
        size_t from = 0;
        for (size_t q = value.find('"'); q != std::string_view::npos; q = value.find('"', from)) {
            out.append(value.substr(from, q + 1 - from));
            out += '"';
            from = q + 1;
        }
        out.append(value.substr(from));
    } else {
        out.append(value);
    }
    out += "\"\r\n";
}

} // namespace

ExportKind ExportKindForName(std::string_view fileName) {
    std::string last = ToLower(fileName.substr(fileName.size() >= 3 ? fileName.size() - 3 : 0));
    if (last == "xml") return ExportKind::QuoteXml;
    if (last == "brq") return ExportKind::QuoteBrq;
    return ExportKind::Text;
}

std::string ExportedLogLine(size_t responses, const std::string& currentFile) {
    return "-Exported " + std::to_string(responses) + " responses from " + QuotedName(currentFile) +
           " successfully.";
}

std::string BuildDialogueText(const RecordStore& store, Ui& ui) {
    const std::vector<INFORecord>& infos = store.tblINFO;
    std::string out;
    if (infos.empty() || infos.front().INAM.empty()) return out;
    size_t estimate = 0;
    for (const INFORecord& r : infos)
        estimate += r.INAM.size() + r.Topic.size() + r.ONAM.size() + r.NAME.size() + r.BNAM.size() + 40;
    out.reserve(estimate + estimate / 16);
    const size_t n = infos.size();
    for (size_t i = 0; i < n; ++i) {
        if (n > 1) ui.setProgress(static_cast<double>(i) / static_cast<double>(n - 1));
        const INFORecord& r = infos[i];
        AppendValue(out, r.INAM, false);
        AppendValue(out, r.Topic, false);
        AppendValue(out, r.ONAM, false);
        AppendValue(out, r.NAME, true);
        AppendValue(out, r.BNAM, true);
        if (i + 1 < n) out += "\r\n\r\n";
    }
    return out;
}

ExportResult ExportDialogueText(const std::string& fileName, const RecordStore& store, Ui& ui,
                                const std::string& currentFile) {
    std::string text = BuildDialogueText(store, ui);
    std::string error;
    if (!WriteFileSafely(fileName, text, error)) {
        ui.messageBox("The file \"" + fileName + "\" could not be written: " + error + ".", kProgramTitle,
                      Buttons::OK, Icon::Critical, Ask::Error);
        ui.appendLog(kExportErrorLogLine);
        return ExportResult::WriteFailed;
    }
    if (text.empty()) {
        ui.messageBox(kExportErrorMessage, kProgramTitle, Buttons::OK, Icon::None, Ask::Error);
        ui.appendLog(kExportErrorLogLine);
        return ExportResult::NoResponses;
    }
    ui.appendLog(ExportedLogLine(store.tblINFO.size(), currentFile));
    return ExportResult::Exported;
}

ExportResult ExportDialogue(const std::string& fileName, const RecordStore& store, Ui& ui,
                            const std::string& currentFile) {
    ExportKind kind = ExportKindForName(fileName);
    ExportResult result = kind == ExportKind::Text ? ExportDialogueText(fileName, store, ui, currentFile)
                                                   : ExportQuotes(fileName, kind, store, ui, currentFile);
    ui.setProgress(0);
    return result;
}

} // namespace vellum
