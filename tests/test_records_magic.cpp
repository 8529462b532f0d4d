// Magic effects, spells and enchantments: layouts, the eight effect slots, the writers' fixed order, the
// bytes they always write as zeros, and subrecords of other lengths or tags, which come back as they were.
#include <gtest/gtest.h>

#include <tuple>

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

// Loads and saves; a second round trip gives the same bytes.
void ExpectSavedAs(const std::string& in, const std::string& expected) {
    RecordStore s;
    int32_t count = testutil::Load(in, s);
    std::string out = testutil::Save(s, count);
    EXPECT_EQ(out, expected);
    EXPECT_EQ(testutil::RoundTrip(out), out);
}
void ExpectExact(const std::string& bytes) {
    ExpectSavedAs(bytes, bytes);
}

} // namespace

TEST(MagicEffectRecords, FieldsAndTheWritersOrderOfStrings) {
    std::string ordered = ZSub("ITEX", "icon.tga") + ZSub("PTEX", "p.tga") + ZSub("BSND", "b") +
                          ZSub("CSND", "c") + ZSub("HSND", "h") + ZSub("ASND", "a") + ZSub("BVFX", "bv") +
                          ZSub("CVFX", "cv") + ZSub("HVFX", "hv") + ZSub("AVFX", "av");
    std::string body = Sub("INDX", I32(59)) + Medt() + ordered + Sub("DESC", "Moves things");
    ExpectExact(File({Record("MGEF", body)}));
    const MGEFRecord m = testutil::ReadBody(ReadMGEF, body);
    EXPECT_EQ(std::tie(m.INDX, m.MEDTLen, m.School, m.BaseCost, m.EffectFlags, m.Red, m.Green, m.Blue,
                       m.SpeedX, m.SizeX, m.SizeCap),
              std::make_tuple(59, 36, 4, 1.5f, 0x600, 5, 6, 7, 3.0f, 2.0f, 4.0f));
    EXPECT_EQ(std::tie(m.ITEX, m.BSND, m.CVFX, m.AVFXLen, m.DESC),
              std::make_tuple("icon.tga", "b", "cv", 3, "Moves things"));
    // Cast visual before bolt visual and the description first in the file: the writer's order comes back.
    std::string shuffled = Sub("DESC", "Moves things") + ZSub("AVFX", "av") + ZSub("CVFX", "cv") + Medt() +
                           ZSub("BVFX", "bv") + ZSub("HVFX", "hv") + ZSub("ASND", "a") + ZSub("HSND", "h") +
                           ZSub("CSND", "c") + ZSub("BSND", "b") + ZSub("PTEX", "p.tga") +
                           ZSub("ITEX", "icon.tga") + Sub("INDX", I32(59));
    ExpectSavedAs(File({Record("MGEF", shuffled)}), File({Record("MGEF", body)}));
    // Without sounds and visuals: none written.
    ExpectExact(File({Record("MGEF", Sub("INDX", I32(1)) + Medt() + ZSub("ITEX", "i"))}));
}

TEST(SpellRecords, UsedSlotsOnlyAndZerosAfterTheFlagBytes) {
    std::string bytes = File({Spell(Enam(85) + Enam(47, 0) + Enam(61, 2))});
    ExpectExact(bytes);
    RecordStore s;
    testutil::Load(bytes, s);
    const SPELRecord& sp = s.tblSPEL.at(0);
    EXPECT_EQ(std::tie(sp.SPDTLen, sp.SpellType, sp.Cost, sp.SpellFlags), std::make_tuple(12, 1, 21, 7));
    EXPECT_EQ(sp.Effects[1], (EffectData{24, 47, 0xFF, 3, 0, 1, 2, 3, 4}));
    EXPECT_EQ(sp.Effects[2], (EffectData{24, 61, 0xFF, 3, 2, 1, 2, 3, 4}));
    for (int i = 3; i < 8; ++i) EXPECT_EQ(sp.Effects[i], EffectData{}) << i;
    // Garbage after SpellFlags and after Range is written back as zeros.
    ExpectSavedAs(File({Spell(Enam(85, 1, "xyz") + Enam(47, 0) + Enam(61, 2, "\1\1\1"), 0xFFFFFF07)}), bytes);
    // An enchantment's AutoCalc word likewise.
    std::string ench = File({Ench(Enam(85) + Enam(0))});
    ExpectExact(ench);
    ExpectSavedAs(File({Ench(Enam(85) + Enam(0), 0x01020301)}), ench);
    testutil::Load(ench, s);
    const ENCHRecord& en = s.tblENCH.at(0);
    EXPECT_EQ(std::tie(en.EnchantType, en.Cost, en.Charge, en.AutoCalc), std::make_tuple(2, 10, 100, 1));
}

