// The quote exports, started by the dialogue export command when the chosen file name ends in "xml" or "brq":
// every response that a named character speaks becomes a quote for the Brindle NPC-writing project, with
// the response text (its speaker placeholders filled in), the speaker's name and a city the user names.
//
// XML: "<quotes>", then per quote "<quote><text>TEXT</text><npc>NAME</npc><city>CITY</city></quote>", then
// "</quotes>"; no declaration, no line breaks, nothing escaped.
// Brindle quote file (.brq): 576-byte records, no header: name (32 bytes), city (32), text (512), each
// padded with zero bytes. A longer name, city or text is cut to its field, so every record keeps 576 bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "dialogue/export_text.h"
#include "dialogue/id_index.h"
#include "store/store.h"
#include "ui.h"

namespace vellum {

// Runs the quote export of the given kind (QuoteXml or QuoteBrq) to fileName: asks for the city, builds the
// file in memory and writes it in one piece (a failed write leaves an existing file as it was). currentFile
// is the loaded data file, named in the log.
ExportResult ExportQuotes(const std::string& fileName, ExportKind kind, const RecordStore& store, Ui& ui,
                          const std::string& currentFile);

// What the export knows about the character who speaks a response.
struct QuoteSpeaker {
    std::string name, race, cls, faction;
};

// The speakers of a store, looked up by actor ID with letter case ignored: the first NPC of that ID gives
// name (FNAM), race, class and faction; the first creature of that ID then gives the name (FNAM). Built once
// per export; valid while the store's NPC and creature tables are unchanged.
class QuoteSpeakers {
  public:
    explicit QuoteSpeakers(const RecordStore& store);
    QuoteSpeaker find(std::string_view actor) const;

  private:
    const RecordStore& store_;
    IdIndex npcs_, creatures_;
};

// A response that gives no quote: no actor, or a text holding "%PC" or "%rank" (letter case ignored).
bool IsSkippedQuote(const INFORecord& response);
// The response text with "%class", "%race", "%Faction" and "%Name" replaced, in that order, each wherever it
// stands in any letter case.
std::string QuoteText(std::string_view text, const QuoteSpeaker& speaker);
// The name used for a speaker without one: the actor ID in proper case, without outer blanks.
std::string FallbackQuoteName(std::string_view actor);

// The questions of the export.
inline constexpr std::string_view kQuoteCityPrompt = "Please, enter the name of the city to export from:";
inline constexpr std::string_view kQuoteNamePromptStart = "Enter a name for the NPC:";
// The question for a speaker's name that holds "_": the start above, two line breaks and the name.
std::string QuoteNamePrompt(std::string_view name);

// Field widths of a Brindle quote file record.
inline constexpr size_t kQuoteNameField = 32;
inline constexpr size_t kQuoteCityField = 32;
inline constexpr size_t kQuoteTextField = 512;
inline constexpr size_t kQuoteRecordSize = kQuoteNameField + kQuoteCityField + kQuoteTextField;

} // namespace vellum
