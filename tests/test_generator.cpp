// The synthetic plugin generator: well-formed files in the program's own record layout, the numbers it
// announces, determinism, realistic dialogue and people, and whole-file round trips through the program's
// readers and writers.
#ifdef VELLUM_HAVE_GENERATOR

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
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
std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(uint8_t(c)));
    return s;
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
    size_t pos = 0;
    while (pos < b.size()) {
        if (b.size() - pos < 16) {
            ADD_FAILURE() << "record header cut short at " << pos;
            return out;
        }
        Rec r;
        r.tag = std::string(b.substr(pos, 4));
        size_t size = U32At(b, pos + 4);
        EXPECT_EQ(U32At(b, pos + 8), 0u) << "Header1 of " << r.tag << " at " << pos;
        r.flags = U32At(b, pos + 12);
        size_t end = pos + 16 + size;
        if (end > b.size()) {
            ADD_FAILURE() << r.tag << " at " << pos << " runs past the end";
            return out;
        }
        size_t sub = pos + 16;
        while (sub < end) {
            if (end - sub < 8) {
                ADD_FAILURE() << "subrecord header cut short in " << r.tag << " at " << sub;
                return out;
            }
            size_t n = U32At(b, sub + 4);
            if (n > end - sub - 8) {
                ADD_FAILURE() << "subrecord " << b.substr(sub, 4) << " runs past its record " << r.tag;
                return out;
            }
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

// The writing order of the tables; a topic's responses follow it.
const std::vector<std::string> kOrder = {
    "TES3", "GMST", "GLOB", "CLAS", "FACT", "RACE", "SOUN", "SKIL", "MGEF", "SCPT", "REGN",
    "BSGN", "LTEX", "STAT", "DOOR", "MISC", "WEAP", "CONT", "SPEL", "ENCH", "BODY", "LIGH",
    "ARMO", "CLOT", "REPA", "ACTI", "APPA", "LOCK", "PROB", "INGR", "BOOK", "ALCH", "LEVI",
    "LEVC", "SNDG", "SSCR", "NPC_", "CREA", "CELL", "LAND", "PGRD", "DIAL", "INFO"};

// --- An independent loop check: a response's choice condition N and a result line offering N again ---

bool GlobMatch(std::string_view text, std::string_view pattern) {
    size_t t = 0, p = 0, star = std::string_view::npos, mark = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = t;
        } else if (p < pattern.size() &&
                   std::tolower(uint8_t(pattern[p])) == std::tolower(uint8_t(text[t]))) {
            ++p;
            ++t;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            t = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

int OfferingLines(std::string script, int n) {
    std::string once;
    for (size_t i = 0; i < script.size(); ++i) {
        if (script[i] == ' ' && i + 1 < script.size() && script[i + 1] == ' ') ++i;
        if (script[i] != ',') once += script[i];
    }
    int count = 0;
    size_t start = 0;
    while (start <= once.size()) {
        size_t crlf = once.find("\r\n", start);
        std::string line = once.substr(start, crlf == std::string::npos ? std::string::npos : crlf - start);
        if (size_t semi = line.find(';'); semi != std::string::npos) {
            line = line.substr(0, semi);
            while (!line.empty() && line.back() == ' ') line.pop_back();
            while (!line.empty() && line.front() == ' ') line.erase(0, 1);
        }
        std::string num = std::to_string(n);
        if (GlobMatch(line, "*Choice \"*\" " + num) || GlobMatch(line, "*Choice \"*\" " + num + " *"))
            ++count;
        if (crlf == std::string::npos) break;
        start = crlf + 2;
    }
    return count;
}

struct Condition {
    char type, comparison;
    std::string function, name;
    bool hasInt = false;
    int32_t value = 0;
};

std::vector<Condition> Conditions(const Rec& info) {
    std::vector<Condition> out;
    for (size_t i = 0; i < info.subs.size(); ++i) {
        const Sub& s = info.subs[i];
        if (s.tag != "SCVR") continue;
        Condition c{s.data[1], s.data[4], std::string(s.data.substr(2, 2)), std::string(s.data.substr(5))};
        if (i + 1 < info.subs.size() && info.subs[i + 1].tag == "INTV") {
            c.hasInt = true;
            c.value = static_cast<int32_t>(U32At(info.subs[i + 1].data, 0));
        }
        out.push_back(c);
    }
    return out;
}

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
    ASSERT_EQ(saved.size(), bytes.size()) << "seed " << options.seed;
    if (saved != bytes) {
        size_t at = size_t(std::mismatch(saved.begin(), saved.end(), bytes.begin()).first - saved.begin());
        size_t rec = 0;
        for (size_t p = 0; p + 16 <= bytes.size() && p <= at; p += 16 + U32At(bytes, p + 4)) rec = p;
        ADD_FAILURE() << "first difference at byte " << at << ", inside the " << bytes.substr(rec, 4)
                      << " record at " << rec;
    }
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
                std::string lastName;
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
                for (const Condition& c : Conditions(r)) choices += c.type == '1' && c.function == "50";
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

TEST(Generator, EveryRecordTypeComesInTheWritingOrder) {
    for (const Generated* g : {&Small(), &Sample()}) {
        std::set<std::string> seen;
        size_t last = 0;
        for (const Rec& r : g->recs) {
            auto it = std::find(kOrder.begin(), kOrder.end(), r.tag);
            ASSERT_NE(it, kOrder.end()) << r.tag;
            size_t at = size_t(it - kOrder.begin());
            if (r.tag == "DIAL" || r.tag == "INFO") at = kOrder.size() - 2; // interleaved
            EXPECT_GE(at, last) << r.tag << " out of order";
            last = at;
            seen.insert(r.tag);
        }
        for (const std::string& tag : kOrder) EXPECT_TRUE(seen.count(tag)) << tag << " missing";
        EXPECT_EQ(g->recs[1].tag, "GMST");
        EXPECT_NE(g->recs.back().tag, "TES3");
    }
}

TEST(Generator, SubrecordsHaveTheSizesAndShapesTheWritersProduce) {
    const std::map<std::pair<std::string, std::string>, size_t> fixedSizes = {
        {{"GLOB", "FNAM"}, 1},  {{"GLOB", "FLTV"}, 4},   {{"CLAS", "CLDT"}, 60}, {{"FACT", "FADT"}, 240},
        {{"FACT", "RNAM"}, 32}, {{"RACE", "RADT"}, 140}, {{"RACE", "NPCS"}, 32}, {{"SOUN", "DATA"}, 3},
        {{"SKIL", "SKDT"}, 24}, {{"MGEF", "MEDT"}, 36},  {{"SCPT", "SCHD"}, 52}, {{"REGN", "CNAM"}, 4},
        {{"REGN", "SNAM"}, 33}, {{"MISC", "MCDT"}, 12},  {{"WEAP", "WPDT"}, 32}, {{"CONT", "CNDT"}, 4},
        {{"CONT", "FLAG"}, 4},  {{"CONT", "NPCO"}, 36},  {{"SPEL", "SPDT"}, 12}, {{"SPEL", "ENAM"}, 24},
        {{"ENCH", "ENDT"}, 16}, {{"BODY", "BYDT"}, 4},   {{"LIGH", "LHDT"}, 24}, {{"ARMO", "AODT"}, 24},
        {{"ARMO", "INDX"}, 1},  {{"CLOT", "CTDT"}, 12},  {{"REPA", "RIDT"}, 16}, {{"APPA", "AADT"}, 16},
        {{"LOCK", "LKDT"}, 16}, {{"PROB", "PBDT"}, 16},  {{"INGR", "IRDT"}, 56}, {{"BOOK", "BKDT"}, 20},
        {{"ALCH", "ALDT"}, 12}, {{"ALCH", "ENAM"}, 24},  {{"LEVI", "DATA"}, 4},  {{"LEVI", "NNAM"}, 1},
        {{"LEVI", "INTV"}, 2},  {{"LEVC", "INTV"}, 2},   {{"SNDG", "DATA"}, 4},  {{"CREA", "NPDT"}, 96},
        {{"NPC_", "FLAG"}, 4},  {{"NPC_", "AIDT"}, 12},  {{"NPC_", "AI_W"}, 14}, {{"NPC_", "DODT"}, 24},
        {{"CELL", "NAM5"}, 4},  {{"CELL", "AMBI"}, 16},  {{"CELL", "FRMR"}, 4},  {{"PGRD", "DATA"}, 12},
        {{"DIAL", "DATA"}, 1},  {{"INFO", "DATA"}, 12},  {{"INFO", "QSTN"}, 1}};
    // Strings the game writes with a terminating zero.
    const std::set<std::string> zeroTerminated = {"MODL", "SCRI", "ITEX", "RGNN", "KNAM", "ONAM", "INAM",
                                                  "PNAM", "NNAM", "DNAM", "TNAM", "BNAM", "ANAM", "CNAM"};
    for (const Generated* g : {&Small(), &Sample()}) {
        for (const Rec& r : g->recs) {
            for (size_t i = 0; i < r.subs.size(); ++i) {
                const Sub& s = r.subs[i];
                auto it = fixedSizes.find({r.tag, s.tag});
                if (it != fixedSizes.end()) {
                    EXPECT_EQ(s.data.size(), it->second) << r.tag << " " << s.tag;
                }
                bool z = (s.tag == "NAME" && r.tag != "INFO") || (s.tag == "FNAM" && r.tag != "GLOB") ||
                         (zeroTerminated.count(s.tag) && !(r.tag == "INFO" && s.tag == "BNAM") &&
                          !(r.tag == "REGN" && s.tag == "CNAM") && !(s.tag == "NNAM" && r.tag != "INFO"));
                if (z) {
                    ASSERT_FALSE(s.data.empty()) << r.tag << " " << s.tag;
                    EXPECT_EQ(s.data.back(), '\0') << r.tag << " " << s.tag;
                    EXPECT_EQ(s.data.find('\0'), s.data.size() - 1) << r.tag << " " << s.tag;
                }
            }
            if (r.tag == "CELL") { // the cell's own DATA, then the references' positions
                bool first = true;
                for (const Sub& sub : r.subs) {
                    if (sub.tag != "DATA") continue;
                    EXPECT_EQ(sub.data.size(), first ? 12u : 24u);
                    first = false;
                }
            }
            // Values the readers would change are written already in their normal form.
            if (r.tag == "GLOB") {
                float v = F32At(r.find("FLTV")->data, 0);
                char type = r.find("FNAM")->data[0];
                if (type == 's') {
                    EXPECT_TRUE(v == std::nearbyint(v) && std::fabs(v) <= 32767) << v;
                } else if (type == 'l') {
                    EXPECT_EQ(v, std::nearbyint(v));
                }
            }
            if (r.tag == "GMST" && r.find("FLTV")) {
                float v = F32At(r.find("FLTV")->data, 0);
                EXPECT_EQ(static_cast<float>(std::nearbyint(double(v) * 10000) / 10000), v);
            }
            if (r.tag == "LIGH") {
                EXPECT_EQ(r.find("LHDT")->data[19], '\0') << "colour alpha";
            }
            auto upperZero = [&](std::string_view tag, size_t at) {
                for (const Sub& s : r.subs) {
                    if (s.tag == tag) {
                        EXPECT_EQ(s.data.substr(at + 1, 3), std::string_view("\0\0\0", 3)) << r.tag;
                    }
                }
            };
            if (r.tag == "CLAS") upperZero("CLDT", 52);
            if (r.tag == "WEAP") upperZero("WPDT", 28);
            if (r.tag == "CONT") upperZero("FLAG", 0);
            if (r.tag == "SPEL") upperZero("SPDT", 8);
            if (r.tag == "ENCH") upperZero("ENDT", 12);
            if (r.tag == "SNDG" || r.tag == "LEVI" || r.tag == "LEVC") upperZero("DATA", 0);
            const Sub* flag = r.find("FLAG");
            if ((r.tag == "NPC_" || r.tag == "CREA") && flag) {
                EXPECT_EQ(flag->data.substr(2), std::string_view("\0\0", 2));
            }
            if (r.tag == "NPC_" && !(r.flags & 0x20)) {
                size_t npdt = r.find("NPDT")->data.size();
                EXPECT_TRUE(npdt == 12 || npdt == 52) << npdt;
            }
        }
    }
}

TEST(Generator, DialogueLooksLikeAGamesDialogue) {
    const Generated& g = Sample();
    std::set<std::string> npcIds, creatureIds;
    for (const Rec& r : g.recs) {
        if (r.tag == "NPC_") npcIds.insert(r.str("NAME"));
        if (r.tag == "CREA") creatureIds.insert(r.str("NAME"));
    }
    std::set<int> types;
    std::set<std::string> infoIds;
    int byNpc = 0, byCreature = 0, noActor = 0, withResult = 0, withoutResult = 0, choiceLines = 0;
    int quotes = 0, lineBreaks = 0, pc = 0, name = 0, accented = 0, nearLimit = 0, spacedTopics = 0;
    size_t longest = 0;
    const Rec* topic = nullptr;
    std::vector<const Rec*> chain;
    auto checkChain = [&] {
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
            std::string t = r.str("NAME");
            spacedTopics += t.find(' ') != std::string::npos && t != Lower(t);
            continue;
        }
        if (r.tag != "INFO") continue;
        ASSERT_NE(topic, nullptr) << "a response before any topic";
        chain.push_back(&r);
        EXPECT_TRUE(infoIds.insert(r.str("INAM")).second) << "response IDs are unique";
        EXPECT_EQ(uint8_t(r.find("DATA")->data[0]), uint8_t(topic->find("DATA")->data[0]));
        std::string onam = r.str("ONAM");
        int type = topic->find("DATA")->data[0];
        if (onam.empty()) {
            noActor += type == 0 || type == 2;
        } else if (npcIds.count(onam)) {
            ++byNpc;
        } else if (creatureIds.count(onam)) {
            ++byCreature;
        } else {
            ADD_FAILURE() << "actor " << onam << " is no generated NPC or creature";
        }
        std::string_view text = r.find("NAME")->data;
        EXPECT_FALSE(text.empty());
        longest = std::max(longest, text.size());
        nearLimit += text.size() >= 480;
        quotes += text.find('"') != std::string_view::npos;
        lineBreaks += text.find("\r\n") != std::string_view::npos;
        pc += text.find("%PC") != std::string_view::npos;
        name += text.find("%Name") != std::string_view::npos;
        accented += std::any_of(text.begin(), text.end(), [](char c) { return uint8_t(c) >= 0x80; });
        const Sub* result = r.find("BNAM");
        (result ? withResult : withoutResult)++;
        if (result) choiceLines += result->data.find("Choice \"") != std::string_view::npos;
    }
    checkChain();
    EXPECT_EQ(types, (std::set<int>{0, 1, 2, 3, 4}));
    EXPECT_LE(longest, 512u);
    EXPECT_GT(nearLimit, 0);
    EXPECT_GT(spacedTopics, 3);
    for (int n : {byNpc, byCreature, noActor, withResult, withoutResult, choiceLines, quotes, lineBreaks, pc,
                  name, accented})
        EXPECT_GT(n, 0);
    EXPECT_GT(byNpc, noActor) << "most topic and greeting responses are spoken by NPCs";
}

TEST(Generator, LoopResponsesAreExactlyTheOnesALoopCheckFinds) {
    for (const Generated* g : {&Small(), &Sample()}) {
        int64_t responses = 0, offers = 0;
        for (const Rec& r : g->recs) {
            if (r.tag != "INFO" || !r.find("BNAM")) continue;
            std::string script(r.find("BNAM")->data);
            int found = 0;
            for (const Condition& c : Conditions(r))
                if (c.type == '1' && c.function == "50" && c.comparison != '1' && c.hasInt)
                    found += OfferingLines(script, c.value);
            responses += found > 0;
            offers += found;
        }
        EXPECT_EQ(responses, g->stats.loopResponses);
        EXPECT_EQ(offers, g->stats.loopResponses) << "each loop response offers its choice once";
    }
    EXPECT_GT(Sample().stats.loopResponses, 0);
    EXPECT_GT(Sample().stats.choiceConditions, Sample().stats.loopResponses);
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
        {SmallPreset(60), 0}, {WithEverything(), 0}, {SamplePreset(), 0}, {master, 1}};
    for (const auto& [options, fileType] : cases) ExpectSavedUnchanged(options, fileType);
}

TEST(Generator, UnusualPresetHasShortSpellIdsAndRankNamesAndUnknownSubrecords) {
    Generated g = Make(UnusualPreset());
    std::map<std::string, std::vector<size_t>> sizes; // "RACE NPCS": the sizes in the file's order
    for (const Rec& r : g.recs)
        for (const Sub& s : r.subs) sizes[r.tag + " " + s.tag].push_back(s.data.size());
    EXPECT_EQ(sizes["RACE NPCS"], (std::vector<size_t>{15, 24}));
    EXPECT_EQ(sizes["BSGN NPCS"], (std::vector<size_t>{15, 24}));
    EXPECT_EQ(sizes["FACT RNAM"], std::vector<size_t>(10, 20));
    EXPECT_EQ(sizes["NPC_ XTRA"], std::vector<size_t>{6});
    EXPECT_EQ(sizes["CELL XTRA"], std::vector<size_t>{3});
}

// Other tools' layouts, framed exactly: whatever the readers keep, saving must give back the same bytes.
TEST(Generator, UnusualButWellFramedPluginIsReadWholeAndSavedUnchanged) {
    ExpectSavedUnchanged(UnusualPreset());
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

TEST(Generator, MasterPresetHasTheScaleOfTheGamesMaster) {
    Generated g = Make(MasterPreset());
    const GenStats& s = g.stats;
    EXPECT_EQ(U32At(g.recs.front().find("HEDR")->data, 4), 1u);
    EXPECT_EQ(g.recs.front().subs.size(), 1u);
    EXPECT_EQ(s.records.at("INFO"), 30000);
    EXPECT_EQ(s.records.at("DIAL"), 2500);
    EXPECT_EQ(s.records.at("NPC_"), 2700);
    EXPECT_EQ(s.records.at("CELL"), 2500);
    EXPECT_EQ(s.records.at("LAND"), 1400);
    EXPECT_GT(s.references, 350000);
    EXPECT_LT(s.references, 450000);
    EXPECT_GT(s.fileSize, 70'000'000);
    EXPECT_LT(s.fileSize, 100'000'000);
    for (const Rec& r : g.recs)
        if (r.tag == "LAND") {
            size_t bytes = 0;
            for (const Sub& sub : r.subs) bytes += 8 + sub.data.size();
            EXPECT_GE(bytes, 30000u);
            EXPECT_LE(bytes, 40000u);
        }
}

#endif // VELLUM_HAVE_GENERATOR
