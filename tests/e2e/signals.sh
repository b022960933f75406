# SPDX-License-Identifier: GPL-3.0-or-later
# SIGTERM and SIGINT end either program as closing its window does: status 0,
# nothing more written to the port, and no icon left in the notification area.
E2E_WM=icewm
source "$E2E_LIB"
e2e_setup

# The chaser, mid-pattern: the lines keep the last step's byte.
start_example chaser
chaser_pid=$LAST_PID wid=$LAST_WINDOW
wait_trace_count 1
click_at "$wid" 40 76
wait_trace_count 5
kill -TERM "$chaser_pid"
wait_exit "$chaser_pid"
((EXIT_STATUS == 0)) || fail "the chaser ended with status $EXIT_STATUS on SIGTERM"
written=$(trace_events | wc -l)
sleep 0.3 # longer than a step: a timer still running would write now
(($(trace_events | wc -l) == written)) || fail "the port was written after the chaser ended"
[[ $(trace_events | tail -n1) != "out 888 0" ]] || fail "the chaser cleared the port on its way out"

# The switch panel, hidden in the notification area, with a line switched on.
: >"$WORK/trace"
start_example switchpanel
panel_pid=$LAST_PID wid=$LAST_WINDOW
wait_trace_count 1
click_at "$wid" 56 76 # "Aktiver vifte 1"
wait_trace_count 3
xdotool windowminimize "$wid"
_docked() { (($(tray_icon_count switchpanel) == 1)); }
wait_until 10 _docked || fail "the panel did not go into the notification area"
kill -INT "$panel_pid"
wait_exit "$panel_pid"
((EXIT_STATUS == 0)) || fail "switchpanel ended with status $EXIT_STATUS on SIGINT"
(($(tray_icon_count switchpanel) == 0)) || fail "an icon was left in the notification area"
[[ "$(trace_events)" == $'out 888 0\nin 888 0\nout 888 1' ]] || fail "unexpected port accesses"
echo "signals ok"
