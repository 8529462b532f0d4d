// Sounds, regions, land textures, sound generators and levelled lists: fields, written order, the bytes
// written as zeros, deleted records, damaged records and the real plugin.
#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <vector>

#include "fixture_builder.h"
#include "records/world.h"
#include "test_util.h"

using namespace vellum;
using namespace fixture;
using namespace std::string_literals;

namespace {

struct Saved {
    RecordStore store;
    std::string out;
    uint64_t repairs = 0;
};

Saved ReadAndSave(const std::string& bytes) {
    Saved s;
    int32_t count = testutil::Load(bytes, s.store);
    s.out = testutil::Save(s.store, count, kFileTypePlugin, &s.repairs);
    return s;
}

// Reads a file and expects it back byte for byte, with no Size corrected and a stable second round trip.
Saved ExpectExactRoundTrip(const std::string& file) {
    Saved s = ReadAndSave(file);
    EXPECT_EQ(s.out, file);
    EXPECT_EQ(s.repairs, 0u);
    EXPECT_EQ(ReadAndSave(s.out).out, s.out);
    return s;
}

std::string Snam(std::string_view id, uint8_t chance) {
    return Sub("SNAM", Fixed(id, 32) + U8(chance));
}
std::string Entry(std::string_view entryTag, std::string_view id, int16_t level) {
    return ZSub(entryTag, id) + Sub("INTV", U16(static_cast<uint16_t>(level)));
}

} // namespace

static_assert(std::is_same_v<LEVIRecord, LEVCRecord>, "levelled item and creature lists share one structure");

TEST(Sounds, FieldsAndExactRoundTrip) {
    std::string file = File({Record(
        "SOUN", ZSub("NAME", "howl") + ZSub("FNAM", "Fx\\howl.wav") + Sub("DATA", U8(255) + U8(2) + U8(30)),
        0, 7)});
    Saved s = ExpectExactRoundTrip(file);
    ASSERT_EQ(s.store.tblSOUN.size(), 1u);
    const SOUNRecord& rec = s.store.tblSOUN[0];
    EXPECT_EQ(rec.NAME, "howl");
    EXPECT_EQ(rec.NAMELen, 5);
    EXPECT_EQ(rec.FNAM, "Fx\\howl.wav");
    EXPECT_EQ(rec.Volume, 255);
    EXPECT_EQ(rec.MinRange, 2);
    EXPECT_EQ(rec.MaxRange, 30);
    EXPECT_EQ(rec.Header1, 7);
}

TEST(Sounds, WrittenInTheGamesOrderWhateverTheFileHad) {
    std::string name = ZSub("NAME", "n"), fnam = ZSub("FNAM", "f.wav"), data = Sub("DATA", "\1\2\3");
    Saved s = ReadAndSave(File({Record("SOUN", data + fnam + name)}));
    EXPECT_EQ(s.out, File({Record("SOUN", name + fnam + data)}));
    EXPECT_EQ(s.repairs, 0u);
}

TEST(Regions, WeatherChancesColourSoundsAndExactRoundTrip) {
    std::string body = ZSub("NAME", "ascadian") + ZSub("FNAM", "Ascadian Isles") +
                       Sub("WEAT", std::string("\1\2\3\4\5\6\7\x08\x09\x37", 10)) + ZSub("BNAM", "ex_sleep") +
                       Sub("CNAM", std::string("\x4d\x20\x10\0", 4)) + Snam("cave drip", 12) +
                       Snam("wind", 50) + Sub("WNAM", I32(-3));
    Saved s = ExpectExactRoundTrip(File({Record("REGN", body)}));
    const REGNRecord& rec = s.store.tblREGN[0];
    EXPECT_EQ(rec.WEATLen, 10);
    EXPECT_EQ(rec.Weather, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 0x37}));
    EXPECT_EQ(rec.BNAM, "ex_sleep");
    EXPECT_EQ(rec.Red, 0x4d);
    EXPECT_EQ(rec.Green, 0x20);
    EXPECT_EQ(rec.Blue, 0x10);
    ASSERT_EQ(rec.Sounds.size(), 2u);
    EXPECT_EQ(rec.Sounds[1].SoundID, Fixed("wind", 32)) << "the fixed field keeps its zero bytes";
    EXPECT_EQ(rec.Sounds[1].Chance, 50);
    EXPECT_EQ(rec.WNAM, -3);

    // The weather chances are written with as many bytes as the file had: 8 here.
    std::string eight = ZSub("NAME", "old") + ZSub("FNAM", "Old") + Sub("WEAT", std::string(8, '\x0c')) +
                        Sub("CNAM", std::string(4, '\0'));
    EXPECT_EQ(ExpectExactRoundTrip(File({Record("REGN", eight)})).store.tblREGN[0].Weather.size(), 8u);
}

