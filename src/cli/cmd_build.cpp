// vellum-cli build IN.json -o OUT.esp: a data file from a JSON dump, the reverse of dump.
#include <ostream>

#include "cli.h"
#include "esfile/safe_file.h"
#include "record_json.h"

namespace vellum::cli {
namespace {

int RunBuild(const std::vector<std::string>& words, std::ostream&, std::ostream& err) {
    Args args;
    if (auto e = ParseArgs(words, {}, {"-o"}, args)) {
        err << "vellum-cli build: " << *e << "\n";
        return 2;
    }
    if (args.positional.size() != 1 || !args.value("-o")) {
        err << "vellum-cli build: expected IN.json and -o OUT (see vellum-cli build --help)\n";
        return 2;
    }
    const std::string& in = args.positional[0];
    std::string text, error;
    if (!ReadWholeFile(in, text, error)) {
        err << "vellum-cli build: cannot read " << in << ": " << error << "\n";
        return 2;
    }
    std::string bytes;
    if (auto e = BuildRecords(text, bytes)) {
        err << "vellum-cli build: " << in << *e << "; nothing written\n";
        return 1;
    }
    if (!WriteFileSafely(*args.value("-o"), bytes, error)) {
        err << "vellum-cli build: cannot write " << *args.value("-o") << ": " << error << "\n";
        return 1;
    }
    return 0;
}

RegisterCommand reg{
    {"build", "a data file from a JSON dump (the reverse of dump)",
     "Usage: vellum-cli build IN.json -o OUT\n\n"
     "Writes the records of IN.json, a dump made by `vellum-cli dump`, as a data file. A dump\n"
     "built back gives the original bytes. Record and subrecord sizes are worked out anew, so a\n"
     "text may be edited to any length. A value of the wrong type, a missing field or a text\n"
     "with characters outside Windows-1252 is reported with its record and field, and nothing\n"
     "is written.\n\n"
     "Exit status: 0 when OUT was written, 1 on a fault in IN.json or when OUT could not be\n"
     "written, 2 on wrong arguments or an IN.json that cannot be read.\n",
     RunBuild}};

} // namespace
} // namespace vellum::cli
