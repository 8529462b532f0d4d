#include "dialogue/loops.h"

#include <cstdint>
#include <new>
#include <stdexcept>

#include "dialogue/text_util.h"
#include "shell/shell.h"

namespace vellum {

// ---------------------------------------------------------------------------------------------------------
// Wildcards. With "*" as the only special character a pattern is a head, runs between stars and a tail: the
// head must begin the text, the tail end it, and each run, in order, may be taken at its first place after
// the one before (a later place never leaves more room for the rest). Each run is found with a
// partial-match table, so no character of the text is looked at more than a bounded number of times.

WildcardPattern::Piece WildcardPattern::MakePiece(std::string_view s) {
    Piece p;
    p.text = ToLower(s);
    p.fallback.assign(p.text.size(), 0);
    size_t k = 0;
    for (size_t i = 1; i < p.text.size(); ++i) {
        while (k > 0 && p.text[i] != p.text[k]) k = p.fallback[k - 1];
        if (p.text[i] == p.text[k]) ++k;
        p.fallback[i] = k;
    }
    return p;
}

size_t WildcardPattern::Find(std::string_view text, size_t from, size_t end, const Piece& piece) {
    const size_t m = piece.text.size();
    size_t k = 0;
    for (size_t i = from; i < end; ++i) {
        const char c = LowerChar(text[i]);
        while (k > 0 && c != piece.text[k]) k = piece.fallback[k - 1];
        if (c == piece.text[k]) ++k;
        if (k == m) return i + 1 - m;
    }
    return std::string_view::npos;
}

WildcardPattern::WildcardPattern(std::string_view pattern) {
    const size_t first = pattern.find('*');
    if (first == std::string_view::npos) {
        head_ = ToLower(pattern);
        return;
    }
    hasStar_ = true;
    const size_t last = pattern.rfind('*');
    head_ = ToLower(pattern.substr(0, first));
    tail_ = ToLower(pattern.substr(last + 1));
    size_t from = first + 1;
    while (from <= last) {
        const size_t star = pattern.find('*', from);
        if (star > from) middle_.push_back(MakePiece(pattern.substr(from, star - from)));
        from = star + 1;
    }
}

bool WildcardPattern::matches(std::string_view text) const {
    if (!hasStar_) return EqualsIgnoreCase(text, head_);
    if (text.size() < head_.size() + tail_.size()) return false;
    for (size_t i = 0; i < head_.size(); ++i)
        if (LowerChar(text[i]) != head_[i]) return false;
    const size_t tailStart = text.size() - tail_.size();
    for (size_t i = 0; i < tail_.size(); ++i)
        if (LowerChar(text[tailStart + i]) != tail_[i]) return false;
    size_t pos = head_.size();
    for (const Piece& piece : middle_) {
        const size_t at = Find(text, pos, tailStart, piece);
        if (at == std::string_view::npos) return false;
        pos = at + piece.text.size();
    }
    return true;
}

bool WildcardMatch(std::string_view text, std::string_view pattern) {
    return WildcardPattern(pattern).matches(text);
}

// ---------------------------------------------------------------------------------------------------------
// Choice conditions and choice lines.

bool IsChoiceCondition(const SCVRData& c) {
    return c.SCVRLen != 0 && EqualsIgnoreCase(c.CondType, "1") && EqualsIgnoreCase(c.CondFunction, "50") &&
           !EqualsIgnoreCase(c.CondComparison, "1");
}

std::vector<std::string> ChoiceLines(std::string_view result) {
    // Two blanks become one in a single pass over the script as it is; commas go after that, so a comma
    // between two blanks leaves two blanks behind.
    std::string flat;
    flat.reserve(result.size());
    for (size_t i = 0; i < result.size(); ++i) {
        const char c = result[i];
        if (c == ' ' && i + 1 < result.size() && result[i + 1] == ' ') ++i;
        if (c != ',') flat += c;
    }
    std::vector<std::string> lines;
    size_t from = 0;
    for (;;) {
        const size_t end = flat.find("\r\n", from);
        std::string line = flat.substr(from, end == std::string::npos ? std::string::npos : end - from);
        if (const size_t semi = line.find(';'); semi != std::string::npos) {
            line.resize(semi);
            const size_t b = line.find_first_not_of(' ');
            line =
                b == std::string::npos ? std::string() : line.substr(b, line.find_last_not_of(' ') + 1 - b);
        }
        lines.push_back(std::move(line));
        if (end == std::string::npos) break;
        from = end + 2;
    }
    return lines;
}

ChoiceOffer::ChoiceOffer(int32_t n)
    : atEnd_("*Choice \"*\" " + std::to_string(n)), goesOn_("*Choice \"*\" " + std::to_string(n) + " *") {}

bool OffersChoice(std::string_view line, int32_t n) {
    return ChoiceOffer(n).offeredBy(line);
}

// ---------------------------------------------------------------------------------------------------------
// The check.

namespace {

// Calls show(slot, choice, line) for every choice condition of rec and every line of its result, as the
// result stood when that slot's pass began, that offers the condition's number again. Stops and returns
// false when show does.
template <class Show> bool VisitResponse(const INFORecord& rec, Show&& show) {
    for (int k = 0; k < kConditionSlots; ++k) {
        const SCVRData& c = rec.Conditions[static_cast<size_t>(k)];
        if (!IsChoiceCondition(c) || rec.BNAM.size() < 3) continue;
        const int32_t n = c.INTV;
        const ChoiceOffer offer(n);
        for (const std::string& line : ChoiceLines(rec.BNAM))
            if (offer.offeredBy(line) && !show(k, n, line)) return false;
    }
    return true;
}

LoopCheckOutcome Fail(Ui& ui, RunError e, LoopCheckOutcome out) {
    ui.setProgress(0);
    ui.messageBox(LoopCheckErrorMessage(e), kProgramTitle, Buttons::OK, Icon::Critical, Ask::Error);
    ui.appendLog(kLoopCheckErrorLine);
    out.end = LoopCheckEnd::Failed;
    return out;
}

} // namespace

std::vector<LoopFinding> FindLoops(const RecordStore& store) {
    std::vector<LoopFinding> found;
    for (size_t i = 0; i < store.tblINFO.size(); ++i) {
        VisitResponse(store.tblINFO[i], [&](int k, int32_t n, const std::string& line) {
            found.push_back({i, k, n, line});
            return true;
        });
    }
    return found;
}

int32_t ResultEditorAnswer(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    int64_t v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        v = v * 10 + (s[i] - '0');
        if (v > INT32_MAX) return INT32_MAX; // far from any answer the editor gives
    }
    return static_cast<int32_t>(negative ? -v : v);
}

