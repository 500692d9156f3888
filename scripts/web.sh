#!/usr/bin/env bash
# Builds the game for web browsers into build-web/: the page, the program
# (zoduzor.js, zoduzor.wasm) and the packed content (zoduzor.data) in
# build-web/www/. The libraries (SDL2, SDL2_image, SDL2_mixer, SDL2_ttf,
# FreeType) are built once from Debian's own source packages and kept in
# build-web/prefix/; a second run only builds what changed in the game.
#   web.sh                 build
#   web.sh --serve [PORT]  build, then serve the page on localhost (default 8080)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="${ZODUZOR_WEB_BUILD:-$root/build-web}"
serve=""
port=8080
case "${1:-}" in
"") ;;
--serve)
    serve=1
    port="${2:-8080}"
    ;;
*)
    echo "usage: web.sh [--serve [PORT]]" >&2
    exit 2
    ;;
esac

bash "$root/scripts/install-deps.sh" web
# Debian's emcc runs JavaScript tools that live in Debian's node module folder.
export NODE_PATH=/usr/share/nodejs
jobs="$(nproc)"
prefix="$out/prefix"
mkdir -p "$out/src" "$prefix"

# Debian's sources of a package, fetched once through a list of source
# archives of our own (the archives apt already uses, as deb-src), so the
# machine's apt set-up is left as it is.
apt_opts=(-o "Dir::Etc::SourceList=/dev/null" -o "Dir::Etc::SourceParts=$out/apt/sources"
    -o "Dir::State::Lists=$out/apt/lists" -o "Dir::Cache=$out/apt/cache"
    -o "APT::Sandbox::User=$(id -un)" -q)
sources_ready=""
source_dir() { # PACKAGE -> the unpacked source folder (fetched when missing)
    local pkg="$1" dir
    dir="$(find "$out/src" -maxdepth 1 -type d -name "$pkg-[0-9]*" | sort | tail -n 1)"
    if [ -z "$dir" ]; then
        if [ -z "$sources_ready" ]; then
            mkdir -p "$out/apt/sources" "$out/apt/lists/partial" "$out/apt/cache/archives/partial"
            # Every deb822 entry of a Debian archive, as a source entry.
            for f in /etc/apt/sources.list.d/*.sources; do
                [ -e "$f" ] || continue
                awk 'BEGIN { RS = ""; ORS = "\n\n" }
                     /URIs:[^\n]*\/debian(-security)?([ \n]|$)/ {
                         gsub(/Types:[^\n]*/, "Types: deb-src"); print }' "$f"
            done >"$out/apt/sources/debian-src.sources"
            # And every one-line entry of one.
            cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
                awk '$1 == "deb" && $0 ~ /\/debian(-security)?[ \t]/ { $1 = "deb-src"; print }' \
                    >"$out/apt/sources/debian-src.list" || true
            apt-get "${apt_opts[@]}" update >&2
            sources_ready=1
        fi
        (cd "$out/src" && apt-get "${apt_opts[@]}" source "$pkg" >&2)
        dir="$(find "$out/src" -maxdepth 1 -type d -name "$pkg-[0-9]*" | sort | tail -n 1)"
    fi
    [ -n "$dir" ] || { echo "web.sh: no source of $pkg" >&2; exit 1; }
    echo "$dir"
}

