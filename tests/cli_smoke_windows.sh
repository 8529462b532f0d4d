#!/usr/bin/env bash
# The Windows command-line program under Wine against the Linux one. `info` on the shared plugin, named
# relative to the repository's folder, prints the same bytes. A plugin named "Vivec's Café.esp" under
# C:\Program Files (x86)\...\Data Files is read, saved over, saved as a new master and exported with the same
# output, exit status and files as the Linux program gives for the same names, and nothing else is left in
# the folder.
#
# Usage: tests/cli_smoke_windows.sh WINDOWS_BUILD_DIR LINUX_CLI FIXTURES_DIR [WINE]
# WINEPREFIX defaults to a prefix of its own in WINDOWS_BUILD_DIR, made on first use.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
linux=$2
fixture=$(cd "$3" && pwd)/all_types.esp
wine=${4:-/usr/lib/wine/wine64}
exe=$build/src/cli/vellum-cli.exe
# Headless, quiet, no Mono or Gecko installers; the words on the command line reach Wine as UTF-8.
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
work=$(mktemp -d "$build/smoke.XXXXXX")
trap 'rm -rf "$work"' EXIT
failed=0

# Runs one side's command; its standard output, with the timings masked, then its exit status.
run() {
  local out=$1
  shift
  local status=0
  "$@" >"$out.raw" 2>"$out.err" || status=$?
  sed -E 's/ in [0-9]+\.[0-9]+ seconds/ in N seconds/' "$out.raw" >"$out"
  echo "exit status $status" >>"$out"
}
same() {
  if cmp -s "$2" "$3"; then
    echo "ok: $1"
  else
    echo "FAILED: $1"
    if grep -Iq . "$2"; then diff "$2" "$3" | head -20; else cmp "$2" "$3"; fi || true
    failed=1
  fi
}

rel=$(realpath --relative-to="$root" "$fixture")
(cd "$root" && run "$work/info.linux" "$linux" info "$rel")
(cd "$root" && run "$work/info.windows" "$wine" "$exe" info "$rel")
same "info $rel prints the same bytes" "$work/info.linux" "$work/info.windows"
grep -q "^Total: " "$work/info.linux" || { echo "FAILED: info printed no total"; failed=1; }

plugin="Vivec's Café.esp"
lin_dir="$work/linux/Data Files"
win_dir="$WINEPREFIX/drive_c/Program Files (x86)/Bethesda Softworks/Morrowind/Data Files"
win_name='C:\Program Files (x86)\Bethesda Softworks\Morrowind\Data Files'
rm -rf "$win_dir"
mkdir -p "$lin_dir" "$win_dir"
# Copies that may be written over (the shared fixture may have no write permission).
install -m 644 "$fixture" "$lin_dir/$plugin"
install -m 644 "$fixture" "$win_dir/$plugin"
steps=("info|$plugin" "save|$plugin|$plugin" "save|$plugin|Café Nouveau.esm" "export-dialogue|$plugin|Dialogue – Café.txt")
for i in "${!steps[@]}"; do
  IFS='|' read -r command names <<<"${steps[$i]}"
  IFS='|' read -r -a names <<<"${names}"
  lin_args=() win_args=()
  for n in "${names[@]}"; do
    lin_args+=("$lin_dir/$n")
    win_args+=("$win_name\\$n")
  done
  run "$work/$i.linux" "$linux" "$command" "${lin_args[@]}"
  run "$work/$i.windows" "$wine" "$exe" "$command" "${win_args[@]}"
  same "$command ${names[*]}" "$work/$i.linux" "$work/$i.windows"
  grep -qx "exit status 0" "$work/$i.windows" || { echo "FAILED: $command: $(cat "$work/$i.windows.err")"; failed=1; }
done
grep -q "^-Writing \"$plugin\"\.\.\.$" "$work/1.windows" || { echo "FAILED: the name is not shown as it is"; failed=1; }
same "the folder holds the same files" <(ls -A "$lin_dir") <(ls -A "$win_dir")
for f in "$lin_dir"/*; do same "$(basename "$f") has the same bytes" "$f" "$win_dir/$(basename "$f")"; done

exit $failed
