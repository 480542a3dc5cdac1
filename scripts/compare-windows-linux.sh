#!/usr/bin/env bash
# Runs the same user steps with the Windows build (quenor-script.exe under wine64, over
# Wine's own advapi32 registry) and the Linux build (quenor-script, over the prefix's
# registry files) on two copies of one Windows 10 prefix made by wineboot, which holds the
# game's key and a demo archive. After each stage it compares what the two runs left:
#   - quenor.log, line for line, with the time stamps, the tool folder and Temp aside;
#   - the message boxes each run showed;
#   - the registry values, as Wine's own "reg query" reads them;
#   - the game archive, byte for byte.
# The stages: a first start that applies a user-defined resolution with VSYNC off and a
# high FPS Boost; a later start that applies a preset; a start that resets the game to its
# retail settings and quits.
#   scripts/compare-windows-linux.sh [WINDOWS_BUILD] [LINUX_BUILD]
# The builds default to build/windows and build/ci, whose quenor-script programs must exist
# (scripts/test-windows.sh builds both). Exit status 0 when every stage matched.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
windows_build="${1:-$root/build/windows}"
linux_build="${2:-$root/build/ci}"
windows_script="$windows_build/app/quenor_script/quenor-script.exe"
linux_script="$linux_build/app/quenor_script/quenor-script"
viv="$linux_build/app/quenor_viv/quenor-viv"
for program in "$windows_script" "$linux_script" "$viv"; do
    if [ ! -f "$program" ]; then
        echo "compare-windows-linux.sh: $program is missing; build it first." >&2
        exit 2
    fi
done
wine="${QUENOR_WINE:-/usr/lib/wine/wine64}"
wineserver="$(dirname "$wine")/wineserver"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

