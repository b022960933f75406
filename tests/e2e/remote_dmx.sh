# SPDX-License-Identifier: GPL-3.0-or-later
# velmo-remote takes a lighting desk's universe through a real olad: frames
# from ola_streaming_client switch the lines and select a pattern, a fader
# wobbling between 110 and 130 switches its line once, and an olad that
# starts late or restarts ends nothing.
source "$E2E_LIB"
# ola_streaming_client reaches olad on its default RPC port 9010 alone: as
# root the test runs in a network namespace of its own, where nothing else
# listens; otherwise that port must be free here.
if [[ -z ${E2E_NETNS:-} ]] && ((EUID == 0)) && unshare --net true 2>/dev/null; then
  exec unshare --net env E2E_NETNS=1 bash "$0"
fi
[[ -z ${E2E_NETNS:-} ]] || ip link set lo up
e2e_setup
unset VELMO_PORT
command -v ola_streaming_client >/dev/null || e2e_skip "ola_streaming_client is not installed (Debian package ola)"
[[ -z "$(ss -Htln 'sport = :9010')" ]] || e2e_skip "olad's default RPC port 9010 is taken here"
start_session_bus
start_example chaser
start_example switchpanel
start_remote --dmx-in 1
wait_until 20 remote_sees_both_programs || fail "the remote does not see both programs"
wait_until 10 grep -q "DMX input lost" "$WORK/remote.out" || fail "the remote did not say olad is not there"

state() { curl -sf -H "Authorization: Bearer $REMOTE_TOKEN" "${REMOTE_URL}api/v1/state"; }
_shows() { [[ $(state | jq -c '[.lines, .pattern]') == "$1" ]]; }
# desk FRAME [LINES,PATTERN]: FRAME sent again and again, as a desk sends
# it, until the programs show that.
_sent_and_shown() { ola_streaming_client -u 1 -d "$1" && _shows "$2"; }
desk() { wait_until 10 _sent_and_shown "$1" "$2" || fail "after $1 the remote's state is $(state)"; }
_back() { (($(grep -c "DMX input back" "$WORK/remote.out") >= $1)); }

start_olad 9010
wait_until 10 _back 1 || fail "the remote did not take olad up"
desk 255,0,255,0,0,0,0,0,64 "[5,2]" # lines 1 and 3 on, "Løpelys 2"
desk 0,0,0,0,0,0,0,0,10 "[0,0]"      # all off, "Deaktiver"

sleep 0.5 # the chaser's last write
mark=$(port_writes)
for level in 110 130 112 128 101 125 100 129 110; do
  echo "0,$level"
  sleep 0.05
done | ola_streaming_client -u 1
wait_until 10 _shows "[2,0]" || fail "the fader wobbling round 110-130 left $(state)"
(($(port_writes) - mark == 1)) || fail "the wobbling fader switched the line $(($(port_writes) - mark)) times"

kill "$OLAD_PID"
wait_exit "$OLAD_PID"
start_olad 9010
wait_until 10 _back 2 || fail "the remote did not take olad up again"
desk 0,255,255 "[6,0]"
echo "remote takes a desk's universe ok"
