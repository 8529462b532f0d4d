// Dumping a file at the scale of the base game's master as JSON and building it back from the dump.
#include <benchmark/benchmark.h>

#include "esfile/body.h"
#include "esfile/esfile.h"
#include "generator/generator.h"
#include "outline/outline.h"
#include "record_json.h"

namespace {

const std::string& MasterBytes() {
    static const std::string bytes = vellum::gen::GeneratePlugin(vellum::gen::MasterPreset());
    return bytes;
}

void BM_DumpMaster(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(vellum::cli::DumpRecords(MasterBytes()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * MasterBytes().size()));
}

void BM_BuildMaster(benchmark::State& state) {
    const std::string text = vellum::cli::DumpRecords(MasterBytes());
    for (auto _ : state) {
        std::string bytes;
        benchmark::DoNotOptimize(vellum::cli::BuildRecords(text, bytes));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * MasterBytes().size()));
}

// The round trip as the two commands make it, check of the framing included.
void BM_DumpAndBuildMaster(benchmark::State& state) {
    for (auto _ : state) {
        if (!vellum::CheckWellFormed(MasterBytes())) state.SkipWithError("the master does not frame");
        std::string bytes;
        auto error = vellum::cli::BuildRecords(vellum::cli::DumpRecords(MasterBytes()), bytes);
        if (error || bytes != MasterBytes()) state.SkipWithError("the round trip changed the file");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * MasterBytes().size()));
}

// What the record browser does when the responses are chosen: the ID and text of every response.
void BM_ResponseTitles(benchmark::State& state) {
    const std::vector<vellum::RecordSpan> spans = vellum::FrameRecords(MasterBytes());
    for (auto _ : state) {
        size_t n = 0;
        for (const vellum::RecordSpan& s : spans)
            if (s.tag == vellum::TagValue("INFO")) n += vellum::TitleOf(MasterBytes(), s).name.size();
        benchmark::DoNotOptimize(n);
    }
}

} // namespace

BENCHMARK(BM_ResponseTitles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DumpMaster)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildMaster)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DumpAndBuildMaster)->Unit(benchmark::kMillisecond);
