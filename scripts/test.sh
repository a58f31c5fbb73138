#!/usr/bin/env bash
# Builds velt and runs every test (offscreen; no display needed).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${BUILD_DIR:-build}"
scripts/build.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build_dir" --output-on-failure -j"$(nproc)" --timeout 300
