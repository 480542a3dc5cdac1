#!/usr/bin/env bash
# Starts the Windows quenor.exe under wine64 and Xvfb on a throwaway prefix that holds the
# game's registry key and a demo archive, checks its start-up (log and settings key) and
# saves a picture of its window.
#   scripts/screenshot-windows.sh [BUILD_DIR] [PNG]   (defaults: build/windows,
#                                                       docs/quenor-window-wine.png)
# Needs xvfb, x11-apps (xwd) and netpbm.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/windows}"
png="${2:-docs/quenor-window-wine.png}"
wine=/usr/lib/wine/wine64
work="$(mktemp -d "${TMPDIR:-/tmp}/quenor-shot.XXXXXX")"
export WINEPREFIX="$work/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
cleanup() {
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY="$display"
scripts/wine-run.sh cmd /c exit 0

drive="$WINEPREFIX/drive_c"
mkdir -p "$drive/NHL09/preload" "$drive/Quenor" "$work/cfg"
frames=("800 600" "1024 768" "1280 1024" "1600 1200")
for n in 1 2 3 4; do
    set -- ${frames[$((n - 1))]}
    printf '// Display settings of resolution frame %s\r\ndevicewidth %s\r\ndeviceheight %s\r\nenablevsync true\r\n' \
        "$n" "$1" "$2" >"$work/cfg/sgsm$n.cfg"
done
"$wine" "$build/app/quenor_viv/quenor-viv.exe" create "C:\\NHL09\\preload\\fmisc.viv" \
    "$work"/cfg/sgsm1.cfg "$work"/cfg/sgsm2.cfg "$work"/cfg/sgsm3.cfg "$work"/cfg/sgsm4.cfg >/dev/null
"$wine" reg add 'HKLM\Software\EA Sports\NHL 09' /v "Install Dir" /t REG_SZ /d 'C:\NHL09\' \
    /reg:32 /f >/dev/null
cp "$build/app/quenor/quenor.exe" "$drive/Quenor/"

"$wine" 'C:\Quenor\quenor.exe' &
sleep 12
xwd -root -display "$display" -silent | xwdtopnm 2>/dev/null | pnmcrop 2>/dev/null | pnmtopng >"$png"
"$wine" reg query 'HKCU\Software\Olm\Quenor' | tr -d '\r' | grep -E 'Version|Resolution'
grep -a -E 'strGamePath|strFMISCpath|Loaded' "$drive/Quenor/quenor.log" | tr -d '\r'
echo "saved $png"
