// Dialogue topics (DIAL) and responses (INFO): reading every field, writing each topic's own responses right
// after it, the saved-game forms, deleted records, subrecords kept whole, text changes, and damaged input.
#include <gtest/gtest.h>

#include <random>
#include <tuple>

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

// Saves a store; the result reads back to the same topics and responses.
std::string SaveClean(const RecordStore& s, int32_t count) {
    std::string out = testutil::Save(s, count, 0);
    RecordStore back;
    testutil::Load(out, back);
    EXPECT_TRUE(back.damage.empty());
    EXPECT_EQ(back.tblINFO.size(), s.tblINFO.size());
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
    ASSERT_EQ(s.tblINFO.size(), 1u);
    DIALRecord d;
    d.NAMELen = 10, d.NAME = "greetings", d.DATALen = 1, d.DialType = 2;
    EXPECT_EQ(s.tblDIAL, std::vector<DIALRecord>{d});
    INFORecord i;
    i.Header1 = 77, i.TopicIndex = 0, i.Topic = "greetings";
    i.INAMLen = 5, i.INAM = "1234", i.PNAMLen = 5, i.PNAM = "1000", i.NNAMLen = 5, i.NNAM = "2000";
    i.DATALen = 12, i.Disposition = -7, i.Rank = 5, i.Gender = 1, i.PCRank = 2, i.InfoUnknown = 9;
    i.ONAMLen = 8, i.ONAM = "fargoth", i.RNAMLen = 9, i.RNAM = "Wood Elf", i.CNAMLen = 9, i.CNAM = "Commoner";
    i.FNAMLen = 7, i.FNAM = "Hlaalu", i.ANAMLen = 11, i.ANAM = "Seyda Neen", i.DNAMLen = 14;
    i.DNAM = "Thieves Guild", i.SNAMLen = 13, i.SNAM = "vo\\hello.mp3";
    i.NAMELen = 16, i.NAME = "Hello, \"friend\"."; // the response text has no terminator
    i.QSTNLen = i.QSTFLen = i.QSTRLen = 1, i.QSTN = 1, i.QSTF = 2, i.QSTR = 3;
    i.BNAMLen = 23, i.BNAM = "Journal \"A\" 10\r\nGoodbye";
    i.Conditions[0].SCVRLen = 16, i.Conditions[0].CondName = "fargoth_var", i.Conditions[0].INTVLen = 4;
    i.Conditions[0].CondIndex = "0", i.Conditions[0].CondType = "1", i.Conditions[0].CondFunction = "sX";
    i.Conditions[0].CondComparison = "0", i.Conditions[0].INTV = -3;
    i.Conditions[1].SCVRLen = 9, i.Conditions[1].CondName = "gold", i.Conditions[1].FLTVLen = 4;
    i.Conditions[1].CondIndex = "1", i.Conditions[1].CondType = "2", i.Conditions[1].CondFunction = "fX";
    i.Conditions[1].CondComparison = "1", i.Conditions[1].FLTV = 2.5f;
    EXPECT_EQ(s.tblINFO[0], i);
    EXPECT_EQ(SaveClean(s, count), file);
}

// A response belongs to the topic it stands under in the file, whatever the names: topics of the same name
// keep their own responses, a renamed topic keeps its responses, and a save of a save is the same bytes.
TEST(DialogueRecords, EachTopicIsWrittenWithItsOwnResponses) {
    std::string a1 = Info("a1", "", "a2", "first of A"), a2 = Info("a2", "a1", "", "second of A");
    std::string b1 = Info("b1", "", "", "only of B"), c1 = Info("c1", "", "", "of the second A");
    std::string file = File({Dial("A", 0), a1, a2, Dial("B", 0), b1, Dial("A", 0), c1, Dial("a", 0)});
    RecordStore s;
    int32_t count = testutil::Load(file, s);
    ASSERT_EQ(s.tblINFO.size(), 4u);
    EXPECT_EQ(s.tblINFO[3].TopicIndex, 2);
    EXPECT_EQ(s.tblINFO[3].Topic, "A");
    const std::string once = SaveClean(s, count);
    EXPECT_EQ(once, file);
    EXPECT_EQ(testutil::RoundTrip(once), once);

    // The writer follows the response table within a topic.
    std::swap(s.tblINFO[0], s.tblINFO[1]);
    EXPECT_EQ(SaveClean(s, count),
              File({Dial("A", 0), a2, a1, Dial("B", 0), b1, Dial("A", 0), c1, Dial("a", 0)}));

    // Renaming a topic, even to the name of another, moves none of the responses.
    SetTopicName(s.tblDIAL[0], "B");
    EXPECT_EQ(s.tblDIAL[0].NAMELen, 2);
    EXPECT_EQ(SaveClean(s, count),
              File({Dial("B", 0), a2, a1, Dial("B", 0), b1, Dial("A", 0), c1, Dial("a", 0)}));
}

