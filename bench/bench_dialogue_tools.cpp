// Loop detection and topic renaming at the scale of the base game's master (about 30,000 responses).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "dialogue/loops.h"
#include "dialogue/rename_topics.h"
#include "esfile/esfile.h"
#include "generator/generator.h"
#include "ui.h"

namespace {

// The dialogue of the generated master; the other tables are dropped to keep the copies small.
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

// Answers the result editor with OK and the texts as shown, so every showing takes the bookkeeping path.
class AcceptingUi : public vellum::SilentUi {
  public:
    void editResult(vellum::ResultEdit& e) override { e.fiAccept = "0"; }
};

void BM_FindLoops(benchmark::State& state) {
    const vellum::RecordStore& store = Master();
    for (auto _ : state) {
        std::vector<vellum::LoopFinding> found = vellum::FindLoops(store);
        benchmark::DoNotOptimize(found.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * store.tblINFO.size()));
    state.counters["shown"] = static_cast<double>(vellum::FindLoops(store).size());
}

template <class TheUi> void RunCheck(benchmark::State& state) {
    vellum::RecordStore store = Master();
    TheUi ui;
    for (auto _ : state) {
        vellum::LoopCheckOutcome out = vellum::CheckLoops(store, ui, "Morrowind.esm");
        benchmark::DoNotOptimize(out.shown);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * store.tblINFO.size()));
}

void BM_CheckLoopsSkippingEach(benchmark::State& state) {
    RunCheck<vellum::SilentUi>(state);
}
void BM_CheckLoopsAcceptingEach(benchmark::State& state) {
    RunCheck<AcceptingUi>(state);
}

// Renames the topic of the given row back and forth, one Apply per iteration.
void RenameBackAndForth(benchmark::State& state, size_t row, vellum::RenameOptions options) {
    vellum::RecordStore store = Master();
    vellum::SilentUi ui;
    std::vector<vellum::TopicRow> rows = vellum::ListTopicRows(store);
    const std::string oldName = rows.at(row).name, newName = oldName + " Renamed";
    bool forth = true;
    for (auto _ : state) {
        rows[row].text = forth ? newName : oldName;
        forth = !forth;
        vellum::RenameOutcome out = vellum::ApplyTopicRenames(store, rows, options, ui);
        benchmark::DoNotOptimize(out.topicsRenamed);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * store.tblINFO.size()));
}

// The topic whose name stands most often in the response texts: the most replacing work.
size_t BusiestRow() {
    const std::vector<vellum::TopicRow> rows = vellum::ListTopicRows(Master());
    size_t best = 0, bestCount = 0;
    for (size_t j = 0; j < rows.size(); ++j) {
        size_t count = 0;
        for (const vellum::INFORecord& r : Master().tblINFO)
            count += r.NAME.find(rows[j].name) != std::string::npos;
        if (count > bestCount) {
            best = j;
            bestCount = count;
        }
    }
    return best;
}

void BM_RenameOneTopic(benchmark::State& state) {
    RenameBackAndForth(state, 0, {});
}
void BM_RenameBusiestTopic(benchmark::State& state) {
    static const size_t row = BusiestRow();
    RenameBackAndForth(state, row, {});
}
void BM_RenameOneTopicNoTexts(benchmark::State& state) {
    RenameBackAndForth(state, 0, {false, false});
}

} // namespace

BENCHMARK(BM_FindLoops)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CheckLoopsSkippingEach)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CheckLoopsAcceptingEach)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RenameOneTopic)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RenameBusiestTopic)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RenameOneTopicNoTexts)->Unit(benchmark::kMillisecond)->UseRealTime();
