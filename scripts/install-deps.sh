#!/usr/bin/env bash
# Installs the Debian packages Zoduzor needs. Does nothing when they are all there.
#   install-deps.sh play   what building and playing the game need
#   install-deps.sh        that, and what the tests, fuzzing, benchmarks, the content
#                          generator, formatting and packaging need
#   install-deps.sh web    what building for web browsers (scripts/web.sh) and its
#                          browser test need
set -euo pipefail

play=(
    build-essential cmake pkg-config
    libsdl2-dev libsdl2-image-dev libsdl2-mixer-dev libsdl2-ttf-dev libx11-dev
    libfontconfig-dev fontconfig fonts-bebas-neue fonts-dejavu-core nlohmann-json3-dev
)
rest=(
    git libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xdotool x11-utils x11-apps xauth util-linux evilwm
    clang clang-format libclang-rt-14-dev lame librsvg2-bin python3 python3-colorspacious
    dpkg-dev desktop-file-utils appstream lintian
)
# Emscripten; dpkg-dev and xz-utils unpack the libraries' Debian sources; the
# fonts are packed with the build; Node.js, npm and Chromium run the browser test.
web=(
    emscripten cmake dpkg-dev xz-utils python3 nlohmann-json3-dev
    fontconfig fonts-bebas-neue fonts-dejavu-core
    nodejs npm chromium-headless-shell
)

case "${1:-all}" in
play) packages=("${play[@]}") ;;
all) packages=("${play[@]}" "${rest[@]}") ;;
web) packages=("${web[@]}") ;;
*)
    echo "usage: install-deps.sh [play|all|web]" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
    # Node.js from elsewhere may bring its own npm (and conflict with Debian's).
    if [ "$p" = npm ] && command -v npm >/dev/null; then
        continue
    fi
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
