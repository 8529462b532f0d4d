#include "dialogue/quote_export.h"

#include "dialogue/text_util.h"
#include "esfile/safe_file.h"

namespace vellum {

namespace {

// Position of what in text at or after from, letter case ignored; npos when it is not there.
size_t FindIgnoreCase(std::string_view text, std::string_view what, size_t from = 0) {
    if (what.empty() || what.size() > text.size()) return std::string_view::npos;
    for (size_t i = from; i + what.size() <= text.size(); ++i) {
        if (LowerChar(text[i]) != LowerChar(what[0])) continue;
        if (EqualsIgnoreCase(text.substr(i, what.size()), what)) return i;
    }
    return std::string_view::npos;
}

bool ContainsIgnoreCase(std::string_view text, std::string_view what) {
    return FindIgnoreCase(text, what) != std::string_view::npos;
}

// Every occurrence of what, found left to right without regard to case, replaced by with; the inserted text
// is not searched again.
std::string ReplaceAllIgnoreCase(std::string_view text, std::string_view what, std::string_view with) {
    std::string out;
    out.reserve(text.size());
    size_t from = 0;
    for (size_t p = FindIgnoreCase(text, what); p != std::string_view::npos;
         p = FindIgnoreCase(text, what, from)) {
        out.append(text.substr(from, p - from));
        out.append(with);
        from = p + what.size();
    }
    out.append(text.substr(from));
    return out;
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

// A value in its fixed field: cut to the field's width, or followed by zero bytes up to it.
void AppendField(std::string& out, std::string_view value, size_t width) {
    value = value.substr(0, width);
    out.append(value);
    out.append(width - value.size(), '\0');
}

// The name a quote file record gets: a name holding "_" is asked for; without a name the actor ID in proper
// case is used, and asked for in its turn when it holds "_".
std::string QuoteFileName(std::string name, std::string_view actor, Ui& ui) {
    if (name.find('_') != std::string::npos)
        name = ui.inputBox(QuoteNamePrompt(name), kProgramTitle, {}).value_or(std::string());
    if (!name.empty()) return name;
    std::string fallback = FallbackQuoteName(actor);
    if (fallback.find('_') != std::string::npos)
        return ui.inputBox(fallback, kProgramTitle, {}).value_or(std::string());
    return fallback;
}

} // namespace

QuoteSpeakers::QuoteSpeakers(const RecordStore& store)
    : store_(store), npcs_(store.tblNPC_), creatures_(store.tblCREA) {}

QuoteSpeaker QuoteSpeakers::find(std::string_view actor) const {
    QuoteSpeaker s;
    if (int64_t n = npcs_.first(actor); n >= 0) {
        const NPC_Record& npc = store_.tblNPC_[static_cast<size_t>(n)];
        s.name = npc.FNAM;
        s.race = npc.RNAM;
        s.cls = npc.CNAM;
        s.faction = npc.ANAM;
    }
    if (int64_t c = creatures_.first(actor); c >= 0) s.name = store_.tblCREA[static_cast<size_t>(c)].FNAM;
    return s;
}

bool IsSkippedQuote(const INFORecord& response) {
    return response.ONAM.empty() || ContainsIgnoreCase(response.NAME, "%PC") ||
           ContainsIgnoreCase(response.NAME, "%rank");
}

std::string QuoteText(std::string_view text, const QuoteSpeaker& speaker) {
    std::string out = ReplaceAllIgnoreCase(text, "%class", speaker.cls);
    out = ReplaceAllIgnoreCase(out, "%race", speaker.race);
    out = ReplaceAllIgnoreCase(out, "%Faction", speaker.faction);
    return ReplaceAllIgnoreCase(out, "%Name", speaker.name);
}

std::string FallbackQuoteName(std::string_view actor) {
    return std::string(TrimBlanks(ProperCase(actor)));
}

std::string QuoteNamePrompt(std::string_view name) {
    return std::string(kQuoteNamePromptStart) + "\r\n\r\n" + std::string(name);
}

ExportResult ExportQuotes(const std::string& fileName, ExportKind kind, const RecordStore& store, Ui& ui,
                          const std::string& currentFile) {
    const bool xml = kind == ExportKind::QuoteXml;
    const std::string city = ui.inputBox(kQuoteCityPrompt, kProgramTitle, {}).value_or(std::string());
    const std::vector<INFORecord>& infos = store.tblINFO;
    const bool noResponses = infos.empty() || infos.front().INAM.empty();

    std::string out;
    if (xml) out = "<quotes>";
    if (!noResponses) {
        const QuoteSpeakers speakers(store);
        const size_t n = infos.size();
        for (size_t i = 0; i < n; ++i) {
            if (n > 1) ui.setProgress(static_cast<double>(i) / static_cast<double>(n - 1));
            const INFORecord& r = infos[i];
            if (IsSkippedQuote(r)) continue;
            const QuoteSpeaker speaker = speakers.find(r.ONAM);
            const std::string text = QuoteText(r.NAME, speaker);
            if (xml) {
                out += "<quote><text>";
                out += text;
                out += "</text><npc>";
                out += speaker.name.empty() ? FallbackQuoteName(r.ONAM) : speaker.name;
                out += "</npc><city>";
                out += city;
                out += "</city></quote>";
            } else {
                AppendField(out, QuoteFileName(speaker.name, r.ONAM, ui), kQuoteNameField);
                AppendField(out, city, kQuoteCityField);
                AppendField(out, text, kQuoteTextField);
            }
        }
        if (xml) out += "</quotes>";
    }

    std::string error;
    if (!WriteFileSafely(fileName, out, error)) {
        ui.messageBox("The file \"" + fileName + "\" could not be written: " + error + ".", kProgramTitle,
                      Buttons::OK, Icon::Critical, Ask::Error);
        ui.appendLog(kExportErrorLogLine);
        return ExportResult::WriteFailed;
    }
    if (noResponses) {
        if (xml) ui.messageBox(kExportErrorMessage, kProgramTitle, Buttons::OK, Icon::None, Ask::Error);
        ui.appendLog(kExportErrorLogLine);
        return ExportResult::NoResponses;
    }
    ui.appendLog(ExportedLogLine(infos.size(), currentFile));
    return ExportResult::Exported;
}

} // namespace vellum
