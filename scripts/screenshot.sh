#!/usr/bin/env bash
# Starts the built configurator on a virtual display and saves a picture of the screen.
# Usage: scripts/screenshot.sh OUT.png [seconds]   (needs x11-apps and imagemagick)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:?usage: screenshot.sh OUT.png [seconds]}")
wait=${2:-2}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$top/build/workspace/qcx3310" "$work/"
cd "$work"
xvfb-run -a -s "-screen 0 1024x768x24" sh -c "./qcx3310 & sleep $wait; xwd -root -silent > shot.xwd; kill %1" || true
convert shot.xwd "$out"
echo "$out"
