#include "dialogue/rename_topics.h"

#include <array>
#include <utility>

#include "dialogue/response_editor.h"
#include "dialogue/text_util.h"
#include "morrowindize/text_replace.h"

namespace vellum {

namespace {

// The old and new name in the forms of the four passes, made once per renamed topic.
struct NameForms {
    std::array<std::pair<std::string, std::string>, 4> pass;
    NameForms(std::string_view oldName, std::string_view newName)
        : pass{{{std::string(oldName), std::string(newName)},
                {ToLower(oldName), ToLower(newName)},
                {ToUpper(oldName), ToUpper(newName)},
                {ProperCase(oldName), ProperCase(newName)}}} {}
};

void ReplaceForms(std::string& text, const NameForms& forms) {
    for (const auto& [from, to] : forms.pass) ReplaceAll(text, from, to, Case::Sensitive);
}

// Whether rows still describe the topics of the store, one row per topic proper, in order.
bool RowsMatch(const RecordStore& store, const std::vector<TopicRow>& rows) {
    size_t j = 0;
    for (size_t d = 0; d < store.tblDIAL.size(); ++d) {
        const DIALRecord& dial = store.tblDIAL[d];
        if (dial.DialType != 0) continue;
        if (j >= rows.size() || rows[j].index != d || rows[j].name != dial.NAME) return false;
        ++j;
    }
    return j == rows.size();
}

class Renamer {
  public:
    Renamer(RecordStore& store, const RenameOptions& options, Ui& ui, RenameOutcome& out)
        : store_(store), options_(options), ui_(ui), out_(out) {}

    void rename(DIALRecord& dial, const std::string& newName) {
        const std::string oldName = dial.NAME;
        const NameForms forms(oldName, newName);
        SetTopicName(dial, newName);
        for (INFORecord& rec : store_.tblINFO) {
            if (rec.Topic == oldName) {
                rec.Topic = newName;
                ++out_.responsesMoved;
            }
            if (options_.responses) renameInText(rec, forms);
            if (options_.results) {
                std::string script = rec.BNAM;
                ReplaceForms(script, forms);
                if (script != rec.BNAM) {
                    SetResultScript(rec, std::move(script));
                    ++out_.resultsChanged;
                }
            }
        }
        ++out_.topicsRenamed;
    }

  private:
    void renameInText(INFORecord& rec, const NameForms& forms) {
        std::string text = rec.NAME;
        ReplaceForms(text, forms);
        if (text.size() > kResponseLimit) {
            out_.overLong.push_back(rec.INAM);
            Answer a = Answer::No;
            if (!noToAll_)
                a = ui_.messageBox(RenameTooLongQuestion(rec.INAM), kRenameWarningTitle, Buttons::YesNoCancel,
                                   Icon::Information, Ask::TextTooLong);
            if (a == Answer::Yes) {
                ResponseEdit edit{rec.ONAM, rec.Topic, std::move(text)};
                ui_.editResponse(edit);
                text = std::move(edit.Response);
            } else if (a == Answer::Cancel) {
                noToAll_ = true;
            }
            text = TrimToLimit(std::move(text));
        }
        if (text != rec.NAME) {
            SetResponseText(rec, std::move(text));
            ++out_.textsChanged;
        }
    }

    RecordStore& store_;
    const RenameOptions& options_;
    Ui& ui_;
    RenameOutcome& out_;
    bool noToAll_ = false;
};

} // namespace

std::vector<TopicRow> ListTopicRows(const RecordStore& store) {
    std::vector<TopicRow> rows;
    for (size_t d = 0; d < store.tblDIAL.size(); ++d) {
        const DIALRecord& dial = store.tblDIAL[d];
        if (dial.DialType == 0) rows.push_back({d, dial.NAME, dial.NAME});
    }
    return rows;
}

bool ReplaceTopicName(std::string& text, std::string_view oldName, std::string_view newName) {
    const std::string before = text;
    ReplaceForms(text, NameForms(oldName, newName));
    return text != before;
}

std::string RenameTooLongQuestion(std::string_view id) {
    return "The response \"" + std::string(id) +
           "\" is longer than 512 characters. Do you want to edit it by hand? Otherwise it will be trimmed "
           "to "
           "fit.\r\n\r\nCancel is \"No to all\"";
}

RenameOutcome ApplyTopicRenames(RecordStore& store, std::vector<TopicRow>& rows, const RenameOptions& options,
                                Ui& ui) {
    RenameOutcome out;
    if (!RowsMatch(store, rows)) {
        out.status = RenameStatus::StaleRows;
        return out;
    }
    for (const TopicRow& row : rows) {
        if (row.text.empty()) {
            out.status = RenameStatus::EmptyName;
            return out;
        }
    }
    Renamer renamer(store, options, ui, out);
    const size_t n = store.tblDIAL.size();
    size_t j = 0;
    for (size_t d = 0; d < n; ++d) {
        DIALRecord& dial = store.tblDIAL[d];
        if (dial.DialType == 0) {
            const TopicRow& row = rows[j++];
            if (row.text != dial.NAME) renamer.rename(dial, row.text);
        }
        ui.setProgress(n == 1 ? 1.0 : static_cast<double>(d) / static_cast<double>(n - 1));
    }
    ui.setProgress(0);
    for (TopicRow& row : rows) row.name = row.text;
    return out;
}

} // namespace vellum
