#!/usr/bin/env bash
# Makes docs/quenor-window.png: the quenor window as it opens on a first start, drawn on
# Qt's xcb platform by a virtual X server (Xvfb) whose Xft.dpi is 96, with a scratch settings
# store and log. At another density the picture is docs/quenor-window-DPIdpi.png.
#   docs/make-screenshot.sh [path/to/quenor [DPI]]   (default build/dev/app/quenor/quenor 96)
# Needs the Debian packages xvfb, xauth, x11-apps (xwd), x11-utils (xwininfo),
# x11-xserver-utils (xrdb) and netpbm.
set -euo pipefail
cd "$(dirname "$0")/.."
program="$(realpath "${1:-build/dev/app/quenor/quenor}")"
dpi="${2:-96}"
picture=docs/quenor-window.png
[ "$dpi" = 96 ] || picture="docs/quenor-window-${dpi}dpi.png"
scripts/install-deps.sh xvfb xauth x11-apps x11-utils x11-xserver-utils netpbm fonts-liberation \
    qt6-qpa-plugins

if [ -z "${QUENOR_SCREENSHOT_UNDER_XVFB:-}" ]; then
    export QUENOR_SCREENSHOT_UNDER_XVFB=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24 -dpi $dpi -noreset" "$0" "$program" "$dpi"
fi
# Qt takes the density from the X resources, as a desktop sets it.
echo "Xft.dpi: $dpi" | xrdb -nocpp -merge

work="$(mktemp -d)"
trap 'kill "${pid:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
cp "$program" "$work/quenor"
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
"$work/quenor" &
pid=$!
window=""
for _ in $(seq 100); do
    window="$(xwininfo -root -tree | awk '/"Quenor v1.0"/ { print $1; exit }')"
    [ -n "$window" ] && break
    sleep 0.1
done
if [ -z "$window" ]; then
    echo "the quenor window did not appear" >&2
    exit 1
fi
sleep 1  # let the first paint finish
xwd -silent -id "$window" | xwdtopnm 2>/dev/null | pnmtopng -compression 9 >"$picture"
echo "wrote $picture"
