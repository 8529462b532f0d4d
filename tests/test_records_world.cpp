// Sounds, regions, land textures, sound generators and levelled lists: fields, written order, the bytes
// written as zeros, what is kept whole, deleted records, damaged records and the real plugin.
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

// Expected records name only the fields that are set.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

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

struct Case {
    const char* what;
    std::string in;  // the record as read
    std::string out; // the record as written; empty: as read
};

} // namespace

static_assert(std::is_same_v<LEVIRecord, LEVCRecord>, "levelled item and creature lists share one structure");

TEST(World, RecordsAreWrittenAsExpectedAndAgainTheSame) {
    const Case cases[] = {
        {"sound", Record("SOUN", kName + kSoun, 0, 7), ""},
        {"sound in any order", Record("SOUN", Sub("DATA", "\1\2\3") + ZSub("FNAM", "f.wav") + kName),
         Record("SOUN", kName + kSoun)},
        {"sound without data or file", Record("SOUN", kName + ZSub("FNAM", "f.wav")), ""},
        {"sound without file", Record("SOUN", kName + Sub("DATA", "\1\1\1")), ""},
        {"a string of size 0 gets its terminator", Record("SOUN", kName + Sub("FNAM", "")),
         Record("SOUN", kName + ZSub("FNAM", ""))},
        {"an unknown subrecord stays in its place", Record("SOUN", kName + kXtra + kSoun), ""},
        {"sound data of another length is kept whole",
         Record("SOUN", kName + Sub("DATA", "\5\6") + ZSub("FNAM", "f")), ""},
        {"region",
         Record("REGN", kName + ZSub("FNAM", "Isles") + Sub("WEAT", "\1\2\3\4\5\6\7\x08\x09\x37"s) +
                            ZSub("BNAM", "ex_sleep") + Sub("CNAM", "\x4d\x20\x10\0"s) + Snam("drip", 12) +
                            Snam("wind", 50) + Sub("WNAM", I32(-3))),
         ""},
        {"region with 8 weather chances", Record("REGN", kName + kRegn), ""},
        {"colour filler written as zero",
         Record("REGN", kName + ZSub("FNAM", "R") + Sub("CNAM", "\1\2\3\xff")),
         Record("REGN", kName + ZSub("FNAM", "R") + Sub("CNAM", "\1\2\3\0"s))},
        {"region without weather or colour", Record("REGN", kName + ZSub("FNAM", "Dry")), ""},
        {"empty weather is kept whole", Record("REGN", kName + Sub("WEAT", "") + kRegn), ""},
        {"every run of sounds is kept",
         Record("REGN", kName + Snam("a", 1) + Snam("b", 2) + ZSub("BNAM", "c") + Snam("last", 3)),
         Record("REGN", kName + ZSub("BNAM", "c") + Snam("a", 1) + Snam("b", 2) + Snam("last", 3))},
        {"colour and sound of other lengths are kept whole",
         Record("REGN", kName + kRegn + Sub("CNAM", "\1\2\3") + Sub("SNAM", "short") + Sub("WNAM", U16(1))),
         ""},
        {"land texture", Record("LTEX", kName + Sub("INTV", I32(17)) + ZSub("DATA", "Tx_road.tga")), ""},
        {"land texture without number", Record("LTEX", kName + ZSub("DATA", "t.tga")), ""},
        {"sound generator: sound before creature, flag word cleared",
         Record("SNDG", kName + Sub("DATA", U32(0x01020307)) + ZSub("CNAM", "guar") + ZSub("SNAM", "Fall")),
         Record("SNDG", kName + Sub("DATA", U32(7)) + ZSub("SNAM", "Fall") + ZSub("CNAM", "guar"))},
        {"sound generator without creature", Record("SNDG", kName + Sub("DATA", U32(2)) + ZSub("SNAM", "s")),
         ""},
        {"levelled list, five entries in order",
         Record("LEVI",
                kName + kList + Entry("INAM", "a", 1) + Entry("INAM", "bb", 5) + Entry("INAM", "a", 10) +
                    Entry("INAM", "ccc", -2) + Entry("INAM", "d", 300),
                0x2000),
         ""},
        {"creature list: CNAM entries, game order, flag word cleared",
         Record("LEVC", Sub("NNAM", U8(0)) + kName + Sub("DATA", U32(0xFFFFFF01)) + Sub("INDX", I32(2)) +
                            Entry("CNAM", "rat", 1) + Entry("CNAM", "kagouti", 4)),
         Record("LEVC", kName + Sub("DATA", U32(1)) + Sub("NNAM", U8(0)) + Sub("INDX", I32(2)) +
                            Entry("CNAM", "rat", 1) + Entry("CNAM", "kagouti", 4))},
        {"an item entry in a creature list is kept whole", Record("LEVC", kName + Entry("INAM", "x", 1)), ""},
        {"entries without level",
         Record("LEVI", kName + ZSub("INAM", "nolevel") + Entry("INAM", "b", 2) + ZSub("INAM", "tail") +
                            Sub("INDX", I32(3))),
         Record("LEVI", kName + Sub("INDX", I32(3)) + ZSub("INAM", "nolevel") + Entry("INAM", "b", 2) +
                            ZSub("INAM", "tail"))},
        {"an entry name of size 0 keeps the entry",
         Record("LEVI", kName + Sub("INAM", "") + Sub("INTV", U16(4))),
         Record("LEVI", kName + Entry("INAM", "", 4))},
        {"list parts and levels of other lengths are kept whole",
         Record("LEVI", kName + Sub("NNAM", U32(0xFF33)) + Sub("DATA", U16(2)) + Entry("INAM", "x", 1) +
                            Sub("INTV", I32(9)) + ZSub("INAM", "y") + Sub("INTV", I32(9)) + kXtra),
         ""},
    };
    for (const Case& c : cases) {
        const std::string want = File({c.out.empty() ? c.in : c.out});
        const std::string once = testutil::RoundTrip(File({c.in}));
        EXPECT_EQ(once, want) << c.what;
        EXPECT_EQ(testutil::RoundTrip(once), once) << c.what << ": second round trip";
    }
}