# A configure runs emcc once for each of its checks (hundreds for SDL2, most of
# a first build's time). web/deps/PKG.cmake holds the answers a full configure
# of the same source gave with the same emcc; they are used when both match,
# and a configure without them (ZODUZOR_WEB_CHECKS=full forces one) writes
# fresh ones to build-web/deps/PKG.cmake.
emcc_version="$(emcc --version 2>/dev/null | head -n 1)"
checks_answered() { # PACKAGE SOURCE-NAME -> succeeds when the answers fit
    local file="$root/web/deps/$1.cmake"
    [ "${ZODUZOR_WEB_CHECKS:-}" != full ] && [ -f "$file" ] &&
        grep -qxF "# source: $2" "$file" && grep -qxF "# emcc: $emcc_version" "$file"
}
write_checks() { # PACKAGE SOURCE-NAME: the check results of a configure's cache
    {
        echo "# Configure check results of $2 for the browser build (scripts/web.sh)."
        echo "# source: $2"
        echo "# emcc: $emcc_version"
        # Results of CMake's check modules, named by their cache comments.
        awk '/^\/\// { doc = substr($0, 3); next }
             doc ~ /^(Have |Test |Result of |CHECK_TYPE_SIZE)/ && /^[A-Za-z0-9_]+:INTERNAL=/ {
                 name = $0; sub(/:.*/, "", name); value = $0; sub(/^[^=]*=/, "", value)
                 gsub(/[\\"]/, "\\\\&", value); gsub(/[\\"]/, "\\\\&", doc)
                 printf "set(%s \"%s\" CACHE INTERNAL \"%s\")\n", name, value, doc }
             { doc = "" }' "$out/deps/$1/CMakeCache.txt" | sort
    } >"$out/deps/$1.cmake"
    grep -q '^set(' "$out/deps/$1.cmake" || { rm "$out/deps/$1.cmake"; return 1; }
}

# Each compile runs the clang command emcc would run (scripts/web-compile.sh),
# as emcc -v shows it, without emcc's own start for every file.
direct_compile() { # emcc|em++ SUFFIX -> that command, or nothing
    local probe="$out/probe"
    mkdir -p "$probe"
    echo 'int zoduzor_probe;' >"$probe/probe.$2"
    "$1" -v -c "$probe/probe.$2" -o "$probe/probe.o" >"$probe/emcc.log" 2>&1 || return 0
    grep -m 1 -E '^ *"?/[^ ]*clang[^ ]* -target wasm32' "$probe/emcc.log" | sed 's/"//g; s/ -v -c .*//' || true
}
export ZODUZOR_WEB_CC ZODUZOR_WEB_CXX
ZODUZOR_WEB_CC="$(direct_compile emcc c)"
ZODUZOR_WEB_CXX="$(direct_compile em++ cpp)"
compile_launcher="$root/scripts/web-compile.sh"

