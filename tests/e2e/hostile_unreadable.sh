# SPDX-License-Identifier: GPL-3.0-or-later
# Settings files that the user may not read read as missing files: both
# programs start, run as a user without root's power to read anything, clear
# the port once, and the chaser's step timers never fire.
source "$E2E_LIB"
e2e_setup
require_unprivileged
: >"$WORK/trace"
give_to_unprivileged "$WORK/trace"
register="$WORK/register"
mkdir "$register"
give_to_unprivileged "$register"
export VELMO_PORT="sim:$register/port-888"

folder="$WORK/velmo"
make_program_folder "$folder" chaser "$VELMO_EXAMPLES/Velmo1.ini"
make_program_folder "$folder" switchpanel "$VELMO_EXAMPLES/Velmo.ini"
chmod 0 "$folder/Velmo1.ini" "$folder/Velmo.ini"

start_unprivileged "$folder/chaser"
wid=$(wait_window "$CHASER_TITLE")
wait_trace_count 1
click_at "$wid" 40 76 # "Løpelys 1": with every interval 0 it only clears the port
wait_trace_count 2
sleep 0.3 # room for a step that should not come
expect_trace_prefix "out 888 0" "out 888 0"
(($(trace_events | wc -l) == 2)) || fail "a step timer fired: the unreadable file was read"
kill "$LAST_PID"
wait "$LAST_PID" 2>/dev/null || true

: >"$WORK/trace"
start_unprivileged "$folder/switchpanel"
wait_window "$PANEL_TITLE" >/dev/null
wait_trace_count 1
expect_trace_prefix "out 888 0"
echo "unreadable settings files ok"
