#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
# Usage: scripts/test.sh [build-dir] [extra cmake args...]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
shift || true
bash scripts/install-deps.sh
echo "[test] configuring $BUILD"
# Ninja for a new build folder; one made earlier keeps its generator.
generator=()
[ -f "$BUILD/CMakeCache.txt" ] || ! command -v ninja >/dev/null || generator=(-G Ninja)
cmake -S . -B "$BUILD" "${generator[@]}" -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} "$@" >/dev/null
echo "[test] building ${BUILD_TARGETS:-everything}"
targets=()
for t in ${BUILD_TARGETS:-}; do targets+=(--target "$t"); done
cmake --build "$BUILD" -j"$(nproc)" "${targets[@]}"
echo "[test] running tests"
export QT_QPA_PLATFORM=offscreen
# Most tests wait on timers and serial lines, not on the processor: two per core.
ctest --test-dir "$BUILD" --output-on-failure -j"${CTEST_JOBS:-$(($(nproc) * 2))}" ${CTEST_ARGS:-}