TEST(Regions, ColourFillerIsWrittenAsZeroAndOptionalPartsStayOut) {
    std::string head = ZSub("NAME", "r") + ZSub("FNAM", "R") + Sub("WEAT", std::string(8, '\1'));
    Saved s = ReadAndSave(File({Record("REGN", head + Sub("CNAM", "\1\2\3\xff"))}));
    EXPECT_EQ(s.out, File({Record("REGN", head + Sub("CNAM", std::string("\1\2\3\0", 4)))}));
    EXPECT_EQ(s.out.find("BNAM"), std::string::npos);
    EXPECT_EQ(s.out.find("SNAM"), std::string::npos);
    EXPECT_EQ(s.out.find("WNAM"), std::string::npos);
}

TEST(Regions, OnlyTheLastRunOfSoundsSurvives) {
    // Two sounds, the sleep creature, then one more sound: the second run starts again at the first element.
    std::string head = ZSub("NAME", "r") + ZSub("FNAM", "R");
    Saved s = ReadAndSave(
        File({Record("REGN", head + Snam("a", 1) + Snam("b", 2) + ZSub("BNAM", "c") + Snam("last", 3))}));
    const REGNRecord& rec = s.store.tblREGN[0];
    ASSERT_EQ(rec.Sounds.size(), 1u);
    EXPECT_EQ(rec.Sounds[0].SoundID, Fixed("last", 32));
    EXPECT_EQ(s.out, File({Record("REGN", head + ZSub("BNAM", "c") + Snam("last", 3))}));
    EXPECT_EQ(s.repairs, 0u) << "the Size shrinks by the sounds dropped";
}

// Decision: a region without WEAT, or with one of size 0, is written without WEAT (nothing is invented),
// and the Size follows.
TEST(RegionDecisions, RegionWithoutWeatherIsWrittenWithoutIt) {
    std::string rest = ZSub("NAME", "dry") + ZSub("FNAM", "Dry") + Sub("CNAM", std::string(4, '\0'));
    Saved s = ExpectExactRoundTrip(File({Record("REGN", rest)}));
    EXPECT_TRUE(s.store.tblREGN[0].Weather.empty());

    Saved empty =
        ReadAndSave(File({Record("REGN", ZSub("NAME", "dry") + Sub("WEAT", "") + ZSub("FNAM", "Dry") +
                                             Sub("CNAM", std::string(4, '\0')))}));
    EXPECT_EQ(empty.out, File({Record("REGN", rest)}));
    EXPECT_EQ(empty.repairs, 0u);
}

TEST(LandTextures, FieldsAndExactRoundTrip) {
    std::string file =
        File({Record("LTEX", ZSub("NAME", "road") + Sub("INTV", I32(17)) + ZSub("DATA", "Tx_road.tga"))});
    Saved s = ExpectExactRoundTrip(file);
    const LTEXRecord& rec = s.store.tblLTEX[0];
    EXPECT_EQ(rec.INTV, 17);
    EXPECT_EQ(rec.DATA, "Tx_road.tga");
    EXPECT_EQ(rec.DATALen, 12);
}

