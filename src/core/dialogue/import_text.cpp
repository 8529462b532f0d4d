#include "dialogue/import_text.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

#include "dialogue/response_editor.h"
#include "dialogue/text_util.h"
#include "esfile/native.h"
#include "esfile/safe_file.h"
#include "shell/shell.h"

namespace vellum {

namespace {

// The lines of the text file. Lines end with CR LF; a lone CR or LF is part of its line, so any text comes
// back as it was exported. A file without a single CR LF (saved by an editor that ends lines with LF alone)
// has its lines end at LF.
class LineReader {
  public:
    explicit LineReader(std::string_view text)
        : text_(text), lfOnly_(text.find("\r\n") == std::string_view::npos) {}
    bool atEnd() const { return pos_ >= text_.size(); }
    // The read position, counted in bytes from 1.
    uint64_t offset() const { return pos_ + 1; }
    bool next(std::string_view& line) {
        if (atEnd()) return false;
        size_t end = lfOnly_ ? text_.find('\n', pos_) : text_.find("\r\n", pos_);
        if (end == std::string_view::npos) {
            line = text_.substr(pos_);
            pos_ = text_.size();
        } else {
            line = text_.substr(pos_, end - pos_);
            pos_ = end + (lfOnly_ ? 1 : 2);
        }
        return true;
    }
    // The next line that is neither a comment (beginning with ";") nor shorter than 2 characters.
    bool nextValueLine(std::string_view& line) {
        do {
            if (!next(line)) return false;
        } while (line.size() < 2 || line[0] == ';');
        return true;
    }

  private:
    std::string_view text_;
    bool lfOnly_;
    size_t pos_ = 0;
};

// An ID or topic value: the line without its first and last character.
std::string Strip(std::string_view line) {
    return std::string(line.substr(1, line.size() - 2));
}

// A value is complete when it is exactly two double quotes, or ends in an odd number of double quotes and
// is not made of double quotes only.
bool IsClosed(const std::string& v) {
    if (v == "\"\"") return true;
    size_t quotes = 0;
    for (auto it = v.rbegin(); it != v.rend() && *it == '"'; ++it) ++quotes;
    if (quotes == v.size()) return false;
    return quotes % 2 == 1;
}

// Reads a response text or result script: from its first line on, lines are joined until the value is
// closed; then its enclosing quotes are dropped and each pair of double quotes becomes one.
bool ReadValue(LineReader& in, std::string_view joint, std::string& value) {
    std::string_view line;
    if (!in.nextValueLine(line)) return false;
    std::string v(line);
    while (!IsClosed(v)) {
        if (!in.next(line)) return false;
        v.append(joint);
        v.append(line);
    }
    value.clear();
    value.reserve(v.size());
    const size_t end = v.size() - 1;
    for (size_t k = 1; k < end; ++k) {
        value += v[k];
        if (v[k] == '"' && k + 1 < end && v[k + 1] == '"') ++k;
    }
    return true;
}

// Topics and responses by name, letter case ignored, built when the first rename needs them. A rename moves
// the names in the index, so each lookup finds what a scan of the tables from the start would find.
class TopicIndex {
  public:
    explicit TopicIndex(RecordStore& store) : store_(store) {}

    // Response i's entry names topic t (which differs from its Topic other than in letter case): the first
    // topic of that name is renamed with all of its responses; response i takes t in any case.
    void rename(size_t i, const std::string& t) {
        build();
        const std::string oldKey = ToLower(store_.tblINFO[i].Topic);
        const std::string newKey = ToLower(t);
        auto dials = dialsByKey_.find(oldKey);
        if (dials != dialsByKey_.end() && !dials->second.empty()) {
            const size_t k = dials->second.front();
            SetTopicName(store_.tblDIAL[k], t);
            dials->second.erase(dials->second.begin());
            if (dials->second.empty()) dialsByKey_.erase(dials);
            std::vector<size_t>& into = dialsByKey_[newKey];
            into.insert(std::lower_bound(into.begin(), into.end(), k), k);

            auto infos = infosByKey_.find(oldKey);
            if (infos != infosByKey_.end()) {
                std::vector<size_t> moved = std::move(infos->second);
                infosByKey_.erase(infos);
                for (size_t r : moved) store_.tblINFO[r].Topic = t;
                std::vector<size_t>& target = infosByKey_[newKey];
                target.insert(target.end(), moved.begin(), moved.end());
            }
        } else {
            std::vector<size_t>& from = infosByKey_[oldKey];
            auto at = std::find(from.begin(), from.end(), i);
            if (at != from.end()) from.erase(at);
            infosByKey_[newKey].push_back(i);
        }
        store_.tblINFO[i].Topic = t;
    }

  private:
    void build() {
        if (built_) return;
        built_ = true;
        for (size_t k = 0; k < store_.tblDIAL.size(); ++k)
            dialsByKey_[ToLower(store_.tblDIAL[k].NAME)].push_back(k);
        for (size_t r = 0; r < store_.tblINFO.size(); ++r)
            infosByKey_[ToLower(store_.tblINFO[r].Topic)].push_back(r);
    }

