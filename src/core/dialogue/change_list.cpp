#include "dialogue/change_list.h"

#include <algorithm>

#include "dialogue/response_editor.h"

namespace vellum {

namespace {

struct Op {
    DiffKind kind;
    size_t a, b; // the positions in both sequences where the op stands
};

// The shortest edit of a into b, by the longest common subsequence. Past a size that would take too much
// memory, the middle (between the common start and end) is taken as removed and added whole.
std::vector<Op> Diff(const std::vector<std::string_view>& a, const std::vector<std::string_view>& b) {
    const auto [head, tail] = FindCommonEnds(a, b);
    const size_t n = a.size() - head - tail, m = b.size() - head - tail;
    std::vector<Op> ops;
    for (size_t k = 0; k < head; ++k) ops.push_back({DiffKind::Same, k, k});
    if (n * m <= 4'000'000) {
        // lcs[i][j]: the common length of a[head + i, ...) and b[head + j, ...) within the middle.
        std::vector<uint32_t> lcs((n + 1) * (m + 1), 0);
        auto at = [&](size_t i, size_t j) -> uint32_t& { return lcs[i * (m + 1) + j]; };
        for (size_t i = n; i-- > 0;)
            for (size_t j = m; j-- > 0;)
                at(i, j) =
                    a[head + i] == b[head + j] ? at(i + 1, j + 1) + 1 : std::max(at(i + 1, j), at(i, j + 1));
        size_t i = 0, j = 0;
        while (i < n || j < m) {
            if (i < n && j < m && a[head + i] == b[head + j]) {
                ops.push_back({DiffKind::Same, head + i++, head + j++});
            } else if (i < n && (j == m || at(i + 1, j) >= at(i, j + 1))) {
                ops.push_back({DiffKind::Removed, head + i++, head + j});
            } else {
                ops.push_back({DiffKind::Added, head + i, head + j++});
            }
        }
    } else {
        for (size_t i = 0; i < n; ++i) ops.push_back({DiffKind::Removed, head + i, head});
        for (size_t j = 0; j < m; ++j) ops.push_back({DiffKind::Added, head + n, head + j});
    }
    for (size_t k = 0; k < tail; ++k) ops.push_back({DiffKind::Same, head + n + k, head + m + k});
    return ops;
}

bool IsWordChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '\'' ||
           u >= 0xC0;
}

std::vector<std::string_view> Words(std::string_view s) {
    std::vector<std::string_view> out;
    for (size_t i = 0; i < s.size();) {
        size_t j = i + 1;
        if (IsWordChar(s[i]))
            while (j < s.size() && IsWordChar(s[j])) ++j;
        else if (s[i] == ' ')
            while (j < s.size() && s[j] == ' ') ++j;
        out.push_back(s.substr(i, j - i));
        i = j;
    }
    return out;
}

// "@@ -1,2 +1,3 @@": a range's start line (the line before it when it is empty) and its length when not 1.
std::string HunkRange(size_t start, size_t count) {
    std::string r = std::to_string(count == 0 ? start : start + 1);
    if (count != 1) r += "," + std::to_string(count);
    return r;
}

void AppendHunks(std::string& out, std::string_view before, std::string_view after) {
    constexpr size_t kContext = 3;
    const std::vector<std::string_view> a = TextLines(before), b = TextLines(after);
    const std::vector<Op> ops = Diff(a, b);
    size_t k = 0;
    while (k < ops.size()) {
        while (k < ops.size() && ops[k].kind == DiffKind::Same) ++k;
        if (k == ops.size()) break;
        // The hunk runs from kContext ops before this change to kContext after the last change that stands
        // within 2 * kContext unchanged lines of the one before it.
        const size_t first = k >= kContext ? k - kContext : 0;
        size_t last = k; // one past the last change of the hunk
        for (size_t same = 0; k < ops.size() && same <= 2 * kContext; ++k) {
            if (ops[k].kind == DiffKind::Same) {
                ++same;
            } else {
                same = 0;
                last = k + 1;
            }
        }
        const size_t end = std::min(ops.size(), last + kContext);
        size_t countA = 0, countB = 0;
        for (size_t q = first; q < end; ++q) {
            countA += ops[q].kind != DiffKind::Added;
            countB += ops[q].kind != DiffKind::Removed;
        }
        out += "@@ -" + HunkRange(ops[first].a, countA) + " +" + HunkRange(ops[first].b, countB) + " @@\n";
        for (size_t q = first; q < end; ++q) {
            const Op& op = ops[q];
            out += op.kind == DiffKind::Same ? ' ' : op.kind == DiffKind::Removed ? '-' : '+';
            out += op.kind == DiffKind::Added ? b[op.b] : a[op.a];
            out += '\n';
        }
        k = end;
    }
}

} // namespace

ChangeRow DescribeChange(const RecordStore& store, const TextChange& change) {
    static constexpr const char* kWhat[] = {"text", "result", "topic", "name"};
    ChangeRow row;
    row.what = kWhat[static_cast<int>(change.field)];
    if (change.field == TextField::TopicName) {
        row.topic = change.before.text;
        return row;
    }
    const INFORecord& rec = store.tblINFO[change.record];
    row.topic = rec.Topic;
    row.speaker = EditorActor(rec);
    row.id = rec.INAM;
    return row;
}

std::vector<DiffPiece> WordDiff(std::string_view before, std::string_view after) {
    const std::vector<std::string_view> a = Words(before), b = Words(after);
    std::vector<DiffPiece> out;
    for (const Op& op : Diff(a, b)) {
        const std::string_view word = op.kind == DiffKind::Added ? b[op.b] : a[op.a];
        if (!out.empty() && out.back().kind == op.kind)
            out.back().text += word;
        else
            out.push_back({op.kind, std::string(word)});
    }
    return out;
}

std::vector<std::string_view> TextLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const size_t lf = text.find('\n');
        std::string_view line = text.substr(0, lf);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        text = lf == std::string_view::npos ? std::string_view() : text.substr(lf + 1);
    }
    return lines;
}

std::string UnifiedDiff(const RecordStore& store, const std::vector<TextChange>& changes) {
    std::string out;
    for (const TextChange& c : changes) {
        const ChangeRow row = DescribeChange(store, c);
        std::string name = "topic \"" + row.topic + "\"";
        if (c.field != TextField::TopicName) name += " response \"" + row.id + "\"";
        name += " " + row.what;
        out += "--- " + name + "\n+++ " + name + "\n";
        AppendHunks(out, c.before.text, c.after.text);
    }
    return out;
}

namespace {
std::string Counted(size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}
std::string CountsText(const ChangeCounts& c) {
    return Counted(c.responses, "response", "responses") + ", " + Counted(c.results, "result", "results") +
           " and " + Counted(c.topics, "topic", "topics");
}
} // namespace

std::string ChangedLogLine(const ChangeCounts& counts) {
    return "-Changed " + CountsText(counts) + ".";
}

std::string WouldChangeLine(const std::string& file, const ChangeCounts& counts) {
    return file + ": " + (counts.any() ? CountsText(counts) + " would change." : "nothing would change.");
}

} // namespace vellum
