// Reading and writing whole files: the name check, the reading loop, unknown records, the header, raw
// records, damaged input and safe saving.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <thread>
#include <tuple>

#include "esfile/esfile.h"
#include "esfile/safe_file.h"
#include "fixture_builder.h"
#include "test_util.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#endif
#if defined(VELLUM_HAVE_GENERATOR)
#include "generator/generator.h"
#endif

using namespace vellum;
using namespace fixture;
using testutil::TempDir;

namespace {

// A landscape record of n + 8 data bytes.
std::string Land(size_t n, char fill = 'x') {
    return Record("LAND", Sub("VHGT", std::string(n, fill)));
}

} // namespace

TEST(ReadDriver, NameCheckLooksAtTheFirstTwoOfTheLastThreeCharacters) {
    TempDir dir;
    for (const char* name : {"PLUGIN.ESP", "a.esm", "save.ess", "x.esd", "data.es1"}) {
        testutil::WriteFile(dir.file(name), File({Land(4)}));
        RecordStore s;
        FakeUi ui;
        int32_t count = -5;
        EXPECT_GE(ReadESFile(dir.file(name), s, ui, count, false), 0) << name;
        EXPECT_EQ(std::make_tuple(count, ui.messages.size(), ui.progress.at(0)), std::make_tuple(2, 0u, 0.0))
            << name;
    }
    // The smallest data file: a header record with nothing in it.
    RecordStore s;
    FakeUi ui;
    int32_t count = 0;
    EXPECT_GE(ReadESBytes(Record("TES3", ""), s, ui, count, false), 0);
    EXPECT_EQ(std::make_tuple(count, ui.messages.size()), std::make_tuple(1, 0u));
}

// A file of another name, a missing file, text, an empty file or another game's file is refused with a
// message, and the store is left as it was.
TEST(ReadDriver, RefusedFilesLeaveTheStoreUntouched) {
    TempDir dir;
    testutil::WriteFile(dir.file("notes.txt"), File({Land(4)}));
    const std::string glob = Record("GLOB", ZSub("NAME", "g") + Sub("FNAM", "s") + Sub("FLTV", F32(1)));
    const struct {
        std::string path, bytes, message;
    } cases[] = {
        {dir.file("notes.txt"), "", "The selected file is invalid."},
        {dir.file("gone.esp"), "", "could not be read"},
        {"", "Just some notes, saved as .esp by mistake.\r\n", "is not a Morrowind data file"},
        {"", "", "is not a Morrowind data file"},
        {"", glob + File({Land(2)}), "is not a Morrowind data file"},
        {"", std::string("TES3\x10\0\0\0", 8), "is not a Morrowind data file"},
    };
    for (const auto& c : cases) {
        RecordStore s;
        ClearStore(s);
        AppendRecord(s.tblLAND, OpaqueRecord{"LAND", 0, 0, "keep"});
        FakeUi ui;
        int32_t count = 9;
        EXPECT_EQ(c.path.empty() ? ReadESBytes(c.bytes, s, ui, count, false)
                                 : ReadESFile(c.path, s, ui, count, false),
                  -1)
            << c.message;
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_NE(ui.messages[0].text.find(c.message), std::string::npos) << ui.messages[0].text;
        if (c.path.empty()) { // the same bytes in a file of a good name
            testutil::WriteFile(dir.file("data.esp"), c.bytes);
            EXPECT_EQ(ReadESFile(dir.file("data.esp"), s, ui, count, false), -1) << c.message;
        }
        EXPECT_EQ(std::make_tuple(count, ui.messages[0].title, s.tblLAND.front().Data),
                  std::make_tuple(0, "Vellum", "keep"));
    }
}

