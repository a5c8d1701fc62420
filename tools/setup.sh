#!/usr/bin/env bash
# Installs what the build, the tests and the program need and is not yet on
# this Debian 12 machine. Safe to run again: it does nothing when all is there.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6printsupport6 libqt6widgets6 libqt6gui6
  libgtest-dev googletest libjpeg-dev file dpkg-dev libarchive-dev libssl-dev zlib1g-dev
  fonts-ipafont-gothic qt6-translations-l10n poppler-utils
)
if [ "${VELUNOR_DEV_TOOLS:-0}" = 1 ]; then
  # Debian's checkers of the package, run by the packaging test when present.
  packages+=(xvfb xdotool imagemagick x11-utils desktop-file-utils librsvg2-bin lintian appstream)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