TEST(SoundGenerators, SoundBeforeCreatureAndFlagWordCleared) {
    std::string name = ZSub("NAME", "gen0007");
    std::string cnam = ZSub("CNAM", "guar"), snam = ZSub("SNAM", "Body Fall");
    Saved s = ReadAndSave(File({Record("SNDG", name + Sub("DATA", U32(0x01020307)) + cnam + snam)}));
    const SNDGRecord& rec = s.store.tblSNDG[0];
    EXPECT_EQ(rec.SoundType, 7);
    EXPECT_EQ(rec.CNAM, "guar");
    EXPECT_EQ(s.out, File({Record("SNDG", name + Sub("DATA", U32(7)) + snam + cnam)}));
    EXPECT_EQ(s.repairs, 0u);

    std::string noCreature = File({Record("SNDG", name + Sub("DATA", U32(2)) + snam)});
    Saved nc = ExpectExactRoundTrip(noCreature);
    EXPECT_EQ(nc.out.find("CNAM"), std::string::npos);
}

TEST(LevelledLists, EntriesKeepTheirOrderAndTheirTwoByteLevels) {
    std::string head = ZSub("NAME", "loot") + Sub("DATA", U32(3)) + Sub("NNAM", U8(25)) + Sub("INDX", I32(5));
    std::string entries = Entry("INAM", "a", 1) + Entry("INAM", "bb", 5) + Entry("INAM", "a", 10) +
                          Entry("INAM", "ccc", -2) + Entry("INAM", "d", 300);
    Saved s = ExpectExactRoundTrip(File({Record("LEVI", head + entries, 0x2000)}));
    const LEVIRecord& rec = s.store.tblLEVI[0];
    EXPECT_EQ(rec.ListFlags, 3);
    EXPECT_EQ(rec.ChanceNone, 25);
    EXPECT_EQ(rec.INDX, 5);
    ASSERT_EQ(rec.Items.size(), 5u);
    EXPECT_EQ(rec.Items[1].INAM, "bb");
    EXPECT_EQ(rec.Items[1].INAMLen, 3);
    EXPECT_EQ(rec.Items[3].Level, -2);
    EXPECT_EQ(rec.Items[4].Level, 300);
    EXPECT_EQ(rec.Items[4].INTVLen, 2);
}

TEST(LevelledLists, CreatureListsUseCnamAndTheFlagWordIsCleared) {
    std::string name = ZSub("NAME", "beasts");
    std::string entries = Entry("CNAM", "rat", 1) + Entry("CNAM", "kagouti", 4);
    std::string in = File({Record("LEVC", Sub("NNAM", U8(0)) + name + Sub("DATA", U32(0xFFFFFF01)) +
                                              Sub("INDX", I32(2)) + entries)});
    Saved s = ReadAndSave(in);
    ASSERT_EQ(s.store.tblLEVC.size(), 1u);
    EXPECT_TRUE(s.store.tblLEVI.empty());
    EXPECT_EQ(s.store.tblLEVC[0].Items[1].INAM, "kagouti");
    EXPECT_EQ(s.out, File({Record("LEVC", name + Sub("DATA", U32(1)) + Sub("NNAM", U8(0)) +
                                              Sub("INDX", I32(2)) + entries)}));
    EXPECT_EQ(s.repairs, 0u);
    // An INAM in a creature list is not one of its subrecords: it ends the record.
    RecordStore store;
    testutil::Load(File({Record("LEVC", name + Entry("INAM", "x", 1))}), store);
    EXPECT_TRUE(store.tblLEVC[0].Items.empty());
}

