// Object records (statics, doors, items, containers, body parts, lights, armour, clothing, tools, activators,
// apparatus, ingredients, books, potions) and world records (sounds, regions, land textures, sound
// generators, levelled lists): writer order, value rules, subrecords kept whole, deleted records.
#include <gtest/gtest.h>

#include <tuple>

#include "fixture_builder.h"
#include "records/world.h"
#include "test_util.h"

using namespace vellum;
using namespace fixture;
using testutil::ReadBody;
using testutil::RoundTrip;
using namespace std::string_literals;

namespace {

std::string I16(int16_t v) {
    return U16(static_cast<uint16_t>(v));
}
std::string Bytes(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes) s += static_cast<char>(b);
    return s;
}
// NAME, then `insert`, then MODL and FNAM of an object.
std::string Head(const std::string& id, const std::string& insert = "") {
    return ZSub("NAME", id) + insert + ZSub("MODL", id + ".nif") + ZSub("FNAM", "The " + id);
}
std::string Wpdt(uint32_t flags) {
    return Sub("WPDT", F32(12.5f) + I32(100) + I16(5) + I16(800) + F32(1.25f) + F32(1.0f) + I16(50) +
                           Bytes({1, 2, 3, 4, 5, 6}) + U32(flags));
}
std::string Lhdt(int alpha) {
    return Sub("LHDT", F32(2.f) + I32(7) + I32(-1) + I32(256) + Bytes({10, 20, 30, alpha}) + I32(0x1A));
}
std::string Effect(int16_t id, int pad = 0) {
    return Sub("ENAM", I16(id) + Bytes({4, 255, 2, pad, pad, pad}) + I32(5) + I32(10) + I32(1) + I32(20));
}
std::string Part(int index, const std::string& male, const std::string& female) {
    std::string s = Sub("INDX", U8(static_cast<uint8_t>(index)));
    if (!male.empty()) s += ZSub("BNAM", male);
    if (!female.empty()) s += ZSub("CNAM", female);
    return s;
}
std::string Tool(int32_t third, int32_t fourth) {
    return F32(2.f) + I32(10) + I32(third) + I32(fourth);
}

// One well-formed record of every type, subrecords in the writer's order, tables in the file's order;
// `insert` stands right after every NAME.
std::vector<std::string> Samples(const std::string& insert = "") {
    auto rec = [&](std::string_view tag, const std::string& id, const std::string& rest) {
        return Record(tag, Head(id, insert) + rest);
    };
    return {
        Record("STAT", ZSub("NAME", "rock") + insert + ZSub("MODL", "rock.nif"), 0x2000, 5),
        rec("DOOR", "door", ZSub("SCRI", "doorScript") + ZSub("SNAM", "Door Open") + ZSub("ANAM", "Close")),
        rec("MISC", "misc", Sub("MCDT", F32(0.5f) + I32(3) + I32(-7)) + ZSub("ITEX", "misc.dds")),
        rec("WEAP", "sword", Wpdt(1) + ZSub("SCRI", "swordScript") + ZSub("ENAM", "fireEnch")),
        rec("CONT", "chest",
            Sub("CNDT", F32(100.f)) + Sub("FLAG", U32(8)) + Sub("INDX", I32(3)) + Npco(-2, "apple") +
                Npco(5, std::string("pick\0x", 6))),
        rec("BODY", "body", Sub("BYDT", Bytes({1, 0, 2, 3}))),
        rec("LIGH", "lamp", ZSub("ITEX", "lamp.dds") + Lhdt(0) + ZSub("SNAM", "Fire")),
        rec("ARMO", "helm", Sub("AODT", std::string(24, '\1')) + Part(1, "pauldron_m", "pauldron_f")),
        rec("CLOT", "shirt", Sub("CTDT", I32(8) + F32(1.f) + I16(40) + I16(-2)) + Part(2, "shirt_m", "")),
        rec("REPA", "hammer", Sub("RIDT", Tool(25, 3))),
        rec("ACTI", "lever", ZSub("SCRI", "leverScript")),
        rec("APPA", "mortar", Sub("AADT", I32(0) + F32(1.5f) + F32(3.f) + I32(20))),
        rec("LOCK", "pick", Sub("LKDT", Tool(77, 15))),
        rec("PROB", "probe", Sub("PBDT", Tool(88, 25))),
        rec("INGR", "root", Sub("IRDT", F32(0.1f) + I32(1) + I32(10) + std::string(44, '\xff'))),
        rec("BOOK", "book",
            Sub("BKDT", F32(3.f) + I32(50) + I32(1) + I32(-1) + I32(100)) + Sub("TEXT", "<p>Once upon") +
                ZSub("ENAM", "bookEnch")),
        rec("ALCH", "potion",
            Sub("ALDT", F32(1.f) + I32(40) + I32(1)) + ZSub("TEXT", "p.dds") + Effect(79) + Effect(17)),
    };
}

