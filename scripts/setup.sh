#!/usr/bin/env bash
# Installs the Debian packages needed to build Ribbelo and run its tests.
# Idempotent: only what is missing is installed.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  libgtk-3-dev libmimalloc-dev libpng-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool fonts-dejavu-core imagemagick openbox x11-utils
  python3 python3-ezdxf python3-shapely admesh
  libocct-data-exchange-dev libocct-modeling-algorithms-dev libcgal-dev
  clang-14 libfuzzer-14-dev locales
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
