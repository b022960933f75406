# SPDX-License-Identifier: GPL-3.0-or-later
# The built chaser in a real X server: start-up clears the port, a click on
# "Løpelys 1" clears it again, then its steps come in order and the cycle
# starts over.
source "$E2E_LIB"
e2e_setup

start_example chaser
wid=$LAST_WINDOW
wait_trace_count 1
expect_trace_prefix "out 888 0"

click_at "$wid" 40 76 # centre of "Løpelys 1"
wait_trace_count 11
expect_trace_prefix "out 888 0" "out 888 0" \
  "out 888 1" "out 888 2" "out 888 4" "out 888 8" \
  "out 888 16" "out 888 32" "out 888 64" "out 888 128" \
  "out 888 1"
echo "chaser click ok"
