// Records of one table looked up by ID with letter case ignored, as the tools compare IDs. Built once per run
// of a tool, so that looking up every reference or response does not scan the whole table each time. A
// lookup gives every record of that ID in table order: exactly the records, and the order, that a scan from
// the first element comparing each NAME without regard to case would find.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "dialogue/text_util.h"

namespace vellum {

struct IdHashIgnoreCase {
    size_t operator()(std::string_view s) const noexcept {
        uint64_t h = 14695981039346656037ull; // FNV-1a over the lower-case bytes
        for (char c : s) {
            h ^= static_cast<unsigned char>(LowerChar(c));
            h *= 1099511628211ull;
        }
        return static_cast<size_t>(h);
    }
};
struct IdEqualIgnoreCase {
    bool operator()(std::string_view a, std::string_view b) const noexcept { return EqualsIgnoreCase(a, b); }
};

// Positions of a table's records by their NAME. The index points into the table's strings: it is valid only
// while the table is not changed.
class IdIndex {
  public:
    IdIndex() = default;
    template <class Table> explicit IdIndex(const Table& table) {
        map_.reserve(table.size());
        for (size_t i = 0; i < table.size(); ++i)
            map_[std::string_view(table[i].NAME)].push_back(static_cast<uint32_t>(i));
    }
    // Every position whose NAME equals id without regard to case, in table order; empty when none.
    const std::vector<uint32_t>& all(std::string_view id) const {
        static const std::vector<uint32_t> none;
        auto it = map_.find(id);
        return it == map_.end() ? none : it->second;
    }
    // The first such position, or -1.
    int64_t first(std::string_view id) const {
        const std::vector<uint32_t>& a = all(id);
        return a.empty() ? -1 : static_cast<int64_t>(a.front());
    }

  private:
    std::unordered_map<std::string_view, std::vector<uint32_t>, IdHashIgnoreCase, IdEqualIgnoreCase> map_;
};

} // namespace vellum
