# SPDX-License-Identifier: GPL-3.0-or-later
# The end-to-end harness itself: an X server comes up and the helpers work.
source "$E2E_LIB"
e2e_setup
xdpyinfo >/dev/null 2>&1 || xdotool getdisplaygeometry >/dev/null || fail "no X server on $DISPLAY"
echo "10 out 888 0" >"$WORK/trace"
wait_trace_count 1 1
expect_trace_prefix "out 888 0"
echo "e2e harness ok on $DISPLAY"
