// Every saved file and tool output of the shared plugin, the bundled sample and generated files of every
// preset, byte for byte as recorded in golden/outputs.sha256 (one "checksum  name" line per output, as
// sha256sum writes them, so `sha256sum -c` reads it too). A change to what the program writes shows here as
// a changed checksum; after a change made on purpose, VELLUM_GOLDEN_RECORD=1 writes the list anew.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>

#include "cli.h"
#include "generator/generator.h"
#include "test_util.h"

#if defined(VELLUM_HAVE_GENERATOR)

namespace {

// SHA-256 of bytes, in lowercase hex.
std::string Sha256(const std::string& bytes) {
    static constexpr std::array<uint32_t, 64> k = {
        0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
        0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
        0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
        0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
        0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
        0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
        0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
        0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};
    std::array<uint32_t, 8> h = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    std::string m = bytes;
    m.push_back('\x80');
    while (m.size() % 64 != 56) m.push_back('\0');
    for (int i = 7; i >= 0; --i) m.push_back(static_cast<char>((uint64_t(bytes.size()) * 8) >> (i * 8)));
    auto rotr = [](uint32_t x, int n) { return (x >> n) | (x << (32 - n)); };
    for (size_t at = 0; at < m.size(); at += 64) {
        std::array<uint32_t, 64> w{};
        for (size_t i = 0; i < 16; ++i)
            for (size_t j = 0; j < 4; ++j) w[i] = (w[i] << 8) | static_cast<uint8_t>(m[at + i * 4 + j]);
        for (size_t i = 16; i < 64; ++i)
            w[i] = w[i - 16] + (rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >> 3)) + w[i - 7] +
                   (rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >> 10));
        auto [a, b, c, d, e, f, g, hh] = h;
        for (size_t i = 0; i < 64; ++i) {
            const uint32_t t1 =
                hh + (rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25)) + ((e & f) ^ (~e & g)) + k[i] + w[i];
            const uint32_t t2 = (rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
            hh = g, g = f, f = e, e = d + t1, d = c, c = b, b = a, a = t1 + t2;
        }
        const std::array<uint32_t, 8> add = {a, b, c, d, e, f, g, hh};
        for (size_t i = 0; i < 8; ++i) h[i] += add[i];
    }
    std::string hex;
    for (uint32_t v : h)
        for (int i = 28; i >= 0; i -= 4) hex.push_back("0123456789abcdef"[(v >> i) & 15]);
    return hex;
}

// Runs one command; what it printed (and its errors where they came, when asked for) with the timings of the
// log lines masked, as they differ from run to run.
std::string Command(const std::vector<std::string>& words, bool withErrors = false) {
    std::ostringstream out, err;
    vellum::cli::RunCli(words, out, withErrors ? out : err);
    static const std::regex timing("in [0-9]+\\.[0-9]{3} seconds");
    return std::regex_replace(out.str(), timing, "in N seconds");
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
    const std::vector<std::string> inputs = {"shared", "sample", "small", "town", "unusual"};

    for (const std::string& f : inputs) {
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
        if (!input) outputs[name] = Sha256(testutil::ReadFile(vellum::PathToUtf8(entry.path())));
    }
    const std::string list = std::string(VELLUM_SOURCE_DIR) + "/tests/golden/outputs.sha256";
    if (std::getenv("VELLUM_GOLDEN_RECORD")) {
        std::string text;
        for (const auto& [name, sum] : outputs) text += sum + "  " + name + "\n";
        testutil::WriteFile(list, text);
        GTEST_SKIP() << "recorded " << outputs.size() << " outputs in " << list;
    }
    std::map<std::string, std::string> recorded;
    std::istringstream lines(testutil::ReadFile(list));
    for (std::string sum, name; lines >> sum >> name;) recorded[name] = sum;
    ASSERT_FALSE(recorded.empty()) << list;
    for (const auto& [name, sum] : recorded) EXPECT_EQ(outputs[name], sum) << name;
    for (const auto& [name, sum] : outputs) EXPECT_TRUE(recorded.count(name)) << name << " is not recorded";
}

#endif
