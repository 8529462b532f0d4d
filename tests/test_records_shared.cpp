// What every record family shares: the real plugin read, saved and read again, and damaged copies of each of
// its records (cut at every byte, bytes changed at random), which save to well-formed files that save again
// to the same bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "fixture_builder.h"
#include "test_util.h"

using namespace vellum;
using namespace fixture;

namespace {

// The records of a file as (tag, whole record bytes), in file order.
std::vector<std::pair<std::string, std::string>> SplitRecords(const std::string& file) {
    std::vector<std::pair<std::string, std::string>> out;
    for (size_t at = 0; at + 16 <= file.size();) {
        uint32_t size = 0;
        for (int i = 3; i >= 0; --i) size = (size << 8) | static_cast<unsigned char>(file[at + 4 + i]);
        out.emplace_back(file.substr(at, 4), file.substr(at, 16 + size));
        at += 16 + size;
    }
    return out;
}
// The whole records of one tag, in file order.
std::vector<std::string> RecordsOf(const std::string& file, std::string_view tag) {
    std::vector<std::string> found;
    for (const auto& [t, rec] : SplitRecords(file))
        if (t == tag) found.push_back(rec);
    return found;
}

std::string Plugin() {
    return testutil::ReadFile(testutil::SharedFixture("all_types.esp"));
}

// Every table of a store that holds typed records, by tag.
template <class F> void ForEachTable(F&& f) {
#define VELLUM_TABLE(t) f(#t, &RecordStore::tbl##t)
    VELLUM_TABLE(GMST), VELLUM_TABLE(GLOB), VELLUM_TABLE(CLAS), VELLUM_TABLE(FACT), VELLUM_TABLE(RACE);
    VELLUM_TABLE(SKIL), VELLUM_TABLE(BSGN), VELLUM_TABLE(MGEF), VELLUM_TABLE(SPEL), VELLUM_TABLE(ENCH);
    VELLUM_TABLE(CREA), VELLUM_TABLE(CELL), VELLUM_TABLE(PGRD), VELLUM_TABLE(DIAL), VELLUM_TABLE(INFO);
    VELLUM_TABLE(SCPT), VELLUM_TABLE(SSCR), VELLUM_TABLE(SOUN), VELLUM_TABLE(REGN), VELLUM_TABLE(LTEX);
    VELLUM_TABLE(SNDG), VELLUM_TABLE(LEVI), VELLUM_TABLE(LEVC), VELLUM_TABLE(STAT), VELLUM_TABLE(DOOR);
    VELLUM_TABLE(MISC), VELLUM_TABLE(WEAP), VELLUM_TABLE(CONT), VELLUM_TABLE(BODY), VELLUM_TABLE(LIGH);
    VELLUM_TABLE(ARMO), VELLUM_TABLE(CLOT), VELLUM_TABLE(REPA), VELLUM_TABLE(ACTI), VELLUM_TABLE(APPA);
    VELLUM_TABLE(LOCK), VELLUM_TABLE(PROB), VELLUM_TABLE(INGR), VELLUM_TABLE(BOOK), VELLUM_TABLE(ALCH);
#undef VELLUM_TABLE
    f("NPC_", &RecordStore::tblNPC_);
}

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

TEST(SharedPlugin, EveryRecordIsUnderstoodAndComesBackEqual) {
    const std::string file = Plugin();
    ASSERT_FALSE(file.empty());
    RecordStore s;
    const int32_t count = testutil::Load(file, s);
    const std::string out = testutil::Save(s, count);
    RecordStore back;
    testutil::Load(out, back);
    EXPECT_TRUE(back.damage.empty());
    EXPECT_EQ(testutil::RoundTrip(out), out);
    std::map<std::string, size_t> inFile;
    for (const auto& [tag, rec] : SplitRecords(file)) ++inFile[tag];
    ForEachTable([&](const char* tag, auto table) {
        EXPECT_EQ((s.*table).size(), inFile[tag]) << tag;
        EXPECT_FALSE((s.*table).empty()) << tag;
        for (const auto& rec : s.*table)
            EXPECT_TRUE(rec.extras.empty()) << tag << ": every subrecord understood";
        EXPECT_TRUE(back.*table == s.*table) << tag;
    });
    // The plugin has these records in the writers' order: they come back byte for byte.
    for (const char* tag : {"CLAS", "FACT", "RACE", "SKIL", "BSGN", "SPEL", "ENCH", "DIAL", "INFO"})
        EXPECT_EQ(RecordsOf(out, tag), RecordsOf(file, tag)) << tag;
    // Object records hold the same header and subrecords, some in the writers' order.
    EXPECT_TRUE(ObjectSubrecords(file) == ObjectSubrecords(out));
}

// Values read from the plugin, one or two per family, so that a reader and writer wrong in the same way
// cannot pass the round trip above.
TEST(SharedPlugin, FieldsHoldWhatTheFileSays) {
    RecordStore s;
    testutil::Load(Plugin(), s);
    EXPECT_EQ(s.tblGMST.at(1).INTV, 2);
    EXPECT_EQ(s.tblGLOB.at(0).FNAM, s.tblGLOB.at(0).NAME.substr(12));
    EXPECT_EQ(s.tblCLAS.at(0).CLDTLen, 60);
    EXPECT_EQ(s.tblFACT.at(0).RankNames[2].RankName, "01234567890123456789012345678901");
    EXPECT_EQ(s.tblFACT.at(0).Reactions.at(2).ANAM, std::string("Fighters Guild\0", 15));
    EXPECT_EQ(s.tblRACE.at(0).Specials.size(), 2u);
    EXPECT_EQ(s.tblSKIL.at(0).INDX, 20);
    EXPECT_EQ(s.tblBSGN.at(0).TNAM, "_land_default.dds");
    EXPECT_EQ(s.tblMGEF.at(0).INDX, 59);
    EXPECT_EQ(s.tblMGEF.at(0).BVFX, "VFX_MysticismBolt");
    EXPECT_EQ(s.tblSPEL.at(0).Effects[3].ENAMLen, 24);
    EXPECT_EQ(s.tblENCH.at(1).Charge, 10);
    EXPECT_EQ(s.tblNPC_.at(0).NPDTLen, 52);
    EXPECT_EQ(s.tblNPC_.at(1).NPDTLen, 12);
    EXPECT_EQ(s.tblNPC_.at(0).AI_F.at(2).CNDT, "test_interior");
    EXPECT_EQ(s.tblNPC_.at(0).Destinations.at(1).DNAM, "test_interior");
    EXPECT_EQ(s.tblCREA.at(0).NPDTBlock[0], 96);
    EXPECT_EQ(s.tblCELL.at(0).RGNN, "Bitter Coast Region");
    EXPECT_EQ(s.tblCELL.at(0).GridX, -15);
    EXPECT_EQ(s.tblCELL.at(0).GridY, -8);
    EXPECT_EQ(s.tblCELL.at(1).References.at(1).RefIndexHigh, 3);
    const auto& refs = s.tblCELL.at(2).References;
    ASSERT_EQ(refs.size(), 39u);
    EXPECT_EQ(std::count_if(refs.begin(), refs.end(), [](const FRMRData& r) { return r.Persistent == 1; }),
              19);
    EXPECT_EQ(refs[0].NAME, "test_npc");
    EXPECT_EQ(s.tblPGRD.at(0).PointCount, 4);
    int connections = 0;
    for (const PGRPData& p : s.tblPGRD[0].Points) connections += p.ConnectionCount();
    EXPECT_EQ(size_t(connections), s.tblPGRD[0].Connections.size());
    for (const INFORecord& i : s.tblINFO)
        EXPECT_EQ(i.Topic, s.tblDIAL.at(static_cast<size_t>(i.TopicIndex)).NAME) << i.INAM;
    EXPECT_EQ(s.tblINFO.back().Conditions[5].CondName, "test_float");
    EXPECT_EQ(s.tblINFO.back().Conditions[1].FLTV, 1.0f);
    EXPECT_EQ(s.tblSCPT.at(0).LongNames, (std::vector<std::string>{"test_long"}));
    EXPECT_EQ(s.tblSCPT.at(0).SCTX.substr(0, 17), "begin test_script");
    EXPECT_EQ(s.tblSOUN.at(0).Volume, 255);
    EXPECT_EQ(s.tblREGN.at(0).Sounds.at(2).SoundID.substr(0, 9), "endrumble");
    EXPECT_EQ(s.tblLTEX.at(0).DATA, "Tx_BC_mainroad_01.tga");
    EXPECT_EQ(s.tblSNDG.at(0).SNAM, "Body Fall Medium");
    EXPECT_EQ(s.tblLEVC.at(0).Items.at(0).INAM, "test_creature");
}

// Each record of the plugin alone in a file, cut at every byte and with bytes changed at random (a topic
// with its first response, so that responses are read under a topic).
TEST(DamagedRecords, EveryCutAndRandomChangeSavesWellFormedAndStable) {
    const auto records = SplitRecords(Plugin());
    ASSERT_GT(records.size(), 50u);
    std::mt19937 rng(77);
    for (size_t i = 1; i < records.size(); ++i) {
        std::string rec = records[i].second;
        if (records[i].first == "DIAL" && i + 1 < records.size()) rec += records[i + 1].second;
        const std::string head = Header(1);
        for (size_t n = 0; n <= rec.size(); ++n) {
            const std::string once = testutil::RoundTrip(head + rec.substr(0, n));
            ASSERT_EQ(testutil::RoundTrip(once), once) << records[i].first << " #" << i << " cut at " << n;
        }
        for (int round = 0; round < 20; ++round) {
            std::string bad = rec;
            for (int k = 0; k < 3; ++k) bad[rng() % bad.size()] = static_cast<char>(rng());
            const std::string once = testutil::RoundTrip(head + bad);
            ASSERT_EQ(testutil::RoundTrip(once), once) << records[i].first << " #" << i << " round " << round;
        }
    }
}
