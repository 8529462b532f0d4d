// The quote exports and the NPC list on a file at the scale of the base game's master, written to disk.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "dialogue/quote_export.h"
#include "esfile/esfile.h"
#include "generator/generator.h"
#include "npclist/npc_list.h"
#include "ui.h"

namespace {

namespace fs = std::filesystem;

const vellum::RecordStore& MasterStore() {
    static const vellum::RecordStore store = [] {
        vellum::SilentUi ui;
        vellum::RecordStore s;
        int32_t count = 0;
        vellum::ReadESBytes(vellum::gen::GeneratePlugin(vellum::gen::MasterPreset()), s, ui, count, true);
        return s;
    }();
    return store;
}

std::string TempFile(const std::string& name) {
    return (fs::temp_directory_path() / ("vellum-bench-" + name)).string();
}

void QuoteExport(benchmark::State& state, vellum::ExportKind kind, const std::string& name) {
    const vellum::RecordStore& store = MasterStore();
    vellum::SilentUi ui;
    const std::string out = TempFile(name);
    for (auto _ : state) {
        benchmark::DoNotOptimize(vellum::ExportQuotes(out, kind, store, ui, "Master.esm"));
    }
    state.counters["responses"] = static_cast<double>(store.tblINFO.size());
    state.counters["bytes"] = static_cast<double>(fs::file_size(out));
    fs::remove(out);
}

void BM_QuoteExportXml(benchmark::State& state) {
    QuoteExport(state, vellum::ExportKind::QuoteXml, "quotes.xml");
}
void BM_QuoteExportBrq(benchmark::State& state) {
    QuoteExport(state, vellum::ExportKind::QuoteBrq, "quotes.brq");
}

// The list of every cell whose name holds ", " (all named interiors), with clones, in the largest markup.
void BM_NpcListHtml(benchmark::State& state) {
    const vellum::RecordStore& store = MasterStore();
    vellum::SilentUi ui;
    const std::string out = TempFile("npcs.html");
    const vellum::NpcListOptions options{", ", vellum::NpcListMarkup::Html, true};
    for (auto _ : state) {
        benchmark::DoNotOptimize(vellum::ExportNpcList(out, options, store, ui, "Master.esm"));
    }
    int32_t count = 0;
    vellum::BuildNpcList(options, store, ui, count);
    state.counters["listed"] = static_cast<double>(count);
    state.counters["cells"] = static_cast<double>(store.tblCELL.size());
    state.counters["npcs"] = static_cast<double>(store.tblNPC_.size());
    fs::remove(out);
}

// The text " " matches every cell whose name holds a blank: the interiors and the named exteriors.
void BM_NpcListTextAllNamedCells(benchmark::State& state) {
    const vellum::RecordStore& store = MasterStore();
    vellum::SilentUi ui;
    const std::string out = TempFile("npcs.txt");
    const vellum::NpcListOptions options{" ", vellum::NpcListMarkup::PureText, false};
    for (auto _ : state) {
        benchmark::DoNotOptimize(vellum::ExportNpcList(out, options, store, ui, "Master.esm"));
    }
    int32_t count = 0;
    vellum::BuildNpcList(options, store, ui, count);
    state.counters["listed"] = static_cast<double>(count);
    fs::remove(out);
}

} // namespace

BENCHMARK(BM_QuoteExportXml)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_QuoteExportBrq)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_NpcListHtml)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_NpcListTextAllNamedCells)->Unit(benchmark::kMillisecond)->UseRealTime();
