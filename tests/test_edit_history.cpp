// The undo history of the dialogue texts: every order of saving, undoing and redoing gives back the texts of
// each state, the changes since saving are exactly what differs from the saved state, and the changes list's
// diff and word marks.
#include <gtest/gtest.h>

#include "dialogue/change_list.h"
#include "dialogue/rename_topics.h"
#include "morrowindize/morrowindize.h"
#include "store/changes.h"
#include "test_util.h"

using namespace vellum;

namespace {

// The shared plugin, then three steps: Morrowindize with every option, a topic renamed, and texts emptied and
// given to fields that had none (length fields of 0 come back as 0).
struct Steps {
    RecordStore store;
    std::vector<RecordStore> states;
    EditHistory history;

    void run(const std::string& name, const std::function<void()>& tool) {
        const DialogueTexts before = TakeDialogueTexts(store);
        tool();
        history.push(EditStep(name, CompareDialogue(before, store)));
        states.push_back(store);
    }
    Steps() {
        testutil::Load(testutil::ReadFile(testutil::SharedFixture("all_types.esp")), store);
        states.push_back(store);
        SilentUi ui;
        MorrowindizeOptions all;
        for (const MorrowindizeOptionInfo& o : MorrowindizeOptionList()) all.*o.flag = true;
        run("Morrowindize", [&] { Morrowindize(store, all, "all_types.esp", ui); });
        run("Rename Topics", [&] {
            std::vector<TopicRow> rows = ListTopicRows(store);
            rows.at(0).text = "Renamed " + rows[0].name;
            ApplyTopicRenames(store, rows, {}, ui);
        });
        run("Edit", [&] {
            SetResponseText(store.tblINFO.at(1), "");
            SetResultScript(store.tblINFO.at(2), "Journal \"x\" 10\r\nGoodbye");
            store.tblINFO.at(3).NAME += " And more.";
            store.tblINFO.at(3).NAMELen += 10;
        });
    }
};

bool SameDialogue(const RecordStore& a, const RecordStore& b) {
    return a.tblINFO == b.tblINFO && a.tblDIAL == b.tblDIAL;
}

} // namespace

TEST(EditHistory, EveryStateComesBackAndChangesAreCountedFromTheSavedOne) {
    for (size_t saved = 0; saved < 4; ++saved) {
        for (size_t current = 0; current < 4; ++current) {
            Steps s;
            ASSERT_EQ(s.states.size(), 4u);
            ASSERT_FALSE(s.history.step(0).empty());
            // Walk to the saved state, save, walk to the current one.
            for (size_t k = 3; k > saved; --k) s.history.undo(s.store);
            ASSERT_TRUE(SameDialogue(s.store, s.states[saved])) << saved;
            s.history.markSaved();
            for (size_t k = saved; k > current; --k) s.history.undo(s.store);
            for (size_t k = saved; k < current; ++k) s.history.redo(s.store);
            SCOPED_TRACE(testing::Message() << "saved " << saved << ", current " << current);
            EXPECT_TRUE(SameDialogue(s.store, s.states[current]));
            EXPECT_EQ(s.history.modified(), saved != current);
            EXPECT_EQ(s.history.changesSinceSaved(s.store),
                      CompareDialogue(TakeDialogueTexts(s.states[saved]), s.store));
        }
    }
}

TEST(EditHistory, StepsAreNamedAndCountedAndTheOldestIsForgotten) {
    Steps s;
    EXPECT_EQ(std::make_tuple(s.history.step(0).name(), s.history.step(0).counts(), s.history.undoName()),
              std::make_tuple("Morrowindize", ChangeCounts{6, 0, 0, 0}, "Edit"));
    EXPECT_EQ(s.history.step(1).counts().topics, 1u);

    // A new step drops the redoable ones; past the limit the oldest is forgotten, and with it the saved
    // state.
    s.history.undo(s.store);
    s.history.push(EditStep(
        "Again", {{TextField::ResponseText, 0, {"a", 1}, GetField(s.store, TextField::ResponseText, 0)}}));
    EXPECT_EQ(std::make_pair(s.history.canRedo(), s.history.size()), std::make_pair(false, size_t{3}));
    for (size_t k = 0; k < EditHistory::kMaxSteps; ++k) {
        FieldText now = GetField(s.store, TextField::ResponseText, 0);
        FieldText next{now.text + "!", now.length + 1};
        SetField(s.store, TextField::ResponseText, 0, next);
        s.history.push(EditStep("Bang", {{TextField::ResponseText, 0, now, next}}));
    }
    EXPECT_EQ(s.history.size(), EditHistory::kMaxSteps);
    while (s.history.canUndo()) s.history.undo(s.store);
    EXPECT_TRUE(s.history.modified());
    EXPECT_EQ(s.history.changesSinceSaved(s.store), std::vector<TextChange>{});
    // Emptied when another file is opened: nothing to undo or redo, nothing modified.
    s.history.redo(s.store);
    s.history.clear();
    EXPECT_EQ(
        std::make_tuple(s.history.canUndo(), s.history.canRedo(), s.history.modified(), s.history.size()),
        std::make_tuple(false, false, false, size_t{0}));
}

TEST(ChangeList, UnifiedDiffAndWordMarks) {
    RecordStore store;
    store.tblINFO.resize(1);
    std::tie(store.tblINFO[0].Topic, store.tblINFO[0].INAM) = std::make_tuple("Balmora", "1234");
    store.tblDIAL.resize(1);
    const std::string script = "a\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\nh\r\ni\r\nj";
    std::string edited = script;
    edited.replace(edited.find('b'), 1, "B").replace(edited.find('j'), 1, "J");
    const std::vector<TextChange> changes = {
        {TextField::ResponseText, 0, {"", 0}, {"Hello.", 6}},
        {TextField::ResultScript, 0, {script, 28}, {edited, 28}},
        {TextField::TopicName, 0, {"Old", 4}, {"New", 4}},
    };
    EXPECT_EQ(UnifiedDiff(store, changes), "--- topic \"Balmora\" response \"1234\" text\n"
                                           "+++ topic \"Balmora\" response \"1234\" text\n"
                                           "@@ -0,0 +1 @@\n+Hello.\n"
                                           "--- topic \"Balmora\" response \"1234\" result\n"
                                           "+++ topic \"Balmora\" response \"1234\" result\n"
                                           "@@ -1,5 +1,5 @@\n a\n-b\n+B\n c\n d\n e\n"
                                           "@@ -7,4 +7,4 @@\n g\n h\n i\n-j\n+J\n"
                                           "--- topic \"Old\" name\n+++ topic \"Old\" name\n"
                                           "@@ -1 +1 @@\n-Old\n+New\n");
    EXPECT_EQ(ChangedLogLine(CountChanges(changes)), "-Changed 1 response, 1 result and 1 topic.");
    EXPECT_EQ(WouldChangeLine("x.esp", {}), "x.esp: nothing would change.");

    using P = DiffPiece;
    const struct {
        std::string before, after;
        std::vector<DiffPiece> pieces;
    } cases[] = {
        {"the tribunal  said",
         "The Tribunal said",
         {{DiffKind::Removed, "the"},
          {DiffKind::Added, "The"},
          P{DiffKind::Same, " "},
          {DiffKind::Removed, "tribunal  "},
          {DiffKind::Added, "Tribunal "},
          {DiffKind::Same, "said"}}},
        {"same", "same", {{DiffKind::Same, "same"}}},
        {"", "new words", {{DiffKind::Added, "new words"}}},
    };
    for (const auto& c : cases) EXPECT_EQ(WordDiff(c.before, c.after), c.pieces) << c.before;
}
