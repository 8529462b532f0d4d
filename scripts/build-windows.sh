#!/usr/bin/env bash
# Cross-builds vellum-cli.exe and the core's test program for 64-bit Windows with MinGW-w64 into build-mingw/
# (or the folder given as the first argument; further arguments go to CMake), compiles the desktop program's
# Windows lines (it has no Qt for Windows to build the rest), and packs the program into
# vellum-cli-windows.zip there, beside any DLL of the toolchain it needs (none: it is linked statically).
# The tests then run under Wine: (cd build-mingw && ctest --output-on-failure).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-mingw}
shift || true
triple=x86_64-w64-mingw32
# No debug information and -O2: the build is part of every CI run, and the zip is what users unpack.
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DVELLUM_BUILD_BENCH=OFF "$@" >/dev/null
cmake --build "$build" -j"$(nproc)" --target vellum-cli vellum_tests vellum_app_windows_check

# The zip: the program and every DLL it imports that comes with the toolchain rather than with Windows.
pack=$build/vellum-cli-windows
rm -rf "$pack" "$pack.zip"
mkdir -p "$pack"
cp "$build/src/cli/vellum-cli.exe" "$pack/"
for dll in $("$triple-objdump" -p "$pack/vellum-cli.exe" | sed -n 's/^\s*DLL Name: //p'); do
  for dir in /usr/lib/gcc/$triple/*-posix /usr/$triple/lib; do
    if [ -f "$dir/$dll" ]; then
      cp "$dir/$dll" "$pack/"
      break
    fi
  done
done
(cd "$pack" && cmake -E tar cf "$pack.zip" --format=zip -- *)
echo "$pack.zip: $(cd "$pack" && echo *)"
