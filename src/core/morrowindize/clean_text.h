// The clean-up of one response text: fixed steps, option-governed steps and the replacement tables, in a
// fixed order, each working on the result of the one before.
#pragma once

#include <string>
#include <string_view>

#include "morrowindize/options.h"

namespace vellum {

// The markers the quote and sentence steps put in the text while they work; exact case.
inline constexpr std::string_view kQuoteMarker = "XXThisIsAQuoteXX";
inline constexpr std::string_view kEllipsisMarker = "XXThisIsAnEllipsisXX";

// Cleans one text. quoteOpen is the quote step's open-quote flag, which a run carries from one response to
// the next (it starts off once per run).
std::string CleanText(std::string_view text, const MorrowindizeOptions& options, bool& quoteOpen);

namespace cleanup {

// The quote step. Every straight double quote becomes the marker with a blank on each side; then, while the
// text holds the marker in any letter case, the first "marker + blank" becomes an opening quote (flag off) or
// the first "blank + marker" a closing quote (flag on), and the flag turns over either way. A text that holds
// the marker word itself in another case, or glued to other characters, can leave a marker that neither
// replacement finds: the flag would then turn over forever. The step ends instead as soon as two turns in a
// row have found nothing, leaving the text as it stands and the flag as it was before those two turns (which
// is where the endless turning would keep coming back to). Texts that end by themselves are not affected.
void SpaceQuotes(std::string& text, bool& quoteOpen);
// The same for any text, by the general method the quick one is checked against.
void SpaceQuotesGeneral(std::string& text, bool& quoteOpen);

// The sentence step: 26 passes, one per letter a to z, each capitalising the first character and the letter
// after ". ", "? " and "! "; without ellipsis, "..." is hidden behind a marker during each pass.
void CapitalizeSentences(std::string& text, bool ellipsis);
// The same, literally pass by pass (used for the texts where the marker could mix with the text itself).
void CapitalizeSentencesByPasses(std::string& text, bool ellipsis);

// The punctuation step before trimming: ".", ",", "?", "!", ";" and ":" each get a blank after them (in that
// order), then the blank before each of ",", ".", ";", ":", "!" and "?" goes (in that order), one replacement
// at a time. Done in one pass: a blank is put after every mark not followed by another mark, and a blank
// directly before a mark is dropped.
void SpacePunctuation(std::string& text);

// Every run of the character becomes one: what replacing two by one until none are left gives.
void CollapseRuns(std::string& text, char c);

} // namespace cleanup

} // namespace vellum
