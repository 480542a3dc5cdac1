#!/usr/bin/env bash
# quenorctl.exe apply --resolution screen under wine64, on an Xvfb screen of a size no preset
# has (1152x864): the game then starts at that size, in frame 3, the smallest that holds it.
#   scripts/windows-screen-check.sh [WINDOWS_BUILD] [LINUX_BUILD]
# The builds default to build/windows and build/ci (quenorctl.exe, and quenor-viv for the demo
# archive); scripts/test-windows.sh builds both. Exit status 0 when the size is right.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
windows_build="${1:-$root/build/windows}"
linux_build="${2:-$root/build/ci}"
ctl="$windows_build/app/quenorctl/quenorctl.exe"
viv="$linux_build/app/quenor_viv/quenor-viv"
for program in "$ctl" "$viv"; do
    [ -f "$program" ] || { echo "windows-screen-check.sh: $program is missing" >&2; exit 2; }
done
wine="${QUENOR_WINE:-/usr/lib/wine/wine64}"
wineserver="$(dirname "$wine")/wineserver"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
work="$(mktemp -d "${TMPDIR:-/tmp}/quenor-screen.XXXXXX")"
xvfb=""
cleanup() {
    WINEPREFIX="$work/prefix" "$wineserver" -k 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

. "$root/scripts/xvfb.sh"
start_xvfb 1152x864 || { echo "windows-screen-check.sh: Xvfb did not start" >&2; exit 1; }
xvfb="$xvfb_pid"
export DISPLAY="$display" WINEPREFIX="$work/prefix"
"$wine" wineboot --init >/dev/null 2>&1
"$wine" reg add 'HKLM\Software\EA Sports\NHL 09' /v 'Install Dir' /t REG_SZ \
    /d 'C:\Games\NHL 09\' /reg:32 /f >/dev/null
mkdir -p "$WINEPREFIX/drive_c/Games/NHL 09/preload" "$WINEPREFIX/drive_c/Quenor"
"$viv" create "$WINEPREFIX/drive_c/Games/NHL 09/preload/fmisc.viv" "$root"/demo/sgsm1.cfg \
    "$root"/demo/sgsm2.cfg "$root"/demo/sgsm3.cfg "$root"/demo/sgsm4.cfg --compress >/dev/null
cp "$ctl" "$WINEPREFIX/drive_c/Quenor/"
"$wine" 'C:\Quenor\quenorctl.exe' apply --yes --resolution screen >"$work/apply.out" 2>&1 || {
    cat "$work/apply.out"
    echo "windows-screen-check.sh: apply --resolution screen failed" >&2
    exit 1
}
"$wine" 'C:\Quenor\quenorctl.exe' status 2>&1 | tr -d '\r' >"$work/status.out"
if ! grep -qx "The game starts at 1152 x 864 (GFX Mode 3: frame 3, sgsm3.cfg)" "$work/status.out"; then
    cat "$work/status.out"
    echo "windows-screen-check.sh: the game does not start at the screen's 1152 x 864" >&2
    exit 1
fi
grep -x "Screen: .*" "$work/status.out"
# Without a display Wine makes one up: quenorctl.exe says there is none and changes nothing.
status=0
env -u DISPLAY "$wine" 'C:\Quenor\quenorctl.exe' apply --yes --resolution 1024x768 >/dev/null 2>&1
env -u DISPLAY "$wine" 'C:\Quenor\quenorctl.exe' apply --yes --resolution screen \
    >"$work/none.out" 2>&1 || status=$?
if [ "$status" != 1 ] || ! grep -q "Wine has no display" "$work/none.out"; then
    cat "$work/none.out"
    echo "windows-screen-check.sh: without a display apply gave $status" >&2
    exit 1
fi
echo "windows-screen-check.sh: quenorctl.exe gave the game the screen's size, 1152 x 864."
