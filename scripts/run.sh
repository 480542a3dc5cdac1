#!/usr/bin/env bash
# Builds the tool (the dev preset) and opens its window. Installs the Debian packages it
# needs first. On a machine without a display, run it under a virtual X server:
#   xvfb-run -a scripts/run.sh
# (xvfb-run comes with the Debian package xvfb; the window is then drawn but not seen).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh cmake ninja-build g++ libgtest-dev libgmock-dev qt6-base-dev libfontconfig-dev \
    libyaml-cpp-dev libcli11-dev nlohmann-json3-dev libssl-dev libxcb-randr0-dev \
    qt6-qpa-plugins fonts-liberation
cmake --preset dev >/dev/null
cmake --build --preset dev --target quenor quenorctl quenor-viv
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "Quenor is built (build/dev/app/quenor/quenor) but there is no display to open its" >&2
    echo "window on. Without a display, run it under a virtual X server:" >&2
    echo "    apt-get install xvfb xauth && xvfb-run -a scripts/run.sh" >&2
    exit 1
fi
# The game where the player keeps it: $WINEPREFIX, else whatever Quenor's search finds (Lutris,
# Steam, Bottles, PlayOnLinux, ~/.wine); else a demo prefix with a stand-in installation of the
# game (build/demo-prefix).
if [ -n "${WINEPREFIX:-}" ] || build/dev/app/quenorctl/quenorctl list >/dev/null 2>&1; then
    echo "Opening Quenor on the game it finds" >&2
    exec build/dev/app/quenor/quenor
fi
prefix="$(QUENOR_VIV=build/dev/app/quenor_viv/quenor-viv scripts/make-demo-prefix.sh --auto)"
echo "Opening Quenor on the demo prefix $prefix" >&2
WINEPREFIX="$prefix" exec build/dev/app/quenor/quenor
