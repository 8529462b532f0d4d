// Morrowindize over a loaded file: the log lines, the count of changed responses, the lengths and sizes kept
// consistent, the 512-character rule with each answer, errors, and the command line.
#include <gtest/gtest.h>

#include <stdexcept>

#include "cli_runner.h"
#include "fixture_builder.h"
#include "morrowindize/morrowindize.h"
#include "test_util.h"

using namespace vellum;
using namespace fixture;

namespace {

std::string Dial(std::string_view name, uint8_t type = 0) {
    return Record("DIAL", ZSub("NAME", name) + Sub("DATA", U8(type)));
}

std::string Info(std::string_view id, std::string_view text, int32_t type = 0,
                 std::string_view actor = "fargoth") {
    std::string body = ZSub("INAM", id) + ZSub("PNAM", "") + ZSub("NNAM", "") +
                       Sub("DATA", I32(type) + I32(0) + std::string(4, '\0')) + ZSub("ONAM", actor);
    if (!text.empty()) body += Sub("NAME", text);
    body += Sub("BNAM", "Goodbye");
    return Record("INFO", body);
}

// Loads a file made of the given records.
int32_t LoadRecords(const std::vector<std::string>& records, RecordStore& store) {
    return testutil::Load(File(records), store);
}

// The store saved and read back: every length still describes what is written.
void ExpectConsistent(const RecordStore& store, int32_t count) {
    std::string bytes = testutil::Save(store, count, 0);
    RecordStore again;
    testutil::Load(bytes, again);
    ASSERT_EQ(again.tblINFO.size(), store.tblINFO.size());
    for (size_t i = 0; i < store.tblINFO.size(); ++i) {
        EXPECT_EQ(again.tblINFO[i].NAME, store.tblINFO[i].NAME);
        EXPECT_EQ(again.tblINFO[i].NAMELen, static_cast<int32_t>(store.tblINFO[i].NAME.size()));
    }
}

// The log lines name the loaded file, which exists: a file of that name in a fresh folder.
class NamedFile {
  public:
    explicit NamedFile(const std::string& name) : path_(dir_.file(name)) { testutil::WriteFile(path_, "x"); }
    const std::string& path() const { return path_; }

  private:
    testutil::TempDir dir_;
    std::string path_;
};

MorrowindizeOptions NoOptions() {
    MorrowindizeOptions o;
    o.isMainEnglish = false;
    return o;
}

// A text that the clean-up makes `prefix` + 510 characters long: each of the 170 commas gets a blank.
std::string Growing(size_t prefix) {
    std::string s(prefix, 'x');
    for (int i = 0; i < 170; ++i) s += ",a";
    return s;
}

} // namespace

TEST(MorrowindizeRun, CleansEveryResponseAndKeepsLengthsAndSizesConsistent) {
    RecordStore s;
    int32_t count = LoadRecords({Dial("greeting"), Info("1", "Hello ,world"), Info("2", "All is well."),
                                 Info("3", "the daedra of morowind"), Dial("other"), Info("4", "a---b  c  ")},
                                s);
    FakeUi ui;
    MorrowindizeOutcome out = Morrowindize(s, MorrowindizeOptions{}, NamedFile("my.esp").path(), ui);
    EXPECT_TRUE(out.completed);
    EXPECT_EQ(out.changed, 3);
    EXPECT_EQ(s.tblINFO[0].NAME, "Hello, world");
    EXPECT_EQ(s.tblINFO[1].NAME, "All is well.");
    EXPECT_EQ(s.tblINFO[2].NAME, "the Daedra of Morrowind");
    EXPECT_EQ(s.tblINFO[3].NAME, "a-b c");
    EXPECT_EQ(s.tblINFO[0].NAMELen, 12);
    ASSERT_EQ(ui.log.size(), 2u);
    EXPECT_EQ(ui.log[0], "-Morrowindizing 4 responses from \"my.esp\"...");
    EXPECT_EQ(ui.log[1], "-3 responses from \"my.esp\" have been Morrowindized successfully.");
    EXPECT_EQ(ui.progress, (std::vector<double>{0.0, 1.0 / 3, 2.0 / 3, 1.0, 0.0}));
    EXPECT_TRUE(ui.messages.empty());
    ExpectConsistent(s, count);
}