// A file of one record.
std::string One(std::string_view tag, const std::string& body, uint32_t flags = 0) {
    return File({Record(tag, body, flags)});
}

std::string Snam(std::string_view id, uint8_t chance) {
    return Sub("SNAM", Fixed(id, 32) + U8(chance));
}
std::string Entry(std::string_view entryTag, std::string_view id, int16_t level) {
    return ZSub(entryTag, id) + Sub("INTV", U16(static_cast<uint16_t>(level)));
}

const std::string kName = ZSub("NAME", "n");
const std::string kSoun = ZSub("FNAM", "f.wav") + Sub("DATA", "\1\2\3");
const std::string kRegn = ZSub("FNAM", "R") + Sub("WEAT", std::string(8, '\1')) + Sub("CNAM", "\1\2\3\0"s);
const std::string kList = Sub("DATA", U32(3)) + Sub("NNAM", U8(25)) + Sub("INDX", I32(2));
const std::string kXtra = Sub("XTRA", "kept");

struct WorldCase {
    const char* what;
    std::string in;  // the record as read
    std::string out; // the record as written; empty: as read
};
} // namespace

// The samples come back byte for byte, with unknown subrecords after every NAME too.
TEST(ObjectRecords, EveryTypeRoundTripsByteForByte) {
    for (const std::string& insert : {std::string(), Sub("XXXX", "what") + Sub("YYYY", "")}) {
        const std::string in = File(Samples(insert));
        RecordStore s;
        EXPECT_EQ(testutil::Save(s, testutil::Load(in, s)), in);
        EXPECT_EQ(s.tblBOOK[0].extras.subs.size(), insert.empty() ? 0u : 2u);
    }
}

// Repair tools store the uses first; lock picks and probes the quality (a round trip cannot tell).
TEST(ObjectRecords, ToolsReadQualityAndUsesInTheirOrder) {
    const REPARecord hammer = ReadBody(ReadREPA, Sub("RIDT", Tool(25, 3)));
    const LOCKRecord lock = ReadBody(ReadLOCK, Sub("LKDT", Tool(25, 3)));
    EXPECT_EQ(std::make_tuple(hammer.Quality, hammer.Uses, lock.Quality, lock.Uses),
              std::make_tuple(3, 25, 25, 3));
    EXPECT_EQ(ReadBody(ReadPROB, Sub("PBDT", Tool(25, 3))), lock);
}