// Decision: responses that stand before any topic belong to none; they are kept and written before the
// first topic, where a new read finds them again.
TEST(DialogueRecords, DecisionResponsesBeforeAnyTopicAreKept) {
    std::string orphan = Info("orphan", "", "", "no topic"), r = Info("r", "", "", "x");
    std::string file = File({orphan, Dial("t", 0), r});
    RecordStore s;
    int32_t count = testutil::Load(file, s);
    EXPECT_EQ(s.tblINFO[0].TopicIndex, -1);
    EXPECT_EQ(s.tblINFO[0].Topic, "");
    EXPECT_EQ(s.tblINFO[1].Topic, "t");
    EXPECT_EQ(SaveClean(s, count), file);
}

TEST(DialogueRecords, SavedGameForms) {
    // DATA of 4 bytes marks a saved game's topic: type 128, written back as four zero bytes; XIDX and the
    // saved game's ACDT are kept in their places.
    std::string dial =
        Record("DIAL", ZSub("NAME", "Background") + Sub("DATA", "\x07\x08\x09\x0A") + Sub("XIDX", I32(42)));
    std::string info = Record("INFO", ZSub("INAM", "77") + Sub("XIDX", I32(5)) + InfoData(0, 0) +
                                          ZSub("ACDT", "acdt") + Sub("NAME", "hi"));
    RecordStore s;
    int32_t count = testutil::Load(File({dial, info}, 32), s);
    EXPECT_EQ(s.tblDIAL[0].DialType, 128);
    EXPECT_EQ(s.tblDIAL[0].XIDX, 42);
    EXPECT_EQ(s.tblINFO[0].XIDX, 5);
    std::string dialOut =
        Record("DIAL", ZSub("NAME", "Background") + Sub("DATA", std::string(4, '\0')) + Sub("XIDX", I32(42)));
    EXPECT_EQ(testutil::Save(s, count, 32), File({dialOut, info}, 32));
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
    EXPECT_EQ(c[1].INTV, 9);
    EXPECT_EQ(c[2].CondName, "also none");
    EXPECT_EQ(c[3].FLTV, -1.5f);
    EXPECT_EQ(c[4].SCVRLen, 0);
    EXPECT_EQ(SaveClean(s, count), file);
}

// What the layout has no room for or does not know is kept whole and written back in its place: a seventh
// condition with its operand, an unknown subrecord, a DATA of another length (no default DATA is added),
// value subrecords of odd lengths, and an operand that follows no condition.
TEST(DialogueRecords, SubrecordsTheLayoutHasNoRoomForAreKeptInPlace) {
    std::string conds;
    for (int k = 0; k < 7; ++k)
        conds += Scvr(std::to_string(k) + "1sX0", "v" + std::to_string(k)) + Sub("INTV", I32(k));
    const std::vector<std::string> bodies = {
        ZSub("INAM", "seven") + InfoData(0, 0) + conds + Sub("BNAM", "after"),
        ZSub("INAM", "x") + Sub("ZZZZ", "unknown") + InfoData(0, 0) + Sub("NAME", "text"),
        ZSub("INAM", "x") + Sub("DATA", "short") + ZSub("ONAM", "a") + Sub("NAME", "text"),
        ZSub("INAM", "x") + InfoData(0, 0) + Sub("QSTN", "ab") + Sub("XIDX", "") + Sub("FLTV", F32(1)),
    };
    for (const std::string& body : bodies) {
        std::string file = File({Dial("t", 0), Record("INFO", body)});
        RecordStore s;
        int32_t count = testutil::Load(file, s);
        EXPECT_EQ(SaveClean(s, count), file) << body;
    }
}

