# SPDX-License-Identifier: GPL-3.0-or-later
# chaser and switchpanel on one simulated register: what one writes, the
# other's next read sees. The chaser's settings make "Løpelys 1" write 0, then
# 1 once, and stop, so every byte is known.
source "$E2E_LIB"
e2e_setup

make_program_folder "$WORK/chaser" chaser "$VELMO_TEST_DATA/switchpanel/shared_register/Velmo1.ini"
make_program_folder "$WORK/panel" switchpanel "$VELMO_EXAMPLES/Velmo.ini"

start_program "$WORK/chaser/chaser"
chaser=$(wait_window "$CHASER_TITLE")
wait_trace_count 1
start_program "$WORK/panel/switchpanel"
panel=$(wait_window "$PANEL_TITLE")
wait_trace_count 2
xdotool windowmove --sync "$panel" 0 300 # both open at the top-left corner

# Centre of switchpanel's Command<button>: column (button + 1) / 2, odd on top.
click_panel() {
  local line=$((($1 + 1) / 2))
  click_at "$panel" $((8 + 104 * (line - 1) + 48)) $(($1 % 2 == 1 ? 76 : 124))
}

click_panel 1 # Aktiver vifte 1
wait_trace_count 4
click_panel 9 # Aktiver neonlys
wait_trace_count 6
click_at "$chaser" 40 76 # Løpelys 1: 0, then 1
wait_trace_count 8
click_panel 5 # Aktiver vifte 3: reads the chaser's 1, not its own 17
wait_trace_count 10
click_at "$chaser" 256 76 # Deaktiver: 0
wait_trace_count 11
click_panel 2 # Deaktiver vifte 1: reads the chaser's 0
wait_trace_count 13
sleep 0.3 # room for a stray access to show up

expect_trace_prefix "out 888 0" "out 888 0" \
  "in 888 0" "out 888 1" \
  "in 888 1" "out 888 17" \
  "out 888 0" "out 888 1" \
  "in 888 1" "out 888 5" \
  "out 888 0" \
  "in 888 0" "out 888 0"
(($(trace_events | wc -l) == 13)) || fail "unexpected port accesses"
echo "shared register ok"
