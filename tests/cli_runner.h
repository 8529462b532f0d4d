// Runs the command-line program in-process and keeps what it printed: the one runner of the command tests.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli.h"

namespace testutil {

struct CliRun {
    int status = -1;
    std::string out, err;
};

inline CliRun Cli(const std::vector<std::string>& words) {
    std::ostringstream out, err;
    CliRun r;
    r.status = vellum::cli::RunCli(words, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

} // namespace testutil