// Decision: empty optional subrecords and a negative length leave a record that reads back the same.
TEST(DialogueRecords, DecisionEmptyAndOddSubrecordsSaveStably) {
    std::string body = ZSub("INAM", "e") + Sub("PNAM", "") + InfoData(0, 0) + Sub("ONAM", "") +
                       Sub("NAME", "") + Sub("QSTN", "") + Sub("SNAM", "") + SubWithSize("XIDX", 0, "") +
                       Scvr("01sX0", "x") + Sub("INTV", "") + Sub("BNAM", "");
    for (const std::string& info :
         {Record("INFO", body),
          Record("INFO", ZSub("INAM", "n") + InfoData(0, 0) + SubWithSize("NAME", 0xFFFFFFFFu, ""))}) {
        RecordStore s;
        int32_t count = testutil::Load(File({Dial("t", 0), info}), s);
        const std::string once = SaveClean(s, count);
        EXPECT_EQ(testutil::RoundTrip(once), once);
        EXPECT_TRUE(s.damage.empty() || info.find("NAME\xFF") != std::string::npos);
    }
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
    EXPECT_EQ(s.tblINFO[0].BNAM, "result dropped") << "read and kept in the store";
    std::string infoOut = Record("INFO",
                                 ZSub("INAM", "gone") + ZSub("PNAM", "p") + ZSub("NNAM", "n") +
                                     Sub("NAME", "text kept") + Dele(),
                                 0x20);
    EXPECT_EQ(SaveClean(s, count), File({dial, infoOut}));

    // The deleted state is the flags' low byte: 20 counts, 19 does not; a DELE without the flag is dropped.
    RecordStore t;
    count = testutil::Load(File({Record("DIAL", ZSub("NAME", "a") + Sub("DATA", U8(0)) + Dele(), 19),
                                 Record("DIAL", ZSub("NAME", "b") + Sub("DATA", U8(0)), 20)}),
                           t);
    EXPECT_EQ(SaveClean(t, count),
              File({Record("DIAL", ZSub("NAME", "a") + Sub("DATA", U8(0)), 19),
                    Record("DIAL", ZSub("NAME", "b") + Sub("DATA", U8(0)) + Dele(), 20)}));
}

TEST(DialogueRecords, MissingDataIsWrittenWithItsTwelveBytes) {
    RecordStore s;
    int32_t count =
        testutil::Load(File({Record("DIAL", ZSub("NAME", "t")), Record("INFO", ZSub("INAM", "x"))}), s);
    EXPECT_EQ(s.tblINFO[0].DATALen, 0);
    EXPECT_EQ(SaveClean(s, count),
              File({Record("DIAL", ZSub("NAME", "t") + Sub("DATA", U8(0))),
                    Record("INFO", ZSub("INAM", "x") + Sub("DATA", std::string(12, '\0')))}));
}

TEST(DialogueRecords, TextChangesKeepTheirLengths) {
    std::string file =
        File({Dial("t", 0), Info("a", "", "", "", ""), Info("b", "", "", "old text", "old result"),
              Record("INFO", ZSub("INAM", "d") + Sub("NAME", "x") + Sub("BNAM", "y") + Dele(), 0x20)});
    RecordStore s;
    int32_t count = testutil::Load(file, s);
    SetResponseText(s.tblINFO[0], "new"); // was empty: the subrecord appears
    SetResultScript(s.tblINFO[0], "r");
    SetResponseText(s.tblINFO[1], ""); // emptied: the subrecord goes
    SetResultScript(s.tblINFO[1], "longer result");
    SetResponseText(s.tblINFO[2], "xyz"); // a deleted response writes its text, not its result
    SetResultScript(s.tblINFO[2], "not written");
    SetTopicName(s.tblDIAL[0], "");
    EXPECT_EQ(std::make_tuple(s.tblINFO[0].NAMELen, s.tblINFO[1].NAMELen, s.tblINFO[1].BNAMLen,
                              s.tblDIAL[0].NAMELen),
              std::make_tuple(3, 0, 13, 1));
    RecordStore back;
    testutil::Load(SaveClean(s, count), back);
    EXPECT_EQ(back.tblINFO[0].NAME + "|" + back.tblINFO[0].BNAM, "new|r");
    EXPECT_EQ(back.tblINFO[1].NAME + "|" + back.tblINFO[1].BNAM, "|longer result");
    EXPECT_EQ(back.tblINFO[2].NAME + "|" + back.tblINFO[2].BNAM, "xyz|");
    EXPECT_EQ(back.tblDIAL[0].NAME, "");
}

// The one- and two-character pieces of a condition are kept in place; a longer text keeps its first
// characters, and a zero byte read from a damaged file is a character like any other.
TEST(DialogueRecords, ConditionPiecesHoldTheirCharactersExactly) {
    SCVRData c;
    c.CondFunction = std::string("s\0", 2);
    EXPECT_FALSE(c.CondFunction == "s");
    c.CondFunction = "abc";
    EXPECT_EQ(c.CondFunction, "ab");
    SCVRData d = c;
    EXPECT_EQ(d, c);
    d.CondFunction = "ax";
    EXPECT_FALSE(d == c);
}
