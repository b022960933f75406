# SPDX-License-Identifier: GPL-3.0-or-later
# The remote's page in a real browser (headless Chromium) on a phone-sized
# window, with the chaser and the switch panel on a private session bus:
# "Løpelys 2" makes the lamps step through its sweep; a line's "Aktiver…"
# switches the line on in the register and in the switch panel.
source "$E2E_LIB"
e2e_setup
# The default register of the test's own runtime folder: the programs' bus
# names then carry no port target.
unset VELMO_PORT
command -v chromium >/dev/null && command -v chromedriver >/dev/null ||
  e2e_skip "chromium and chromium-driver are not installed"
/usr/bin/python3 -c 'import selenium' 2>/dev/null || e2e_skip "python3-selenium is not installed"
start_session_bus
start_example chaser
start_example switchpanel
start_remote
wait_until 20 remote_sees_both_programs || fail "the remote does not see both programs"

# The page checks what it shows; the port trace and the switch panel's own
# Lines property (through the API) say what the programs did.
/usr/bin/python3 "$(dirname "$E2E_LIB")/remote_page.py" "$REMOTE_URL#token=$REMOTE_TOKEN" \
  "$WORK/browser" "${REMOTE_SCREENSHOT:-}" || fail "the page did not drive the programs as expected"
[[ $(trace_events | grep '^out ' | tail -n1) == "out 888 4" ]] ||
  fail "line 3 is not the last write: $(trace_events | tail -n3)"
curl -sf -H "Authorization: Bearer $REMOTE_TOKEN" "${REMOTE_URL}api/v1/state" | grep -q '"lines":4,' ||
  fail "the switch panel does not show line 3 alone on"
echo "remote page ok"
