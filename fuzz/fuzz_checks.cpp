#include "fuzz_checks.h"

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "dialogue/import_text.h"
#include "dialogue/loops.h"
#include "dialogue/response_editor.h"
#include "dialogue/text_util.h"
#include "esfile/esfile.h"
#include "generator/generator.h"
#include "morrowindize/clean_text.h"
#include "morrowindize/morrowindize.h"
#include "morrowindize/options.h"
#include "morrowindize/text_replace.h"
#include "records/dialogue.h"

namespace vellum::fuzz {

namespace {

// A user who answers from a script, never shows anything, and notes what would have been shown.
class ScriptedUi : public Ui {
  public:
    std::function<Answer(Ask)> answer = [](Ask) { return Answer::Cancel; };
    std::function<void(ResponseEdit&)> edit = [](ResponseEdit&) {};
    std::vector<Ask> asked;            // questions with more than an OK button
    std::vector<std::string> log;      // log lines
    size_t messages = 0;               // every message box
    std::optional<double> badProgress; // a progress value outside 0..1

    Answer messageBox(std::string_view, std::string_view, Buttons buttons, Icon, Ask kind) override {
        ++messages;
        if (buttons == Buttons::OK) return Answer::OK;
        asked.push_back(kind);
        return answer(kind);
    }
    std::optional<std::string> inputBox(std::string_view, std::string_view, std::string_view) override {
        return std::nullopt;
    }
    void editResponse(ResponseEdit& e) override { edit(e); }
    void editResult(ResultEdit& e) override { e.fiAccept = "2"; }
    void setProgress(double f) override {
        if (!(f >= 0.0 && f <= 1.0)) badProgress = f;
    }
    void appendLog(std::string_view line) override { log.emplace_back(line); }
};

std::string Hex(std::string_view s, size_t max = 64) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < s.size() && i < max; ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        out += kDigits[c >> 4];
        out += kDigits[c & 15];
    }
    if (s.size() > max) out += "...";
    return out;
}

// A tag as text, with bytes outside printable ASCII as \xNN.
std::string Printable(std::string_view s) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 32 && c < 127) {
            out += ch;
        } else {
            out += "\\x";
            out += kDigits[c >> 4];
            out += kDigits[c & 15];
        }
    }
    return out;
}

uint32_t Get32(std::string_view bytes, size_t at) {
    ByteReader r(bytes.substr(at, 4));
    return r.u32();
}