TEST(MorrowindizeRun, CaseOnlyChangesAreAppliedButNotCountedAndEmptyTextsDropTheirSubrecord) {
    RecordStore s;
    int32_t count = LoadRecords({Dial("t"), Info("1", "in vivec city"), Info("2", "@#"), Info("3", "")}, s);
    FakeUi ui;
    const NamedFile file("x.esp");
    MorrowindizeOutcome out = Morrowindize(s, MorrowindizeOptions{}, file.path(), ui);
    EXPECT_EQ(s.tblINFO[0].NAME, "in Vivec city");
    // "@#" becomes empty: the NAME subrecord is dropped with its 8 header bytes.
    EXPECT_EQ(s.tblINFO[1].NAME, "");
    EXPECT_EQ(s.tblINFO[1].NAMELen, 0);
    EXPECT_EQ(out.changed, 1);
    EXPECT_EQ(ui.log.back(), "-1 responses from \"x.esp\" have been Morrowindized successfully.");
    ExpectConsistent(s, count);

    RecordStore clean;
    LoadRecords({Dial("t"), Info("1", "in vivec city")}, clean);
    FakeUi ui2;
    EXPECT_EQ(Morrowindize(clean, MorrowindizeOptions{}, file.path(), ui2).changed, 0);
    EXPECT_EQ(clean.tblINFO[0].NAME, "in Vivec city");
    EXPECT_EQ(ui2.log.back(), "-All dialogues in \"x.esp\" are already Morrowindish.");
    // One response: the progress bar is not moved during the run.
    EXPECT_EQ(ui2.progress, (std::vector<double>{0.0}));
}

TEST(MorrowindizeRun, AFileWithoutResponsesIsReportedAndLeftAlone) {
    RecordStore s;
    LoadRecords({Dial("lonely")}, s);
    ASSERT_TRUE(s.tblINFO.empty());
    FakeUi ui;
    MorrowindizeOutcome out = Morrowindize(s, MorrowindizeOptions{}, NamedFile("none.esp").path(), ui);
    EXPECT_FALSE(out.completed);
    EXPECT_EQ(ui.log, (std::vector<std::string>{"-\"none.esp\" contains no dialogue responses."}));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ui.progress.back(), 0.0);
}

TEST(MorrowindizeRun, TheQuoteFlagCarriesAcrossResponses) {
    RecordStore s;
    LoadRecords({Dial("a"), Info("1", "He said \"hi"), Dial("b"), Info("2", "there\" he said"),
                 Info("3", "say\"no\"now")},
                s);
    MorrowindizeOptions o = NoOptions();
    o.isSpaceQuotes = true;
    FakeUi ui;
    Morrowindize(s, o, "q.esp", ui);
    EXPECT_EQ(s.tblINFO[0].NAME, "He said \"hi");
    EXPECT_EQ(s.tblINFO[1].NAME, "there\" he said");
    EXPECT_EQ(s.tblINFO[2].NAME, "say \"no\" now");
    // Each run starts with the flag off.
    RecordStore t;
    LoadRecords({Dial("b"), Info("2", "there\" he said")}, t);
    Morrowindize(t, o, "q.esp", ui);
    EXPECT_EQ(t.tblINFO[0].NAME, "there \" he said");
}

