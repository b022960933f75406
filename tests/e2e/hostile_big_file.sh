# SPDX-License-Identifier: GPL-3.0-or-later
# The programs start on settings files of 100 MB whose wanted sections come
# after all the others: the chaser steps with the intervals it read, the
# panel switches, and reading the big file takes hardly more memory than
# reading the example file.
source "$E2E_LIB"
e2e_setup

mb=${VELMO_HOSTILE_MB:-100} # sanitizer builds read a smaller file
limit_kb=$((64 * 1024))

# with_filler MB FILE: MB of sections no program asks for, then FILE.
with_filler() {
  { yes $'[other section]\nname=a value that no program reads\ntiden=1\ncommand1=not this one' |
    head -c "$(($1 * 1024 * 1024))"; } || true
  printf '\n'
  cat "$2"
}

big="$WORK/big" small="$WORK/small"
for folder in "$big" "$small"; do
  make_program_folder "$folder" chaser
  make_program_folder "$folder" switchpanel
done
cp "$VELMO_EXAMPLES/Velmo1.ini" "$VELMO_EXAMPLES/Velmo.ini" "$small/"
with_filler "$mb" "$VELMO_EXAMPLES/Velmo1.ini" >"$big/Velmo1.ini"
with_filler "$mb" "$VELMO_EXAMPLES/Velmo.ini" >"$big/Velmo.ini"

# start_shown PATH TITLE_REGEX: starts the program, waits for its window;
# sets $wid, $peak_kb (its peak resident memory so far) and $seconds (time
# to the window).
start_shown() {
  local start=$EPOCHREALTIME
  start_program "$1"
  wid=$(wait_window "$2")
  seconds=$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", b - a }')
  peak_kb=$(awk '/^VmHWM:/ { print $2 }' "/proc/$LAST_PID/status")
  [[ -n "$peak_kb" ]] || fail "$1 ended: $(cat "$WORK/$(basename "$1").out")"
}

stop_last() {
  kill "$LAST_PID"
  wait "$LAST_PID" 2>/dev/null || true
  : >"$WORK/trace"
}

# check_memory PROGRAM: the big file's start-up peak against the small one's.
check_memory() {
  local growth=$((big_kb - small_kb))
  echo "$1: window after ${seconds} s on a $mb MB file; peak memory ${big_kb} kB, example file ${small_kb} kB"
  ((growth < limit_kb)) || fail "$1 took $growth kB more to read a $mb MB file"
}

start_shown "$small/chaser" "$CHASER_TITLE"
small_kb=$peak_kb
stop_last
start_shown "$big/chaser" "$CHASER_TITLE"
big_kb=$peak_kb
check_memory chaser
expect_trace_prefix "out 888 0"
click_at "$wid" 40 76 # "Løpelys 1"
wait_trace_count 11
expect_trace_prefix "out 888 0" "out 888 0" \
  "out 888 1" "out 888 2" "out 888 4" "out 888 8" \
  "out 888 16" "out 888 32" "out 888 64" "out 888 128" \
  "out 888 1"
stop_last

start_shown "$small/switchpanel" "$PANEL_TITLE"
small_kb=$peak_kb
stop_last
start_shown "$big/switchpanel" "$PANEL_TITLE"
big_kb=$peak_kb
check_memory switchpanel
click_at "$wid" 56 76 # "Aktiver vifte 1"
wait_trace_count 3
expect_trace_prefix "out 888 0" "in 888 0" "out 888 1"
echo "big settings files ok"