TEST(WorldRecords, DeletedRecordsAreWrittenAsNameAndDele) {
    std::string name = ZSub("NAME", "gone");
    std::vector<std::pair<std::string, std::string>> cases = {
        {"SOUN", ZSub("FNAM", "x.wav") + Sub("DATA", "\1\2\3")},
        {"REGN", ZSub("FNAM", "X") + Sub("WEAT", std::string(8, '\1')) + Sub("CNAM", std::string(4, '\0'))},
        {"LTEX", Sub("INTV", I32(1)) + ZSub("DATA", "x.tga")},
        {"SNDG", Sub("DATA", U32(1)) + ZSub("SNAM", "s")},
        {"LEVI", Sub("DATA", U32(1)) + Sub("NNAM", U8(0)) + Sub("INDX", I32(1)) + Entry("INAM", "i", 1)},
        {"LEVC", Sub("DATA", U32(1)) + Sub("NNAM", U8(0)) + Sub("INDX", I32(1)) + Entry("CNAM", "c", 1)},
    };
    for (const auto& [tag, rest] : cases) {
        // As the game writes them: NAME and DELE only.
        ExpectExactRoundTrip(File({Record(tag, name + Dele(), 0x20)}));
        // A deleted record that still carries its data loses it, and one flagged deleted without DELE gets
        // it; the Size follows, so the writer has nothing to correct.
        Saved s = ReadAndSave(File({Record(tag, name + rest + Dele(), 0x20)}));
        EXPECT_EQ(s.out, File({Record(tag, name + Dele(), 0x20)})) << tag;
        EXPECT_EQ(s.repairs, 0u) << tag;
        Saved flagged = ReadAndSave(File({Record(tag, rest + name, 0x20)}));
        EXPECT_EQ(flagged.out, File({Record(tag, name + Dele(), 0x20)})) << tag;
        EXPECT_EQ(flagged.repairs, 0u) << tag;
        // A record with DELE but without the deleted flag is written whole, without DELE.
        Saved kept = ReadAndSave(File({Record(tag, name + Dele() + rest)}));
        EXPECT_EQ(kept.out, File({Record(tag, name + rest)})) << tag;
        EXPECT_EQ(kept.repairs, 0u) << tag;
    }
}

// Decision: an entry whose name is not followed by INTV keeps no level and is written without INTV, as it
// was read; the subrecord that follows it is read normally.
TEST(LevelledListDecisions, EntryWithoutLevelKeepsTheListReadable) {
    std::string head = ZSub("NAME", "odd") + Sub("DATA", U32(0)) + Sub("NNAM", U8(0));
    std::string body = head + ZSub("INAM", "nolevel") + Entry("INAM", "b", 2) + ZSub("INAM", "tail");
    std::string next = Record("SOUN", ZSub("NAME", "s") + ZSub("FNAM", "f") + Sub("DATA", "\0\0\0"s));
    Saved s = ReadAndSave(File({Record("LEVI", body + Sub("INDX", I32(3))), next}));
    const LEVIRecord& rec = s.store.tblLEVI[0];
    ASSERT_EQ(rec.Items.size(), 3u);
    EXPECT_EQ(rec.Items[0].INTVLen, 0);
    EXPECT_EQ(rec.Items[1].Level, 2);
    EXPECT_EQ(rec.Items[2].INAM, "tail");
    EXPECT_EQ(rec.INDX, 3) << "a subrecord after an entry without level is still read";
    EXPECT_EQ(s.store.tblSOUN.size(), 1u);
    EXPECT_EQ(s.out, File({next, Record("LEVI", head + Sub("INDX", I32(3)) + ZSub("INAM", "nolevel") +
                                                    Entry("INAM", "b", 2) + ZSub("INAM", "tail"))}));
    EXPECT_EQ(s.repairs, 0u);
}

// Decision: an entry name of size 0 is kept as an empty name with its terminator, so that the entry and
// its level survive; the Size grows by that byte.
TEST(LevelledListDecisions, EntryNameOfSizeZero) {
    std::string head = ZSub("NAME", "l") + Sub("DATA", U32(0)) + Sub("NNAM", U8(0));
    Saved s = ReadAndSave(
        File({Record("LEVI", head + Sub("INAM", "") + Sub("INTV", U16(4)) + Entry("INAM", "x", 1))}));
    const LEVIRecord& rec = s.store.tblLEVI[0];
    ASSERT_EQ(rec.Items.size(), 2u);
    EXPECT_EQ(rec.Items[0].Level, 4);
    EXPECT_EQ(s.out, File({Record("LEVI", head + Entry("INAM", "", 4) + Entry("INAM", "x", 1))}));
    EXPECT_EQ(s.repairs, 0u);
}

