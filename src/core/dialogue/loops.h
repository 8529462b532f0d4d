// Loop detection: responses that the game gives only after the player picked choice N and whose result
// script offers choice N once more, so that the conversation can come back to where it was. Each one is
// shown in the result editor, where its text and result can be corrected, or it can be skipped, or the
// whole check stopped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "errors.h"
#include "records/dialogue.h"
#include "store/store.h"
#include "ui.h"

namespace vellum {

// A pattern in which "*" matches any run of characters, the empty run included, and every other character
// matches itself; letters are compared without regard to case (Windows-1252). A match takes time in
// proportion to the lengths of the text and the pattern, whatever they hold.
class WildcardPattern {
  public:
    explicit WildcardPattern(std::string_view pattern);
    bool matches(std::string_view text) const;

  private:
    struct Piece { // a run of the pattern between two stars, in lower case, with its partial-match table
        std::string text;
        std::vector<size_t> fallback;
    };
    static Piece MakePiece(std::string_view s);
    // The first place at or after from where piece stands wholly before end, or npos.
    static size_t Find(std::string_view text, size_t from, size_t end, const Piece& piece);

    bool hasStar_ = false;
    std::string head_, tail_;   // the pattern before its first star and after its last (lower case)
    std::vector<Piece> middle_; // the non-empty runs between stars, in order
};

bool WildcardMatch(std::string_view text, std::string_view pattern);

// A condition slot on the player's choice: type "1", function "50", any comparison but "1" (letter case
// ignored); an empty slot never is one. Its choice number is its INTV.
bool IsChoiceCondition(const SCVRData& condition);

// The lines of a result script as the check reads them: each run of two blanks made one blank in a single
// pass from the left (three become two), commas dropped, the text split at CR LF, and every line holding a
// ";" cut before it and trimmed of blanks.
std::vector<std::string> ChoiceLines(std::string_view result);

// Whether a choice line offers choice n: it matches "*Choice "*" n" or "*Choice "*" n *", letter case
// ignored.
class ChoiceOffer {
  public:
    explicit ChoiceOffer(int32_t n);
    bool offeredBy(std::string_view line) const { return atEnd_.matches(line) || goesOn_.matches(line); }

  private:
    WildcardPattern atEnd_, goesOn_;
};
bool OffersChoice(std::string_view line, int32_t n);

// One showing of the result editor that the check makes.
struct LoopFinding {
    size_t info = 0;    // the response's place in tblINFO
    int slot = 0;       // the condition slot, 0 to 5
    int32_t choice = 0; // its choice number
    std::string line;   // the choice line that offers it again, as the check reads it
};

// Everything the check shows when every response is skipped, in the order it shows them: one entry per
// choice condition and matching choice line. Changes nothing.
std::vector<LoopFinding> FindLoops(const RecordStore& store);

enum class LoopCheckEnd {
    Completed,   // every response was examined
    Cancelled,   // the user pressed Cancel in the result editor
    NoResponses, // the file holds no responses
    Failed,      // an error stopped the check
};

struct LoopCheckOutcome {
    LoopCheckEnd end = LoopCheckEnd::Failed;
    size_t shown = 0;    // showings of the result editor
    size_t accepted = 0; // answered with OK
};

// The Detect Loops command: walks every response of tblINFO (deleted ones too) with its choice conditions,
// shows the result editor for each choice line that offers the condition's number again and applies the
// answer (OK takes the edited texts with their lengths and Size, Skip leaves the response, Cancel ends the
// check). An editor that closes without an answer counts as Skip. Logs its start and end; currentFile is the
// loaded file, named in the log.
LoopCheckOutcome CheckLoops(RecordStore& store, Ui& ui, const std::string& currentFile);

// The editor's answer in fiAccept, read as a number the way the program always has: leading blanks
// skipped, then an optional sign and digits; no digits read as 0.
int32_t ResultEditorAnswer(std::string_view fiAccept);

// Log lines and the error message of the check.
inline constexpr std::string_view kLoopCheckCancelledLine = "-Loop check cancelled.";
inline constexpr std::string_view kLoopCheckSuccessfulLine = "-Loop check successful.";
inline constexpr std::string_view kLoopCheckErrorLine = "-An error occured during loop detection.";
std::string LoopCheckStartLine(size_t responses, const std::string& currentFile);
std::string NoResponsesLine(const std::string& currentFile);
std::string LoopCheckErrorMessage(RunError error);

} // namespace vellum
