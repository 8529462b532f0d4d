// Topic renaming: the four replacement passes, the rows of the topic list, Apply with its bookkeeping, the
// 512-character question and the response editor, refusal of rows that no longer fit the store, progress,
// and the responses written under the new name after a save.
#include <gtest/gtest.h>

#include "dialogue/rename_topics.h"
#include "fixture_builder.h"
#include "test_util.h"

using namespace vellum;
using namespace fixture;

namespace {

std::string Dial(std::string_view name, uint8_t type = 0) {
    return Record("DIAL", ZSub("NAME", name) + Sub("DATA", U8(type)));
}

std::string Info(std::string_view id, std::string_view text, std::string_view result = "",
                 std::string_view actor = "fargoth", uint32_t flags = 0, int32_t infoType = 0) {
    std::string body = ZSub("INAM", id) + ZSub("PNAM", "") + Sub("DATA", I32(infoType) + I32(0) + U32(0));
    if (!actor.empty()) body += ZSub("ONAM", actor);
    if (!text.empty()) body += Sub("NAME", text);
    if (!result.empty()) body += Sub("BNAM", result);
    return Record("INFO", body, flags);
}

struct Loaded {
    RecordStore store;
    int32_t count = 0;
    // No bytes: an empty store, as with no file open.
    explicit Loaded(const std::string& bytes) {
        if (!bytes.empty()) count = testutil::Load(bytes, store);
    }
    // Renames by the rows' texts: pairs of topic index in tblDIAL and new name.
    RenameOutcome apply(const std::vector<std::pair<size_t, std::string>>& renames, FakeUi& ui,
                        RenameOptions options = {}) {
        std::vector<TopicRow> rows = ListTopicRows(store);
        for (const auto& [index, name] : renames)
            for (TopicRow& row : rows)
                if (row.index == index) row.text = name;
        return ApplyTopicRenames(store, rows, options, ui);
    }
    // Saves and reads the result back.
    RecordStore reread(std::string* bytes = nullptr) const {
        const std::string out = testutil::Save(store, count, 0);
        if (bytes) *bytes = out;
        RecordStore back;
        testutil::Load(out, back);
        return back;
    }
};

// One field of every response, in table order.
std::vector<std::string> Column(const RecordStore& s, std::string INFORecord::*field) {
    std::vector<std::string> out;
    for (const INFORecord& r : s.tblINFO) out.push_back(r.*field);
    return out;
}

std::string Renamed(std::string text, std::string_view from, std::string_view to) {
    ReplaceTopicName(text, from, to);
    return text;
}

} // namespace

// ---- the replacement passes ----

TEST(RenameTopicPasses, AsIsLowerUpperAndProperCase) {
    EXPECT_EQ(Renamed("Ash, ash, ASH and Ashlander; aSh stays.", "Ash", "Dust"),
              "Dust, dust, DUST and Dustlander; aSh stays.");
    EXPECT_EQ(
        Renamed("latest rumors, LATEST RUMORS, Latest Rumors, Latest rumors", "latest rumors", "new gossip"),
        "new gossip, NEW GOSSIP, New Gossip, Latest rumors")
        << "only the first letter in upper case is none of the four forms";
    // When the new name in lower case holds the old one, passes 1 and 2 both replace it.
    EXPECT_EQ(Renamed("Any rumors? rumors!", "rumors", "latest rumors"),
              "Any latest latest rumors? latest latest rumors!");
    // A change of letter case alone.
    EXPECT_EQ(Renamed("vivec, Vivec, VIVEC", "vivec", "Vivec"), "Vivec, Vivec, VIVEC");
    // Proper case: words part at blanks, tabs, line breaks and zeros, not at apostrophes or hyphens.
    EXPECT_EQ(Renamed("Fargoth's Ring and fargoth's ring", "fargoth's ring", "the ring"),
              "The Ring and the ring");
    EXPECT_EQ(Renamed("Red\tMountain", "red\tmountain", "ghost\tgate"), "Ghost\tGate");
    EXPECT_EQ(Renamed("Cliff-Racer, Cliff-racer", "cliff-racer", "kagouti"), "Cliff-Racer, Kagouti");
    EXPECT_EQ(Renamed("\xC9LAN \xE9lan \xC9lan", "\xE9lan", "\xC9\x63u"), "\xC9\x43U \xC9\x63u \xC9\x63u")
        << "accented letters have both cases";
    // Occurrences do not overlap and inserted text is not searched again.
    EXPECT_EQ(Renamed("aaaa", "aa", "a"), "a");
    std::string unchanged = "Nothing to see.";
    EXPECT_FALSE(ReplaceTopicName(unchanged, "Ash", "Dust"));
    EXPECT_TRUE(ReplaceTopicName(unchanged, "see", "do"));
}

