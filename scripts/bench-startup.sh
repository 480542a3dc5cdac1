#!/usr/bin/env bash
# Start-up time and memory of the quenor window against a minimal Qt Widgets program of one
# window, on this machine.
#   scripts/bench-startup.sh [runs]      (default 20 runs of each program)
# Builds the release preset's three timing programs: quenor_startup_probe (the whole quenor
# program: platform, settings store, start-up, the window), quenor_minimal_qt_window (one
# plain QWidget, the baseline) and quenor_form_qt_window (the window's form alone, without
# the tool: what drawing its 41 controls and their texts costs). Each prints the moment of
# its window's first paint and ends. The script starts them in turn (interleaved), under one
# display (its own Xvfb server when there is none), and reports the median time from
# starting the program to that first paint, the peak memory (maximum resident set size) and
# the ratios to the baseline. With valgrind installed it also counts the instructions each
# program executes up to its first paint (callgrind), which do not drift with the machine's
# load.
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-20}"
build=build/release

if [ -z "${QUENOR_BENCH_UNDER_DISPLAY:-}" ]; then
    scripts/install-deps.sh cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev libyaml-cpp-dev libcli11-dev nlohmann-json3-dev libssl-dev libxcb-randr0-dev \
        qt6-base-dev libfontconfig-dev qt6-qpa-plugins fonts-liberation xvfb xauth valgrind
    cmake --preset release >/dev/null
    cmake --build --preset release --target quenor_startup_probe quenor_minimal_qt_window \
        quenor_form_qt_window quenor-viv
    export QUENOR_BENCH_UNDER_DISPLAY=1
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$runs"
    fi
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# Copies, so that quenor's log goes to the scratch folder. A home of its own, with the demo
# prefix as the game: the player's home, settings and games are never read or written, and no
# "not found" box waits for an answer on a machine without the game.
cp "$build/app/quenor/quenor_startup_probe" "$build/window/qt/bench/quenor_minimal_qt_window" \
    "$build/window/qt/bench/quenor_form_qt_window" "$work/"
home="$work/home"
mkdir -p "$home"
export HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_STATE_HOME="$home/.local/state" \
    XDG_DATA_HOME="$home/.local/share" XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
QUENOR_VIV="$PWD/$build/app/quenor_viv/quenor-viv" scripts/make-demo-prefix.sh "$work/prefix" >/dev/null
export WINEPREFIX="$work/prefix"

# One run: prints "milliseconds max_rss_kb cpu_milliseconds".
measure() {
    local start output shown rss cpu
    start="$EPOCHREALTIME"
    output="$("$work/$1" 2>/dev/null)"
    shown="$(sed -n 's/^shown_at_ns //p' <<<"$output")"
    rss="$(sed -n 's/^max_rss_kb //p' <<<"$output")"
    cpu="$(sed -n 's/^cpu_us //p' <<<"$output")"
    if [ -z "$shown" ]; then
        echo "$1 did not report its first paint" >&2
        exit 1
    fi
    awk -v start="$start" -v shown="$shown" -v rss="$rss" -v cpu="$cpu" \
        'BEGIN { split(start, p, "."); ns = p[1] * 1e9 + p[2] * 1e3;
                 printf "%.2f %d %.2f\n", (shown - ns) / 1e6, rss, cpu / 1e3 }'
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# A first run of each fills the file cache (and lets quenor create its settings), unmeasured.
measure quenor_startup_probe >/dev/null
measure quenor_minimal_qt_window >/dev/null
measure quenor_form_qt_window >/dev/null
: >"$work/quenor.txt"
: >"$work/minimal.txt"
: >"$work/form.txt"
for _ in $(seq "$runs"); do
    measure quenor_startup_probe >>"$work/quenor.txt"
    measure quenor_minimal_qt_window >>"$work/minimal.txt"
    measure quenor_form_qt_window >>"$work/form.txt"
done

q_ms="$(cut -d' ' -f1 "$work/quenor.txt" | median)"
m_ms="$(cut -d' ' -f1 "$work/minimal.txt" | median)"
q_kb="$(cut -d' ' -f2 "$work/quenor.txt" | median)"
q_cpu="$(cut -d' ' -f3 "$work/quenor.txt" | median)"
m_cpu="$(cut -d' ' -f3 "$work/minimal.txt" | median)"
m_kb="$(cut -d' ' -f2 "$work/minimal.txt" | median)"
echo "Start-up to first paint, median of $runs runs each (platform ${QT_QPA_PLATFORM:-default}):"
printf "  %-28s %8.2f ms  %8.2f ms CPU  %8d KiB peak memory\n" "quenor" "$q_ms" "$q_cpu" "$q_kb"
printf "  %-28s %8.2f ms  %8.2f ms CPU  %8d KiB peak memory\n" "minimal Qt Widgets window" \
    "$m_ms" "$m_cpu" "$m_kb"
f_ms="$(cut -d' ' -f1 "$work/form.txt" | median)"
f_cpu="$(cut -d' ' -f3 "$work/form.txt" | median)"
f_kb="$(cut -d' ' -f2 "$work/form.txt" | median)"
printf "  %-28s %8.2f ms  %8.2f ms CPU  %8d KiB peak memory\n" "the form alone (no tool)" \
    "$f_ms" "$f_cpu" "$f_kb"
awk -v q="$q_ms" -v m="$m_ms" -v qc="$q_cpu" -v mc="$m_cpu" -v qk="$q_kb" -v mk="$m_kb" \
    'BEGIN { printf "  ratio quenor / minimal: time %.2f, CPU %.2f, memory %.2f\n",
             q / m, qc / mc, qk / mk }'
awk -v q="$q_ms" -v f="$f_ms" -v qc="$q_cpu" -v fc="$f_cpu" -v qk="$q_kb" -v fk="$f_kb" \
    'BEGIN { printf "  ratio quenor / the form alone: time %.2f, CPU %.2f, memory %.2f\n",
             q / f, qc / fc, qk / fk }'

# Instructions up to the first paint: the probe dumps callgrind's counts there (a file
# ending in .1); the main process is the one that wrote it.
instructions() {
    rm -f "$work"/callgrind.*
    valgrind --tool=callgrind --callgrind-out-file="$work/callgrind.%p" "$work/$1" \
        >/dev/null 2>&1 || true
    local dump
    dump="$(ls "$work"/callgrind.*.1 2>/dev/null | head -n 1)"
    [ -n "$dump" ] && sed -n 's/^summary: //p' "$dump"
}
if command -v valgrind >/dev/null; then
    q_ir="$(instructions quenor_startup_probe)"
    m_ir="$(instructions quenor_minimal_qt_window)"
    f_ir="$(instructions quenor_form_qt_window)"
    if [ -n "$q_ir" ] && [ -n "$m_ir" ] && [ -n "$f_ir" ]; then
        echo "Instructions up to the first paint (callgrind, one run each):"
        printf "  %-28s %12d\n" "quenor" "$q_ir" "minimal Qt Widgets window" "$m_ir" \
            "the form alone (no tool)" "$f_ir"
        awk -v q="$q_ir" -v m="$m_ir" -v f="$f_ir" \
            'BEGIN { printf "  ratio quenor / minimal %.2f, quenor / the form alone %.2f\n",
                     q / m, q / f }'
    else
        echo "callgrind did not report the first paint (valgrind headers missing at build?)"
    fi
fi
