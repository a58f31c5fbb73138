#!/usr/bin/env bash
# Configures and builds velt. BUILD_DIR (default build) and extra CMake
# arguments in CMAKE_ARGS choose the build; further arguments name targets.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${BUILD_DIR:-build}"
# Compiler cache hits across clones in other folders.
export CCACHE_BASEDIR="$(pwd)" CCACHE_NOHASHDIR=true
# shellcheck disable=SC2086
cmake -S . -B "$build_dir" -G Ninja ${CMAKE_ARGS:-} >/dev/null
cmake --build "$build_dir" -- -j"$(nproc)" "$@"