TEST(UnknownRecords, PromptTextAddressAndAnswers) {
    // Header, then a FOOO record whose tag starts at byte 1000.
    std::string header = Header(3);
    std::string filler = Land(1000 - header.size() - 24);
    std::string bytes = header + filler + Record("FOOO", "abc") + Record("BARR", "de");
    ASSERT_EQ(bytes.substr(1000, 4), "FOOO");

    RecordStore s;
    FakeUi yes;
    yes.answers = {Answer::Yes, Answer::Yes};
    int32_t count = 0;
    ReadESBytes(bytes, s, yes, count, true);
    ASSERT_EQ(yes.messages.size(), 2u) << "one question per unknown record";
    EXPECT_EQ(
        std::make_tuple(yes.messages[0].text, yes.messages[0].buttons, yes.messages[0].kind, count),
        std::make_tuple("Unknown record encountered at address: 1000.\r\nContinue reading? Cancel is Yes "
                        "To All.\r\nRecord Name: \"FOOO\"",
                        Buttons::YesNoCancel, Ask::UnknownRecord, 4));
    ASSERT_EQ(s.tblUnknown.size(), 2u);
    EXPECT_EQ(s.tblUnknown[0].Tag + s.tblUnknown[0].Data, "FOOOabc") << "unknown records keep their bytes";

    FakeUi all;
    all.answers = {Answer::Cancel};
    ReadESBytes(bytes, s, all, count, true);
    EXPECT_EQ(std::make_tuple(all.messages.size(), s.tblUnknown.size(), s.yesToAll),
              std::make_tuple(1u, 2u, false))
        << "Cancel answers yes to all, until the end of the read";

    FakeUi no;
    no.answers = {Answer::No};
    EXPECT_EQ(ReadESBytes(bytes, s, no, count, true), 0);
    // The count is of the records before the unknown one; the store is emptied (one spare element each).
    EXPECT_EQ(std::make_tuple(count, s.tblLAND.size(), s.tblUnknown.size(), RecordCountOf(s, s.tblLAND)),
              std::make_tuple(2, 1u, 1u, 0));
}

// Every record is read from exactly its Size bytes, so a record whose tag is also a subrecord tag of the
// record before it (FLTV after a game setting, DATA after a sound) stays a record of its own. Raw records
// (landscape, saved-game parts) and unknown ones keep their bytes and header; tables are written in a fixed
// order, unknown records last.
TEST(UnknownRecords, WhoseTagIsASubrecordTagStayApartAndComeLast) {
    const std::string gmst = Record("GMST", Sub("NAME", "fMax") + Sub("FLTV", F32(2.5f)));
    const std::string soun = Record("SOUN", ZSub("NAME", "s") + Sub("DATA", "abc"));
    const std::string fltv = Record("FLTV", "odd", 0, 5), data = Record("DATA", "d");
    const std::string ques = Record("QUES", "quest-bytes", 0, 9), land = Land(92, 'q');
    const std::string out = testutil::RoundTrip(File({fltv, gmst, ques, data, soun, land}));
    EXPECT_EQ(out, File({gmst, soun, land, ques, fltv, data}));
    EXPECT_EQ(testutil::RoundTrip(out), out);
}

TEST(Header, TwoMastersSurviveAndAnnouncedCountFollowsTotal) {
    std::vector<Master> masters = {{"Morrowind.esm", 79837557}, {"Tribunal.esm", 4565686}};
    std::string bytes = File({Land(4), Land(8)}, 0, masters);
    RecordStore s;
    int32_t count = testutil::Load(bytes, s);
    const TES3Record& h = s.tblTES3.at(0);
    ASSERT_EQ(h.Masters.size(), 2u);
    EXPECT_EQ(std::make_tuple(h.Masters[1].Name, h.Masters[1].MASTLen, h.NumRecords),
              std::make_tuple("Tribunal.esm", 13, 2));
    EXPECT_EQ(testutil::Save(s, count), bytes);
    // Saved as a master: file type 1; the count announced is the total given minus one.
    RecordStore back;
    testutil::Load(testutil::Save(s, 500, kFileTypeMaster), back);
    EXPECT_EQ(std::make_tuple(back.tblTES3[0].FileType, back.tblTES3[0].NumRecords), std::make_tuple(1, 499));
    EXPECT_EQ(std::make_tuple(FileTypeForName("x.ess"), FileTypeForName("x.ESM"), FileTypeForName("x.esd")),
              std::make_tuple(32, 1, 0));
}

