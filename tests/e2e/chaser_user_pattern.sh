# SPDX-License-Identifier: GPL-3.0-or-later
# A pattern of the user's own, started over the bus with velmo, gives its
# bytes at its times in the trace (none early, drift-free); velmo lists it
# and sets the speed; --pattern starts it, or is refused when there is no
# such pattern; the step thread runs at real-time priority when run as
# root.
source "$E2E_LIB"
e2e_setup
start_session_bus
unset VELMO_PORT # the default register: bus names without a target
make_program_folder "$WORK/chaser" chaser "$VELMO_EXAMPLES/Velmo1.ini"
cat >>"$WORK/chaser/Velmo1.ini" <<'INI'

[pattern7]
name=Par
steps=3, 0x0C, 48, 192
time=100,200,50,150
INI
velmo() { "$VELMO_BIN_DIR/velmo" "$@"; }

start_program "$WORK/chaser/chaser" --headless
chaser_pid=$LAST_PID
wait_trace_count 1
_listed() { [[ $(velmo chaser list 2>/dev/null) == $'1 Løpelys 1\n2 Løpelys 2\n3 Løpelys 3\n7 Par' ]]; }
wait_until 10 _listed || fail "velmo chaser list said: $(velmo chaser list 2>&1)"
velmo chaser start 7
wait_trace_count 10
# From the click's 0: each step its time after the one before, two cycles.
awk '
  BEGIN { split("3 12 48 192 3 12 48 192", bytes); split("100 300 350 500 600 800 850 1000", at) }
  $2 == "out" { n++ }
  n == 2 { zero = $1 }
  n > 2 && n <= 10 {
    i = n - 2; late = ($1 - zero) / 1e6 - at[i]
    if ($4 != bytes[i]) { print "step " i " wrote " $4 ", not " bytes[i]; bad = 1 }
    if (late < 0 || late > 250) { print "step " i " came " late " ms from its time"; bad = 1 }
  }
  END { exit bad }' "$WORK/trace" >"$WORK/steps" || fail "$(cat "$WORK/steps")"

velmo chaser speed 2
speed=$(gdbus call --session --dest org.velmo.Chaser --object-path /org/velmo/Chaser \
  --method org.freedesktop.DBus.Properties.Get org.velmo.Chaser1 Speed)
[[ $speed == "(<2.0>,)" ]] || fail "Speed is $speed after velmo chaser speed 2"
velmo chaser start 8 2>"$WORK/refused" && fail "velmo chaser start 8 was taken"
grep -qF "No pattern 8: the chaser's patterns are 1, 2, 3, 7." "$WORK/refused" ||
  fail "start 8 was refused with: $(cat "$WORK/refused")"
# A second chaser on the port passes --pattern on to the one that runs, and
# ends with 1 when that one has no such pattern.
velmo chaser stop
"$WORK/chaser/chaser" --headless --pattern 7 >"$WORK/second.out" 2>&1 || fail "a second chaser --pattern 7 failed: $(cat "$WORK/second.out")"
[[ $(velmo status --json) == *'"pattern":7'* ]] || fail "--pattern 7 did not start it: $(velmo status --json)"
status=0
"$WORK/chaser/chaser" --headless --pattern 8 >"$WORK/second.out" 2>&1 || status=$?
((status == 1)) && grep -qF "did not start pattern 8: No pattern 8" "$WORK/second.out" ||
  fail "a second chaser --pattern 8 ended with $status: $(cat "$WORK/second.out")"
if ((EUID == 0)); then
  steps=$(grep -l '^velmo-steps$' /proc/"$chaser_pid"/task/*/comm | head -n1)
  chrt -p "$(basename "$(dirname "$steps")")" | grep -q SCHED_FIFO ||
    fail "the step thread is not real-time: $(chrt -p "$(basename "$(dirname "$steps")")")"
fi
kill "$chaser_pid" && wait "$chaser_pid" || true
status=0
"$WORK/chaser/chaser" --headless --pattern 8 >"$WORK/first.out" 2>&1 || status=$?
((status == 1)) && grep -qF -- "--pattern 8: No pattern 8" "$WORK/first.out" ||
  fail "a chaser --pattern 8 without pattern 8 ended with $status: $(cat "$WORK/first.out")"
echo "chaser user pattern ok"
