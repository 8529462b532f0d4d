// Dialogue topics (DIAL) and responses (INFO): reading every field, writing each topic's responses right
// after it, the saved-game forms, deleted records, the bookkeeping of text changes, and damaged input.
#include <gtest/gtest.h>

#include <random>

#include "fixture_builder.h"
#include "records/dialogue.h"
#include "test_util.h"

using namespace vellum;
using namespace fixture;

namespace {

std::string Dial(std::string_view name, uint8_t type, uint32_t flags = 0) {
    return Record("DIAL", ZSub("NAME", name) + Sub("DATA", U8(type)), flags);
}

std::string InfoData(int32_t type, int32_t disposition, std::string_view fourBytes = "\x01\x02\x03\x04") {
    return Sub("DATA", I32(type) + I32(disposition) + std::string(fourBytes.substr(0, 4)));
}

// A plain response in the writer's order: INAM, PNAM, NNAM, DATA, ONAM, NAME, BNAM.
std::string Info(std::string_view id, std::string_view prev, std::string_view next, std::string_view text,
                 std::string_view result = "", std::string_view actor = "someone") {
    std::string body = ZSub("INAM", id) + ZSub("PNAM", prev) + ZSub("NNAM", next) + InfoData(0, 30);
    if (!actor.empty()) body += ZSub("ONAM", actor);
    if (!text.empty()) body += Sub("NAME", text);
    if (!result.empty()) body += Sub("BNAM", result);
    return Record("INFO", body);
}

std::string Scvr(std::string_view head5, std::string_view name) {
    return Sub("SCVR", std::string(head5) + std::string(name));
}

// Saves a store and checks that no record needed its Size corrected.
std::string SaveClean(const RecordStore& s, int32_t count) {
    uint64_t repairs = 99;
    std::string out = testutil::Save(s, count, 0, &repairs);
    EXPECT_EQ(repairs, 0u);
    return out;
}

// The records of a file as (tag, whole record bytes), in file order.
std::vector<std::pair<std::string, std::string>> SplitRecords(const std::string& bytes) {
    std::vector<std::pair<std::string, std::string>> out;
    size_t pos = 0;
    while (pos + 16 <= bytes.size()) {
        uint32_t size = 0;
        std::memcpy(&size, bytes.data() + pos + 4, 4);
        out.emplace_back(bytes.substr(pos, 4), bytes.substr(pos, 16 + size));
        pos += 16 + size;
    }
    return out;
}

} // namespace