TEST(Header, SavedGamePartsAreWrittenInFixedOrderAndDeletedHeaderIsShort) {
    const std::string gmdt =
        Sub("GMDT", std::string(24, '\1') + Fixed("Balmora", 64) + U32(5) + Fixed("p", 32));
    const std::string scrd = Sub("SCRD", std::string(20, '\2')), scrs = Sub("SCRS", std::string(65536, '\3'));
    // Read in the order SCRS, GMDT, SCRD; written back GMDT, SCRD, SCRS.
    EXPECT_EQ(testutil::RoundTrip(Record("TES3", Hedr(32, 0) + scrs + gmdt + scrd), kFileTypeSavedGame),
              Record("TES3", Hedr(32, 0) + gmdt + scrd + scrs));

    std::string plain = Record("TES3", Hedr(0, 0));
    EXPECT_EQ(testutil::RoundTrip(plain), plain) << "a plugin without saved-game parts gets none";

    const std::string master = ZSub("MAST", "a.esm") + Sub("DATA", std::string(8, '\0'));
    // A header's unknown subrecord comes back in its place.
    const std::string odd = Record("TES3", Hedr(0, 0) + Sub("ZZZZ", "kept") + master);
    EXPECT_EQ(testutil::RoundTrip(odd), odd);
    EXPECT_EQ(testutil::RoundTrip(Record("TES3", Hedr(0, 0) + master, 32)),
              Record("TES3", Hedr(0, 0) + Dele(), 32));
}

// Writing a saved game asks first; No writes nothing. (Failed saves: test_fault_injection.cpp.)
TEST(WriteDriver, SavedGameWarning) {
    TempDir dir;
    RecordStore s;
    int32_t count = testutil::Load(File({Land(5)}), s);
    FakeUi no, yes;
    no.answers = {Answer::No};
    EXPECT_EQ(WriteESFile(dir.file("game.ess"), s, no, count), -1);
    ASSERT_EQ(no.messages.size(), 1u);
    EXPECT_EQ(no.messages[0].text,
              "Writing ESS files is not fully supported right now. Doing so is very likely "
              "to produce an unusable file. Are you sure you want to continue?");
    EXPECT_FALSE(std::filesystem::exists(dir.file("game.ess")));
    yes.answers = {Answer::Yes};
    EXPECT_GE(WriteESFile(dir.file("game.ess"), s, yes, count), 0);
    RecordStore back;
    testutil::Load(testutil::ReadFile(dir.file("game.ess")), back);
    EXPECT_EQ(std::make_tuple(back.tblTES3.at(0).FileType, yes.progress.back()), std::make_tuple(32, 1.0));
}

// The save reports its progress each time another 4,096 records are written and after each type of record,
// responses counted with their topic, and ends at 1.
TEST(WriteDriver, ProgressCountsEveryRecordWritten) {
    std::vector<std::string> records = {Dial("a")};
    for (int i = 0; i < 100; ++i) records.push_back(Record("INFO", ZSub("INAM", std::to_string(i))));
    records.resize(9101, Land(1));
    RecordStore s;
    const int32_t count = testutil::Load(File(records), s);
    FakeUi ui;
    BuildESFile(s, ui, count, 0);
    ui.progress.erase(std::unique(ui.progress.begin(), ui.progress.end()), ui.progress.end());
    std::vector<double> expected;
    for (double done : {1, 4096, 8192, 9001, 9102}) expected.push_back(done / 9103);
    expected.push_back(1);
    EXPECT_EQ(ui.progress, expected);
}

// A response whose topic index points past the topics is not lost: it is written with the responses that
// stand before any topic.
TEST(WriteDriver, AResponseWhoseTopicIsGoneIsWrittenBeforeTheTopics) {
    const std::string info = Record("INFO", ZSub("INAM", "1") + Sub("DATA", std::string(12, 0))),
                      dial = Dial("a");
    RecordStore s;
    const int32_t count = testutil::Load(File({dial, info}), s);
    s.tblINFO.at(0).TopicIndex = 1;
    EXPECT_EQ(testutil::Save(s, count), File({info, dial}));
}

