// Object records (statics, doors, items, containers, body parts, lights, armour, clothing, tools, activators,
// apparatus, ingredients, books, potions): fields, writer order, normalisations, deleted records, damaged
// input and the shared sample plugin.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "fixture_builder.h"
#include "test_util.h"

using namespace vellum;
using namespace fixture;

namespace {

// Calls f(tag, table) for every object table of the store.
template <class F> void ForEachObjectTable(F&& f) {
    f("STAT", &RecordStore::tblSTAT);
    f("DOOR", &RecordStore::tblDOOR);
    f("MISC", &RecordStore::tblMISC);
    f("WEAP", &RecordStore::tblWEAP);
    f("CONT", &RecordStore::tblCONT);
    f("BODY", &RecordStore::tblBODY);
    f("LIGH", &RecordStore::tblLIGH);
    f("ARMO", &RecordStore::tblARMO);
    f("CLOT", &RecordStore::tblCLOT);
    f("REPA", &RecordStore::tblREPA);
    f("ACTI", &RecordStore::tblACTI);
    f("APPA", &RecordStore::tblAPPA);
    f("LOCK", &RecordStore::tblLOCK);
    f("PROB", &RecordStore::tblPROB);
    f("INGR", &RecordStore::tblINGR);
    f("BOOK", &RecordStore::tblBOOK);
    f("ALCH", &RecordStore::tblALCH);
}

bool SameObjects(const RecordStore& a, const RecordStore& b) {
    bool same = true;
    ForEachObjectTable([&](const char*, auto table) { same = same && a.*table == b.*table; });
    return same;
}

std::string I16(int16_t v) {
    return U16(static_cast<uint16_t>(v));
}
std::string Bytes(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes) s += static_cast<char>(b);
    return s;
}
// NAME, MODL and FNAM of an object.
std::string Head(const std::string& id) {
    return ZSub("NAME", id) + ZSub("MODL", id + ".nif") + ZSub("FNAM", "The " + id);
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
std::string Npco(int32_t count, std::string_view id) {
    return Sub("NPCO", I32(count) + Fixed(id, 32));
}
std::string Part(int index, const std::string& male, const std::string& female) {
    std::string s = Sub("INDX", U8(static_cast<uint8_t>(index)));
    if (!male.empty()) s += ZSub("BNAM", male);
    if (!female.empty()) s += ZSub("CNAM", female);
    return s;
}

// One well-formed record of every type, subrecords in the writer's order, tables in the file's order.
std::vector<std::string> Samples() {
    return {
        Record("STAT", ZSub("NAME", "rock") + ZSub("MODL", "rock.nif"), 0x2000, 5),
        Record("DOOR", Head("door") + ZSub("SCRI", "doorScript") + ZSub("SNAM", "Door Open") +
                           ZSub("ANAM", "Door Close")),
        Record("MISC", Head("misc") + Sub("MCDT", F32(0.5f) + I32(3) + I32(-7)) + ZSub("SCRI", "miscScript") +
                           ZSub("ITEX", "misc.dds")),
        Record("WEAP", Head("sword") + Wpdt(1) + ZSub("SCRI", "swordScript") + ZSub("ITEX", "sword.dds") +
                           ZSub("ENAM", "fireEnch")),
        Record("CONT", Head("chest") + Sub("CNDT", F32(100.f)) + Sub("FLAG", U32(8)) + Sub("INDX", I32(3)) +
                           ZSub("SCRI", "chestScript") + Npco(1, "gold_001") + Npco(-2, "apple") +
                           Npco(5, std::string("pick\0x", 6))),
        Record("BODY", Head("body") + Sub("BYDT", Bytes({1, 0, 2, 3}))),
        Record("LIGH", Head("lamp") + ZSub("ITEX", "lamp.dds") + Lhdt(0) + ZSub("SCRI", "lampScript") +
                           ZSub("SNAM", "Fire")),
        Record("ARMO", Head("helm") + ZSub("SCRI", "helmScript") +
                           Sub("AODT", I32(1) + F32(5.f) + I32(50) + I32(300) + I32(20) + I32(15)) +
                           ZSub("ITEX", "helm.dds") + Part(0, "helm_m", "") +
                           Part(1, "pauldron_m", "pauldron_f") + ZSub("ENAM", "shieldEnch")),
        Record("CLOT", Head("shirt") + ZSub("SCRI", "shirtScript") +
                           Sub("CTDT", I32(8) + F32(1.f) + I16(40) + I16(-2)) + ZSub("ITEX", "shirt.dds") +
                           Part(2, "shirt_m", "shirt_f") + ZSub("ENAM", "shirtEnch")),
        Record("REPA", Head("hammer") + Sub("RIDT", F32(2.f) + I32(10) + I32(25) + I32(3)) +
                           ZSub("SCRI", "hammerScript") + ZSub("ITEX", "hammer.dds")),
        Record("ACTI", Head("lever") + ZSub("SCRI", "leverScript")),
        Record("APPA", Head("mortar") + ZSub("SCRI", "mortarScript") +
                           Sub("AADT", I32(0) + F32(1.5f) + F32(3.f) + I32(20)) + ZSub("ITEX", "mortar.dds")),
        Record("LOCK", Head("pick") + Sub("LKDT", F32(0.25f) + I32(20) + I32(77) + I32(15)) +
                           ZSub("SCRI", "pickScript") + ZSub("ITEX", "pick.dds")),
        Record("PROB", Head("probe") + Sub("PBDT", F32(0.5f) + I32(30) + I32(88) + I32(25)) +
                           ZSub("SCRI", "probeScript") + ZSub("ITEX", "probe.dds")),
        Record("INGR",
               Head("root") +
                   Sub("IRDT", F32(0.1f) + I32(1) + I32(10) + I32(-1) + I32(-1) + I32(-1) + I32(-1) + I32(4) +
                                   I32(-1) + I32(-1) + I32(-1) + I32(-1) + I32(6) + I32(-1)) +
                   ZSub("SCRI", "rootScript") + ZSub("ITEX", "root.dds")),
        Record("BOOK", Head("book") + Sub("BKDT", F32(3.f) + I32(50) + I32(1) + I32(-1) + I32(100)) +
                           ZSub("SCRI", "bookScript") + ZSub("ITEX", "book.dds") +
                           Sub("TEXT", "<p>Once upon") + ZSub("ENAM", "bookEnch")),
        Record("ALCH", Head("potion") + Sub("ALDT", F32(1.f) + I32(40) + I32(1)) +
                           ZSub("SCRI", "potionScript") + ZSub("TEXT", "potion.dds") + Effect(79) +
                           Effect(17)),
    };
}

// Load, save with the size check, and return the bytes written.
std::string SaveChecked(const std::string& in, RecordStore& s, uint64_t expectedRepairs = 0) {
    int32_t n = testutil::Load(in, s);
    uint64_t repairs = 99;
    std::string out = testutil::Save(s, n, 0, &repairs);
    EXPECT_EQ(repairs, expectedRepairs);
    return out;
}
std::string SaveChecked(const std::string& in, uint64_t expectedRepairs = 0) {
    RecordStore s;
    return SaveChecked(in, s, expectedRepairs);
}

} // namespace

