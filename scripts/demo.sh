#!/usr/bin/env bash
# Runs velt on the demo plant with the simulated gateways.
#   scripts/demo.sh [MODE]     MODE 1 edit (default), 2 browse, 3 reset
# The demo home is $VELT_DEMO_HOME (default ~/velt-demo); it is made from
# demo/plant.json when it does not exist. The communication server qelnetd is
# started in the background when none listens on the demo socket, and keeps
# running after velt ends (stop it with scripts/demo.sh --stop).
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
build_dir="${BUILD_DIR:-build}"
home="${VELT_DEMO_HOME:-$HOME/velt-demo}"
socket="$home/qelnet.sock"
pidfile="$home/qelnetd.pid"

if [ "${1:-}" = "--stop" ]; then
  if [ -f "$pidfile" ] && kill "$(cat "$pidfile")" 2>/dev/null; then
    echo "qelnetd stopped"
  fi
  rm -f "$pidfile"
  exit 0
fi
mode="${1:-1}"

scripts/setup-debian.sh
scripts/build.sh velt qelnetd mcftool

if [ ! -f "$home/ORPA.INI" ]; then
  "$build_dir/tools/mcftool" plant init "$home"
fi

running() { [ -f "$pidfile" ] && kill -0 "$(cat "$pidfile")" 2>/dev/null && [ -S "$socket" ]; }
if ! running; then
  gateways=()
  for image in "$home"/gateways/gateway-*.img; do
    [ -e "$image" ] || continue
    number="$(basename "$image" .img)"
    gateways+=(--gateway "${number#gateway-}=$image")
  done
  "$build_dir/qelnet/qelnetd" --socket "$socket" "${gateways[@]}" --trace "$home/qelnet.trace" \
    >>"$home/qelnetd.log" 2>&1 &
  echo $! >"$pidfile"
  for _ in $(seq 50); do [ -S "$socket" ] && break; sleep 0.1; done
  echo "qelnetd listens on $socket (log: $home/qelnetd.log, bus trace: $home/qelnet.trace)"
fi

export ORPA_HOME="$home"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "no display: running velt under a virtual display (xvfb-run)"
  exec xvfb-run -a "$root/$build_dir/src/app/velt" "$mode"
fi
exec "$root/$build_dir/src/app/velt" "$mode"
