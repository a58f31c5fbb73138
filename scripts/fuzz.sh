#!/usr/bin/env bash
# Builds the libFuzzer harnesses of tests/fuzz with clang into build-fuzz/ and
# runs each of them (or the ones named) one after the other on one core:
#
#   scripts/fuzz.sh [HARNESS...]      RUNS=10000000 by default; MAX_LEN the
#                                     longest input (default: from the corpus)
#   scripts/fuzz.sh --build-only      builds every harness and runs none (CI:
#                                     a change that breaks the clang build is
#                                     seen at once)
#
# Each run starts from the kept corpus tests/fuzz/corpus/HARNESS (new inputs
# that widen the coverage go to build-fuzz/corpus/HARNESS, merge them by hand);
# an input that crashes a harness is written to tests/fuzz/crashes/HARNESS/ so
# that it is kept and replayed by the normal test suite once the fault is fixed.
set -euo pipefail
cd "$(dirname "$0")/.."

# clang and its fuzzer runtime come with the other build dependencies.
scripts/setup-debian.sh

build_only=false
if [ "${1:-}" = "--build-only" ]; then
  build_only=true
  shift
fi
harnesses=("$@")
[ ${#harnesses[@]} -gt 0 ] || harnesses=(telegram backup_file profile plant_description)
runs="${RUNS:-10000000}"
limits=()
[ -z "${MAX_LEN:-}" ] || limits=(-max_len="$MAX_LEN")

export CCACHE_BASEDIR="$(pwd)" CCACHE_NOHASHDIR=true
cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELT_FUZZ=ON -DVELT_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz -- -j"$(nproc)" "${harnesses[@]/#/fuzz_}"
if $build_only; then
  echo "built ${harnesses[*]/#/fuzz_} in build-fuzz/tests/fuzz; not run"
  exit 0
fi

status=0
for harness in "${harnesses[@]}"; do
  work="build-fuzz/corpus/$harness"
  crashes="tests/fuzz/crashes/$harness"
  log="build-fuzz/fuzz-$harness.log"
  mkdir -p "$work" "$crashes"
  echo "== $harness: $runs runs, log in $log"
  if ! LSAN_OPTIONS="suppressions=$(pwd)/tests/lsan.supp" \
    "build-fuzz/tests/fuzz/fuzz_$harness" -runs="$runs" "${limits[@]}" -timeout=10 -print_final_stats=1 \
      -artifact_prefix="$crashes/" "$work" "tests/fuzz/corpus/$harness" >"$log" 2>&1; then
    echo "$harness: a crash, see $log and $crashes/"
    status=1
  fi
  grep -E "^(stat::|Done|INFO: Seed)" "$log" || true
done
exit $status
