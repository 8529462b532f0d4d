// Changes of the loaded dialogue: the texts the tools change (response texts, result scripts, the topic a
// response stands under, topic names), found by comparing the store with the texts kept before a tool ran,
// and kept for undoing as the changed stretch of each text only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "store/store.h"

namespace vellum {

enum class TextField : uint8_t {
    ResponseText,  // INFO NAME, tblINFO
    ResultScript,  // INFO BNAM, tblINFO
    ResponseTopic, // INFO Topic, tblINFO
    TopicName,     // DIAL NAME, tblDIAL
};

// A text with its length field as the record holds it (0 for the Topic of a response, which has none).
struct FieldText {
    std::string text;
    int32_t length = 0;
    bool operator==(const FieldText&) const = default;
};

// One changed text: the record's place in its table (tblDIAL for topic names, tblINFO otherwise).
struct TextChange {
    TextField field = TextField::ResponseText;
    size_t record = 0;
    FieldText before, after;
    bool operator==(const TextChange&) const = default;
};

// The lengths of the common start and, in what is left, of the common end of two sequences.
struct CommonEnds {
    size_t head = 0, tail = 0;
};
template <class Seq> CommonEnds FindCommonEnds(const Seq& a, const Seq& b) {
    CommonEnds e;
    while (e.head < a.size() && e.head < b.size() && a[e.head] == b[e.head]) ++e.head;
    while (e.tail < a.size() - e.head && e.tail < b.size() - e.head &&
           a[a.size() - 1 - e.tail] == b[b.size() - 1 - e.tail])
        ++e.tail;
    return e;
}

FieldText GetField(const RecordStore& store, TextField field, size_t record);
void SetField(RecordStore& store, TextField field, size_t record, FieldText value);

// The dialogue texts of a store, taken before a tool runs.
struct DialogueTexts {
    std::vector<FieldText> responses, results, topicNames;
    std::vector<std::string> responseTopics;
};
DialogueTexts TakeDialogueTexts(const RecordStore& store);

// Every text of store that differs from before, in the order of TextField, then of the records. The tools
// that change texts leave the number of records as it was.
std::vector<TextChange> CompareDialogue(const DialogueTexts& before, const RecordStore& store);

struct ChangeCounts {
    size_t responses = 0; // response texts changed
    size_t results = 0;   // result scripts changed
    size_t topics = 0;    // topics renamed
    size_t moved = 0;     // responses whose topic name changed with their topic
    bool any() const { return responses + results + topics + moved > 0; }
    bool operator==(const ChangeCounts&) const = default;
};
ChangeCounts CountChanges(const std::vector<TextChange>& changes);

// One step of the undo history: the texts of one action, kept as the stretch of each text that differs from
// the store's (the common start and end are not kept). Swapping a step with the store exchanges the two
// sides: after the action it undoes it, after an undo it redoes it.
class EditStep {
  public:
    EditStep() = default;
    // The step of changes whose after side the store holds now.
    EditStep(std::string name, const std::vector<TextChange>& changes);

    const std::string& name() const { return name_; }
    bool empty() const { return pieces_.empty(); }
    ChangeCounts counts() const { return counts_; }
    void swapWith(RecordStore& store);
    // The changes this step holds, with the store's texts on the after side.
    std::vector<TextChange> changes(const RecordStore& store) const;
    // The kept text of one field, or nothing when the step does not touch it.
    bool otherSide(const RecordStore& store, TextField field, size_t record, FieldText& out) const;
    // Memory the step holds beyond the object itself.
    size_t heapBytes() const;

  private:
    friend class EditHistory;
    struct Piece {
        uint32_t record;
        uint32_t at;     // where the stretch begins in both sides
        uint32_t length; // the store's stretch, in characters
        uint32_t offset; // the kept stretch: its place in pool_
        uint32_t size;   // and its length
        int32_t lengthField;
        TextField field;
    };
    FieldText rebuild(const Piece& p, const FieldText& current) const;

    std::string name_;
    std::vector<Piece> pieces_; // by field, then record
    std::string pool_;
    ChangeCounts counts_;
};

// The undo and redo steps of the loaded file, and the step at which it was last opened or saved.
class EditHistory {
  public:
    // The number of steps kept; an older step is forgotten.
    static constexpr size_t kMaxSteps = 100;

    // Records a step whose changes the store already holds; drops the steps that could be redone.
    void push(EditStep step);
    bool canUndo() const { return done_ > 0; }
    bool canRedo() const { return done_ < steps_.size(); }
    const std::string& undoName() const;
    const std::string& redoName() const;
    void undo(RecordStore& store);
    void redo(RecordStore& store);
    void clear();
    // The store now holds what the file holds.
    void markSaved() { saved_ = static_cast<long>(done_); }
    bool modified() const { return saved_ != static_cast<long>(done_); }
    size_t size() const { return steps_.size(); }
    const EditStep& step(size_t k) const { return steps_[k]; }
    // What differs between the file as last opened or saved (or, once that step was forgotten, the oldest
    // step kept) and the store, one change per field, by field and record.
    std::vector<TextChange> changesSinceSaved(const RecordStore& store) const;

  private:
    std::vector<EditStep> steps_;
    size_t done_ = 0; // steps_[0, done_) are done: their kept side is the before side
    long saved_ = 0;  // done_ when the store matched the file; -1 once no step reaches it
};

} // namespace vellum