// Records per tag, found by walking the record headers from the start for as long as they stay within the
// bytes; and the same for a store, whose tables name their tags.
using TagCounts = std::map<std::string, size_t>;
TagCounts RecordsPerTag(std::string_view bytes) {
    TagCounts n;
    for (size_t pos = 0; bytes.size() - pos >= 16 && Get32(bytes, pos + 4) <= bytes.size() - pos - 16;) {
        ++n[std::string(bytes.substr(pos, 4))];
        pos += 16 + Get32(bytes, pos + 4);
    }
    return n;
}
TagCounts RecordsPerTag(const RecordStore& s) {
    TagCounts n;
#define VELLUM_COUNT_TABLE(TAG, TYPE, RANK, IO)                                                              \
    if (!s.tbl##TAG.empty()) n[#TAG] = s.tbl##TAG.size();
    VELLUM_RECORD_TYPES(VELLUM_COUNT_TABLE)
#undef VELLUM_COUNT_TABLE
    for (const OpaqueRecord& u : s.tblUnknown) ++n[u.Tag];
    return n;
}
size_t Total(const TagCounts& n) {
    size_t total = 0;
    for (const auto& [tag, count] : n) total += count;
    return total;
}
// The first tag whose count differs, as "DIAL: 3 in the input, 2 in the store", or "".
std::string CountDifference(const TagCounts& a, const TagCounts& b, const char* aName, const char* bName) {
    TagCounts both = a;
    both.insert(b.begin(), b.end());
    for (const auto& [tag, unused] : both) {
        const size_t x = a.count(tag) ? a.at(tag) : 0, y = b.count(tag) ? b.at(tag) : 0;
        if (x != y)
            return Printable(tag) + ": " + std::to_string(x) + " in " + aName + ", " + std::to_string(y) +
                   " in " + bName;
    }
    return {};
}

// The tag of the record that holds a byte offset.
std::string RecordAt(std::string_view bytes, size_t at) {
    for (size_t pos = 0; bytes.size() - pos >= 16 && Get32(bytes, pos + 4) <= bytes.size() - pos - 16;) {
        const size_t end = pos + 16 + Get32(bytes, pos + 4);
        if (at < end) return Printable(bytes.substr(pos, 4));
        pos = end;
    }
    return "no";
}

// The reader takes only bytes that begin with a whole TES3 record.
bool BeginsWithHeader(std::string_view bytes) {
    return bytes.size() >= 16 && bytes.substr(0, 4) == "TES3" && Get32(bytes, 4) <= bytes.size() - 16;
}

int32_t FileTypeOf(const RecordStore& s) {
    if (s.tblTES3.empty()) return kFileTypePlugin;
    const int32_t t = s.tblTES3.front().FileType;
    return t == kFileTypeMaster || t == kFileTypeSavedGame ? t : kFileTypePlugin;
}

// The first byte offset where two texts differ.
size_t FirstDifference(std::string_view a, std::string_view b) {
    size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
    return i;
}

// Reads bytes that the program wrote itself: nothing may be unknown or damaged. Returns a failure or "".
std::string ReadBackOwnSave(std::string_view bytes, RecordStore& back) {
    ScriptedUi ui;
    ui.answer = [](Ask) { return Answer::No; };
    int32_t count = 0;
    if (ReadESBytes(bytes, back, ui, count, true) < 0) return "the save was refused";
    if (!ui.asked.empty()) return "the save holds a record that reads back as unknown";
    if (!back.damage.empty()) return "the save reads back damaged: " + back.damage.lines().front();
    if (static_cast<size_t>(count) != Total(RecordsPerTag(bytes)))
        return "reading the save found " + std::to_string(count) + " records of " +
               std::to_string(Total(RecordsPerTag(bytes)));
    return {};
}

// A save of the store, which must be well-formed.
std::string SaveWellFormed(const RecordStore& store, int32_t count, std::string& bytes) {
    ScriptedUi ui;
    bytes = BuildESFile(store, ui, count, FileTypeOf(store));
    std::string why;
    if (!CheckWellFormed(bytes, &why)) return "the save is not well-formed: " + why;
    if (std::string d = CountDifference(RecordsPerTag(store), RecordsPerTag(bytes), "the store", "its save");
        !d.empty())
        return "the save does not hold the store's records: " + d;
    if (ui.badProgress) return "saving reported the progress " + std::to_string(*ui.badProgress);
    return {};
}

// Lengths that follow the texts of the responses and topics.
std::string CheckDialogueLengths(const RecordStore& s) {
    for (size_t i = 0; i < s.tblINFO.size(); ++i) {
        const INFORecord& r = s.tblINFO[i];
        if (static_cast<size_t>(std::max(r.NAMELen, 0)) != r.NAME.size())
            return "response " + std::to_string(i) + " has NAMELen " + std::to_string(r.NAMELen) +
                   " for a text of " + std::to_string(r.NAME.size()) + " characters";
        if (static_cast<size_t>(std::max(r.BNAMLen, 0)) != r.BNAM.size())
            return "response " + std::to_string(i) + " has BNAMLen " + std::to_string(r.BNAMLen) +
                   " for a result of " + std::to_string(r.BNAM.size()) + " characters";
    }
    for (size_t i = 0; i < s.tblDIAL.size(); ++i) {
        const DIALRecord& d = s.tblDIAL[i];
        if (static_cast<size_t>(std::max(d.NAMELen, 0)) != d.NAME.size() + 1)
            return "topic " + std::to_string(i) + " has NAMELen " + std::to_string(d.NAMELen) + " for \"" +
                   d.NAME + "\"";
    }
    return {};
}

// Answers to the 512-character question and the editor's doings, shared by the import and the clean-up.
Answer TooLongAnswer(uint8_t mode, size_t questionIndex) {
    switch (mode & 3) {
    case 0: return Answer::Yes;
    case 1: return Answer::No;
    case 2: return Answer::Cancel;
    default: return questionIndex % 2 == 0 ? Answer::Yes : Answer::No;
    }
}
void EditorAction(uint8_t action, std::string& text) {
    switch (action & 3) {
    case 0: break;
    case 1:
        if (text.size() > 400) text.resize(400);
        break;
    case 2: text += std::string(100, 'x'); break;
    default: text.clear(); break;
    }
}

// ---------------------------------------------------------------------------------------------------------
// Literal forms of the clean-up steps, written from their descriptions and kept deliberately simple.

// One left-to-right pass over non-overlapping occurrences.
std::string ReplaceOnePass(std::string_view text, std::string_view what, std::string_view with) {
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        if (text.substr(i, what.size()) == what) {
            out += with;
            i += what.size();
        } else {
            out += text[i++];
        }
    }
    return out;
}

