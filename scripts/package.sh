#!/usr/bin/env bash
# Builds the Debian package zoduzor_<version>_<arch>.deb with CPack (a release
# build installed under /usr, its programs in /usr/games as Debian keeps games,
# with Debian's hardening flags and warnings as errors), then checks it:
# the files it must hold, its dependencies on the SDL2 libraries (worked out
# by dpkg-shlibdeps), and lintian's verdict where lintian is installed.
#   ZODUZOR_PACKAGE_BUILD   the build folder (default <repo>/build-package)
#   ZODUZOR_PACKAGE_OUT     where the .deb goes (default the build folder)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ZODUZOR_PACKAGE_BUILD:-$root/build-package}"
out="${ZODUZOR_PACKAGE_OUT:-$build}"
jobs="${ZODUZOR_PACKAGE_JOBS:-2}"

for tool in cpack dpkg-deb dpkg-shlibdeps dpkg-buildflags; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "package.sh: $tool is missing: run scripts/install-deps.sh" >&2
        exit 1
    fi
done

export DEB_BUILD_MAINT_OPTIONS="hardening=+all"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_INSTALL_BINDIR=games \
    -DZODUZOR_TESTS=OFF -DZODUZOR_BENCH=OFF -DZODUZOR_WERROR=ON \
    -DCMAKE_C_FLAGS="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
    -DCMAKE_SHARED_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build" -j"$jobs"
(cd "$build" && cpack -G DEB -B "$out" >/dev/null)

version="$(sed -n 's/^#define ZODUZOR_VERSION "\(.*\)"$/\1/p' "$build/generated/zoduzor_build_info.h")"
deb="$out/zoduzor_${version}_$(dpkg --print-architecture).deb"
if [ ! -f "$deb" ]; then
    echo "package.sh: CPack made no $deb" >&2
    exit 1
fi

failed=0
contents="$(dpkg-deb --contents "$deb" | awk '{print $NF}' | sed 's|^\./|/|')"
id=org.zoduzor.Zoduzor
expected=(
    /usr/games/zoduzor /usr/games/dataquill
    /usr/share/zoduzor/data/001.LVL /usr/share/zoduzor/data/HEROBULLET.blt
    /usr/share/zoduzor/data/credits.txt /usr/share/zoduzor/res/norm/hero.png
    /usr/share/zoduzor/res/menu/img/BG.png
    "/usr/share/applications/$id.desktop" "/usr/share/metainfo/$id.metainfo.xml"
    "/usr/share/icons/hicolor/scalable/apps/$id.svg"
    /usr/share/man/man6/zoduzor.6.gz /usr/share/man/man6/dataquill.6.gz
    /usr/share/doc/zoduzor/copyright /usr/share/doc/zoduzor/changelog.gz
)
for size in 16 22 24 32 48 64 128 256; do
    expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/$id.png")
done
for file in "${expected[@]}"; do
    if ! grep -qxF "$file" <<<"$contents"; then
        echo "package.sh: the package lacks $file" >&2
        failed=1
    fi
done
if ! grep -qE '^/usr/lib/([^/]+/)?zoduzor/librastrum\.so$' <<<"$contents"; then
    echo "package.sh: the package lacks the imaging library" >&2
    failed=1
fi
if grep -qE '\.list$|\.tmp$' <<<"$contents"; then
    echo "package.sh: the package holds a player's file: $(grep -E '\.list$|\.tmp$' <<<"$contents")" >&2
    failed=1
fi

depends="$(dpkg-deb --field "$deb" Depends)"
for lib in libsdl2-2.0-0 libsdl2-image-2.0-0 libsdl2-mixer-2.0-0 libsdl2-ttf-2.0-0 libx11-6; do
    if ! grep -qE "(^|, )$lib( |,|$)" <<<"$depends"; then
        echo "package.sh: Depends does not name $lib: $depends" >&2
        failed=1
    fi
done

if command -v lintian >/dev/null 2>&1; then
    # Errors fail the package; warnings are shown.
    if ! lintian --fail-on error --tag-display-limit 0 "$deb"; then
        echo "package.sh: lintian reports errors" >&2
        failed=1
    fi
else
    echo "package.sh: lintian is not installed; the package was not linted"
fi

if [ "$failed" -ne 0 ]; then
    exit 1
fi
dpkg-deb --field "$deb"
echo "$deb"
