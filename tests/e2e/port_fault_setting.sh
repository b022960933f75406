# SPDX-License-Identifier: GPL-3.0-or-later
# An unknown VELMO_PORT: each program stops at its first port access, before
# its window shows, with a report that lists the valid forms; the port
# monitor stops the same way, in its window and in the terminal. Nothing is
# created or written.
source "$E2E_LIB"
e2e_setup
export VELMO_PORT=parallel XDG_CONFIG_HOME="$WORK/config"
report="VELMO_PORT=\"parallel\" is not a port setting. Valid forms: unset, empty or \"sim\" for \
the simulated register $XDG_RUNTIME_DIR/velmo/port-888; \"sim:PATH\" for a simulated register \
in the file PATH; \"hw:NAME\" for the parallel port NAME that libieee1284 lists, such as \
hw:parport0; \"ola:UNIVERSE[:CHANNEL][@RPCPORT]\" for DMX channels CHANNEL to CHANNEL+7 (1 to 8 \
unless given) of an OLA universe, sent to olad at RPCPORT on this machine (9010 unless given), \
such as ola:1; \"ftdi:[DEVICE]\" for a relay board with an FTDI FT245R or FT232R in bit-bang \
mode, DEVICE as libftdi takes it (i:VID:PID[:INDEX], s:VID:PID:SERIAL or d:BUS/DEV; the first \
such board unless given), such as ftdi: or ftdi:s:0x0403:0x6001:A9HXJ2PK; \"hidrelay:[SERIAL]\" \
for the USB HID relay board (16c0:05df, USBRelay1 to USBRelay8) with that serial (the first one \
unless given), such as hidrelay:; \"serial:DEVICE\" for a serial relay board (frames A0, relay, \
0 or 1, sum; 9600 baud) on the port DEVICE, such as serial:/dev/ttyUSB0; \"gpio:CHIP:L1,...,L8\" \
for GPIO lines of the chip CHIP (a name, path, label or number), line N on LN (an offset or a \
line name; a leading ! when the relay switches on low), such as \
gpio:gpiochip0:17,18,27,22,23,24,25,4; \"mqtt:[USER@]HOST[:PORT]/TOPIC[?on=ON&off=OFF]\" \
(\"mqtts:\" with TLS) for smart relays on the MQTT broker HOST (port 1883, or 8883 with TLS, \
unless given), line N published on TOPIC with {line} as N or {index} as N-1, ON or OFF (unless \
given), the password of USER in $XDG_CONFIG_HOME/velmo/mqtt-password, such as \
mqtt:broker/cmnd/relays/POWER{line}."

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
