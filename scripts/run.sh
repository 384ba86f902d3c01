#!/usr/bin/env bash
# Set up, build and start the configurator. Its workspace is the folder of the built program:
# build/workspace (MASTER, PROJECTS, LANGUAGE and Variroduvi.xml appear there).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh" build Release
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: starting under xvfb-run (invisible). See README for screenshots."
  exec xvfb-run -a "$top/build/workspace/qcx3310"
fi
exec "$top/build/workspace/qcx3310"