TEST(DialogueRecords, EveryFieldOfATopicAndAResponseIsReadAndWrittenBack) {
    std::string info = Record(
        "INFO",
        ZSub("INAM", "1234") + ZSub("PNAM", "1000") + ZSub("NNAM", "2000") +
            Sub("DATA", I32(0) + I32(-7) + "\x05\x01\x02\x09") + ZSub("ONAM", "fargoth") +
            ZSub("RNAM", "Wood Elf") + ZSub("CNAM", "Commoner") + ZSub("FNAM", "Hlaalu") +
            ZSub("ANAM", "Seyda Neen") + ZSub("DNAM", "Thieves Guild") + ZSub("SNAM", "vo\\hello.mp3") +
            Sub("NAME", "Hello, \"friend\".") + Sub("QSTN", U8(1)) + Sub("QSTF", U8(2)) + Sub("QSTR", U8(3)) +
            Scvr("01sX0", "fargoth_var") + Sub("INTV", I32(-3)) + Scvr("12fX1", "gold") +
            Sub("FLTV", F32(2.5f)) + Sub("BNAM", "Journal \"A\" 10\r\nGoodbye"),
        0, 77);
    std::string file = File({Dial("greetings", 2), info});
    RecordStore s;
    int32_t count = testutil::Load(file, s);
    ASSERT_EQ(s.tblDIAL.size(), 1u);
    ASSERT_EQ(s.tblINFO.size(), 1u);
    const DIALRecord& d = s.tblDIAL[0];
    EXPECT_EQ(d.NAME, "greetings");
    EXPECT_EQ(d.NAMELen, 10);
    EXPECT_EQ(d.DATALen, 1);
    EXPECT_EQ(d.DialType, 2);
    EXPECT_EQ(d.Size, 10 + 8 + 1 + 8);
    const INFORecord& i = s.tblINFO[0];
    EXPECT_EQ(i.Header1, 77);
    EXPECT_EQ(i.Size, static_cast<int32_t>(info.size() - 16));
    EXPECT_EQ(i.Topic, "greetings");
    EXPECT_EQ(i.INAM, "1234");
    EXPECT_EQ(i.INAMLen, 5);
    EXPECT_EQ(i.PNAM, "1000");
    EXPECT_EQ(i.NNAM, "2000");
    EXPECT_EQ(i.DATALen, 12);
    EXPECT_EQ(i.InfoType, 0);
    EXPECT_EQ(i.Disposition, -7);
    EXPECT_EQ(i.Rank, 5);
    EXPECT_EQ(i.Gender, 1);
    EXPECT_EQ(i.PCRank, 2);
    EXPECT_EQ(i.InfoUnknown, 9);
    EXPECT_EQ(i.ONAM, "fargoth");
    EXPECT_EQ(i.RNAM, "Wood Elf");
    EXPECT_EQ(i.CNAM, "Commoner");
    EXPECT_EQ(i.FNAM, "Hlaalu");
    EXPECT_EQ(i.ANAM, "Seyda Neen");
    EXPECT_EQ(i.DNAM, "Thieves Guild");
    EXPECT_EQ(i.DNAMLen, 14);
    EXPECT_EQ(i.NAME, "Hello, \"friend\".");
    EXPECT_EQ(i.NAMELen, 16) << "the response text has no terminator";
    EXPECT_EQ(i.SNAM, "vo\\hello.mp3");
    EXPECT_EQ(i.QSTN, 1);
    EXPECT_EQ(i.QSTF, 2);
    EXPECT_EQ(i.QSTR, 3);
    EXPECT_EQ(i.QSTRLen, 1);
    EXPECT_EQ(i.BNAM, "Journal \"A\" 10\r\nGoodbye");
    EXPECT_EQ(i.BNAMLen, 23);
    const SCVRData& c0 = i.Conditions[0];
    EXPECT_EQ(c0.SCVRLen, 16);
    EXPECT_EQ(c0.CondIndex, "0");
    EXPECT_EQ(c0.CondType, "1");
    EXPECT_EQ(c0.CondFunction, "sX");
    EXPECT_EQ(c0.CondComparison, "0");
    EXPECT_EQ(c0.CondName, "fargoth_var");
    EXPECT_EQ(c0.INTVLen, 4);
    EXPECT_EQ(c0.INTV, -3);
    EXPECT_EQ(c0.FLTVLen, 0);
    EXPECT_EQ(i.Conditions[1].CondName, "gold");
    EXPECT_EQ(i.Conditions[1].FLTV, 2.5f);
    EXPECT_EQ(i.Conditions[1].INTVLen, 0);
    EXPECT_EQ(i.Conditions[2].SCVRLen, 0);
    EXPECT_TRUE(s.currentTopic.empty()) << "emptied when the read completes";

    std::string out = SaveClean(s, count);
    EXPECT_EQ(out, file);
    EXPECT_EQ(testutil::RoundTrip(out), out);
}

TEST(DialogueRecords, ResponsesFollowTheirTopicInTableOrder) {
    std::string a1 = Info("a1", "", "a2", "first of A"), a2 = Info("a2", "a1", "", "second of A");
    std::string b1 = Info("b1", "", "", "only of B");
    std::string file = File({Dial("A", 0), a1, a2, Dial("B", 0), b1});
    RecordStore s;
    int32_t count = testutil::Load(file, s);
    ASSERT_EQ(s.tblINFO.size(), 3u);
    EXPECT_EQ(s.tblINFO[0].Topic, "A");
    EXPECT_EQ(s.tblINFO[1].Topic, "A");
    EXPECT_EQ(s.tblINFO[2].Topic, "B");
    EXPECT_EQ(SaveClean(s, count), file);

    // The writer follows the response table, not the file: a response moved to the front of the table comes
    // out first under its own topic.
    std::rotate(s.tblINFO.begin(), s.tblINFO.begin() + 1, s.tblINFO.end()); // a2, b1, a1
    EXPECT_EQ(SaveClean(s, count), File({Dial("A", 0), a2, a1, Dial("B", 0), b1}));

    // Two topics of the same name both write every response of that name; responses whose topic is gone
    // are not written. Topic names compare exactly.
    RecordStore t;
    int32_t n = testutil::Load(File({Dial("A", 0), a1, Dial("B", 0), b1, Dial("A", 0), a2, Dial("a", 0)}), t);
    ASSERT_EQ(t.tblDIAL.size(), 4u);
    EXPECT_EQ(SaveClean(t, n), Header(n - 1) + Dial("A", 0) + a1 + a2 + Dial("B", 0) + b1 + Dial("A", 0) +
                                   a1 + a2 + Dial("a", 0));
    t.tblDIAL.erase(t.tblDIAL.begin() + 1);
    EXPECT_EQ(SaveClean(t, n),
              Header(n - 1) + Dial("A", 0) + a1 + a2 + Dial("A", 0) + a1 + a2 + Dial("a", 0));
}

