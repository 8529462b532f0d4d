// vellum-cli npc-list FILE --cell TEXT --format text|html|phpbb [--clones] -o OUT: reads FILE and writes the
// NPCs placed in the cells whose name contains TEXT to OUT, as the window's Export Character List does.
#include <ostream>

#include "cli.h"
#include "npclist/npc_list.h"
#include "shell/shell.h"

namespace vellum::cli {
namespace {

int RunNpcList(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
    const std::string me = "vellum-cli npc-list: ";
    Args args;
    if (auto e = ParseArgs(words, {"--clones"}, {"--cell", "--format", "-o", "--unknown"}, args)) {
        err << me << *e << "\n";
        return 2;
    }
    if (args.positional.size() != 1 || !args.value("-o") || !args.value("--cell")) {
        err << me << "expected FILE, --cell TEXT and -o OUT (see vellum-cli npc-list --help)\n";
        return 2;
    }
    NpcListOptions options;
    options.cellText = *args.value("--cell");
    if (options.cellText.empty()) {
        err << me << "--cell needs a text to look for in the cell names\n";
        return 2;
    }
    const std::string format = args.value("--format").value_or("text");
    if (format == "text")
        options.markup = NpcListMarkup::PureText;
    else if (format == "html")
        options.markup = NpcListMarkup::Html;
    else if (format == "phpbb")
        options.markup = NpcListMarkup::PhpBB;
    else {
        err << me << "--format takes text, html or phpbb, not \"" << format << "\"\n";
        return 2;
    }
    options.exportClones = args.has("--clones");
    CliUi ui(out, err);
    if (auto e = ApplyReadAnswers(args, ui)) {
        err << me << *e << "\n";
        return 2;
    }
    RecordStore store;
    const std::string& file = args.positional[0];
    OpenOutcome o = OpenDataFile(file, store, ui);
    if (o.milliseconds < 0) return 1;
    CheckDamage(store.damage, file, OnDamage::Note, "npc-list", err);
    if (!CheckNpcListCounts(static_cast<int64_t>(store.tblCELL.size()),
                            static_cast<int64_t>(store.tblNPC_.size()), ui))
        return 1;
    NpcListResult r = ExportNpcList(*args.value("-o"), options, store, ui, file);
    return r == NpcListResult::Listed ? 0 : 1;
}

RegisterCommand reg{
    {"npc-list", "list the NPCs of the cells whose name contains a text (text, HTML or phpBB)",
     "Usage: vellum-cli npc-list FILE --cell TEXT [--format text|html|phpbb] [--clones] -o OUT\n"
     "                           [--unknown=yes|no|all]\n\n"
     "Reads FILE and writes, for every cell whose name contains TEXT (letter case counts), the\n"
     "NPCs placed in it, as the window's Export Character List does: name, gender, race, class,\n"
     "faction with rank, and the lines \"***Description***\" and \"***To be asigned***\", under a\n"
     "heading per cell, with the number of NPCs at the end. HTML and phpBB lists begin with a\n"
     "colour legend.\n"
     "OUT is written beside its final place first, so a failed export leaves an existing OUT\n"
     "untouched. A damaged FILE is listed as far as it could be read; standard error says so.\n\n"
     "  --cell TEXT           the part of the cell names to look for (required, case sensitive)\n"
     "  --format FORMAT       text (default), html or phpbb\n"
     "  --clones              list clones too (guards, dead bodies, cattle and the like)\n"
     "  -o OUT                the file to write\n"
     "  --unknown=yes|no|all  answer to the question about records of unknown type (default all)\n\n"
     "Exit status: 0 when at least one NPC was listed, 1 when none was (OUT then holds the\n"
     "header and a count of 0) or FILE has no cells or NPCs, 2 on wrong arguments.\n",
     RunNpcList}};

} // namespace
} // namespace vellum::cli