TEST(World, DeletedRecordsAreWrittenAsNameAndDele) {
    const std::pair<std::string, std::string> cases[] = {
        {"SOUN", kSoun},
        {"REGN", kRegn},
        {"LTEX", Sub("INTV", I32(1)) + ZSub("DATA", "x.tga")},
        {"SNDG", Sub("DATA", U32(1)) + ZSub("SNAM", "s")},
        {"LEVI", kList + Entry("INAM", "i", 1)},
        {"LEVC", kList + Entry("CNAM", "c", 1)},
    };
    for (const auto& [tag, rest] : cases) {
        const std::string deleted = File({Record(tag, kName + Dele(), 0x20)});
        EXPECT_EQ(testutil::RoundTrip(deleted), deleted) << tag;
        // Its data, kept subrecords included, is dropped; one flagged deleted without DELE gets it.
        EXPECT_EQ(testutil::RoundTrip(File({Record(tag, kName + rest + kXtra + Dele(), 0x20)})), deleted)
            << tag;
        EXPECT_EQ(testutil::RoundTrip(File({Record(tag, rest + kName, 0x20)})), deleted) << tag;
        // A record with DELE but without the deleted flag is written whole, without DELE.
        EXPECT_EQ(testutil::RoundTrip(File({Record(tag, kName + Dele() + rest)})),
                  File({Record(tag, kName + rest)}))
            << tag;
    }
}

TEST(World, FieldsAreRead) {
    const SOUNRecord sound{.NAMELen = 2,
                           .NAME = "n",
                           .FNAMLen = 6,
                           .FNAM = "f.wav",
                           .DATALen = 3,
                           .Volume = 1,
                           .MinRange = 2,
                           .MaxRange = 3};
    EXPECT_EQ(testutil::ReadBody(ReadSOUN, kName + kSoun), sound);

    REGNRecord region{.NAMELen = 2,
                      .NAME = "n",
                      .FNAMLen = 2,
                      .FNAM = "R",
                      .WEATLen = 8,
                      .Weather = std::vector<uint8_t>(8, 1),
                      .CNAMLen = 4,
                      .Red = 1,
                      .Green = 2,
                      .Blue = 3,
                      .Sounds = {{33, Fixed("wind", 32), 50}, {33, Fixed("drip", 32), 12}},
                      .WNAMLen = 4,
                      .WNAM = -3};
    region.extras.subs = {{5, kXtra}};
    EXPECT_EQ(testutil::ReadBody(ReadREGN, kName + Snam("wind", 50) + kRegn + kXtra + Sub("WNAM", I32(-3)) +
                                               Snam("drip", 12)),
              region);

    const LEVIRecord list{.NAMELen = 2,
                          .NAME = "n",
                          .DATALen = 4,
                          .ListFlags = 3,
                          .NNAMLen = 1,
                          .ChanceNone = 25,
                          .INDXLen = 4,
                          .INDX = 2,
                          .Items = {{2, "a", 2, -2}, {4, "bcd", 0, 0}}};
    EXPECT_EQ(testutil::ReadBody(ReadLEVC, kName + kList + Entry("CNAM", "a", -2) + ZSub("CNAM", "bcd")),
              list);
}

// A length that runs far past the file reads without harm and saves as a well-formed file that saves again
// to the same bytes.
TEST(World, AbsurdLengthsSaveWellFormedAndStable) {
    const std::string once =
        testutil::RoundTrip(Header(1) + Record("REGN", kName + SubWithSize("WEAT", 0x7FFFFFF0u, "ab")));
    EXPECT_LT(once.size(), 4 * ByteReader::kMaxPadding);
    EXPECT_EQ(testutil::RoundTrip(once), once);
}
