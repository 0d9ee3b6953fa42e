#!/usr/bin/env bash
# Line coverage of the Windows layers under Wine, one figure per folder.
#   tools/coverage.sh [BUILD]     (default build/coverage)
# Builds a Debug tree with QLMR_COVERAGE, runs its Windows test stage, and reads the counts that
# the programs wrote through Wine to their Linux paths. gcovr is a Debian package.
set -euo pipefail
cd "$(dirname -- "$0")/.."
build=${1:-build/coverage}
command -v gcovr >/dev/null || { echo "coverage: install gcovr first" >&2; exit 2; }
cmake -S . -B "$build" -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Debug -DQLMR_COVERAGE=ON \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$build"
find "$build" -name '*.gcda' -delete
QLMR_WIN_BUILD=$build tools/run-tests.sh win || echo "coverage: some tests failed; figures below count what ran"
for folder in win controls ui browser com; do
    gcovr --gcov-executable x86_64-w64-mingw32-gcov-posix -r . --filter "$folder/" "$build" 2>/dev/null |
        awk -v f="$folder" '$1 == "TOTAL" {printf "%-9s %5d of %5d lines  %s\n", f, $3, $2, $4}'
done
