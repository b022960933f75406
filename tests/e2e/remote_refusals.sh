# SPDX-License-Identifier: GPL-3.0-or-later
# The remote refuses strangers with its status and no port write: no token or
# a wrong one on a network listen, another site's Origin or Host, a form's
# body, an oversized body, a path outside the page. OSC through oscsend
# drives both programs.
source "$E2E_LIB"
e2e_setup
# The default register of the test's own runtime folder: the programs' bus
# names then carry no port target.
unset VELMO_PORT
command -v oscsend >/dev/null || e2e_skip "oscsend (liblo-tools) is not installed"
start_session_bus
start_example chaser
start_example switchpanel
start_remote --osc 0
wait_until 20 remote_sees_both_programs || fail "the remote does not see both programs"

bearer="Authorization: Bearer $REMOTE_TOKEN"
json="Content-Type: application/json"
on='{"on":true}'
port=${REMOTE_URL##*:}
port=${port%/}

# refused STATUS CURL_ARGS...: switching line 1 on that way is refused with
# STATUS and a JSON error.
refused() {
  local expected=$1 status
  shift
  status=$(curl -s -o "$WORK/answer" -w '%{http_code}' -X PUT "$@" "${REMOTE_URL}api/v1/lines/1")
  [[ $status == "$expected" ]] || fail "expected $expected for $*, got $status: $(cat "$WORK/answer")"
  grep -q '^{"error":"' "$WORK/answer" || fail "no JSON error for $*: $(cat "$WORK/answer")"
}

writes=$(port_writes)
refused 401 -H "$json" -d "$on"
refused 401 -H "Authorization: Bearer ${REMOTE_TOKEN//?/0}" -H "$json" -d "$on"
refused 403 -H "$bearer" -H "Origin: http://attacker.example" -H "$json" -d "$on"
refused 403 -H "$bearer" -H "Host: attacker.example:$port" -H "$json" -d "$on"
refused 415 -H "$bearer" -d "on=true"
refused 413 -H "$bearer" -H "$json" -d "{\"on\":true,\"pad\":\"$(printf '%5000s' '')\"}"
status=$(curl -s -o /dev/null -w '%{http_code}' --path-as-is -H "$bearer" "${REMOTE_URL}../etc/passwd")
[[ $status == 404 ]] || fail "a path outside the page answered $status"
sleep 0.3 # room for a write that should not come
(($(port_writes) == writes)) || fail "a refused request wrote to the port"

# writes_since N: the bytes written after the trace's first N accesses.
writes_since() { trace_events | tail -n +$(($1 + 1)) | awk '$1 == "out" {printf "%s ", $3}'; }
_writes_begin() {
  local mark=$1
  shift
  [[ "$(writes_since "$mark")" == "$* "* ]]
}
# expect_writes COMMAND... -- BYTE...: COMMAND makes the port's next writes BYTE...
expect_writes() {
  local mark command=()
  mark=$(trace_events | wc -l)
  while [[ $1 != -- ]]; do command+=("$1"); shift; done
  shift
  "${command[@]}" >/dev/null
  wait_until 5 _writes_begin "$mark" "$@" ||
    fail "${command[*]} wrote $(writes_since "$mark"), expected $*"
}

# The same request with the token goes through.
expect_writes curl -sf -X PUT -H "$bearer" -H "$json" -d "$on" "${REMOTE_URL}api/v1/lines/1" -- 1
# OSC, as TouchOSC sends it (floats) and as scripts do (integers).
expect_writes oscsend 127.0.0.1 "$REMOTE_OSC_PORT" /velmo/line/2 f 1.0 -- 3
expect_writes oscsend 127.0.0.1 "$REMOTE_OSC_PORT" /velmo/chaser i 1 -- 0 1 2
oscsend 127.0.0.1 "$REMOTE_OSC_PORT" /velmo/chaser i 0
_stopped() { [[ $(trace_events | awk '$1 == "out" {b = $3} END {print b}') == 0 ]]; }
wait_until 5 _stopped || fail "OSC did not stop the chaser"
sleep 0.3
_stopped || fail "the chaser went on after OSC stopped it"
echo "remote refusals and OSC ok"
