#include "dialogue/response_editor.h"

#include "dialogue/text_util.h"

namespace vellum {

std::string ActorLabel(std::string_view actor) {
    if (actor == kJournalEntryActor) return std::string(actor);
    return "Actor: " + ProperCase(actor);
}

std::string TopicLabel(std::string_view topic) {
    return "Topic: " + std::string(topic);
}

std::string LengthLabel(std::string_view text) {
    return "Length: " + std::to_string(text.size());
}

bool AcceptEnabled(std::string_view text) {
    return text.size() <= kResponseLimit;
}

std::string EditorActor(const INFORecord& rec) {
    return rec.InfoType == 4 ? std::string(kJournalEntryActor) : rec.ONAM;
}

std::string TrimToLimit(std::string text) {
    if (text.size() > kResponseLimit) text.resize(kResponseLimit);
    return text;
}

std::string EditOverLongResponse(const INFORecord& rec, std::string text, Ui& ui) {
    ResponseEdit edit{EditorActor(rec), rec.Topic, std::move(text)};
    ui.editResponse(edit);
    return TrimToLimit(std::move(edit.Response));
}

} // namespace vellum
