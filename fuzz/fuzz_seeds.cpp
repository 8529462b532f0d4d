// fuzz_seeds OUTDIR FIXTURES [TARGET]: writes the starting inputs of every fuzz target (or only of TARGET)
// into OUTDIR/<target>/, made from generated plugins and from the shared sample plugin FIXTURES/all_types.esp
// (read where it is).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "dialogue/export_text.h"
#include "esfile/esfile.h"
#include "esfile/safe_file.h"
#include "fuzz_checks.h"
#include "generator/generator.h"

namespace {

namespace fs = std::filesystem;
using namespace vellum;

class SeedWriter {
  public:
    SeedWriter(fs::path dir, std::string target) : dir_(std::move(dir) / target) {
        fs::create_directories(dir_);
    }
    void add(const std::string& name, const std::string& bytes) {
        std::ofstream f(dir_ / name, std::ios::binary);
        f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        ++count_;
    }
    size_t count() const { return count_; }

  private:
    fs::path dir_;
    size_t count_ = 0;
};

struct Framed {
    std::string tag, bytes;
};
std::vector<Framed> Records(const std::string& file) {
    std::vector<Framed> out;
    size_t pos = 0;
    while (file.size() - pos >= 16) {
        ByteReader r(std::string_view(file).substr(pos + 4, 4));
        const size_t len = 16 + r.u32();
        if (len > file.size() - pos) break;
        out.push_back({file.substr(pos, 4), file.substr(pos, len)});
        pos += len;
    }
    return out;
}

std::string U32(uint32_t v) {
    return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}
std::string Sub(const std::string& tag, const std::string& data) {
    return tag + U32(static_cast<uint32_t>(data.size())) + data;
}
std::string Rec(const std::string& tag, const std::string& body, uint32_t flags = 0) {
    return tag + U32(static_cast<uint32_t>(body.size())) + U32(0) + U32(flags) + body;
}

// A small saved game: header with game data and screenshot parts, and a few saved-game records.
std::string SavedGame() {
    std::string hedr = U32(0x3FA66666) + U32(32) + std::string(32, 'a') + std::string(256, 'd') + U32(3);
    std::string header = Sub("HEDR", hedr) + Sub("MAST", std::string("Morrowind.esm") + '\0') +
                         Sub("DATA", std::string(8, '\x01')) + Sub("GMDT", std::string(124, 'g')) +
                         Sub("SCRD", std::string(20, 's')) + Sub("SCRS", std::string(64, 'p'));
    return Rec("TES3", header) + Rec("GAME", Sub("GMDT", std::string(12, 'x'))) +
           Rec("REFR", Sub("FRMR", U32(7)) + Sub("NAME", std::string("thing") + '\0')) +
           Rec("JOUR", Sub("NAME", "<p>text")) + Rec("QQQQ", Sub("DATA", "unknown record"));
}

void EsfileSeeds(const fs::path& out, const std::map<std::string, std::string>& files) {
    SeedWriter w(out, "esfile");
    w.add("saved-game", SavedGame());
    for (const auto& [name, bytes] : files) {
        w.add(name, bytes);
        // One small file per record type: the header and the first three records of that type.
        std::vector<Framed> recs = Records(bytes);
        if (recs.empty()) continue;
        std::map<std::string, std::string> byTag;
        std::map<std::string, int> taken;
        bool topicKept = false;
        for (size_t i = 1; i < recs.size(); ++i) {
            const std::string& tag = recs[i].tag;
            if (tag == "INFO") { // responses travel with their topic
                if (topicKept) byTag["DIAL"] += recs[i].bytes;
                continue;
            }
            const bool keep = taken[tag]++ < 3;
            if (tag == "DIAL") topicKept = keep;
            if (keep) byTag[tag] += recs[i].bytes;
        }
        for (const auto& [tag, body] : byTag) {
            std::string safe = tag;
            for (char& c : safe)
                if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
            w.add(name + "-" + safe, recs[0].bytes + body);
        }
    }
    std::printf("esfile: %zu seeds\n", w.count());
}

void ImportSeeds(const fs::path& out) {
    SeedWriter w(out, "import");
    SilentUi ui;
    const std::string text = BuildDialogueText(fuzz::ImportBaseStore(), ui);
    using fuzz::ImportConfig;
    for (uint8_t config : {0, 1, 2, 3, 4, 9, 14, 16, 31}) {
        w.add("export-" + std::to_string(config), fuzz::ImportInput(ImportConfig::From(config), text));
    }
    // Edited exports: an over-long text, a renamed topic, curly quotes, lines ending in LF only, comments
    // and blank lines, a second pass, an entry cut short.
    size_t at = 0;
    for (int line = 0; line < 3 && at != std::string::npos; ++line) at = text.find("\r\n", at + 1);
    if (at != std::string::npos) {
        // Inside the first response text (the fourth line).
        std::string grown = text;
        grown.insert(at + 3, std::string(600, 'w'));
        for (uint8_t config : {0, 1, 2, 3, 5, 6, 7})
            w.add("long-" + std::to_string(config), fuzz::ImportInput(ImportConfig::From(config), grown));
    }
    if (size_t t = text.find("\r\n\""); t != std::string::npos) {
        std::string renamed = text;
        renamed.insert(t + 3, "Renamed ");
        w.add("renamed", fuzz::ImportInput(ImportConfig::From(0), renamed));
    }
    std::string curly = text;
    for (size_t i = 0; i < curly.size(); ++i)
        if (curly[i] == '"') curly[i] = (i % 2) ? '\x93' : '\x94';
    w.add("curly", fuzz::ImportInput(ImportConfig::From(0), curly));
    std::string lf;
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lf += text[i];
    w.add("lf-only", fuzz::ImportInput(ImportConfig::From(16), lf));
    w.add("comments", fuzz::ImportInput(ImportConfig::From(0), "; a comment\r\n\r\n" + text + "\r\n"));
    w.add("two-passes", fuzz::ImportInput(ImportConfig::From(0), text + text));
    w.add("cut", fuzz::ImportInput(ImportConfig::From(0), text.substr(0, text.size() / 2)));
    w.add("empty", fuzz::ImportInput(ImportConfig::From(0), ""));
    std::printf("import: %zu seeds\n", w.count());
}

void CleanUpSeeds(const fs::path& out, const std::vector<std::string>& responses) {
    SeedWriter w(out, "cleanup");
    std::vector<std::string> special = {
        "\"Hello,\" she said . \"come here !\"",
        "XXThisIsAQuoteXX \"quoted\" xxthisisaquotexx",
        "wait... what?? no!! yes . . . ok....",
        "xx... XX... the end.. and . more",
        "a--b --- c - d -- e \x97 f \x06 g",
        "(round) {curly} [square]",
        "Tab\there\r\nnew line\r\n\r\n  two  spaces   three",
        "@#`\x92\x85\x93\x94",
        "colour favour honour realise grey theatre centre",
        "vvardenfell daedra dwemer temple tribunal ashlanders",
        "gonna wanna ok dude cool",
        std::string(520, 'a') + " b. c",
        std::string(300, '"'),
        "",
    };
    const uint16_t optionSets[] = {0x400, 0,     0x7FF, 0x004, 0x084, 0x008,
                                   0x040, 0x240, 0x200, 0x100, 0x013, 0x420};
    size_t k = 0;
    for (uint16_t options : optionSets) {
        w.add("special-" + std::to_string(k),
              fuzz::CleanUpInput(options, static_cast<uint8_t>(k), special.data(), special.size()));
        ++k;
    }
    for (size_t i = 0; i < responses.size(); i += 6) {
        const size_t n = std::min<size_t>(6, responses.size() - i);
        w.add("responses-" + std::to_string(i),
              fuzz::CleanUpInput(optionSets[(i / 6) % 12], static_cast<uint8_t>(i), &responses[i], n));
    }
    std::printf("cleanup: %zu seeds\n", w.count());
}

void WildcardSeeds(const fs::path& out, const std::vector<std::string>& results) {
    SeedWriter w(out, "wildcard");
    const std::vector<std::pair<std::string, std::string>> pairs = {
        {"*Choice \"*\" 1", "Choice \"Yes\" 1"},
        {"*Choice \"*\" 1 *", "Choice \"Yes\" 1 \"No\" 2"},
        {"*Choice \"*\" 2", "choice, \"Yes\", 1, \"No\", 2"},
        {"*Choice \"*\" -3 *", "MessageBox \"x\" Choice \"a\" -3 \"b\" 4"},
        {"a*b*c", "aXbYc"},
        {"*aab*", "aaaab"},
        {"**", ""},
        {"", ""},
        {"*\xC9*", "caf\xE9"},
        {"abc", "ABC"},
        {"*ab*ab*", "ababab"},
    };
    size_t k = 0;
    for (const auto& [pattern, text] : pairs)
        w.add("pair-" + std::to_string(k++), fuzz::WildcardInput(pattern, text));
    for (const std::string& r : results) {
        if (r.find("hoice") == std::string::npos) continue;
        w.add("result-" + std::to_string(k++), fuzz::WildcardInput("*Choice \"*\" 1 *", r));
        if (k > 60) break;
    }
    std::printf("wildcard: %zu seeds\n", w.count());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "Usage: fuzz_seeds OUTDIR FIXTURES_DIR [TARGET]\n");
        return 2;
    }
    const fs::path out = argv[1];
    std::map<std::string, std::string> files;
    {
        std::string bytes, error;
        if (ReadWholeFile((fs::path(argv[2]) / "all_types.esp").string(), bytes, error))
            files["all_types"] = bytes;
        else
            std::fprintf(stderr, "fuzz_seeds: all_types.esp not read (%s); generated seeds only\n",
                         error.c_str());
    }
    files["small"] = gen::GeneratePlugin(gen::SmallPreset(8));
    files["base"] = fuzz::ImportBaseFile();
    {
        gen::GenOptions o = gen::SmallPreset(12);
        o.master = true;
        o.movedReferences = true;
        o.seed = 7;
        files["master"] = gen::GeneratePlugin(o);
    }

    std::vector<std::string> texts, results;
    for (const auto& [name, bytes] : files) {
        RecordStore s;
        SilentUi ui;
        int32_t count = 0;
        ReadESBytes(bytes, s, ui, count, true);
        for (const INFORecord& r : s.tblINFO) {
            texts.push_back(r.NAME);
            if (!r.BNAM.empty()) results.push_back(r.BNAM);
        }
    }
    const std::string only = argc == 4 ? argv[3] : "";
    if (only.empty() || only == "esfile") EsfileSeeds(out, files);
    if (only.empty() || only == "import") ImportSeeds(out);
    if (only.empty() || only == "cleanup") CleanUpSeeds(out, texts);
    if (only.empty() || only == "wildcard") WildcardSeeds(out, results);
    return 0;
}
