# switchpanel and icewm's notification area: minimising hides the window
# behind one icon, a single click on the icon does nothing, a double-click
# brings the window back and removes the icon, and closing leaves no icon.
# The port sees only the start-up write throughout.
E2E_WM=icewm
source "$E2E_LIB"
e2e_setup

start_example switchpanel
wid=$LAST_WINDOW
wait_trace_count 1

# Our icons docked in the tray: icewm embeds each in a YXTrayEmbedder window.
tray_icons() {
  xwininfo -root -tree | grep -A2 'YXTrayEmbedder' | awk '/"switchpanel"/ {print $1}'
}
icon_count() { tray_icons | grep -c . || true; }
icon_docked() { (($(icon_count) == 1)); }
no_icon() { (($(icon_count) == 0)); }
map_state() { xwininfo -id "$wid" | awk '/Map State:/ {print $3}'; }
window_hidden() { [[ $(map_state) == IsUnMapped ]]; }
window_shown() { [[ $(map_state) == IsViewable ]]; }
on_taskbar() { xprop -root _NET_CLIENT_LIST | grep -qi "$(printf '0x%x' "$wid")"; }

minimise_into_tray() {
  xdotool windowminimize "$wid"
  wait_until 10 icon_docked || fail "no icon in the notification area ($(icon_count) found)"
  wait_until 10 window_hidden || fail "the window is still mapped: $(map_state)"
  ! on_taskbar || fail "the hidden window is still on the taskbar"
}

# No --sync: it waits for the pointer to move and the pointer may already be
# there; the server handles the motion before the clicks all the same.
click_icon() { xdotool mousemove --window "$(tray_icons)" 12 12 click "$@" 1; }

double_click_icon() {
  click_icon --repeat 2 --delay 80
  wait_until 10 window_shown || fail "a double-click on the icon did not bring the window back"
  wait_until 10 no_icon || fail "the icon stayed after the restore"
}

no_icon || fail "an icon is shown before the first minimise"
minimise_into_tray

click_icon
sleep 0.7 # longer than a double-click interval
window_hidden || fail "a single click on the icon changed the window"
icon_docked || fail "a single click on the icon changed the icon"

double_click_icon
on_taskbar || fail "the restored window is not on the taskbar"

# A second round: again one icon, never two.
minimise_into_tray
double_click_icon

# Close with the window manager's Alt+F4: no icon is left behind.
minimise_into_tray
double_click_icon
xdotool mousemove --window "$wid" 600 140 click 1
xdotool key alt+F4
wait_until 10 bash -c "! kill -0 $LAST_PID 2>/dev/null" || fail "switchpanel did not close"
wait "$LAST_PID" || fail "switchpanel ended with status $?: $(cat "$WORK/switchpanel.out")"
no_icon || fail "an icon was left behind after closing"

[[ "$(trace_events)" == "out 888 0" ]] || fail "the tray touched the port"
echo "switchpanel tray ok"
