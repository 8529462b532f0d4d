#!/usr/bin/env bash
# Builds the fuzz programs when needed and runs one fuzz target for a given time.
#
#   fuzz/run.sh TARGET SECONDS [libFuzzer options...]
#
# TARGET is esfile, import, cleanup or wildcard. The build folder is $VELLUM_FUZZ_BUILD (default build-fuzz in
# the repository). Starting inputs are written afresh into BUILD/fuzz-seeds/TARGET (from generated plugins and
# ../shared/fixtures/all_types.esp, read where it is); inputs that reach new code are kept in
# BUILD/fuzz-corpus/TARGET between runs. A failing input is saved in BUILD/fuzz-artifacts/TARGET/; copy it into
# fuzz/regressions/TARGET/ with its fix so that the test suite keeps checking it (fuzz/README.md lists what
# was found). While such a failure is still open, a run can pass over it:
#   VELLUM_FUZZ_IGNORE="part of its CHECK FAILED text|part of another" fuzz/run.sh TARGET SECONDS
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -lt 2 ]; then
  echo "Usage: $0 esfile|import|cleanup|wildcard SECONDS [libFuzzer options...]" >&2
  exit 2
fi
target=$1
seconds=$2
shift 2
case "$target" in
  esfile) max_len=32768 ;;
  import) max_len=16384 ;;
  cleanup) max_len=4096 ;;
  wildcard) max_len=1024 ;;
  *) echo "Unknown target \"$target\"" >&2; exit 2 ;;
esac
build=${VELLUM_FUZZ_BUILD:-$root/build-fuzz}
jobs=${VELLUM_FUZZ_JOBS:-2}

if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELLUM_FUZZ=ON \
    -DVELLUM_BUILD_TESTS=OFF -DVELLUM_BUILD_APP=OFF -DVELLUM_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$build" -j"$jobs" --target "fuzz_$target" fuzz_seeds

seeds=$build/fuzz-seeds
rm -rf "$seeds/$target"
"$build/fuzz/fuzz_seeds" "$seeds" "$root/../shared/fixtures" "$target" >/dev/null
corpus=$build/fuzz-corpus/$target
artifacts=$build/fuzz-artifacts/$target
mkdir -p "$corpus" "$artifacts"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
exec "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 \
  -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$artifacts/" "$@" "$corpus" "$seeds/$target"
