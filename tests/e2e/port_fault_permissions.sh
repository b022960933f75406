# SPDX-License-Identifier: GPL-3.0-or-later
# Files the user may not write, met by programs run without root's power to
# write anywhere: a simulated register in a folder without write permission,
# a register the user may not open, and a trace in a folder without write
# permission each stop the program at start-up, before its window shows,
# with a report that names the path, the reason and the fix. Nothing is
# created or changed. A register that exists and may be written works in a
# folder without write permission.
source "$E2E_LIB"
e2e_setup
trap 'chmod u+w "$WORK/locked" 2>/dev/null || true; _e2e_cleanup' EXIT # a user can empty it again
require_unprivileged
: >"$WORK/trace"
give_to_unprivileged "$WORK/trace"
make_program_folder "$WORK/velmo" chaser "$VELMO_EXAMPLES/Velmo1.ini"
make_program_folder "$WORK/velmo" switchpanel "$VELMO_EXAMPLES/Velmo.ini"
choose_another="or choose another register with VELMO_PORT=sim:PATH."

locked="$WORK/locked"
mkdir -m 555 "$locked"
export VELMO_PORT="sim:$locked/port-888"
start_unprivileged "$WORK/velmo/chaser"
expect_fatal_report "$LAST_PID" chaser "Cannot create the port register $locked/port-888: \
Permission denied. Check that its folder $locked exists and that you may write there, \
$choose_another" "$CHASER_TITLE"
[[ -z "$(ls -A "$locked")" ]] || fail "files appeared in the locked folder: $(ls -A "$locked")"

closed="$WORK/closed-888"
printf '\x2a' >"$closed"
chmod 0 "$closed"
export VELMO_PORT="sim:$closed"
start_unprivileged "$WORK/velmo/switchpanel"
expect_fatal_report "$LAST_PID" switchpanel "Cannot open the port register $closed: \
Permission denied. Check that you may read and write it, $choose_another" "$PANEL_TITLE"
chmod 600 "$closed"
[[ $(od -An -tu1 "$closed" | tr -d ' ') == 42 ]] || fail "the closed register was changed"

free="$WORK/free"
mkdir "$free"
give_to_unprivileged "$free"
export VELMO_PORT="sim:$free/port-888" VELMO_PORT_TRACE="$locked/trace"
start_unprivileged "$WORK/velmo/chaser"
expect_fatal_report "$LAST_PID" chaser "Cannot open the port trace $locked/trace \
(VELMO_PORT_TRACE): Permission denied. Choose a file in a folder you may write, or unset \
VELMO_PORT_TRACE." "$CHASER_TITLE"
[[ ! -e "$free/port-888" ]] || fail "the chaser wrote the register without its trace"

# A register that exists needs no write permission on its folder.
chmod u+w "$locked"
printf '\x81' >"$locked/port-888"
chmod 555 "$locked"
give_to_unprivileged "$locked/port-888"
export VELMO_PORT="sim:$locked/port-888" VELMO_PORT_TRACE="$WORK/trace"
start_unprivileged "$WORK/velmo/chaser"
wait_window "$CHASER_TITLE" >/dev/null
wait_trace_count 1
expect_trace_prefix "out 888 0"
[[ $(od -An -tu1 "$locked/port-888" | tr -d ' ') == 0 ]] || fail "the register does not hold 0"
echo "permission faults ok"
