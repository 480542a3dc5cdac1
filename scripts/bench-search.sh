#!/usr/bin/env bash
# What finding the game costs at start-up: the whole quenor program (until its window's first
# paint) when it searches 20 Wine prefixes of realistic size for the game, against the same
# program opening the prefix WINEPREFIX names, both in one fake home folder, interleaved.
#   scripts/bench-search.sh [runs]      (default 15 runs of each)
# The prefixes: ~/.wine, ten Steam (Proton) prefixes, five bottles and four PlayOnLinux
# prefixes, each with a system.reg of about 2 MB (20,000 keys, sorted as Wine writes them,
# the game's key at its place among them) and its user.reg; one of them holds the game.
# Prints the median times and their ratio with a warm file cache, then with a cold one
# (the kernel's page cache dropped before every run; needs root, else left out). The tool's
# own cache of what each system.reg held lives in its state folder, as on a player's machine;
# the first start, which reads every file once, is timed on its own.
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-15}"
build=build/release

if [ -z "${QUENOR_BENCH_UNDER_DISPLAY:-}" ]; then
    scripts/install-deps.sh cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev \
        libyaml-cpp-dev libcli11-dev nlohmann-json3-dev libssl-dev libxcb-randr0-dev qt6-base-dev libfontconfig-dev qt6-qpa-plugins fonts-liberation xvfb xauth
    cmake --preset release >/dev/null
    cmake --build --preset release --target quenor_startup_probe quenor-viv
    export QUENOR_BENCH_UNDER_DISPLAY=1
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$runs"
    fi
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$build/app/quenor/quenor_startup_probe" "$work/"
home="$work/home"
mkdir -p "$home"
export HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_STATE_HOME="$home/.local/state" \
    XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# A system.reg of about 2 MB: 20,000 keys in Wine's sorted order, the game's key where Wine
# would write it when the prefix holds the game.
make_prefix() {
    local prefix="$1" game="$2"
    mkdir -p "$prefix/dosdevices" "$prefix/drive_c"
    ln -s ../drive_c "$prefix/dosdevices/c:"
    awk -v game="$game" 'BEGIN {
        print "WINE REGISTRY Version 2"; print ";; All keys relative to REGISTRY\\\\Machine"
        print ""; print "#arch=win64"
        for (i = 0; i < 14000; i++) {
            printf "\n[Software\\\\Classes\\\\CLSID\\\\{%08X-1111-2222-3333-%012d}] 1733500000\n", i, i
            printf "#time=1db48a1c0000000\n@=\"Component %d of the system\"\n", i
            printf "\"ThreadingModel\"=\"Both\"\n"
        }
        if (game == "yes") {
            print "\n[Software\\\\EA Sports\\\\NHL 09] 1733500000"
            print "\"Install Dir\"=\"C:\\\\Games\\\\NHL 09\\\\\""
        }
        for (i = 0; i < 6000; i++) {
            printf "\n[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Setting%05d] 1733500000\n", i
            printf "\"Value\"=dword:%08x\n\"Name\"=\"Setting number %d\"\n", i, i
        }
    }' >"$prefix/system.reg"
    printf 'WINE REGISTRY Version 2\n\n#arch=win64\n\n[Control Panel\\\\Desktop] 1733500000\n' \
        >"$prefix/user.reg"
}

steam="$home/.local/share/Steam/steamapps/compatdata"
prefixes=("$home/.wine")
for i in $(seq 1 10); do prefixes+=("$steam/$((1000 + i))/pfx"); done
for i in $(seq 1 5); do prefixes+=("$home/.local/share/bottles/bottles/bottle$i"); done
for i in $(seq 1 4); do prefixes+=("$home/.PlayOnLinux/wineprefix/prefix$i"); done
game_prefix="$steam/1005/pfx"
for prefix in "${prefixes[@]}"; do
    make_prefix "$prefix" "$([ "$prefix" = "$game_prefix" ] && echo yes || echo no)"
done
mkdir -p "$game_prefix/drive_c/Games/NHL 09/preload"
"$build/app/quenor_viv/quenor-viv" create "$game_prefix/drive_c/Games/NHL 09/preload/fmisc.viv" \
    demo/sgsm1.cfg demo/sgsm2.cfg demo/sgsm3.cfg demo/sgsm4.cfg >/dev/null
echo "20 prefixes, system.reg $(du -h "$game_prefix/system.reg" | cut -f1) each; the game in $game_prefix"

# One run; prints the milliseconds to the first paint. "search" leaves WINEPREFIX unset.
measure() {
    local mode="$1" cold="$2" start output shown
    if [ "$cold" = cold ]; then
        sync
        echo 3 >/proc/sys/vm/drop_caches
    fi
    start="$EPOCHREALTIME"
    if [ "$mode" = search ]; then
        output="$(env -u WINEPREFIX "$work/quenor_startup_probe" 2>/dev/null)"
    else
        output="$(WINEPREFIX="$game_prefix" "$work/quenor_startup_probe" 2>/dev/null)"
    fi
    shown="$(sed -n 's/^shown_at_ns //p' <<<"$output")"
    if [ -z "$shown" ]; then
        echo "quenor ($mode) did not report its first paint" >&2
        exit 1
    fi
    awk -v start="$start" -v shown="$shown" \
        'BEGIN { split(start, p, "."); ns = p[1] * 1e9 + p[2] * 1e3; printf "%.2f\n", (shown - ns) / 1e6 }'
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

can_drop=no
if [ "$(id -u)" = 0 ] && (sync && echo 3 >/proc/sys/vm/drop_caches) 2>/dev/null; then can_drop=yes; fi

first="$(measure search "$([ "$can_drop" = yes ] && echo cold || echo warm)")"
echo "first start with the search (reads every system.reg once): $first ms"
measure named warm >/dev/null

for cache in warm cold; do
    if [ "$cache" = cold ] && [ "$can_drop" = no ]; then
        echo "cold file cache: left out (dropping the page cache needs root)"
        continue
    fi
    : >"$work/search.txt"
    : >"$work/named.txt"
    for _ in $(seq "$runs"); do
        measure search "$cache" >>"$work/search.txt"
        measure named "$cache" >>"$work/named.txt"
    done
    search_ms="$(median <"$work/search.txt")"
    named_ms="$(median <"$work/named.txt")"
    awk -v s="$search_ms" -v n="$named_ms" -v cache="$cache" -v runs="$runs" 'BEGIN {
        printf "%s file cache, median of %d: search over 20 prefixes %.1f ms, WINEPREFIX set %.1f ms, ratio %.2f\n",
            cache, runs, s, n, s / n }'
done
