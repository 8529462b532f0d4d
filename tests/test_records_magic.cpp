// Magic effects, spells and enchantments: layouts, the eight effect slots, the writers' fixed order and
// the bytes they always write as zeros.
#include <gtest/gtest.h>

#include "fixture_builder.h"
#include "records/magic.h"
#include "test_util.h"

using namespace vellum;
using namespace fixture;

namespace {

// One effect; the three bytes after Range are given so that tests can put garbage there.
std::string Enam(int16_t id, uint8_t range = 1, std::string_view pad = std::string_view("\0\0\0", 3)) {
    return Sub("ENAM", U16(static_cast<uint16_t>(id)) + U8(0xFF) + U8(3) + U8(range) + std::string(pad) +
                           I32(1) + I32(2) + I32(3) + I32(4));
}
std::string Medt() {
    return Sub("MEDT", I32(4) + F32(1.5f) + I32(0x600) + I32(5) + I32(6) + I32(7) + F32(3) + F32(2) + F32(4));
}
std::string Spell(std::string_view effects, uint32_t flagsWord = 7, uint32_t flags = 0) {
    return Record("SPEL",
                  ZSub("NAME", "spell") + ZSub("FNAM", "Spell") +
                      Sub("SPDT", I32(1) + I32(21) + U32(flagsWord)) + std::string(effects),
                  flags);
}
std::string Ench(std::string_view effects, uint32_t autoCalcWord = 1) {
    return Record("ENCH", ZSub("NAME", "ench") +
                              Sub("ENDT", I32(2) + I32(10) + I32(100) + U32(autoCalcWord)) +
                              std::string(effects));
}

void ExpectSavedAs(const std::string& in, const std::string& expected) {
    RecordStore s;
    int32_t count = testutil::Load(in, s);
    uint64_t repairs = 99;
    std::string out = testutil::Save(s, count, 0, &repairs);
    EXPECT_EQ(out, expected);
    EXPECT_EQ(repairs, 0u);
    EXPECT_EQ(testutil::RoundTrip(out), out);
}

// The whole records of one tag in a well-formed file, found by walking the record headers.
std::vector<std::string> RecordsOf(const std::string& file, std::string_view tag) {
    std::vector<std::string> found;
    for (size_t at = 0; at + 16 <= file.size();) {
        ByteReader r(std::string_view(file).substr(at + 4, 4));
        size_t whole = 16 + r.u32();
        if (file.compare(at, 4, tag) == 0) found.push_back(file.substr(at, whole));
        at += whole;
    }
    return found;
}

} // namespace

TEST(MagicEffectRecords, FieldsAndTheWritersOrderOfStrings) {
    std::string ordered = ZSub("ITEX", "icon.tga") + ZSub("PTEX", "p.tga") + ZSub("BSND", "b") +
                          ZSub("CSND", "c") + ZSub("HSND", "h") + ZSub("ASND", "a") + ZSub("BVFX", "bv") +
                          ZSub("CVFX", "cv") + ZSub("HVFX", "hv") + ZSub("AVFX", "av");
    std::string bytes =
        File({Record("MGEF", Sub("INDX", I32(59)) + Medt() + ordered + Sub("DESC", "Moves things"))});
    ExpectSavedAs(bytes, bytes);
    RecordStore s;
    testutil::Load(bytes, s);
    ASSERT_EQ(s.tblMGEF.size(), 1u);
    const MGEFRecord& m = s.tblMGEF[0];
    EXPECT_EQ(m.INDX, 59);
    EXPECT_EQ(m.BaseCost, 1.5f);
    EXPECT_EQ(m.EffectFlags, 0x600);
    EXPECT_EQ(m.Blue, 7);
    EXPECT_EQ(m.SizeCap, 4.0f);
    EXPECT_EQ(m.CVFX, "cv");
    EXPECT_EQ(m.AVFXLen, 3);
    EXPECT_EQ(m.DESC, "Moves things");
    // Cast visual before bolt visual and the description first in the file: the writer's order comes back.
    std::string shuffled = Sub("DESC", "Moves things") + ZSub("AVFX", "av") + ZSub("CVFX", "cv") + Medt() +
                           ZSub("BVFX", "bv") + ZSub("HVFX", "hv") + ZSub("ASND", "a") + ZSub("HSND", "h") +
                           ZSub("CSND", "c") + ZSub("BSND", "b") + ZSub("PTEX", "p.tga") +
                           ZSub("ITEX", "icon.tga") + Sub("INDX", I32(59));
    ExpectSavedAs(File({Record("MGEF", shuffled)}), bytes);
    // Without sounds and visuals: none written.
    std::string plain = File({Record("MGEF", Sub("INDX", I32(1)) + Medt() + ZSub("ITEX", "i"))});
    ExpectSavedAs(plain, plain);
}

