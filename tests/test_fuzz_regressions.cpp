// The checks of the fuzz targets (fuzz/fuzz_checks.h) in the ordinary test suite: every input saved in
// fuzz/regressions/<target>/ must pass its target's check, and each check runs over a fixed set of
// generated and damaged inputs, so that the properties hold in builds without libFuzzer too.
#include <gtest/gtest.h>

#if defined(VELLUM_HAVE_GENERATOR)

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "dialogue/export_text.h"
#include "fuzz_checks.h"
#include "test_util.h"

namespace {

namespace fs = std::filesystem;
using namespace vellum;
using namespace vellum::fuzz;

fs::path RegressionFolder(std::string_view target) {
    return fs::path(VELLUM_SOURCE_DIR) / "fuzz" / "regressions" / std::string(target);
}

std::vector<fs::path> FilesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec))
        if (e.is_regular_file() && e.path().filename().string()[0] != '.') files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

// Damage of the kinds a fuzzer makes: flipped bytes, cut files, overwritten size fields, copied pieces.
std::string Damage(std::string s, std::mt19937& rng) {
    if (s.empty()) return s;
    switch (rng() % 5) {
    case 0:
        for (int k = 0; k < 4; ++k) s[rng() % s.size()] = static_cast<char>(rng());
        break;
    case 1: s.resize(rng() % s.size()); break;
    case 2: {
        const size_t at = rng() % s.size();
        const uint32_t v = rng() % 2 ? 0xFFFFFFF0u - rng() % 16 : rng() % 64;
        for (int i = 0; i < 4 && at + i < s.size(); ++i) s[at + i] = static_cast<char>(v >> (8 * i));
        break;
    }
    case 3: {
        const size_t from = rng() % s.size(), len = std::min<size_t>(rng() % 64, s.size() - from);
        s.insert(rng() % s.size(), s.substr(from, len));
        break;
    }
    default: s.erase(rng() % s.size(), rng() % 32); break;
    }
    return s;
}

} // namespace

TEST(FuzzRegressions, SavedInputsPassTheirChecks) {
    // A data file is refused unless it begins with a TES3 record: inputs saved before that rule are checked
    // as they are and behind an empty TES3 record, so that their records are still read.
    const std::string header = "TES3" + std::string(12, '\0');
    size_t inputs = 0;
    for (const Target& t : Targets()) {
        for (const fs::path& file : FilesIn(RegressionFolder(t.name))) {
            const std::string input = testutil::ReadFile(file.string());
            EXPECT_EQ(t.check(input), "") << file;
            if (t.name == "esfile" && input.compare(0, 4, "TES3") != 0) {
                EXPECT_EQ(t.check(header + input), "") << file << " behind a header";
            }
            ++inputs;
        }
    }
    std::printf("%zu saved inputs checked\n", inputs);
}

TEST(FuzzChecks, FileRoundTripHoldsForSamplesAndDamagedCopies) {
    std::vector<std::string> samples = {testutil::ReadFile(testutil::SharedFixture("all_types.esp")),
                                        ImportBaseFile()};
    ASSERT_GT(samples[0].size(), 1000u);
    for (const std::string& s : samples) EXPECT_EQ(CheckFileRoundTrip(s), "");
    std::mt19937 rng(20240611);
    for (int round = 0; round < 150; ++round) {
        // Pieces of a sample behind its header keep the damaged inputs small.
        const std::string& s = samples[round % 2];
        const size_t from = rng() % s.size(),
                     header = 16 + ByteReader(std::string_view(s).substr(4, 4)).u32();
        std::string piece = s.substr(0, header) + s.substr(from, 1 + rng() % 3000);
        std::string input = Damage(Damage(piece, rng), rng);
        EXPECT_EQ(CheckFileRoundTrip(input), "") << "round " << round;
    }
}

TEST(FuzzChecks, ImportHoldsForEditedExports) {
    FakeUi ui;
    const std::string text = BuildDialogueText(ImportBaseStore(), ui);
    ASSERT_FALSE(text.empty());
    for (uint8_t config = 0; config < 32; ++config)
        EXPECT_EQ(CheckDialogueImport(ImportInput(ImportConfig::From(config), text)), "");
    std::mt19937 rng(77);
    for (int round = 0; round < 120; ++round) {
        std::string edited = text;
        // Longer texts, stray quotes, lost and doubled lines.
        for (int k = 0; k < 3; ++k) {
            const size_t at = rng() % edited.size();
            switch (rng() % 4) {
            case 0: edited.insert(at, std::string(200 + rng() % 400, 'w')); break;
            case 1: edited.insert(at, rng() % 2 ? "\"" : "\"\""); break;
            case 2: edited.erase(at, edited.find("\r\n", at) - at); break;
            default: edited.insert(at, "\r\n"); break;
            }
        }
        EXPECT_EQ(CheckDialogueImport(ImportInput(ImportConfig::From(static_cast<uint8_t>(rng())), edited)),
                  "")
            << "round " << round;
    }
}

TEST(FuzzChecks, CleanUpHoldsForAwkwardTexts) {
    const std::string texts[] = {"\"Hello,\" she said . \"come here !\"",
                                 "XXThisIsAQuoteXX \"a\" xxTHISisAquoteXX\"",
                                 "wait... what?? no!! . . . ok.... xx...",
                                 "a--b --- c \x97 d \x06 e - f",
                                 std::string(600, 'a') + ". b",
                                 std::string(700, '"'),
                                 "",
                                 "(x) {y} \t\r\n  z  ,  ."};
    for (uint16_t options : {0x000, 0x400, 0x7FF, 0x084, 0x2C8})
        for (uint8_t answers : {0, 1, 2, 3, 4, 7, 11, 15})
            EXPECT_EQ(CheckCleanUp(CleanUpInput(options, answers, texts, std::size(texts))), "")
                << options << " " << int(answers);
    std::mt19937 rng(5);
    const std::string alphabet = " .,?!;:\"-xX'ThisIsAQuote\r\n(){}\x85\x93\x94\x97@#a";
    for (int round = 0; round < 200; ++round) {
        std::string t[3];
        for (std::string& s : t)
            for (size_t n = rng() % 80; n > 0; --n) s += alphabet[rng() % alphabet.size()];
        EXPECT_EQ(CheckCleanUp(CleanUpInput(static_cast<uint16_t>(rng()), static_cast<uint8_t>(rng()), t, 3)),
                  "")
            << "round " << round;
    }
}

TEST(FuzzChecks, WildcardMatcherAgreesWithTheReference) {
    std::mt19937 rng(9);
    const std::string patternChars = "ab*A\xC9\xE9 \"C1";
    for (int round = 0; round < 3000; ++round) {
        std::string pattern, text;
        for (size_t n = rng() % 10; n > 0; --n) pattern += patternChars[rng() % patternChars.size()];
        for (size_t n = rng() % 14; n > 0; --n) text += patternChars[rng() % patternChars.size()];
        EXPECT_EQ(CheckWildcard(WildcardInput(pattern, text)), "");
    }
    for (const char* line : {"Choice \"Yes\" 1 \"No\" 2", "choice, \"a\", 12", "Choice  \"x\"  3 ; note",
                             "MessageBox \"?\" Choice \"y\" -4 \"z\" 5\r\n  Choice \"q\" 1"})
        EXPECT_EQ(CheckWildcard(WildcardInput("*", line)), "");
}

#endif // VELLUM_HAVE_GENERATOR
