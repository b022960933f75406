# SPDX-License-Identifier: GPL-3.0-or-later
# olad faults. A universe olad does not have ends the program at start with
# a report that says what to do. olad not yet started, stopped (SIGSTOP) or
# gone mid-show never ends a show: the chaser steps on, both programs say
# once that the output is lost and once that it is back, and once olad
# answers again the frames carry the pattern of now.
source "$E2E_LIB"
e2e_setup
start_olad
port=$OLA_PORT
export VELMO_PORT="ola:1@$port"

make_program_folder "$WORK/chaser" chaser "$VELMO_EXAMPLES/Velmo1.ini"
VELMO_PORT="ola:7@$port" start_program "$WORK/chaser/chaser"
expect_fatal_report "$LAST_PID" chaser "olad on RPC port $port has no universe 7: patch universe \
7 to an output in olad's web page (http://localhost:9090 unless olad was started with --http-port) \
or with ola_patch. Then start the program again." "$CHASER_TITLE"
kill "$OLAD_PID"
wait_exit "$OLAD_PID"

# The last nine changes of the frames walk one lit line on, line by line,
# as "Løpelys 1" does.
_frames_walk() {
  local bytes byte previous=""
  bytes=$(ola_frames 8 | awk -F, '{b = 0; for (i = 1; i <= 8; i++) b += ($i == 255) * 2 ^ (i - 1); print b}' |
    uniq | tail -n 9)
  (($(wc -l <<<"$bytes") == 9)) || return 1
  for byte in $bytes; do
    [[ -z $previous ]] || ((byte == (previous == 128 ? 1 : previous * 2))) || return 1
    previous=$byte
  done
}

# olad answers again (on the same RPC port): within 3 s the frames carry
# the pattern, then they walk, and the programs run and have told COUNT
# losses and as many returns.
expect_back() {
  local count=$1 program listening lit
  start_olad "$port"
  listening=$("$OLA_PYTHON" -c 'import time; print(time.monotonic_ns())')
  start_ola_recorder 1
  wait_until 10 _frames_walk || fail "the frames do not walk: $(ola_frames 8)"
  lit=$(awk '$2 ~ /255/ {print $1; exit}' "$WORK/frames")
  ((lit - listening <= 3000000000)) ||
    fail "the first lit frame came $(((lit - listening) / 1000000)) ms after olad listened again"
  for program in chaser switchpanel; do
    _told() {
      (($(grep -c "^$program: Output lost: .* The show goes on" "$WORK/$program.out") == count)) &&
        (($(grep -c "^$program: Output back: after [0-9.]* s away, " "$WORK/$program.out") == count))
    }
    wait_until 10 _told || fail "$program did not tell $count losses and returns:
$(cat "$WORK/$program.out")"
  done
  kill -0 "$chaser" && kill -0 "$panel" || fail "a program ended"
}

# Both programs start before olad; the chaser steps on meanwhile.
start_example switchpanel
panel=$LAST_PID
start_example chaser
chaser=$LAST_PID
click_at "$LAST_WINDOW" 40 76 # "Løpelys 1"
wait_trace_count 10
grep -qxF "chaser: Output lost: Cannot reach olad on RPC port $port of this machine: Connection \
refused. Start olad (sudo systemctl start olad, or olad -f as your own user), or give the RPC port \
it listens on: VELMO_PORT=ola:UNIVERSE@RPCPORT. The show goes on, and the output takes it up again \
as soon as it is back." "$WORK/chaser.out" || fail "no lost line: $(cat "$WORK/chaser.out")"
sleep 3
expect_back 1

# olad stopped mid-show: the steps do not wait for it. Then it is killed and
# started again.
kill -STOP "$OLAD_PID"
wait_trace_count $(($(port_writes) + 30))
kill -KILL "$OLAD_PID"
expect_back 2
grep -q "^chaser: Output lost: olad on RPC port $port did not answer within 2 s" "$WORK/chaser.out" ||
  fail "olad stopped was not told: $(cat "$WORK/chaser.out")"
echo "OLA faults ok"
