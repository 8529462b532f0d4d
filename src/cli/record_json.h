// Records as JSON for dump, build and diff: the inspector's neutral form (outline/outline.h) written as text
// laid out one field a line, so that a line-based diff of two dumps shows the changed fields, and read back
// with nlohmann-json.
#pragma once

#include <algorithm>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "cli.h"
#include "json_out.h"
#include "outline/outline.h"

namespace vellum::cli {

// Every record of bytes that frame correctly, as the dump's text: an array of records in file order.
std::string DumpRecords(std::string_view bytes);
// The data file a dump's text describes, into bytes; or the fault, naming the record and field
// (": record 3 (NPC_ "x"), NPDT.Level: expected an integer, found text").
std::optional<std::string> BuildRecords(std::string_view text, std::string& bytes);

// Appends a record of a dump: an object with tag, header1, flags and its subrecords (or its body as hex),
// indented as an element of the dump's array. Texts go from Windows-1252 to UTF-8.
void AppendRecordJson(std::string& out, const InspectedRecord& r);

// Reads a data file whose records all frame correctly into bytes. Returns the exit status to stop with: 2
// for a file that cannot be read or is no data file, 3 (the damage report on standard error) for a damaged
// one.
std::optional<int> ReadFramedFile(const std::string& path, std::string& bytes, std::string_view command,
                                  std::ostream& out, std::ostream& err);

// One value as JSON: texts as strings, numbers as numbers, hex as {"hex": ...}, groups and lists as objects
// and arrays.
Json FieldJson(const Field& f);

// Runs work(from, to) over n items in a few parts at once (one per processor, at most four; one part for
// few items) and gives the parts' results in order. The parts are of about equal size: at(i) is where item i
// starts in the data, and the data is total long.
template <class R, class At, class Work>
std::vector<R> InParts(size_t n, size_t total, At&& at, Work&& work) {
    const size_t cores = std::clamp<size_t>(std::thread::hardware_concurrency(), 1, 4);
    const size_t count = n < 4096 ? 1 : cores;
    std::vector<size_t> bounds = {0};
    for (size_t k = 1, i = 0; k < count; ++k) {
        while (i < n && at(i) < total * k / count) ++i;
        bounds.push_back(i);
    }
    bounds.push_back(n);
    std::vector<R> results(count);
    std::vector<std::thread> threads;
    for (size_t k = 1; k < count; ++k)
        threads.emplace_back([&, k] { results[k] = work(bounds[k], bounds[k + 1]); });
    results[0] = work(bounds[0], bounds[1]);
    for (std::thread& t : threads) t.join();
    return results;
}

} // namespace vellum::cli
