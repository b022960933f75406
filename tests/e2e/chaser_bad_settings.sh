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
pid=$LAST_PID
expected="$folder/Velmo1.ini [timer3] tiden2 = 70000: a step time must be 0 to 65535 ms"
_reported() { grep -qF "$expected" "$WORK/chaser.out"; }
wait_until 20 _reported || fail "no report of the bad step time: $(cat "$WORK/chaser.out")"

box=$(wait_window '^chaser$')
if xdotool search --onlyvisible --name '^Velmo 1\.1 by ' >/dev/null 2>&1; then
  fail "the chaser window showed despite the failed start-up"
fi
xdotool windowfocus --sync "$box" key Return
status=0
wait "$pid" || status=$?
[[ $status -eq 1 ]] || fail "the chaser ended with status $status, expected 1"
expect_trace_prefix "out 888 0"
(($(trace_events | wc -l) == 1)) || fail "more than start-up's 0 was written"
echo "chaser bad settings ok"