    RecordStore& store_;
    bool built_ = false;
    std::unordered_map<std::string, std::vector<size_t>> dialsByKey_; // ascending topic indexes
    std::unordered_map<std::string, std::vector<size_t>> infosByKey_;
};

void ReportError(Ui& ui, uint64_t offset, RunError error) {
    ui.messageBox(ImportErrorMessage(offset, error), kProgramTitle, Buttons::OK, Icon::Critical, Ask::Error);
    ui.appendLog(kImportErrorLogLine);
    ui.setProgress(0);
}

} // namespace

std::string HexCapitals(uint64_t value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    do {
        out.insert(out.begin(), kDigits[value % 16]);
        value /= 16;
    } while (value != 0);
    return out;
}

std::string ImportedLogLine(size_t responses, const std::string& currentFile) {
    return "-Imported " + std::to_string(responses) + " responses to " + QuotedName(currentFile) +
           " successfully.";
}

std::string TextTooLongQuestion(std::string_view id) {
    return "The response \"" + std::string(id) +
           "\" is bigger than 512 characters. Do you want to edit it by hand? Otherwise it will be trimmed "
           "to "
           "fit.\r\n\r\nCancel is \"No to all\"";
}

std::string IdMismatchMessage(uint64_t offset, std::string_view requiredId, std::string_view foundId) {
    return "The file has been edited incorrectly. Current offset: 0x" + HexCapitals(offset) +
           ".\r\nRequired ID: \"" + std::string(requiredId) + "\".\r\nFound ID: " + std::string(foundId) +
           ".";
}

std::string ImportErrorMessage(uint64_t offset, RunError error) {
    return "An error occured  at Offset 0x" + HexCapitals(offset) + " while importing the dialogue.\r\n\r\n" +
           ErrorLine(error);
}

bool StraightenQuotes(std::string& text) {
    bool changed = false;
    for (char& c : text) {
        if (c == '\x94' || c == '\x93') {
            c = '"';
            changed = true;
        }
    }
    return changed;
}

ImportOutcome ImportDialogueEntries(std::string_view text, bool removeLineBreaks, RecordStore& store, Ui& ui,
                                    const std::string& currentFile) {
    ImportOutcome out;
    std::vector<INFORecord>& infos = store.tblINFO;
    const size_t n = infos.size();
    out.responses = n;
    const std::string_view textJoint = removeLineBreaks ? std::string_view(" ") : std::string_view("\r\n");
    LineReader in(text);
    TopicIndex topics(store);
    bool noToAll = false;
    std::string_view line;
    std::string value;
    // A text file that ends in the middle of an entry, or has fewer entries than there are responses.
    auto cutShort = [&] {
        ReportError(ui, in.offset(), RunError::InputPastEndOfFile);
        return out;
    };
    while (!in.atEnd()) {
        if (n == 0) {
            ReportError(ui, in.offset(), RunError::SubscriptOutOfRange);
            return out;
        }
        for (size_t i = 0; i < n; ++i) {
            if (n > 1) ui.setProgress(static_cast<double>(i) / static_cast<double>(n - 1));
            INFORecord& rec = infos[i];

            if (!in.nextValueLine(line)) return cutShort();
            std::string id = Strip(line);
            if (!EqualsIgnoreCase(id, rec.INAM)) {
                ui.messageBox(IdMismatchMessage(in.offset(), rec.INAM, id), kProgramTitle, Buttons::OK,
                              Icon::Critical, Ask::Error);
                ui.appendLog(kImportErrorLogLine);
                ui.setProgress(0);
                return out;
            }

            if (!in.nextValueLine(line)) return cutShort();
            std::string topic = Strip(line);
            if (!EqualsIgnoreCase(topic, rec.Topic)) topics.rename(i, topic);

            // The actor line is for the reader only.
            if (!in.nextValueLine(line)) return cutShort();

            if (!ReadValue(in, textJoint, value)) return cutShort();
            if (value.size() > kResponseLimit) {
                out.overLong.push_back(rec.INAM);
                Answer a = Answer::No;
                if (!noToAll) {
                    a = ui.messageBox(TextTooLongQuestion(rec.INAM), kImportWarningTitle,
                                      Buttons::YesNoCancel, Icon::Information, Ask::TextTooLong);
                }
                if (a == Answer::Yes) {
                    value = EditOverLongResponse(rec, std::move(value), ui);
                } else {
                    if (a == Answer::Cancel) noToAll = true;
                    value = TrimToLimit(std::move(value));
                }
            }
            if (value != rec.NAME) SetResponseText(rec, std::move(value));

            if (!ReadValue(in, "\r\n", value)) return cutShort();
            if (value != rec.BNAM) SetResultScript(rec, std::move(value));

            if (i + 1 == n) {
                ui.appendLog(ImportedLogLine(n, currentFile));
                ++out.passes;
            }
        }
    }
    ui.setProgress(0);
    out.completed = true;
    return out;
}

ImportOutcome ImportDialogueText(const std::string& textFile, RecordStore& store, Ui& ui,
                                 const std::string& currentFile, bool fixTextFile) {
    const bool removeLineBreaks = ui.messageBox(kRemoveLineBreaksQuestion, kProgramTitle, Buttons::YesNo,
                                                Icon::None, Ask::RemoveLineBreaks) == Answer::Yes;
    std::string text, error;
    if (!ReadWholeFile(textFile, text, error)) {
        RunError e = PathExists(textFile) ? RunError::PathFileAccess : RunError::FileNotFound;
        ui.messageBox("The file \"" + textFile + "\" could not be opened: " + error + ".\r\n\r\n" +
                          ErrorLine(e),
                      kProgramTitle, Buttons::OK, Icon::Critical, Ask::Error);
        ui.appendLog(kImportErrorLogLine);
        ImportOutcome out;
        out.responses = store.tblINFO.size();
        return out;
    }
    // The file on disk gets straight quotes too. Should that fail (a read-only file), the import goes on
    // from the corrected text in memory.
    if (StraightenQuotes(text) && fixTextFile) {
        std::string ignored;
        WriteFileSafely(textFile, text, ignored);
    }
    return ImportDialogueEntries(text, removeLineBreaks, store, ui, currentFile);
}

} // namespace vellum
