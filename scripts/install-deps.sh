#!/usr/bin/env bash
# Installs every Debian package that building, testing and playing need.
# Does nothing when everything is already there.
set -euo pipefail

packages=(
    build-essential cmake pkg-config git
    libsdl2-dev libsdl2-image-dev libsdl2-mixer-dev libsdl2-ttf-dev
    libfontconfig-dev fontconfig fonts-bebas-neue fonts-dejavu-core
    libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev
    xvfb xdotool x11-utils x11-apps xauth util-linux
    clang clang-format libclang-rt-14-dev lame librsvg2-bin python3
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
