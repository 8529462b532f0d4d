#!/usr/bin/env bash
# Checks that saving and every tool give, byte for byte, the outputs recorded in outputs.sha256: the shared
# plugin, the bundled sample and generated files of every preset, saved back and run through each export and
# clean-up. A change to what the program writes shows here as a changed checksum.
#
# Usage: tests/golden/outputs.sh BUILD_DIR SHARED_FIXTURES [--record]
#   --record writes outputs.sha256 anew instead of checking it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
fixtures=$(cd "$2" && pwd)
mode=${3:-check}
cli="$build/src/cli/vellum-cli"
gen="$build/tools/vellum-gen"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cp "$fixtures/all_types.esp" "$work/shared.esp"
cp "$here/../../examples/Sample.esp" "$work/sample.esp"
"$gen" --preset small -o "$work/small.esp" >/dev/null
"$gen" --preset sample --seed 7 -o "$work/town.esp" >/dev/null
"$gen" --preset unusual -o "$work/unusual.esp" >/dev/null
"$gen" --preset master --responses 3000 -o "$work/master.esm" >/dev/null

cd "$work"
for f in shared sample small town unusual; do
  in=$f.esp
  "$cli" info "$in" >"$f.info.txt" || true
  "$cli" save "$in" "$f.saved.esp" >/dev/null
  "$cli" save "$in" "$f.saved.esm" >/dev/null
  "$cli" export-dialogue "$in" "$f.dialogue.txt" >/dev/null
  "$cli" export-dialogue "$in" "$f.quotes.xml" --city Balmora >/dev/null || true
  "$cli" export-dialogue "$in" "$f.quotes.brq" >/dev/null || true
  "$cli" import-dialogue "$in" "$f.dialogue.txt" -o "$f.imported.esp" --remove-line-breaks --over-512=trim >/dev/null
  "$cli" morrowindize "$in" -o "$f.clean.esp" >"$f.clean.log" || true
  "$cli" morrowindize "$in" -o "$f.clean-all.esp" --all >"$f.clean-all.log" 2>&1 || true
  "$cli" loops "$in" --json >"$f.loops.json" || true
  "$cli" loops "$in" >"$f.loops.txt" || true
  for fmt in text html phpbb; do
    "$cli" npc-list "$in" --cell "e" --format $fmt --clones -o "$f.npcs.$fmt" >/dev/null || true
  done
done
"$cli" save master.esm master.saved.esm >/dev/null
"$cli" export-dialogue master.esm master.dialogue.txt >/dev/null
"$cli" morrowindize master.esm -o master.clean.esm --all >/dev/null 2>&1 || true
# Timings in the log lines differ from run to run.
sed -i -E 's/in [0-9]+\.[0-9]{3} seconds/in N seconds/' ./*.info.txt ./*.log

outputs=$(ls | grep -v -E '^(shared|sample|small|town|unusual)\.esp$|^master\.esm$' | sort)
if [ "$mode" = "--record" ]; then
  sha256sum $outputs >"$here/outputs.sha256"
  echo "recorded $(echo "$outputs" | wc -l) outputs"
else
  sha256sum --quiet -c "$here/outputs.sha256"
  echo "all $(wc -l <"$here/outputs.sha256") outputs as recorded"
fi
