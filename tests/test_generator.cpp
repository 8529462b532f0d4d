// The synthetic plugin generator: well-formed files in the program's own record layout, the numbers it
// announces, determinism, realistic dialogue and people, and whole-file round trips through the program's
// readers and writers.
#ifdef VELLUM_HAVE_GENERATOR

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "esfile/esfile.h"
#include "generator/generator.h"
#include "test_util.h"

using namespace vellum::gen;

namespace {

uint32_t U32At(std::string_view b, size_t at) {
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16 |
           uint32_t(uint8_t(b[at + 3])) << 24;
}
float F32At(std::string_view b, size_t at) {
    uint32_t u = U32At(b, at);
    float f;
    std::memcpy(&f, &u, 4);
    return f;
}

struct Sub {
    std::string tag;
    std::string_view data;
};
struct Rec {
    std::string tag;
    uint32_t flags = 0;
    std::vector<Sub> subs;
    const Sub* find(std::string_view tag) const {
        for (const Sub& s : subs)
            if (s.tag == tag) return &s;
        return nullptr;
    }
    std::string str(std::string_view tag) const { // a zero-terminated string, without its zero
        const Sub* s = find(tag);
        return s && !s->data.empty() ? std::string(s->data.substr(0, s->data.size() - 1)) : std::string();
    }
};

// Walks the file on its own: every record's Size must be exactly the bytes of its subrecords, and the file
// must end at the end of a record.
std::vector<Rec> Walk(std::string_view b) {
    std::vector<Rec> out;
    auto cut = [&](size_t at) {
        ADD_FAILURE() << "a header or size runs past its record or file at " << at;
        return out;
    };
    for (size_t pos = 0; pos < b.size();) {
        if (b.size() - pos < 16) return cut(pos);
        Rec r{std::string(b.substr(pos, 4)), U32At(b, pos + 12), {}};
        EXPECT_EQ(U32At(b, pos + 8), 0u) << "Header1 of " << r.tag << " at " << pos;
        const size_t end = pos + 16 + U32At(b, pos + 4);
        if (end > b.size()) return cut(pos);
        for (size_t sub = pos + 16; sub < end;) {
            if (end - sub < 8 || U32At(b, sub + 4) > end - sub - 8) return cut(sub);
            const size_t n = U32At(b, sub + 4);
            r.subs.push_back({std::string(b.substr(sub, 4)), b.substr(sub + 8, n)});
            sub += 8 + n;
        }
        out.push_back(std::move(r));
        pos = end;
    }
    return out;
}

struct Generated {
    std::string bytes;
    GenStats stats;
    std::vector<Rec> recs;
};

Generated Make(const GenOptions& o) {
    Generated g;
    g.bytes = GeneratePlugin(o, &g.stats);
    g.recs = Walk(g.bytes);
    return g;
}

const Generated& Small() {
    static const Generated g = Make(SmallPreset(60));
    return g;
}
const Generated& Sample() {
    static const Generated g = Make(SamplePreset());
    return g;
}
GenOptions WithEverything() {
    GenOptions o = SmallPreset(80);
    o.deletedRecords = true;
    o.movedReferences = true;
    return o;
}

// Every table the writers know.
const std::vector<std::string> kTags = {
    "TES3", "GMST", "GLOB", "CLAS", "FACT", "RACE", "SOUN", "SKIL", "MGEF", "SCPT", "REGN",
    "BSGN", "LTEX", "STAT", "DOOR", "MISC", "WEAP", "CONT", "SPEL", "ENCH", "BODY", "LIGH",
    "ARMO", "CLOT", "REPA", "ACTI", "APPA", "LOCK", "PROB", "INGR", "BOOK", "ALCH", "LEVI",
    "LEVC", "SNDG", "SSCR", "NPC_", "CREA", "CELL", "LAND", "PGRD", "DIAL", "INFO"};

// Reads the file whole (every record, no damage) and saves it back to the same bytes.
void ExpectSavedUnchanged(const GenOptions& options, int32_t fileType = 0) {
    GenStats stats;
    std::string bytes = GeneratePlugin(options, &stats);
    vellum::RecordStore store;
    int32_t count = testutil::Load(bytes, store);
    EXPECT_EQ(count, stats.totalRecords);
    EXPECT_TRUE(store.damage.empty()) << store.damage.summary();
    EXPECT_EQ(static_cast<int64_t>(store.tblINFO.size()), stats.records["INFO"]);
    EXPECT_EQ(static_cast<int64_t>(store.tblCELL.size()), stats.records["CELL"]);
    EXPECT_TRUE(store.tblUnknown.empty());
    std::string saved = testutil::Save(store, count, fileType);
    EXPECT_TRUE(saved == bytes) << "seed " << options.seed;
}

} // namespace

