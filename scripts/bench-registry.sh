#!/usr/bin/env bash
# Registry files at the size long-lived prefixes reach: the demo prefix with its user.reg grown
# to SIZE megabytes of many small keys (as Steam and Lutris prefixes collect over years), and for
# each size the time and peak memory of quenorctl status (one read), apply (the first, which
# keeps the originals and writes Quenor's settings at start-up, and again), and restore; with the
# ratios to status on the same file and, where wine64 is installed, to one "wine64 reg add" of one
# value on a prefix made by wineboot whose user.reg is grown the same way (timed with
# "&& wineserver -w", so that Wine's save is in it). Status and the second apply run three times
# each and the middle time is shown (the machine's other work makes single runs noisy). The last
# column is the peak memory less that of status on the demo prefix as made (its registry files
# are a few hundred bytes), divided by the size of user.reg. Every run has a home folder of its
# own.
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
        libyaml-cpp-dev libcli11-dev nlohmann-json3-dev libssl-dev qt6-base-dev time
    cmake --preset release >/dev/null
    cmake --build --preset release --target quenorctl quenor-viv
fi
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

# "seconds peak_MB" of one command (its output thrown away); a command that fails stops the
# benchmark, since its time would mean nothing.
measure() {
    if ! /usr/bin/time -f "%e %M" -o "$work/time" "$@" >"$work/out" 2>&1; then
        echo "bench-registry.sh: failed: $*" >&2
        tail -n 5 "$work/out" >&2
        exit 1
    fi
    tail -n 1 "$work/time" | awk '{ printf "%.3f %.1f\n", $1, $2 / 1024 }'
}

# The same, run three times: the middle time and the highest peak.
measure3() {
    for _ in 1 2 3; do measure "$@"; done | sort -n | awk '
        { t[NR] = $1; if ($2 > peak) peak = $2 }
        END { printf "%.3f %.1f\n", t[2], peak }'
}

make_prefix() {
    rm -rf "$1"
    QUENOR_VIV="$PWD/$build/app/quenor_viv/quenor-viv" scripts/make-demo-prefix.sh "$1" \
        >/dev/null 2>&1
}

make_prefix "$work/prefix"
empty=$(WINEPREFIX="$work/prefix" measure3 "$work/bin/quenorctl" status)
empty=${empty##* }
echo "status on the demo prefix as made: ${empty} MB peak"

printf '%-8s %-40s %9s %9s %9s %10s %14s\n' "user.reg" command seconds "peak MB" "/ status" \
    "/ reg add" "(peak-empty)/file"
for size in "${sizes[@]}"; do
    rm -rf "$work/home" "$work/bin/quenor.log"
    mkdir -p "$HOME"
    make_prefix "$work/prefix"
    grow "$work/prefix/user.reg" "$size"
    file_mb=$(awk -v b="$(stat -c %s "$work/prefix/user.reg")" 'BEGIN { printf "%.2f", b / 1048576 }')
    export WINEPREFIX="$work/prefix"
    regadd=""
    if [ -n "$wine" ]; then
        rm -rf "$work/wine"
        WINEPREFIX="$work/wine" "$wine" wineboot --init >/dev/null 2>&1
        WINEPREFIX="$work/wine" "$wineserver" -w
        grow "$work/wine/user.reg" "$size"
        regadd=$(measure sh -c "WINEPREFIX='$work/wine' '$wine' reg add \
            'HKCU\\Software\\Bench' /v one /d value /f && WINEPREFIX='$work/wine' '$wineserver' -w")
        regadd=${regadd%% *}
    fi
    base=""
    for step in status "apply (first: keeps the originals)" "apply again" restore; do
        case $step in
        status) result=$(measure3 "$work/bin/quenorctl" status) ;;
        "apply again") result=$(measure3 "$work/bin/quenorctl" apply --resolution 1600x1000 --yes) ;;
        apply*) result=$(measure "$work/bin/quenorctl" apply --resolution 1600x1000 --yes) ;;
        restore) result=$(measure "$work/bin/quenorctl" restore) ;;
        esac
        read -r seconds peak <<<"$result"
        [ -n "$base" ] || base=$seconds
        awk -v size="$size MB" -v step="$step" -v s="$seconds" -v p="$peak" -v b="$base" \
            -v r="$regadd" -v e="$empty" -v f="$file_mb" 'BEGIN {
                printf "%-8s %-40s %9.3f %9.1f %9s %10s %14.2f\n", size, step, s, p,
                    (b > 0 ? sprintf("%.2f", s / b) : "-"), (r > 0 ? sprintf("%.2f", s / r) : "-"),
                    (p - e) / f
            }'
    done
    [ -z "$regadd" ] || printf '%-8s %-40s %9.3f\n' "$size MB" "wine64 reg add + wineserver -w" "$regadd"
done
