#!/usr/bin/env bash
# Runs every fuzz target of the project (libFuzzer with ASan and UBSan, build/fuzz).
#
#   scripts/fuzz.sh [SECONDS]        every target for SECONDS (default 60), as many at once as
#                                    there are cores; each grows its corpus in the cache
#                                    folder, so that runs add up from one session to the next
#   scripts/fuzz.sh --smoke [RUNS]   every target for RUNS executions (default 20000) from the
#                                    committed corpus only, with a fixed seed, so that the
#                                    result does not depend on the machine or its load (CI)
#   scripts/fuzz.sh --until N [SECONDS]
#                                    every target again and again, SECONDS (default 600) at a
#                                    time, until its executions in all reach N
#
# QUENOR_FUZZ_JOBS sets how many targets run at once (default: one per core);
# QUENOR_FUZZ_ONLY, a regular expression, the targets to run (default: all), so that a slow
# target can have a core of its own while a second run takes the others.
# The cache folder is $QUENOR_FUZZ_CACHE, else ${XDG_CACHE_HOME:-~/.cache}/quenor-fuzz: per
# target its corpus, its findings and its running totals. Prints, per target, the executions
# (this run and in all), executions per second, coverage, peak memory and findings, and
# exits 1 when any target found anything (the inputs are kept in <cache>/<target>/findings).
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

mode=timed
seconds=60
runs=20000
until=0
case "${1:-}" in
--smoke)
    mode=smoke
    runs="${2:-$runs}"
    ;;
--until)
    until="${2:?--until needs a number of executions}"
    seconds="${3:-600}"
    ;;
-h | --help)
    sed -n '2,/^set /p' "$0" | grep '^#' | sed 's/^# \{0,1\}//'
    exit 0
    ;;
"") ;;
*) seconds="$1" ;;
esac

scripts/install-deps.sh cmake ninja-build clang libclang-rt-14-dev libyaml-cpp-dev libcli11-dev nlohmann-json3-dev libssl-dev libxcb-randr0-dev >&2
cmake --preset fuzz >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
list="$work/targets.txt"
only="${QUENOR_FUZZ_ONLY:-.*}"
grep -E "^($only)\|" "$root/build/fuzz/fuzz_targets.txt" >"$list" || {
    echo "no fuzz target matches QUENOR_FUZZ_ONLY=$only" >&2
    exit 2
}
mapfile -t targets < <(cut -d'|' -f1 "$list")
cmake --build --preset fuzz --target "${targets[@]}" >&2

cache="${QUENOR_FUZZ_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quenor-fuzz}"
jobs="${QUENOR_FUZZ_JOBS:-$(nproc)}"

# Runs one target; its libFuzzer output goes to $work/<target>.log.
run_target() {
    local name="$1" program="$2" corpora="$3" maxLen="${4:-}"
    local log="$work/$name.log" status=0
    local committed=() limits=()
    IFS=',' read -r -a committed <<<"$corpora"
    [ -z "$maxLen" ] || limits=(-max_len="$maxLen")
    if [ "$mode" = smoke ]; then
        # New inputs go to a scratch folder: the committed corpus is only read.
        mkdir -p "$work/$name.scratch" "$work/$name.findings"
        "$program" -runs="$runs" -seed=1 -timeout=10 -print_final_stats=1 "${limits[@]}" \
            -artifact_prefix="$work/$name.findings/" \
            "$work/$name.scratch" "${committed[@]}" >"$log" 2>&1 || status=$?
    else
        # Towards a number of executions, a round stops once the target reaches it.
        local left=-1
        [ "$until" = 0 ] || left=$((until - $(total_of "$name")))
        mkdir -p "$cache/$name/corpus" "$cache/$name/findings"
        "$program" -max_total_time="$seconds" -runs="$left" -timeout=10 -print_final_stats=1 \
            "${limits[@]}" \
            -artifact_prefix="$cache/$name/findings/" \
            "$cache/$name/corpus" "${committed[@]}" >"$log" 2>&1 || status=$?
    fi
    echo "$status" >"$work/$name.status"
}
total_of() { cut -d' ' -f1 "$cache/$1/totals" 2>/dev/null || echo 0; }
export -f run_target total_of
export mode runs seconds cache work until

echo "Fuzzing ${#targets[@]} targets, $jobs at a time ($([ "$mode" = smoke ] &&
    echo "$runs runs each, seed 1, committed corpus" || echo "$seconds s each, corpus in $cache"))" >&2
stat() { sed -n "s/^stat::$1: *//p" "$2" | tail -n 1; }

# One round: the targets of $work/round run, then one line each is printed. Sets found=1 when
# a target found something.
found=0
round() {
    xargs -P "$jobs" -d '\n' -n 1 bash -c 'IFS="|" read -r n p c m <<<"$0"; run_target "$n" "$p" "$c" "$m"' \
        <"$work/round"
    local name log executions speed rss coverage status total findings seconds_in_all
    while IFS='|' read -r name _; do
        log="$work/$name.log"
        executions="$(stat number_of_executed_units "$log")"
        speed="$(stat average_exec_per_sec "$log")"
        rss="$(stat peak_rss_mb "$log")"
        coverage="$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)"
        status="$(cat "$work/$name.status")"
        total="-"
        if [ "$mode" = timed ]; then
            # Running totals: executions and seconds over every run kept in this cache.
            total=$(($(total_of "$name") + ${executions:-0}))
            seconds_in_all=$(($(cut -d' ' -f2 "$cache/$name/totals" 2>/dev/null || echo 0) + seconds))
            echo "$total $seconds_in_all" >"$cache/$name/totals"
        fi
        findings=none
        if [ "$status" != 0 ]; then
            found=1
            findings="$(grep -m1 -E 'ERROR: |runtime error|deadly signal|Timeout|out-of-memory' "$log" ||
                echo "exit status $status")"
            tail -n 40 "$log" | sed "s/^/  $name: /" >&2
        fi
        printf '%-20s %12s %14s %9s %7s %8s  %s\n' "$name" "${executions:-?}" "$total" "${speed:-?}" \
            "${coverage:-?}" "${rss:-?}" "$findings"
    done <"$work/round"
}

printf '%-20s %12s %14s %9s %7s %8s  %s\n' target executions "in all" "exec/s" cov "rss MB" findings
if [ "$until" = 0 ]; then
    cp "$list" "$work/round"
    round
else
    # Rounds of the targets that have not reached their executions yet.
    while :; do
        : >"$work/round"
        while IFS='|' read -r name rest; do
            [ "$(total_of "$name")" -lt "$until" ] && echo "$name|$rest" >>"$work/round"
        done <"$list"
        [ -s "$work/round" ] && [ "$found" = 0 ] || break
        round
    done
fi
exit "$found"
