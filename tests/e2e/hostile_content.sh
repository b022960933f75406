# SPDX-License-Identifier: GPL-3.0-or-later
# Settings files full of what editors and disks can leave behind: a 10 MB
# line, NUL bytes, escape sequences, bytes that are not UTF-8, a header "["
# alone, CR line ends and 100,000 sections.
# - The chaser, with a step time out of range among them, stops at start-up
#   with a report that names the file, section, key and value (which ends
#   at its NUL, its escape character shown as a symbol), and ends with status
#   1 once it is closed or the program is sent SIGTERM.
# - The switch panel starts and switches as usual.
source "$E2E_LIB"
e2e_setup

folder="$WORK/velmo"
make_program_folder "$folder" chaser
make_program_folder "$folder" switchpanel
ten_mb_line() { head -c $((10 * 1024 * 1024)) /dev/zero | tr '\0' 'x'; }
{
  printf '[\r'
  ten_mb_line
  printf '\r[timer1]\rtiden=\xF8\r[timer2]\rtiden1=65536\033[31m\0more\r'
} >"$folder/Velmo1.ini"
{
  printf '\0\0\n[\n'
  awk 'BEGIN { for (i = 100000; i > 1; i--) printf "[Utgang%dh\370y]\ncommand%d=Knapp %d\n", i, 2 * i - 1, i }'
  printf '[Utgang1h\xF8y]\ncommand1=\x93P\xE5\0\xFF\x94 '
  ten_mb_line
  printf '\n'
} >"$folder/Velmo.ini"

report="$folder/Velmo1.ini [timer2] tiden1 = 65536␛[31m: a step time must be 0 to 65535 ms"
start_program "$folder/chaser"
expect_fatal_report "$LAST_PID" chaser "$report" "$CHASER_TITLE"
expect_trace_prefix "out 888 0"

# SIGTERM while the report shows ends the program as closing the report does.
start_program "$folder/chaser"
pid=$LAST_PID
_reported() { grep -sqxF "chaser: $report" "$WORK/chaser.out"; }
wait_until 20 _reported || fail "no report of the bad step time the second time"
wait_window '^chaser$' >/dev/null
kill -TERM "$pid"
wait_exit "$pid"
((EXIT_STATUS == 1)) || fail "the chaser ended with status $EXIT_STATUS on SIGTERM, expected 1"

: >"$WORK/trace"
start_program "$folder/switchpanel"
wid=$(wait_window "$PANEL_TITLE")
click_at "$wid" 56 76 # Command1, with its long caption
wait_trace_count 3
expect_trace_prefix "out 888 0" "in 888 0" "out 888 1"
echo "hostile settings content ok"
