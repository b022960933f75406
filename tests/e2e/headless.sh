# SPDX-License-Identifier: GPL-3.0-or-later
# Headless: with no display, "chaser --headless --pattern 1" runs the pattern
# at once, is driven through the session bus, says nothing and ends with
# status 0 on SIGTERM; with a bad step time it reports on standard error and
# ends with status 1 by itself: no message box waits on the display there is.
source "$E2E_LIB"
e2e_setup
start_session_bus
unset VELMO_PORT # the default register, in this test's own runtime folder: bus names without a target
make_program_folder "$WORK/chaser" chaser "$VELMO_EXAMPLES/Velmo1.ini"
call() {
  gdbus call --session --dest org.velmo.Chaser --object-path /org/velmo/Chaser \
    --method "org.velmo.Chaser1.$1" "${@:2}" >/dev/null
}

display=$DISPLAY
unset DISPLAY
start_program "$WORK/chaser/chaser" --headless --pattern 1
DISPLAY=$display
chaser_pid=$LAST_PID
wait_trace_count 11
expect_trace_prefix "out 888 0" "out 888 0" "out 888 1" "out 888 2" "out 888 4" "out 888 8" \
  "out 888 16" "out 888 32" "out 888 64" "out 888 128" "out 888 1"
call Stop
_last_is() { [[ $(trace_events | tail -n1) == "out 888 $1" ]]; }
wait_until 5 _last_is 0 || fail "Stop wrote no 0"
call Start 3
wait_until 5 _last_is 24 || fail "Start 3 did not light the centre pair"
kill -TERM "$chaser_pid"
wait_exit "$chaser_pid"
((EXIT_STATUS == 0)) || fail "the headless chaser ended with status $EXIT_STATUS on SIGTERM"
# Where real-time priority is not granted (a user without the limits), it says so, and only that.
said=$(grep -v 'real-time priority was not granted' "$WORK/chaser.out" || true)
[[ -z "$said" ]] || fail "the headless chaser said: $said"

sed -i 's/^tiden2=300$/tiden2=70000/' "$WORK/chaser/Velmo1.ini"
start_program "$WORK/chaser/chaser" --headless
wait_exit "$LAST_PID" 20
((EXIT_STATUS == 1)) || fail "the chaser with a bad step time ended with status $EXIT_STATUS"
grep -qxF "chaser: $WORK/chaser/Velmo1.ini [timer3] tiden2 = 70000: a step time must be 0 to 65535 ms" \
  "$WORK/chaser.out" || fail "the chaser with a bad step time said: $(cat "$WORK/chaser.out")"
echo "headless ok"
