// The synthetic plugin generator (tools/): every preset reads back through the program with the record counts
// it announces and saves back byte for byte. That the same options give the same bytes is checked by the
// golden outputs of generated files (test_golden.cpp).
#ifdef VELLUM_HAVE_GENERATOR

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "generator/generator.h"
#include "test_util.h"

using namespace vellum::gen;
using vellum::operator""_tag;

namespace {

GenOptions WithEverything() {
    GenOptions o = SmallPreset(80);
    o.deletedRecords = true;
    o.movedReferences = true;
    return o;
}

} // namespace

TEST(Generator, EveryPresetReadsBackWithItsCountsAndSavesUnchanged) {
    GenOptions master = SmallPreset(30);
    master.master = true;
    master.seed = 7;
    const std::pair<GenOptions, int32_t> cases[] = {
        {SmallPreset(60), 0}, {WithEverything(), 0}, {SamplePreset(), 0}, {master, 1}, {UnusualPreset(), 0}};
    for (const auto& [options, fileType] : cases) {
        SCOPED_TRACE(options.description + (options.master ? " (master)" : ""));
        GenStats stats;
        const std::string bytes = GeneratePlugin(options, &stats);
        vellum::RecordStore store;
        const int32_t count = testutil::Load(bytes, store);
        EXPECT_EQ(count, stats.totalRecords);
        EXPECT_TRUE(store.damage.empty()) << store.damage.summary();
        std::map<std::string, int64_t> tables;
        for (const vellum::TableCount& t : vellum::TableCounts(store))
            if (t.count > 0) tables[std::string(t.tag.empty() ? "unknown" : t.tag)] = t.count;
        EXPECT_EQ(tables, stats.records);
        EXPECT_TRUE(testutil::Save(store, count, fileType) == bytes) << "seed " << options.seed;
    }
}

// The unusual layout holds what other modding tools write: spell IDs of 15 and 24 bytes, rank names of 20,
// and an unknown subrecord in the first NPC and the first reference's cell.
TEST(Generator, TheUnusualPresetHoldsItsUnusualSubrecords) {
    vellum::RecordStore s;
    testutil::Load(GeneratePlugin(UnusualPreset()), s);
    ASSERT_FALSE(s.tblRACE.empty() || s.tblBSGN.empty() || s.tblFACT.empty() || s.tblNPC_.empty() ||
                 s.tblCELL.empty());
    for (const auto& specials : {s.tblRACE[0].Specials, s.tblBSGN[0].Specials}) {
        ASSERT_EQ(specials.size(), 2u);
        EXPECT_EQ(std::make_pair(specials[0].NPCSLen, specials[1].NPCSLen), std::make_pair(15, 24));
    }
    EXPECT_EQ(std::make_tuple(s.tblFACT[0].RankNames[0].RNAMLen, s.tblNPC_[0].extras.has("XTRA"_tag),
                              s.tblCELL[0].extras.has("XTRA"_tag)),
              std::make_tuple(20, true, true));
}

#endif // VELLUM_HAVE_GENERATOR
