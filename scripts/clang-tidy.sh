#!/usr/bin/env bash
# Runs clang-tidy (the checks in .clang-tidy) over the program's own sources that the build
# compiles: every .cpp file but tests, test doubles, fuzz targets and benchmark probes, or only the files given. Needs a configured build
# folder for its compile commands (build/dev by default: cmake --preset dev). Exits non-zero
# on any finding.
#   scripts/clang-tidy.sh [--build DIR] [FILE...]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh clang-tidy >&2
build=build/dev
if [ "${1:-}" = "--build" ]; then
    build=$2
    shift 2
fi
if [ ! -f "$build/compile_commands.json" ]; then
    echo "clang-tidy.sh: no $build/compile_commands.json; configure the build first" >&2
    exit 2
fi
if [ $# -eq 0 ]; then
    # The sources this build compiles (the other system's files are not in it).
    set -- $(git ls-files '*.cpp' |
        grep -v -e '/tests/' -e '^tests/' -e '/testing/' -e '/fuzz/' -e '/bench/' |
        while read -r file; do
            grep -q "\"file\": \"$PWD/$file\"" "$build/compile_commands.json" && echo "$file"
        done)
fi
jobs=$(nproc 2>/dev/null || echo 2)
started=$(date +%s)
# The build's GCC-only warning options mean nothing to clang.
printf '%s\n' "$@" | xargs -P "$jobs" -n 4 clang-tidy -p "$build" --quiet \
    --extra-arg=-Wno-unknown-warning-option
echo "clang-tidy.sh: $# files, no findings, $(( $(date +%s) - started )) s"
