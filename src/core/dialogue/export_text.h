// Dialogue export: every response of the loaded file written to a text file for editing, five values per
// response (ID, topic, actor, text, result), each between double quotes on its own line(s), entries separated
// by two empty lines, CR LF line ends, one byte per character.
#pragma once

#include <string>
#include <string_view>

#include "store/store.h"
#include "ui.h"

namespace vellum {

// Which export the chosen file name asks for, by its last three letters (letter case ignored): "xml" the XML
// quote export, "brq" the Brindle quote-file export, anything else the text export.
enum class ExportKind { Text, QuoteXml, QuoteBrq };
ExportKind ExportKindForName(std::string_view fileName);

enum class ExportResult {
    Exported,     // the file was written and the success line logged
    NoResponses,  // no responses loaded: an empty file, the error message and the error line
    WriteFailed,  // the file could not be written: a message says why, an existing file is left as it was
    NotAvailable, // the chosen export does not exist yet
};

// The export command after the file dialog: runs the export that the name asks for, then sets the progress
// to 0. currentFile is the loaded data file, named in the log.
ExportResult ExportDialogue(const std::string& fileName, const RecordStore& store, Ui& ui,
                            const std::string& currentFile);

// The text export itself. The file is built in memory and written in one piece, so a failed export never
// leaves a half-written file in place of an old one.
ExportResult ExportDialogueText(const std::string& fileName, const RecordStore& store, Ui& ui,
                                const std::string& currentFile);

// The text of the export file for the store's responses (empty without responses); reports progress.
std::string BuildDialogueText(const RecordStore& store, Ui& ui);

// Log lines and messages of the export.
std::string ExportedLogLine(size_t responses, const std::string& currentFile);
inline constexpr std::string_view kExportErrorMessage = "The operation encountered an error.";
inline constexpr std::string_view kExportErrorLogLine = "-An error occured during dialogue exporting.";

} // namespace vellum
