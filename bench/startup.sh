#!/usr/bin/env bash
# Time of the program's start as an operator meets it: the median wall time of
# `velt 4` (process start, Qt, server link, the five tables, the main frame,
# then an immediate end) on a fresh demo home. Add the OpenSelectNetwork
# figure of bench_lists for "Select network" filled.
#   bench/startup.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${BUILD_DIR:-build}"
runs="${1:-15}"
home="$(mktemp -d)/home"
trap 'rm -rf "$(dirname "$home")"' EXIT
"$build_dir/tools/mcftool" plant init "$home" >/dev/null
export ORPA_HOME="$home" QT_QPA_PLATFORM=offscreen
times=()
for _ in $(seq "$runs"); do
  start=$(date +%s%N)
  "$build_dir/src/app/velt" 4 2>/dev/null
  end=$(date +%s%N)
  times+=($(( (end - start) / 1000000 )))
done
sorted=($(printf '%s\n' "${times[@]}" | sort -n))
echo "velt start and end, $runs runs: median ${sorted[$((runs / 2))]} ms (min ${sorted[0]}, max ${sorted[$((runs - 1))]})"
