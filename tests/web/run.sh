#!/usr/bin/env bash
# Builds the game for the browser (scripts/web.sh) and runs its test in
# Debian's headless Chromium through playwright-core (from npm, kept in
# build-web/node; it downloads no browser).
# Usage: run.sh <desktop zoduzor binary>   (its headless pictures are the references)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
out="${ZODUZOR_WEB_BUILD:-$root/build-web}"
desktop="$(realpath "$1")"

bash "$root/scripts/web.sh"

node_dir="$out/node"
if ! cmp -s "$root/tests/web/package-lock.json" "$node_dir/package-lock.json"; then
    mkdir -p "$node_dir"
    cp "$root/tests/web/package.json" "$root/tests/web/package-lock.json" "$node_dir/"
    (cd "$node_dir" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --ignore-scripts --no-audit --no-fund)
fi
browser=""
for b in chromium-headless-shell chromium; do
    if command -v "$b" >/dev/null; then
        browser="$(command -v "$b")"
        break
    fi
done
[ -n "$browser" ] || { echo "run.sh: no Chromium (scripts/install-deps.sh web)" >&2; exit 1; }

NODE_PATH="$node_dir/node_modules" ZODUZOR_WEB_WWW="$out/www" ZODUZOR_DESKTOP_BINARY="$desktop" \
    ZODUZOR_CONTENT="$root/game" ZODUZOR_CHROMIUM="$browser" \
    node --test --test-concurrency=1 "$root/tests/web/browser_test.js"