std::string LiteralCollapse(std::string text, char c) {
    const std::string two(2, c), one(1, c);
    while (text.find(two) != std::string::npos) text = ReplaceOnePass(text, two, one);
    return text;
}

std::string LiteralSpacePunctuation(std::string text) {
    for (char m : {'.', ',', '?', '!', ';', ':'})
        text = ReplaceOnePass(text, std::string(1, m), std::string{m, ' '});
    for (char m : {',', '.', ';', ':', '!', '?'})
        text = ReplaceOnePass(text, std::string{' ', m}, std::string(1, m));
    return text;
}

// ---------------------------------------------------------------------------------------------------------
// Literal forms for the loop check.

unsigned char RefLower(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return static_cast<unsigned char>(c + 32);
    if (c == 0x8A || c == 0x8C || c == 0x8E) return static_cast<unsigned char>(c + 16);
    if (c == 0x9F) return 0xFF;
    return c;
}

std::vector<std::string> LiteralChoiceLines(std::string_view result) {
    std::string s = ReplaceOnePass(result, "  ", " ");
    s.erase(std::remove(s.begin(), s.end(), ','), s.end());
    std::vector<std::string> lines;
    size_t from = 0;
    for (;;) {
        const size_t end = s.find("\r\n", from);
        lines.push_back(s.substr(from, end == std::string::npos ? std::string::npos : end - from));
        if (end == std::string::npos) break;
        from = end + 2;
    }
    for (std::string& line : lines) {
        const size_t semi = line.find(';');
        if (semi == std::string::npos) continue;
        line.resize(semi);
        while (!line.empty() && line.back() == ' ') line.pop_back();
        line.erase(0, std::min(line.size(), line.find_first_not_of(' ')));
    }
    return lines;
}

} // namespace

bool ReferenceWildcardMatch(std::string_view text, std::string_view pattern) {
    // can[j]: the pattern so far matches the first j characters of the text.
    std::vector<char> can(text.size() + 1, 0), next(text.size() + 1, 0);
    can[0] = 1;
    for (char p : pattern) {
        if (p == '*') {
            next[0] = can[0];
            for (size_t j = 1; j <= text.size(); ++j) next[j] = next[j - 1] || can[j];
        } else {
            next[0] = 0;
            const unsigned char lp = RefLower(static_cast<unsigned char>(p));
            for (size_t j = 1; j <= text.size(); ++j)
                next[j] = can[j - 1] && RefLower(static_cast<unsigned char>(text[j - 1])) == lp;
        }
        can.swap(next);
    }
    return can[text.size()] != 0;
}

ImportConfig ImportConfig::From(uint8_t byte) {
    ImportConfig c;
    c.tooLongAnswer = byte & 3;
    c.editorAction = (byte >> 2) & 3;
    c.removeLineBreaks = (byte & 16) != 0;
    return c;
}

uint8_t ImportConfig::byte() const {
    return static_cast<uint8_t>((tooLongAnswer & 3) | ((editorAction & 3) << 2) |
                                (removeLineBreaks ? 16 : 0));
}

std::string ImportInput(ImportConfig config, std::string_view text) {
    return std::string(1, static_cast<char>(config.byte())) + std::string(text);
}

std::string CleanUpInput(uint16_t optionBits, uint8_t answers, const std::string* texts, size_t count) {
    std::string out;
    out += static_cast<char>(optionBits & 0xFF);
    out += static_cast<char>(optionBits >> 8);
    out += static_cast<char>(answers);
    for (size_t i = 0; i < count; ++i) {
        if (i) out += kTextSeparator;
        out += texts[i];
    }
    return out;
}

std::string WildcardInput(std::string_view pattern, std::string_view text) {
    return std::string(pattern) + '\0' + std::string(text);
}

const std::string& ImportBaseFile() {
    static const std::string bytes = [] {
        gen::GenOptions o = gen::SmallPreset(8);
        o.deletedRecords = true;
        return gen::GeneratePlugin(o);
    }();
    return bytes;
}