TEST(RenameTopicRows, OnlyTopicsProperInTableOrder) {
    Loaded f(File({Dial("Greeting 0", 2), Dial("Ash"), Dial("Hello", 1), Dial("rumors"), Dial("Quest", 4),
                   Dial("Admire", 3), Dial("latest rumors")}));
    std::vector<TopicRow> rows = ListTopicRows(f.store);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(std::tie(rows[0].index, rows[0].name, rows[0].text), std::make_tuple(size_t{1}, "Ash", "Ash"));
    EXPECT_EQ(std::tie(rows[1].index, rows[2].index, rows[2].name),
              std::make_tuple(size_t{3}, size_t{6}, "latest rumors"));
}

// ---- Apply ----

TEST(RenameTopicApply, RenamesTopicResponsesTextsAndResultsWithTheirSizes) {
    Loaded f(File({Dial("Ash"), Info("a1", "Ash storms come from the Ashlands.", "Journal \"ash_quest\" 10"),
                   Info("a2", "", "AddTopic \"Ash\""), Dial("Other"),
                   Info("o1", "ASH everywhere: ash, Ash, ASH, ash, Ash!", "", "hrisskar"),
                   Info("o2", "Gone ash.", "ash", "fargoth", 0x20), Info("o3", "No mention.")}));
    const RecordStore before = f.store;
    FakeUi ui;
    RenameOutcome r = f.apply({{0, "Dust"}}, ui);
    EXPECT_EQ(std::tie(r.status, r.topicsRenamed, r.responsesMoved, r.textsChanged, r.resultsChanged),
              std::make_tuple(RenameStatus::Applied, size_t{1}, size_t{2}, size_t{3}, size_t{3}));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(std::tie(f.store.tblDIAL[0].NAME, f.store.tblDIAL[0].NAMELen),
              std::make_tuple("Dust", before.tblDIAL[0].NAMELen + 1));
    EXPECT_EQ(f.store.tblDIAL[1], before.tblDIAL[1]);
    EXPECT_EQ(Column(f.store, &INFORecord::Topic),
              (std::vector<std::string>{"Dust", "Dust", "Other", "Other", "Other"}));
    // Texts of any topic; a deleted response's text is written, its result is not.
    EXPECT_EQ(Column(f.store, &INFORecord::NAME),
              (std::vector<std::string>{"Dust storms come from the Dustlands.", "",
                                        "DUST everywhere: dust, Dust, DUST, dust, Dust!", "Gone dust.",
                                        "No mention."}));
    EXPECT_EQ(Column(f.store, &INFORecord::BNAM),
              (std::vector<std::string>{"Journal \"dust_quest\" 10", "AddTopic \"Dust\"", "", "dust", ""}));
    const auto& infos = f.store.tblINFO;
    EXPECT_EQ(std::tie(infos[0].NAMELen, infos[2].NAMELen, infos[3].BNAMLen),
              std::make_tuple(before.tblINFO[0].NAMELen + 2, before.tblINFO[2].NAMELen + 6, 4));
    EXPECT_EQ(infos[4], before.tblINFO[4]);

    // After a save the responses stand under the topic's new name, right after it, in their order.
    std::string bytes;
    RecordStore back = f.reread(&bytes);
    EXPECT_EQ(Column(back, &INFORecord::INAM), (std::vector<std::string>{"a1", "a2", "o1", "o2", "o3"}));
    EXPECT_EQ(Column(back, &INFORecord::Topic), Column(f.store, &INFORecord::Topic));
    EXPECT_LT(bytes.find("Dust\0", 0, 5), bytes.find("a1\0", 0, 3));

    // Responses belong to the topic they stand under, not to its name: a topic renamed alone keeps them.
    Loaded g(File({Dial("Ash"), Info("a1", "x"), Info("a2", "y")}));
    SetTopicName(g.store.tblDIAL[0], "Dust");
    EXPECT_EQ(Column(g.reread(), &INFORecord::Topic), (std::vector<std::string>{"Dust", "Dust"}));
}

