// Reading and writing a file at the scale of the base game's master, against copying the same file.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "esfile/esfile.h"
#include "generator/generator.h"
#include "ui.h"

namespace {

namespace fs = std::filesystem;

const std::string& MasterBytes() {
    static const std::string bytes = vellum::gen::GeneratePlugin(vellum::gen::MasterPreset());
    return bytes;
}

const std::string& MasterOnDisk() {
    static const std::string path = [] {
        std::string p = (fs::temp_directory_path() / "vellum-bench-master.esm").string();
        std::ofstream(p, std::ios::binary)
            .write(MasterBytes().data(), static_cast<std::streamsize>(MasterBytes().size()));
        return p;
    }();
    return path;
}

void BM_CopyFile(benchmark::State& state) {
    const std::string& src = MasterOnDisk();
    std::string dst = src + ".copy";
    for (auto _ : state) {
        fs::copy_file(src, dst, fs::copy_options::overwrite_existing);
    }
    fs::remove(dst);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * MasterBytes().size()));
}

void BM_ReadFile(benchmark::State& state) {
    const std::string& src = MasterOnDisk();
    vellum::SilentUi ui;
    for (auto _ : state) {
        vellum::RecordStore store;
        int32_t count = 0;
        vellum::ReadESFile(src, store, ui, count, true);
        benchmark::DoNotOptimize(count);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * MasterBytes().size()));
}

void BM_WriteFile(benchmark::State& state) {
    vellum::SilentUi ui;
    vellum::RecordStore store;
    int32_t count = 0;
    vellum::ReadESBytes(MasterBytes(), store, ui, count, true);
    std::string dst = MasterOnDisk() + ".out.esm";
    for (auto _ : state) {
        benchmark::DoNotOptimize(vellum::WriteESFile(dst, store, ui, count));
    }
    fs::remove(dst);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * MasterBytes().size()));
}

void BM_ParseFromMemory(benchmark::State& state) {
    vellum::SilentUi ui;
    for (auto _ : state) {
        vellum::RecordStore store;
        int32_t count = 0;
        vellum::ReadESBytes(MasterBytes(), store, ui, count, true);
        benchmark::DoNotOptimize(count);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * MasterBytes().size()));
}

void BM_EncodeToMemory(benchmark::State& state) {
    vellum::SilentUi ui;
    vellum::RecordStore store;
    int32_t count = 0;
    vellum::ReadESBytes(MasterBytes(), store, ui, count, true);
    for (auto _ : state) {
        std::string out = vellum::BuildESFile(store, ui, count, vellum::kFileTypeMaster);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * MasterBytes().size()));
}

} // namespace

BENCHMARK(BM_CopyFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WriteFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ParseFromMemory)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EncodeToMemory)->Unit(benchmark::kMillisecond)->UseRealTime();
