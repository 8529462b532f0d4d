// Topic renaming: gives dialogue topics new names in the topic list, in the Topic of their responses and,
// as chosen, in every response text and result script of the file. The window's Rename Topics dialog
// lists the rows with ListTopicRows, lets the user edit their texts and hands them to ApplyTopicRenames.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "store/store.h"
#include "ui.h"

namespace vellum {

// One row of the topic list: a topic proper (DialType 0) of tblDIAL.
struct TopicRow {
    size_t index = 0; // the topic's place in tblDIAL
    std::string name; // the topic's NAME when the row was listed (after an Apply: the name it was given)
    std::string text; // the row's text; when it differs from name (case counts) the topic is renamed to it
};

// The rows for the loaded file: every topic whose DialType is 0, in table order, with text = name.
std::vector<TopicRow> ListTopicRows(const RecordStore& store);

// Where a new name replaces the old one besides the topic and the Topic of its responses.
struct RenameOptions {
    bool responses = true; // "Responses": in every response text
    bool results = true;   // "Results": in every result script
};

enum class RenameStatus {
    Applied,   // every edited row was applied (also when no row was edited)
    StaleRows, // the rows no longer describe the store's topics (the file changed since they were listed)
    EmptyName, // a row's text is empty; a topic cannot be given an empty name
};

struct RenameOutcome {
    RenameStatus status = RenameStatus::Applied;
    size_t topicsRenamed = 0;
    size_t responsesMoved = 0;         // responses whose Topic took a new name
    size_t textsChanged = 0;           // response texts changed (by the passes, trimming or editing)
    size_t resultsChanged = 0;         // result scripts changed by the passes
    std::vector<std::string> overLong; // IDs of responses found longer than 512 characters, in order met
};

// The Apply of the dialog. Refuses, changing nothing, when rows differ from ListTopicRows(store) in number,
// index or name, or when a row's text is empty. Otherwise renames, in table order, every topic whose row's
// text differs from its NAME: the topic (NAMELen and Size follow), the Topic of every response filed under
// the old name, and the old name in the response texts and result scripts as options say, by the four
// passes of ReplaceTopicName. A response text longer than 512 characters afterwards is offered for editing
// ("Vellum Warning", Yes/No/Cancel, Cancel meaning no to all): Yes opens the response editor, and what it
// returns is cut to 512 characters if still longer; No cuts it; Cancel cuts it and every later one of this
// Apply without asking. Sets the progress from 0 to 1 over tblDIAL and back to 0. On success every row's
// name becomes its text, so applying the same rows again changes nothing.
RenameOutcome ApplyTopicRenames(RecordStore& store, std::vector<TopicRow>& rows, const RenameOptions& options,
                                Ui& ui);

// The four replacement passes, each over every occurrence from left to right, case counting: the old name
// by the new one as they are, then in lower case, then in upper case, then in proper case. Plain substrings:
// no word boundaries. Returns whether the text changed.
bool ReplaceTopicName(std::string& text, std::string_view oldName, std::string_view newName);

inline constexpr std::string_view kRenameWarningTitle = "Vellum Warning";
// The question for an over-long response text during a rename.
std::string RenameTooLongQuestion(std::string_view id);

} // namespace vellum