TEST(RenameTopicApply, OptionsChooseTextsAndResults) {
    for (bool responses : {false, true}) {
        for (bool results : {false, true}) {
            Loaded f(File({Dial("Ash"), Info("a1", "Ash here.", "ash there")}));
            FakeUi ui;
            f.apply({{0, "Dust"}}, ui, RenameOptions{responses, results});
            const INFORecord& rec = f.store.tblINFO[0];
            // Responses always move with their topic.
            EXPECT_EQ(std::tie(rec.Topic, rec.NAME, rec.BNAM),
                      std::make_tuple("Dust", responses ? "Dust here." : "Ash here.",
                                      results ? "dust there" : "ash there"));
            f.reread();
        }
    }
}

TEST(RenameTopicApply, SeveralRowsInTableOrderEachOverTheWholeFile) {
    // red becomes blue, then blue becomes green: a text saying red ends up saying green, because the second
    // rename runs over what the first left. Greetings are not offered.
    Loaded f(File({Dial("red"), Info("r", "red", "", "a"), Dial("Greeting", 2),
                   Info("g", "Blue and red.", "", "b"), Dial("blue"), Info("b", "blue", "", "c")}));
    const RecordStore before = f.store;
    FakeUi ui;
    EXPECT_EQ(f.apply({{0, "blue"}, {2, "green"}}, ui).topicsRenamed, 2u);
    EXPECT_EQ(Column(f.store, &INFORecord::NAME),
              (std::vector<std::string>{"green", "Green and green.", "green"}));
    EXPECT_EQ(Column(f.store, &INFORecord::Topic), (std::vector<std::string>{"green", "Greeting", "green"}));
    EXPECT_EQ(std::tie(f.store.tblDIAL[0].NAME, f.store.tblDIAL[1].NAME, f.store.tblDIAL[2].NAME),
              std::make_tuple("blue", "Greeting", "green"));
    EXPECT_EQ(f.store.tblDIAL[2].NAMELen, before.tblDIAL[2].NAMELen + 1);

    // A change of letter case alone; nothing prevents a name another topic already has.
    Loaded h(
        File({Dial("vivec"), Info("v1", "vivec and Vivec and VIVEC", "AddTopic \"vivec\""), Dial("two")}));
    const int32_t hBefore = h.store.tblDIAL[0].NAMELen;
    h.apply({{0, "Vivec"}, {1, "Vivec"}}, ui);
    EXPECT_EQ(std::tie(h.store.tblDIAL[0].NAME, h.store.tblDIAL[0].NAMELen, h.store.tblDIAL[1].NAME),
              std::make_tuple("Vivec", hBefore, "Vivec"));
    const INFORecord& rec = h.store.tblINFO[0];
    EXPECT_EQ(std::tie(rec.Topic, rec.NAME, rec.BNAM),
              std::make_tuple("Vivec", "Vivec and Vivec and VIVEC", "AddTopic \"Vivec\""));
    EXPECT_EQ(h.reread().tblINFO[0].Topic, "Vivec");
}

