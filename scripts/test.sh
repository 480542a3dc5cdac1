#!/usr/bin/env bash
# Builds the tool and runs every test. Installs the Debian packages it needs first.
#   scripts/test.sh            the normal build (build/ci, warnings as errors)
#   scripts/test.sh asan       the same tests under AddressSanitizer + UBSan (build/asan)
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-ci}"
scripts/install-deps.sh cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev \
    clang libclang-rt-14-dev nodejs npm
# The independent RefPack decoder for the cross-check test (skipped when this fails).
[ -d patching/viv/tests/node/node_modules ] || npm ci --prefix patching/viv/tests/node ||
    echo "npm ci failed: the RefPack cross-check with qfs-compression will be skipped" >&2
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset"