const RecordStore& ImportBaseStore() {
    static const RecordStore store = [] {
        RecordStore s;
        ScriptedUi ui;
        int32_t count = 0;
        ReadESBytes(ImportBaseFile(), s, ui, count, true);
        return s;
    }();
    return store;
}

// ---------------------------------------------------------------------------------------------------------

std::string CheckFileRoundTrip(std::string_view data) {
    ScriptedUi ui1;
    RecordStore s1;
    int32_t c1 = 0;
    const bool header = BeginsWithHeader(data);
    if (ReadESBytes(data, s1, ui1, c1, true) < 0) {
        if (header) return "an input that begins with a TES3 record was refused";
        if (c1 != 0 || s1.hasSpare || !RecordsPerTag(s1).empty()) return "a refused input changed the store";
        return {};
    }
    if (!header) return "an input that does not begin with a TES3 record was read";
    if (s1.hasSpare) return "the store was not trimmed";
    if (ui1.badProgress) return "reading reported the progress " + std::to_string(*ui1.badProgress);
    const TagCounts read = RecordsPerTag(s1);
    if (static_cast<size_t>(c1) != Total(read))
        return "the read counted " + std::to_string(c1) + " records and kept " + std::to_string(Total(read));

    // A well-framed input keeps every record; any other input is reported damaged.
    std::string why;
    const bool damaged = !s1.damage.empty();
    if (CheckWellFormed(data, &why)) {
        if (std::string d = CountDifference(RecordsPerTag(data), read, "the input", "the store"); !d.empty())
            return "a well-formed input lost records: " + d +
                   (damaged ? " (the read reported " + s1.damage.lines().front() + ")" : "");
    } else if (!damaged) {
        return "an input that is not well-formed (" + why + ") was read without damage";
    }
    // From here on, a damaged input is salvaged: its save must be as sound as any other.
    auto failed = [&](std::string what) { return damaged ? what + " (input salvaged from damage)" : what; };

    const int32_t fileType = FileTypeOf(s1);
    ScriptedUi w;
    const std::string b2 = BuildESFile(s1, w, c1, fileType);
    if (!CheckWellFormed(b2, &why)) return failed("the first save is not well-formed: " + why);
    if (std::string d = CountDifference(read, RecordsPerTag(b2), "the store", "its save"); !d.empty())
        return failed("the save does not hold the store's records: " + d);

    // The save reads back whole, table by table, with the unknown records as they were.
    ScriptedUi ui2;
    RecordStore s2;
    int32_t c2 = 0;
    if (ReadESBytes(b2, s2, ui2, c2, true) < 0) return failed("the first save was refused");
    if (!s2.damage.empty()) return failed("the first save reads back damaged: " + s2.damage.lines().front());
    if (std::string d = CountDifference(read, RecordsPerTag(s2), "the first store", "the second"); !d.empty())
        return failed("a round trip changed the tables: " + d);
    if (s2.tblUnknown != s1.tblUnknown) return failed("a round trip changed the unknown records");

    // The second store saves to the same bytes as the first (with the same announced count).
    const std::string b3 = BuildESFile(s2, w, c2, fileType);
    const std::string b2again = BuildESFile(s1, w, c2, fileType);
    if (const size_t at = FirstDifference(b2again, b3); b3 != b2again)
        return failed("the second save differs from the first at offset " + std::to_string(at) + ", in a " +
                      RecordAt(b2again, at) + " record (sizes " + std::to_string(b2again.size()) + " and " +
                      std::to_string(b3.size()) + ")");
    if (w.badProgress) return failed("saving reported the progress " + std::to_string(*w.badProgress));
    return {};
}

