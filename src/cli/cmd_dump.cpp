// vellum-cli dump FILE [-o OUT.json]: every record of a data file as JSON, in file order.
#include <ostream>

#include "cli.h"
#include "esfile/safe_file.h"
#include "record_json.h"

namespace vellum::cli {
namespace {

int RunDump(const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
    Args args;
    if (auto e = ParseArgs(words, {}, {"-o"}, args)) {
        err << "vellum-cli dump: " << *e << "\n";
        return 2;
    }
    if (args.positional.size() != 1) {
        err << "vellum-cli dump: expected one FILE (see vellum-cli dump --help)\n";
        return 2;
    }
    std::string bytes;
    if (auto stop = ReadFramedFile(args.positional[0], bytes, "dump", out, err)) return *stop;
    const std::string text = DumpRecords(bytes);
    if (auto to = args.value("-o")) {
        std::string error;
        if (!WriteFileSafely(*to, text, error)) {
            err << "vellum-cli dump: cannot write " << *to << ": " << error << "\n";
            return 1;
        }
        return 0;
    }
    out << text;
    return 0;
}

RegisterCommand reg{
    {"dump", "every record of a data file as JSON, in file order",
     "Usage: vellum-cli dump FILE [-o OUT.json]\n\n"
     "Writes every record of FILE as JSON (UTF-8), in file order: its tag, header1, flags and\n"
     "subrecords, each with its fields by name. Texts are converted from Windows-1252; subrecords\n"
     "whose bytes do not fit a known layout, and records of unknown type, are kept as hex, so that\n"
     "`vellum-cli build` turns the dump back into the same bytes. One field stands on each line:\n"
     "a line-based diff of two dumps shows the changed fields. The same file gives the same text.\n\n"
     "  -o OUT.json   write the dump to OUT.json instead of standard output\n\n"
     "Exit status: 0 when the dump was written, 1 when OUT.json could not be written, 2 on wrong\n"
     "arguments or a file that cannot be read, 3 when FILE is damaged (its report goes to standard\n"
     "error; nothing is written).\n",
     RunDump}};

} // namespace
} // namespace vellum::cli
