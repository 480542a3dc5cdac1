#!/usr/bin/env bash
# Makes every download of a release in OUTDIR, and SHA256SUMS over them:
#   quenor_VERSION_amd64.deb           Debian and Ubuntu (plain CMake build, as packagers build)
#   quenor-VERSION-1.x86_64.rpm        Fedora
#   quenor-VERSION-windows-x64.zip     Windows (MinGW-w64 cross build)
#   quenor-VERSION-linux-x86_64.tar.gz the Steam Deck and any other Linux (make-portable.sh)
# Two runs on one commit give the same bytes for each file. Installs the Debian packages it
# needs. Reuses the build folders build/release-packages, build/windows and build/portable.
#   scripts/make-release.sh OUTDIR
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -eq 1 ] || {
    echo "usage: scripts/make-release.sh OUTDIR" >&2
    exit 2
}
mkdir -p "$1"
out="$(cd "$1" && pwd)"
fail() {
    echo "make-release: $*" >&2
    exit 1
}
scripts/install-deps.sh cmake make ninja-build g++ qt6-base-dev libfontconfig-dev \
    qt6-qpa-plugins libyaml-cpp-dev libcli11-dev nlohmann-json3-dev libssl-dev libxcb-randr0-dev dpkg-dev rpm \
    g++-mingw-w64-x86-64 googletest zip file
# One time for everything of the release: the last commit's.
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}"
rm -f "$out"/quenor_*.deb "$out"/quenor-*.rpm "$out"/quenor-*.zip "$out"/quenor-*.tar.gz \
    "$out/SHA256SUMS"

echo "== the Debian and Fedora packages"
packages="build/release-packages"
cmake -S . -B "$packages" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$packages" -j "$(nproc)" >/dev/null
(cd "$packages" && rm -f quenor_*.deb quenor-*.rpm && cpack -G DEB >/dev/null &&
    cpack -G RPM >/dev/null) || fail "cpack failed"
cp "$packages"/quenor_*.deb "$packages"/quenor-*.rpm "$out/"

echo "== the Windows zip"
cmake --preset windows >/dev/null
cmake --build --preset windows --target windows_zip >/dev/null
cp build/windows/quenor-*-windows-x64.zip "$out/"

echo "== the portable bundle"
scripts/make-portable.sh "$out" | tail -1

(cd "$out" && sha256sum quenor_*.deb quenor-*.rpm quenor-*.zip quenor-*.tar.gz >SHA256SUMS)
cat "$out/SHA256SUMS"