TEST(DialogueRecords, InfoIndexKeepsTableOrderAndDuplicates) {
    RecordStore s;
    for (const char* topic : {"x", "y", "x", "x", "z", "y"}) {
        s.tblINFO.emplace_back();
        s.tblINFO.back().Topic = topic;
    }
    InfoIndex index = BuildInfoIndex(s);
    EXPECT_EQ(index["x"], (std::vector<size_t>{0, 2, 3}));
    EXPECT_EQ(index["y"], (std::vector<size_t>{1, 5}));
    EXPECT_EQ(index["z"], (std::vector<size_t>{4}));
    EXPECT_EQ(index.count("X"), 0u);
}

TEST(DialogueRecords, RenamingATopicNeedsItsResponsesRenamedToo) {
    std::string file = File({Dial("old", 0), Info("r1", "", "", "text")});
    RecordStore s;
    int32_t count = testutil::Load(file, s);
    SetTopicName(s.tblDIAL[0], "a longer name");
    EXPECT_EQ(s.tblDIAL[0].NAMELen, 14);
    EXPECT_EQ(s.tblDIAL[0].Size, 14 + 8 + 9);
    EXPECT_EQ(SaveClean(s, count), Header(count - 1) + Dial("a longer name", 0))
        << "responses under the old name are lost";
    s.tblINFO[0].Topic = "a longer name";
    EXPECT_EQ(SaveClean(s, count), File({Dial("a longer name", 0), Info("r1", "", "", "text")}));
}

TEST(DialogueRecords, SavedGameForms) {
    // DATA of 4 bytes marks a saved game's topic: type 128, written back as four zero bytes; XIDX is kept.
    std::string dial =
        Record("DIAL", ZSub("NAME", "Background") + Sub("DATA", "\x07\x08\x09\x0A") + Sub("XIDX", I32(42)));
    std::string info = Record("INFO", ZSub("INAM", "77") + Sub("XIDX", I32(5)) + InfoData(0, 0) +
                                          ZSub("ACDT", "acdt kept, not written") + Sub("NAME", "hi"));
    std::string file = File({dial, info}, 32);
    RecordStore s;
    int32_t count = testutil::Load(file, s);
    ASSERT_EQ(s.tblDIAL.size(), 1u);
    EXPECT_EQ(s.tblDIAL[0].DialType, 128);
    EXPECT_EQ(s.tblDIAL[0].DATALen, 4);
    EXPECT_EQ(s.tblDIAL[0].XIDX, 42);
    EXPECT_EQ(s.tblINFO[0].XIDX, 5);
    EXPECT_EQ(s.tblINFO[0].ACDT, "acdt kept, not written");
    EXPECT_EQ(s.tblINFO[0].ACDTLen, 23);
    uint64_t repairs = 9;
    std::string out = testutil::Save(s, count, 32, &repairs);
    EXPECT_EQ(repairs, 0u) << "the ACDT bytes left out are taken off Size when reading";
    std::string dialOut =
        Record("DIAL", ZSub("NAME", "Background") + Sub("DATA", std::string(4, '\0')) + Sub("XIDX", I32(42)));
    std::string infoOut =
        Record("INFO", ZSub("INAM", "77") + Sub("XIDX", I32(5)) + InfoData(0, 0) + Sub("NAME", "hi"));
    EXPECT_EQ(out, File({dialOut, infoOut}, 32));
}

