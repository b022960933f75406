# SPDX-License-Identifier: GPL-3.0-or-later
# switchpanel under a window manager without a notification area: minimising
# leaves the window minimised on the taskbar, where the user can get it back,
# instead of hiding it behind an icon nobody can see.
E2E_WM=icewm-no-tray
source "$E2E_LIB"
e2e_setup

start_example switchpanel
wid=$LAST_WINDOW

iconic() { [[ $(wm_state "$wid") == Iconic ]]; }
normal() { [[ $(wm_state "$wid") == Normal ]]; }

xdotool windowminimize "$wid"
wait_until 10 iconic || fail "the window was not minimised: WM_STATE $(wm_state "$wid")"
sleep 0.5 # room for a wrong hide to happen
iconic || fail "the minimised window was withdrawn: WM_STATE $(wm_state "$wid")"
on_taskbar "$wid" || fail "the minimised window is not on the taskbar"
! xwininfo -root -tree | grep -q '"switchpanel".*24x24' || fail "an icon appeared"

xdotool windowactivate "$wid"
wait_until 10 normal || fail "the window did not come back from the taskbar: $(wm_state "$wid")"
kill -0 "$LAST_PID" || fail "switchpanel ended: $(cat "$WORK/switchpanel.out")"
echo "switchpanel without notification area ok"
