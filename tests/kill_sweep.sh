#!/usr/bin/env bash
# kill -9 sweep: runs an upload and an update of the demo's gateway 001 with
# mcftool against qelnetd (answering each telegram after LATENCY_MS), kills
# mcftool with SIGKILL at POINTS moments spread over the job, and after each
# kill checks every table file (mcftool db check) and runs the same job again,
# which must succeed. Every point starts from the same home.
#
#   tests/kill_sweep.sh [BUILD_DIR]        (default build; POINTS=20, LATENCY_MS=10)
#
# Exit code 0 when every point passed both checks.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
points="${POINTS:-20}"
latency="${LATENCY_MS:-10}"
mcftool="$build/tools/mcftool"
qelnetd="$build/qelnet/qelnetd"
[ -x "$mcftool" ] && [ -x "$qelnetd" ] || { echo "build $build first" >&2; exit 2; }

work="$(mktemp -d)"
home="$work/home"
server_pid=""
stop_server() {
  if [ -n "$server_pid" ]; then
    kill -TERM "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
    server_pid=""
  fi
}
trap 'stop_server; rm -rf "$work"' EXIT

start_server() {
  "$qelnetd" --socket "$home/qelnet.sock" "$@" \
    --gateway "001=$home/gateways/gateway-001.img" --gateway "002=$home/gateways/gateway-002.img" \
    2>>"$work/qelnetd.err" &
  server_pid=$!
  for _ in $(seq 100); do
    [ -S "$home/qelnet.sock" ] && return 0
    sleep 0.05
  done
  echo "qelnetd does not listen" >&2
  exit 1
}

snapshot() { rm -rf "$work/snapshot"; mkdir "$work/snapshot"; cp -a "$home/data" "$home/zul" "$home/gateways" "$work/snapshot/"; }
restore() { rm -rf "$home/data" "$home/zul" "$home/gateways"; cp -a "$work/snapshot/." "$home/"; }

now_ms() { date +%s%3N; }

# sweep NAME JOB-ARGUMENTS...: the job from the snapshot, killed at each point.
sweep() {
  local name="$1"
  shift
  restore
  start_server --latency "$latency"
  local begin end
  begin=$(now_ms)
  "$mcftool" "$@" >/dev/null
  end=$(now_ms)
  stop_server
  local duration=$((end - begin))
  local killed=0 finished=0 damaged=0 unrecovered=0
  for point in $(seq 1 "$points"); do
    restore
    start_server --latency "$latency"
    "$mcftool" "$@" >/dev/null 2>&1 &
    local job=$!
    sleep "$(awk -v d="$duration" -v p="$point" -v n="$points" 'BEGIN { printf "%.3f", d * p / (n + 1) / 1000 }')"
    if kill -KILL "$job" 2>/dev/null; then killed=$((killed + 1)); else finished=$((finished + 1)); fi
    wait "$job" 2>/dev/null || true
    stop_server
    if ! "$mcftool" db check "$home" >/dev/null 2>"$work/check.err"; then
      damaged=$((damaged + 1))
      echo "$name, point $point: $(cat "$work/check.err")" >&2
    fi
    start_server
    if ! "$mcftool" "$@" >/dev/null 2>"$work/job.err"; then
      unrecovered=$((unrecovered + 1))
      echo "$name, point $point: the next run failed: $(cat "$work/job.err")" >&2
    fi
    stop_server
  done
  echo "kill sweep $name: $points points over ${duration} ms, $killed killed while running, $finished already done," \
    "$damaged integrity failures, $unrecovered failed next runs"
  [ "$damaged" -eq 0 ] && [ "$unrecovered" -eq 0 ]
}

"$mcftool" plant init "$home" >/dev/null
snapshot
status=0
sweep upload upload "$home" 001 || status=1

# The update writes functions of every kind from the uploaded table.
restore
start_server
"$mcftool" upload "$home" 001 >/dev/null
stop_server
snapshot
sweep update update "$home" 001 1 2 3 4 5 6 7 8 9 || status=1
exit $status
