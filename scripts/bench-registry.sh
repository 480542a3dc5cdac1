#!/usr/bin/env bash
# Registry files at the size long-lived prefixes reach: the demo prefix with its user.reg grown
# to SIZE megabytes of many small keys (as Steam and Lutris prefixes collect over years), and for
# each size the time and peak memory of quenorctl status (one read), apply (the first, which
# keeps the originals and writes Quenor's settings at start-up, and again with another resolution,
# so that the stored settings change and user.reg is written), and restore; with the
# ratios to status on the same file and, where wine64 is installed, to one "wine64 reg add" of one
# value on a prefix made by wineboot whose user.reg is grown the same way (timed with
# "&& wineserver -w", so that Wine's save is in it). Every step runs three times: three rounds of
# status, the first apply, the second and restore, each round from a fresh copy of the grown
# prefix and an empty home folder; the middle time is shown (the machine's other work makes single
# runs noisy), and so is the middle of three reg adds. The last column is the peak memory less that
# of status on the demo prefix as made (its registry files are a few hundred bytes), divided by
# the size of user.reg.
#   scripts/bench-registry.sh [SIZE_MB...]      (default: 1 20 200)
# Builds the release preset's quenorctl and quenor-viv (QUENOR_BENCH_BUILD=DIR takes another
# build folder that has them).
set -euo pipefail
cd "$(dirname "$0")/.."
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1 20 200)
build="${QUENOR_BENCH_BUILD:-build/release}"
if [ -z "${QUENOR_BENCH_BUILD:-}" ]; then
    scripts/install-deps.sh cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev \
        libyaml-cpp-dev libcli11-dev nlohmann-json3-dev libssl-dev libxcb-randr0-dev qt6-base-dev time
    cmake --preset release >/dev/null
    cmake --build --preset release --target quenorctl quenor-viv
fi
build="$(realpath "$build")"  # QUENOR_BENCH_BUILD may name a folder anywhere
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
[ -x "$wine" ] || wine=""

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
    XDG_STATE_HOME="$work/home/.local/state" XDG_DATA_HOME="$work/home/.local/share" \
    XDG_CACHE_HOME="$work/home/.cache" WINEDEBUG=-all
mkdir -p "$HOME" "$work/bin"
cp "$build/app/quenorctl/quenorctl" "$work/bin/"

# Appends keys of a few small values to a registry file until it has grown by $2 megabytes.
grow() {
    awk -v bytes="$(($2 * 1024 * 1024))" 'BEGIN {
        for (i = 0; written < bytes; i++) {
            s = sprintf("\n[Software\\\\Bench\\\\Group%04d\\\\Key%06d] 1700000000\n#time=1d9a0f0b0c0d0e0\n\"Name\"=\"value %d\"\n\"Count\"=dword:%08x\n\"Data\"=hex:01,02,03,04,05,06,07,08\n", i / 1000, i, i, i)
            printf "%s", s
            written += length(s)
        }
    }' >>"$1"
}

# "seconds peak_MB" of one command (its output thrown away): the wall time from the clock in
# nanoseconds, the peak memory from time(1). A command that fails stops the benchmark, since its
# time would mean nothing.
measure() {
    local started ended
    started=$(date +%s%N)
    if ! /usr/bin/time -f "%M" -o "$work/time" "$@" >"$work/out" 2>&1; then
        echo "bench-registry.sh: failed: $*" >&2
        tail -n 5 "$work/out" >&2
        exit 1
    fi
    ended=$(date +%s%N)
    awk -v ns="$((ended - started))" -v kb="$(tail -n 1 "$work/time")" \
        'BEGIN { printf "%.3f %.1f\n", ns / 1e9, kb / 1024 }'
}

# The middle time and the highest peak of the "seconds peak_MB" lines read.
middle() {
    sort -n | awk '{ t[NR] = $1; if ($2 > peak) peak = $2 }
        END { printf "%.3f %.1f\n", t[int((NR + 1) / 2)], peak }'
}

# One measure of step $1 (the command after it) added to the round's results; a command that
# fails stops the benchmark here, not only the command substitution around it.
record() {
    local result
    result=$(measure "${@:2}") || exit 1
    echo "$1 $result" >>"$work/results"
}

# The same command three times.
measure3() {
    for _ in 1 2 3; do measure "$@"; done | middle
}

make_prefix() {
    rm -rf "$1"
    QUENOR_VIV="$build/app/quenor_viv/quenor-viv" scripts/make-demo-prefix.sh "$1" \
        >/dev/null 2>&1
}

# A prefix and a home as a player has them before Quenor's first change: a copy of the grown
# prefix, and a home folder Quenor has never written to.
fresh_start() {
    rm -rf "$work/prefix" "$work/home" "$work/bin/quenor.log"
    cp -a "$work/grown" "$work/prefix"
    mkdir -p "$HOME"
    # The copy on the disk before anything is timed: the kernel writing it out would be counted
    # against the step that happens to run while it does.
    sync
}

make_prefix "$work/prefix"
empty=$(WINEPREFIX="$work/prefix" measure3 "$work/bin/quenorctl" status)
empty=${empty##* }
echo "status on the demo prefix as made: ${empty} MB peak"

steps=(status "apply (first: keeps the originals)" "apply again (another resolution)" restore)
printf '%-8s %-40s %9s %9s %9s %10s %14s\n' "user.reg" command seconds "peak MB" "/ status" \
    "/ reg add" "(peak-empty)/file"
for size in "${sizes[@]}"; do
    make_prefix "$work/grown"
    grow "$work/grown/user.reg" "$size"
    file_mb=$(awk -v b="$(stat -c %s "$work/grown/user.reg")" 'BEGIN { printf "%.2f", b / 1048576 }')
    export WINEPREFIX="$work/prefix"
    regadd=""
    if [ -n "$wine" ]; then
        rm -rf "$work/wine"
        WINEPREFIX="$work/wine" "$wine" wineboot --init >/dev/null 2>&1
        WINEPREFIX="$work/wine" "$wineserver" -w
        grow "$work/wine/user.reg" "$size"
        regadd=$(measure3 sh -c "WINEPREFIX='$work/wine' '$wine' reg add \
            'HKCU\\Software\\Bench' /v one /d value /f && WINEPREFIX='$work/wine' '$wineserver' -w")
        regadd=${regadd%% *}
    fi
    # Three rounds from a fresh start, each step once a round; the middle time of each step.
    : >"$work/results"
    for _ in 1 2 3; do
        fresh_start
        record 0 "$work/bin/quenorctl" status
        record 1 "$work/bin/quenorctl" apply --resolution 1600x1000 --yes
        record 2 "$work/bin/quenorctl" apply --resolution 1280x800 --yes
        record 3 "$work/bin/quenorctl" restore
    done
    base=""
    for step in 0 1 2 3; do
        read -r seconds peak < <(awk -v s="$step" '$1 == s { print $2, $3 }' "$work/results" | middle)
        [ -n "$base" ] || base=$seconds
        awk -v size="$size MB" -v step="${steps[$step]}" -v s="$seconds" -v p="$peak" -v b="$base" \
            -v r="$regadd" -v e="$empty" -v f="$file_mb" 'BEGIN {
                printf "%-8s %-40s %9.3f %9.1f %9s %10s %14.2f\n", size, step, s, p,
                    (b > 0 ? sprintf("%.2f", s / b) : "-"), (r > 0 ? sprintf("%.2f", s / r) : "-"),
                    (p - e) / f
            }'
    done
    [ -z "$regadd" ] || printf '%-8s %-40s %9.3f\n' "$size MB" "wine64 reg add + wineserver -w" "$regadd"
done
