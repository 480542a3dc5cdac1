#!/usr/bin/env bash
# Runs a Windows program under Debian's wine64, headless: no debug output, no Mono or Gecko
# installers. WINEPREFIX chooses the prefix; without it a prefix for this user under the
# temporary folder is made once and reused. CTest uses this script to run the Windows test
# programs of a cross build.
#   scripts/wine-run.sh program.exe [arguments...]
set -euo pipefail
wine="${QUENOR_WINE:-/usr/lib/wine/wine64}"
if [ ! -x "$wine" ]; then
    wine="$(command -v wine64 || true)"
fi
if [ -z "$wine" ]; then
    echo "wine-run.sh: wine64 not found; install Debian's wine64 package." >&2
    exit 127
fi
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX="${WINEPREFIX:-${TMPDIR:-/tmp}/quenor-wine-$(id -u)}"
# Start-up of a new prefix takes several seconds; test programs started side by side must
# wait for one set-up instead of each making its own.
mkdir -p "$(dirname "$WINEPREFIX")"
(
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        "$wine" wineboot --init >/dev/null 2>&1 || true
        "$(dirname "$wine")/wineserver" -w 2>/dev/null || true
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            echo "wine-run.sh: could not set up the Wine prefix $WINEPREFIX." >&2
            exit 1
        fi
    fi
) 9>"$WINEPREFIX.lock"
exec "$wine" "$@"
