# SPDX-License-Identifier: GPL-3.0-or-later
# The register path replaced by a symbolic link while the programs run: the
# next access is refused, the program stops with a report that names the
# path and the fix, and nothing is written through the link. The port
# monitor reports the refusal and keeps watching.
source "$E2E_LIB"
e2e_setup
reg="$WORK/port-888"
target="$WORK/elsewhere"
report="The port register $reg is a symbolic link; it is refused so that port writes cannot be \
redirected to another file. Remove the link or choose another register with VELMO_PORT=sim:PATH."

# Puts a link to $target at the register path in one step, as an attacker would.
replace_register_by_link() {
  ln -s "$target" "$WORK/link"
  mv -T "$WORK/link" "$reg"
}
target_unchanged() {
  [[ $(cat "$target") == "keep" ]] || fail "the link target was written: $(od -c "$target")"
}
echo keep >"$target"

start_monitor_watch
monitor=$LAST_PID
start_example switchpanel
panel=$LAST_PID wid=$LAST_WINDOW
click_at "$wid" 56 76 # "Aktiver vifte 1"
wait_trace_count 3
replace_register_by_link
click_at "$wid" 160 76 # "Aktiver vifte 2"
expect_fatal_report "$panel" switchpanel "$report"
target_unchanged
expect_trace_prefix "out 888 0" "in 888 0" "out 888 1"
(($(trace_events | wc -l) == 3)) || fail "switchpanel went on after the refusal"
_monitor_refused() { grep -qxF "$report" "$WORK/portmonitor.out"; }
wait_until 10 _monitor_refused || fail "the monitor did not report the link: $(cat "$WORK/portmonitor.out")"
kill -0 "$monitor" || fail "the monitor ended"

# The chaser, stepping through "Løpelys 1", stops at its next step.
rm "$reg"
start_example chaser
chaser=$LAST_PID wid=$LAST_WINDOW
click_at "$wid" 40 76
count=$(trace_events | wc -l)
wait_trace_count $((count + 4))
replace_register_by_link
expect_fatal_report "$chaser" chaser "$report"
target_unchanged
echo "register replaced by a symbolic link ok"
