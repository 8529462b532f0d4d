#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the whole suite, then the file-reading and tool tests
# again under AddressSanitizer and UndefinedBehaviorSanitizer, then the same tests and the command line built
# for Windows and run under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"

echo "== Build and run the test suite"
# Optimised as users get it, without debug information: the suite runs once, and the build is most of CI's time.
"$root/scripts/build.sh" "$root/build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG"
export QT_QPA_PLATFORM=offscreen
(cd "$root/build" && ctest --output-on-failure -j"$(nproc)")

echo "== Sanitizer build (AddressSanitizer, UndefinedBehaviorSanitizer)"
# Light optimisation and line tables only: enough for the sanitizers' reports to name the line.
"$root/scripts/build.sh" "$root/build-sanitize" -DVELLUM_SANITIZE=ON -DVELLUM_BUILD_APP=OFF -DVELLUM_BUILD_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O1 -g1 -DNDEBUG"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd "$root/build-sanitize" && ctest --output-on-failure -j"$(nproc)" -L core)

echo "== Windows build (MinGW-w64), its tests and the command line under Wine"
SECONDS=0
"$root/scripts/build-windows.sh" "$root/build-mingw" -DVELLUM_LINUX_CLI="$root/build/src/cli/vellum-cli"
status=0
(cd "$root/build-mingw" && ctest --output-on-failure) || status=$?
# The Wine prefix's server would linger a few seconds after the last program.
WINEPREFIX="$root/build-mingw/wineprefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
grep -h '^\[  PASSED  \]' "$root/build-mingw/Testing/Temporary/LastTest.log" || true
echo "Windows stage: ${SECONDS} s"
exit $status
