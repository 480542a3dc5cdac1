#!/usr/bin/env bash
# Runs the same user steps three ways on three copies of one Windows 10 prefix made by
# wineboot, which holds the game's key and a demo archive:
#   window  quenor.exe with its Win32 window under wine64, driven by quenor-window-driver.exe
#           (clicks, texts and picks sent to the controls, message boxes answered);
#   script  quenor-script.exe under wine64: the same start-up without a window;
#   linux   the Linux build's quenor-script, over the prefix's registry files.
# Both Windows builds use Wine's own advapi32 registry. After each stage the two Windows
# runs are compared with the Linux one:
#   - the message boxes shown;
#   - quenor.log, line for line, with the time stamps, the tool folder and Temp aside;
#   - the registry values, as Wine's own "reg query" reads them;
#   - the game archive, byte for byte.
# The stages: a first start that applies a user-defined resolution with VSYNC off and a
# high FPS Boost; a later start that applies a preset; a start that resets the game to its
# retail settings and quits.
#   scripts/compare-windows-linux.sh [WINDOWS_BUILD] [LINUX_BUILD]
# The builds default to build/windows and build/ci, whose programs must exist
# (scripts/test-windows.sh builds both). Needs an X display for the window; without one it
# runs itself under xvfb-run. Exit status 0 when every stage matched.
#   KEEP=1 keeps the scratch folder and prints its path.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a "$0" "$@"
fi
windows_build="${1:-$root/build/windows}"
linux_build="${2:-$root/build/ci}"
quenor_exe="$windows_build/app/quenor/quenor.exe"
window_driver="$windows_build/tests/quenor_script/quenor-window-driver.exe"
windows_script="$windows_build/tests/quenor_script/quenor-script.exe"
linux_script="$linux_build/tests/quenor_script/quenor-script"
viv="$linux_build/app/quenor_viv/quenor-viv"
for program in "$quenor_exe" "$window_driver" "$windows_script" "$linux_script" "$viv"; do
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
    for prefix in "$work"/*/system.reg; do
        [ -f "$prefix" ] && WINEPREFIX="$(dirname "$prefix")" "$wineserver" -k 2>/dev/null || true
    done
    rm -rf "$work"
}
if [ -n "${KEEP:-}" ]; then
    echo "work: $work"
else
    trap cleanup EXIT
fi

# Waits until the prefix's wineserver has ended, which saves its registry to the files.
settle() { WINEPREFIX="$1" "$wineserver" -w; }

echo "Making a prefix with wineboot, the game's key and a demo archive ..."
WINEPREFIX="$work/base" "$wine" wineboot --init >/dev/null 2>&1
# Windows 10, as most players' prefixes are: its programs are told 6.2 (see the log's
# "Running under"), which the Linux build must say too.
WINEPREFIX="$work/base" "$wine" winecfg /v win10 >/dev/null 2>&1
WINEPREFIX="$work/base" "$wine" reg add 'HKLM\Software\EA Sports\NHL 09' /v 'Install Dir' \
    /t REG_SZ /d 'C:\Games\NHL 09\' /reg:32 /f >/dev/null
windows_temp="$(WINEPREFIX="$work/base" "$wine" cmd /c echo %TEMP% 2>/dev/null | tr -d '\r\n')"
settle "$work/base"
if [ -z "$windows_temp" ]; then
    echo "compare-windows-linux.sh: Wine did not say its Temp folder" >&2
    exit 1
fi
archive="drive_c/Games/NHL 09/preload/fmisc.viv"
mkdir -p "$(dirname "$work/base/$archive")"
"$viv" create "$work/base/$archive" "$root"/demo/sgsm1.cfg "$root"/demo/sgsm2.cfg \
    "$root"/demo/sgsm3.cfg "$root"/demo/sgsm4.cfg --compress >/dev/null
cp "$work/base/$archive" "$work/previous.viv"

# The Windows tools in each prefix's C:\Quenor; the Linux one in a folder of its own, with a
# Temp of its own.
for side in window script linux; do
    cp -a "$work/base" "$work/$side"
done
mkdir -p "$work/window/drive_c/Quenor" "$work/script/drive_c/Quenor" "$work/linux-tool" \
    "$work/linux-temp"
cp "$quenor_exe" "$window_driver" "$work/window/drive_c/Quenor/"
cp "$windows_script" "$work/script/drive_c/Quenor/"
cp "$linux_script" "$work/linux-tool/"
windows_tool='C:\Quenor'

# Time stamps (the user's general date, in either build's format) become {NOW}; the tool
# folder and Temp become {TOOL} and {TEMP}, with the path separator after them made '/'.
# (The folders reach awk through the environment: awk -v would read their backslashes as
# escapes.)
normalise_log() {
    sed -E 's#[0-9]{1,4}[./-][0-9]{1,2}[./-][0-9]{1,4}( [0-9]{1,2}:[0-9]{2}(:[0-9]{2})?( ?[AP]M)?)?#{NOW}#g' "$1" |
        tr -d '\r' |
        TOOL_FOLDER="$2" TEMP_FOLDER="$3" awk '
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
            # Temp first: it can lie inside the tool folder.
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
        echo "    same $what"
    else
        echo "    DIFFERENT $what:"
        head -n 40 "$work/diff.txt" | sed 's/^/      /'
        failed=1
    fi
}

# Runs one side's steps of a stage; its boxes go to $work/NAME.SIDE.boxes.
run_side() {
    local name="$1" side="$2" status=0
    case "$side" in
    window)
        WINEPREFIX="$work/window" "$wine" 'C:\Quenor\quenor-window-driver.exe' \
            'C:\Quenor\quenor.exe' "C:\\Quenor\\$name.txt" \
            >"$work/$name.$side.out" 2>"$work/$name.$side.err" || status=$?
        settle "$work/window"
        ;;
    script)
        WINEPREFIX="$work/script" "$wine" 'C:\Quenor\quenor-script.exe' "C:\\Quenor\\$name.txt" \
            >"$work/$name.$side.out" 2>"$work/$name.$side.err" || status=$?
        settle "$work/script"
        ;;
    linux)
        WINEPREFIX="$work/linux" TEMP="$work/linux-temp" "$work/linux-tool/quenor-script" \
            "$work/linux-tool/$name.txt" >"$work/$name.$side.out" 2>"$work/$name.$side.err" ||
            status=$?
        ;;
    esac
    tr -d '\r' <"$work/$name.$side.out" >"$work/$name.$side.boxes"
    if [ "$status" -ne 0 ]; then
        echo "  the $side run failed (exit $status):" >&2
        sed 's/^/    /' "$work/$name.$side.err" >&2
        exit 1
    fi
}

stage() {
    local name="$1" steps="$2" side
    echo "Stage \"$name\":"
    for folder in window/drive_c/Quenor script/drive_c/Quenor linux-tool; do
        printf '%s\n' "$steps" >"$work/$folder/$name.txt"
    done
    for side in window script linux; do
        run_side "$name" "$side"
    done
    normalise_log "$work/linux-tool/quenor.log" "$work/linux-tool" "$work/linux-temp" \
        >"$work/$name.linux.log"
    registry_of "$work/linux" >"$work/$name.linux.reg"
    for side in window script; do
        echo "  $side (Windows) against linux:"
        compare "message boxes" "$work/$name.$side.boxes" "$work/$name.linux.boxes"
        normalise_log "$work/$side/drive_c/Quenor/quenor.log" "$windows_tool" "$windows_temp" \
            >"$work/$name.$side.log"
        compare "log ($(wc -l <"$work/$name.linux.log") lines)" "$work/$name.$side.log" \
            "$work/$name.linux.log"
        registry_of "$work/$side" >"$work/$name.$side.reg"
        compare "registry values ($(grep -c REG_ "$work/$name.linux.reg") values)" \
            "$work/$name.$side.reg" "$work/$name.linux.reg"
        if cmp -s "$work/$side/$archive" "$work/linux/$archive"; then
            echo "    same archive ($(stat -c %s "$work/linux/$archive") bytes)"
        else
            echo "    DIFFERENT archive"
            failed=1
        fi
    done
    # Equal results prove little if nothing happened: the settings must be stored, and the
    # boxes must have been shown.
    if ! grep -q "DeviceWidth    REG_SZ" "$work/$name.linux.reg" ||
        [ ! -s "$work/$name.linux.boxes" ]; then
        echo "  MISSING the tool's settings in the registry, or its message boxes"
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
echo "quenor.exe, quenor-script.exe and the Linux build left the same log, registry values" \
    "and archive."