TEST(SpellRecords, UsedSlotsOnlyAndZerosAfterTheFlagBytes) {
    std::string three = Enam(85) + Enam(47, 0) + Enam(61, 2);
    std::string bytes = File({Spell(three)});
    ExpectSavedAs(bytes, bytes);
    RecordStore s;
    testutil::Load(bytes, s);
    const SPELRecord& sp = s.tblSPEL.at(0);
    EXPECT_EQ(sp.SpellType, 1);
    EXPECT_EQ(sp.Cost, 21);
    EXPECT_EQ(sp.SpellFlags, 7);
    EXPECT_EQ(sp.Effects[1].EffectID, 47);
    EXPECT_EQ(sp.Effects[2].Range, 2);
    EXPECT_EQ(sp.Effects[2].SkillID, 0xFF);
    EXPECT_EQ(sp.Effects[0].MagnitudeMax, 4);
    for (int i = 3; i < 8; ++i) EXPECT_EQ(sp.Effects[i].ENAMLen, 0) << i;
    // Garbage after SpellFlags and after Range is written back as zeros.
    ExpectSavedAs(File({Spell(Enam(85, 1, "xyz") + Enam(47, 0) + Enam(61, 2, "\1\1\1"), 0xFFFFFF07)}), bytes);
    // An enchantment's AutoCalc word likewise.
    std::string ench = File({Ench(Enam(85) + Enam(0))});
    ExpectSavedAs(ench, ench);
    ExpectSavedAs(File({Ench(Enam(85) + Enam(0), 0x01020301)}), ench);
    testutil::Load(ench, s);
    EXPECT_EQ(s.tblENCH.at(0).Charge, 100);
    EXPECT_EQ(s.tblENCH[0].AutoCalc, 1);
}

TEST(MagicRecords, SpellsAreWrittenBeforeEnchantmentsAndDeletedOnesAreShort) {
    std::string spell = Spell(Enam(1)), ench = Ench(Enam(2));
    ExpectSavedAs(File({ench, spell}), File({spell, ench}));
    std::string deletedSpell = Record("SPEL", ZSub("NAME", "spell") + Dele(), 0x20);
    ExpectSavedAs(File({Spell(Enam(1), 7, 0x20)}), File({deletedSpell}));
    std::string deletedEffect = Record("MGEF", Sub("INDX", I32(12)) + Dele(), 0x20);
    ExpectSavedAs(File({Record("MGEF", Sub("INDX", I32(12)) + Medt() + ZSub("ITEX", "i") + Dele(), 0x20)}),
                  File({deletedEffect}));
    std::string deletedEnch = Record("ENCH", ZSub("NAME", "ench") + Dele(), 0x20);
    ExpectSavedAs(File({deletedEnch}), File({deletedEnch}));
}