TEST(Generator, FilesAreWellFormedAndFramedLikeTheGamesOwn) {
    for (const GenOptions& o : {SmallPreset(60), SamplePreset(), WithEverything(), UnusualPreset()}) {
        GenStats stats;
        std::string bytes = GeneratePlugin(o, &stats);
        std::vector<Rec> recs = Walk(bytes);
        std::string why;
        EXPECT_TRUE(vellum::CheckWellFormed(bytes, &why)) << why;
        ASSERT_FALSE(recs.empty());
        const Rec& h = recs.front();
        ASSERT_EQ(h.tag, "TES3");
        const Sub* hedr = h.find("HEDR");
        ASSERT_NE(hedr, nullptr);
        ASSERT_EQ(hedr->data.size(), 300u);
        EXPECT_EQ(F32At(hedr->data, 0), 1.3f);
        EXPECT_EQ(U32At(hedr->data, 4), 0u) << "a plugin";
        EXPECT_EQ(hedr->data.substr(8, o.author.size()), o.author);
        EXPECT_EQ(hedr->data.substr(40, o.description.size()), o.description);
        EXPECT_EQ(U32At(hedr->data, 296), recs.size() - 1) << "the header announces the records after it";
        ASSERT_EQ(h.subs.size(), 3u);
        EXPECT_EQ(h.subs[1].tag, "MAST");
        EXPECT_EQ(h.subs[1].data, std::string_view("Morrowind.esm\0", 14));
        EXPECT_EQ(h.subs[2].tag, "DATA");
        EXPECT_EQ(h.subs[2].data.size(), 8u);
    }

    GenOptions master = SmallPreset(10);
    master.master = true;
    Generated m = Make(master);
    ASSERT_EQ(m.recs.front().subs.size(), 1u) << "a master file names no master";
    EXPECT_EQ(U32At(m.recs.front().subs[0].data, 4), 1u);
}

TEST(Generator, StatisticsMatchTheFile) {
    for (const GenOptions& o : {SmallPreset(60), SamplePreset(), WithEverything(), UnusualPreset()}) {
        Generated g = Make(o);
        const GenStats& s = g.stats;
        std::map<std::string, int64_t> counts;
        for (const Rec& r : g.recs) ++counts[r.tag];
        EXPECT_EQ(s.records, counts);
        EXPECT_EQ(s.totalRecords, static_cast<int64_t>(g.recs.size()));
        EXPECT_EQ(s.announcedRecords, s.totalRecords - 1);
        EXPECT_EQ(s.fileSize, static_cast<int64_t>(g.bytes.size()));
        EXPECT_EQ(counts["INFO"], o.responses + (o.deletedRecords ? 3 : 0)) << "deleted extras on top";

        std::set<std::string> npcIds;
        for (const Rec& r : g.recs)
            if (r.tag == "NPC_" && !(r.flags & 0x20)) npcIds.insert(r.str("NAME"));
        int64_t refs = 0, persistent = 0, npcRefs = 0, moved = 0, deleted = 0, choices = 0;
        for (const Rec& r : g.recs) {
            if (r.tag == "CELL") {
                bool hasNam0 = r.find("NAM0") != nullptr, afterNam0 = false;
                for (size_t i = 0; i < r.subs.size(); ++i) {
                    const Sub& sub = r.subs[i];
                    if (sub.tag == "NAM0") afterNam0 = true;
                    if (sub.tag == "MVRF") ++moved;
                    if (sub.tag == "FRMR") {
                        ++refs;
                        if (!afterNam0 || !hasNam0) ++persistent;
                        ASSERT_EQ(r.subs[i + 1].tag, "NAME");
                        std::string_view name = r.subs[i + 1].data;
                        if (npcIds.count(std::string(name.substr(0, name.size() - 1)))) ++npcRefs;
                    }
                    if (sub.tag == "DELE" && i > 1) {
                        ++deleted;
                        EXPECT_EQ(sub.data, std::string_view("\x64\x2C\x48\x00", 4));
                    }
                }
            }
            if (r.tag == "INFO")
                for (const Sub& sub : r.subs) choices += sub.tag == "SCVR" && sub.data.substr(1, 3) == "150";
        }
        EXPECT_EQ(s.references, refs);
        EXPECT_EQ(s.persistentReferences, persistent);
        EXPECT_EQ(s.npcReferences, npcRefs);
        EXPECT_EQ(s.movedReferences, moved);
        EXPECT_EQ(s.deletedReferences, deleted);
        EXPECT_EQ(s.choiceConditions, choices);
        EXPECT_EQ(moved > 0, o.movedReferences);
        EXPECT_EQ(deleted > 0, o.deletedRecords);
    }
}