std::string CheckDialogueImport(std::string_view data) {
    if (data.empty()) return {};
    const ImportConfig config = ImportConfig::From(static_cast<uint8_t>(data[0]));
    const RecordStore& base = ImportBaseStore();
    RecordStore store = base;
    ScriptedUi ui;
    size_t questions = 0;
    ui.answer = [&](Ask kind) {
        return kind == Ask::TextTooLong ? TooLongAnswer(config.tooLongAnswer, questions++) : Answer::No;
    };
    ui.edit = [&](ResponseEdit& e) { EditorAction(config.editorAction, e.Response); };
    ImportDialogueEntries(data.substr(1), config.removeLineBreaks, store, ui, "fuzz.esp");
    if (ui.badProgress) return "the import reported the progress " + std::to_string(*ui.badProgress);

    if (std::string e = CheckDialogueLengths(store); !e.empty()) return e;
    if (store.tblINFO.size() != base.tblINFO.size() || store.tblDIAL.size() != base.tblDIAL.size())
        return "the import changed the number of records";
    for (size_t i = 0; i < store.tblINFO.size(); ++i) {
        const INFORecord& r = store.tblINFO[i];
        if (r.NAME.size() > kResponseLimit)
            return "response " + std::to_string(i) + " was left with " + std::to_string(r.NAME.size()) +
                   " characters";
        // Nothing but the texts, the topic and their bookkeeping may change.
        INFORecord same = r;
        const INFORecord& was = base.tblINFO[i];
        same.NAME = was.NAME, same.NAMELen = was.NAMELen, same.BNAM = was.BNAM, same.BNAMLen = was.BNAMLen;
        same.Topic = was.Topic;
        if (!(same == was)) return "the import changed other fields of response " + std::to_string(i);
    }
    for (size_t i = 0; i < store.tblDIAL.size(); ++i) {
        DIALRecord same = store.tblDIAL[i];
        const DIALRecord& was = base.tblDIAL[i];
        same.NAME = was.NAME, same.NAMELen = was.NAMELen;
        if (!(same == was)) return "the import changed other fields of topic " + std::to_string(i);
    }

    int32_t count = 0;
    for (const auto& t : TableCounts(store)) count += static_cast<int32_t>(t.count);
    std::string bytes;
    if (std::string e = SaveWellFormed(store, count + 1, bytes); !e.empty()) return e;
    RecordStore back;
    if (std::string e = ReadBackOwnSave(bytes, back); !e.empty()) return e;
    return {};
}

std::string CheckCleanUp(std::string_view data) {
    if (data.size() < 3) return {};
    MorrowindizeOptions options;
    const uint16_t bits =
        static_cast<uint16_t>(static_cast<uint8_t>(data[0]) | (static_cast<uint8_t>(data[1]) << 8));
    const auto& list = MorrowindizeOptionList();
    for (size_t k = 0; k < list.size(); ++k) options.*(list[k].flag) = ((bits >> k) & 1) != 0;
    const uint8_t answers = static_cast<uint8_t>(data[2]);

    std::vector<std::string> texts;
    std::string_view rest = data.substr(3);
    constexpr size_t kMaxTexts = 64;
    for (;;) {
        const size_t sep = rest.find(kTextSeparator);
        texts.emplace_back(rest.substr(0, sep));
        if (sep == std::string_view::npos || texts.size() == kMaxTexts) break;
        rest.remove_prefix(sep + 1);
    }

    // The quick forms of the steps against their literal forms.
    for (const std::string& t : texts) {
        for (bool open : {false, true}) {
            std::string quick = t, general = t;
            bool qOpen = open, gOpen = open;
            cleanup::SpaceQuotes(quick, qOpen);
            cleanup::SpaceQuotesGeneral(general, gOpen);
            if (quick != general || qOpen != gOpen)
                return "SpaceQuotes differs from its general form for " + Hex(t) + (open ? " (open)" : "");
        }
        for (bool ellipsis : {false, true}) {
            std::string quick = t, passes = t;
            cleanup::CapitalizeSentences(quick, ellipsis);
            cleanup::CapitalizeSentencesByPasses(passes, ellipsis);
            if (quick != passes)
                return "CapitalizeSentences differs from its passes for " + Hex(t) +
                       (ellipsis ? " (ellipsis)" : "");
        }
        for (char c : {' ', '-'}) {
            std::string quick = t;
            cleanup::CollapseRuns(quick, c);
            if (quick != LiteralCollapse(t, c)) return "CollapseRuns differs for " + Hex(t);
        }
        std::string spaced = t;
        cleanup::SpacePunctuation(spaced);
        if (spaced != LiteralSpacePunctuation(t)) return "SpacePunctuation differs for " + Hex(t);
    }

    // The run over a store.
    const RecordStore& base = ImportBaseStore();
    if (base.tblINFO.empty()) return "the base store has no responses";
    RecordStore store = base;
    store.tblINFO.clear();
    for (size_t i = 0; i < texts.size(); ++i) {
        INFORecord rec = base.tblINFO[i % base.tblINFO.size()];
        SetResponseText(rec, texts[i]);
        store.tblINFO.push_back(std::move(rec));
    }
    if (std::string e = CheckDialogueLengths(store); !e.empty()) return "before the clean-up: " + e;

    // What each response must end with.
    std::vector<std::string> expected;
    int expectedChanged = 0;
    {
        bool quoteOpen = false, noToAll = false;
        size_t question = 0;
        for (const std::string& t : texts) {
            std::string cleaned = CleanText(t, options, quoteOpen);
            std::string result = t;
            if (cleaned.size() <= kMaxResponseLength) {
                result = cleaned;
            } else if (!noToAll) {
                const Answer a = TooLongAnswer(answers, question++);
                if (a == Answer::Yes) {
                    EditorAction(static_cast<uint8_t>(answers >> 2), cleaned);
                    if (cleaned.size() <= kMaxResponseLength) result = cleaned;
                } else if (a == Answer::Cancel) {
                    noToAll = true;
                }
            }
            if (!EqualsIgnoreCase(result, t)) ++expectedChanged;
            expected.push_back(std::move(result));
        }
    }

    ScriptedUi ui;
    size_t questions = 0;
    ui.answer = [&](Ask kind) {
        return kind == Ask::TextTooLong ? TooLongAnswer(answers, questions++) : Answer::No;
    };
    ui.edit = [&](ResponseEdit& e) { EditorAction(static_cast<uint8_t>(answers >> 2), e.Response); };
    const MorrowindizeOutcome outcome = Morrowindize(store, options, "fuzz.esp", ui);
    if (!outcome.completed) return "the clean-up did not complete";
    if (ui.badProgress) return "the clean-up reported the progress " + std::to_string(*ui.badProgress);
    for (size_t i = 0; i < texts.size(); ++i) {
        const std::string& got = store.tblINFO[i].NAME;
        if (got != expected[i])
            return "response " + std::to_string(i) + " ended as " + Hex(got) + " instead of " +
                   Hex(expected[i]);
        if (got.size() > kMaxResponseLength && got != texts[i])
            return "response " + std::to_string(i) + " got a new text over the limit";
    }
    if (outcome.changed != expectedChanged)
        return "the clean-up counted " + std::to_string(outcome.changed) + " changed responses, expected " +
               std::to_string(expectedChanged);
    if (std::string e = CheckDialogueLengths(store); !e.empty()) return e;
    int32_t count = 1;
    for (const auto& t : TableCounts(store)) count += static_cast<int32_t>(t.count);
    std::string bytes;
    return SaveWellFormed(store, count, bytes);
}

