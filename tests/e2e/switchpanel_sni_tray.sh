# SPDX-License-Identifier: GPL-3.0-or-later
# switchpanel on a StatusNotifierItem host, the D-Bus notification area of
# today's desktops, played by status_notifier_host on a private session bus
# under icewm without a tray of its own. Minimising leaves one registered
# item and no mapped window; the host's Activate, and the item's menu entry
# "Gjenopprett", bring the window back in its normal state at its place and
# remove the item; ContextMenu and SecondaryActivate change nothing. The port
# sees only the start-up write throughout.
E2E_WM=icewm-no-tray
source "$E2E_LIB"
e2e_setup
start_session_bus
host() { "$STATUS_NOTIFIER_HOST" "$@"; }
"$STATUS_NOTIFIER_HOST" serve >"$WORK/host.out" 2>&1 &
E2E_PIDS="$E2E_PIDS $!"
wait_until 10 host items >/dev/null 2>&1 || fail "the host did not start: $(cat "$WORK/host.out")"

start_example switchpanel
wid=$LAST_WINDOW
wait_trace_count 1
place=$(window_place "$wid")

item_count() { host items | grep -c . || true; }
no_item() { (($(item_count) == 0)); }

# restore_with COMMAND...: the host command brings the window back.
restore_with() {
  host "$@" || fail "the host could not reach the item"
  expect_restored "$wid" "$place" item_count "'$*'"
}

no_item || fail "an item is registered before the first minimise"
minimise_into_tray "$wid" item_count
host call ContextMenu || fail "ContextMenu did not reach the item"
host call SecondaryActivate || fail "SecondaryActivate did not reach the item"
sleep 0.5 # room for a wrong restore to happen
window_hidden "$wid" || fail "ContextMenu or SecondaryActivate brought the window back"
(($(item_count) == 1)) || fail "ContextMenu or SecondaryActivate changed the item"
restore_with call Activate

minimise_into_tray "$wid" item_count
restore_with call Activate

minimise_into_tray "$wid" item_count
restore_with menu Gjenopprett

[[ "$(trace_events)" == "out 888 0" ]] || fail "the tray touched the port"
echo "switchpanel on a StatusNotifierItem host ok"