# Builds a library once into the prefix: static, for the browser.
build_lib() { # PACKAGE CMAKE-OPTIONS...
    local pkg="$1" src name start answers=()
    shift
    src="$(source_dir "$pkg")"
    name="$(basename "$src")"
    [ -e "$prefix/.built-$name" ] && return 0
    echo "== $name (once)"
    start=$SECONDS
    rm -rf "$out/deps/$pkg"
    checks_answered "$pkg" "$name" && answers=(-C "$root/web/deps/$pkg.cmake")
    emcmake cmake "${answers[@]}" -S "$src" -B "$out/deps/$pkg" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
        -DCMAKE_C_COMPILER_LAUNCHER="$compile_launcher" -DCMAKE_CXX_COMPILER_LAUNCHER="$compile_launcher" \
        "$@" >"$out/deps-$pkg.log" 2>&1 &&
        cmake --build "$out/deps/$pkg" -j"$jobs" >>"$out/deps-$pkg.log" 2>&1 &&
        cmake --install "$out/deps/$pkg" >>"$out/deps-$pkg.log" 2>&1 ||
        { tail -n 30 "$out/deps-$pkg.log" >&2; echo "web.sh: $name failed; see $out/deps-$pkg.log" >&2; exit 1; }
    if [ ${#answers[@]} -eq 0 ] && write_checks "$pkg" "$name"; then
        echo "   its checks' answers are in $out/deps/$pkg.cmake (web/deps/ skips them)"
    fi
    touch "$prefix/.built-$name"
    echo "   $((SECONDS - start)) s"
}

sdl=(-DSDL2_DIR="$prefix/lib/cmake/SDL2")
build_lib libsdl2 -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_CCACHE=OFF
build_lib freetype -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
    -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
# PNG through the bundled stb_image (and miniz for saving); no outside libraries.
build_lib libsdl2-image "${sdl[@]}" -DSDL2IMAGE_VENDORED=OFF -DSDL2IMAGE_DEPS_SHARED=OFF \
    -DSDL2IMAGE_SAMPLES=OFF -DSDL2IMAGE_BACKEND_STB=ON -DSDL2IMAGE_AVIF=OFF -DSDL2IMAGE_JXL=OFF \
    -DSDL2IMAGE_TIF=OFF -DSDL2IMAGE_WEBP=OFF -DSDL2IMAGE_SVG=OFF
# WAV, OGG (stb_vorbis) and MP3 (dr_mp3), all bundled.
build_lib libsdl2-mixer "${sdl[@]}" -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_DEPS_SHARED=OFF \
    -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_CMD=OFF -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF \
    -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_VORBIS=STB -DSDL2MIXER_MP3_DRMP3=ON \
    -DSDL2MIXER_MP3_MPG123=OFF
build_lib libsdl2-ttf "${sdl[@]}" -DSDL2TTF_VENDORED=OFF -DSDL2TTF_SAMPLES=OFF \
    -DSDL2TTF_HARFBUZZ=OFF -DFREETYPE_LIBRARY="$prefix/lib/libfreetype.a" \
    -DFREETYPE_INCLUDE_DIRS="$prefix/include/freetype2" \
    -DFREETYPE_INCLUDE_DIR_ft2build="$prefix/include/freetype2" \
    -DFREETYPE_INCLUDE_DIR_freetype2="$prefix/include/freetype2"

# The JSON library is headers only: Debian's, beside the others.
if [ ! -d "$prefix/share/cmake/nlohmann_json" ]; then
    mkdir -p "$prefix/include" "$prefix/share/cmake"
    cp -r /usr/include/nlohmann "$prefix/include/"
    cp -r /usr/share/cmake/nlohmann_json "$prefix/share/cmake/"
fi

# The fonts the desktop game would use where the named face is missing, as
# fontconfig finds them here, packed as the browser's system fonts.
fonts="$out/fonts"
rm -rf "$fonts"
mkdir -p "$fonts"
for family in "Bebas Neue" "sans-serif"; do
    file="$(fc-match -f '%{file}' "$family")"
    case "$family" in
    sans-serif) ;;
    *) fc-match -f '%{family}' "$family" | tr ',' '\n' | grep -qixF "$family" || continue ;;
    esac
    [ -f "$file" ] && cp "$file" "$fonts/$family.${file##*.}"
done

echo "== The game"
game="$out/game"
launcher="$compile_launcher"
if command -v ccache >/dev/null; then
    launcher="$launcher;ccache"
fi
emcmake cmake -S "$root" -B "$game" -DCMAKE_BUILD_TYPE=Release -DZODUZOR_WERROR=ON \
    -DZODUZOR_TESTS=OFF -DZODUZOR_BENCH=OFF -DZODUZOR_WEB_PREFIX="$prefix" \
    -DZODUZOR_WEB_FONTS="$fonts" -Dnlohmann_json_DIR="$prefix/share/cmake/nlohmann_json" \
    -Wno-dev -DCMAKE_C_COMPILER_LAUNCHER="$launcher" -DCMAKE_CXX_COMPILER_LAUNCHER="$launcher" >/dev/null
cmake --build "$game" --target zoduzor -j"$jobs"

www="$out/www"
mkdir -p "$www"
cp "$root"/web/*.html "$root"/web/*.js "$root"/web/*.css "$www/"
for f in zoduzor.js zoduzor.wasm zoduzor.data; do
    cmp -s "$game/$f" "$www/$f" || cp "$game/$f" "$www/$f"
done
echo "== Built $www"
ls -l "$www"

if [ -n "$serve" ]; then
    echo "Serving on http://127.0.0.1:$port/ (Ctrl+C stops)"
    exec python3 -m http.server --bind 127.0.0.1 --directory "$www" "$port"
fi