LoopCheckOutcome CheckLoops(RecordStore& store, Ui& ui, const std::string& currentFile) {
    LoopCheckOutcome out;
    std::vector<INFORecord>& infos = store.tblINFO;
    try {
        if (infos.empty()) {
            ui.setProgress(0);
            ui.appendLog(NoResponsesLine(currentFile));
            out.end = LoopCheckEnd::NoResponses;
            return out;
        }
        ui.appendLog(LoopCheckStartLine(infos.size(), currentFile));
        ResultEdit editor; // stays loaded for the whole check, like the dialog
        const size_t upper = infos.size() - 1;
        for (size_t i = 0; i < infos.size(); ++i) {
            ui.setProgress(upper == 0 ? 1.0 : static_cast<double>(i) / static_cast<double>(upper));
            INFORecord& rec = infos[i];
            const bool goOn = VisitResponse(rec, [&](int, int32_t n, const std::string&) {
                editor.Actor = rec.ONAM;
                editor.Topic = rec.Topic;
                editor.Response = rec.NAME;
                editor.Result = rec.BNAM;
                editor.Choice = n;
                editor.fiAccept = "2"; // closed without an answer: skipped
                ++out.shown;
                ui.editResult(editor);
                switch (ResultEditorAnswer(editor.fiAccept)) {
                case 0:
                    SetResponseText(rec, editor.Response);
                    SetResultScript(rec, editor.Result);
                    ++out.accepted;
                    return true;
                case 1: return false;
                default: return true;
                }
            });
            if (!goOn) {
                ui.appendLog(kLoopCheckCancelledLine);
                out.end = LoopCheckEnd::Cancelled;
                return out;
            }
        }
        ui.appendLog(kLoopCheckSuccessfulLine);
        ui.setProgress(0);
        out.end = LoopCheckEnd::Completed;
    } catch (const std::bad_alloc&) {
        return Fail(ui, RunError::OutOfMemory, out);
    } catch (const std::length_error&) {
        return Fail(ui, RunError::OutOfMemory, out);
    } catch (const std::out_of_range&) {
        return Fail(ui, RunError::SubscriptOutOfRange, out);
    } catch (const std::exception&) {
        return Fail(ui, RunError::InvalidArgument, out);
    }
    return out;
}

std::string LoopCheckStartLine(size_t responses, const std::string& currentFile) {
    return "-Checking " + std::to_string(responses) + " responses from " + QuotedName(currentFile) +
           " for loops...";
}

std::string NoResponsesLine(const std::string& currentFile) {
    return "-" + QuotedName(currentFile) + " contains no dialogue responses.";
}

std::string LoopCheckErrorMessage(RunError error) {
    return "Vellum has encountered an error number #" + std::to_string(ErrorNumber(error)) + ": " +
           std::string(ErrorDescription(error)) + ".";
}

} // namespace vellum
