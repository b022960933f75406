# SPDX-License-Identifier: GPL-3.0-or-later
# switchpanel and icewm's notification area (an XEmbed tray): the pointer
# moving across the shown panel leaves another window active and the stacking
# as it was; minimising hides the window behind one icon, a single click on
# the icon does nothing, a double-click or the icon's menu entry
# "Gjenopprett" brings the window back in its normal state at its place and
# removes the icon, and closing leaves no icon. The port sees only the
# start-up write throughout. Started with --minimized, the panel shows its
# icon alone.
E2E_WM=icewm
source "$E2E_LIB"
e2e_setup

start_example switchpanel
wid=$LAST_WINDOW
wait_trace_count 1

# Another window active, then the pointer across the panel: over the
# picture, between the button rows and over the background below them, every
# 5 pixels.
xmessage -geometry +200+100 "another window" >/dev/null 2>&1 &
E2E_PIDS="$E2E_PIDS $!"
other=$(wait_window '^xmessage$')
xdotool windowactivate --sync "$other"
active() { xprop -root _NET_ACTIVE_WINDOW | awk '{print $NF}'; }
stacking() { xprop -root _NET_CLIENT_LIST_STACKING; }
active_before=$(active)
stacking_before=$(stacking)
moves=()
for y in 30 100 140; do
  for x in $(seq 0 5 840); do moves+=(mousemove --window "$wid" "$x" "$y"); done
done
xdotool "${moves[@]}"
sleep 0.5 # room for a wrong raise to happen
[[ $(active) == "$active_before" ]] || fail "the pointer over the panel changed the active window"
[[ $(stacking) == "$stacking_before" ]] || fail "the pointer over the panel changed the stacking"
place=$(window_place "$wid")

# Our icons docked in the tray: icewm embeds each in a YXTrayEmbedder window.
tray_icons() {
  xwininfo -root -tree | grep -A2 'YXTrayEmbedder' | awk '/"switchpanel"/ {print $1}'
}
icon_count() { tray_icons | grep -c . || true; }
icon_docked() { (($(icon_count) == 1)); }
no_icon() { (($(icon_count) == 0)); }

# No --sync: it waits for the pointer to move and the pointer may already be
# there; the server handles the motion before the clicks all the same.
click_icon() { xdotool mousemove --window "$(tray_icons)" 12 12 click "$@"; }

restored_by() {
  expect_restored "$wid" "$place" icon_count "$1"
  on_taskbar "$wid" || fail "after $1 the window is not on the taskbar"
}

no_icon || fail "an icon is shown before the first minimise"
minimise_into_tray "$wid" icon_count

click_icon 1
sleep 0.7 # longer than a double-click interval
window_hidden "$wid" || fail "a single click on the icon changed the window"
icon_docked || fail "a single click on the icon changed the icon"

click_icon --repeat 2 --delay 80 1
restored_by "a double-click on the icon"

# A second round: again one icon, never two; the menu entry restores.
minimise_into_tray "$wid" icon_count
click_icon 3
# The menu open: a window of ours beside the icon. Its one entry is chosen
# with the keyboard, which the menu holds.
menu_open() { (($(xdotool search --onlyvisible --class '^switchpanel$' 2>/dev/null | wc -l) == 2)); }
wait_until 10 menu_open || fail "a right click on the icon opened no menu"
xdotool key Down Return
restored_by "the menu entry"

# Close with the window manager's Alt+F4: no icon is left behind.
minimise_into_tray "$wid" icon_count
click_icon --repeat 2 --delay 80 1
restored_by "a double-click on the icon"
xdotool mousemove --window "$wid" 600 140 click 1
xdotool key alt+F4
wait_until 10 bash -c "! kill -0 $LAST_PID 2>/dev/null" || fail "switchpanel did not close"
wait "$LAST_PID" || fail "switchpanel ended with status $?: $(cat "$WORK/switchpanel.out")"
no_icon || fail "an icon was left behind after closing"

[[ "$(trace_events)" == "out 888 0" ]] || fail "the tray touched the port"

# Started with --minimized, the panel goes straight into the notification area.
start_program "$WORK/switchpanel/switchpanel" --minimized
wait_until 10 icon_docked || fail "switchpanel --minimized docked $(icon_count) icons"
sleep 0.3 # room for a window to be mapped
[[ -z $(xdotool search --onlyvisible --name "$PANEL_TITLE") ]] || fail "switchpanel --minimized mapped its window"
echo "switchpanel tray ok"