// Damaged files: where the framing breaks, the records before the damage are kept, the read goes on at the
// next record that frames correctly, and the report says where and how many bytes were skipped. The saved
// copy is well-formed and reads back without damage.
TEST(DamagedInput, TheRecordsAroundTheDamageAreKeptAndTheSpansReported) {
    const std::string head = Header(3), a = Land(4, 'a'), b = Land(6, 'b');
    const std::string glob = Record("GLOB", ZSub("NAME", "g") + Sub("FNAM", "s") + Sub("FLTV", F32(1)));
    struct Case {
        const char* what;
        std::string bytes;
        size_t lands;
        std::vector<DamageSpan> spans;
    };
    const size_t at = head.size() + a.size();
    const std::vector<Case> cases = {
        {"junk between records",
         head + a + std::string("\x01junk\x02\x03", 7) + b,
         2,
         {{at, "a record tag of four printable characters", 7}}},
        {"a Size past the end",
         head + a + RecordWithSize("LAND", 999, "cut"),
         1,
         {{at, "record LAND of 999 bytes within the file", 19}}},
        {"a header cut short",
         head + a + b + "LAN",
         2,
         {{at + b.size(), "a record header of 16 bytes, found only 3", 3}}},
        {"a subrecord running past its record",
         head + a + Record("GLOB", ZSub("NAME", "g") + SubWithSize("FNAM", 9, "s")) + b,
         2,
         {{at + 16 + 10, "subrecords that end with record GLOB at offset " + std::to_string(at + 16 + 19),
           9}}},
        // The rest of the record looks like a record of its own (an FNAM of one byte), and the float after it
        // does not: the damage shows there.
        {"a Size too small, the rest read as a record",
         head + RecordWithSize("GLOB", 10, glob.substr(16)) + a,
         1,
         {{head.size() + 43, "a record tag of four printable characters", 4}}},
    };
    for (const Case& c : cases) {
        RecordStore s;
        const int32_t count = testutil::Load(c.bytes, s);
        EXPECT_EQ(s.tblLAND.size(), c.lands) << c.what;
        EXPECT_EQ(s.damage.spans, c.spans) << c.what;
        const std::string saved = testutil::Save(s, count);
        RecordStore back;
        testutil::Load(saved, back);
        EXPECT_TRUE(back.damage.empty()) << c.what;
        EXPECT_EQ(back.tblLAND, s.tblLAND) << c.what;
    }
}

// Truncated at every length, absurd sizes: reading never fails hard, and whatever was read is
// written as a well-formed file that reads back to the same bytes.
TEST(DamagedInput, TruncatedFilesSaveWellFormed) {
    std::string bytes = File({Land(40), Record("QUES", Sub("DATA", "q")), Record("WXYZ", "unknown")});
    for (size_t n = 0; n <= bytes.size(); ++n) {
        std::string once = testutil::RoundTrip(bytes.substr(0, n));
        EXPECT_EQ(testutil::RoundTrip(once), once) << "cut at " << n;
    }
    // A record announcing 4 GB in a tiny file: skipped as damage, no huge allocation.
    std::string once = testutil::RoundTrip(Header(1) + RecordWithSize("LAND", 0xFFFFFFF0u, "tiny"));
    EXPECT_EQ(once, Header(0));
}

// The save checks what it is about to write: a store whose records would not frame (here a record built by
// hand with a parsed type's tag and bytes that are no subrecords) is refused and the target left alone.
TEST(WriteDriver, AFileThatWouldNotFrameIsNeverWritten) {
    TempDir dir;
    RecordStore s;
    const int32_t count = testutil::Load(File({Land(5)}), s);
    s.tblUnknown.push_back(OpaqueRecord{"GLOB", 0, 0, "no subrecords here"});
    testutil::WriteFile(dir.file("a.esp"), "original");
    FakeUi ui;
    EXPECT_EQ(WriteESFile(dir.file("a.esp"), s, ui, count), -2);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].text.find("is not well-formed"), std::string::npos) << ui.messages[0].text;
    EXPECT_EQ(testutil::ReadFile(dir.file("a.esp")), "original");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "no temporary file";
}