work="$(mktemp -d "${TMPDIR:-/tmp}/quenor-compare.XXXXXX")"
cleanup() {
    for prefix in "$work/base" "$work/windows" "$work/linux"; do
        [ -d "$prefix" ] && WINEPREFIX="$prefix" "$wineserver" -k 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
[ -n "${KEEP:-}" ] && trap - EXIT && echo "work: $work"

# Waits until the prefix's wineserver has ended, which saves its registry to the files.
settle() { WINEPREFIX="$1" "$wineserver" -w; }

echo "Making a prefix with wineboot, the game's key and a demo archive ..."
WINEPREFIX="$work/base" "$wine" wineboot --init >/dev/null 2>&1
# Windows 10, as most players' prefixes are: its programs are told 6.2 (see the log's
# "Running under"), which the Linux build must say too.
WINEPREFIX="$work/base" "$wine" winecfg /v win10 >/dev/null 2>&1
WINEPREFIX="$work/base" "$wine" reg add 'HKLM\Software\EA Sports\NHL 09' /v 'Install Dir' \
    /t REG_SZ /d 'C:\Games\NHL 09\' /reg:32 /f >/dev/null
settle "$work/base"
game="$work/base/drive_c/Games/NHL 09"
mkdir -p "$game/preload"
"$viv" create "$game/preload/fmisc.viv" "$root"/demo/sgsm1.cfg "$root"/demo/sgsm2.cfg \
    "$root"/demo/sgsm3.cfg "$root"/demo/sgsm4.cfg --compress >/dev/null
cp -a "$work/base" "$work/windows"
cp "$game/preload/fmisc.viv" "$work/previous.viv"
cp -a "$work/base" "$work/linux"

# The Windows tool in the prefix's C:\Quenor; the Linux one in a folder of its own, with a
# Temp of its own.
mkdir -p "$work/windows/drive_c/Quenor" "$work/linux-tool" "$work/linux-temp"
cp "$windows_script" "$work/windows/drive_c/Quenor/"
cp "$linux_script" "$work/linux-tool/"
windows_tool='C:\Quenor'
windows_temp="$(WINEPREFIX="$work/windows" "$wine" cmd /c echo %TEMP% 2>/dev/null | tr -d '\r\n')"
settle "$work/windows"
if [ -z "$windows_temp" ]; then
    echo "compare-windows-linux.sh: Wine did not say its Temp folder" >&2
    exit 1
fi

# Time stamps (the user's general date, in either build's format) become {NOW}; the tool
# folder and Temp become {TOOL} and {TEMP}, with the path separator after them made '/'.
normalise_log() {
    local tool="$2" temp="$3"
    sed -E 's#[0-9]{1,4}[./-][0-9]{1,2}[./-][0-9]{1,4}( [0-9]{1,2}:[0-9]{2}(:[0-9]{2})?( ?[AP]M)?)?#{NOW}#g' "$1" |
        TOOL_FOLDER="$tool" TEMP_FOLDER="$temp" awk '
            function swap(line, from, to,   at, out) {
                out = ""
                while ((at = index(line, from)) > 0) {
                    out = out substr(line, 1, at - 1) to
                    line = substr(line, at + length(from))
                    if (substr(line, 1, 1) == "\\" || substr(line, 1, 1) == "/")
                        line = "/" substr(line, 2)
                }
                return out line
            }
            # Temp first: it can lie inside the tool folder. (The folders come through the
            # environment: awk -v would read the backslashes of C:\Quenor as escapes.)
            { print swap(swap($0, ENVIRON["TEMP_FOLDER"], "{TEMP}"), ENVIRON["TOOL_FOLDER"], "{TOOL}") }'
}

# The tool's values, read back with Wine's own reg tool (the prefix's server is then
# stopped, so that the next run finds no Wine running).
registry_of() {
    {
        WINEPREFIX="$1" "$wine" reg query 'HKCU\Software\Olm\Quenor' /s
        WINEPREFIX="$1" "$wine" reg query 'HKCU\Software\EA Sports\NHL 09' /s
        WINEPREFIX="$1" "$wine" reg query 'HKLM\Software\EA Sports\NHL 09' /reg:32
    } 2>/dev/null | tr -d '\r'
    settle "$1"
}

failed=0
compare() {
    local what="$1" windows="$2" linux="$3"
    if diff -u --label "windows: $what" --label "linux: $what" "$windows" "$linux" \
        >"$work/diff.txt"; then
        echo "  same $what"
    else
        echo "  DIFFERENT $what:"
        head -n 40 "$work/diff.txt" | sed 's/^/    /'
        failed=1
    fi
}

stage() {
    local name="$1" steps="$2"
    echo "Stage \"$name\":"
    printf '%s\n' "$steps" >"$work/windows/drive_c/Quenor/$name.txt"
    printf '%s\n' "$steps" >"$work/$name.txt"
    local status=0
    WINEPREFIX="$work/windows" "$wine" 'C:\Quenor\quenor-script.exe' "C:\\Quenor\\$name.txt" \
        >"$work/$name.windows.boxes" 2>"$work/$name.windows.err" || status=$?
    settle "$work/windows"
    tr -d '\r' <"$work/$name.windows.boxes" >"$work/$name.windows.out"
    if [ "$status" -ne 0 ]; then
        echo "  the Windows build failed ($status):" >&2
        sed 's/^/    /' "$work/$name.windows.err" >&2
        exit 1
    fi
    WINEPREFIX="$work/linux" TEMP="$work/linux-temp" "$work/linux-tool/quenor-script" \
        "$work/$name.txt" >"$work/$name.linux.out" 2>"$work/$name.linux.err" || {
        echo "  the Linux build failed:" >&2
        sed 's/^/    /' "$work/$name.linux.err" >&2
        exit 1
    }

    compare "message boxes" "$work/$name.windows.out" "$work/$name.linux.out"
    normalise_log "$work/windows/drive_c/Quenor/quenor.log" "$windows_tool" "$windows_temp" \
        >"$work/$name.windows.log"
    normalise_log "$work/linux-tool/quenor.log" "$work/linux-tool" "$work/linux-temp" \
        >"$work/$name.linux.log"
    compare "log ($(wc -l <"$work/$name.linux.log") lines)" "$work/$name.windows.log" \
        "$work/$name.linux.log"
    registry_of "$work/windows" >"$work/$name.windows.reg"
    registry_of "$work/linux" >"$work/$name.linux.reg"
    compare "registry values ($(grep -c REG_ "$work/$name.linux.reg") values)" \
        "$work/$name.windows.reg" "$work/$name.linux.reg"
    # Both sides empty would compare equal: the tool's settings must be there.
    if ! grep -q "DeviceWidth    REG_SZ" "$work/$name.linux.reg"; then
        echo "  MISSING the tool's settings in the registry"
        failed=1
    fi
    local archive="drive_c/Games/NHL 09/preload/fmisc.viv"
    if cmp -s "$work/windows/$archive" "$work/linux/$archive"; then
        echo "  same archive ($(stat -c %s "$work/linux/$archive") bytes)"
    else
        echo "  DIFFERENT archive"
        failed=1
    fi
    if cmp -s "$work/previous.viv" "$work/linux/$archive"; then
        echo "  (the stage left the archive unchanged)"
    else
        echo "  (the stage changed the archive)"
    fi
    cp "$work/linux/$archive" "$work/previous.viv"
}

stage first-start-user-defined "start
click optResolution 4
type txtResWidth 1920
type txtResHeight 1080
pick lstResFrame 2
click optVSYNC 1
click optFPSboost 3
answer Yes
answer Ok
click btnApplySettings
close"

stage later-start-preset "start
click optResolution 1
click optFPSboost 4
answer Yes
answer Ok
click btnApplySettings
close"

stage reset-and-quit "start
answer Ok
answer Ok
click btnSetDefaults
answer Yes
click btnQuit"

if [ "$failed" -ne 0 ]; then
    echo "The Windows and Linux builds left different results (see above)."
    exit 1
fi
echo "The Windows and Linux builds left the same log, registry values and archive."
