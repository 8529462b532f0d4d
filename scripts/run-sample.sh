#!/usr/bin/env bash
# Installs what is missing, builds, and opens the bundled sample plugin.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"
sample="$root/examples/Sample.esp"
if [ -x "$root/build/src/app/vellum" ]; then
  if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "$root/build/src/app/vellum" "$sample"
  fi
  echo "No display is available: showing the sample with the command-line program instead."
fi
exec "$root/build/src/cli/vellum-cli" info "$sample"