TEST(Generator, OutputDependsOnlyOnTheOptions) {
    EXPECT_EQ(GeneratePlugin(SmallPreset(60)), Small().bytes);
    EXPECT_EQ(GeneratePlugin(SamplePreset()), Sample().bytes);
    GenOptions other = SmallPreset(60);
    other.seed = 2;
    std::string b = GeneratePlugin(other);
    EXPECT_NE(b, Small().bytes);
    EXPECT_EQ(Walk(b).size(), Small().recs.size()) << "the counts follow the options, not the seed";
    GenOptions renamed = SmallPreset(60);
    renamed.townName = "Ald Sotha";
    std::string town = GeneratePlugin(renamed);
    EXPECT_NE(town.find("Ald Sotha, "), std::string::npos);
    EXPECT_EQ(town.find("Vellum Town"), std::string::npos);
}

TEST(Generator, DialogueLooksLikeAGamesDialogue) {
    const Generated& g = Sample();
    for (const std::string& tag : kTags) EXPECT_GT(g.stats.records.count(tag), 0u) << tag << " missing";
    std::set<std::string> actors, infoIds;
    for (const Rec& r : g.recs)
        if (r.tag == "NPC_" || r.tag == "CREA") actors.insert(r.str("NAME"));
    std::set<int> types;
    int noActor = 0, withResult = 0, quotes = 0, lineBreaks = 0, pc = 0, accented = 0, nearLimit = 0;
    size_t longest = 0;
    const Rec* topic = nullptr;
    std::vector<const Rec*> chain;
    auto checkChain = [&] { // each response names the one before and after it
        for (size_t i = 0; i < chain.size(); ++i) {
            EXPECT_EQ(chain[i]->str("PNAM"), i ? chain[i - 1]->str("INAM") : "");
            EXPECT_EQ(chain[i]->str("NNAM"), i + 1 < chain.size() ? chain[i + 1]->str("INAM") : "");
        }
        chain.clear();
    };
    for (const Rec& r : g.recs) {
        if (r.tag == "DIAL") {
            checkChain();
            topic = &r;
            types.insert(r.find("DATA")->data[0]);
            continue;
        }
        if (r.tag != "INFO") continue;
        ASSERT_NE(topic, nullptr) << "a response before any topic";
        chain.push_back(&r);
        EXPECT_TRUE(infoIds.insert(r.str("INAM")).second) << "response IDs are unique";
        EXPECT_EQ(r.find("DATA")->data[0], topic->find("DATA")->data[0]);
        const std::string onam = r.str("ONAM");
        noActor += onam.empty();
        EXPECT_TRUE(onam.empty() || actors.count(onam))
            << "actor " << onam << " is no generated NPC or creature";
        std::string_view text = r.find("NAME")->data;
        longest = std::max(longest, text.size());
        nearLimit += text.size() >= 480;
        quotes += text.find('"') != std::string_view::npos;
        lineBreaks += text.find("\r\n") != std::string_view::npos;
        pc += text.find("%PC") != std::string_view::npos;
        accented += std::any_of(text.begin(), text.end(), [](char c) { return uint8_t(c) >= 0x80; });
        withResult += r.find("BNAM") != nullptr;
    }
    checkChain();
    EXPECT_EQ(types, (std::set<int>{0, 1, 2, 3, 4}));
    EXPECT_LE(longest, 512u);
    for (int n : {noActor, withResult, nearLimit, quotes, lineBreaks, pc, accented}) EXPECT_GT(n, 0);
    EXPECT_GT(g.stats.loopResponses, 0);
}

TEST(Generator, PeopleLiveInTheTownsCellsAndBelongToFactions) {
    const Generated& g = Sample();
    std::map<std::string, size_t> factionRanks;
    std::set<std::string> placed;
    int interiors = 0, npcs = 0, inFaction = 0, shortForm = 0, longForm = 0;
    for (const Rec& r : g.recs) {
        if (r.tag == "FACT") {
            size_t ranks = 0;
            for (const Sub& s : r.subs) ranks += s.tag == "RNAM";
            factionRanks[r.str("NAME")] = ranks;
        }
        if (r.tag == "CELL") {
            uint32_t flags = U32At(r.find("DATA")->data, 0);
            if (flags & 1) {
                ++interiors;
                EXPECT_EQ(r.str("NAME").rfind("Vellum Town, ", 0), 0u) << r.str("NAME");
            }
            for (size_t i = 0; i + 1 < r.subs.size(); ++i)
                if (r.subs[i].tag == "FRMR")
                    placed.insert(std::string(r.subs[i + 1].data.substr(0, r.subs[i + 1].data.size() - 1)));
        }
    }
    for (const Rec& r : g.recs) {
        if (r.tag != "NPC_") continue;
        ++npcs;
        EXPECT_TRUE(placed.count(r.str("NAME"))) << r.str("NAME") << " is placed nowhere";
        std::string_view npdt = r.find("NPDT")->data;
        (npdt.size() == 12 ? shortForm : longForm)++;
        std::string faction = r.str("ANAM");
        if (factionRanks.count(faction)) {
            ++inFaction;
            size_t rank = uint8_t(npdt[npdt.size() == 12 ? 4 : 46]);
            EXPECT_LT(rank, factionRanks[faction]) << r.str("NAME") << " has a rank without a name";
        }
    }
    EXPECT_EQ(npcs, SamplePreset().npcs);
    EXPECT_EQ(interiors, SamplePreset().interiorCells);
    EXPECT_GT(inFaction, 0);
    EXPECT_GT(shortForm, 0);
    EXPECT_GT(longForm, 0);
    EXPECT_EQ(g.stats.npcReferences, npcs);
}

