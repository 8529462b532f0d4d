// Dialogue topics (DIAL) and responses (INFO): writing each topic's own responses right after it, the
// saved-game forms, deleted records, subrecords kept whole, text changes, and damaged input. Scripts (SCPT)
// and start scripts (SSCR): the variable-name split and join, the saved-game parts, the source text rule for
// saved games, the written order and what is kept whole.
#include <gtest/gtest.h>

#include <tuple>

#include "fixture_builder.h"
#include "records/dialogue.h"
#include "records/scripts.h"
#include "test_util.h"

using namespace vellum;
using namespace fixture;

// Expected records name only the fields that are set.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

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

std::string Schd(std::string_view name, int32_t shorts, int32_t longs, int32_t floats, int32_t dataSize = 4,
                 int32_t varSize = 0) {
    return Sub("SCHD",
               Fixed(name, 32) + I32(shorts) + I32(longs) + I32(floats) + I32(dataSize) + I32(varSize));
}
// The variable list as the game stores it: every name followed by one zero byte.
std::string VarNames(const std::vector<std::string>& names) {
    std::string data;
    for (const std::string& n : names) data += Z(n);
    return Sub("SCVR", data);
}
std::string Text(std::string_view s) {
    return Sub("SCTX", s);
}

const std::string kCode = std::string("\x01\x00\x02\x00\xff", 5); // compiled code holds zero bytes
const std::string kSchd = Schd("s", 0, 0, 0);
const std::string kSlsd = Sub("SLSD", U16(1) + U16(0xFFFF) + U16(300));
const std::string kSlfd = Sub("SLFD", F32(1.5f) + F32(-2.25f));
const std::string kSlcs = Sub("SLCS", std::string("\0\1\2\3", 4));
const std::string kRnam = Sub("RNAM", "player");
const std::string kData = Sub("DATA", Z("3242152102596924"));
const std::string kStartName = Sub("NAME", Z("start_me"));

} // namespace