TEST(WellFormed, DetectsSizeMismatches) {
    std::string why;
    EXPECT_TRUE(CheckWellFormed(File({Land(3)}), &why));
    EXPECT_FALSE(CheckWellFormed(RecordWithSize("LAND", 10, "abc"), &why));
    EXPECT_NE(why.find("LAND"), std::string::npos);
    EXPECT_FALSE(CheckWellFormed(Record("GLOB", SubWithSize("NAME", 50, "ab")), &why));
    EXPECT_TRUE(CheckWellFormed(Record("LAND", "raw bytes are not looked into"), &why));
    EXPECT_FALSE(CheckWellFormed(File({Land(3)}) + "xy", &why));
}

TEST(FileBytes, HoldTheWholeFileAndReportMissingOnes) {
    TempDir dir;
    std::string content;
    for (int i = 0; i < 300000; ++i) content += static_cast<char>(i * 7 + i / 251);
    const std::string path = dir.file("a.esp");
    testutil::WriteFile(path, content);
    FileBytes bytes;
    std::string error;
    ASSERT_TRUE(bytes.read(path, error)) << error;
    ASSERT_TRUE(bytes.view() == content);

    // Handing back the beginning leaves the rest as it was; asking again for less, or past the end, is
    // harmless.
    bytes.release(100000);
    bytes.release(50000);
    EXPECT_TRUE(bytes.view().substr(110000) == std::string_view(content).substr(110000));
    bytes.release(10000000);
    EXPECT_EQ(bytes.view().size(), content.size());

    testutil::WriteFile(path, "");
    ASSERT_TRUE(bytes.read(path, error));
    EXPECT_TRUE(bytes.view().empty());
    EXPECT_FALSE(bytes.read(dir.file("missing.esp"), error));
    EXPECT_EQ(std::make_tuple(error.empty(), bytes.view().size()), std::make_tuple(false, 0u));
    EXPECT_FALSE(bytes.read(dir.file(""), error));
    EXPECT_EQ(error, "it is a folder");
#if !defined(_WIN32)
    // A named pipe has no size to tell in advance, and cannot be opened twice: it is read to its end.
    ASSERT_EQ(mkfifo(dir.file("pipe").c_str(), 0600), 0);
    std::thread writer([&] { testutil::WriteFile(dir.file("pipe"), content); });
    ASSERT_TRUE(bytes.read(dir.file("pipe"), error)) << error;
    writer.join();
    EXPECT_TRUE(bytes.view() == content);
#endif
}

#if defined(VELLUM_HAVE_GENERATOR)
// Files of several megabytes are read with their records in large pages and the file's memory handed back
// as the reading goes: the store must be the same as one read from bytes in memory, and save the same bytes.
TEST(FileBytes, ALargeFileReadFromDiskEqualsTheSameBytesReadFromMemory) {
    const std::string bytes = gen::GeneratePlugin(gen::SmallPreset(15000));
    ASSERT_GT(bytes.size(), 4u << 20) << "large enough for the large-page heap";
    TempDir dir;
    const std::string path = dir.file("large.esp");
    testutil::WriteFile(path, bytes);

    RecordStore fromDisk;
    FakeUi ui;
    int32_t count = 0;
    ASSERT_GT(ReadESFile(path, fromDisk, ui, count, true), 0);
    EXPECT_EQ(fromDisk.tblINFO.size(), 15000u);
    EXPECT_TRUE(testutil::Save(fromDisk, count) == bytes) << "the same bytes as a read from memory save";
}
#endif

TEST(Store, ClearEmptiesEveryTableAndTheDamageAndTrimKeepsFileOrder) {
    RecordStore s;
    s.damage.spans.push_back({1, "x", 2});
    AppendRecord(s.tblGLOB, GLOBRecord{});
    ClearStore(s);
    for (const TableCount& c : TableCounts(s)) EXPECT_EQ(c.count, 0) << c.tag;
    EXPECT_TRUE(s.damage.empty());
    for (const char* data : {"a", "b", "c"}) AppendRecord(s.tblLAND, OpaqueRecord{"LAND", 0, 0, data});
    EXPECT_EQ(RecordCountOf(s, s.tblLAND), 3);
    TrimStore(s);
    EXPECT_EQ(std::make_tuple(s.tblLAND.size(), s.tblLAND.back().Data, s.tblGLOB.size()),
              std::make_tuple(3u, "c", 0u));
}
