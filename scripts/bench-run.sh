#!/usr/bin/env bash
# What "quenorctl run -- GAME" adds before the game starts, against starting the game directly:
# a stand-in game (/bin/true) on the demo prefix, in a home folder of its own, interleaved runs
# of the four: the game alone, run when the game holds the stored settings (a comparison, no
# write), "run --resolution screen" when the game holds the size of the screen (an Xvfb server
# at 1280x800: the question to the X server and the comparison, no write), and run when
# "GFX Mode" was changed behind Quenor's back (the comparison and a whole Apply). Prints the
# median time of each, its ratio to the game alone, and what asking for the screen adds to run.
#   scripts/bench-run.sh [runs]      (default 20 runs of each)
# Builds the release preset's quenorctl and quenor-viv (QUENOR_BENCH_BUILD=DIR takes another
# build folder that has them).
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-20}"
build="${QUENOR_BENCH_BUILD:-build/release}"
if [ -z "${QUENOR_BENCH_BUILD:-}" ]; then
    scripts/install-deps.sh cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev \
        libyaml-cpp-dev libcli11-dev nlohmann-json3-dev libssl-dev libxcb-randr0-dev qt6-base-dev \
        xvfb
    cmake --preset release >/dev/null
    cmake --build --preset release --target quenorctl quenor-viv
fi

work="$(mktemp -d)"
xvfb=""
trap '[ -n "$xvfb" ] && kill "$xvfb"; rm -rf "$work"' EXIT
. scripts/xvfb.sh
start_xvfb 1280x800 || { echo "bench-run.sh: Xvfb did not start" >&2; exit 1; }
xvfb="$xvfb_pid"
screen="$display"
mkdir -p "$work/bin" "$work/home"
cp "$build/app/quenorctl/quenorctl" "$work/bin/"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
    XDG_STATE_HOME="$work/home/.local/state" XDG_DATA_HOME="$work/home/.local/share" \
    XDG_CACHE_HOME="$work/home/.cache"
QUENOR_VIV="$PWD/$build/app/quenor_viv/quenor-viv" scripts/make-demo-prefix.sh "$work/prefix" \
    >/dev/null 2>&1
export WINEPREFIX="$work/prefix"
"$work/bin/quenorctl" apply --resolution 1440x900 --frame 3 --yes >/dev/null 2>&1
# The screen's 1280 x 800 is stored as the size of one's own, in frame 3 as before.
DISPLAY="$screen" "$work/bin/quenorctl" run --resolution screen -- /bin/true >/dev/null 2>&1

# Milliseconds one command takes, from its start to its end.
elapsed() {
    local start end
    start="$EPOCHREALTIME"
    "$@" >/dev/null 2>&1
    end="$EPOCHREALTIME"
    awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f\n", (e - s) * 1000 }'
}
drift() {
    sed -i 's/"GFX Mode"=dword:00000003/"GFX Mode"=dword:00000001/' "$WINEPREFIX/user.reg"
}

: >"$work/alone"
: >"$work/held"
: >"$work/screen"
: >"$work/drifted"
for ((i = 0; i < runs; i++)); do
    elapsed /bin/true >>"$work/alone"
    elapsed "$work/bin/quenorctl" run -- /bin/true >>"$work/held"
    elapsed env DISPLAY="$screen" "$work/bin/quenorctl" run --resolution screen -- /bin/true \
        >>"$work/screen"
    drift
    elapsed "$work/bin/quenorctl" run -- /bin/true >>"$work/drifted"
done
grep -q '"GFX Mode"=dword:00000003' "$WINEPREFIX/user.reg" || {
    echo "bench-run.sh: run did not put GFX Mode back" >&2
    exit 1
}

median() { sort -n "$1" | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
alone=$(median "$work/alone")
printf '%-44s %10s %10s\n' "start of the stand-in game ($runs runs)" "median ms" "ratio"
for kind in alone held screen drifted; do
    case $kind in
    alone) label="the game alone" ;;
    held) label="quenorctl run, nothing differs" ;;
    screen) label="run --resolution screen, nothing differs" ;;
    drifted) label="quenorctl run, GFX Mode changed (Apply)" ;;
    esac
    m=$(median "$work/$kind")
    awk -v l="$label" -v m="$m" -v a="$alone" 'BEGIN { printf "%-44s %10.2f %10.1f\n", l, m, m / a }'
done
awk -v s="$(median "$work/screen")" -v h="$(median "$work/held")" \
    'BEGIN { printf "asking for the screen adds %.2f ms to run\n", s - h }'
