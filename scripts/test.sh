#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
# Usage: scripts/test.sh [build-dir] [extra cmake args...]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
shift || true
bash scripts/install-deps.sh
echo "[test] configuring $BUILD"
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} "$@" >/dev/null
echo "[test] building ${BUILD_TARGETS:-everything}"
targets=()
for t in ${BUILD_TARGETS:-}; do targets+=(--target "$t"); done
cmake --build "$BUILD" -j"$(nproc)" "${targets[@]}"
echo "[test] running tests"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD" --output-on-failure -j"$(nproc)" ${CTEST_ARGS:-}