// Deleted records are written as the game writes them: NAME and DELE, nothing else; the extras go too.
TEST(ObjectRecords, DeletedRecordsKeepOnlyTheirName) {
    for (const std::string& sample : Samples(Sub("XXXX", "kept?"))) {
        std::string tag = sample.substr(0, 4);
        std::string deleted = One(tag, ZSub("NAME", "gone") + Dele(), 20);
        EXPECT_EQ(RoundTrip(deleted), deleted) << tag;
        std::string name = sample.substr(24, sample.find('\0', 24) - 24);
        EXPECT_EQ(RoundTrip(One(tag, Dele() + sample.substr(16), 0x2020)),
                  One(tag, ZSub("NAME", name) + Dele(), 0x2020))
            << tag;
    }
    // A deleted record that had no DELE gets one; a DELE in a record whose flags do not mark it deleted is
    // dropped.
    EXPECT_EQ(RoundTrip(One("WEAP", ZSub("NAME", "w"), 20)), One("WEAP", ZSub("NAME", "w") + Dele(), 20));
    EXPECT_EQ(RoundTrip(One("STAT", ZSub("NAME", "s") + Dele() + ZSub("MODL", "m"), 19)),
              One("STAT", ZSub("NAME", "s") + ZSub("MODL", "m"), 19));
}

