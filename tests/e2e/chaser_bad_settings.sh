# SPDX-License-Identifier: GPL-3.0-or-later
# A step time out of range stops the chaser at start-up: the port is cleared
# once, the report names the file, section, key and value, the window never
# shows, and the program ends with status 1 once the report is closed.
source "$E2E_LIB"
e2e_setup

folder="$WORK/velmo"
make_program_folder "$folder" chaser
sed 's/^tiden2=300$/tiden2=70000/' "$VELMO_EXAMPLES/Velmo1.ini" >"$folder/Velmo1.ini"
grep -q '^tiden2=70000$' "$folder/Velmo1.ini" || fail "could not make the bad settings file"

start_program "$folder/chaser"
expect_fatal_report "$LAST_PID" chaser \
  "$folder/Velmo1.ini [timer3] tiden2 = 70000: a step time must be 0 to 65535 ms" "$CHASER_TITLE"
expect_trace_prefix "out 888 0"
(($(trace_events | wc -l) == 1)) || fail "more than start-up's 0 was written"
echo "chaser bad settings ok"
