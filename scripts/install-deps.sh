#!/usr/bin/env bash
# Installs the Debian packages Quillwave builds, tests and runs with. Quick when all is there.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  libsleef-dev libtbb-dev libcli11-dev libgtest-dev libgmock-dev
  qt6-base-dev libgl-dev qt6-translations-l10n libfontconfig-dev
  pandoc dpkg-dev lintian
  qt6-multimedia-dev
  fonts-ipafont-gothic
  xvfb xauth
)
# Extra tools for fuzzing, sanitizers, GUI screenshots (a second CJK font for the font fallback)
# and icon rendering: install-deps.sh --dev
if [[ "${1:-}" == "--dev" ]]; then
  packages+=(clang libclang-rt-14-dev espeak-ng sox imagemagick xdotool openbox librsvg2-bin
             fonts-vlgothic)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [[ $(id -u) -ne 0 ]]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