TEST(MorrowindizeRun, LongResultsAskAndEachAnswerDoesItsPart) {
    const std::string long1 = Growing(3), long2 = Growing(4), fits = Growing(2);
    RecordStore s;
    int32_t count = LoadRecords({Dial("Background"), Info("1", long1), Info("2", long2, 0, "jiub"),
                                 Info("3", long1), Dial("Quest", 4), Info("4", long2, 4), Info("5", fits)},
                                s);
    const INFORecord before0 = s.tblINFO[0];
    FakeUi ui;
    // No; Yes with an edited text; Yes with the editor cancelled; Yes for a journal entry.
    ui.answers = {Answer::No, Answer::Yes, Answer::Yes, Answer::Yes};
    int edits = 0;
    ui.onEditResponse = [&edits](ResponseEdit& e) {
        ++edits;
        if (edits == 1) e.Response = "Shortened by hand.";
        if (edits == 3) e.Response = std::string(512, 'j');
    };
    MorrowindizeOutcome out = Morrowindize(s, NoOptions(), "long.esp", ui);
    ASSERT_EQ(ui.messages.size(), 4u);
    for (const ShownMessage& m : ui.messages) {
        EXPECT_EQ(m.text,
                  "One of the responses has become more than 512 characters after clean up. Do you want to "
                  "edit it by hand? Otherwise original text will be used.\r\n\r\nCancel is \"No to all\"");
        EXPECT_EQ(m.title, "Clean Up");
        EXPECT_EQ(m.buttons, Buttons::YesNoCancel);
        EXPECT_EQ(m.icon, Icon::Information);
        EXPECT_EQ(m.kind, Ask::TextTooLong);
    }
    // No: the old text with its own length and size.
    EXPECT_EQ(s.tblINFO[0], before0);
    // Yes: the editor sees actor, topic and the cleaned text, and its text is taken.
    ASSERT_EQ(ui.responseEdits.size(), 3u);
    EXPECT_EQ(ui.responseEdits[0].Actor, "jiub");
    EXPECT_EQ(ui.responseEdits[0].Topic, "Background");
    EXPECT_EQ(ui.responseEdits[0].Response.size(), 514u);
    EXPECT_EQ(ui.responseEdits[0].Response.substr(0, 10), "xxxx, a, a");
    EXPECT_EQ(s.tblINFO[1].NAME, "Shortened by hand.");
    EXPECT_EQ(s.tblINFO[1].NAMELen, 18);
    // Yes, but the editor left it too long: the old text.
    EXPECT_EQ(ui.responseEdits[1].Response.size(), 513u);
    EXPECT_EQ(s.tblINFO[2].NAME, long1);
    // A journal entry is shown as such; 512 characters are accepted.
    EXPECT_EQ(ui.responseEdits[2].Actor, "Journal Entry");
    EXPECT_EQ(ui.responseEdits[2].Topic, "Quest");
    EXPECT_EQ(s.tblINFO[3].NAME, std::string(512, 'j'));
    // Exactly 512 characters after clean up: no question.
    EXPECT_EQ(s.tblINFO[4].NAME.size(), 512u);
    EXPECT_EQ(out.changed, 3);
    ExpectConsistent(s, count);
}

TEST(MorrowindizeRun, CancelMeansNoToAllForTheRestOfTheRun) {
    RecordStore s;
    LoadRecords({Dial("t"), Info("1", Growing(3)), Info("2", Growing(5)), Info("3", "ok ,then")}, s);
    FakeUi ui;
    ui.answers = {Answer::Cancel};
    MorrowindizeOutcome out = Morrowindize(s, NoOptions(), "c.esp", ui);
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.responseEdits.empty());
    EXPECT_EQ(s.tblINFO[0].NAME, Growing(3));
    EXPECT_EQ(s.tblINFO[1].NAME, Growing(5));
    EXPECT_EQ(s.tblINFO[2].NAME, "ok, then");
    EXPECT_EQ(out.changed, 1);
    // The flag belongs to the run: the next run asks again.
    FakeUi again;
    again.answers = {Answer::No, Answer::No};
    Morrowindize(s, NoOptions(), "c.esp", again);
    EXPECT_EQ(again.messages.size(), 2u);
}

