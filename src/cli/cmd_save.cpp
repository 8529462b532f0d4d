// vellum-cli save IN OUT: reads IN and writes the store to OUT as the window's Save As does.
#include <ostream>

#include "cli.h"
#include "shell/shell.h"

namespace vellum::cli {
namespace {

int RunSave(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
    Args args;
    if (auto e = ParseArgs(words, {"--allow-ess", "--salvage"}, {"--unknown"}, args)) {
        err << "vellum-cli save: " << *e << "\n";
        return 2;
    }
    if (args.positional.size() != 2) {
        err << "vellum-cli save: expected IN and OUT (see vellum-cli save --help)\n";
        return 2;
    }
    CliUi ui(out, err);
    if (auto e = ApplyReadAnswers(args, ui)) {
        err << "vellum-cli save: " << *e << "\n";
        return 2;
    }
    RecordStore store;
    OpenOutcome o = OpenDataFile(args.positional[0], store, ui);
    if (o.milliseconds < 0) return 1;
    if (!o.loaded) {
        err << "vellum-cli save: no records were read from " << args.positional[0] << "; nothing written\n";
        return 1;
    }
    if (auto stop = CheckDamage(store.damage, args.positional[0], WritingPolicy(args), "save", err))
        return *stop;
    double ms = SaveDataFile(args.positional[1], store, ui, o.recordCount, true);
    return ms <= -0.5 ? 1 : 0;
}

RegisterCommand reg{
    {"save", "read a data file and write it back, possibly as another type",
     "Usage: vellum-cli save IN OUT [--unknown=yes|no|all] [--allow-ess] [--salvage]\n\n"
     "Reads IN and writes every record to OUT. The file type written into the header follows\n"
     "OUT's extension (.esm master, .ess saved game, anything else plugin). OUT is written\n"
     "beside its final place first, so a failed save leaves an existing OUT untouched.\n\n"
     "  --unknown=yes|no|all  answer to the question about records of unknown type (default all)\n"
     "  --allow-ess           answer Yes to the warning about writing saved games (default No)\n"
     "  --salvage             write a damaged IN's records anyway: OUT leaves the damaged bytes out\n\n"
     "Exit status: 0 when OUT was written, 1 otherwise, 2 on wrong arguments, 3 when IN is damaged\n"
     "(its report goes to standard error; nothing is written without --salvage).\n",
     RunSave}};

} // namespace
} // namespace vellum::cli
