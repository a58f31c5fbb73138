#!/usr/bin/env bash
# Runs velt on the demo plant with the simulated gateways, from the build.
#   scripts/demo.sh [MODE]     MODE 1 edit (default), 2 browse, 3 reset
#   scripts/demo.sh --stop     stops the demo's qelnetd
# The demo home is $VELT_DEMO_HOME (default ~/velt-demo); it is made from
# demo/plant.json when it does not exist. The rest is the installed
# launcher's work (packaging/velt-launch.in), done with the built programs:
# qelnetd is started in the background when none listens on the demo socket
# and keeps running after velt ends.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
build_dir="$root/${BUILD_DIR:-build}"

if [ "${1:-}" != "--stop" ]; then
  scripts/setup-debian.sh
  scripts/build.sh velt qelnetd mcftool
fi
export ORPA_HOME="${VELT_DEMO_HOME:-$HOME/velt-demo}"
export PATH="$build_dir/src/app:$build_dir/qelnet:$build_dir/tools:$PATH"
export VELT_NO_USER_UNIT=1
exec "$build_dir/packaging/velt-launch" "$@"