TEST(MorrowindizeRun, AnErrorEndsTheRunAndTheResponseInHandKeepsItsOldText) {
    RecordStore s;
    int32_t count =
        LoadRecords({Dial("t"), Info("1", "one ,two"), Info("2", Growing(3)), Info("3", "three ,four")}, s);
    const INFORecord inHand = s.tblINFO[1], after = s.tblINFO[2];
    FakeUi ui;
    ui.answers = {Answer::Yes};
    ui.onEditResponse = [](ResponseEdit& e) {
        e.Response = "short";
        throw std::runtime_error("the editor broke");
    };
    MorrowindizeOutcome out = Morrowindize(s, NoOptions(), NamedFile("e.esp").path(), ui);
    EXPECT_FALSE(out.completed);
    EXPECT_EQ(s.tblINFO[0].NAME, "one, two");
    EXPECT_EQ(s.tblINFO[1], inHand);
    EXPECT_EQ(s.tblINFO[2], after);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].text,
              "Vellum has encountered an error number #5: Invalid procedure call or argument.");
    EXPECT_EQ(ui.messages[1].title, "Vellum");
    EXPECT_EQ(ui.messages[1].buttons, Buttons::OK);
    EXPECT_EQ(ui.log, (std::vector<std::string>{"-Morrowindizing 3 responses from \"e.esp\"...",
                                                "-An error occured during dialogue clean-up."}));
    EXPECT_EQ(ui.progress.back(), 0.0);
    ExpectConsistent(s, count);

    FakeUi oom;
    oom.answers = {Answer::Yes};
    oom.onEditResponse = [](ResponseEdit&) { throw std::bad_alloc(); };
    Morrowindize(s, NoOptions(), "e.esp", oom);
    EXPECT_EQ(oom.messages.back().text, "Vellum has encountered an error number #7: Out of memory.");
}

TEST(MorrowindizeRun, DeletedResponsesAreCleanedAndStayConsistent) {
    RecordStore s;
    // A deleted response as the game writes it: IDs, text and the deletion marker only.
    const std::string deleted = Record(
        "INFO", ZSub("INAM", "1") + ZSub("PNAM", "") + ZSub("NNAM", "") + Sub("NAME", "gone ,now") + Dele(),
        0x20);
    int32_t count = LoadRecords({Dial("t"), deleted}, s);
    FakeUi ui;
    Morrowindize(s, NoOptions(), "d.esp", ui);
    EXPECT_EQ(s.tblINFO[0].NAME, "gone, now");
    ExpectConsistent(s, count);
}

namespace {

testutil::CliRun Cli(std::vector<std::string> words) {
    words.insert(words.begin(), "morrowindize");
    return testutil::Cli(words);
}

} // namespace

TEST(MorrowindizeCli, CleansGivenTextsUnderTheFlags) {
    EXPECT_EQ(Cli({"--text", "Hello ,world"}).out, "Hello, world\n");
    EXPECT_EQ(Cli({"--text=the tribunal temple", "--capitalize-temple"}).out, "the Tribunal Temple\n");
    EXPECT_EQ(Cli({"--text=the tribunal temple"}).out, "the Tribunal temple\n");
    EXPECT_EQ(Cli({"--text=the tribunal temple", "--no-proper-names", "--capitalize-temple"}).out,
              "the tribunal temple\n");
    EXPECT_EQ(Cli({"--text=the tribunal temple", "--proper-names"}).out, "the Tribunal temple\n");
    EXPECT_EQ(Cli({"--text=a---b"}).out, "a-b\n");
    EXPECT_EQ(Cli({"--text=word --next", "--single-dashes", "--spaced-dashes"}).out, "word -- next\n");
    EXPECT_EQ(Cli({"--text=wait... then. so", "--capitalize-sentences"}).out, "Wait... then. So\n");
    EXPECT_EQ(Cli({"--text=wait... then", "--capitalize-sentences", "--capitalize-after-ellipsis"}).out,
              "Wait... Then\n");
    // Several texts are consecutive responses: the open quote carries over.
    EXPECT_EQ(Cli({"--fix-quote-spaces", "--text", "He said \"hi", "--text", "there\" he said"}).out,
              "He said \"hi\nthere\" he said\n");
    // --all turns everything on; a --no- flag takes one option back.
    EXPECT_EQ(Cli({"--all", "--text=gonna go... now"}).out, "Going to go... Now\n");
    EXPECT_EQ(Cli({"--all", "--no-remove-slang", "--text=gonna go"}).out, "Gonna go\n");
}

