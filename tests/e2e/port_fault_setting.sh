# SPDX-License-Identifier: GPL-3.0-or-later
# An unknown VELMO_PORT: each program stops at its first port access, before
# its window shows, with a report that lists the valid forms; the port
# monitor stops the same way, in its window and in the terminal. Nothing is
# created or written.
source "$E2E_LIB"
e2e_setup
export VELMO_PORT=parallel
report="VELMO_PORT=\"parallel\" is not a port setting. Valid forms: unset, empty or \"sim\" for \
the simulated register $XDG_RUNTIME_DIR/velmo/port-888; \"sim:PATH\" for a simulated register \
in the file PATH; \"hw:NAME\" for the parallel port NAME that libieee1284 lists, such as \
hw:parport0; \"ola:UNIVERSE[:CHANNEL][@RPCPORT]\" for DMX channels CHANNEL to CHANNEL+7 (1 to 8 \
unless given) of an OLA universe, sent to olad at RPCPORT on this machine (9010 unless given), \
such as ola:1."

make_program_folder "$WORK/velmo" chaser "$VELMO_EXAMPLES/Velmo1.ini"
start_program "$WORK/velmo/chaser"
expect_fatal_report "$LAST_PID" chaser "$report" "$CHASER_TITLE"

make_program_folder "$WORK/velmo" switchpanel "$VELMO_EXAMPLES/Velmo.ini"
start_program "$WORK/velmo/switchpanel"
expect_fatal_report "$LAST_PID" switchpanel "$report" "$PANEL_TITLE"

make_program_folder "$WORK/velmo" portmonitor
start_program "$WORK/velmo/portmonitor"
expect_fatal_report "$LAST_PID" portmonitor "$report" '^Port monitor$'

status=0
"$WORK/velmo/portmonitor" --watch >"$WORK/watch.out" 2>&1 || status=$?
[[ $status -eq 1 ]] || fail "portmonitor --watch ended with status $status, expected 1"
grep -qxF "portmonitor: $report" "$WORK/watch.out" ||
  fail "portmonitor --watch did not report the setting: $(cat "$WORK/watch.out")"

[[ ! -e "$XDG_RUNTIME_DIR/velmo" ]] || fail "the default register folder was created"
[[ ! -e "$WORK/port-888" && ! -e "$WORK/trace" ]] || fail "a register or trace was written"
echo "unknown VELMO_PORT ok"
