// vellum-cli export-dialogue FILE OUT: reads FILE and writes its dialogue responses to OUT as the window's
// dialogue export does; an OUT ending in "xml" or "brq" writes quotes instead.
#include <map>
#include <ostream>

#include "cli.h"
#include "dialogue/export_text.h"
#include "dialogue/quote_export.h"
#include "shell/shell.h"

namespace vellum::cli {
namespace {

// The answers to the quote export's questions: the city, and names for speakers whose name holds "_". The
// first name question shows the speaker's name, so each --npc-name ID=NAME is matched to it through the
// speaker the export finds for ID; the second shows the ID in proper case. A question without an answer is
// cancelled, so that the export falls back to the ID in proper case; the second question, asked about that
// very text, is answered with it.
struct QuoteAnswers {
    std::string city;
    std::map<std::string, std::string> byPrompt;

    std::optional<std::string> operator()(std::string_view prompt) const {
        if (prompt == kQuoteCityPrompt) return city;
        auto it = byPrompt.find(std::string(prompt));
        if (it != byPrompt.end()) return it->second;
        if (prompt.substr(0, kQuoteNamePromptStart.size()) == kQuoteNamePromptStart) return std::nullopt;
        return std::string(prompt);
    }
};

// Fills answers from --city and --npc-name; returns an error text for a malformed or ambiguous answer.
std::optional<std::string> ReadQuoteAnswers(const Args& args, const RecordStore& store,
                                            QuoteAnswers& answers) {
    answers.city = args.value("--city").value_or("");
    auto named = args.options.find("--npc-name");
    if (named == args.options.end()) return std::nullopt;
    const QuoteSpeakers speakers(store);
    auto add = [&](const std::string& prompt, const std::string& name,
                   const std::string& id) -> std::optional<std::string> {
        auto [it, added] = answers.byPrompt.emplace(prompt, name);
        if (!added && it->second != name)
            return "--npc-name gives two names for the question about \"" + id +
                   "\"; the speakers share a name";
        return std::nullopt;
    };
    for (const std::string& answer : named->second) {
        const size_t eq = answer.find('=');
        if (eq == std::string::npos || eq == 0) return "--npc-name takes ID=NAME, not \"" + answer + "\"";
        const std::string id = answer.substr(0, eq), name = answer.substr(eq + 1);
        const QuoteSpeaker speaker = speakers.find(id);
        if (speaker.name.find('_') != std::string::npos)
            if (auto e = add(QuoteNamePrompt(speaker.name), name, id)) return e;
        if (auto e = add(FallbackQuoteName(id), name, id)) return e;
    }
    return std::nullopt;
}

int RunExportDialogue(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
    Args args;
    if (auto e = ParseArgs(words, {}, {"--unknown", "--city", "--npc-name"}, args)) {
        err << "vellum-cli export-dialogue: " << *e << "\n";
        return 2;
    }
    if (args.positional.size() != 2) {
        err << "vellum-cli export-dialogue: expected FILE and OUT (see vellum-cli export-dialogue --help)\n";
        return 2;
    }
    const std::string& target = args.positional[1];
    if (ExportKindForName(target) == ExportKind::Text && (args.has("--city") || args.has("--npc-name"))) {
        err << "vellum-cli export-dialogue: --city and --npc-name belong to quote exports (OUT ending in xml "
               "or brq)\n";
        return 2;
    }
    CliUi ui(out, err);
    if (auto e = ApplyReadAnswers(args, ui)) {
        err << "vellum-cli export-dialogue: " << *e << "\n";
        return 2;
    }
    RecordStore store;
    OpenOutcome o = OpenDataFile(args.positional[0], store, ui);
    if (o.milliseconds < 0) return 1;
    CheckDamage(store.damage, args.positional[0], OnDamage::Note, "export-dialogue", err);
    QuoteAnswers answers;
    if (auto e = ReadQuoteAnswers(args, store, answers)) {
        err << "vellum-cli export-dialogue: " << *e << "\n";
        return 2;
    }
    ui.input = [&answers](std::string_view prompt, std::string_view) { return answers(prompt); };
    ExportResult r = ExportDialogue(target, store, ui, args.positional[0]);
    return r == ExportResult::Exported ? 0 : 1;
}

RegisterCommand reg{
    {"export-dialogue", "export a data file's dialogue responses to a text file for editing, or as quotes",
     "Usage: vellum-cli export-dialogue FILE OUT [--unknown=yes|no|all]\n"
     "       vellum-cli export-dialogue FILE OUT.xml|OUT.brq [--city NAME] [--npc-name ID=NAME]...\n\n"
     "Reads FILE and writes every dialogue response to OUT as the window's Export does: five\n"
     "lines per response (ID, topic, actor, text, result), each between double quotes, double\n"
     "quotes inside texts and results doubled, two empty lines between responses, CR LF line\n"
     "ends. Edit the texts, results or topic names and bring them back with import-dialogue.\n\n"
     "An OUT ending in \"xml\" or \"brq\" (any letter case) writes the responses that a character\n"
     "speaks as quotes for the Brindle NPC-writing project instead: text, speaker's name and city,\n"
     "as one XML stream or as a Brindle quote file of 576-byte records. Responses without an\n"
     "actor or with %PC or %rank in their text are left out; %class, %race, %Faction and %Name\n"
     "are filled in from the speaker.\n"
     "OUT is written beside its final place first, so a failed export leaves an existing OUT\n"
     "untouched. A damaged FILE is exported as far as it could be read; standard error says so.\n\n"
     "  --unknown=yes|no|all  answer to the question about records of unknown type (default all)\n"
     "  --city NAME           the city every quote names (default: empty)\n"
     "  --npc-name ID=NAME    .brq: the name to write for the speaker ID when its name holds \"_\";\n"
     "                        repeatable; without one the ID in proper case is written\n\n"
     "Exit status: 0 when OUT was written with at least one response, 1 otherwise, 2 on wrong\n"
     "arguments.\n",
     RunExportDialogue}};

} // namespace
} // namespace vellum::cli