TEST(MorrowindizeCli, WrongFlagsAndLongTexts) {
    EXPECT_EQ(Cli({"--text=x", "--american", "--no-american"}).status, 2);
    testutil::CliRun ellipsis = Cli({"--text=x", "--capitalize-after-ellipsis"});
    EXPECT_EQ(ellipsis.status, 2);
    EXPECT_NE(ellipsis.err.find("--capitalize-sentences"), std::string::npos);
    EXPECT_EQ(Cli({"--text=x", "--over-512=maybe"}).status, 2);
    EXPECT_EQ(Cli({"--text=x", "--bogus"}).status, 2);
    EXPECT_EQ(Cli({"in.esp"}).status, 2); // no -o
    testutil::CliRun kept = Cli({"--text", Growing(3)});
    EXPECT_EQ(kept.status, 0);
    EXPECT_EQ(kept.out, Growing(3) + "\n");
    EXPECT_NE(kept.err.find("513 characters"), std::string::npos);
    testutil::CliRun failed = Cli({"--text", Growing(3), "--over-512=fail"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "");
    testutil::CliRun help = Cli({"--help"});
    for (const MorrowindizeOptionInfo& o : MorrowindizeOptionList())
        EXPECT_NE(help.out.find(std::string(o.caption)), std::string::npos) << o.caption;
    EXPECT_NE(help.out.find("--no-proper-names"), std::string::npos);
    EXPECT_NE(help.out.find("--over-512=keep-original|fail"), std::string::npos);
}

TEST(MorrowindizeCli, CleansAFileAndSavesItAsOut) {
    testutil::TempDir dir;
    const std::string in = dir.file("in.esp"), out = dir.file("out.esp");
    testutil::WriteFile(
        in, File({Dial("greeting"), Info("1", "Hello ,world"), Info("2", Growing(3), 0, "jiub")}));
    testutil::CliRun r = Cli({in, "-o", out});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("-Morrowindizing 2 responses from \"in.esp\"...\n"
                         "-1 responses from \"in.esp\" have been Morrowindized successfully.\n"
                         "-Writing \"out.esp\"...\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.err.find("\"greeting\" (jiub) has 513 characters"), std::string::npos) << r.err;
    RecordStore s;
    testutil::Load(testutil::ReadFile(out), s);
    ASSERT_EQ(s.tblINFO.size(), 2u);
    EXPECT_EQ(s.tblINFO[0].NAME, "Hello, world");
    EXPECT_EQ(s.tblINFO[1].NAME, Growing(3));
    EXPECT_EQ(s.tblINFO[0].Topic, "greeting");

    const std::string failOut = dir.file("fail.esp");
    testutil::CliRun f = Cli({in, "--output", failOut, "--over-512=fail"});
    EXPECT_EQ(f.status, 1);
    EXPECT_FALSE(std::filesystem::exists(failOut));
    EXPECT_NE(f.err.find("nothing written"), std::string::npos);

    // A file without responses is written unchanged.
    const std::string none = dir.file("none.esp"), noneOut = dir.file("none-out.esp");
    testutil::WriteFile(none, File({Dial("lonely")}));
    testutil::CliRun n = Cli({none, "-o", noneOut});
    EXPECT_EQ(n.status, 0) << n.err;
    EXPECT_NE(n.out.find("-\"none.esp\" contains no dialogue responses."), std::string::npos);
    EXPECT_EQ(testutil::ReadFile(noneOut), testutil::ReadFile(none));
}
