#!/usr/bin/env bash
# Builds the release preset and runs the archive benchmark: export + add of a 4 KiB entry in a
# 1 MiB and a 512 MiB archive (each in its own process), then prints both times, their ratio
# and the peak resident memory of each. Exit status 1 when a goal is not met.
#   scripts/bench-archive.sh                 the two sizes, uncompressed and compressed entry
#   scripts/bench-archive.sh --across-page   also time an entry whose directory record crosses
#                                            a page boundary (replaced by a whole rewrite)
# Other arguments go to Google Benchmark (e.g. --benchmark_repetitions=9). The archives are
# written under $TMPDIR (default /tmp) and removed afterwards; the large one is sparse.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev libyaml-cpp-dev libcli11-dev nlohmann-json3-dev libssl-dev libxcb-randr0-dev
cmake --preset release >/dev/null
cmake --build --preset release --target archive_bench
exec build/release/bench/archive_bench "$@"
