#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need (skipping what is
# present), then configures and builds. Usage: scripts/setup.sh BUILD_DIR BUILD_TYPE
set -euo pipefail
build_dir=${1:-build}
build_type=${2:-Release}
top=$(cd "$(dirname "$0")/.." && pwd)

packages=(cmake ninja-build g++ qt6-base-dev libgl-dev libcurl4-openssl-dev
          xvfb xauth fonts-dejavu-core ccache)
# The tests read the register map's PDF back with another program's reader (pdftotext).
packages+=(poppler-utils)
# Qt's own texts (Yes, No, Cancel) in the user's language.
packages+=(qt6-translations-l10n)
missing=()
# The emulator and CAN tools (Qt SerialBus), and the Modbus master the tests check them with.
packages+=(qt6-serialbus-dev mbpoll)
# can-utils' log2asc: an ASC writer no one here wrote, for the CAN log reader's tests.
packages+=(can-utils)
# The install test checks the menu entry and the AppStream description with these.
packages+=(desktop-file-utils appstream)
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y --no-install-recommends "${missing[@]}"
fi

cmake -S "$top" -B "$top/$build_dir" -G Ninja -DCMAKE_BUILD_TYPE="$build_type"
cmake --build "$top/$build_dir" --parallel "$(nproc)"
