#include "morrowindize/morrowindize.h"

#include <exception>
#include <new>
#include <stdexcept>
#include <system_error>

#include "dialogue/text_util.h"
#include "errors.h"
#include "morrowindize/clean_text.h"
#include "morrowindize/text_replace.h"
#include "records/dialogue.h"
#include "shell/shell.h"

namespace vellum {

namespace {

// The run-time error that an exception stands for: memory, a failed file or system operation, or else an
// operation that could not work with what it was given.
RunError ErrorFor(std::exception_ptr e) {
    try {
        std::rethrow_exception(e);
    } catch (const std::bad_alloc&) {
        return RunError::OutOfMemory;
    } catch (const std::length_error&) {
        return RunError::OutOfMemory;
    } catch (const std::system_error& ex) {
        return ErrorForSystemError(ex.code());
    } catch (...) {
        return RunError::InvalidArgument;
    }
}

// The 512-character rule: returns the text the response keeps.
std::string LimitLength(const INFORecord& rec, std::string cleaned, bool& noToAll, Ui& ui) {
    if (cleaned.size() <= kMaxResponseLength) return cleaned;
    if (noToAll) return rec.NAME;
    Answer a = ui.messageBox(kTextTooLongQuestion, kCleanUpTitle, Buttons::YesNoCancel, Icon::Information,
                             Ask::TextTooLong);
    if (a == Answer::Yes) {
        ResponseEdit edit;
        edit.Actor = rec.InfoType == 4 ? "Journal Entry" : rec.ONAM;
        edit.Topic = rec.Topic;
        edit.Response = std::move(cleaned);
        ui.editResponse(edit);
        if (edit.Response.size() > kMaxResponseLength) return rec.NAME;
        return std::move(edit.Response);
    }
    if (a == Answer::Cancel) noToAll = true;
    return rec.NAME;
}

} // namespace

MorrowindizeOutcome Morrowindize(RecordStore& store, const MorrowindizeOptions& options,
                                 const std::string& currentFile, Ui& ui) {
    MorrowindizeOutcome outcome;
    const std::string name = QuotedName(currentFile);
    std::vector<INFORecord>& infos = store.tblINFO;
    if (infos.empty()) {
        ui.appendLog("-" + name + " contains no dialogue responses.");
        ui.setProgress(0);
        return outcome;
    }
    try {
        const size_t n = infos.size();
        ui.appendLog("-Morrowindizing " + std::to_string(n) + " responses from " + name + "...");
        bool noToAll = false, quoteOpen = false;
        for (size_t i = 0; i < n; ++i) {
            if (n > 1) ui.setProgress(static_cast<double>(i) / static_cast<double>(n - 1));
            INFORecord& rec = infos[i];
            // The record is changed only once its new text is final, so that an error on the way leaves the
            // response in hand with its old text and its lengths as they were.
            std::string text = LimitLength(rec, CleanText(rec.NAME, options, quoteOpen), noToAll, ui);
            const bool counted = !EqualsIgnoreCase(text, rec.NAME);
            if (text != rec.NAME) SetResponseText(rec, std::move(text));
            if (counted) ++outcome.changed;
        }
        if (outcome.changed == 0)
            ui.appendLog("-All dialogues in " + name + " are already Morrowindish.");
        else
            ui.appendLog("-" + std::to_string(outcome.changed) + " responses from " + name +
                         " have been Morrowindized successfully.");
        outcome.completed = true;
    } catch (...) {
        const RunError error = ErrorFor(std::current_exception());
        try {
            ui.messageBox("Vellum has encountered an error number #" + ErrorLine(error) + ".", kProgramTitle,
                          Buttons::OK, Icon::None, Ask::Error);
            ui.appendLog("-An error occured during dialogue clean-up.");
        } catch (...) {
            // Nothing more can be reported; the run has ended either way.
        }
    }
    ui.setProgress(0);
    return outcome;
}

} // namespace vellum
