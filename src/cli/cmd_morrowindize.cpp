// vellum-cli morrowindize: cleans every response text of a file (or given texts) as the window's Morrowindize
// does, under the options given as flags.
#include <ostream>

#include "change_output.h"
#include "cli.h"
#include "morrowindize/clean_text.h"
#include "morrowindize/morrowindize.h"
#include "shell/shell.h"

namespace vellum::cli {
namespace {

enum class Over512 { KeepOriginal, Fail };

std::string NoFlag(std::string_view flag) {
    return "--no-" + std::string(flag.substr(2));
}

// Every flag the command knows: one pair per option, --all, the reading options and --salvage.
std::vector<std::string> KnownFlags() {
    std::vector<std::string> known{"--all", "--allow-ess", "--salvage"};
    known.insert(known.end(), kChangeReportFlags.begin(), kChangeReportFlags.end());
    for (const MorrowindizeOptionInfo& o : MorrowindizeOptionList()) {
        known.emplace_back(o.cliFlag);
        known.push_back(NoFlag(o.cliFlag));
    }
    return known;
}

// The options from the flags: the defaults, --all, then each --X / --no-X.
std::optional<std::string> OptionsFromArgs(const Args& args, MorrowindizeOptions& options) {
    if (args.has("--all"))
        for (const MorrowindizeOptionInfo& o : MorrowindizeOptionList()) options.*o.flag = true;
    for (const MorrowindizeOptionInfo& o : MorrowindizeOptionList()) {
        const std::string on(o.cliFlag), off = NoFlag(o.cliFlag);
        if (args.has(on) && args.has(off)) return on + " and " + off + " contradict each other";
        if (args.has(on)) options.*o.flag = true;
        if (args.has(off)) options.*o.flag = false;
    }
    if (options.isEllipsis && !EllipsisAvailable(options))
        return "--capitalize-after-ellipsis needs --capitalize-sentences (as in the options dialog)";
    return std::nullopt;
}

int CleanTexts(const std::vector<std::string>& texts, const MorrowindizeOptions& options, Over512 over,
               std::ostream& out, std::ostream& err) {
    bool quoteOpen = false;
    std::vector<std::string> results;
    for (size_t i = 0; i < texts.size(); ++i) {
        std::string cleaned = CleanText(texts[i], options, quoteOpen);
        if (cleaned.size() > kMaxResponseLength) {
            if (over == Over512::Fail) {
                err << "vellum-cli morrowindize: text " << i + 1 << " has " << cleaned.size()
                    << " characters after clean up, more than 512\n";
                return 1;
            }
            err << "vellum-cli morrowindize: text " << i + 1 << " has " << cleaned.size()
                << " characters after clean up, more than 512; its original text is kept\n";
            cleaned = texts[i];
        }
        results.push_back(std::move(cleaned));
    }
    for (const std::string& r : results) out << r << "\n";
    return 0;
}

int RunMorrowindize(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
    Args args;
    if (auto e =
            ParseArgs(words, KnownFlags(), {"-o", "--output", "--over-512", "--text", "--unknown"}, args)) {
        err << "vellum-cli morrowindize: " << *e << "\n";
        return 2;
    }
    MorrowindizeOptions options;
    if (auto e = OptionsFromArgs(args, options)) {
        err << "vellum-cli morrowindize: " << *e << "\n";
        return 2;
    }
    const std::string overText = args.value("--over-512").value_or("keep-original");
    Over512 over;
    if (overText == "keep-original")
        over = Over512::KeepOriginal;
    else if (overText == "fail")
        over = Over512::Fail;
    else {
        err << "vellum-cli morrowindize: --over-512 takes keep-original or fail, not \"" << overText
            << "\"\n";
        return 2;
    }

    if (args.has("--text")) {
        ChangeReport report;
        ReportFromArgs(args, report);
        if (!args.positional.empty() || args.has("-o") || args.has("--output") || args.has("--salvage") ||
            report != ChangeReport::Write) {
            err << "vellum-cli morrowindize: --text takes no FILE, no -o, no --salvage and no --dry-run, "
                   "--json or --check\n";
            return 2;
        }
        return CleanTexts(args.options.at("--text"), options, over, out, err);
    }

    std::optional<std::string> outPath = args.value("-o");
    if (!outPath) outPath = args.value("--output");
    ChangeReport report;
    const std::optional<std::string> reportError = ReportFromArgs(args, report);
    if (args.positional.size() != 1 || (!outPath && report == ChangeReport::Write)) {
        err << "vellum-cli morrowindize: expected FILE and -o OUT (see vellum-cli morrowindize --help)\n";
        return 2;
    }
    if (reportError) {
        err << "vellum-cli morrowindize: " << *reportError << "\n";
        return 2;
    }
    CliUi ui(out, err);
    ui.quiet = report != ChangeReport::Write; // standard output holds the changes only
    if (auto e = ApplyReadAnswers(args, ui)) {
        err << "vellum-cli morrowindize: " << *e << "\n";
        return 2;
    }
    // A text that grew too long goes to the "editor", which leaves it too long: the original text is kept,
    // and the response is reported.
    std::vector<ResponseEdit> tooLong;
    ui.answers[Ask::TextTooLong] = Answer::Yes;
    ui.responseEditor = [&tooLong](ResponseEdit& edit) { tooLong.push_back(edit); };

    RecordStore store;
    const std::string& in = args.positional[0];
    OpenOutcome o = OpenDataFile(in, store, ui);
    if (o.milliseconds < 0) return 1;
    if (!o.loaded) {
        err << "vellum-cli morrowindize: no records were read from " << in << "; nothing written\n";
        return 1;
    }
    if (auto stop = CheckDamage(store.damage, in, WritingPolicy(args), "morrowindize", err)) return *stop;
    const DialogueTexts before = TakeDialogueTexts(store);
    MorrowindizeOutcome m = Morrowindize(store, options, in, ui);
    if (!m.completed && !store.tblINFO.empty()) {
        err << "vellum-cli morrowindize: the clean-up stopped at an error; nothing written\n";
        return 1;
    }
    for (const ResponseEdit& e : tooLong) {
        err << "vellum-cli morrowindize: a response of \"" << e.Topic << "\" (" << e.Actor << ") has "
            << e.Response.size() << " characters after clean up, more than 512"
            << (over == Over512::Fail ? "" : "; its original text is kept") << "\n";
    }
    if (over == Over512::Fail && !tooLong.empty()) {
        err << "vellum-cli morrowindize: " << tooLong.size()
            << " response(s) would be longer than 512 characters; nothing written\n";
        return 1;
    }
    if (report != ChangeReport::Write) return PrintChanges(report, in, before, store, out);
    double ms = SaveDataFile(*outPath, store, ui, o.recordCount, true);
    return ms <= -0.5 ? 1 : 0;
}

std::string Usage() {
    std::string u =
        "Usage: vellum-cli morrowindize FILE -o OUT [OPTIONS]\n"
        "       vellum-cli morrowindize FILE --dry-run|--json|--check [OPTIONS]\n"
        "       vellum-cli morrowindize --text TEXT [--text TEXT ...] [OPTIONS]\n\n"
        "Cleans the text of every dialogue response of FILE as the window's Morrowindize does, prints the "
        "log\n"
        "lines, and writes the changed file to OUT. With --text, cleans the given texts instead, in order, "
        "as\n"
        "consecutive responses of one run (an unclosed quote carries over to the next text), and prints "
        "each\n"
        "result on a line of its own. Texts are taken as Windows-1252 bytes, as the data files hold them.\n\n"
        "Always done: curly quotes and apostrophes straightened, \"@\" and \"#\" removed, the ellipsis "
        "character\n"
        "and em dash replaced, a blank after . , ? ! ; : and none before them, double blanks collapsed,\n"
        "blanks trimmed, and every run of dashes made one dash (unless --single-dashes).\n\n"
        "Options, named after the boxes of the options dialog (each flag has a --no- form; the defaults are\n"
        "those of the window at start-up):\n";
    for (const MorrowindizeOptionInfo& o : MorrowindizeOptionList()) {
        const bool on = MorrowindizeOptions{}.*o.flag;
        std::string flag = std::string(on ? NoFlag(o.cliFlag) : std::string(o.cliFlag));
        u += "  " + flag + std::string(flag.size() < 30 ? 30 - flag.size() : 1, ' ') +
             (on ? "off: " : "on: ") + std::string(o.caption) + (on ? " (on by default)" : "") + "\n";
    }
    u +=
        "\n"
        "  --single-dashes is the window's \"Force Single Dashes\" box, and does what that box does: runs "
        "of\n"
        "  dashes are then left as they are (with --spaced-dashes, \"--\" gets blanks around it). Without "
        "it,\n"
        "  every run of dashes becomes one dash.\n"
        "  --capitalize-after-ellipsis needs --capitalize-sentences, as in the options dialog.\n"
        "  --capitalize-temple has an effect only with the proper names (on by default).\n"
        "  --proper-names names the default and changes nothing by itself.\n"
        "  --all                         turn every option on (--no- flags then turn single ones off)\n\n"
        "  -o OUT, --output OUT          where the changed file is written (Save As)\n"
        "  --over-512=keep-original|fail what to do with a response longer than 512 characters after\n"
        "                                clean up: keep its original text and name it on standard error\n"
        "                                (default), or write nothing and fail\n"
        "  --unknown=yes|no|all          answer to the question about records of unknown type (default all)\n"
        "  --allow-ess                   answer Yes to the warning about writing saved games (default No)\n"
        "  --salvage                     clean a damaged FILE anyway: OUT leaves the damaged bytes out\n" +
        std::string(kChangeReportUsage) +
        "\n"
        "A file without dialogue responses is written unchanged.\n"
        "Exit status: 0 when OUT was written (or the texts cleaned), 1 on failure, 2 on wrong arguments,\n"
        "3 when FILE is damaged (its report goes to standard error; nothing is written without --salvage).\n";
    return u;
}

RegisterCommand reg{{"morrowindize", "clean every dialogue response to the style of the game's own texts",
                     Usage(), RunMorrowindize}};

} // namespace
} // namespace vellum::cli
