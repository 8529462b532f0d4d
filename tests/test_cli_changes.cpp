// The command line's --dry-run, --json and --check: they write nothing, and name exactly the responses and
// results that the real run changes, with the same texts after; every JSON the commands write parses.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "cli_runner.h"
#include "dialogue/rename_topics.h"
#include "generator/generator.h"
#include "store/changes.h"
#include "test_util.h"
#include "text_1252.h"

using namespace vellum;
using nlohmann::json;
using testutil::Cli;
using testutil::CliRun;

namespace {

RecordStore Load(const std::string& path) {
    RecordStore s;
    testutil::Load(testutil::ReadFile(path), s);
    return s;
}

// (field, record, text after) of every change, as the real run's output file holds them.
using Changed = std::set<std::tuple<std::string, size_t, std::string>>;

Changed FromStores(const RecordStore& before, const RecordStore& after) {
    static const char* kWhat[] = {"text", "result", "topic", "name"};
    Changed out;
    for (const TextChange& c : CompareDialogue(TakeDialogueTexts(before), after))
        out.insert({kWhat[static_cast<int>(c.field)], c.record, cli::Cp1252ToUtf8(c.after.text)});
    return out;
}

Changed FromJson(const std::string& text) {
    Changed out;
    for (const json& e : json::parse(text))
        out.insert({e.at("field").get<std::string>(), e.at("index").get<size_t>(),
                    e.at("after").get<std::string>()});
    return out;
}

// The (what, response ID) pairs the diff's headings name, responses and results only.
std::multiset<std::pair<std::string, std::string>> DiffNames(const std::string& diff) {
    std::multiset<std::pair<std::string, std::string>> out;
    std::istringstream in(diff);
    for (std::string line; std::getline(in, line);) {
        const size_t id = line.find(" response \"");
        if (line.rfind("--- topic ", 0) != 0 || id == std::string::npos) continue;
        const size_t end = line.find('"', id + 11);
        const std::string what = line.substr(end + 2);
        if (what == "text" || what == "result") out.insert({what, line.substr(id + 11, end - id - 11)});
    }
    return out;
}

std::multiset<std::pair<std::string, std::string>> Names(const Changed& changed, const RecordStore& store) {
    std::multiset<std::pair<std::string, std::string>> out;
    for (const auto& [what, record, after] : changed)
        if (what == "text" || what == "result") out.insert({what, store.tblINFO[record].INAM});
    return out;
}

struct Workspace {
    testutil::TempDir dir;
    std::string plugin = dir.file("Town.esp");
    std::string edited = dir.file("edited.txt");
    std::string topic;
    Workspace() {
        testutil::WriteFile(plugin, gen::GeneratePlugin(gen::SamplePreset()));
        EXPECT_EQ(Cli({"export-dialogue", plugin, edited}).status, 0);
        // Every "the" of the texts becomes "thee", in responses and results alike.
        std::string text = testutil::ReadFile(edited);
        for (size_t at = 0; (at = text.find(" the ", at)) != std::string::npos; at += 5)
            text.insert(at + 4, "e");
        testutil::WriteFile(edited, text);
        topic = ListTopicRows(Load(plugin)).at(1).name;
    }
};

} // namespace

TEST(CliChanges, DryRunsWriteNothingAndNameWhatTheRealRunChanges) {
    Workspace w;
    const std::string original = testutil::ReadFile(w.plugin), editedText = testutil::ReadFile(w.edited);
    const RecordStore loaded = Load(w.plugin);
    const struct {
        std::vector<std::string> words; // without -o and the report flag
        bool cleanAfter;                // running the same command on its output changes nothing
    } commands[] = {
        {{"morrowindize", w.plugin, "--all"}, true},
        {{"morrowindize", w.plugin, "--american", "--no-proper-names"}, true},
        {{"import-dialogue", w.plugin, w.edited, "--over-512=trim"}, false},
        {{"rename-topic", w.plugin, w.topic, "Quite New Topic"}, false},
    };
    for (const auto& c : commands) {
        SCOPED_TRACE(c.words[0] + " " + c.words.back());
        auto run = [&](std::vector<std::string> extra, const std::string& file) {
            std::vector<std::string> words = c.words;
            words[1] = file;
            words.insert(words.end(), extra.begin(), extra.end());
            return Cli(words);
        };
        const CliRun dry = run({"--dry-run"}, w.plugin), asJson = run({"--json"}, w.plugin),
                     check = run({"--check"}, w.plugin);
        EXPECT_EQ(dry.status, 0) << dry.err;
        EXPECT_EQ(asJson.status, 0) << asJson.err;
        EXPECT_EQ(testutil::ReadFile(w.plugin), original);
        EXPECT_EQ(testutil::ReadFile(w.edited), editedText);

        const std::string out = w.dir.file("out.esp");
        ASSERT_EQ(run({"-o", out}, w.plugin).status, 0);
        const Changed real = FromStores(loaded, Load(out));
        ASSERT_FALSE(real.empty());
        EXPECT_EQ(FromJson(asJson.out), real);
        EXPECT_EQ(DiffNames(dry.out), Names(real, loaded));
        EXPECT_EQ(check.status, 1);
        EXPECT_EQ(check.out.back(), '\n');
        EXPECT_EQ(std::count(check.out.begin(), check.out.end(), '\n'), 1);
        if (c.cleanAfter) {
            const CliRun again = run({"--check"}, out);
            EXPECT_EQ(again.status, 0) << again.out;
            EXPECT_EQ(again.out, out + ": nothing would change.\n");
        }
        std::filesystem::remove(out);
        testutil::WriteFile(w.edited, editedText); // the real import straightened its quotes
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(w.dir.path()), {}), 2)
        << "nothing else written";

    // One report at a time, and none of them with -o.
    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{"morrowindize", w.plugin, "--check", "--json"},
          {"morrowindize", w.plugin, "--dry-run", "-o", w.dir.file("x.esp")},
          {"rename-topic", w.plugin, w.topic, "X", "--json", "-o", w.dir.file("x.esp")},
          {"morrowindize", "--text", "a", "--check"}})
        EXPECT_EQ(Cli(wrong).status, 2) << wrong.back();
}

TEST(CliChanges, EveryJsonParses) {
    Workspace w;
    const RecordStore loaded = Load(w.plugin);
    const json info = json::parse(Cli({"info", w.plugin, "--json"}).out);
    EXPECT_EQ(info.at("counts").at("INFO"), loaded.tblINFO.size());
    EXPECT_EQ(info.at("counts").size(), 55u);
    EXPECT_TRUE(info.at("damage").is_null());

    // A file cut short: the damage report is there.
    const std::string cut = w.dir.file("cut.esp");
    const std::string bytes = testutil::ReadFile(w.plugin);
    testutil::WriteFile(cut, bytes.substr(0, bytes.size() - 7));
    const CliRun damaged = Cli({"info", cut, "--json"});
    EXPECT_EQ(damaged.status, 3);
    const json report = json::parse(damaged.out).at("damage");
    EXPECT_GT(report.at("skippedBytes"), 0);
    EXPECT_EQ(report.at("spans").size(), report.at("lines").size());

    const json loops = json::parse(Cli({"loops", w.plugin, "--json"}).out);
    EXPECT_EQ(loops.at("responses"), loaded.tblINFO.size());
    EXPECT_FALSE(loops.at("loops").empty());
    EXPECT_TRUE(json::parse(Cli({"morrowindize", w.plugin, "--json"}).out).is_array());
}
