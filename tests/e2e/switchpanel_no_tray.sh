# switchpanel under a window manager without a notification area: minimising
# leaves the window minimised on the taskbar, where the user can get it back,
# instead of hiding it behind an icon nobody can see.
source "$E2E_LIB"
e2e_setup

mkdir -p "$WORK/icewm-no-tray"
echo "TaskBarEnableSystemTray=0" >"$WORK/icewm-no-tray/preferences"
ICEWM_PRIVCFG="$WORK/icewm-no-tray" icewm >"$WORK/icewm.log" 2>&1 &
E2E_PIDS="$E2E_PIDS $!"
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
wait_until 20 wm_running || fail "icewm did not start"

start_example switchpanel
wid=$LAST_WINDOW

wm_state() { xprop -id "$wid" WM_STATE 2>/dev/null | awk '/window state:/ {print $3}'; }
iconic() { [[ $(wm_state) == Iconic ]]; }
normal() { [[ $(wm_state) == Normal ]]; }
on_taskbar() { xprop -root _NET_CLIENT_LIST | grep -qi "$(printf '0x%x' "$wid")"; }

xdotool windowminimize "$wid"
wait_until 10 iconic || fail "the window was not minimised: WM_STATE $(wm_state)"
sleep 0.5 # room for a wrong hide to happen
iconic || fail "the minimised window was withdrawn: WM_STATE $(wm_state)"
on_taskbar || fail "the minimised window is not on the taskbar"
! xwininfo -root -tree | grep -q '"switchpanel".*24x24' || fail "an icon appeared"

xdotool windowactivate "$wid"
wait_until 10 normal || fail "the window did not come back from the taskbar: $(wm_state)"
kill -0 "$LAST_PID" || fail "switchpanel ended: $(cat "$WORK/switchpanel.out")"
echo "switchpanel without notification area ok"
