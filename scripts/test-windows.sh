#!/usr/bin/env bash
# Builds the Windows programs and tests with MinGW-w64 (preset "windows", build/windows) and
# runs the tests under wine64 in a throwaway Wine prefix, removed at the end. Then runs the
# same user steps with the Windows and the Linux build (scripts/compare-windows-linux.sh), and
# quenorctl.exe's --resolution screen on an Xvfb screen (scripts/windows-screen-check.sh).
# Installs the Debian packages it needs first. The tests run inside Xvfb: the window tests create real
# Win32 windows, which Wine draws through an X display.
#   scripts/test-windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh cmake ninja-build g++-mingw-w64-x86-64 googletest zip wine64 xvfb xauth \
    g++ libgtest-dev libgmock-dev libyaml-cpp-dev libcli11-dev nlohmann-json3-dev libssl-dev libxcb-randr0-dev
started=$(date +%s)
prefix="$(mktemp -d "${TMPDIR:-/tmp}/quenor-wine.XXXXXX")"
cleanup() {
    WINEPREFIX="$prefix/wine" /usr/lib/wine/wineserver -k 2>/dev/null || true
    rm -rf "$prefix"
}
trap cleanup EXIT
export WINEPREFIX="$prefix/wine"
cmake --preset windows >/dev/null
cmake --build --preset windows
cmake --build --preset windows --target windows_zip
# The zip carries every Windows program, the README, the licence and those of the runtime.
zip_listing="$(cmake -E tar tf build/windows/quenor-*-windows-x64.zip)"
for file in quenor.exe quenorctl.exe quenor-viv.exe README.txt LICENSE.txt LICENCES-OF-THE-RUNTIME.txt; do
    if ! grep -q "/$file\$" <<<"$zip_listing"; then
        echo "the Windows zip lacks $file" >&2
        exit 1
    fi
done
# Set the prefix up once, before the tests start side by side, on the same display: a Wine
# session started without a display cannot create windows later. A program that waits until
# it is killed keeps the prefix's wineserver up for the whole run: a server that ends between
# two test programs can reset a third one's connection as it starts ("recvmsg: Connection
# reset by peer"). It is started with its output elsewhere, so that the Wine services it
# starts hold no test's output open.
status=0
xvfb-run -a sh -c 'scripts/wine-run.sh cmd /c exit 0 || exit 1
    scripts/wine-run.sh build/windows/host/quenor-lock-holder.exe "$WINEPREFIX/keep-server.lock" \
        >/dev/null 2>&1 </dev/null &
    ctest --preset windows
    result=$?
    /usr/lib/wine/wineserver -k
    exit $result' || status=$?
# The same user steps with the Windows and the Linux build on one prefix: the same log,
# registry values and archive.
cmake --preset ci >/dev/null
cmake --build --preset ci --target quenor-script quenor-viv
scripts/compare-windows-linux.sh build/windows build/ci || status=$?
# quenorctl.exe gives the game the size of the screen it is shown on.
scripts/windows-screen-check.sh build/windows build/ci || status=$?
echo "Windows build and tests took $(( $(date +%s) - started )) seconds."
exit "$status"
