#!/usr/bin/env bash
# Two Quenors at once, many times: the concurrency test with PAIRS pairs per scenario (500 by
# default), on the dev build. Prints pairs, waits, refusals and anomalies per scenario.
#   scripts/race.sh [PAIRS]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset dev >/dev/null
cmake --build --preset dev --target change_race_tests quenorctl quenor-script
QUENOR_RACE_PAIRS="${1:-500}" build/dev/tests/change_race_tests
