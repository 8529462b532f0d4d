// The response editor's contract, shared by the dialogue import, topic renaming and Morrowindize: what the
// caller puts into the editor, what the editor shows, and what the caller takes back.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "records/dialogue.h"
#include "ui.h"

namespace vellum {

// The game's limit for a response text, in characters.
inline constexpr size_t kResponseLimit = 512;
inline constexpr std::string_view kResponseEditorCaption = "Vellum - Dialogue Editing";
// The actor shown for a journal response.
inline constexpr std::string_view kJournalEntryActor = "Journal Entry";

// The editor's labels for its public variables: the actor in proper case after "Actor: " (a journal entry's
// "Journal Entry" unchanged), "Topic: " with the topic, and "Length: " with the number of characters.
std::string ActorLabel(std::string_view actor);
std::string TopicLabel(std::string_view topic);
std::string LengthLabel(std::string_view text);
// OK is enabled only while the text is within the limit.
bool AcceptEnabled(std::string_view text);

// The actor the import gives the editor: "Journal Entry" for a journal response (InfoType 4), else the
// speaker's ID.
std::string EditorActor(const INFORecord& rec);

// Shows text in the response editor for rec (actor as EditorActor, rec's topic) and returns what the editor
// hands back, cut to the limit when it is still too long (the user cancelled).
std::string EditOverLongResponse(const INFORecord& rec, std::string text, Ui& ui);

// Cuts a text to the limit.
std::string TrimToLimit(std::string text);

} // namespace vellum
