# SPDX-License-Identifier: GPL-3.0-or-later
# The simulated register truncated to zero bytes or deleted while the
# programs run: the next access works again, nothing crashes. switchpanel's
# next click reads 0 and writes its line's bit; the chaser keeps stepping
# and makes the register anew; the port monitor follows the new file.
source "$E2E_LIB"
e2e_setup
reg="$WORK/port-888"
register_byte() { od -An -tu1 "$reg" | tr -d ' '; }

start_monitor_watch
monitor=$LAST_PID
start_example switchpanel
panel=$LAST_PID wid=$LAST_WINDOW
wait_trace_count 1

# "Aktiver" of line k: column k at 8 + 104 (k - 1), top row, centre.
activate() { click_at "$wid" $((8 + 104 * ($1 - 1) + 48)) 76; }

activate 1
wait_trace_count 3
truncate -s 0 "$reg"
activate 2
wait_trace_count 5
rm "$reg"
activate 3
wait_trace_count 7
expect_trace_prefix "out 888 0" "in 888 0" "out 888 1" "in 888 0" "out 888 2" "in 888 0" \
  "out 888 4"
[[ $(register_byte) == 4 ]] || fail "the register holds $(register_byte), expected 4"
kill -0 "$panel" || fail "switchpanel ended: $(cat "$WORK/switchpanel.out")"
_monitor_shows_4() { grep -q ' out 0x04 ' "$WORK/portmonitor.out"; }
wait_until 10 _monitor_shows_4 || fail "the monitor lost the register: $(cat "$WORK/portmonitor.out")"
kill "$panel"

# "Løpelys 1" writes a byte every 100 ms, eight a cycle.
start_example chaser
chaser=$LAST_PID wid=$LAST_WINDOW
click_at "$wid" 40 76 # "Løpelys 1"
for fault in "truncate -s 0 $reg" "rm $reg"; do
  count=$(trace_events | wc -l)
  $fault
  wait_trace_count $((count + 8))
  [[ -s "$reg" ]] || fail "the register stayed empty after: $fault"
done
kill -0 "$chaser" || fail "the chaser ended: $(cat "$WORK/chaser.out")"
kill -0 "$monitor" || fail "the monitor ended: $(cat "$WORK/portmonitor.out")"
echo "register truncated and deleted ok"