TEST(DialogueRecords, ConditionsTakeSlotsInOrderWithOrWithoutOperand) {
    std::string body = ZSub("INAM", "c") + InfoData(0, 0) + Scvr("51sX0", "no operand") +
                       Scvr("03fX2", "int") + Sub("INTV", I32(9)) + Scvr("22fX2", "also none") +
                       Scvr("14fX2", "float") + Sub("FLTV", F32(-1.5f));
    std::string file = File({Dial("t", 0), Record("INFO", body)});
    RecordStore s;
    int32_t count = testutil::Load(file, s);
    const auto& c = s.tblINFO[0].Conditions;
    EXPECT_EQ(c[0].CondName, "no operand");
    EXPECT_EQ(c[0].CondIndex, "5") << "the index character does not choose the slot";
    EXPECT_EQ(c[0].INTVLen + c[0].FLTVLen, 0);
    EXPECT_EQ(c[1].CondName, "int");
    EXPECT_EQ(c[1].INTV, 9);
    EXPECT_EQ(c[2].CondName, "also none");
    EXPECT_EQ(c[3].FLTV, -1.5f);
    EXPECT_EQ(c[4].SCVRLen, 0);
    EXPECT_EQ(SaveClean(s, count), file);
}

// Decision: a condition beyond the sixth (a damaged file) is read and dropped together with its operand; the
// record's Size is reduced by the bytes dropped, so the next save is well-formed without repairs.
TEST(DialogueRecords, DecisionASeventhConditionIsDropped) {
    std::string conds;
    for (int k = 0; k < 7; ++k)
        conds += Scvr(std::to_string(k) + "1sX0", "v" + std::to_string(k)) + Sub("INTV", I32(k));
    std::string body = ZSub("INAM", "seven") + InfoData(0, 0) + conds + Sub("BNAM", "after");
    RecordStore s;
    int32_t count = testutil::Load(File({Dial("t", 0), Record("INFO", body)}), s);
    const INFORecord& i = s.tblINFO[0];
    EXPECT_EQ(i.Conditions[5].CondName, "v5");
    EXPECT_EQ(i.BNAM, "after") << "reading goes on after the dropped condition";
    const size_t dropped = Scvr("61sX0", "v6").size() + Sub("INTV", I32(6)).size();
    EXPECT_EQ(i.Size, static_cast<int32_t>(body.size() - dropped));
    std::string out = SaveClean(s, count);
    std::string conds6 = conds.substr(0, conds.size() - dropped);
    EXPECT_EQ(out, File({Dial("t", 0), Record("INFO", ZSub("INAM", "seven") + InfoData(0, 0) + conds6 +
                                                          Sub("BNAM", "after"))}));
}

// Decision: an optional subrecord stored with length 0 carries no data and nothing is read for it; it is not
// written back, and the record's Size loses its 8-byte header when reading, so the saved record stays
// consistent. A negative length (damaged files) is treated the same way.
TEST(DialogueRecords, DecisionEmptyOptionalSubrecordsAreLeftOut) {
    std::string body = ZSub("INAM", "e") + Sub("PNAM", "") + InfoData(0, 0) + Sub("ONAM", "") +
                       Sub("NAME", "") + Sub("QSTN", "") + Sub("SNAM", "") + SubWithSize("XIDX", 0, "") +
                       Scvr("01sX0", "x") + Sub("INTV", "") + Sub("BNAM", "");
    RecordStore s;
    int32_t count = testutil::Load(File({Dial("t", 0), Record("INFO", body)}), s);
    const INFORecord& i = s.tblINFO[0];
    EXPECT_EQ(i.Conditions[0].CondName, "x") << "the framing after the empty subrecords is kept";
    EXPECT_EQ(i.Conditions[0].INTVLen, 0);
    EXPECT_EQ(i.NAMELen, 0);
    EXPECT_EQ(i.QSTNLen, 0);
    const int32_t expected = static_cast<int32_t>(body.size()) - 8 * 8;
    EXPECT_EQ(i.Size, expected);
    std::string out = SaveClean(s, count);
    EXPECT_EQ(out,
              File({Dial("t", 0), Record("INFO", ZSub("INAM", "e") + InfoData(0, 0) + Scvr("01sX0", "x"))}));

    std::string negative = ZSub("INAM", "n") + InfoData(0, 0) + SubWithSize("NAME", 0xFFFFFFFFu, "");
    RecordStore t;
    count = testutil::Load(File({Dial("t", 0), Record("INFO", negative)}), t);
    EXPECT_EQ(t.tblINFO[0].NAMELen, 0) << "a negative length is kept as an empty text";
    std::string once = SaveClean(t, count);
    EXPECT_EQ(once, File({Dial("t", 0), Record("INFO", ZSub("INAM", "n") + InfoData(0, 0))}));
}

