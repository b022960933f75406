#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A soak run of an unattended show: the chaser ("Løpelys 1") and the switch
# panel, headless on a session bus of their own, drive universe 1 of an olad
# of their own (started as the end-to-end tests start theirs), while olad is
# restarted every few minutes, the chaser is stopped (SIGSTOP) for up to a
# second now and then, the register's folder is made anew, both cores are
# loaded in bursts and the panel's lines are switched through the bus. Then
# bench/soak_report.py prints the figures.
#   bench/soak.sh [MINUTES] [BUILD_DIR]      (MINUTES: 60, BUILD_DIR: build)
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:-60}
build=${2:-build}
[[ $minutes =~ ^[0-9]+$ ]] && ((minutes > 0)) || {
  echo "usage: bench/soak.sh [MINUTES] [BUILD_DIR]" >&2
  exit 2
}
for program in chaser switchpanel velmo; do
  [[ -x $build/bin/$program ]] || { echo "build $build/bin/$program first" >&2; exit 2; }
done
VELMO_BIN_DIR="$PWD/$build/bin"
report="$PWD/bench/soak_report.py"

source tests/e2e/lib.sh
WORK=$(mktemp -d "${TMPDIR:-/tmp}/velmo-soak.XXXXXX")
E2E_PIDS=""
# The figures are printed however the run ends, before its folder goes.
report_and_clean_up() {
  local status=$?
  set +e
  [[ -s "$WORK/events" ]] && "$OLA_PYTHON" "$report" "$WORK"
  (exit "$status") # _e2e_cleanup ends with the run's status
  _e2e_cleanup
}
trap report_and_clean_up EXIT
export XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
start_session_bus

# Events go to $WORK/events as "<CLOCK_MONOTONIC ns> <event> [ARGS]", from
# bash's realtime clock less its offset from CLOCK_MONOTONIC.
offset=$("$OLA_PYTHON" -c 'import time; print(time.time_ns() - time.monotonic_ns())')
now_ns() { echo $((${EPOCHREALTIME/./} * 1000 - offset)); }
log() { echo "$(now_ns) $*" >>"$WORK/events"; }

epoch=0
# A recorder of universe 1's frames for each life of olad: $WORK/frames-N.
record_frames() {
  epoch=$((epoch + 1))
  start_ola_client "recorder-$epoch" record 1 "$WORK/frames-$epoch"
  _registered() { [[ -s "$WORK/frames-$epoch.ready" ]]; }
  wait_until 20 _registered || fail "the OLA recorder did not start"
  log registered "$epoch" "$(cut -d' ' -f2 "$WORK/frames-$epoch.ready")"
}

start_olad
port=$OLA_PORT
log olad-up 0
record_frames
export VELMO_PORT="ola:1@$port"

# resources PID: "<open descriptors> <resident KiB>".
resources() {
  echo "$(find "/proc/$1/fd" -mindepth 1 -maxdepth 1 | wc -l) \
$(awk '/^VmRSS:/ {print $2}' "/proc/$1/status")"
}

make_program_folder "$WORK/switchpanel" switchpanel "$PWD/examples/Velmo.ini"
make_program_folder "$WORK/chaser" chaser "$PWD/examples/Velmo1.ini"
VELMO_PORT_TRACE="$WORK/panel.trace" start_program "$WORK/switchpanel/switchpanel" --headless
panel=$LAST_PID
VELMO_PORT_TRACE="$WORK/chaser.trace" start_program "$WORK/chaser/chaser" --headless --pattern 1
chaser=$LAST_PID
sleep 10
log resources "$(resources "$chaser")" "$(resources "$panel")"

random_between() { echo $(($1 + RANDOM % ($2 - $1 + 1))); }
end=$((SECONDS + minutes * 60))
next_olad=$((SECONDS + $(random_between 120 240)))
next_stall=$((SECONDS + $(random_between 15 40)))
next_folder=$((SECONDS + $(random_between 90 240)))
next_load=$((SECONDS + $(random_between 45 120)))
next_click=$SECONDS
next_sample=$((SECONDS + 600))
signal=TERM
echo "soak: $minutes min, work folder $WORK" >&2
while ((SECONDS < end)); do
  if ((SECONDS >= next_olad)); then
    log olad-down "$signal"
    kill -"$signal" "$OLAD_PID" || true
    wait_exit "$OLAD_PID" 20 2>/dev/null
    sleep "$(random_between 1 4)"
    start_olad "$port"
    log olad-up "$epoch"
    record_frames
    signal=$([[ $signal == TERM ]] && echo KILL || echo TERM)
    next_olad=$((SECONDS + $(random_between 120 240)))
  fi
  if ((SECONDS >= next_stall)); then
    log stall-start
    kill -STOP "$chaser" || true
    sleep "0.$(random_between 1 9)"
    kill -CONT "$chaser" || true
    log stall-end
    next_stall=$((SECONDS + $(random_between 15 40)))
  fi
  if ((SECONDS >= next_folder)); then
    # Moved away at once, as the programs may write into it at any moment.
    if mv "$XDG_RUNTIME_DIR/velmo" "$WORK/gone"; then rm -rf "$WORK/gone"; fi
    mkdir -p -m 700 "$XDG_RUNTIME_DIR/velmo" # unless a program was quicker
    log folder-made
    next_folder=$((SECONDS + $(random_between 90 240)))
  fi
  if ((SECONDS >= next_load)); then
    seconds=$(random_between 5 15)
    for core in 1 2; do timeout "$seconds" sh -c 'while :; do :; done' & done
    log load "$seconds"
    next_load=$((SECONDS + $(random_between 45 120)))
  fi
  if ((SECONDS >= next_click)); then
    line=$(random_between 1 8) state=$([[ $((RANDOM % 2)) == 0 ]] && echo on || echo off)
    if "$VELMO_BIN_DIR/velmo" line "$line" "$state" >>"$WORK/velmo.out" 2>&1; then
      log click "$line" "$state"
    else
      log click-failed "$line" "$state"
    fi
    next_click=$((SECONDS + $(random_between 2 5)))
  fi
  if ((SECONDS >= next_sample)); then
    log resources "$(resources "$chaser")" "$(resources "$panel")"
    next_sample=$((SECONDS + 600))
  fi
  kill -0 "$chaser" 2>/dev/null && kill -0 "$panel" 2>/dev/null || break
  sleep 0.2
done
sleep 5
log resources "$(resources "$chaser")" "$(resources "$panel")"
log end
kill -0 "$chaser" 2>/dev/null && kill -0 "$panel" 2>/dev/null && log both-running
