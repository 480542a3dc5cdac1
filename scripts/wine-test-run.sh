#!/usr/bin/env bash
# Runs one Windows test program under Wine (scripts/wine-run.sh) for CTest. Debian's Wine
# sometimes aborts in its own Linux loader while a finished program exits ("Inconsistency
# detected by ld.so: dl-fini.c"): the program's result is lost, not wrong. Such a run, and
# only such a run, is started once more, and the second run's result stands. A test program
# that fails for any other reason fails as it is.
#   scripts/wine-test-run.sh program.exe [arguments...]
set -uo pipefail
here="$(dirname "$0")"
errors="$(mktemp "${TMPDIR:-/tmp}/quenor-wine-test.XXXXXX")"
trap 'rm -f "$errors"' EXIT
run() {
    "$here/wine-run.sh" "$@" 2> >(tee "$errors" >&2)
    local status=$?
    wait
    return "$status"
}
run "$@"
status=$?
if [ "$status" -ne 0 ] && grep -q "Inconsistency detected by ld.so" "$errors"; then
    echo "wine-test-run.sh: Wine's loader aborted as the program ended; running it once more." >&2
    run "$@"
    status=$?
fi
exit "$status"