TEST(DialogueRecords, DeletedRecordsKeepOnlyTheirIdentifyingParts) {
    std::string info = Record("INFO",
                              ZSub("INAM", "gone") + ZSub("PNAM", "p") + ZSub("NNAM", "n") + InfoData(1, 2) +
                                  ZSub("ONAM", "actor") + Sub("NAME", "text kept") + Scvr("01sX0", "v") +
                                  Sub("INTV", I32(1)) + Sub("BNAM", "result dropped") + Dele(),
                              0x20);
    std::string dial = Record("DIAL", ZSub("NAME", "topic") + Sub("DATA", U8(0)) + Dele(), 0x20);
    RecordStore s;
    int32_t count = testutil::Load(File({dial, info}), s);
    ASSERT_EQ(s.tblINFO.size(), 1u);
    EXPECT_EQ(s.tblINFO[0].BNAM, "result dropped") << "read and kept in the store";
    std::string out = SaveClean(s, count);
    std::string infoOut = Record("INFO",
                                 ZSub("INAM", "gone") + ZSub("PNAM", "p") + ZSub("NNAM", "n") +
                                     Sub("NAME", "text kept") + Dele(),
                                 0x20);
    EXPECT_EQ(out, File({dial, infoOut}));

    // The deleted state is the flags' low byte: 20 counts, 19 does not; a DELE without the flag is dropped.
    RecordStore t;
    count = testutil::Load(File({Record("DIAL", ZSub("NAME", "a") + Sub("DATA", U8(0)) + Dele(), 19),
                                 Record("DIAL", ZSub("NAME", "b") + Sub("DATA", U8(0)), 20)}),
                           t);
    EXPECT_EQ(SaveClean(t, count),
              File({Record("DIAL", ZSub("NAME", "a") + Sub("DATA", U8(0)), 19),
                    Record("DIAL", ZSub("NAME", "b") + Sub("DATA", U8(0)) + Dele(), 20)}));
}

TEST(DialogueRecords, TerminatorsAndTheEmptyPreviousId) {
    // PNAM of length 1 (only the zero) stays a 1-byte subrecord; an absent NNAM stays absent; the response
    // text and result are written without a terminator, every other string with one.
    std::string body = ZSub("INAM", "id") + Sub("PNAM", std::string(1, '\0')) + InfoData(0, 0) +
                       Sub("NAME", "no zero") + Sub("BNAM", "none here");
    std::string file = File({Dial("t", 0), Record("INFO", body)});
    RecordStore s;
    int32_t count = testutil::Load(file, s);
    EXPECT_EQ(s.tblINFO[0].PNAMLen, 1);
    EXPECT_EQ(s.tblINFO[0].PNAM, "");
    EXPECT_EQ(s.tblINFO[0].NNAMLen, 0);
    std::string out = SaveClean(s, count);
    EXPECT_EQ(out, file);
    EXPECT_NE(out.find(std::string("PNAM") + U32(1) + '\0' + "DATA"), std::string::npos);
    EXPECT_NE(out.find(std::string("NAME") + U32(7) + "no zeroBNAM"), std::string::npos);
    EXPECT_EQ(out.substr(out.size() - 9), "none here");
}

TEST(DialogueRecords, MissingDataIsWrittenWithItsTwelveBytes) {
    // A response without DATA and a topic without DATA: the writer adds them, and Size follows.
    RecordStore s;
    int32_t count =
        testutil::Load(File({Record("DIAL", ZSub("NAME", "t")), Record("INFO", ZSub("INAM", "x"))}), s);
    EXPECT_EQ(s.tblINFO[0].DATALen, 0);
    EXPECT_EQ(s.tblINFO[0].Size, 10 + 20);
    EXPECT_EQ(SaveClean(s, count),
              File({Record("DIAL", ZSub("NAME", "t") + Sub("DATA", U8(0))),
                    Record("INFO", ZSub("INAM", "x") + Sub("DATA", std::string(12, '\0')))}));
}

