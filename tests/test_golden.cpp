// Every saved file and tool output of the shared plugin, the bundled sample and generated files of every
// preset, byte for byte as recorded in golden/outputs.txt (one "checksum  name" line per output). A change to
// what the program writes shows here as a changed checksum; after a change made on purpose,
// VELLUM_GOLDEN_RECORD=1 writes the list anew.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "cli.h"
#include "generator/generator.h"
#include "test_util.h"

#if defined(VELLUM_HAVE_GENERATOR)

namespace {

// The 64-bit FNV-1a checksum of bytes, in hex: any changed byte changes it.
std::string Checksum(const std::string& bytes) {
    uint64_t h = 14695981039346656037ull;
    for (unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(h));
    return hex;
}

// The timings of the log lines ("in 0.125 seconds") as "in N seconds": they differ from run to run.
std::string MaskTimings(std::string s) {
    for (size_t at = s.find(" seconds"); at != std::string::npos; at = s.find(" seconds", at + 1)) {
        size_t from = at;
        while (from > 0 && (std::isdigit(static_cast<unsigned char>(s[from - 1])) || s[from - 1] == '.'))
            --from;
        if (from < at && from >= 3 && s.compare(from - 3, 3, "in ") == 0) {
            s.replace(from, at - from, "N");
            at = from;
        }
    }
    return s;
}

// Runs one command; what it printed (and its errors where they came, when asked for).
std::string Command(const std::vector<std::string>& words, bool withErrors = false) {
    std::ostringstream out, err;
    vellum::cli::RunCli(words, out, withErrors ? out : err);
    return MaskTimings(out.str());
}

} // namespace

TEST(Golden, EverySavedFileAndToolOutputIsAsRecorded) {
    namespace gen = vellum::gen;
    testutil::TempDir dir;
    auto at = [&](const std::string& name) { return dir.file(name); };
    auto put = [&](const std::string& name, const std::string& bytes) {
        testutil::WriteFile(at(name), bytes);
    };
    gen::GenOptions town = gen::SamplePreset(), master = gen::MasterPreset();
    town.seed = 7;
    master.responses = 3000;
    put("shared.esp", testutil::ReadFile(testutil::SharedFixture("all_types.esp")));
    put("sample.esp", testutil::ReadFile(std::string(VELLUM_SOURCE_DIR) + "/examples/Sample.esp"));
    put("small.esp", gen::GeneratePlugin(gen::SmallPreset(40)));
    put("town.esp", gen::GeneratePlugin(town));
    put("unusual.esp", gen::GeneratePlugin(gen::UnusualPreset()));
    put("master.esm", gen::GeneratePlugin(master));
    for (const std::string f : {"shared", "sample", "small", "town", "unusual"}) {
        const std::string in = at(f + ".esp");
        auto out = [&](const std::string& suffix) { return at(f + suffix); };
        put(f + ".info.txt", Command({"info", in}));
        Command({"save", in, out(".saved.esp")});
        Command({"save", in, out(".saved.esm")});
        Command({"export-dialogue", in, out(".dialogue.txt")});
        Command({"export-dialogue", in, out(".quotes.xml"), "--city", "Balmora"});
        Command({"export-dialogue", in, out(".quotes.brq")});
        Command({"import-dialogue", in, out(".dialogue.txt"), "-o", out(".imported.esp"),
                 "--remove-line-breaks", "--over-512=trim"});
        put(f + ".clean.log", Command({"morrowindize", in, "-o", out(".clean.esp")}));
        put(f + ".clean-all.log", Command({"morrowindize", in, "-o", out(".clean-all.esp"), "--all"}, true));
        put(f + ".loops.json", Command({"loops", in, "--json"}));
        put(f + ".loops.txt", Command({"loops", in}));
        for (const char* format : {"text", "html", "phpbb"})
            Command({"npc-list", in, "--cell", "e", "--format", format, "--clones", "-o",
                     out(std::string(".npcs.") + format)});
    }
    Command({"save", at("master.esm"), at("master.saved.esm")});
    Command({"export-dialogue", at("master.esm"), at("master.dialogue.txt")});
    Command({"morrowindize", at("master.esm"), "-o", at("master.clean.esm"), "--all"});

    // Every output and its checksum, by name.
    std::map<std::string, std::string> outputs;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        const std::string name = vellum::PathToUtf8(entry.path().filename());
        const std::string stem = name.substr(0, name.find('.'));
        const bool input = name == stem + ".esp" || name == "master.esm";
        if (!input) outputs[name] = Checksum(testutil::ReadFile(vellum::PathToUtf8(entry.path())));
    }
    const std::string list = std::string(VELLUM_SOURCE_DIR) + "/tests/golden/outputs.txt";
    if (std::getenv("VELLUM_GOLDEN_RECORD")) {
        std::string text;
        for (const auto& [name, sum] : outputs) text += sum + "  " + name + "\n";
        testutil::WriteFile(list, text);
        GTEST_SKIP() << "recorded " << outputs.size() << " outputs in " << list;
    }
    std::map<std::string, std::string> recorded;
    std::istringstream lines(testutil::ReadFile(list));
    for (std::string sum, name; lines >> sum >> name;) recorded[name] = sum;
    for (const auto& [name, sum] : recorded) EXPECT_EQ(outputs[name], sum) << name;
    for (const auto& [name, sum] : outputs) EXPECT_TRUE(recorded.count(name)) << name << " is not recorded";
}

#endif
