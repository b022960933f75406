# SPDX-License-Identifier: GPL-3.0-or-later
# The chaser on an OLA universe: every port write of "Løpelys 1" reaches a
# client registered for the universe as a frame whose first eight channels
# are the byte's bits (255 on, 0 off), in the order of the writes.
source "$E2E_LIB"
e2e_setup
start_olad
start_ola_recorder 1
export VELMO_PORT="ola:1@$OLA_PORT"

start_example chaser
click_at "$LAST_WINDOW" 40 76 # "Løpelys 1"
wait_trace_count 11

# A byte as the frame that carries it: "255,0,0,0,0,0,0,0" for 1.
frame_of() {
  local line frame=""
  for line in 0 1 2 3 4 5 6 7; do
    frame+=$(((($1 >> line) & 1) * 255)),
  done
  echo "${frame%,}"
}
expected=$(trace_events | head -n 11 | while read -r _ _ value; do frame_of "$value"; done)
actual=$(ola_frames 8 | head -n 11)
[[ "$actual" == "$expected" ]] || fail "the frames
$actual
do not follow the port writes, which make
$expected"
# Ending mid-show leaves OLA's client as cleanly as any other port.
kill -TERM "$LAST_PID"
wait_exit "$LAST_PID"
((EXIT_STATUS == 0)) || fail "the chaser ended with status $EXIT_STATUS on SIGTERM"
echo "chaser on OLA ok"
