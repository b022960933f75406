# SPDX-License-Identifier: GPL-3.0-or-later
# Shared steps of the end-to-end tests, sourced by each script:
#   source "$E2E_LIB"; e2e_setup
# Each test gets its own X server, temp folder ($WORK), simulated register
# ($WORK/port-888) and port trace ($WORK/trace).
set -euo pipefail

fail() {
  echo "FAIL: $*" >&2
  if [[ -n "${WORK:-}" && -f "$WORK/trace" ]]; then
    echo "--- port trace:" >&2
    cat "$WORK/trace" >&2
  fi
  _tell_programs >&2
  exit 1
}

# What a failure needs besides the trace: which programs still run, what
# they said, and where the windows are.
_tell_programs() {
  local pid out
  for pid in ${E2E_PIDS:-}; do
    kill -0 "$pid" 2>/dev/null && echo "--- $pid runs" || echo "--- $pid has ended"
  done
  for out in "${WORK:-/nonexistent}"/*.out; do
    [[ -s "$out" ]] && { echo "--- $(basename "$out"):"; tail -n 20 "$out"; }
  done
  [[ -n "${DISPLAY:-}" ]] && command -v xdotool >/dev/null &&
    xdotool search --onlyvisible --name . getwindowgeometry %@ 2>/dev/null
  return 0
}

_e2e_cleanup() {
  local status=$? pid reports
  for pid in ${E2E_PIDS:-}; do kill "$pid" 2>/dev/null || true; done
  # A program stuck where SIGTERM cannot reach it must fail the test, not
  # hold it until the CTest timeout.
  _all_ended() { for pid in ${E2E_PIDS:-}; do kill -0 "$pid" 2>/dev/null && return 1; done; return 0; }
  if ! wait_until 5 _all_ended; then
    echo "FAIL: a program did not end on SIGTERM" >&2
    for pid in ${E2E_PIDS:-}; do kill -KILL "$pid" 2>/dev/null || true; done
    status=1
  fi
  wait 2>/dev/null || true
  # In a sanitizer build, a report from any program (printed as it ended, too)
  # fails the test.
  reports=$(grep -sE 'ERROR: (Address|Leak|UndefinedBehavior)Sanitizer|: runtime error: ' \
    "${WORK:-/nonexistent}"/*.out) || true
  if [[ -n "$reports" ]]; then
    echo "FAIL: sanitizer report:" >&2
    cat "$WORK"/*.out >&2
    status=1
  fi
  [[ -n "${WORK:-}" ]] && rm -rf "$WORK"
  exit "$status"
}

# Starts Xvfb on a free display (and icewm when E2E_WM=icewm, icewm without
# its notification area when E2E_WM=icewm-no-tray), makes $WORK. There is no
# session bus unless the test starts one (start_session_bus), so nothing
# finds a D-Bus notification area or starts a bus of its own.
e2e_setup() {
  WORK=$(mktemp -d "${TMPDIR:-/tmp}/velmo-e2e.XXXXXX")
  E2E_PIDS=""
  trap _e2e_cleanup EXIT
  export VELMO_PORT="sim:$WORK/port-888"
  export VELMO_PORT_TRACE="$WORK/trace"
  # Default registers (sim, hw:, ola:) are the test's own, never the user's.
  export XDG_RUNTIME_DIR="$WORK/runtime"
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  # The chaser's patterns of a user's own are the test's, never the user's.
  export XDG_CONFIG_HOME="$WORK/config"
  export DBUS_SESSION_BUS_ADDRESS="unix:path=$WORK/no-session-bus"
  unset QT_QPA_PLATFORM
  _start_xvfb
  case "${E2E_WM:-}" in
    icewm)
      _start_icewm
      wait_until 20 _tray_present || fail "icewm's notification area did not appear"
      ;;
    icewm-no-tray)
      _start_icewm "TaskBarEnableSystemTray=0"
      wait_until 20 _wm_running || fail "icewm did not start"
      ;;
  esac
}

# _start_icewm [PREFERENCE_LINE...]: icewm with its own preferences.
_start_icewm() {
  command -v icewm >/dev/null || fail "icewm is not installed"
  mkdir -p "$WORK/icewm"
  printf '%s\n' "$@" >"$WORK/icewm/preferences"
  ICEWM_PRIVCFG="$WORK/icewm" icewm >"$WORK/icewm.log" 2>&1 &
  E2E_PIDS="$E2E_PIDS $!"
}

# icewm's notification area (its "SystemTray" window) is up.
_tray_present() { xdotool search --name '^SystemTray$' >/dev/null 2>&1; }
_wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# start_session_bus [SERVICE_FOLDER]: a private D-Bus session bus for this
# test, exported in DBUS_SESSION_BUS_ADDRESS. It starts no services of its
# own, only those of SERVICE_FOLDER's .service files when given.
start_session_bus() {
  command -v dbus-daemon >/dev/null || fail "dbus-daemon is not installed"
  cat >"$WORK/session-bus.conf" <<CONF
<busconfig>
  <type>session</type>
  <listen>unix:path=$WORK/session-bus</listen>
  ${1:+<servicedir>$1</servicedir>}
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
  dbus-daemon --config-file="$WORK/session-bus.conf" --nofork --print-address=1 \
    >"$WORK/session-bus.address" 2>"$WORK/session-bus.log" &
  E2E_PIDS="$E2E_PIDS $!"
  _bus_ready() { [[ -s "$WORK/session-bus.address" ]]; }
  wait_until 10 _bus_ready || fail "the session bus did not start: $(cat "$WORK/session-bus.log")"
  DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$WORK/session-bus.address")
  export DBUS_SESSION_BUS_ADDRESS
}

# Starts Xvfb on a display number of its own. Numbers are drawn at random from
# a wide range rather than taking the lowest free one: when parallel tests
# all take the lowest, a server that is just ending can remove the socket of
# the next one started on its number.
_start_xvfb() {
  local attempt display pid
  for attempt in 1 2 3 4 5 6 7 8 9 10; do
    display=$((200 + RANDOM % 800))
    [[ -e /tmp/.X$display-lock ]] && continue
    exec {fd}<> <(:)
    # -noreset: a server that resets when its last client leaves refuses, for
    # a moment, the program started right after the previous one ended.
    Xvfb ":$display" -displayfd "$fd" -screen 0 1280x800x24 -nolisten tcp -noreset \
      >"$WORK/xvfb.log" 2>&1 &
    pid=$!
    local ready=""
    if read -r -t 20 ready <&"$fd" && [[ "$ready" == "$display" ]]; then
      E2E_PIDS="$E2E_PIDS $pid"
      export DISPLAY=":$display"
      return 0
    fi
    kill "$pid" 2>/dev/null || true
  done
  fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
}

# wait_until SECONDS COMMAND...: runs COMMAND every 50 ms until it succeeds.
wait_until() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.05
  done
}

# make_program_folder DIR PROGRAM [INI]: a program folder as users have it,
# with the port library's modules and the remote's MQTT module that were built.
make_program_folder() {
  local dir=$1 program=$2 ini=${3:-} module
  mkdir -p "$dir"
  cp "$VELMO_BIN_DIR/$program" "$VELMO_BIN_DIR/libvelmoport.so" "$dir/"
  for module in "$VELMO_BIN_DIR"/libvelmoport-*.so "$VELMO_BIN_DIR"/libvelmoremote-*.so; do
    [[ -f "$module" ]] && cp "$module" "$dir/"
  done
  [[ -n "$ini" ]] && cp "$ini" "$dir/"
  return 0
}

# Title patterns of the programs' main windows.
CHASER_TITLE='^Velmo 1\.1 by '
PANEL_TITLE='^   Velmo 1\.0  by '

# start_example PROGRAM: chaser or switchpanel in the program folder
# $WORK/PROGRAM with its example settings file, started; waits for its main
# window. $LAST_PID is its pid, $LAST_WINDOW the window's id.
start_example() {
  local program=$1 settings title
  case $program in
    chaser) settings=Velmo1.ini title=$CHASER_TITLE ;;
    switchpanel) settings=Velmo.ini title=$PANEL_TITLE ;;
    *) fail "start_example: no example settings for $program" ;;
  esac
  make_program_folder "$WORK/$program" "$program" "$VELMO_EXAMPLES/$settings"
  start_program "$WORK/$program/$program"
  LAST_WINDOW=$(wait_window "$title")
}

# start_monitor_watch: "portmonitor --watch" from the program folder
# $WORK/portmonitor, started; $LAST_PID is its pid.
start_monitor_watch() {
  make_program_folder "$WORK/portmonitor" portmonitor
  start_program "$WORK/portmonitor/portmonitor" --watch
}

# start_program PATH [ARGS...]: starts it in the background; $LAST_PID is its pid.
start_program() {
  "$@" >"$WORK/$(basename "$1").out" 2>&1 &
  LAST_PID=$!
  E2E_PIDS="$E2E_PIDS $LAST_PID"
}

# wait_window NAME_REGEX: prints the id of the first visible window whose
# title matches.
wait_window() {
  local wid=""
  _find_window() { wid=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1) && [[ -n "$wid" ]]; }
  wait_until 20 _find_window "$1" || fail "no window named /$1/ appeared"
  echo "$wid"
}

# click_at WID X Y: a left click at window-relative pixels.
click_at() {
  xdotool mousemove --sync --window "$1" "$2" "$3" click 1
}

# trace_events: the trace without timestamps ("out 888 0").
trace_events() {
  [[ -f "$WORK/trace" ]] || return 0
  cut -d' ' -f2- "$WORK/trace"
}

_trace_count_at_least() { (($(trace_events | wc -l) >= $1)); }

# wait_trace_count N [SECONDS]: waits until the trace holds N accesses.
wait_trace_count() {
  wait_until "${2:-20}" _trace_count_at_least "$1" ||
    fail "expected $1 port accesses, the trace holds $(trace_events | wc -l)"
}

# expect_trace_prefix LINE...: the trace begins with these accesses.
expect_trace_prefix() {
  local expected actual
  expected=$(printf '%s\n' "$@")
  actual=$(trace_events | head -n $#)
  [[ "$actual" == "$expected" ]] || fail "trace begins
$actual
expected
$expected"
}

# expect_fatal_report PID PROGRAM TEXT [HIDDEN_TITLE_REGEX]: the program
# PROGRAM (pid PID, started with start_program or start_unprivileged) reports
# TEXT and ends: the line "PROGRAM: TEXT" on standard error, a message box
# titled PROGRAM (while it shows, no window whose title matches
# HIDDEN_TITLE_REGEX may be visible), and once Return closes the box, exit
# status 1.
expect_fatal_report() {
  local pid=$1 program=$2 text=$3 hidden=${4:-}
  _fatal_reported() { grep -sqxF "$program: $text" "$WORK/$program.out"; }
  wait_until 20 _fatal_reported || fail "$program did not report
  $text
it printed:
$(cat "$WORK/$program.out")"
  local box
  box=$(wait_window "^$program\$")
  if [[ -n "$hidden" ]] && xdotool search --onlyvisible --name "$hidden" >/dev/null 2>&1; then
    fail "a window /$hidden/ is shown beside the report of $program"
  fi
  xdotool windowfocus --sync "$box" key Return
  local status=0
  wait "$pid" || status=$?
  [[ $status -eq 1 ]] || fail "$program ended with status $status after the report, expected 1"
}

# e2e_skip REASON: ends the test as skipped (status 77, see SKIP_RETURN_CODE).
e2e_skip() {
  echo "SKIP: $*"
  exit 77
}

# require_unprivileged: the programs must meet file permissions. Run as root,
# they are started as the user nobody (setpriv from util-linux), $WORK is
# opened to that user and E2E_AS_USER names it; run as another user, they run
# as that user and E2E_AS_USER is empty. Skips the test when neither works.
require_unprivileged() {
  E2E_AS=()
  E2E_AS_USER=""
  ((EUID == 0)) || return 0
  command -v setpriv >/dev/null ||
    e2e_skip "running as root without setpriv (util-linux): permissions cannot be tested"
  id nobody >/dev/null 2>&1 || e2e_skip "running as root and there is no user nobody"
  local group
  group=$(id -g nobody)
  E2E_AS=(env HOME="$WORK/home-nobody" setpriv --reuid=nobody --regid="$group" --clear-groups)
  E2E_AS_USER=nobody
  chmod 755 "$WORK"
  mkdir -p "$WORK/home-nobody"
  chown nobody "$WORK/home-nobody"
  "${E2E_AS[@]}" true 2>/dev/null || e2e_skip "setpriv cannot switch to the user nobody here"
  "${E2E_AS[@]}" xdotool getdisplaygeometry >/dev/null 2>&1 ||
    e2e_skip "the user nobody cannot reach the X display $DISPLAY"
}

# give_to_unprivileged PATH...: lets the user of start_unprivileged own PATH.
give_to_unprivileged() {
  [[ -z "${E2E_AS_USER:-}" ]] || chown "$E2E_AS_USER" "$@"
}

# start_unprivileged PATH [ARGS...]: start_program as the user that
# require_unprivileged chose.
start_unprivileged() {
  "${E2E_AS[@]}" "$@" >"$WORK/$(basename "$1").out" 2>&1 &
  LAST_PID=$!
  E2E_PIDS="$E2E_PIDS $LAST_PID"
}

# tray_icon_count CLASS: icons of that program docked in icewm's tray (icewm
# embeds each in a YXTrayEmbedder window).
tray_icon_count() {
  xwininfo -root -tree | grep -A2 'YXTrayEmbedder' | grep -c "\"$1\"" || true
}

# Window WID as the X server and the window manager see it.
map_state() { xwininfo -id "$1" | awk '/Map State:/ {print $3}'; }
window_hidden() { [[ $(map_state "$1") == IsUnMapped ]]; }
window_shown() { [[ $(map_state "$1") == IsViewable ]]; }
wm_state() { xprop -id "$1" WM_STATE 2>/dev/null | awk '/window state:/ {print $3}'; }
on_taskbar() { xprop -root _NET_CLIENT_LIST | grep -qi "$(printf '0x%x' "$1")"; }
off_taskbar() { ! on_taskbar "$1"; }
# window_place WID: "x,y" of its top-left corner on the screen.
window_place() {
  xwininfo -id "$1" | awk '/Absolute upper-left X:/ {x = $4} /Absolute upper-left Y:/ {y = $4} END {print x "," y}'
}

# minimise_into_tray WID COUNT: minimises the window, which must leave one
# icon in the notification area (as the command COUNT counts them), and no
# mapped window nor taskbar entry.
minimise_into_tray() {
  local wid=$1 count=$2
  _one_icon() { (($($count) == 1)); }
  xdotool windowminimize "$wid"
  wait_until 10 _one_icon || fail "expected one icon in the notification area, found $($count)"
  wait_until 10 window_hidden "$wid" || fail "the window is still mapped: $(map_state "$wid")"
  wait_until 10 off_taskbar "$wid" || fail "the hidden window is still on the taskbar"
}

# expect_restored WID PLACE COUNT BY: what BY did brought the window back in
# its normal state at PLACE (see window_place), and left no icon (as the
# command COUNT counts them).
expect_restored() {
  local wid=$1 place=$2 count=$3 by=$4
  _no_icon() { (($($count) == 0)); }
  wait_until 10 window_shown "$wid" || fail "$by did not bring the window back"
  wait_until 10 _no_icon || fail "the icon stayed after $by"
  [[ $(wm_state "$wid") == Normal ]] || fail "after $by the window is $(wm_state "$wid")"
  [[ $(window_place "$wid") == "$place" ]] ||
    fail "after $by the window is at $(window_place "$wid"), it was at $place"
}

# wait_exit PID [SECONDS]: waits for the program to end; its exit status is
# then in $EXIT_STATUS (not printed: wait only works in this shell).
wait_exit() {
  local pid=$1
  _ended() { ! kill -0 "$pid" 2>/dev/null; }
  wait_until "${2:-10}" _ended || fail "process $pid did not end"
  EXIT_STATUS=0
  wait "$pid" || EXIT_STATUS=$?
}

# OLA's Python client (Debian's ola-python is for Debian's python3).
OLA_PYTHON=${OLA_PYTHON:-/usr/bin/python3}
OLA_CLIENT="$(dirname "${BASH_SOURCE[0]}")/ola_client.py"

# start_olad [PORT]: an olad of the test's own, as the user nobody when run
# as root (olad refuses root), with every plugin off (nothing goes out on a
# network), no web server, and its RPC port drawn at random away from olad's
# default 9010, so that parallel tests and a system olad never meet; or on
# PORT, once no other process listens there (an olad started again). Sets
# $OLAD_PID and $OLA_PORT. Skips the test when olad or OLA's Python client
# is missing.
start_olad() {
  command -v olad >/dev/null || e2e_skip "olad is not installed (Debian package ola)"
  "$OLA_PYTHON" -c 'import ola.ClientWrapper' 2>/dev/null ||
    e2e_skip "OLA's Python client is not installed (Debian package ola-python)"
  local dir="$WORK/olad" as=() plugin attempt
  mkdir -p "$dir/config"
  for plugin in artnet dummy e131 espnet ftdidmx gpio karate kinet milinst opendmx \
    openpixelcontrol osc pathport renard sandnet shownet spi stageprofi uartdmx usbdmx usbserial; do
    echo "enabled = false" >"$dir/config/ola-$plugin.conf"
  done
  if ((EUID == 0)); then
    chmod 755 "$WORK"
    chown -R nobody "$dir"
    as=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups)
  fi
  if [[ -n ${1:-} ]]; then
    OLA_PORT=$1
    _port_free() { ! _port_listened "$OLA_PORT"; }
    wait_until 10 _port_free || fail "RPC port $OLA_PORT stays taken"
  fi
  for attempt in 1 2 3 4 5; do
    [[ -n ${1:-} ]] || OLA_PORT=$(free_port)
    _port_listened "$OLA_PORT" && continue
    "${as[@]}" env HOME="$dir" olad --config-dir "$dir/config" --rpc-port "$OLA_PORT" --no-http \
      --no-register-with-dns-sd >>"$dir/olad.log" 2>&1 &
    OLAD_PID=$!
    E2E_PIDS="$E2E_PIDS $OLAD_PID"
    wait_until 20 _olad_ready && return 0
    kill "$OLAD_PID" 2>/dev/null || true
  done
  fail "olad did not start: $(cat "$dir/olad.log")"
}

# start_mosquitto [PORT]: an MQTT broker of the test's own (Debian's
# mosquitto), as the user nobody when run as root, on 127.0.0.1 and a port
# drawn at random ($MQTT_PORT), or on PORT once nothing listens there (a
# broker started again). It takes only the user velmo with the password
# $MQTT_PASSWORD. With MQTT_KEEP=1 it keeps sessions and retained messages in
# its folder, saved every second, so that they outlive the broker killed;
# otherwise it keeps nothing across a restart. Sets $MQTT_PID. Skips the test
# when mosquitto is missing.
start_mosquitto() {
  command -v mosquitto >/dev/null || e2e_skip "mosquitto is not installed (Debian package mosquitto)"
  local dir="$WORK/mosquitto" as=() attempt keep=()
  MQTT_PASSWORD=${MQTT_PASSWORD:-velmo-$RANDOM$RANDOM}
  if [[ ! -d "$dir" ]]; then
    mkdir -p "$dir"
    mosquitto_passwd -c -b "$dir/passwords" velmo "$MQTT_PASSWORD" >/dev/null 2>&1
    chmod 600 "$dir/passwords"
  fi
  if ((EUID == 0)); then
    chmod 755 "$WORK"
    chown -R nobody "$dir"
    as=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups)
  fi
  if [[ -n ${1:-} ]]; then
    MQTT_PORT=$1
    _mqtt_port_free() { ! _port_listened "$MQTT_PORT"; }
    wait_until 10 _mqtt_port_free || fail "MQTT port $MQTT_PORT stays taken"
  fi
  [[ ${MQTT_KEEP:-} == 1 ]] && keep=("persistence true" "persistence_location $dir/" "autosave_interval 1")
  for attempt in 1 2 3 4 5; do
    [[ -n ${1:-} ]] || MQTT_PORT=$(free_port)
    printf '%s\n' "listener $MQTT_PORT 127.0.0.1" "allow_anonymous false" \
      "password_file $dir/passwords" "set_tcp_nodelay true" "${keep[@]}" >"$dir/mosquitto.conf"
    "${as[@]}" mosquitto -c "$dir/mosquitto.conf" >>"$dir/mosquitto.log" 2>&1 &
    MQTT_PID=$!
    E2E_PIDS="$E2E_PIDS $MQTT_PID"
    _mosquitto_ready() {
      kill -0 "$MQTT_PID" 2>/dev/null && ss -Htlnp "sport = :$MQTT_PORT" | grep -q "pid=$MQTT_PID,"
    }
    wait_until 10 _mosquitto_ready && return 0
    kill "$MQTT_PID" 2>/dev/null || true
  done
  fail "mosquitto did not start: $(cat "$dir/mosquitto.log")"
}

_port_listened() { [[ -n "$(ss -Htln "sport = :$1")" ]]; }

# free_port: a TCP port on this machine that nothing listens on now.
free_port() {
  local port attempt
  for attempt in {1..50}; do
    port=$((20000 + RANDOM % 20000))
    _port_listened "$port" || break
  done
  echo "$port"
}

# Our olad listens on $OLA_PORT (and not another process that took it first).
_olad_ready() {
  kill -0 "$OLAD_PID" 2>/dev/null || return 1
  ss -Htlnp "sport = :$OLA_PORT" | grep -q "pid=$OLAD_PID,"
}

# ola_client COMMAND UNIVERSE ARGUMENT: OLA's own client on our olad (see
# ola_client.py).
ola_client() {
  "$OLA_PYTHON" "$OLA_CLIENT" "$OLA_PORT" "$@"
}

# start_ola_client NAME COMMAND UNIVERSE ARGUMENT: ola_client in the
# background, its output in $WORK/NAME.out, ended with the test.
start_ola_client() {
  local name=$1
  shift
  "$OLA_PYTHON" "$OLA_CLIENT" "$OLA_PORT" "$@" >"$WORK/$name.out" 2>&1 &
  E2E_PIDS="$E2E_PIDS $!"
}

# start_ola_recorder UNIVERSE: records every frame of the universe in
# $WORK/frames, anew (which makes the universe exist in olad); waits until
# olad has taken the registration.
start_ola_recorder() {
  rm -f "$WORK/frames" "$WORK/frames.ready"
  start_ola_client recorder record "$1" "$WORK/frames"
  _recorder_ready() { [[ -f "$WORK/frames.ready" ]]; }
  wait_until 20 _recorder_ready || fail "the OLA recorder did not start: $(cat "$WORK/recorder.out")"
}

# ola_frames [CHANNELS]: the frames recorded so far, one a line, cut to
# their first CHANNELS channels (all when not given).
ola_frames() {
  [[ -f "$WORK/frames" ]] || return 0
  if [[ -n "${1:-}" ]]; then
    cut -d' ' -f2 "$WORK/frames" | cut -d, -f"1-$1"
  else
    cut -d' ' -f2 "$WORK/frames"
  fi
}

_last_frame_is() { [[ "$(ola_frames "$2" | tail -n1)" == "$1" ]]; }

# wait_last_frame FRAME [CHANNELS]: waits until the last frame (cut to
# CHANNELS) is FRAME.
wait_last_frame() {
  wait_until 10 _last_frame_is "$1" "${2:-}" || fail "the last frame is
$(ola_frames "${2:-}" | tail -n1)
expected
$1
frames:
$(ola_frames "${2:-}")"
}

# start_remote [ARGS...]: velmo-remote from the program folder $WORK/remote,
# on a port of its own choosing on loopback with --listen (its token kept in
# $WORK/config), with ARGS; waits for it to print its address. Sets
# $REMOTE_URL (the page, without the token), $REMOTE_TOKEN and, with
# --osc 0, $REMOTE_OSC_PORT.
start_remote() {
  make_program_folder "$WORK/remote" remote
  XDG_CONFIG_HOME="$WORK/config" start_program "$WORK/remote/remote" --listen 127.0.0.1:0 "$@"
  _remote_up() { grep -qs "^The remote's page" "$WORK/remote.out"; }
  wait_until 20 _remote_up || fail "the remote did not start: $(cat "$WORK/remote.out")"
  REMOTE_URL=$(grep -o 'http://127\.0\.0\.1:[0-9]*/' "$WORK/remote.out" | head -n1)
  REMOTE_TOKEN=$(cat "$WORK/config/velmo/remote-token")
  REMOTE_OSC_PORT=$(grep -o 'UDP 127\.0\.0\.1:[0-9]*' "$WORK/remote.out" | cut -d: -f2 || true)
}

# remote_sees_both_programs: the remote's state says the chaser and the
# switch panel run.
remote_sees_both_programs() {
  curl -sf -H "Authorization: Bearer $REMOTE_TOKEN" "${REMOTE_URL}api/v1/state" |
    grep -q '"running":{"chaser":true,"switchpanel":true}'
}

# port_writes: how many bytes the trace shows written.
port_writes() { trace_events | grep -c '^out ' || true; }