TEST(RenameTopicApply, AppliedRowsTakeTheirNewNamesAndASecondApplyChangesNothing) {
    Loaded f(File({Dial("Ash"), Info("a", "Ash")}));
    std::vector<TopicRow> rows = ListTopicRows(f.store);
    rows[0].text = "Dust";
    FakeUi ui;
    EXPECT_EQ(ApplyTopicRenames(f.store, rows, {}, ui).status, RenameStatus::Applied);
    EXPECT_EQ(rows[0].name, "Dust");
    const RecordStore after = f.store;
    RenameOutcome again = ApplyTopicRenames(f.store, rows, {}, ui);
    EXPECT_EQ(std::tie(again.status, again.topicsRenamed), std::make_tuple(RenameStatus::Applied, size_t{0}));
    EXPECT_EQ(f.store.tblINFO, after.tblINFO);
    // The same rows go on working for the next rename.
    rows[0].text = "Ash";
    EXPECT_EQ(ApplyTopicRenames(f.store, rows, {}, ui).topicsRenamed, 1u);
    EXPECT_EQ(f.store.tblINFO[0].NAME, "Ash");
}

TEST(RenameTopicApply, RowsThatNoLongerFitTheStoreAreRefused) {
    const std::string bytes =
        File({Dial("Ash"), Info("a", "Ash"), Dial("Hi", 2), Dial("Vos"), Info("v", "Vos")});
    Loaded f(bytes);
    std::vector<TopicRow> rows = ListTopicRows(f.store);
    rows[0].text = "Dust";
    std::vector<TopicRow> moved = rows, empty = rows; // the same names at other places; an empty name
    moved[1].index = 1;
    empty[1].text.clear();
    Loaded renamed(bytes), fewer(File({Dial("Ash"), Info("a", "Ash")})), retyped(bytes), closed("");
    SetTopicName(renamed.store.tblDIAL[0], "Ashes"); // renamed meanwhile (say by an import)
    retyped.store.tblDIAL.at(2).DialType = 1;        // no longer offered
    const struct {
        Loaded& f;
        const std::vector<TopicRow>& rows;
        RenameStatus status;
    } cases[] = {{renamed, rows, RenameStatus::StaleRows}, {fewer, rows, RenameStatus::StaleRows},
                 {closed, rows, RenameStatus::StaleRows},  {f, moved, RenameStatus::StaleRows},
                 {retyped, rows, RenameStatus::StaleRows}, {f, empty, RenameStatus::EmptyName}};
    for (const auto& c : cases) {
        const RecordStore before = c.f.store;
        std::vector<TopicRow> r = c.rows;
        FakeUi ui;
        EXPECT_EQ(ApplyTopicRenames(c.f.store, r, {}, ui).status, c.status);
        EXPECT_EQ(c.f.store.tblDIAL, before.tblDIAL) << "nothing changed";
        EXPECT_EQ(c.f.store.tblINFO, before.tblINFO);
        EXPECT_TRUE(ui.progress.empty());
    }
    // The same rows apply to the store they were listed from.
    FakeUi ui;
    EXPECT_EQ(ApplyTopicRenames(f.store, rows, {}, ui).status, RenameStatus::Applied);
    EXPECT_EQ(f.store.tblINFO[0].NAME, "Dust");
}

TEST(RenameTopicApply, ProgressOverTheTopicTable) {
    Loaded f(File({Dial("a"), Dial("Greeting", 2), Dial("b")}));
    FakeUi ui, oneUi, noneUi;
    f.apply({{2, "c"}}, ui);
    EXPECT_EQ(ui.progress, (std::vector<double>{0.0, 0.5, 1.0, 0.0}));
    Loaded one(File({Dial("a")}));
    one.apply({}, oneUi);
    EXPECT_EQ(oneUi.progress, (std::vector<double>{1.0, 0.0}));
    Loaded none("");
    EXPECT_EQ(none.apply({}, noneUi).status, RenameStatus::Applied);
    EXPECT_EQ(noneUi.progress, (std::vector<double>{0.0}));
}

// ---- the 512-character rule ----