TEST(ObjectRecords, EveryTypeRoundTripsByteForByte) {
    std::string in = File(Samples());
    RecordStore s;
    std::string out = SaveChecked(in, s);
    EXPECT_EQ(out, in);
    RecordStore again;
    EXPECT_EQ(SaveChecked(out, again), out);
    EXPECT_TRUE(SameObjects(s, again));
    ForEachObjectTable([&](const char* tag, auto table) { EXPECT_EQ((s.*table).size(), 1u) << tag; });
}

TEST(ObjectRecords, FieldsLandWhereTheyBelong) {
    RecordStore s;
    testutil::Load(File(Samples()), s);
    EXPECT_EQ(s.tblSTAT[0].Header1, 5);
    EXPECT_EQ(s.tblSTAT[0].Flags, 0x2000);
    EXPECT_EQ(s.tblSTAT[0].NAMELen, 5);
    EXPECT_EQ(s.tblSTAT[0].NAME, "rock");
    EXPECT_EQ(s.tblDOOR[0].ANAM, "Door Close");

    const WEAPRecord& w = s.tblWEAP[0];
    EXPECT_EQ(w.WPDTLen, 32);
    EXPECT_EQ(w.Weight, 12.5f);
    EXPECT_EQ(w.Value, 100);
    EXPECT_EQ(w.WeaponType, 5);
    EXPECT_EQ(w.Health, 800);
    EXPECT_EQ(w.Speed, 1.25f);
    EXPECT_EQ(w.EnchantPoints, 50);
    EXPECT_EQ(std::vector<int>({w.ChopMin, w.ChopMax, w.SlashMin, w.SlashMax, w.ThrustMin, w.ThrustMax}),
              std::vector<int>({1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(w.WeaponFlags, 1);
    EXPECT_EQ(w.ENAM, "fireEnch");

    const CONTRecord& c = s.tblCONT[0];
    EXPECT_EQ(c.Weight, 100.f);
    EXPECT_EQ(c.ContainerFlags, 8);
    EXPECT_EQ(c.INDX, 3);
    ASSERT_EQ(c.Items.size(), 3u);
    EXPECT_EQ(c.Items[1].Count, -2);
    EXPECT_EQ(c.Items[2].ItemID, Fixed(std::string("pick\0x", 6), 32)) << "32 characters, zero bytes kept";

    const LIGHRecord& l = s.tblLIGH[0];
    EXPECT_EQ(std::vector<int>({l.Red, l.Green, l.Blue}), std::vector<int>({10, 20, 30}));
    EXPECT_EQ(l.LightFlags, 0x1A);
    EXPECT_EQ(l.Radius, 256);

    const ARMORecord& a = s.tblARMO[0];
    EXPECT_EQ(a.ArmorRating, 15);
    EXPECT_EQ(a.Parts[0].BNAM, std::string("helm_m\0", 7)) << "part names keep their terminator";
    EXPECT_EQ(a.Parts[0].CNAMLen, 0);
    EXPECT_EQ(a.Parts[1].PartIndex, 1);
    EXPECT_EQ(a.Parts[1].CNAM, std::string("pauldron_f\0", 11));
    EXPECT_EQ(a.Parts[2].INDXLen, 0);
    EXPECT_EQ(s.tblCLOT[0].EnchantPoints, -2);

    EXPECT_EQ(s.tblREPA[0].Uses, 25) << "repair tools store the uses first";
    EXPECT_EQ(s.tblREPA[0].Quality, 3);
    EXPECT_EQ(s.tblLOCK[0].Quality, 77);
    EXPECT_EQ(s.tblLOCK[0].Uses, 15);
    EXPECT_EQ(s.tblPROB[0].DataLen, 16);
    EXPECT_EQ(s.tblAPPA[0].Quality, 1.5f);
    EXPECT_EQ(s.tblINGR[0].EffectID, (std::array<int32_t, 4>{10, -1, -1, -1}));
    EXPECT_EQ(s.tblINGR[0].SkillID, (std::array<int32_t, 4>{-1, 4, -1, -1}));
    EXPECT_EQ(s.tblINGR[0].AttributeID, (std::array<int32_t, 4>{-1, -1, 6, -1}));

    EXPECT_EQ(s.tblBOOK[0].TEXTLen, 12);
    EXPECT_EQ(s.tblBOOK[0].TEXT, "<p>Once upon");
    const ALCHRecord& p = s.tblALCH[0];
    EXPECT_EQ(p.TEXT, "potion.dds");
    EXPECT_EQ(p.Effects[1].EffectID, 17);
    EXPECT_EQ(p.Effects[1].AttributeID, 255);
    EXPECT_EQ(p.Effects[1].MagnitudeMax, 20);
    EXPECT_EQ(p.Effects[2].ENAMLen, 0);
}

TEST(ObjectRecords, FlagWordsAndAlphaAreWrittenWithTheirUnkeptBytesCleared) {
    auto weapon = [](uint32_t flags) { return File({Record("WEAP", Head("w") + Wpdt(flags))}); };
    EXPECT_EQ(SaveChecked(weapon(0xABCDEF05)), weapon(0x05));
    auto chest = [](uint32_t flags) {
        return File({Record("CONT", Head("c") + Sub("CNDT", F32(1)) + Sub("FLAG", U32(flags)))});
    };
    EXPECT_EQ(SaveChecked(chest(0x12345609)), chest(0x09));
    auto lamp = [](int alpha) { return File({Record("LIGH", Head("l") + Lhdt(alpha))}); };
    EXPECT_EQ(SaveChecked(lamp(0x7F)), lamp(0));
    auto potion = [](int pad) {
        return File({Record("ALCH", Head("p") + Sub("ALDT", F32(1) + I32(1) + I32(0)) + Effect(3, pad))});
    };
    EXPECT_EQ(SaveChecked(potion(0xEE)), potion(0));
}

TEST(ObjectRecords, SubrecordsAreWrittenInTheWritersOrder) {
    std::string aadt = Sub("AADT", I32(1) + F32(1) + F32(2) + I32(3));
    EXPECT_EQ(SaveChecked(File({Record("APPA", Head("a") + aadt + ZSub("ITEX", "i") + ZSub("SCRI", "s"))})),
              File({Record("APPA", Head("a") + ZSub("SCRI", "s") + aadt + ZSub("ITEX", "i"))}));
    std::string ctdt = Sub("CTDT", I32(1) + F32(1) + I16(2) + I16(3));
    EXPECT_EQ(SaveChecked(File({Record("CLOT", ZSub("ENAM", "e") + Head("c") + ctdt + ZSub("SCRI", "s"))})),
              File({Record("CLOT", Head("c") + ZSub("SCRI", "s") + ctdt + ZSub("ENAM", "e"))}));
    // The order the game's own editor uses for potions.
    std::string aldt = Sub("ALDT", F32(1) + I32(2) + I32(0));
    std::string icon = ZSub("TEXT", "p.dds"), script = ZSub("SCRI", "s");
    EXPECT_EQ(SaveChecked(File({Record("ALCH", ZSub("NAME", "p") + ZSub("MODL", "m") + icon + script +
                                                   ZSub("FNAM", "f") + aldt + Effect(1))})),
              File({Record("ALCH", ZSub("NAME", "p") + ZSub("MODL", "m") + ZSub("FNAM", "f") + aldt + script +
                                       icon + Effect(1))}));
    // Within a part the male name comes first.
    std::string armo = Head("a") + Sub("AODT", std::string(24, '\1'));
    EXPECT_EQ(SaveChecked(
                  File({Record("ARMO", armo + Sub("INDX", U8(4)) + ZSub("CNAM", "f") + ZSub("BNAM", "m"))})),
              File({Record("ARMO", armo + Part(4, "m", "f"))}));
}

TEST(ObjectRecords, OptionalSubrecordsAndItemsAreLeftOutWhenAbsent) {
    std::string door = File({Record("DOOR", Head("door"))});
    EXPECT_EQ(SaveChecked(door), door) << "no SCRI, SNAM or ANAM";
    std::string chest = File({Record("CONT", Head("c") + Sub("CNDT", F32(1)) + Sub("FLAG", U32(0)))});
    RecordStore s;
    EXPECT_EQ(SaveChecked(chest, s), chest) << "no NPCO";
    EXPECT_TRUE(s.tblCONT[0].Items.empty());
}

TEST(ObjectRecords, BookTextKeepsItsLengthAndHasNoTerminator) {
    std::string text(1000, 'a');
    text[999] = 'z';
    std::string in =
        File({Record("BOOK", Head("b") + Sub("BKDT", std::string(20, '\0')) + Sub("TEXT", text))});
    RecordStore s;
    std::string out = SaveChecked(in, s);
    EXPECT_EQ(out, in);
    EXPECT_EQ(s.tblBOOK[0].TEXTLen, 1000);
    EXPECT_EQ(s.tblBOOK[0].TEXT, text);
}

TEST(ObjectRecords, DeletedRecordsKeepOnlyTheirName) {
    for (const std::string& sample : Samples()) {
        std::string tag = sample.substr(0, 4);
        std::string deleted = File({Record(tag, ZSub("NAME", "gone") + Dele(), 20)});
        EXPECT_EQ(SaveChecked(deleted), deleted) << tag;
        // Decision: the reader takes the subrecords that a deleted record does not write back off its Size.
        EXPECT_EQ(
            SaveChecked(File({Record(tag, Dele() + sample.substr(16), 0x2020)})),
            File({Record(tag, ZSub("NAME", sample.substr(24, sample.find('\0', 24) - 24)) + Dele(), 0x2020)}))
            << tag;
    }
    // A deleted record that had no DELE gets one, and its Size grows with it.
    EXPECT_EQ(SaveChecked(File({Record("WEAP", ZSub("NAME", "w"), 20)})),
              File({Record("WEAP", ZSub("NAME", "w") + Dele(), 20)}));
    // Decision: a DELE in a record whose flags do not mark it deleted is dropped, and its bytes with it.
    EXPECT_EQ(SaveChecked(File({Record("STAT", ZSub("NAME", "s") + Dele() + ZSub("MODL", "m"), 19)})),
              File({Record("STAT", ZSub("NAME", "s") + ZSub("MODL", "m"), 19)}));
}

// Decision: parts beyond the seventh and effects beyond the eighth are read and dropped, and the record's
// Size loses their bytes, so that the file written stays consistent.
TEST(ObjectRecords, PartsAndEffectsBeyondTheSlotsAreDropped) {
    std::string armo = Head("a") + Sub("AODT", std::string(24, '\2'));
    std::string parts;
    for (int i = 0; i < 7; ++i) parts += Part(i, "m" + std::to_string(i), i % 2 ? "f" : "");
    RecordStore s;
    EXPECT_EQ(
        SaveChecked(File({Record("ARMO", armo + parts + Part(7, "extra_m", "extra_f") + ZSub("ENAM", "e"))}),
                    s),
        File({Record("ARMO", armo + parts + ZSub("ENAM", "e"))}));
    EXPECT_EQ(s.tblARMO[0].Parts[6].BNAM, std::string("m6\0", 3));
    EXPECT_EQ(s.tblARMO[0].ENAM, "e") << "reading goes on after the dropped part";

    std::string alch = Head("p") + Sub("ALDT", F32(1) + I32(2) + I32(0));
    std::string effects;
    for (int i = 0; i < 8; ++i) effects += Effect(static_cast<int16_t>(i));
    EXPECT_EQ(SaveChecked(File({Record("ALCH", alch + effects + Effect(99) + Effect(98))}), s),
              File({Record("ALCH", alch + effects)}));
    EXPECT_EQ(s.tblALCH[0].Effects[7].EffectID, 7);
}

// Decision: a record without MODL or without its data subrecord is written without them, instead of with a
// subrecord whose size does not match its contents; nothing is taken off Size since nothing was there.
TEST(ObjectRecords, MissingModelOrDataSubrecordIsLeftOut) {
    std::string weapon = File({Record("WEAP", ZSub("NAME", "w") + ZSub("FNAM", "f") + ZSub("ITEX", "i"))});
    RecordStore s;
    EXPECT_EQ(SaveChecked(weapon, s), weapon);
    EXPECT_EQ(s.tblWEAP[0].MODLLen, 0);
    EXPECT_EQ(s.tblWEAP[0].WPDTLen, 0);
    std::string light = File({Record("LIGH", ZSub("NAME", "l") + Lhdt(0))});
    EXPECT_EQ(SaveChecked(light), light);
}

// Decision: a subrecord that comes twice keeps the later value, and an empty string subrecord (size 0) counts
// as absent; the bytes that are not written back are taken off Size.
TEST(ObjectRecords, RepeatedAndEmptySubrecordsAreNotWrittenTwice) {
    RecordStore s;
    EXPECT_EQ(SaveChecked(File({Record("MISC", ZSub("FNAM", "old name") + Head("m") + Sub("ITEX", "") +
                                                   Sub("MCDT", std::string(12, '\1')) +
                                                   Sub("MCDT", std::string(12, '\3')))}),
                          s),
              File({Record("MISC", Head("m") + Sub("MCDT", std::string(12, '\3')))}));
    EXPECT_EQ(s.tblMISC[0].FNAM, "The m");
    EXPECT_EQ(s.tblMISC[0].ITEXLen, 0);
}

// Decision: effects and parts fill the next free slot for the whole record, even when other subrecords come
// between them.
TEST(ObjectRecords, SlotCounterRunsForTheWholeRecord) {
    std::string aldt = Sub("ALDT", F32(1) + I32(2) + I32(0));
    RecordStore s;
    EXPECT_EQ(
        SaveChecked(File({Record("ALCH", Head("p") + Effect(1) + aldt + Effect(2) + ZSub("SCRI", "s"))}), s),
        File({Record("ALCH", Head("p") + aldt + ZSub("SCRI", "s") + Effect(1) + Effect(2))}));
    EXPECT_EQ(s.tblALCH[0].Effects[1].EffectID, 2);
}

TEST(ObjectRecords, DataSubrecordIsReadByItsLayoutWhateverItsSizeSays) {
    // BYDT claims 8 bytes but holds 4: the reader takes 4 and goes on with FNAM.
    RecordStore s;
    std::string out = SaveChecked(
        File({Record("BODY", ZSub("NAME", "b") + ZSub("MODL", "m") +
                                 SubWithSize("BYDT", 8, Bytes({1, 2, 3, 4})) + ZSub("FNAM", "f"))}),
        s);
    EXPECT_EQ(out, File({Record("BODY", ZSub("NAME", "b") + ZSub("MODL", "m") + ZSub("FNAM", "f") +
                                            Sub("BYDT", Bytes({1, 2, 3, 4})))}));
    EXPECT_EQ(s.tblBODY[0].BYDTLen, 8) << "the stored length is kept as read";
    EXPECT_EQ(s.tblBODY[0].PartType, 4);
}

TEST(ObjectRecords, EveryCutOfAFileSavesWellFormedAndStable) {
    std::string full = File(Samples());
    for (size_t n = 1; n < full.size(); ++n) {
        std::string once = testutil::RoundTrip(full.substr(0, n));
        ASSERT_EQ(testutil::RoundTrip(once), once) << "cut at " << n;
    }
}

TEST(ObjectRecords, DamagedBytesNeverBreakTheFileWritten) {
    const std::string full = File(Samples());
    std::mt19937 rng(20240601);
    for (int round = 0; round < 3000; ++round) {
        std::string bytes = full;
        for (int k = 0; k < 4; ++k) bytes[rng() % bytes.size()] = static_cast<char>(rng());
        RecordStore s;
        int32_t n = testutil::Load(bytes, s);
        testutil::Save(s, n); // checks that the result is well-formed
        if (HasFailure()) {
            ADD_FAILURE() << "round " << round;
            return;
        }
    }
}

namespace {

// The subrecords of every object record of a file, keyed by tag and NAME, sorted.
std::map<std::string, std::vector<std::string>> ObjectSubrecords(const std::string& file) {
    static const std::string tags =
        "STAT DOOR MISC WEAP CONT BODY LIGH ARMO CLOT REPA ACTI APPA LOCK PROB INGR BOOK ALCH";
    std::map<std::string, std::vector<std::string>> out;
    auto u32 = [&](size_t at) {
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(file[at + i]);
        return v;
    };
    for (size_t pos = 0; pos + 16 <= file.size(); pos += 16 + u32(pos + 4)) {
        std::string tag = file.substr(pos, 4);
        if (tags.find(tag) == std::string::npos) continue;
        std::vector<std::string> subs{file.substr(pos, 16)};
        std::string name;
        for (size_t sub = pos + 16; sub < pos + 16 + u32(pos + 4); sub += 8 + u32(sub + 4)) {
            subs.push_back(file.substr(sub, 8 + u32(sub + 4)));
            if (file.compare(sub, 4, "NAME") == 0) name = subs.back();
        }
        std::sort(subs.begin() + 1, subs.end());
        out[tag + name] = subs;
    }
    return out;
}

} // namespace

TEST(ObjectRecords, SharedPluginReadsAndWritesBackTheSameSubrecords) {
    std::string in = testutil::ReadFile(testutil::SharedFixture("all_types.esp"));
    ASSERT_FALSE(in.empty());
    RecordStore s;
    int32_t n = testutil::Load(in, s);
    ForEachObjectTable([&](const char* tag, auto table) {
        EXPECT_FALSE((s.*table).empty()) << tag;
        for (const auto& rec : s.*table) {
            EXPECT_FALSE(rec.NAME.empty()) << tag;
            EXPECT_EQ(rec.NAMELen, static_cast<int32_t>(rec.NAME.size()) + 1) << tag;
            EXPECT_GT(rec.MODLLen, 1) << tag << " " << rec.NAME;
        }
    });
    EXPECT_EQ(s.tblWEAP[0].WPDTLen, 32);
    EXPECT_EQ(s.tblINGR[0].IRDTLen, 56);
    EXPECT_EQ(s.tblLIGH[0].LHDTLen, 24);
    EXPECT_FALSE(s.tblCONT[0].Items.empty());
    EXPECT_NE(s.tblARMO[0].Parts[0].INDXLen, 0);
    EXPECT_NE(s.tblALCH[0].Effects[0].ENAMLen, 0);

    std::string out = testutil::Save(s, n);
    RecordStore again;
    testutil::Load(out, again);
    EXPECT_TRUE(SameObjects(s, again));
    auto before = ObjectSubrecords(in), after = ObjectSubrecords(out);
    EXPECT_EQ(before.size(), 37u) << "two of each type, five body parts";
    EXPECT_TRUE(before == after) << "every object record holds the same header and subrecords";
}