// Decision: effects beyond the eighth slot are skipped by their stored length and taken off the record's
// Size; the record reads on with the subrecords after them.
TEST(MagicDamaged, EffectsBeyondTheLastSlotAreDropped) {
    std::string eight, more;
    for (int i = 0; i < 10; ++i) (i < 8 ? eight : more) += Enam(static_cast<int16_t>(i + 1));
    ExpectSavedAs(File({Record("SPEL", ZSub("NAME", "s") + eight + more + ZSub("FNAM", "late"))}),
                  File({Record("SPEL", ZSub("NAME", "s") + ZSub("FNAM", "late") + eight)}));
    ExpectSavedAs(File({Record("ENCH", ZSub("NAME", "e") + eight + more)}),
                  File({Record("ENCH", ZSub("NAME", "e") + eight)}));
}

// Decision: a record that lacks its data subrecord (or the icon, or the name, which its writer always
// writes) is written without it, so that it stays as long as its Size says.
TEST(MagicDamaged, MissingDataSubrecordsAreLeftOut) {
    std::string bytes = File({Record("MGEF", Sub("INDX", I32(3)) + ZSub("PTEX", "p")), Record("MGEF", Medt()),
                              Record("SPEL", ZSub("NAME", "s") + Enam(4)), Record("ENCH", Enam(5))});
    ExpectSavedAs(bytes, bytes);
}

TEST(MagicDamaged, EveryPrefixSavesToAStableWellFormedFile) {
    std::string bytes =
        File({Record("MGEF", Sub("INDX", I32(1)) + Medt() + ZSub("ITEX", "i") + Sub("DESC", "d")),
              Spell(Enam(1) + Enam(2)), Ench(Enam(3))});
    for (size_t n = 0; n <= bytes.size(); ++n) {
        std::string once = testutil::RoundTrip(bytes.substr(0, n));
        ASSERT_EQ(testutil::RoundTrip(once), once) << "prefix of " << n << " bytes";
    }
}

TEST(MagicRealPlugin, AllRecordsReadAndComeBackEqual) {
    std::string file = testutil::ReadFile(testutil::SharedFixture("all_types.esp"));
    RecordStore s;
    int32_t count = testutil::Load(file, s);
    ASSERT_EQ(s.tblMGEF.size(), 1u);
    ASSERT_EQ(s.tblSPEL.size(), 2u);
    ASSERT_EQ(s.tblENCH.size(), 2u);
    EXPECT_EQ(s.tblMGEF[0].INDX, 59);
    EXPECT_EQ(s.tblMGEF[0].ITEX, "s\\Tx_S_telekinesis.tga");
    EXPECT_EQ(s.tblMGEF[0].BVFX, "VFX_MysticismBolt");
    EXPECT_EQ(s.tblSPEL[0].NAME, "test_spellmaking");
    EXPECT_EQ(s.tblSPEL[0].Effects[3].ENAMLen, 24);
    EXPECT_EQ(s.tblSPEL[0].Effects[4].ENAMLen, 0);
    EXPECT_EQ(s.tblENCH[1].NAME, "test_enchanting_on_use");
    EXPECT_EQ(s.tblENCH[1].Charge, 10);
    RecordStore mine;
    mine.tblTES3 = s.tblTES3;
    mine.tblMGEF = s.tblMGEF;
    mine.tblSPEL = s.tblSPEL;
    mine.tblENCH = s.tblENCH;
    uint64_t repairs = 99;
    std::string out = testutil::Save(mine, count, 0, &repairs);
    EXPECT_EQ(repairs, 0u);
    RecordStore back;
    testutil::Load(out, back);
    EXPECT_EQ(back.tblMGEF, s.tblMGEF);
    EXPECT_EQ(back.tblSPEL, s.tblSPEL);
    EXPECT_EQ(back.tblENCH, s.tblENCH);
    // Spells and enchantments come back byte for byte; the effect has its visuals in the writer's order.
    EXPECT_EQ(RecordsOf(out, "SPEL"), RecordsOf(file, "SPEL"));
    EXPECT_EQ(RecordsOf(out, "ENCH"), RecordsOf(file, "ENCH"));
    ASSERT_EQ(RecordsOf(out, "MGEF").size(), 1u);
    EXPECT_LT(RecordsOf(out, "MGEF")[0].find("BVFX"), RecordsOf(out, "MGEF")[0].find("CVFX"));
}