TEST(Generator, ReadingAndSavingAGeneratedFileGivesTheSameBytes) {
    GenOptions master = SmallPreset(30);
    master.master = true;
    master.seed = 7;
    const std::vector<std::pair<GenOptions, int32_t>> cases = {
        {SmallPreset(60), 0}, {WithEverything(), 0}, {SamplePreset(), 0}, {master, 1}, {UnusualPreset(), 0}};
    for (const auto& [options, fileType] : cases) ExpectSavedUnchanged(options, fileType);
}

TEST(Generator, EmptyAndLopsidedOptionsStillGiveWellFormedFiles) {
    GenOptions none;
    for (int GenOptions::*count :
         {&GenOptions::gameSettings,    &GenOptions::globals,       &GenOptions::classes,
          &GenOptions::factions,        &GenOptions::races,         &GenOptions::sounds,
          &GenOptions::skills,          &GenOptions::magicEffects,  &GenOptions::scripts,
          &GenOptions::regions,         &GenOptions::birthsigns,    &GenOptions::landTextures,
          &GenOptions::statics,         &GenOptions::doors,         &GenOptions::miscItems,
          &GenOptions::weapons,         &GenOptions::containers,    &GenOptions::spells,
          &GenOptions::enchantments,    &GenOptions::bodyParts,     &GenOptions::lights,
          &GenOptions::armor,           &GenOptions::clothing,      &GenOptions::repairItems,
          &GenOptions::activators,      &GenOptions::apparatus,     &GenOptions::lockpicks,
          &GenOptions::probes,          &GenOptions::ingredients,   &GenOptions::books,
          &GenOptions::potions,         &GenOptions::levelledItems, &GenOptions::levelledCreatures,
          &GenOptions::soundGenerators, &GenOptions::startScripts,  &GenOptions::npcs,
          &GenOptions::creatures,       &GenOptions::interiorCells, &GenOptions::exteriorCells,
          &GenOptions::refsPerCell,     &GenOptions::landRecords,   &GenOptions::pathGrids,
          &GenOptions::topics,          &GenOptions::responses})
        none.*count = 0;
    GenOptions deletedOnly = none;
    deletedOnly.deletedRecords = true;
    deletedOnly.movedReferences = true;
    GenOptions talkative = none; // responses without people, cells or items to name
    talkative.topics = 3;
    talkative.responses = 500;
    GenOptions homeless = SmallPreset(20); // people but no cells to place them in
    homeless.interiorCells = homeless.exteriorCells = homeless.pathGrids = 0;
    for (const GenOptions& o : {none, deletedOnly, talkative, homeless}) {
        Generated g = Make(o);
        std::string why;
        EXPECT_TRUE(vellum::CheckWellFormed(g.bytes, &why)) << why;
        EXPECT_EQ(g.stats.totalRecords, static_cast<int64_t>(g.recs.size()));
        EXPECT_EQ(testutil::RoundTrip(g.bytes), g.bytes);
    }
    EXPECT_EQ(Make(none).recs.size(), 1u) << "only the header";
    Generated t = Make(talkative);
    EXPECT_EQ(t.stats.records.at("INFO"), 500);
    EXPECT_EQ(t.stats.records.at("DIAL"), 3);
    EXPECT_EQ(Make(homeless).stats.npcReferences, 0);
}

TEST(Generator, BundledSampleIsTheSamplePreset) {
    std::string file = testutil::ReadFile(std::string(VELLUM_SOURCE_DIR) + "/examples/Sample.esp");
    EXPECT_TRUE(file == Sample().bytes) << "examples/Sample.esp is out of date: regenerate it with "
                                           "vellum-gen --preset sample -o examples/Sample.esp";
}

#endif // VELLUM_HAVE_GENERATOR
