#!/usr/bin/env bash
# Opens an HTML NPC list in a real browser: generates the sample town with vellum-gen, exports its NPC list as
# HTML with vellum-cli, loads the file in headless Chromium and checks that the page renders: the browser
# exits cleanly, the parsed page holds the colour legend, one list item per NPC counted in the footer, every
# name decoded from Windows-1252 as the plain-text list has it, and the screenshot shows the legend colours.
#
# Usage: tests/check_npc_list_html.sh [BUILD_DIR]   (default: build/ beside this folder)
# Needs /usr/bin/chromium (apt-get install -y chromium) and python3. Exits 77 (skipped) without Chromium.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
chromium=${CHROMIUM:-/usr/bin/chromium}
gen="$build/tools/vellum-gen"
cli="$build/src/cli/vellum-cli"

if [ ! -x "$chromium" ]; then
  echo "SKIP: $chromium not found (install it with: apt-get install -y chromium)"
  exit 77
fi
for tool in "$gen" "$cli"; do
  [ -x "$tool" ] || { echo "FAIL: $tool is missing; build first (cmake --build $build)"; exit 1; }
done
command -v python3 >/dev/null || { echo "FAIL: python3 is needed for the checks"; exit 1; }

work=$(mktemp -d)
profile=$(mktemp -d)
trap 'rm -rf "$work" "$profile"' EXIT

"$gen" --preset sample -o "$work/town.esp" >/dev/null
"$cli" npc-list "$work/town.esp" --cell "Vellum Town" --format html -o "$work/town.html" >/dev/null
"$cli" npc-list "$work/town.esp" --cell "Vellum Town" --format text -o "$work/town.txt" >/dev/null

flags=(--headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking
       --disable-component-update --disable-sync --user-data-dir="$profile" --enable-logging=stderr --v=0)
url="file://$work/town.html"
if ! timeout 120 "$chromium" "${flags[@]}" --dump-dom "$url" >"$work/dom.html" 2>"$work/dom.log"; then
  echo "FAIL: Chromium could not load the page"; tail -20 "$work/dom.log"; exit 1
fi
if ! timeout 120 "$chromium" "${flags[@]}" --window-size=900,700 --screenshot="$work/shot.png" "$url" \
     >/dev/null 2>"$work/shot.log"; then
  echo "FAIL: Chromium could not take a screenshot"; tail -20 "$work/shot.log"; exit 1
fi

python3 - "$work" <<'EOF'
import re, struct, sys, zlib

work = sys.argv[1]
dom = open(f"{work}/dom.html", encoding="utf-8").read()
text = open(f"{work}/town.txt", "rb").read().decode("cp1252")
logs = open(f"{work}/dom.log", errors="replace").read() + open(f"{work}/shot.log", errors="replace").read()
failures = []

legend = [("#FFFFFF", "White - Name"), ("#FF0000", "Red - Gender"), ("#FF9933", "Orange - Race"),
          ("#FFFF00", "Yellow - Class"), ("#00FF00", "Green - Faction"), ("#0066FF", "Blue - Description"),
          ("#800080", "Purple - Writer"), ("#808080", "Gray - DONE")]
for colour, label in legend:
    if not re.search(f'<font color="{colour}">{re.escape(label)}</font>', dom, re.I):
        failures.append(f"legend line missing from the rendered page: {label}")
if "Color code:" not in dom:
    failures.append('"Color code:" missing')

m = re.search(r"Total NPCs: (\d+)", dom)
count = int(m.group(1)) if m else -1
items = dom.count("<li>")
if count <= 0:
    failures.append("no NPC count in the footer (or a count of 0)")
elif items != count:
    failures.append(f"{items} list items for a count of {count}")
if dom.count("***To be asigned***") != count:
    failures.append("not one writer line per NPC")

# Every name of the plain list appears in the page, decoded as Windows-1252 (accented names included).
blocks = [b for b in text.split("\r\n\r\n") if b.endswith("***To be asigned***")]
names = [b.split("\r\n")[0] for b in blocks]
if len(names) != count:
    failures.append(f"the plain list has {len(names)} NPCs, the HTML list {count}")
for name in names:
    if name not in dom:
        failures.append(f"name not rendered as expected: {name!r}")
if not any(ord(c) > 127 for c in "".join(names)):
    print("note: no accented name in this town; the code page was not put to the test")

for line in logs.splitlines():
    if "Uncaught" in line or ("CONSOLE" in line and "error" in line.lower()):
        failures.append("browser console error: " + line.strip())

# The screenshot: a PNG whose pixels include the legend colours (text drawn in them on the black page).
def pixels(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG file")
    pos, idat, width = 8, b"", 0
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, ctype = struct.unpack(">IIBB", body[:10])
            if depth != 8 or ctype not in (2, 6):
                raise ValueError("unexpected PNG format")
            bpp = 3 if ctype == 2 else 4
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw, stride, prev, out = zlib.decompress(idat), width * bpp, bytearray(width * bpp), set()
    for y in range(height):
        f, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b, c = prev[i], prev[i - bpp] if i >= bpp else 0
            if f == 1: line[i] = (line[i] + a) & 255
            elif f == 2: line[i] = (line[i] + b) & 255
            elif f == 3: line[i] = (line[i] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        out.update(tuple(line[x:x + 3]) for x in range(0, stride, bpp))
        prev = line
    return out

try:
    seen = pixels(f"{work}/shot.png")
    for colour, label in legend:
        rgb = tuple(int(colour[i:i + 2], 16) for i in (1, 3, 5))
        if not any(all(abs(p[k] - rgb[k]) <= 8 for k in range(3)) for p in seen):
            failures.append(f"the screenshot shows no {colour} ({label})")
except (ValueError, zlib.error, struct.error) as e:
    failures.append(f"screenshot unreadable: {e}")

if failures:
    print("FAIL:")
    for f in failures:
        print("  " + f)
    sys.exit(1)
print(f"OK: the HTML list renders in Chromium with its colour legend and {count} NPCs")
EOF
