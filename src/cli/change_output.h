// What the commands that change dialogue print instead of writing, with --dry-run, --json or --check.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "cli.h"
#include "store/changes.h"

namespace vellum::cli {

enum class ChangeReport {
    Write,  // no flag: the command writes its output file
    DryRun, // --dry-run: a unified diff of every change (UTF-8)
    Json,   // --json: the changes as a JSON array
    Check,  // --check: one line, and status 1 when anything would change
};
inline const std::vector<std::string> kChangeReportFlags = {"--dry-run", "--json", "--check"};

// The report the flags ask for; an error text when more than one is given, or -o with one of them, or
// neither -o nor one of them.
std::optional<std::string> ReportFromArgs(const Args& args, ChangeReport& report);

// Prints the changes of the store since before was taken as report asks; returns the exit status.
int PrintChanges(ChangeReport report, const std::string& file, const DialogueTexts& before,
                 const RecordStore& store, std::ostream& out);

// The lines of the flags for a command's --help.
inline constexpr const char* kChangeReportUsage =
    "  --dry-run              write nothing; print a unified diff (UTF-8) of every response text,\n"
    "                         result script and topic name the command would change, each headed\n"
    "                         by its topic and response ID\n"
    "  --json                 write nothing; print the same changes as a JSON array of objects\n"
    "                         {\"field\", \"index\", \"topic\", \"speaker\", \"id\", \"before\", \"after\"}\n"
    "  --check                write nothing; print one line saying how much would change, and exit\n"
    "                         with status 1 when anything would\n";

} // namespace vellum::cli
