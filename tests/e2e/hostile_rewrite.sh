# SPDX-License-Identifier: GPL-3.0-or-later
# Settings files rewritten over and over while the programs start: a writer
# replaces Velmo1.ini and Velmo.ini in a loop, in place (truncated, then
# written) and by renaming, with versions that hold good step times, a step
# time out of range, a long comment before the sections, and nothing. Every
# start either shows the window or reports the interval error; none
# crashes or hangs.
source "$E2E_LIB"
e2e_setup

folder="$WORK/velmo" versions="$WORK/versions"
make_program_folder "$folder" chaser
make_program_folder "$folder" switchpanel
mkdir "$versions"
long_comment() { head -c 300000 /dev/zero | tr '\0' ';' && echo; }
for name in Velmo1.ini Velmo.ini; do
  cp "$VELMO_EXAMPLES/$name" "$versions/$name.good"
  { long_comment && cat "$VELMO_EXAMPLES/$name"; } >"$versions/$name.long"
  : >"$versions/$name.empty"
done
sed 's/^tiden2=300$/tiden2=70000/' "$VELMO_EXAMPLES/Velmo1.ini" >"$versions/Velmo1.ini.bad"
grep -q '^tiden2=70000$' "$versions/Velmo1.ini.bad" || fail "could not make the bad version"

rewrite_forever() {
  local version name
  while :; do
    for version in "$versions"/*; do
      name=$(basename "${version%.*}")
      cat "$version" >"$folder/$name"
      cp "$version" "$folder/$name.new" && mv -f "$folder/$name.new" "$folder/$name"
    done
  done
}
rewrite_forever &
E2E_PIDS="$E2E_PIDS $!"

report="chaser: $folder/Velmo1.ini [timer3] tiden2 = 70000: a step time must be 0 to 65535 ms"
shown=0 reported=0

# ended_within SECONDS PID: waits until the process has ended.
ended_within() {
  local pid=$2
  _ended() { ! kill -0 "$pid" 2>/dev/null; }
  wait_until "$1" _ended
}

# start_once PROGRAM TITLE_REGEX: starts it and waits until its window shows
# (then it is asked to end) or it reports the bad step time (then Return
# closes the report and it must end with status 1); fails when it ends
# otherwise, or neither comes.
start_once() {
  local program=$1 title=$2 pid box status=0
  start_program "$folder/$program"
  pid=$LAST_PID
  _window() { xdotool search --all --onlyvisible --pid "$pid" --name "$title" >/dev/null 2>&1; }
  _reported() { grep -sqxF "$report" "$WORK/$program.out"; }
  _settled() { _window || _reported || ! kill -0 "$pid" 2>/dev/null; }
  wait_until 20 _settled || fail "$program showed no window and no report within 20 s"
  kill -0 "$pid" 2>/dev/null || fail "$program ended during start-up: $(cat "$WORK/$program.out")"
  if _window; then
    shown=$((shown + 1))
    kill "$pid"
    ended_within 20 "$pid" || fail "$program did not end when asked to"
    wait "$pid" || true
    return
  fi
  reported=$((reported + 1))
  _box() {
    box=$(xdotool search --all --onlyvisible --pid "$pid" --name "^$program\$" 2>/dev/null | head -n1)
    [[ -n "$box" ]]
  }
  wait_until 20 _box || fail "$program reported on standard error but showed no message box"
  xdotool windowfocus --sync "$box" key Return
  ended_within 20 "$pid" || fail "$program did not end when its report was closed"
  wait "$pid" || status=$?
  ((status == 1)) || fail "$program ended with status $status after its report, expected 1"
}

for _ in 1 2 3 4 5 6; do start_once chaser "$CHASER_TITLE"; done
for _ in 1 2 3; do start_once switchpanel "$PANEL_TITLE"; done
((shown + reported == 9)) || fail "only $((shown + reported)) of 9 starts settled"
echo "rewritten settings files ok: $shown windows, $reported reports of the bad step time"
