#include "store/changes.h"

#include <algorithm>
#include <map>
#include <utility>

namespace vellum {

namespace {

// Where a field's text and length field live in the store; the Topic of a response has no length field.
struct Slot {
    std::string* text;
    int32_t* length;
};

Slot SlotOf(RecordStore& store, TextField field, size_t record) {
    static thread_local int32_t none = 0;
    switch (field) {
    case TextField::ResponseText: return {&store.tblINFO[record].NAME, &store.tblINFO[record].NAMELen};
    case TextField::ResultScript: return {&store.tblINFO[record].BNAM, &store.tblINFO[record].BNAMLen};
    case TextField::ResponseTopic: none = 0; return {&store.tblINFO[record].Topic, &none};
    case TextField::TopicName: return {&store.tblDIAL[record].NAME, &store.tblDIAL[record].NAMELen};
    }
    return {nullptr, nullptr};
}

void CompareField(std::vector<TextChange>& out, TextField field, size_t record, const FieldText& before,
                  FieldText after) {
    if (before != after) out.push_back({field, record, before, std::move(after)});
}

} // namespace

FieldText GetField(const RecordStore& store, TextField field, size_t record) {
    const Slot s = SlotOf(const_cast<RecordStore&>(store), field, record);
    return {*s.text, *s.length};
}

void SetField(RecordStore& store, TextField field, size_t record, FieldText value) {
    const Slot s = SlotOf(store, field, record);
    *s.text = std::move(value.text);
    if (field != TextField::ResponseTopic) *s.length = value.length;
}

DialogueTexts TakeDialogueTexts(const RecordStore& store) {
    DialogueTexts t;
    t.responses.reserve(store.tblINFO.size());
    t.results.reserve(store.tblINFO.size());
    t.responseTopics.reserve(store.tblINFO.size());
    for (const INFORecord& r : store.tblINFO) {
        t.responses.push_back({r.NAME, r.NAMELen});
        t.results.push_back({r.BNAM, r.BNAMLen});
        t.responseTopics.push_back(r.Topic);
    }
    for (const DIALRecord& d : store.tblDIAL) t.topicNames.push_back({d.NAME, d.NAMELen});
    return t;
}

std::vector<TextChange> CompareDialogue(const DialogueTexts& before, const RecordStore& store) {
    std::vector<TextChange> out;
    const size_t infos = std::min(before.responses.size(), store.tblINFO.size());
    for (size_t i = 0; i < infos; ++i)
        CompareField(out, TextField::ResponseText, i, before.responses[i],
                     GetField(store, TextField::ResponseText, i));
    for (size_t i = 0; i < infos; ++i)
        CompareField(out, TextField::ResultScript, i, before.results[i],
                     GetField(store, TextField::ResultScript, i));
    for (size_t i = 0; i < infos; ++i)
        CompareField(out, TextField::ResponseTopic, i, {before.responseTopics[i], 0},
                     {store.tblINFO[i].Topic, 0});
    const size_t dials = std::min(before.topicNames.size(), store.tblDIAL.size());
    for (size_t d = 0; d < dials; ++d)
        CompareField(out, TextField::TopicName, d, before.topicNames[d],
                     GetField(store, TextField::TopicName, d));
    return out;
}

ChangeCounts CountChanges(const std::vector<TextChange>& changes) {
    ChangeCounts c;
    for (const TextChange& ch : changes) {
        switch (ch.field) {
        case TextField::ResponseText: ++c.responses; break;
        case TextField::ResultScript: ++c.results; break;
        case TextField::ResponseTopic: ++c.moved; break;
        case TextField::TopicName: ++c.topics; break;
        }
    }
    return c;
}

EditStep::EditStep(std::string name, const std::vector<TextChange>& changes)
    : name_(std::move(name)), counts_(CountChanges(changes)) {
    pieces_.reserve(changes.size());
    for (const TextChange& c : changes) {
        const std::string& b = c.before.text;
        const std::string& a = c.after.text;
        const auto [start, end] = FindCommonEnds(b, a);
        const size_t kept = b.size() - start - end;
        pieces_.push_back({static_cast<uint32_t>(c.record), static_cast<uint32_t>(start),
                           static_cast<uint32_t>(a.size() - start - end), static_cast<uint32_t>(pool_.size()),
                           static_cast<uint32_t>(kept), c.before.length, c.field});
        pool_.append(b, start, kept);
    }
    pool_.shrink_to_fit();
}

FieldText EditStep::rebuild(const Piece& p, const FieldText& current) const {
    FieldText out;
    out.text.reserve(current.text.size() - p.length + p.size);
    out.text.append(current.text, 0, p.at);
    out.text.append(pool_, p.offset, p.size);
    out.text.append(current.text, p.at + p.length);
    out.length = p.lengthField;
    return out;
}

void EditStep::swapWith(RecordStore& store) {
    std::string pool;
    pool.reserve(pool_.size());
    for (Piece& p : pieces_) {
        const Slot s = SlotOf(store, p.field, p.record);
        const std::string stretch = s.text->substr(p.at, p.length);
        s.text->replace(p.at, p.length, pool_, p.offset, p.size);
        std::swap(*s.length, p.lengthField);
        p.length = p.size;
        p.offset = static_cast<uint32_t>(pool.size());
        p.size = static_cast<uint32_t>(stretch.size());
        pool += stretch;
    }
    pool.shrink_to_fit();
    pool_ = std::move(pool);
}

std::vector<TextChange> EditStep::changes(const RecordStore& store) const {
    std::vector<TextChange> out;
    out.reserve(pieces_.size());
    for (const Piece& p : pieces_) {
        FieldText current = GetField(store, p.field, p.record);
        FieldText kept = rebuild(p, current);
        out.push_back({p.field, p.record, std::move(kept), std::move(current)});
    }
    return out;
}

bool EditStep::otherSide(const RecordStore& store, TextField field, size_t record, FieldText& out) const {
    auto it = std::lower_bound(pieces_.begin(), pieces_.end(), std::make_pair(field, record),
                               [](const Piece& p, const std::pair<TextField, size_t>& key) {
                                   return std::make_pair(p.field, size_t{p.record}) < key;
                               });
    if (it == pieces_.end() || it->field != field || it->record != record) return false;
    out = rebuild(*it, GetField(store, field, record));
    return true;
}

size_t EditStep::heapBytes() const {
    return name_.capacity() + pieces_.capacity() * sizeof(Piece) + pool_.capacity();
}

void EditHistory::push(EditStep step) {
    if (saved_ > static_cast<long>(done_)) saved_ = -1;
    steps_.resize(done_);
    steps_.push_back(std::move(step));
    ++done_;
    if (steps_.size() > kMaxSteps) {
        steps_.erase(steps_.begin());
        --done_;
        if (saved_ >= 0) --saved_;
    }
}

const std::string& EditHistory::undoName() const {
    static const std::string none;
    return canUndo() ? steps_[done_ - 1].name() : none;
}

const std::string& EditHistory::redoName() const {
    static const std::string none;
    return canRedo() ? steps_[done_].name() : none;
}

void EditHistory::undo(RecordStore& store) {
    if (!canUndo()) return;
    steps_[--done_].swapWith(store);
}

void EditHistory::redo(RecordStore& store) {
    if (!canRedo()) return;
    steps_[done_++].swapWith(store);
}

void EditHistory::clear() {
    steps_.clear();
    done_ = 0;
    saved_ = 0;
}

std::vector<TextChange> EditHistory::changesSinceSaved(const RecordStore& store) const {
    const size_t saved = saved_ < 0 ? 0 : static_cast<size_t>(saved_);
    // Walks from the store's state to the saved one, a step at a time: each step's kept side is the text of
    // the state on its far side, as a stretch of the text of the state the walk has reached.
    std::map<std::pair<TextField, size_t>, FieldText> reached;
    auto walk = [&](const EditStep& step) {
        for (const EditStep::Piece& p : step.pieces_) {
            auto [it, fresh] = reached.try_emplace({p.field, p.record});
            if (fresh) it->second = GetField(store, p.field, p.record);
            it->second = step.rebuild(p, it->second);
        }
    };
    for (size_t k = done_; k > saved; --k) walk(steps_[k - 1]);
    for (size_t k = done_; k < saved; ++k) walk(steps_[k]);
    std::vector<TextChange> out;
    for (auto& [key, value] : reached) {
        FieldText current = GetField(store, key.first, key.second);
        if (value != current) out.push_back({key.first, key.second, std::move(value), std::move(current)});
    }
    return out;
}

} // namespace vellum
