# SPDX-License-Identifier: GPL-3.0-or-later
# The session bus and velmo: calls write what clicks write, properties and
# PropertiesChanged follow clicks, bad arguments change nothing, a second start
# hands its request to the first, velmo drives both programs, tells what
# portmonitor shows, lets the bus start a program, and tells what does not run.
source "$E2E_LIB"
e2e_setup
# The default register ($XDG_RUNTIME_DIR is the test's own), as the bus names are.
unset VELMO_PORT
mkdir "$WORK/services"
cat >"$WORK/services/org.velmo.Chaser.service" <<SERVICE
[D-BUS Service]
Name=org.velmo.Chaser
Exec=$WORK/chaser/chaser --headless
SERVICE
start_session_bus "$WORK/services"

velmo() { "$VELMO_BIN_DIR/velmo" "$@"; }
count() { trace_events | wc -l; }
since() { trace_events | tail -n "+$(($1 + 1))"; }
# call PROGRAM METHOD ARGS...: gdbus call to org.velmo.PROGRAM.
call() { gdbus call --session --dest "org.velmo.$1" --object-path "/org/velmo/$1" --method "${@:2}"; }
# expect_property PROGRAM NAME VALUE: as gdbus prints it ("uint32 1").
expect_property() {
  local value
  value=$(call "$1" org.freedesktop.DBus.Properties.Get "org.velmo.${1}1" "$2")
  [[ $value == "(<$3>,)" ]] || fail "$1's $2 is $value, expected $3"
}
# refused PROGRAM METHOD ARGS...: dbus-send's call is refused as an invalid argument.
refused() {
  local answer
  answer=$(dbus-send --session --print-reply --dest="org.velmo.$1" "/org/velmo/$1" "${@:2}" 2>&1) &&
    fail "$* was taken"
  [[ $answer == *org.velmo.Error.InvalidArgument* ]] || fail "$* was answered: $answer"
}
# watch_signals PROGRAM: gdbus monitor on it, into $WORK/PROGRAM.signals.
watch_signals() {
  gdbus monitor --session --dest "org.velmo.$1" >"$WORK/$1.signals" 2>&1 &
  E2E_PIDS="$E2E_PIDS $!"
  _watching() { grep -q 'is owned by' "$WORK/$1.signals"; }
  wait_until 10 _watching "$1" || fail "gdbus monitor did not start: $(cat "$WORK/$1.signals")"
}
signalled() { grep -qF "PropertiesChanged ('org.velmo.${1}1', {$2}" "$WORK/$1.signals"; }

# The chaser: pattern 1 for ten steps, then stopped, by clicks and by calls.
start_example chaser
chaser_pid=$LAST_PID chaser_window=$LAST_WINDOW
wait_trace_count 1
watch_signals Chaser
click_start() { click_at "$chaser_window" 40 76; }  # "Løpelys 1"
click_stop() { click_at "$chaser_window" 256 76; } # "Deaktiver"
call_start() { call Chaser org.velmo.Chaser1.Start 1 >/dev/null; }
call_stop() { call Chaser org.velmo.Chaser1.Stop >/dev/null; }
# pattern_run START STOP: start's 0 and the first ten steps, then stop's 0.
pattern_run() {
  local before
  before=$(count)
  $1
  wait_trace_count $((before + 11))
  $2
  _stopped() { (($(count) > before + 11)) && [[ $(trace_events | tail -n1) == "out 888 0" ]]; }
  wait_until 5 _stopped || fail "$2 wrote no 0"
  since "$before" | head -n 11
  trace_events | tail -n1
}
pattern_run click_start click_stop >"$WORK/clicked"
wait_until 5 signalled Chaser "'Pattern': <uint32 1>" || fail "no PropertiesChanged for pattern 1"
wait_until 5 signalled Chaser "'Pattern': <uint32 0>" || fail "no PropertiesChanged for the stop"
pattern_run call_start call_stop >"$WORK/called"
[[ $(cat "$WORK/called") == $(cat "$WORK/clicked") ]] ||
  fail "the calls wrote $(cat "$WORK/called"), the clicks $(cat "$WORK/clicked")"

before=$(count)
refused Chaser org.velmo.Chaser1.Start uint32:4
refused Chaser org.velmo.Chaser1.Start string:1
refused Chaser org.freedesktop.Application.ActivateAction string:stop
timeout 20 "$WORK/chaser/chaser" >"$WORK/second.out" 2>&1 ||
  fail "a second chaser ended with status $?: $(cat "$WORK/second.out")"
