# SPDX-License-Identifier: GPL-3.0-or-later
# OLA faults end the program with a report that says what to do: no olad on
# the RPC port, a universe olad does not have, olad stopped (SIGSTOP) or
# gone mid-show. Nothing waits on olad for longer than its answer time.
source "$E2E_LIB"
e2e_setup
start_olad
start_ola_recorder 1
start_again="then start the program again."

make_program_folder "$WORK/chaser" chaser "$VELMO_EXAMPLES/Velmo1.ini"
make_program_folder "$WORK/switchpanel" switchpanel "$VELMO_EXAMPLES/Velmo.ini"

# No olad: the start-up write fails, nothing is written or traced.
free_port=$OLA_PORT
while _port_listened "$free_port"; do free_port=$((20000 + RANDOM % 20000)); done
VELMO_PORT="ola:1@$free_port" start_program "$WORK/switchpanel/switchpanel"
expect_fatal_report "$LAST_PID" switchpanel "Cannot reach olad on RPC port $free_port of this \
machine: Connection refused. Start olad (sudo systemctl start olad, or olad -f as your own user), \
or give the RPC port it listens on: VELMO_PORT=ola:UNIVERSE@RPCPORT." "$PANEL_TITLE"
[[ ! -s "$WORK/trace" ]] || fail "a failed write was traced"

export VELMO_PORT="ola:1@$OLA_PORT"
olad="olad on RPC port $OLA_PORT"

# A universe that olad does not have.
VELMO_PORT="ola:7@$OLA_PORT" start_program "$WORK/chaser/chaser"
expect_fatal_report "$LAST_PID" chaser "$olad has no universe 7. Patch universe 7 to an output in \
olad's web page (http://localhost:9090 unless olad was started with --http-port) or with \
ola_patch, $start_again" "$CHASER_TITLE"

# olad stopped while "Løpelys 1" runs.
start_example chaser
click_at "$LAST_WINDOW" 40 76
wait_trace_count 4
kill -STOP "$OLAD_PID"
expect_fatal_report "$LAST_PID" chaser "$olad did not answer within 2 s: it may be stopped or \
overloaded. Restart olad, $start_again"
kill -CONT "$OLAD_PID"

# olad gone while the switch panel runs: its next click says so.
: >"$WORK/trace"
start_example switchpanel
click_at "$LAST_WINDOW" 56 76 # "Aktiver vifte 1"
wait_trace_count 3
kill "$OLAD_PID"
wait_exit "$OLAD_PID"
click_at "$LAST_WINDOW" 160 76 # "Aktiver vifte 2"
expect_fatal_report "$LAST_PID" switchpanel "$olad closed the connection: it was stopped or \
restarted. Start olad again, $start_again"
echo "OLA faults ok"
