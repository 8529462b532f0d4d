// Dialogue export to text and import back at the scale of the base game's master (about 30,000 responses).
#include <benchmark/benchmark.h>

#include <string>

#include "dialogue/export_text.h"
#include "dialogue/import_text.h"
#include "esfile/esfile.h"
#include "generator/generator.h"
#include "ui.h"

namespace {

const vellum::RecordStore& Master() {
    static const vellum::RecordStore store = [] {
        vellum::RecordStore s;
        vellum::SilentUi ui;
        int32_t count = 0;
        vellum::ReadESBytes(vellum::gen::GeneratePlugin(vellum::gen::MasterPreset()), s, ui, count, true);
        vellum::RecordStore dialogue;
        dialogue.tblDIAL = std::move(s.tblDIAL);
        dialogue.tblINFO = std::move(s.tblINFO);
        return dialogue;
    }();
    return store;
}

void BM_ExportText(benchmark::State& state) {
    vellum::SilentUi ui;
    size_t bytes = 0;
    for (auto _ : state) {
        std::string text = vellum::BuildDialogueText(Master(), ui);
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["responses"] = static_cast<double>(Master().tblINFO.size());
}

// The unchanged export read back: every entry is matched, compared and put in place.
void BM_ImportText(benchmark::State& state) {
    vellum::SilentUi ui;
    const std::string text = vellum::BuildDialogueText(Master(), ui);
    for (auto _ : state) {
        state.PauseTiming();
        vellum::RecordStore store = Master();
        state.ResumeTiming();
        vellum::ImportOutcome o = vellum::ImportDialogueEntries(text, false, store, ui, "master.esm");
        benchmark::DoNotOptimize(o.responses);
    }
}

} // namespace

BENCHMARK(BM_ExportText)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImportText)->Unit(benchmark::kMillisecond)->UseRealTime();