// A response belongs to the topic it stands under in the file, whatever the names: topics of the same name
// keep their own responses, a renamed topic keeps its responses, and a save of a save is the same bytes.
TEST(DialogueRecords, EachTopicIsWrittenWithItsOwnResponses) {
    std::string a1 = Info("a1", "", "a2", "first of A"), a2 = Info("a2", "a1", "", "second of A");
    std::string b1 = Info("b1", "", "", "only of B"), c1 = Info("c1", "", "", "of the second A");
    std::string file = File({Dial("A", 0), a1, a2, Dial("B", 0), b1, Dial("A", 0), c1, Dial("a", 0)});
    RecordStore s;
    int32_t count = testutil::Load(file, s);
    EXPECT_EQ(std::make_tuple(s.tblINFO.at(3).TopicIndex, s.tblINFO[3].Topic), std::make_tuple(2, "A"));
    EXPECT_EQ(SaveClean(s, count), file);

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

// Topics, responses, scripts and start scripts read and written back (twice, the same).
TEST(DialogueAndScripts, AreWrittenAsExpectedAndAgainTheSame) {
    std::string conds;
    for (int k = 0; k < 7; ++k)
        conds += Scvr(std::to_string(k) + "1sX0", "v" + std::to_string(k)) + Sub("INTV", I32(k));
    const std::string xidx = Sub("XIDX", I32(42)), t = Dial("t", 0);
    const std::string saved = Record("INFO", ZSub("INAM", "77") + Sub("XIDX", I32(5)) + InfoData(0, 0) +
                                                 ZSub("ACDT", "acdt") + Sub("NAME", "hi"));
    const std::string deleted = ZSub("INAM", "gone") + ZSub("PNAM", "p") + ZSub("NNAM", "n");
    const struct {
        const char* what;
        std::vector<std::string> in, out; // out empty: as read
        int32_t type = kFileTypePlugin;
    } cases[] = {
        // DATA of 4 bytes marks a saved game's topic: written back as four zero bytes; XIDX and ACDT are
        // kept.
        {"saved-game forms",
         {Record("DIAL", ZSub("NAME", "B") + Sub("DATA", "\x07\x08\x09\x0A") + xidx), saved},
         {Record("DIAL", ZSub("NAME", "B") + Sub("DATA", std::string(4, '\0')) + xidx), saved},
         kFileTypeSavedGame},
        // What the layout has no room for or does not know is kept whole in its place: a seventh condition,
        // an unknown subrecord, a DATA of another length (no default one added), odd value lengths and an
        // operand without condition.
        {"kept whole",
         {t, Record("INFO", ZSub("INAM", "seven") + InfoData(0, 0) + conds + Sub("BNAM", "after")),
          Record("INFO", ZSub("INAM", "x") + Sub("ZZZZ", "unknown") + InfoData(0, 0) + Sub("NAME", "text")),
          Record("INFO", ZSub("INAM", "y") + Sub("DATA", "short") + ZSub("ONAM", "a") + Sub("NAME", "text")),
          Record("INFO", ZSub("INAM", "z") + InfoData(0, 0) + Sub("QSTN", "ab") + Sub("XIDX", "") +
                             Sub("FLTV", F32(1)))},
         {}},
        // A deleted response keeps INAM, PNAM, NNAM and its text; a deleted topic its name and DATA.
        {"deleted",
         {Record("DIAL", ZSub("NAME", "topic") + Sub("DATA", U8(0)) + Dele(), 0x20),
          Record("INFO",
                 deleted + InfoData(1, 2) + ZSub("ONAM", "actor") + Sub("NAME", "text kept") +
                     Scvr("01sX0", "v") + Sub("INTV", I32(1)) + Sub("BNAM", "result dropped") + Dele(),
                 0x20)},
         {Record("DIAL", ZSub("NAME", "topic") + Sub("DATA", U8(0)) + Dele(), 0x20),
          Record("INFO", deleted + Sub("NAME", "text kept") + Dele(), 0x20)}},
        {"missing DATA is written with its size",
         {Record("DIAL", ZSub("NAME", "t")), Record("INFO", ZSub("INAM", "x"))},
         {Record("DIAL", ZSub("NAME", "t") + Sub("DATA", U8(0))),
          Record("INFO", ZSub("INAM", "x") + Sub("DATA", std::string(12, '\0')))}},
        // Decision: responses before any topic belong to none; they are written before the first topic.
        {"responses before any topic", {Info("orphan", "", "", "no topic"), t, Info("r", "", "", "x")}, {}},
        // Scripts: names beyond or short of the counts, an empty name, no header, and a header, a list
        // without its last zero, an empty code or an unknown subrecord kept whole in place.
        {"scripts as read",
         {Record("SCPT", Schd("c", 2, 1, 3) + VarNames({"sa", "sb", "l", "fx", "fy", "fz"}) +
                             Sub("SCDT", kCode) + Text("begin c\r\nend")),
          Record("SCPT", kSchd + Sub("SCDT", kCode) + Text("end")),
          Record("SCPT", Schd("m", 1, 0, 1) + VarNames({"s", "f", "x1", "x2"}) + Text("")),
          Record("SCPT", Schd("l", 2, 2, 1) + VarNames({"a", "b", "c"}) + Text("")),
          Record("SCPT", Schd("g", 2, 0, 1) + VarNames({"", "b", "c"}) + Text("")),
          Record("SCPT", Sub("SCDT", kCode) + Text("end")),
          Record("SCPT", Sub("SCHD", Fixed("cut", 32) + I32(1)) + VarNames({"s"}) + Text("t")),
          Record("SCPT", Schd("z", 1, 0, 0) + Sub("SCVR", "ab") + Text("")),
          Record("SCPT", kSchd + Sub("SCDT", "") + Text("x")),
          Record("SCPT",
                 Schd("u", 1, 0, 0) + Sub("XTRA", "abc") + VarNames({"v"}) + Sub("SCDT", kCode) + Text(""))},
         {}},
        // Any order comes back in the game's, a list before its header included; of a repeated list and
        // header the last ones count; DELE is consumed and not written.
        {"scripts reordered",
         {Record("SCPT", Text("t") + Sub("SCDT", kCode) + VarNames({"v"}) + Schd("o", 1, 0, 0)),
          Record("SCPT", VarNames({"kept"}) + kSchd + Text("")),
          Record("SCPT", VarNames({"a", "x"}) + Schd("r", 1, 0, 0) + VarNames({"b", "c"}) +
                             Schd("r", 2, 0, 0) + Text("")),
          Record("SCPT", kSchd + Dele() + Text("end"), 0x20)},
         {Record("SCPT", Schd("o", 1, 0, 0) + VarNames({"v"}) + Sub("SCDT", kCode) + Text("t")),
          Record("SCPT", kSchd + VarNames({"kept"}) + Text("")),
          Record("SCPT", Schd("r", 2, 0, 0) + VarNames({"b", "c"}) + Text("")),
          Record("SCPT", kSchd + Text("end"), 0x20)}},
        {"a missing text is added to a plugin", {Record("SCPT", kSchd)}, {Record("SCPT", kSchd + Text(""))}},
        {"an empty text stays in a master", {Record("SCPT", kSchd + Text(""))}, {}, kFileTypeMaster},
        {"an empty text leaves a saved game",
         {Record("SCPT", kSchd + Text(""))},
         {Record("SCPT", kSchd)},
         kFileTypeSavedGame},
        {"a text stays in a saved game", {Record("SCPT", kSchd + Text("begin"))}, {}, kFileTypeSavedGame},
        {"saved-game parts in the game's order, the reference last",
         {Record("SCPT",
                 kRnam + kSlfd + Schd("p", 3, 0, 2) + kSlsd + VarNames({"a", "b", "c", "x", "y"}) + kSlcs)},
         {Record("SCPT",
                 Schd("p", 3, 0, 2) + VarNames({"a", "b", "c", "x", "y"}) + kSlcs + kSlsd + kSlfd + kRnam)},
         kFileTypeSavedGame},
        {"values that are not whole are kept whole",
         {Record("SCPT",
                 kSchd + Sub("SLSD", U16(7) + U8(9)) + Sub("SLFD", F32(3.0f) + "\1\2") + Sub("SLSD", ""))},
         {},
         kFileTypeSavedGame},
        // Start scripts: NAME before DATA; a deleted one is DELE first with both strings kept, gets a DELE
        // when flagged deleted and loses one when not; an empty DATA and an unknown subrecord stay.
        {"start scripts",
         {Record("SSCR", kData + kStartName), Record("SSCR", kData + kStartName + Dele(), 0x20),
          Record("SSCR", kStartName + kData, 0x20), Record("SSCR", kStartName + Dele() + kData),
          Record("SSCR", Sub("DATA", "") + kStartName + Sub("XTRA", "") + Sub("DATA", "1"))},
         {Record("SSCR", kStartName + kData), Record("SSCR", Dele() + kStartName + kData, 0x20),
          Record("SSCR", Dele() + kStartName + kData, 0x20), Record("SSCR", kStartName + kData),
          Record("SSCR", Sub("DATA", "") + kStartName + Sub("XTRA", "") + Sub("DATA", "1"))}},
    };
    for (const auto& c : cases) {
        const std::string once = testutil::RoundTrip(File(c.in, c.type), c.type);
        EXPECT_EQ(once, File(c.out.empty() ? c.in : c.out, c.type)) << c.what;
        EXPECT_EQ(testutil::RoundTrip(once, c.type), once) << c.what << ": second round trip";
    }
    RecordStore s;
    testutil::Load(File(cases[0].in, kFileTypeSavedGame), s);
    EXPECT_EQ(s.tblDIAL.at(0).DialType, 128) << "a saved game's topic";
}

TEST(DialogueRecords, ConditionsTakeSlotsInOrderWithOrWithoutOperand) {
    std::string body = ZSub("INAM", "c") + InfoData(0, 0) + Scvr("51sX0", "no operand") +
                       Scvr("03fX2", "int") + Sub("INTV", I32(9)) + Scvr("22fX2", "also none") +
                       Scvr("14fX2", "float") + Sub("FLTV", F32(-1.5f));
    std::string file = File({Dial("t", 0), Record("INFO", body)});
    RecordStore s;
    int32_t count = testutil::Load(file, s);
    const auto& c = s.tblINFO[0].Conditions;
    // The index character does not choose the slot.
    EXPECT_EQ(std::make_tuple(c[0].CondName, c[0].CondIndex, c[0].INTVLen + c[0].FLTVLen, c[1].INTV,
                              c[2].CondName, c[3].FLTV, c[4].SCVRLen),
              std::make_tuple("no operand", "5", 0, 9, "also none", -1.5f, 0));
    EXPECT_EQ(SaveClean(s, count), file);
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
    EXPECT_EQ(back.tblINFO[0].NAME + "|" + back.tblINFO[0].BNAM + "|" + back.tblINFO[1].NAME + "|" +
                  back.tblINFO[1].BNAM + "|" + back.tblINFO[2].NAME + "|" + back.tblINFO[2].BNAM + "|" +
                  back.tblDIAL[0].NAME,
              "new|r||longer result|xyz||");
}

// The one- and two-character pieces of a condition are kept in place; a longer text keeps its first
// characters, and a zero byte read from a damaged file is a character like any other.
TEST(DialogueRecords, ConditionPiecesHoldTheirCharactersExactly) {
    SCVRData c, d;
    c.CondFunction = std::string("s\0", 2);
    d.CondFunction = "abc";
    EXPECT_EQ(std::make_tuple(c.CondFunction == "s", d.CondFunction == "ab", c == d),
              std::make_tuple(false, true, false));
    c.CondFunction = "ab";
    EXPECT_EQ(c, d);
}

// The names are filed by the header's counts, even when the list comes before its header; a round trip
// cannot see this, since the writer joins them again.
TEST(Scripts, VariableNamesAreFiledByType) {
    const SCPTRecord r = testutil::ReadBody(ReadSCPT, VarNames({"sa", "sb", "l", "fx", "fy", "more"}) +
                                                          Schd("counter", 2, 1, 2, 4, 12) + Text("end"));
    EXPECT_EQ(std::make_tuple(r.ShortNames, r.LongNames, r.FloatNames, r.ExtraNames),
              std::make_tuple(std::vector<std::string>{"sa", "sb"}, std::vector<std::string>{"l"},
                              std::vector<std::string>{"fx", "fy"}, std::vector<std::string>{"more"}));
}

// A length that runs far past the file reads only what the file holds, and saves as a well-formed file that
// saves again to the same bytes.
TEST(Scripts, AbsurdLengthsSaveWellFormedAndStable) {
    std::string absurd =
        Header(1) + Record("SCPT", Schd("big", 1, 0, 0) + SubWithSize("SLSD", 0x7FFFFFF0u, "ab") +
                                       SubWithSize("SCVR", 0x7FFFFFF0u, "x"));
    std::string once = testutil::RoundTrip(absurd, kFileTypeSavedGame);
    EXPECT_LT(once.size(), 4 * ByteReader::kMaxPadding) << "only what the file holds";
    EXPECT_EQ(testutil::RoundTrip(once, kFileTypeSavedGame), once);
}
