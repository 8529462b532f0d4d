// One libFuzzer program per check of fuzz_checks.h; VELLUM_FUZZ_CHECK names the check (set by CMake).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz_checks.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The loaded plugin is built once, not inside the first run.
    vellum::fuzz::ImportBaseStore();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string failure =
        vellum::fuzz::VELLUM_FUZZ_CHECK(std::string_view(reinterpret_cast<const char*>(data), size));
    if (failure.empty()) return 0;
    // Failures already known and saved as regression inputs can be let through, so that a run goes on looking
    // for others: VELLUM_FUZZ_IGNORE holds parts of their descriptions, separated by "|".
    static const std::string ignore = [] {
        const char* v = std::getenv("VELLUM_FUZZ_IGNORE");
        return std::string(v ? v : "");
    }();
    for (size_t from = 0; from < ignore.size();) {
        const size_t bar = std::min(ignore.find('|', from), ignore.size());
        if (bar > from &&
            failure.find(std::string_view(ignore).substr(from, bar - from)) != std::string::npos)
            return 0;
        from = bar + 1;
    }
    std::fprintf(stderr, "\nCHECK FAILED: %s\n", failure.c_str());
    std::abort();
}
