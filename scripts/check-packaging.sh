#!/usr/bin/env bash
# Builds Quenor as distributions build it and checks the result:
#   1. plain CMake with its default generator (Unix Makefiles), no preset, out of the source
#      tree, without the tests and with the test frameworks hidden (BUILD_TESTING=OFF, GTest
#      and Google Benchmark not to be found): a build that needs them cannot pass;
#   2. `cmake --install` into a DESTDIR: the staged quenorctl and quenor-viv run, every library
#      the staged quenor needs resolves, and the manual pages, desktop file, icons and AppStream
#      metadata are in place;
#   3. the .deb and the .rpm (cpack); rpmlint finds no error but the missing signature, and
#      the RPM installs into a scratch root;
#   4. a second build in another folder gives a byte-identical .deb.
# Installs the Debian packages it needs first. Prints the time of each stage.
#   scripts/check-packaging.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
scripts/install-deps.sh cmake make g++ qt6-base-dev libfontconfig-dev qt6-qpa-plugins \
    libyaml-cpp-dev libcli11-dev nlohmann-json3-dev libssl-dev libxcb-randr0-dev dpkg-dev file rpm rpmlint
work="$(mktemp -d "${TMPDIR:-/tmp}/quenor-packaging.XXXXXX")"
trap 'rm -rf "$work"' EXIT
jobs="$(nproc)"
stage_started=$(date +%s)
stage() {
    local now
    now=$(date +%s)
    echo "== $1 (previous stage: $((now - stage_started)) s)"
    stage_started=$now
}
fail() {
    echo "check-packaging: $*" >&2
    exit 1
}

build() {
    cmake -S "$root" -B "$1" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
        -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON >/dev/null
    grep -q '^CMAKE_GENERATOR:INTERNAL=Unix Makefiles$' "$1/CMakeCache.txt" ||
        fail "the default generator is not Unix Makefiles here"
    cmake --build "$1" -j "$jobs" >"$1.log" 2>&1 || { tail -40 "$1.log"; fail "the build failed"; }
}

stage "plain build, no tests"
build "$work/one/build"

stage "install into a DESTDIR"
DESTDIR="$work/stage" cmake --install "$work/one/build" --prefix /usr >/dev/null
for program in quenorctl quenor-viv; do
    "$work/stage/usr/bin/$program" --version || fail "the staged $program does not run"
done
if ldd "$work/stage/usr/bin/quenor" | grep -q "not found"; then
    ldd "$work/stage/usr/bin/quenor"
    fail "the staged quenor lacks libraries"
fi
for file in usr/bin/quenor usr/share/man/man1/quenor.1.gz usr/share/man/man1/quenorctl.1.gz \
    usr/share/man/man1/quenor-viv.1.gz usr/share/applications/quenor.desktop \
    usr/share/metainfo/io.github.quenor.quenor.metainfo.xml \
    usr/share/icons/hicolor/256x256/apps/quenor.png usr/share/doc/quenor/copyright; do
    [ -f "$work/stage/$file" ] || fail "the installation lacks /$file"
done

stage "packages"
(cd "$work/one/build" && cpack -G DEB >/dev/null && cpack -G RPM >/dev/null) ||
    fail "cpack failed"
deb="$(ls "$work"/one/build/quenor_*.deb)"
rpm="$(ls "$work"/one/build/quenor-*.rpm)"
echo "$(basename "$deb"), $(basename "$rpm")"
rpmlint "$rpm" >"$work/rpmlint.txt" 2>&1 || true
cat "$work/rpmlint.txt"
if grep ': E: ' "$work/rpmlint.txt" | grep -v ': E: no-signature' | grep -q .; then
    fail "rpmlint found errors in $(basename "$rpm")"
fi
rpm --root "$work/rpm-root" --initdb
rpm --root "$work/rpm-root" --nodeps --ignorearch -i "$rpm" || fail "the RPM does not install"
echo "The RPM installs:"
rpm --root "$work/rpm-root" -ql quenor | sed 's/^/  /'

stage "a second build elsewhere, for the same package"
build "$work/another/folder/deeper/build"
(cd "$work/another/folder/deeper/build" && cpack -G DEB >/dev/null) || fail "cpack failed"
again="$(ls "$work"/another/folder/deeper/build/quenor_*.deb)"
if ! cmp -s "$deb" "$again"; then
    mkdir -p "$work/a" "$work/b"
    dpkg-deb -R "$deb" "$work/a"
    dpkg-deb -R "$again" "$work/b"
    diff -r "$work/a" "$work/b" | head -20 || true
    fail "two builds of one source gave different packages"
fi
echo "Reproducible: both builds give $(sha256sum "$deb" | cut -c1-16)... $(basename "$deb")"
stage "done"
