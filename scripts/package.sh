#!/usr/bin/env bash
# Builds the Debian package velt_VERSION_ARCH.deb into BUILD_DIR (default
# build) from the build the tests use: the three programs, their manual pages
# and the icons are built there if they are not yet, nothing else.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${BUILD_DIR:-build}"
scripts/build.sh velt mcftool qelnetd package_files
rm -f "$build_dir"/velt_*.deb
(cd "$build_dir" && cpack -G DEB >/dev/null)
ls "$build_dir"/velt_*.deb
