#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the whole suite, then the file-reading and tool tests
# again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"

echo "== Build and run the test suite"
"$root/scripts/build.sh" "$root/build"
export QT_QPA_PLATFORM=offscreen
(cd "$root/build" && ctest --output-on-failure -j"$(nproc)")

echo "== Sanitizer build (AddressSanitizer, UndefinedBehaviorSanitizer)"
"$root/scripts/build.sh" "$root/build-sanitize" -DVELLUM_SANITIZE=ON -DVELLUM_BUILD_APP=OFF -DVELLUM_BUILD_BENCH=OFF
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd "$root/build-sanitize" && ctest --output-on-failure -j"$(nproc)" -L core)
