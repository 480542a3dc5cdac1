#!/usr/bin/env bash
# Checks that every C++ file of the project is formatted as .clang-format says (clang-format's
# dry run, its findings as errors). Installs clang-format first.
#   scripts/check-format.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh clang-format >&2
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
echo "Every C++ file is formatted as .clang-format says."
