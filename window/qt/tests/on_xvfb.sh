#!/bin/sh
# Runs a Qt test program on the xcb platform of a private Xvfb server whose X resources
# say Xft.dpi: DPI, as a desktop at that density does.
#   on_xvfb.sh DPI PROGRAM [ARGUMENTS...]
# Exits 77 (a skipped test for CTest) when Xvfb or xrdb is not installed.
set -eu
dpi="$1"
shift
for tool in Xvfb xrdb; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "$tool is not installed (Debian: xvfb, x11-xserver-utils); skipped" >&2
        exit 77
    fi
done
work="$(mktemp -d "${TMPDIR:-/tmp}/quenor-xvfb.XXXXXX")"
server=""
cleanup() {
    [ -n "$server" ] && kill "$server" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT INT TERM
# -displayfd: the server picks a free display itself and writes its number once it
# accepts connections, so servers started side by side never race for one. -noreset: the
# server keeps the X resources when xrdb, its only client so far, disconnects.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi "$dpi" -nolisten tcp -noreset 3>"$work/display" \
    >"$work/xvfb.log" 2>&1 &
server=$!
read -r number <"$work/display"
export DISPLAY=":$number"
echo "Xft.dpi: $dpi" | xrdb -nocpp -merge
export QUENOR_QT_TEST_PLATFORM=xcb XDG_RUNTIME_DIR="$work"
# Under LeakSanitizer: what the system libraries of xcb keep until exit is not ours.
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(dirname "$0")/xcb_leaks.supp"
chmod 700 "$work"
"$@"