TEST(DialogueRecords, CurrentTopicAndResponsesBeforeAnyTopic) {
    std::string file = File({Info("orphan", "", "", "no topic"), Dial("t", 0), Info("r", "", "", "x")});
    RecordStore s;
    FakeUi ui;
    int32_t count = 0;
    ReadESBytes(file, s, ui, count, false);
    EXPECT_EQ(s.currentTopic, "t") << "the topic read last";
    EXPECT_EQ(s.tblINFO[0].Topic, "");
    EXPECT_EQ(s.tblINFO[1].Topic, "t");
    TrimStore(s);
    EXPECT_TRUE(s.currentTopic.empty());
    // The response read before any topic belongs to no topic and is not written.
    EXPECT_EQ(SaveClean(s, count), Header(count - 1) + Dial("t", 0) + Info("r", "", "", "x"));
}

TEST(DialogueRecords, TextChangesKeepLengthsAndSizeInStep) {
    std::string file =
        File({Dial("t", 0), Info("a", "", "", "", ""), Info("b", "", "", "old text", "old result"),
              Record("INFO", ZSub("INAM", "d") + Sub("NAME", "x") + Sub("BNAM", "y") + Dele(), 0x20)});
    RecordStore s;
    int32_t count = testutil::Load(file, s);
    INFORecord& a = s.tblINFO[0];
    INFORecord& b = s.tblINFO[1];
    INFORecord& d = s.tblINFO[2];
    const int32_t aSize = a.Size, bSize = b.Size, dSize = d.Size;

    SetResponseText(a, "new"); // was empty: the subrecord appears
    EXPECT_EQ(a.NAMELen, 3);
    EXPECT_EQ(a.Size, aSize + 3 + 8);
    SetResultScript(a, "r");
    EXPECT_EQ(a.Size, aSize + 3 + 8 + 1 + 8);

    SetResponseText(b, ""); // emptied: the subrecord goes
    EXPECT_EQ(b.NAMELen, 0);
    EXPECT_EQ(b.Size, bSize - 8 - 8);
    SetResultScript(b, "new result"); // equal length: only the text changes
    EXPECT_EQ(b.BNAMLen, 10);
    EXPECT_EQ(b.Size, bSize - 8 - 8);
    SetResultScript(b, "longer result");
    EXPECT_EQ(b.Size, bSize - 8 - 8 + 3);

    SetResponseText(d, "xyz"); // a deleted response writes its text...
    EXPECT_EQ(d.Size, dSize + 2);
    SetResultScript(d, "not written"); // ...but not its result
    EXPECT_EQ(d.BNAMLen, 11);
    EXPECT_EQ(d.Size, dSize + 2);

    SetTopicName(s.tblDIAL[0], "");
    EXPECT_EQ(s.tblDIAL[0].NAMELen, 1);
    for (INFORecord& r : s.tblINFO) r.Topic = "";

    std::string out = SaveClean(s, count);
    RecordStore back;
    testutil::Load(out, back);
    ASSERT_EQ(back.tblINFO.size(), 3u);
    EXPECT_EQ(back.tblINFO[0].NAME, "new");
    EXPECT_EQ(back.tblINFO[0].BNAM, "r");
    EXPECT_EQ(back.tblINFO[1].NAMELen, 0);
    EXPECT_EQ(back.tblINFO[1].BNAM, "longer result");
    EXPECT_EQ(back.tblINFO[2].NAME, "xyz");
    EXPECT_EQ(back.tblDIAL[0].NAME, "");
}

