# SPDX-License-Identifier: GPL-3.0-or-later
# switchpanel in a real X server: start-up clears the port once, and each
# click on an enabled button reads the register and writes it back with that
# button's line switched; a click on a disabled button touches nothing.
source "$E2E_LIB"
e2e_setup

start_example switchpanel
wid=$LAST_WINDOW
wait_trace_count 1
expect_trace_prefix "out 888 0"

# Centre of Command<button> in window pixels: column k at 8 + 104 (k - 1),
# 97 x 25 buttons, top row at 64, bottom row at 112.
click_button() {
  local button=$1
  local line=$(((button + 1) / 2))
  local x=$((8 + 104 * (line - 1) + 48))
  local y=$((button % 2 == 1 ? 76 : 124))
  click_at "$wid" "$x" "$y"
}

click_button 1 # Aktiver vifte 1
wait_trace_count 3
click_button 9 # Aktiver neonlys
wait_trace_count 5
click_button 4 # Deaktiver vifte 2: disabled, nothing happens
click_button 2 # Deaktiver vifte 1
wait_trace_count 7
click_button 16 # Deaktiver utgang 8: disabled
click_button 15 # Aktiver utgang 8
wait_trace_count 9
sleep 0.3 # room for a stray access to show up

expect_trace_prefix "out 888 0" \
  "in 888 0" "out 888 1" \
  "in 888 1" "out 888 17" \
  "in 888 17" "out 888 16" \
  "in 888 16" "out 888 144"
(($(trace_events | wc -l) == 9)) || fail "unexpected port accesses"
kill -0 "$LAST_PID" || fail "switchpanel ended: $(cat "$WORK/switchpanel.out")"
echo "switchpanel clicks ok"