TEST(MagicRecords, SpellsAreWrittenBeforeEnchantmentsAndDeletedOnesAreShort) {
    std::string spell = Spell(Enam(1)), ench = Ench(Enam(2));
    ExpectSavedAs(File({ench, spell}), File({spell, ench}));
    std::string deletedSpell = Record("SPEL", ZSub("NAME", "spell") + Dele(), 0x20);
    ExpectSavedAs(File({Spell(Enam(1), 7, 0x20)}), File({deletedSpell}));
    ExpectSavedAs(File({Record("MGEF", Sub("INDX", I32(12)) + Medt() + ZSub("ITEX", "i") + Dele(), 0x20)}),
                  File({Record("MGEF", Sub("INDX", I32(12)) + Dele(), 0x20)}));
    ExpectExact(File({Record("ENCH", ZSub("NAME", "ench") + Dele(), 0x20)}));
}

// Effects beyond the eighth slot, data subrecords of another length than their layout's (an effect among
// them does not take a slot) and subrecords of other tags are kept whole and come back in their place; the
// fields they would have filled stay absent.
TEST(MagicKept, SubrecordsOfOtherLengthsAndTagsComeBackInTheirPlace) {
    std::string ten;
    for (int i = 0; i < 10; ++i) ten += Enam(static_cast<int16_t>(i + 1));
    const std::string shortEnam = Sub("ENAM", std::string(20, '\1'));
    for (const std::string& bytes : {
             File({Spell(ten), Record("ENCH", ZSub("NAME", "e") + ten)}),
             File({Record("SPEL", ZSub("NAME", "s") + Sub("SPDT", I32(1) + I32(2)) + Enam(1) + shortEnam +
                                      Enam(2) + Sub("XTRA", "?"))}),
             File({Ench(Sub("ZZZZ", "") + Enam(1)),
                   Record("ENCH", Sub("ENDT", std::string(20, '\2')) + Enam(1))}),
             File({Record("MGEF",
                          Sub("INDX", "\1\2") + Sub("MEDT", std::string(32, '\3')) + ZSub("ITEX", "i"))}),
         })
        ExpectExact(bytes);
    SPELRecord sp = testutil::ReadBody(ReadSPEL, Enam(1) + shortEnam + Enam(2) + Sub("SPDT", I32(1)));
    EXPECT_EQ(std::tie(sp.SPDTLen, sp.Effects[1].EffectID), std::make_tuple(0, 2));
    EXPECT_EQ(sp.extras, (Extras{{{1, shortEnam}, {3, Sub("SPDT", I32(1))}}}));
    ENCHRecord en = testutil::ReadBody(ReadENCH, ten);
    EXPECT_EQ(en.Effects[7].EffectID, 8);
    EXPECT_EQ(en.extras, (Extras{{{8, Enam(9)}, {9, Enam(10)}}}));
}

// A record that lacks its data subrecord (or the icon, or the name) is written without it.
TEST(MagicDamaged, MissingDataSubrecordsAreLeftOut) {
    ExpectExact(File({Record("MGEF", Sub("INDX", I32(3)) + ZSub("PTEX", "p")), Record("MGEF", Medt()),
                      Record("SPEL", ZSub("NAME", "s") + Enam(4)), Record("ENCH", Enam(5))}));
}
