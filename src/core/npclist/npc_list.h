// The NPC list export: for the cells whose name contains a given text (letter case counts), the NPCs placed
// in them with name, gender, race, class, faction and rank, and placeholder lines for a description and a
// writer, as plain text, phpBB forum markup or HTML: a worksheet for the people who write a town's dialogue.
// Clones (guards, dead bodies, cattle and the like) are left out unless asked for.
//
// The window's part is thin:
//   if (!CheckNpcListCounts(cellCount, npcCount, ui)) return;          // the count panel's CELL and NPC_
//   path = save dialog with NpcListFileFilter(markup); cancelled: return;
//   text = AskNpcListCellText(ui); no text: return;
//   ExportNpcList(path, {*text, markup, chkClones}, store, ui, currentFile);
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/store.h"
#include "ui.h"

namespace vellum {

enum class NpcListMarkup { PureText, Html, PhpBB };

struct NpcListOptions {
    std::string cellText;                           // part of the cell names to list, letter case counts
    NpcListMarkup markup = NpcListMarkup::PureText; // optPure, optHTML, optPHP
    bool exportClones = false;                      // chkClones
};

enum class NpcListResult {
    Listed,      // at least one NPC listed; "-Listed ..." logged
    NoneListed,  // the file holds the header and a count of 0; "-No NPCs found ..." logged
    WriteFailed, // the error message and the error line; an existing file is left as it was
};

// The checks before any dialog, on the numbers the count panel shows for CELL and NPC_: a message and false
// when either is 0 or less.
bool CheckNpcListCounts(int64_t cellCount, int64_t npcCount, Ui& ui);

// The save dialog's filter for the markup.
std::string_view NpcListFileFilter(NpcListMarkup markup);

// Asks for the part of the cell name; std::nullopt when the answer is empty or the question cancelled.
std::optional<std::string> AskNpcListCellText(Ui& ui);

// Writes the list to outPath (built in memory and written in one piece) and logs the outcome. currentFile is
// the loaded data file, named in the log. Sets the progress to 0 at the end.
NpcListResult ExportNpcList(const std::string& outPath, const NpcListOptions& options,
                            const RecordStore& store, Ui& ui, const std::string& currentFile);

// The whole text of the list; count gets the number of NPCs listed. Reports progress per cell.
std::string BuildNpcList(const NpcListOptions& options, const RecordStore& store, Ui& ui, int32_t& count);

// The parts of an NPC block and a cell heading.
bool IsCloneName(std::string_view fnam);
// "None" for a faction ID of fewer than 2 characters; otherwise the ID, ", " and the NPC's rank name in
// every faction record of that ID (letter case ignored), in table order.
std::string FactionText(const NPC_Record& npc, const std::vector<FACTRecord>& factions);
// The cell's name, its grid position when it has a region, and ":".
std::string CellHeading(const CELLRecord& cell);

// Messages, questions and log lines.
inline constexpr std::string_view kNoCellsMessage = "No cells found in current file.";
inline constexpr std::string_view kNoNpcsMessage = "No NPCs found in current file.";
inline constexpr std::string_view kNpcListCellPrompt =
    "Enter any part of cell name:\r\n\r\nNOTE: Case sensitive";
inline constexpr std::string_view kNpcListErrorLogLine =
    "-An error occured during NPC listing. The list may be incomplete.";
// The program's download page, linked from the head of an HTML list.
inline constexpr std::string_view kDownloadPageAddress = "https://vellum.example.org/download/";

} // namespace vellum
