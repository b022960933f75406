# SPDX-License-Identifier: GPL-3.0-or-later
# Smart relays over MQTT, with a real mosquitto of the test's own that takes
# only a user with a password, read from the password file. The chaser's
# steps reach the relays' topics (all eight when it connects, then the lines
# that changed). The broker killed and started again mid-show ends nothing:
# the chaser steps on, says once that the output is lost and once that it is
# back, and within 3 s of the broker listening again the relays get the
# lines of now, all eight.
source "$E2E_LIB"
e2e_setup
command -v mosquitto_sub >/dev/null || e2e_skip "mosquitto_sub is not installed (Debian package mosquitto-clients)"
export MQTT_KEEP=1 # the subscriber's session outlives the broker killed
start_mosquitto
port=$MQTT_PORT
export XDG_CONFIG_HOME="$WORK/config"
install -D -m 600 /dev/stdin "$XDG_CONFIG_HOME/velmo/mqtt-password" <<<"$MQTT_PASSWORD"
export VELMO_PORT="mqtt:velmo@127.0.0.1:$port/cmnd/relays/POWER{line}"

# The relays: a subscriber whose session the broker keeps, so that it misses
# nothing while both connect again. One line per message: time, line, payload.
mosquitto_sub -h 127.0.0.1 -p "$port" -u velmo -P "$MQTT_PASSWORD" -c -i velmo-relays -q 1 \
  -t 'cmnd/relays/#' -F '%U %t %p' >"$WORK/relays" 2>"$WORK/subscriber.err" &
E2E_PIDS="$E2E_PIDS $!"
_subscribed() { grep -q "velmo-relays" "$WORK/mosquitto/mosquitto.log"; }
wait_until 10 _subscribed || fail "the subscriber did not connect: $(cat "$WORK/subscriber.err")"

# relays_after TIME: the messages that came after TIME (seconds since 1970).
relays_after() { awk -v t="$1" '$1 > t' "$WORK/relays"; }
# all_eight_after TIME: when the first eight messages in a row that set all
# eight lines came after TIME (a broker may first send one it kept).
all_eight_after() {
  relays_after "$1" | awk '{ t[NR] = $1; p[NR] = $2 }
    END { for (i = 1; i + 7 <= NR; i++) { n = 0; split("", seen)
            for (j = i; j < i + 8; j++) if (!(p[j] in seen)) { seen[p[j]]; n++ }
            if (n == 8) { print t[i]; exit } } }'
}
_lit_walks() { (($(relays_after "$1" | grep -c ' ON$') >= 8)); }

make_program_folder "$WORK/chaser" chaser "$VELMO_EXAMPLES/Velmo1.ini"
display=$DISPLAY
unset DISPLAY
start_program "$WORK/chaser/chaser" --headless --pattern 1
DISPLAY=$display
chaser=$LAST_PID
wait_until 10 _lit_walks 0 || fail "the relays do not follow the chaser: $(cat "$WORK/relays")"
[[ $(all_eight_after 0) == $(head -n 1 "$WORK/relays" | cut -d' ' -f1) ]] ||
  fail "the first messages are not all eight lines: $(head -n 8 "$WORK/relays")"

# Only a save made after the subscription counts: the broker may have saved
# once before the subscriber connected.
_saves() { grep -c "Saving in-memory database" "$WORK/mosquitto/mosquitto.log" || true; }
saves=$(_saves)
_saved() { (($(_saves) > saves)); }
wait_until 10 _saved || fail "mosquitto did not save the subscriber's session"
kill -KILL "$MQTT_PID"
_lost() { grep -q "^chaser: Output lost: The MQTT broker 127.0.0.1:$port closed the connection" "$WORK/chaser.out"; }
wait_until 10 _lost || fail "the loss was not told: $(cat "$WORK/chaser.out")"
steps=$(trace_events | wc -l)
wait_trace_count $((steps + 10))
listening=$(date +%s.%N) # or a little before
start_mosquitto "$port"
_back() { grep -q "^chaser: Output back: after [0-9.]* s away, " "$WORK/chaser.out"; }
wait_until 10 _back || fail "the return was not told: $(cat "$WORK/chaser.out")"
wait_until 10 _lit_walks "$listening" || fail "the relays do not follow the chaser again: $(cat "$WORK/relays")"
first=$(all_eight_after "$listening")
[[ -n $first ]] || fail "no message set all eight lines after the return: $(relays_after "$listening")"
awk -v a="$listening" -v b="$first" 'BEGIN { exit !(b - a <= 3) }' ||
  fail "the relays got all eight lines $(awk -v a="$listening" -v b="$first" 'BEGIN { print b - a }') s after the broker listened again"
(($(grep -c "^chaser: Output lost" "$WORK/chaser.out") == 1)) || fail "told more than one loss: $(cat "$WORK/chaser.out")"
kill -0 "$chaser" || fail "the chaser ended"
! grep -q "$MQTT_PASSWORD" "$WORK/chaser.out" || fail "the chaser printed the password"
echo "MQTT relays ok"
