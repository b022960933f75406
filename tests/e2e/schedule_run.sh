# SPDX-License-Identifier: GPL-3.0-or-later
# velmo schedule run on a private session bus, the programs started by the
# bus: a show on now starts at once and stops at its stop; a changed file is
# read again; a bad one leaves the last good schedule running; a pattern the
# chaser lacks is its refusal, told.
source "$E2E_LIB"
e2e_setup
unset VELMO_PORT # the default register, as the bus names are
mkdir "$WORK/services"
for program in chaser switchpanel; do
  settings=$([[ $program == chaser ]] && echo Velmo1.ini || echo Velmo.ini)
  make_program_folder "$WORK/$program" "$program" "$VELMO_EXAMPLES/$settings"
  name=$([[ $program == chaser ]] && echo Chaser || echo SwitchPanel)
  printf '[D-BUS Service]\nName=org.velmo.%s\nExec=%s --headless\n' "$name" \
    "$WORK/$program/$program" >"$WORK/services/org.velmo.$name.service"
done
start_session_bus "$WORK/services"

# A zone whose clock shows :50 now: the current minute, and a show in it, end in 10 s.
export TZ="UTC-00:00:$(printf %02d $(((50 - 10#$(date -u +%S) + 60) % 60)))"
minute() { date -d "@$(($(date +%s) + $1 * 60))" +%H:%M; }
show() { printf '[%s]\nstart=%s\nstop=%s\n%s\n' "$1" "$(minute 0)" "$(minute "$2")" "$3"; }
property() {
  gdbus call --session --dest "org.velmo.$1" --object-path "/org/velmo/$1" \
    --method org.freedesktop.DBus.Properties.Get "org.velmo.${1}1" "$2" 2>/dev/null
}
is() { [[ $(property "$1" "$2") == "(<$3>,)" ]]; }
said() { grep -qF -- "$2" "$WORK/$1"; }

show "shop window" 1 pattern=2 >"$WORK/schedule.ini"
"$VELMO_BIN_DIR/velmo" schedule run "$WORK/schedule.ini" >"$WORK/velmo.out" 2>"$WORK/velmo.err" &
E2E_PIDS="$E2E_PIDS $!"
wait_until 20 is Chaser Pattern "uint32 2" || fail "the show on now did not start: $(cat "$WORK/velmo.out" "$WORK/velmo.err")"
E2E_PIDS="$E2E_PIDS $(pgrep -f "^$WORK/(chaser/chaser|switchpanel/switchpanel) --headless" | tr '\n' ' ')"
said velmo.out " start shop window pattern=2" || fail "run did not tell the start: $(cat "$WORK/velmo.out")"
wait_until 20 is Chaser Pattern "uint32 0" || fail "the show did not stop at its stop"
said velmo.out " stop shop window" || fail "run did not tell the stop: $(cat "$WORK/velmo.out")"

{ show lamps 2 lines=5 && show big 2 pattern=9; } >"$WORK/schedule.ini"
wait_until 20 is SwitchPanel Lines "byte 0x05" || fail "the changed file's show did not start: $(cat "$WORK/velmo.err")"
E2E_PIDS="$E2E_PIDS $(pgrep -f "^$WORK/switchpanel/switchpanel --headless")"
wait_until 10 said velmo.err "velmo: the chaser refused: " || fail "no refusal told: $(cat "$WORK/velmo.err")"

printf '[lamps]\nstart=25:00\n' >"$WORK/schedule.ini"
wait_until 10 said velmo.err "schedule.ini [lamps] start = 25:00: a time is HH:MM" ||
  fail "the bad file was not told: $(cat "$WORK/velmo.err")"
said velmo.err "; running on with the schedule read before" || fail "$(cat "$WORK/velmo.err")"
is SwitchPanel Lines "byte 0x05" || fail "the bad file changed the lines"
echo "schedule run ok"
