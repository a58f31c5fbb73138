#!/usr/bin/env bash
# Every performance figure of the gateway jobs in one run, each printed with
# its aim: the program's time on top of the bus at answer latencies of 0, 10
# and 30 ms, the requests of an upload from the backup file against the least
# possible, the longest stall of the event loop during the jobs, an upload
# under a 16 MB ORPA.INI, velt's peak memory with the full gateway listed, and
# the program's own processor time per telegram.
#   bench/run_perf.sh [BUILD_DIR] [RUNS]
# Each timing is the best of RUNS runs (default 3): other work on the machine
# only ever adds time. On a busy machine, take the figures again when it is quiet.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${1:-build}"
export BENCH_RUNS="${2:-3}"
BUILD_DIR="$build_dir" scripts/build.sh bench_bus bench_memory bench_upload >/dev/null
export QT_QPA_PLATFORM=offscreen
"$build_dir/bench/bench_bus"
"$build_dir/bench/bench_memory"
"$build_dir/bench/bench_upload" --benchmark_filter=FullUpload