// Decision: a record lacking one of its data subrecords (or a string the layout always has) is written
// without it: nothing is invented, and what was read comes back as it was.
TEST(WorldDecisions, MissingDataSubrecordsAreLeftOut) {
    ExpectExactRoundTrip(File({Record("SOUN", ZSub("NAME", "nodata") + ZSub("FNAM", "f.wav"))}));
    ExpectExactRoundTrip(File({Record("SOUN", ZSub("NAME", "nofile") + Sub("DATA", "\1\1\1"))}));
    ExpectExactRoundTrip(File({Record("LEVI", ZSub("NAME", "bare") + Entry("INAM", "x", 1))}));
    ExpectExactRoundTrip(File({Record("LTEX", ZSub("NAME", "t") + ZSub("DATA", "t.tga"))}));
    ExpectExactRoundTrip(File({Record("SNDG", ZSub("NAME", "g") + ZSub("CNAM", "c"))}));
    ExpectExactRoundTrip(File(
        {Record("REGN", ZSub("NAME", "nocolour") + ZSub("FNAM", "N") + Sub("WEAT", std::string(8, '\0')))}));
}

// Decision: a string subrecord of size 0 holds nothing and is left out; the Size shrinks by its 8 bytes.
TEST(WorldDecisions, StringOfSizeZeroIsLeftOut) {
    Saved s =
        ReadAndSave(File({Record("SOUN", ZSub("NAME", "n") + Sub("FNAM", "") + Sub("DATA", "\1\2\3"))}));
    EXPECT_EQ(s.store.tblSOUN[0].FNAMLen, 0);
    EXPECT_EQ(s.out, File({Record("SOUN", ZSub("NAME", "n") + Sub("DATA", "\1\2\3"))}));
    EXPECT_EQ(s.repairs, 0u);
}

// Decision: a data subrecord whose size differs from the game's layout is read by its size, so the
// subrecords after it are still found: missing bytes read as zeros, bytes beyond the layout are dropped.
// It is written with the layout's size, and the stored length and Size follow.
TEST(WorldDecisions, DataSubrecordOfTheWrongSizeIsReadByItsSize) {
    std::string name = ZSub("NAME", "l");
    std::string entry = Entry("INAM", "x", 1);
    Saved s = ReadAndSave(
        File({Record("LEVI", name + Sub("NNAM", U32(0x0000FF33)) + Sub("DATA", U16(2)) + entry)}));
    const LEVIRecord& rec = s.store.tblLEVI[0];
    EXPECT_EQ(rec.ChanceNone, 0x33);
    EXPECT_EQ(rec.NNAMLen, 1);
    EXPECT_EQ(rec.ListFlags, 2);
    ASSERT_EQ(rec.Items.size(), 1u) << "the entry after the long NNAM is still found";
    EXPECT_EQ(s.out, File({Record("LEVI", name + Sub("DATA", U32(2)) + Sub("NNAM", U8(0x33)) + entry)}));
    EXPECT_EQ(s.repairs, 0u);

    Saved snd =
        ReadAndSave(File({Record("SOUN", ZSub("NAME", "s") + Sub("DATA", "\5\6") + ZSub("FNAM", "f"))}));
    EXPECT_EQ(snd.store.tblSOUN[0].MaxRange, 0);
    EXPECT_EQ(snd.store.tblSOUN[0].FNAM, "f");
    EXPECT_EQ(snd.out,
              File({Record("SOUN", ZSub("NAME", "s") + ZSub("FNAM", "f") + Sub("DATA", "\5\6\0"s))}));
    EXPECT_EQ(snd.repairs, 0u);
}

