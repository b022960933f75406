# SPDX-License-Identifier: GPL-3.0-or-later
# The remote refuses strangers with its status and no port write: each
# documented refusal, escaped and dot-segment paths on every route, a
# half-made upgrade, every slot held by strangers (the user still gets in),
# a stopped program that holds up nobody else, and floods that switch a line
# no more than its limit. With the token, HTTP and OSC drive both programs.
source "$E2E_LIB"
e2e_setup
# The default register of the test's own runtime folder: the programs' bus
# names then carry no port target.
unset VELMO_PORT
command -v oscsend >/dev/null || e2e_skip "oscsend (liblo-tools) is not installed"
start_session_bus
# The chaser with a pattern of the user's own.
make_program_folder "$WORK/chaser" chaser "$VELMO_EXAMPLES/Velmo1.ini"
printf '\n[pattern4]\nname=Par\nsteps=3,12\ntime=100\n' >>"$WORK/chaser/Velmo1.ini"
start_program "$WORK/chaser/chaser"
wait_window "$CHASER_TITLE" >/dev/null
start_example switchpanel
panel=$LAST_PID
start_remote --osc 0
wait_until 20 remote_sees_both_programs || fail "the remote does not see both programs"

bearer="Authorization: Bearer $REMOTE_TOKEN"
json="Content-Type: application/json"
port=${REMOTE_URL##*:}
port=${port%/}
try() { /usr/bin/python3 "$(dirname "$E2E_LIB")/remote_refusals.py" "$port" "$REMOTE_TOKEN" "$REMOTE_OSC_PORT" "$@"; }

writes=$(port_writes)
try table || fail "the remote answered strangers otherwise than documented"
try slots || fail "strangers holding every slot kept the user out"
sleep 0.3 # room for a write that should not come
(($(port_writes) == writes)) || fail "a refused request wrote to the port"
! grep -q "$REMOTE_TOKEN" "$WORK/remote.out" || fail "the token was printed where no terminal is"
[[ $("$VELMO_BIN_DIR/velmo" remote url) == "${REMOTE_URL}#token=$REMOTE_TOKEN" ]] ||
  fail "velmo remote url printed $("$VELMO_BIN_DIR/velmo" remote url)"

# writes_since N: the bytes written after the trace's first N accesses.
writes_since() { trace_events | tail -n +$(($1 + 1)) | awk '$1 == "out" {printf "%s ", $3}'; }
# _writes_begin MARK SKIP BYTE...: the writes after MARK begin with BYTE...,
# once SKIP writes other than the first BYTE are skipped ("" for none).
_writes_begin() {
  local mark=$1 skip=$2 writes
  shift 2
  writes=$(writes_since "$mark")
  [[ -n $skip ]] && writes=$(awk -v b="$1" '{ while (NF && $1 != b) $0 = substr($0, index($0, " ") + 1); print }' <<<"$writes")
  [[ "$writes" == "$* "* ]]
}
# expect_writes [--while-running] COMMAND... -- BYTE...: COMMAND makes the
# port's next writes BYTE...; with --while-running, after any steps of the
# pattern that runs until COMMAND lands.
expect_writes() {
  local mark command=() skip=""
  [[ $1 == --while-running ]] && skip=1 && shift
  mark=$(trace_events | wc -l)
  while [[ $1 != -- ]]; do command+=("$1"); shift; done
  shift
  "${command[@]}" >/dev/null
  wait_until 5 _writes_begin "$mark" "$skip" "$@" ||
    fail "${command[*]} wrote $(writes_since "$mark"), expected $*"
}

# With the token, HTTP goes through; OSC as TouchOSC sends it (floats) and
# as scripts do (integers).
expect_writes curl -sf -X PUT -H "$bearer" -H "$json" -d '{"on":true}' "${REMOTE_URL}api/v1/lines/1" -- 1
expect_writes oscsend 127.0.0.1 "$REMOTE_OSC_PORT" /velmo/line/2 f 1.0 -- 3

# A stopped switch panel holds up its own command (504 after 2 s), nothing else.
kill -STOP "$panel"
curl -s -o /dev/null -w '%{http_code}' -X PUT -H "$bearer" -H "$json" -d '{"on":true}' \
  "${REMOTE_URL}api/v1/lines/3" >"$WORK/held" &
sleep 0.2
took=$(curl -s -o /dev/null -w '%{time_total}' -I "${REMOTE_URL}icon.svg")
wait_until 5 test -s "$WORK/held" || fail "the command to the stopped panel got no answer"
kill -CONT "$panel"
[[ $(cat "$WORK/held") == 504 ]] || fail "the command to the stopped panel answered $(cat "$WORK/held")"
awk -v t="$took" 'BEGIN {exit !(t < 1)}' || fail "another client waited $took s for the stopped panel"

# Floods: no line switches more than 20 times a second, from any front.
for front in osc-flood push-flood; do
  sleep 1.1 # a second of its own for each flood
  mark=$(port_writes)
  try "$front" 5 || fail "the $front could not be sent"
  sleep 0.5
  switched=$(($(port_writes) - mark))
  ((switched >= 1 && switched <= 20)) || fail "the $front switched line 5 $switched times"
done
wait_until 5 grep -q "dropped" "$WORK/remote.out" || fail "the remote did not say it dropped commands"

# The user's own pattern and the speed, as the chaser offers them.
state() { curl -sf -H "$bearer" "${REMOTE_URL}api/v1/state"; }
[[ $(state | jq -c '.patterns[3]') == '{"name":"Par","number":4}' ]] ||
  fail "the state lists the patterns $(state | jq -c .patterns)"
expect_writes curl -sf -H "$bearer" -H "$json" -d '{"pattern":4}' "${REMOTE_URL}api/v1/chaser" -- 0 3 12 3
oscsend 127.0.0.1 "$REMOTE_OSC_PORT" /velmo/speed f 2.0
_twice_as_fast() { [[ $(state | jq .speed) == 2 ]]; }
wait_until 5 _twice_as_fast || fail "OSC did not set the speed: $(state | jq .speed)"

expect_writes --while-running oscsend 127.0.0.1 "$REMOTE_OSC_PORT" /velmo/chaser i 1 -- 0 1 2
oscsend 127.0.0.1 "$REMOTE_OSC_PORT" /velmo/chaser i 0
_stopped() { [[ $(trace_events | awk '$1 == "out" {b = $3} END {print b}') == 0 ]]; }
wait_until 5 _stopped || fail "OSC did not stop the chaser"
echo "remote refusals, limits and OSC ok"
