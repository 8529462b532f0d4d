// Dialogue import: reads a dialogue text file (as the export writes it, normally edited since) back into the
// responses of the loaded file, in place: response texts, result scripts and renamed topics, with the
// 512-character rule and the response editor for texts that are too long.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "errors.h"
#include "store/store.h"
#include "ui.h"

namespace vellum {

struct ImportOutcome {
    bool completed = false;            // the text file was read to its end without an error
    size_t responses = 0;              // the responses of the store, one entry each
    size_t passes = 0;                 // complete sets of entries read (each logged as a success line)
    std::vector<std::string> overLong; // IDs of responses whose imported text was longer than 512 characters
};

// The import command after the file dialog: asks the line-break question, turns the curly double quotes of
// the text file into straight ones (on disk too, unless fixTextFile is false), then reads the entries into
// the store. currentFile is the loaded data file, named in the log.
ImportOutcome ImportDialogueText(const std::string& textFile, RecordStore& store, Ui& ui,
                                 const std::string& currentFile, bool fixTextFile = true);

// Replaces the Windows-1252 curly double quotes (147 and 148) by straight ones; true when any was found.
bool StraightenQuotes(std::string& text);

// The reading loop on a text already in memory, for the given answer to the line-break question.
ImportOutcome ImportDialogueEntries(std::string_view text, bool removeLineBreaks, RecordStore& store, Ui& ui,
                                    const std::string& currentFile);

// Messages and log lines of the import.
inline constexpr std::string_view kRemoveLineBreaksQuestion = "Do you want to remove line breaks?";
inline constexpr std::string_view kImportWarningTitle = "Vellum Warning";
inline constexpr std::string_view kImportErrorLogLine = "-An error occured during dialogue importing.";
std::string ImportedLogLine(size_t responses, const std::string& currentFile);
std::string TextTooLongQuestion(std::string_view id);
// offset: the read position in the text file, counted in bytes from 1.
std::string IdMismatchMessage(uint64_t offset, std::string_view requiredId, std::string_view foundId);
std::string ImportErrorMessage(uint64_t offset, RunError error);
// A number in hexadecimal capitals without leading zeros.
std::string HexCapitals(uint64_t value);

} // namespace vellum
