#!/usr/bin/env bash
# Installs what is missing, builds, and starts the game with its default content.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/install-deps.sh" play
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DZODUZOR_TESTS=OFF -DZODUZOR_BENCH=OFF >/dev/null
cmake --build "$root/build" -j"$(nproc)" --target zoduzor
exec "$root/build/zoduzor" --dir "$root/game" "$@"