TEST(RenameTopicApply, OverLongResponsesWithEachAnswer) {
    // Each text grows past 512 characters when ash becomes dusts.
    const std::string text = "ash " + std::string(508, '.'), grown = "dusts " + std::string(508, '.');
    const std::string bytes =
        File({Dial("ash"), Info("r1", text, "", "fargoth"), Info("r2", text, "", "hrisskar"),
              Dial("Journal", 4), Info("r3", text, text, "", 0, 4)});
    {
        // No cuts this one; Cancel cuts it and every later one without asking. Results are never cut.
        Loaded f(bytes);
        FakeUi ui;
        ui.answers = {Answer::No, Answer::Cancel};
        RenameOutcome r = f.apply({{0, "dusts"}}, ui);
        ASSERT_EQ(ui.messages.size(), 2u);
        const ShownMessage& m = ui.messages[0];
        EXPECT_EQ(
            std::tie(m.text, m.title, m.buttons, m.icon, m.kind),
            std::make_tuple("The response \"r1\" is longer than 512 characters. Do you want to edit it by "
                            "hand? Otherwise it will be trimmed to fit.\r\n\r\nCancel is \"No to all\"",
                            "Vellum Warning", Buttons::YesNoCancel, Icon::Information, Ask::TextTooLong));
        EXPECT_NE(ui.messages[1].text.find("\"r2\""), std::string::npos);
        EXPECT_EQ(Column(f.store, &INFORecord::NAME), std::vector<std::string>(3, grown.substr(0, 512)));
        for (const INFORecord& rec : f.store.tblINFO) EXPECT_EQ(rec.NAMELen, 512);
        EXPECT_EQ(f.store.tblINFO[2].BNAM, "dusts " + std::string(508, '.'));
        EXPECT_EQ(r.overLong, (std::vector<std::string>{"r1", "r2", "r3"}));
        EXPECT_TRUE(ui.responseEdits.empty());
        f.reread();

        // No to all lasts for one Apply.
        FakeUi next;
        next.answers = {Answer::No};
        SetResponseText(f.store.tblINFO[0], grown);
        f.apply({{0, "DUSTS"}}, next);
        EXPECT_EQ(next.messages.size(), 1u);
    }
    {
        // Yes opens the response editor with the speaker's ID (also for a journal entry) and the new topic
        // name. What it returns is kept; a text still too long is cut to 512; an emptied text drops its
        // subrecord.
        Loaded f(bytes);
        FakeUi ui;
        ui.defaultAnswer = Answer::Yes;
        int call = 0;
        ui.onEditResponse = [&](ResponseEdit& e) {
            ++call;
            if (call == 1) e.Response = "Short now.";
            if (call == 2) e.Response += "more"; // Cancel in the editor: still too long
            if (call == 3) e.Response.clear();
        };
        f.apply({{0, "dusts"}}, ui);
        ASSERT_EQ(ui.responseEdits.size(), 3u);
        const ResponseEdit &first = ui.responseEdits[0], &journal = ui.responseEdits[2];
        EXPECT_EQ(std::tie(first.Actor, first.Topic, first.Response),
                  std::make_tuple("fargoth", "dusts", grown));
        EXPECT_EQ(std::tie(journal.Actor, journal.Topic), std::make_tuple("", "Journal"));
        EXPECT_EQ(Column(f.store, &INFORecord::NAME),
                  (std::vector<std::string>{"Short now.", "dusts " + std::string(506, '.'), ""}));
        EXPECT_EQ(f.reread().tblINFO[2].NAMELen, 0);
    }
    {
        // A text that was already too long is offered even when the rename does not touch it.
        Loaded f(File({Dial("Vos"), Info("v", "x"), Dial("Other"), Info("o", std::string(600, 'o'))}));
        FakeUi ui;
        ui.answers = {Answer::No};
        f.apply({{0, "Molag Mar"}}, ui);
        EXPECT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(f.store.tblINFO[1].NAME.size(), 512u);
        f.reread();
    }
}
