# SPDX-License-Identifier: GPL-3.0-or-later
# velmo-remote as a Home Assistant device on a real mosquitto of the test's
# own: a client acting as Home Assistant finds the entities, drives a switch
# and the select and sees their states, sees states of other fronts' changes,
# and after the broker restarts finds everything published again; the last
# will and a program that ends make the entities unavailable.
source "$E2E_LIB"
e2e_setup
unset VELMO_PORT
/usr/bin/python3 -c 'import paho.mqtt.client' 2>/dev/null ||
  e2e_skip "paho's MQTT client is not installed (Debian package python3-paho-mqtt)"
start_session_bus
start_example chaser
start_example switchpanel
panel=$LAST_PID
start_mosquitto
ha() { /usr/bin/python3 "$(dirname "$E2E_LIB")/home_assistant.py" "$MQTT_PORT" "$MQTT_PASSWORD" "$@"; }

# The password file must be the user's alone.
mkdir -p "$WORK/config/velmo"
printf '%s\n' "$MQTT_PASSWORD" >"$WORK/config/velmo/mqtt-password"
chmod 644 "$WORK/config/velmo/mqtt-password"
make_program_folder "$WORK/remote" remote
status=0
XDG_CONFIG_HOME="$WORK/config" "$WORK/remote/remote" --mqtt "mqtt://velmo@127.0.0.1:$MQTT_PORT" \
  >"$WORK/refused.out" 2>&1 || status=$?
((status == 1)) && grep -q "mqtt-password may be read or changed by others" "$WORK/refused.out" ||
  fail "a password file others may read gave status $status: $(cat "$WORK/refused.out")"
! grep -q "$MQTT_PASSWORD" "$WORK/refused.out" || fail "the password was printed"
chmod 600 "$WORK/config/velmo/mqtt-password"

start_remote --mqtt "mqtt://velmo@127.0.0.1:$MQTT_PORT"
wait_until 20 remote_sees_both_programs || fail "the remote does not see both programs"
ha discover "vifte 1" "vifte 2" "vifte 3" "vifte 4" neonlys blacklight "utgang 7" "utgang 8" ||
  fail "Home Assistant did not find and drive the device"
"$VELMO_BIN_DIR/velmo" line 5 on
ha expect line/5/state=ON line/3/state=ON || fail "a change from another front was not told"

# A broker that restarts (and forgets everything) gets everything again.
kill "$MQTT_PID"
wait_exit "$MQTT_PID"
start_mosquitto "$MQTT_PORT"
ha expect line/3/state=ON line/5/state=ON "chaser/state=Løpelys 2" switchpanel/availability=online \
  device/availability=online || fail "the remote did not publish everything again after the broker's restart"
grep -q "MQTT back: after" "$WORK/remote.out" || fail "the remote did not say the broker was back"
ha birth || fail "Home Assistant's birth message did not bring the configurations again"

kill "$panel"
ha expect switchpanel/availability=offline || fail "the switches stayed available without the panel"
remote=$(pgrep -f "^$WORK/remote/remote")
kill -KILL "$remote"
wait "$remote" 2>/dev/null || true
ha expect device/availability=offline || fail "the last will did not make the device unavailable"
! grep -q "$MQTT_PASSWORD" "$WORK/remote.out" || fail "the password was printed"
echo "remote as a Home Assistant device ok"
