#!/usr/bin/env bash
# The registry benchmark (bench-registry.sh) of two builds, run one after the other on the same
# machine, size by size, and printed side by side: for each size and step the baseline's seconds and peak
# memory, this tree's, and this tree's over the baseline's.
#   scripts/bench-registry-compare.sh BASELINE_BUILD [SIZE_MB...]     (default sizes: 20 200)
# BASELINE_BUILD is a build folder that holds app/quenorctl/quenorctl and
# app/quenor_viv/quenor-viv (another checkout's release build, say); this tree's release preset
# is built for the other side.
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -ge 1 ] || { echo "usage: $0 BASELINE_BUILD [SIZE_MB...]" >&2; exit 2; }
baseline=$1
shift
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(20 200)
for program in app/quenorctl/quenorctl app/quenor_viv/quenor-viv; do
    [ -x "$baseline/$program" ] || { echo "$0: no $baseline/$program" >&2; exit 2; }
done
cmake --preset release >/dev/null
cmake --build --preset release --target quenorctl quenor-viv >/dev/null
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
# Size by size, the two builds one after the other, so that what the machine does meanwhile
# falls on both alike as far as it can.
: >"$out/baseline"
: >"$out/now"
for size in "${sizes[@]}"; do
    QUENOR_BENCH_BUILD="$baseline" scripts/bench-registry.sh "$size" >>"$out/baseline"
    QUENOR_BENCH_BUILD=build/release scripts/bench-registry.sh "$size" >>"$out/now"
done
# A row of bench-registry.sh: the size and the step in its first 49 columns, then seconds and
# peak MB.
printf '%-49s %9s %9s %9s %9s %7s %7s\n' "user.reg and step" "base s" "base MB" "now s" \
    "now MB" "s ratio" "MB ratio"
awk 'FNR == NR { if ($0 ~ /^[0-9]+ MB/) base[substr($0, 1, 49)] = substr($0, 50); next }
     /^[0-9]+ MB/ {
        key = substr($0, 1, 49)
        if (!(key in base)) next
        split(base[key], b, " ")
        split(substr($0, 50), n, " ")
        if (b[2] == "") next
        printf "%-49s %9.3f %9.1f %9.3f %9.1f %7.2f %7.2f\n", key, b[1], b[2], n[1], n[2],
            (b[1] > 0 ? n[1] / b[1] : 0), (b[2] > 0 ? n[2] / b[2] : 0)
     }' "$out/baseline" "$out/now"
