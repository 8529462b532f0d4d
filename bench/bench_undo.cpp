// Morrowindize of the master-scale generated file with its undo step kept, as the window runs it: the memory
// the step keeps against the changed responses' text, and the time an undo (and a redo) takes.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include "esfile/esfile.h"
#include "generator/generator.h"
#include "morrowindize/morrowindize.h"
#include "store/changes.h"
#include "ui.h"

namespace {

const vellum::RecordStore& Master() {
    static const vellum::RecordStore store = [] {
        vellum::RecordStore s;
        vellum::SilentUi ui;
        int32_t count = 0;
        vellum::ReadESBytes(vellum::gen::GeneratePlugin(vellum::gen::MasterPreset()), s, ui, count, true);
        return s;
    }();
    return store;
}

vellum::MorrowindizeOptions AllOn() {
    vellum::MorrowindizeOptions o;
    for (const vellum::MorrowindizeOptionInfo& info : vellum::MorrowindizeOptionList()) o.*info.flag = true;
    return o;
}

size_t HeapInUse() {
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

size_t TextCapacity(const vellum::RecordStore& s) {
    size_t n = 0;
    for (const vellum::INFORecord& r : s.tblINFO) n += r.NAME.capacity();
    return n;
}

// What the window does: texts taken, the tool run, the changes found and kept as one step.
vellum::EditStep RunKeepingUndo(vellum::RecordStore& store) {
    vellum::SilentUi ui;
    std::vector<vellum::TextChange> changes;
    {
        const vellum::DialogueTexts before = vellum::TakeDialogueTexts(store);
        vellum::Morrowindize(store, AllOn(), "master.esm", ui);
        changes = vellum::CompareDialogue(before, store);
    }
    return vellum::EditStep("Morrowindize", changes);
}

void BM_MorrowindizeKeepingUndo(benchmark::State& state) {
    vellum::RecordStore store;
    double stepBytes = 0, heapExtra = 0, changedBytes = 0, changed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        store.tblINFO = Master().tblINFO;
        store.tblDIAL = Master().tblDIAL;
        const size_t heapBefore = HeapInUse(), capacityBefore = TextCapacity(store);
        state.ResumeTiming();
        vellum::EditStep step = RunKeepingUndo(store);
        state.PauseTiming();
        // The step's own memory, and the heap's growth less that of the texts the tool rewrote.
        stepBytes = static_cast<double>(step.heapBytes() + sizeof(step));
        heapExtra = static_cast<double>(HeapInUse() - heapBefore) -
                    (static_cast<double>(TextCapacity(store)) - static_cast<double>(capacityBefore));
        changedBytes = 0;
        for (const vellum::TextChange& c : step.changes(store))
            changedBytes += static_cast<double>(c.before.text.size());
        changed = static_cast<double>(step.counts().responses);
        state.ResumeTiming();
    }
    state.counters["changedResponses"] = changed;
    state.counters["changedTextBytes"] = changedBytes;
    state.counters["stepBytes"] = stepBytes;
    state.counters["heapExtraBytes"] = heapExtra;
    state.counters["stepPerChangedByte"] = stepBytes / changedBytes;
    state.counters["heapExtraPerChangedByte"] = heapExtra / changedBytes;
}

// The master's dialogue, cleaned, with the step that undoes the clean-up.
struct Cleaned {
    vellum::RecordStore store;
    vellum::EditHistory history;
    Cleaned() {
        store.tblINFO = Master().tblINFO;
        store.tblDIAL = Master().tblDIAL;
        history.push(RunKeepingUndo(store));
    }
};

void BM_UndoMorrowindize(benchmark::State& state) {
    Cleaned c;
    for (auto _ : state) {
        c.history.undo(c.store);
        state.PauseTiming();
        if (!(c.store.tblINFO == Master().tblINFO))
            state.SkipWithError("the undo did not give the loaded texts");
        c.history.redo(c.store);
        state.ResumeTiming();
    }
    state.counters["changedResponses"] = static_cast<double>(c.history.step(0).counts().responses);
}

void BM_RedoMorrowindize(benchmark::State& state) {
    Cleaned c;
    for (auto _ : state) {
        state.PauseTiming();
        c.history.undo(c.store);
        state.ResumeTiming();
        c.history.redo(c.store);
    }
}

} // namespace

BENCHMARK(BM_MorrowindizeKeepingUndo)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_UndoMorrowindize)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedoMorrowindize)->Unit(benchmark::kMillisecond);