// Damaged input: every prefix of a file with topics and responses, and random changes to its bytes, read
// without failing and save as a well-formed file that saves again to the same bytes.
TEST(DialogueRecords, TruncatedAndDamagedInputSavesWellFormed) {
    std::string info = Record("INFO", ZSub("INAM", "1") + ZSub("PNAM", "") + ZSub("NNAM", "2") +
                                          InfoData(0, 5) + ZSub("ONAM", "a") + Sub("NAME", "text") +
                                          Sub("QSTN", U8(1)) + Scvr("01sX0", "v") + Sub("INTV", I32(3)) +
                                          Scvr("12fX0", "w") + Sub("FLTV", F32(1)) + Sub("BNAM", "res"));
    std::string file =
        File({Dial("topic", 0), info, Record("INFO", ZSub("INAM", "2") + InfoData(0, 0) + Dele(), 0x20),
              Record("DIAL", ZSub("NAME", "sg") + Sub("DATA", I32(0)) + Sub("XIDX", I32(1)))});
    // Responses whose topic was damaged are not written, so the number of records read changes from one
    // pass to the next; the header's announced count is kept fixed here.
    auto roundTrip = [](const std::string& bytes) {
        RecordStore s;
        testutil::Load(bytes, s);
        return testutil::Save(s, 1);
    };
    for (size_t n = 0; n <= file.size(); ++n) {
        std::string once = roundTrip(file.substr(0, n));
        EXPECT_EQ(roundTrip(once), once) << "cut at " << n;
    }
    std::mt19937 rng(77);
    for (int round = 0; round < 400; ++round) {
        std::string bad = file;
        for (int k = 0; k < 3; ++k)
            bad[Header(0).size() + rng() % (bad.size() - Header(0).size())] = static_cast<char>(rng());
        std::string once = roundTrip(bad);
        EXPECT_EQ(roundTrip(once), once) << "round " << round;
    }
}

TEST(DialogueRecords, RealPluginTopicsAndResponsesSurviveASave) {
    std::string bytes = testutil::ReadFile(testutil::SharedFixture("all_types.esp"));
    ASSERT_FALSE(bytes.empty());
    RecordStore s;
    int32_t count = testutil::Load(bytes, s);
    ASSERT_EQ(s.tblDIAL.size(), 3u);
    ASSERT_EQ(s.tblINFO.size(), 7u);
    for (const DIALRecord& d : s.tblDIAL) {
        EXPECT_FALSE(d.NAME.empty());
        EXPECT_EQ(d.NAMELen, static_cast<int32_t>(d.NAME.size() + 1));
        EXPECT_LE(d.DialType, 4);
    }
    for (const INFORecord& i : s.tblINFO) {
        EXPECT_FALSE(i.INAM.empty());
        EXPECT_FALSE(i.NAME.empty());
        EXPECT_EQ(i.NAMELen, static_cast<int32_t>(i.NAME.size()));
        EXPECT_EQ(i.DATALen, 12);
        bool underATopic = false;
        for (const DIALRecord& d : s.tblDIAL) underATopic |= d.NAME == i.Topic;
        EXPECT_TRUE(underATopic) << i.INAM;
        if (i.InfoType == 4) {
            EXPECT_TRUE(i.QSTNLen || i.QSTFLen || i.QSTRLen) << i.INAM;
        }
    }
    EXPECT_EQ(s.tblINFO.back().Conditions[5].CondName, "test_float");
    EXPECT_EQ(s.tblINFO.back().Conditions[1].FLTV, 1.0f);

    // The dialogue records of the save are the file's own bytes: each topic with its responses.
    RecordStore only;
    only.tblTES3 = s.tblTES3;
    only.tblDIAL = s.tblDIAL;
    only.tblINFO = s.tblINFO;
    std::string expected;
    for (const auto& [tag, rec] : SplitRecords(bytes))
        if (tag == "DIAL" || tag == "INFO") expected += rec;
    std::string saved = SaveClean(only, count);
    EXPECT_EQ(saved.substr(SplitRecords(saved).front().second.size()), expected);

    RecordStore back;
    testutil::Load(testutil::Save(s, count), back);
    EXPECT_EQ(back.tblDIAL, s.tblDIAL);
    EXPECT_EQ(back.tblINFO, s.tblINFO);
}

// The one- and two-character pieces of a condition are kept in place; a longer text keeps its first
// characters, and a zero byte read from a damaged file is a character like any other.
TEST(DialogueRecords, ConditionPiecesHoldTheirCharactersExactly) {
    SCVRData c;
    c.CondFunction = std::string("s\0", 2);
    EXPECT_EQ(c.CondFunction.size(), 2u);
    EXPECT_FALSE(c.CondFunction == "s");
    c.CondFunction = "abc";
    EXPECT_EQ(c.CondFunction, "ab");
    c.CondType = "";
    EXPECT_TRUE(c.CondType.empty());
    SCVRData d = c;
    EXPECT_EQ(d, c);
    d.CondFunction = "ax";
    EXPECT_FALSE(d == c);
}