// Records read and written back: the writers' order, value rules, absent subrecords left out (rather than
// written with a size that does not match), and what the layouts do not hold kept whole in its place.
TEST(ObjectAndWorldRecords, AreWrittenAsExpectedAndAgainTheSame) {
    auto chest = [](uint32_t flags) { return Record("CONT", Head("c") + Sub("FLAG", U32(flags))); };
    auto potion = [](int pad) { return Record("ALCH", Head("p") + Effect(3, pad)); };
    const std::string script = ZSub("SCRI", "s"), armo = Head("a") + Sub("AODT", std::string(24, '\1'));
    const std::string aldt = Sub("ALDT", F32(1) + I32(2) + I32(0)),
                      aadt = Sub("AADT", I32(1) + F32(1) + F32(2) + I32(3));
    std::string parts, effects;
    for (int i = 0; i < 9; ++i) parts += Part(i, "m" + std::to_string(i), i % 2 ? "f" : "");
    for (int i = 0; i < 10; ++i) effects += Effect(static_cast<int16_t>(i));
    std::vector<WorldCase> cases = {
        // The bytes of a flag word above its first, a light's alpha byte and an effect's padding are not
        // kept.
        {"weapon and container flags, light alpha, effect padding",
         Record("WEAP", Head("w") + Wpdt(0xABCDEF05)) + chest(0x12345609) +
             Record("LIGH", Head("l") + Lhdt(0x7F)) + potion(0xEE),
         Record("WEAP", Head("w") + Wpdt(0x05)) + chest(0x09) + Record("LIGH", Head("l") + Lhdt(0)) +
             potion(0)},
        // Writer order: a male part name first, clothing, apparatus, and for potions the order the game's
        // own editor uses; effects fill their slots across the record.
        {"writer order",
         Record("ARMO", armo + Sub("INDX", U8(4)) + ZSub("CNAM", "f") + ZSub("BNAM", "m")) +
             Record("CLOT",
                    ZSub("ENAM", "e") + Head("c") + Sub("CTDT", I32(1) + F32(1) + I16(2) + I16(3)) + script) +
             Record("APPA", Head("a") + aadt + ZSub("ITEX", "i") + script) +
             Record("ALCH", ZSub("NAME", "p") + ZSub("MODL", "m") + ZSub("TEXT", "p.dds") + Effect(1) +
                                script + ZSub("FNAM", "f") + aldt + Effect(2)),
         Record("ARMO", armo + Part(4, "m", "f")) +
             Record("CLOT",
                    Head("c") + script + Sub("CTDT", I32(1) + F32(1) + I16(2) + I16(3)) + ZSub("ENAM", "e")) +
             Record("APPA", Head("a") + script + aadt + ZSub("ITEX", "i")) +
             Record("ALCH", ZSub("NAME", "p") + ZSub("MODL", "m") + ZSub("FNAM", "f") + aldt + script +
                                ZSub("TEXT", "p.dds") + Effect(1) + Effect(2))},
        {"door without its strings, weapon without model and data, container without data, light without "
         "model",
         Record("DOOR", Head("door")) +
             Record("WEAP", ZSub("NAME", "w") + ZSub("FNAM", "f") + ZSub("ITEX", "i")) +
             Record("CONT", Head("c") + Sub("FLAG", U32(0))) + Record("LIGH", ZSub("NAME", "l") + Lhdt(0)),
         ""},
        {"a repeated subrecord keeps its later value",
         Record("MISC", ZSub("FNAM", "old name") + Head("m") + Sub("MCDT", std::string(12, '\1')) +
                            Sub("MCDT", std::string(12, '\3'))),
         Record("MISC", Head("m") + Sub("MCDT", std::string(12, '\3')))},
        {"parts beyond the seventh slot", Record("ARMO", armo + parts + ZSub("ENAM", "e")), ""},
        {"effects beyond the eighth slot", Record("ALCH", Head("p") + aldt + effects), ""},
        {"sound in any order, a string of size 0 gets its terminator",
         Record("SOUN", Sub("DATA", "\1\2\3") + ZSub("FNAM", "f.wav") + kName) +
             Record("SOUN", kName + Sub("FNAM", "")),
         Record("SOUN", kName + kSoun) + Record("SOUN", kName + ZSub("FNAM", ""))},
        {"sounds without data or file, an unknown subrecord in its place, data of another length kept whole",
         Record("SOUN", kName + ZSub("FNAM", "f.wav")) + Record("SOUN", kName + Sub("DATA", "\1\1\1")) +
             Record("SOUN", kName + kXtra + kSoun) +
             Record("SOUN", kName + Sub("DATA", "\5\6") + ZSub("FNAM", "f")),
         ""},
        {"colour filler written as zero, every run of sounds kept",
         Record("REGN", kName + ZSub("FNAM", "R") + Sub("CNAM", "\1\2\3\xff")) +
             Record("REGN", kName + Snam("a", 1) + Snam("b", 2) + ZSub("BNAM", "c") + Snam("last", 3)),
         Record("REGN", kName + ZSub("FNAM", "R") + Sub("CNAM", "\1\2\3\0"s)) +
             Record("REGN", kName + ZSub("BNAM", "c") + Snam("a", 1) + Snam("b", 2) + Snam("last", 3))},
        {"region without weather or colour, empty weather kept whole",
         Record("REGN", kName + ZSub("FNAM", "Dry")) + Record("REGN", kName + Sub("WEAT", "") + kRegn), ""},
        {"colour and sound of other lengths are kept whole",
         Record("REGN", kName + kRegn + Sub("CNAM", "\1\2\3") + Sub("SNAM", "short") + Sub("WNAM", U16(1))),
         ""},
        {"land texture without number", Record("LTEX", kName + ZSub("DATA", "t.tga")), ""},
        {"sound generators: sound before creature, flag word cleared; one without creature",
         Record("SNDG", kName + Sub("DATA", U32(0x01020307)) + ZSub("CNAM", "guar") + ZSub("SNAM", "Fall")) +
             Record("SNDG", kName + Sub("DATA", U32(2)) + ZSub("SNAM", "s")),
         Record("SNDG", kName + Sub("DATA", U32(7)) + ZSub("SNAM", "Fall") + ZSub("CNAM", "guar")) +
             Record("SNDG", kName + Sub("DATA", U32(2)) + ZSub("SNAM", "s"))},
        {"creature list: CNAM entries, game order, flag word cleared",
         Record("LEVC", Sub("NNAM", U8(0)) + kName + Sub("DATA", U32(0xFFFFFF01)) + Sub("INDX", I32(2)) +
                            Entry("CNAM", "rat", 1) + Entry("CNAM", "kagouti", 4)),
         Record("LEVC", kName + Sub("DATA", U32(1)) + Sub("NNAM", U8(0)) + Sub("INDX", I32(2)) +
                            Entry("CNAM", "rat", 1) + Entry("CNAM", "kagouti", 4))},
        {"an item entry in a creature list is kept whole", Record("LEVC", kName + Entry("INAM", "x", 1)), ""},
        {"entries without level, an entry name of size 0 keeps the entry",
         Record("LEVI", kName + ZSub("INAM", "nolevel") + Entry("INAM", "b", 2) + ZSub("INAM", "tail") +
                            Sub("INDX", I32(3))) +
             Record("LEVI", kName + Sub("INAM", "") + Sub("INTV", U16(4))),
         Record("LEVI", kName + Sub("INDX", I32(3)) + ZSub("INAM", "nolevel") + Entry("INAM", "b", 2) +
                            ZSub("INAM", "tail")) +
             Record("LEVI", kName + Entry("INAM", "", 4))},
        {"list parts and levels of other lengths are kept whole",
         Record("LEVI", kName + Sub("NNAM", U32(0xFF33)) + Sub("DATA", U16(2)) + Entry("INAM", "x", 1) +
                            Sub("INTV", I32(9)) + ZSub("INAM", "y") + Sub("INTV", I32(9)) + kXtra),
         ""},
    };
    // A data subrecord of another length than its layout's is kept whole in its place, its fields stay absent
    // (no default one is written beside it), and a part name after a kept INDX is kept with it.
    const struct {
        const char *record, *data;
        size_t bytes;
    } layouts[] = {{"MISC", "MCDT", 12}, {"WEAP", "WPDT", 32}, {"CONT", "CNDT", 4},  {"CONT", "FLAG", 4},
                   {"CONT", "INDX", 4},  {"CONT", "NPCO", 36}, {"BODY", "BYDT", 4},  {"LIGH", "LHDT", 24},
                   {"ARMO", "AODT", 24}, {"ARMO", "INDX", 1},  {"CLOT", "CTDT", 12}, {"CLOT", "INDX", 1},
                   {"REPA", "RIDT", 16}, {"LOCK", "LKDT", 16}, {"PROB", "PBDT", 16}, {"APPA", "AADT", 16},
                   {"INGR", "IRDT", 56}, {"BOOK", "BKDT", 20}, {"ALCH", "ALDT", 12}, {"ALCH", "ENAM", 24}};
    for (const auto& l : layouts)
        for (size_t n : {l.bytes - 1, l.bytes + 1})
            cases.push_back(
                {l.data, Record(l.record, Head("x", Sub(l.data, std::string(n, '\7')) + ZSub("BNAM", "b"))),
                 ""});
    // A deleted world record is its NAME and DELE: its data, kept subrecords included, is dropped.
    for (const auto& [tag, rest] : std::vector<std::pair<std::string, std::string>>{
             {"SOUN", kSoun},
             {"REGN", kRegn},
             {"LTEX", Sub("INTV", I32(1)) + ZSub("DATA", "x.tga")},
             {"SNDG", Sub("DATA", U32(1)) + ZSub("SNAM", "s")},
             {"LEVI", kList + Entry("INAM", "i", 1)},
             {"LEVC", kList + Entry("CNAM", "c", 1)}})
        cases.push_back(
            {"deleted", Record(tag, kName + rest + kXtra + Dele(), 0x20), Record(tag, kName + Dele(), 0x20)});
    for (const WorldCase& c : cases) {
        // A row may hold several records: the header announces as many as the saved file holds.
        const std::string once = testutil::RoundTrip(File({c.in}));
        const std::string& out = c.out.empty() ? c.in : c.out;
        int32_t n = 0;
        for (size_t at = 0; at + 8 <= out.size(); ++n)
            at += 16 + uint8_t(out[at + 4]) + 256u * uint8_t(out[at + 5]);
        const std::string want = Header(n) + out;
        EXPECT_EQ(once, want) << c.what;
        EXPECT_EQ(testutil::RoundTrip(once), once) << c.what << ": second round trip";
    }
    // An entry keeps the lengths of the file: the name counted with its zero, a level of 2 bytes.
    EXPECT_EQ(testutil::ReadBody(ReadLEVI, Entry("INAM", "b", 2)).Items,
              (std::vector<LevelledItemData>{{2, "b", 2, 2}}));
}