(($(xdotool search --onlyvisible --name "$CHASER_TITLE" | wc -l) == 1)) || fail "two chasers are shown"
sleep 0.3 # room for a stray write
(($(count) == before)) || fail "a refused call or the second chaser wrote: $(since "$before")"
timeout 20 "$WORK/chaser/chaser" --pattern 2 >"$WORK/second.out" 2>&1 || fail "a second chaser --pattern 2 failed"
expect_property Chaser Pattern "uint32 2"
# The menu entry's action, as a desktop runs it for a program it starts over the bus.
grep -qx 'Actions=pattern1;pattern2;pattern3;stop;' "$VELMO_EXAMPLES/../packaging/org.velmo.Chaser.desktop" ||
  fail "the chaser's menu entry lists other actions"
call Chaser org.freedesktop.Application.ActivateAction pattern3 '@av []' '@a{sv} {}' >/dev/null
expect_property Chaser Pattern "uint32 3"
call Chaser org.velmo.Chaser1.Stop >/dev/null

# The switch panel: line 3 on and off, by clicks and by calls.
before=$(count)
start_example switchpanel
panel_pid=$LAST_PID panel_window=$LAST_WINDOW
wait_trace_count $((before + 1))
watch_signals SwitchPanel
click_line() { click_at "$panel_window" $((56 + 104 * ($1 - 1))) $(($2 == 1 ? 76 : 124)); }
call_line() { call SwitchPanel org.velmo.SwitchPanel1.SetLine "$1" "$([[ $2 == 1 ]] && echo true || echo false)" >/dev/null; }
# line_run HOW: line 3 switched on and off by HOW.
line_run() {
  local before
  before=$(count)
  $1 3 1
  wait_trace_count $((before + 2))
  expect_property SwitchPanel Lines "byte 0x04"
  $1 3 0
  wait_trace_count $((before + 4))
  since "$before"
}
line_run click_line >"$WORK/clicked"
wait_until 5 signalled SwitchPanel "'Lines': <byte 0x04>" || fail "no PropertiesChanged for line 3"
line_run call_line >"$WORK/called"
[[ $(cat "$WORK/called") == $(cat "$WORK/clicked") ]] ||
  fail "the calls wrote $(cat "$WORK/called"), the clicks $(cat "$WORK/clicked")"
before=$(count)
refused SwitchPanel org.velmo.SwitchPanel1.SetLine uint32:9 boolean:true
refused SwitchPanel org.velmo.SwitchPanel1.SetLine uint32:1
sleep 0.3
(($(count) == before)) || fail "a refused call wrote: $(since "$before")"

# velmo drives both and tells what portmonitor shows.
velmo chaser start 2 || fail "velmo chaser start 2 ended with $?"
[[ $(velmo status --json | jq -c .chaser) == '{"pattern":2,"running":true}' ]] ||
  fail "velmo status --json: $(velmo status --json)"
velmo chaser stop && velmo line 5 on || fail "velmo chaser stop or line 5 on failed"
expected="port         default (register $XDG_RUNTIME_DIR/velmo/port-888)
register     0x10   16  00010000
chaser       running: no pattern (Deaktiver)
switchpanel  running: lines 00010000, on: 5"
[[ $(velmo status) == "$expected" ]] || fail "velmo status: $(velmo status)"
start_monitor_watch
_monitor_agrees() { grep -sq '  now 0x10   16  00010000$' "$WORK/portmonitor.out"; }
wait_until 10 _monitor_agrees || fail "portmonitor shows: $(cat "$WORK/portmonitor.out")"

# Ended, the programs are not running; only a program with a service file is
# started by the bus, and never by status.
kill -TERM "$chaser_pid" "$panel_pid"
wait_exit "$chaser_pid" && wait_exit "$panel_pid"
velmo status >"$WORK/status.out" 2>&1 && fail "velmo status ended with 0 with no program running"
grep -qx 'chaser       not running' "$WORK/status.out" || fail "velmo status: $(cat "$WORK/status.out")"
velmo line 1 on 2>"$WORK/line.err" && fail "velmo line 1 on ended with 0 with no switch panel"
grep -qxF "velmo: the switch panel is not running for the default port; start it with velmo-switchpanel (or $VELMO_BIN_DIR/switchpanel)" \
  "$WORK/line.err" || fail "velmo line 1 on said: $(cat "$WORK/line.err")"
before=$(count)
velmo chaser start 1 || fail "the bus did not start the chaser: velmo ended with $?"
E2E_PIDS="$E2E_PIDS $(pgrep -f "^$WORK/chaser/chaser --headless")"
wait_trace_count $((before + 4))
[[ $(since "$before" | head -n 4 | tr '\n' ' ') == "out 888 0 out 888 0 out 888 1 out 888 2 " ]] ||
  fail "the started chaser wrote: $(since "$before")"
echo "remote control ok"