TEST(WorldDamage, EveryPrefixSavesWellFormedAndStable) {
    std::string bytes = File({
        Record("SOUN", ZSub("NAME", "s") + ZSub("FNAM", "s.wav") + Sub("DATA", "\1\2\3")),
        Record("REGN", ZSub("NAME", "r") + ZSub("FNAM", "R") + Sub("WEAT", std::string(10, '\4')) +
                           ZSub("BNAM", "b") + Sub("CNAM", "\1\2\3\0"s) + Snam("x", 5) + Snam("y", 6) +
                           Sub("WNAM", I32(1))),
        Record("LTEX", ZSub("NAME", "t") + Sub("INTV", I32(2)) + ZSub("DATA", "t.tga")),
        Record("LEVI", ZSub("NAME", "i") + Sub("DATA", U32(1)) + Sub("NNAM", U8(2)) + Sub("INDX", I32(2)) +
                           Entry("INAM", "a", 1) + Entry("INAM", "b", 2)),
        Record("LEVC", ZSub("NAME", "c") + Sub("DATA", U32(1)) + Sub("NNAM", U8(2)) + Sub("INDX", I32(1)) +
                           Entry("CNAM", "rat", 3)),
        Record("SNDG", ZSub("NAME", "g") + Sub("DATA", U32(1)) + ZSub("CNAM", "c") + ZSub("SNAM", "s")),
    });
    for (size_t n = 0; n <= bytes.size(); ++n) {
        Saved once = ReadAndSave(bytes.substr(0, n));
        EXPECT_EQ(ReadAndSave(once.out).out, once.out) << "cut at " << n;
    }
}

TEST(WorldDamage, AbsurdLengthsStayBounded) {
    std::string bytes =
        Header(1) + Record("REGN", ZSub("NAME", "r") + SubWithSize("WEAT", 0x7FFFFFF0u, "ab"));
    Saved once = ReadAndSave(bytes);
    EXPECT_LT(once.out.size(), 4 * ByteReader::kMaxPadding);
    EXPECT_EQ(ReadAndSave(once.out).out, once.out);
}

TEST(WorldInRealPlugin, RecordsAreReadAndSurviveSaving) {
    RecordStore store;
    int32_t count = testutil::Load(testutil::ReadFile(testutil::SharedFixture("all_types.esp")), store);
    ASSERT_GT(count, 1);
    ASSERT_EQ(store.tblSOUN.size(), 1u);
    EXPECT_EQ(store.tblSOUN[0].NAME, "test_sound");
    EXPECT_EQ(store.tblSOUN[0].FNAM, "Fx\\werehowl.wav");
    EXPECT_EQ(store.tblSOUN[0].Volume, 255);
    ASSERT_EQ(store.tblREGN.size(), 1u);
    EXPECT_EQ(store.tblREGN[0].NAME, "test_region");
    EXPECT_EQ(store.tblREGN[0].Weather.size(), 10u);
    EXPECT_EQ(store.tblREGN[0].Sounds.size(), 3u);
    EXPECT_EQ(store.tblREGN[0].Sounds[2].SoundID.substr(0, 9), "endrumble");
    ASSERT_EQ(store.tblLTEX.size(), 1u);
    EXPECT_EQ(store.tblLTEX[0].DATA, "Tx_BC_mainroad_01.tga");
    ASSERT_EQ(store.tblSNDG.size(), 1u);
    EXPECT_EQ(store.tblSNDG[0].CNAM, "test_creature");
    EXPECT_EQ(store.tblSNDG[0].SNAM, "Body Fall Medium");
    ASSERT_EQ(store.tblLEVI.size(), 1u);
    ASSERT_EQ(store.tblLEVI[0].Items.size(), 1u);
    EXPECT_EQ(store.tblLEVI[0].Items[0].INAM, "test_misc");
    ASSERT_EQ(store.tblLEVC.size(), 1u);
    ASSERT_EQ(store.tblLEVC[0].Items.size(), 1u);
    EXPECT_EQ(store.tblLEVC[0].Items[0].INAM, "test_creature");
    EXPECT_TRUE(store.tblUnknown.empty());

    std::string out = testutil::Save(store, count);
    RecordStore back;
    testutil::Load(out, back);
    EXPECT_EQ(back.tblSOUN, store.tblSOUN);
    EXPECT_EQ(back.tblREGN, store.tblREGN);
    EXPECT_EQ(back.tblLTEX, store.tblLTEX);
    EXPECT_EQ(back.tblSNDG, store.tblSNDG);
    EXPECT_EQ(back.tblLEVI, store.tblLEVI);
    EXPECT_EQ(back.tblLEVC, store.tblLEVC);
}
