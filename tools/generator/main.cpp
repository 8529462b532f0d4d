// vellum-gen: writes a synthetic plugin or master file for trying out, testing and measuring Vellum.
#include <charconv>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

#include "generator/generator.h"

namespace {

const char kUsage[] =
    "Usage: vellum-gen [--preset sample|master|small|unusual] [--seed N] [--responses N] -o FILE\n"
    "\n"
    "Writes a synthetic Morrowind data file. The same options always give the same bytes.\n"
    "\n"
    "  --preset sample   a small town with a few dozen people and a few hundred responses (default)\n"
    "  --preset master   a master file at the scale of the game's own (about 90 MB)\n"
    "  --preset small    every record type, few records of each\n"
    "  --preset unusual  a few dozen records laid out as other modding tools write them: spell IDs\n"
    "                    and rank names shorter than the game's, unknown subrecords in an NPC and a\n"
    "                    reference\n"
    "  --seed N          the seed of the random choices (default 1)\n"
    "  --responses N     the number of dialogue responses (small preset: default 40)\n"
    "  -o FILE           the file to write; save a master as .esm, a plugin as .esp\n"
    "  --help            show this text\n";

bool ParseNumber(std::string_view text, uint64_t& value) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "vellum-gen: %s\n%s", message.c_str(), kUsage);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::string preset = "sample", output;
    uint64_t seed = 1, responses = 0;
    bool seedGiven = false, responsesGiven = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        auto value = [&](std::string_view& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        std::string_view v;
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--preset") {
            if (!value(v)) return Fail("--preset needs a name");
            preset = std::string(v);
            if (preset != "sample" && preset != "master" && preset != "small" && preset != "unusual")
                return Fail("unknown preset \"" + preset + "\"");
        } else if (arg == "--seed") {
            if (!value(v) || !ParseNumber(v, seed)) return Fail("--seed needs a whole number");
            seedGiven = true;
        } else if (arg == "--responses") {
            if (!value(v) || !ParseNumber(v, responses) || responses > 10000000)
                return Fail("--responses needs a whole number up to 10000000");
            responsesGiven = true;
        } else if (arg == "-o" || arg == "--output") {
            if (!value(v) || v.empty()) return Fail("-o needs a file name");
            output = std::string(v);
        } else {
            return Fail("unknown argument \"" + std::string(arg) + "\"");
        }
    }
    if (output.empty()) return Fail("no output file given (-o FILE)");

    vellum::gen::GenOptions options;
    if (preset == "master")
        options = vellum::gen::MasterPreset();
    else if (preset == "small")
        options = vellum::gen::SmallPreset(responsesGiven ? static_cast<int>(responses) : 40);
    else if (preset == "unusual")
        options = vellum::gen::UnusualPreset();
    else
        options = vellum::gen::SamplePreset();
    if (seedGiven) options.seed = seed;
    if (responsesGiven) options.responses = static_cast<int>(responses);

    auto start = std::chrono::steady_clock::now();
    vellum::gen::GenStats stats;
    std::string bytes = vellum::gen::GeneratePlugin(options, &stats);
    double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();

    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "vellum-gen: could not write \"%s\"\n", output.c_str());
        return 1;
    }
    auto count = [&](const char* tag) {
        auto it = stats.records.find(tag);
        return static_cast<long long>(it == stats.records.end() ? 0 : it->second);
    };
    std::printf("Wrote %s: %lld records (%lld announced), %lld bytes, generated in %.0f ms\n", output.c_str(),
                static_cast<long long>(stats.totalRecords), static_cast<long long>(stats.announcedRecords),
                static_cast<long long>(stats.fileSize), ms);
    std::printf("  %lld topics, %lld responses, %lld choice conditions, %lld loop responses\n", count("DIAL"),
                count("INFO"), static_cast<long long>(stats.choiceConditions),
                static_cast<long long>(stats.loopResponses));
    std::printf("  %lld NPCs, %lld cells, %lld references (%lld persistent, %lld of NPCs, %lld moved, %lld "
                "deleted)\n",
                count("NPC_"), count("CELL"), static_cast<long long>(stats.references),
                static_cast<long long>(stats.persistentReferences),
                static_cast<long long>(stats.npcReferences), static_cast<long long>(stats.movedReferences),
                static_cast<long long>(stats.deletedReferences));
    return 0;
}
