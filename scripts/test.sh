#!/usr/bin/env bash
# Set up, build and run every test through CTest (widgets run offscreen).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh" build-test Debug
cd "$top/build-test"
ctest --output-on-failure --parallel "$(nproc)" --timeout 300
