#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ORVIX_FUZZ=ON) and runs each from its
# committed corpus for a bounded time. Any crash, sanitizer report, leak,
# hang or broken property fails the run; the input that did it is kept in
# $BUILD/fuzz-artifacts/<target>/.
#
# Usage: scripts/fuzz.sh [seconds per target (30)] [target...]
#   FUZZ_BUILD  build folder (build-fuzz)
#   FUZZ_ARGS   more libFuzzer flags, e.g. "-jobs=2 -workers=2"
#   FUZZ_KEEP   folder that keeps the new inputs found (default: thrown away)
#   FUZZ_JOBS   targets run at the same time (default: one per core)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
PER_TARGET=${1:-30}
shift || true
BUILD=${FUZZ_BUILD:-build-fuzz}
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in tests/fuzz/*_fuzz.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi

CXX_COMPILER=${CXX_COMPILER:-$(command -v clang++-14 || command -v clang++)}
echo "[fuzz] configuring $BUILD"
# -O1 and line tables: the usual fuzzing build, and quick to make.
generator=()
[ -f "$BUILD/CMakeCache.txt" ] || ! command -v ninja >/dev/null || generator=(-G Ninja)
cmake -S . -B "$BUILD" "${generator[@]}" -DORVIX_FUZZ=ON -DCMAKE_CXX_COMPILER="$CXX_COMPILER" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -gline-tables-only" >/dev/null
echo "[fuzz] building ${targets[*]}"
cmake --build "$BUILD" -j"$(nproc)" --target "${targets[@]}"
echo "[fuzz] configured and built in $SECONDS s"

keep=${FUZZ_KEEP:-}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
# Leaks inside system libraries (fontconfig's caches filled through Qt) are
# suppressed by library, never by a frame of ours.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/.ci/lsan.supp}
# libFuzzer uses one core: the targets run side by side, FUZZ_JOBS at a time.
JOBS=${FUZZ_JOBS:-$(nproc)}

run_target() {
  local t=$1 name=${1%_fuzz}
  local found=${keep:+$keep/$name}
  found=${found:-$scratch/$name}
  local artifacts="$BUILD/fuzz-artifacts/$name"
  local log="$BUILD/fuzz-logs/$name.log"
  mkdir -p "$found" "$artifacts" "$(dirname "$log")"
  local opts=()
  [ -f "tests/fuzz/$name.options" ] && read -r -a opts < "tests/fuzz/$name.options"
  # New inputs go to $found: the committed corpus is only read.
  "$BUILD/tests/fuzz/$t" "$found" "tests/fuzz/corpus/$name" -max_total_time="$PER_TARGET" \
    -timeout=25 -print_final_stats=1 -artifact_prefix="$artifacts/" "${opts[@]}" ${FUZZ_ARGS:-} >"$log" 2>&1
}

report() {
  local t=$1 status=$2 name=${1%_fuzz}
  local log="$BUILD/fuzz-logs/$name.log"
  local summary rate
  summary=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1 | sed -E 's/.*DONE +//; s/ +lim: [0-9]+//' || true)
  rate=$(grep -E '^stat::average_exec_per_sec' "$log" | awk '{print $2}' || true)
  if [ "$status" -ne 0 ]; then
    echo "[fuzz] $name FAILED (exit $status); log $log"
    tail -40 "$log"
    failed+=("$name")
  else
    echo "[fuzz] $name ok: $summary (average ${rate:-?} exec/s)"
  fi
}

failed=()
pids=()
names=()
for t in "${targets[@]}"; do
  run_target "$t" &
  pids+=($!)
  names+=("$t")
  if [ ${#pids[@]} -ge "$JOBS" ]; then
    status=0
    wait "${pids[0]}" || status=$?
    report "${names[0]}" $status
    pids=("${pids[@]:1}")
    names=("${names[@]:1}")
  fi
done
for i in "${!pids[@]}"; do
  status=0
  wait "${pids[$i]}" || status=$?
  report "${names[$i]}" $status
done
echo "[fuzz] $SECONDS s in all"
if [ ${#failed[@]} -ne 0 ]; then
  echo "[fuzz] failed: ${failed[*]}"
  exit 1
fi
