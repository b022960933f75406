# SPDX-License-Identifier: GPL-3.0-or-later
# A port trace that cannot be opened stops the program at its first port
# access, before its window shows, with a report that names the trace path,
# the reason and the fix. The register is not touched: a recording that
# silently missed accesses would be worse.
source "$E2E_LIB"
e2e_setup

make_program_folder "$WORK/velmo" chaser "$VELMO_EXAMPLES/Velmo1.ini"
export VELMO_PORT_TRACE="$WORK/no-folder/trace"
start_program "$WORK/velmo/chaser"
expect_fatal_report "$LAST_PID" chaser "Cannot open the port trace $VELMO_PORT_TRACE \
(VELMO_PORT_TRACE): No such file or directory. Choose a file in a folder you may write, or \
unset VELMO_PORT_TRACE." "$CHASER_TITLE"
[[ ! -e "$WORK/port-888" ]] || fail "the chaser wrote the register without its trace"

make_program_folder "$WORK/velmo" switchpanel "$VELMO_EXAMPLES/Velmo.ini"
export VELMO_PORT_TRACE="$WORK/velmo"
start_program "$WORK/velmo/switchpanel"
expect_fatal_report "$LAST_PID" switchpanel "Cannot open the port trace $VELMO_PORT_TRACE \
(VELMO_PORT_TRACE): Is a directory. Choose a file in a folder you may write, or unset \
VELMO_PORT_TRACE." "$PANEL_TITLE"
[[ ! -e "$WORK/port-888" ]] || fail "switchpanel wrote the register without its trace"

# A named pipe that no program reads: a report at once, not a program that
# waits for a reader before its window shows.
export VELMO_PORT_TRACE="$WORK/fifo"
mkfifo "$VELMO_PORT_TRACE"
start_program "$WORK/velmo/chaser"
expect_fatal_report "$LAST_PID" chaser "Cannot open the port trace $VELMO_PORT_TRACE \
(VELMO_PORT_TRACE): it is a named pipe that no program reads. Start the program that reads it \
first, or choose a file in a folder you may write, or unset VELMO_PORT_TRACE." "$CHASER_TITLE"
[[ ! -e "$WORK/port-888" ]] || fail "the chaser wrote the register without its trace"
echo "trace faults ok"
