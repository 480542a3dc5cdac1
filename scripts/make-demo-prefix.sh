#!/usr/bin/env bash
# Makes a demo Wine prefix with a stand-in NHL 09 installation, so the tool's whole main job
# can be tried without the game (and without Wine: the tool reads and writes the prefix's
# registry files itself):
#   system.reg   win64, the game's key under Software\Wow6432Node with "Install Dir"
#   user.reg     the user's hive, empty
#   dosdevices/c: -> ../drive_c
#   drive_c/Program Files (x86)/EA Sports/NHL 09/preload/fmisc.viv
#                an archive made with quenor-viv from demo/sgsm1.cfg ... sgsm4.cfg
#                (entries stored compressed)
#
#   scripts/make-demo-prefix.sh [--if-missing | --auto] [FOLDER]
#
# FOLDER defaults to build/demo-prefix. An existing demo prefix is made afresh (its changes
# are lost) unless --if-missing is given, which keeps it. A folder that is not a demo prefix
# is never touched. --auto chooses the prefix to open the tool on: $WINEPREFIX when set,
# else ~/.wine when the game is installed there, else the demo prefix (kept if it exists).
# quenor-viv is taken from $QUENOR_VIV, else from a build folder, else from PATH, else built
# into build/demo-tools. Prints the prefix's absolute path on stdout; use it as WINEPREFIX:
#   WINEPREFIX="$(scripts/make-demo-prefix.sh --auto)" build/ci/app/quenor/quenor
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
keep=0
if [ "${1:-}" = "--if-missing" ]; then
    keep=1
    shift
elif [ "${1:-}" = "--auto" ]; then
    if [ -n "${WINEPREFIX:-}" ]; then
        echo "$WINEPREFIX"
        exit 0
    fi
    # The game's key as Wine writes it into system.reg (32-bit view of a win64 prefix, or win32).
    if grep -qiE '^\[Software\\\\(Wow6432Node\\\\)?EA Sports\\\\NHL 09\]' \
        "${HOME:-/nonexistent}/.wine/system.reg" 2>/dev/null; then
        echo "$HOME/.wine"
        exit 0
    fi
    keep=1
    shift
fi
case "${1:-}" in
-h | --help)
    sed -n '2,/^set /p' "$0" | grep '^#' | sed 's/^# \{0,1\}//'
    exit 0
    ;;
-*)
    echo "make-demo-prefix.sh: unknown option $1 (see --help)" >&2
    exit 2
    ;;
esac
dest="${1:-$root/build/demo-prefix}"
case "$dest" in /*) ;; *) dest="$PWD/$dest" ;; esac
dest="${dest%/}"
marker=".quenor-demo"

if [ -e "$dest" ]; then
    if [ ! -f "$dest/$marker" ]; then
        if [ -d "$dest" ] && [ -z "$(ls -A "$dest")" ]; then
            rmdir "$dest"
        else
            echo "make-demo-prefix.sh: $dest exists and is not a demo prefix; it was left" \
                "alone. Name another folder." >&2
            exit 1
        fi
    elif [ "$keep" = 1 ]; then
        echo "$dest"
        exit 0
    fi
fi

find_viv() {
    if [ -n "${QUENOR_VIV:-}" ]; then
        echo "$QUENOR_VIV"
        return
    fi
    local found
    # shellcheck disable=SC2012  # newest first; the build folders have plain names
    found="$(ls -t "$root"/build/*/app/quenor_viv/quenor-viv 2>/dev/null | head -n 1 || true)"
    if [ -n "$found" ]; then
        echo "$found"
        return
    fi
    if command -v quenor-viv >/dev/null; then
        command -v quenor-viv
        return
    fi
    echo "make-demo-prefix.sh: building quenor-viv in build/demo-tools ..." >&2
    cmake -S "$root" -B "$root/build/demo-tools" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DQUENOR_BUILD_TESTS=OFF >&2
    cmake --build "$root/build/demo-tools" --target quenor-viv >&2
    echo "$root/build/demo-tools/app/quenor_viv/quenor-viv"
}
viv="$(find_viv)"
if [ ! -x "$viv" ]; then
    echo "make-demo-prefix.sh: quenor-viv not found at $viv" >&2
    exit 1
fi

# Built beside the destination, then moved into place: an interrupted run leaves no half
# prefix behind.
mkdir -p "$(dirname "$dest")"
work="$(mktemp -d "$dest.tmp.XXXXXX")"
trap 'rm -rf "$work"' EXIT
game="$work/drive_c/Program Files (x86)/EA Sports/NHL 09"
mkdir -p "$work/dosdevices" "$game/preload"
ln -s ../drive_c "$work/dosdevices/c:"
stamp="$(date +%s)"

printf '%s\n' \
    'WINE REGISTRY Version 2' \
    ';; All keys relative to REGISTRY\\Machine' \
    '' \
    '#arch=win64' \
    '' \
    "[Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion] $stamp" \
    '"CurrentMajorVersionNumber"=dword:0000000a' \
    '"CurrentMinorVersionNumber"=dword:00000000' \
    '"CurrentVersion"="6.3"' \
    '"ProductName"="Microsoft Windows 10"' \
    '' \
    "[Software\\\\Wow6432Node\\\\EA Sports\\\\NHL 09] $stamp" \
    '"Install Dir"="C:\\Program Files (x86)\\EA Sports\\NHL 09\\"' \
    '"Language"="en"' \
    '"Product GUID"="{00000000-0000-0000-0000-000000000009}"' \
    >"$work/system.reg"
printf '%s\n' \
    'WINE REGISTRY Version 2' \
    ';; All keys relative to REGISTRY\\User\\S-1-5-21-0-0-0-1000' \
    '' \
    '#arch=win64' \
    '' \
    "[Control Panel\\\\Desktop] $stamp" \
    '"Wallpaper"=""' \
    >"$work/user.reg"

"$viv" create "$game/preload/fmisc.viv" "$root"/demo/sgsm1.cfg "$root"/demo/sgsm2.cfg \
    "$root"/demo/sgsm3.cfg "$root"/demo/sgsm4.cfg --compress >&2
echo "Quenor demo prefix, made by scripts/make-demo-prefix.sh; delete it freely." >"$work/$marker"

rm -rf "$dest"
mv "$work" "$dest"
trap - EXIT
echo "make-demo-prefix.sh: demo prefix ready in $dest" >&2
echo "$dest"
