# SPDX-License-Identifier: GPL-3.0-or-later
# Settings paths that name no readable file (a folder, a FIFO without a
# writer, a link to /dev/zero, a link loop) read as a
# missing file: both programs start at once, clear the port once, and the
# chaser's step timers never fire.
source "$E2E_LIB"
e2e_setup

folder="$WORK/velmo"
make_program_folder "$folder" chaser
make_program_folder "$folder" switchpanel

# make_settings KIND PATH
make_settings() {
  case $1 in
    folder) mkdir "$2" ;;
    fifo) mkfifo "$2" ;;
    zero) ln -s /dev/zero "$2" ;;
    loop) ln -s "$2.loop" "$2" && ln -s "$2" "$2.loop" ;;
  esac
}

# start_on PROGRAM TITLE_REGEX: starts it, waits for its window and for the
# start-up's one write.
start_on() {
  : >"$WORK/trace"
  start_program "$folder/$1"
  wid=$(wait_window "$2")
  wait_trace_count 1
  expect_trace_prefix "out 888 0"
}

stop_last() {
  kill "$LAST_PID"
  wait "$LAST_PID" 2>/dev/null || true
}

x=30
for kind in folder fifo zero loop; do
  rm -rf "$folder"/Velmo*.ini*
  make_settings "$kind" "$folder/Velmo1.ini"
  make_settings "$kind" "$folder/Velmo.ini"

  start_on chaser "$CHASER_TITLE"
  # "Løpelys 1": with every interval 0 it only clears the port. Each time at
  # another point, as xdotool waits in vain for a move to where the pointer is.
  x=$((x + 2))
  click_at "$wid" "$x" 76
  wait_trace_count 2
  sleep 0.3 # room for a step that should not come
  expect_trace_prefix "out 888 0" "out 888 0"
  (($(trace_events | wc -l) == 2)) || fail "$kind: a step timer fired"
  stop_last

  start_on switchpanel "$PANEL_TITLE"
  stop_last
  echo "$kind: both programs started as on a missing file"
done
echo "settings paths that are no readable file ok"
