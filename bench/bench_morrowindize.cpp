// Morrowindize at the scale of the base game's dialogue (30,000 responses), with every option on and with the
// defaults, and the name table applied row by row against the compiled table that skips impossible rows.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "esfile/esfile.h"
#include "generator/generator.h"
#include "morrowindize/clean_text.h"
#include "morrowindize/morrowindize.h"
#include "morrowindize/rule_tables.h"
#include "ui.h"

namespace {

const vellum::RecordStore& Dialogue() {
    static const vellum::RecordStore store = [] {
        vellum::RecordStore s;
        vellum::SilentUi ui;
        int32_t count = 0;
        vellum::ReadESBytes(vellum::gen::GeneratePlugin(vellum::gen::SmallPreset(30000)), s, ui, count, true);
        return s;
    }();
    return store;
}

const std::vector<std::string>& Texts() {
    static const std::vector<std::string> texts = [] {
        std::vector<std::string> t;
        for (const vellum::INFORecord& r : Dialogue().tblINFO) t.push_back(r.NAME);
        return t;
    }();
    return texts;
}

vellum::MorrowindizeOptions AllOn() {
    vellum::MorrowindizeOptions o;
    for (const vellum::MorrowindizeOptionInfo& info : vellum::MorrowindizeOptionList()) o.*info.flag = true;
    return o;
}

void RunOverStore(benchmark::State& state, const vellum::MorrowindizeOptions& options) {
    vellum::RecordStore store;
    vellum::SilentUi ui;
    for (auto _ : state) {
        state.PauseTiming();
        store.tblINFO = Dialogue().tblINFO;
        state.ResumeTiming();
        vellum::MorrowindizeOutcome out = vellum::Morrowindize(store, options, "bench.esp", ui);
        benchmark::DoNotOptimize(out.changed);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * Dialogue().tblINFO.size()));
}

void BM_MorrowindizeEveryOption(benchmark::State& state) {
    RunOverStore(state, AllOn());
}
void BM_MorrowindizeDefaults(benchmark::State& state) {
    RunOverStore(state, vellum::MorrowindizeOptions{});
}

void BM_NameTableRowByRow(benchmark::State& state) {
    for (auto _ : state) {
        for (const std::string& text : Texts()) {
            std::string t = text;
            for (const vellum::RuleRow& r : vellum::NameTable())
                vellum::ReplaceAll(t, r.find, r.with, r.mode);
            benchmark::DoNotOptimize(t.data());
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * Texts().size()));
}

void BM_NameTableCompiled(benchmark::State& state) {
    const vellum::CompiledTable& table = vellum::CompiledNameTable();
    for (auto _ : state) {
        for (const std::string& text : Texts()) {
            std::string t = text;
            table.apply(t, true);
            benchmark::DoNotOptimize(t.data());
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * Texts().size()));
}

} // namespace

BENCHMARK(BM_MorrowindizeEveryOption)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MorrowindizeDefaults)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NameTableRowByRow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NameTableCompiled)->Unit(benchmark::kMillisecond);