std::string CheckWildcard(std::string_view data) {
    const size_t zero = data.find('\0');
    const std::string_view pattern = data.substr(0, zero);
    const std::string_view text = zero == std::string_view::npos ? std::string_view() : data.substr(zero + 1);

    const bool expected = ReferenceWildcardMatch(text, pattern);
    const WildcardPattern compiled(pattern);
    if (compiled.matches(text) != expected || WildcardMatch(text, pattern) != expected)
        return std::string("the matcher says ") + (expected ? "no" : "yes") + " for pattern " + Hex(pattern) +
               " and text " + Hex(text);

    // The choice test, for the first number in the text (or a small one).
    int32_t n = static_cast<int32_t>(text.size() % 13);
    if (const size_t d = text.find_first_of("0123456789"); d != std::string_view::npos) {
        n = 0;
        for (size_t i = d; i < text.size() && i < d + 9 && text[i] >= '0' && text[i] <= '9'; ++i)
            n = n * 10 + (text[i] - '0');
        if (d > 0 && text[d - 1] == '-') n = -n;
    }
    const std::string number = std::to_string(n);
    const bool offers = ReferenceWildcardMatch(text, "*Choice \"*\" " + number) ||
                        ReferenceWildcardMatch(text, "*Choice \"*\" " + number + " *");
    if (OffersChoice(text, n) != offers)
        return "the choice test for " + number + " says " + (offers ? "no" : "yes") + " for " + Hex(text);

    if (ChoiceLines(text) != LiteralChoiceLines(text)) return "the choice lines differ for " + Hex(text);
    return {};
}

const std::array<Target, 4>& Targets() {
    static const std::array<Target, 4> targets = {{
        {"esfile", &CheckFileRoundTrip},
        {"import", &CheckDialogueImport},
        {"cleanup", &CheckCleanUp},
        {"wildcard", &CheckWildcard},
    }};
    return targets;
}

} // namespace vellum::fuzz
