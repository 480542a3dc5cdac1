#!/usr/bin/env bash
# Builds the tool and runs every test. Installs the Debian packages it needs first.
#   scripts/test.sh            the normal build (build/ci, warnings as errors)
#   scripts/test.sh asan       the same tests under AddressSanitizer + UBSan (build/asan)
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-ci}"
scripts/install-deps.sh cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev libyaml-cpp-dev libcli11-dev nlohmann-json3-dev libssl-dev libxcb-randr0-dev \
    clang libclang-rt-14-dev qt6-base-dev libfontconfig-dev qt6-qpa-plugins fonts-liberation \
    desktop-file-utils xvfb x11-xserver-utils lintian appstream dpkg-dev
# Node.js runs the independent RefPack decoder of the cross-check test. A machine that has
# node from elsewhere keeps it (Debian's npm conflicts with it); without node the test is skipped.
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
    scripts/install-deps.sh nodejs npm ||
        echo "could not install Node.js: the RefPack cross-check will be skipped" >&2
fi
if command -v npm >/dev/null && [ ! -d lib/refpack/tests/node/node_modules ]; then
    npm ci --prefix lib/refpack/tests/node ||
        echo "npm ci failed: the RefPack cross-check with qfs-compression will be skipped" >&2
fi
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset"
