# SPDX-License-Identifier: GPL-3.0-or-later
# chaser and switchpanel on one OLA universe act as one latch, whatever the
# universe's merge mode: the switch panel lights a line, then "Deaktiver" in
# the chaser writes 0, and all eight channels end at 0 (in HTP mode the
# panel's own last frame would hold its line at 255 had it not followed).
# A click sets exactly its channel: channels 10 and 20 of another client,
# which streams as a lighting desk does, stay as it sets them, and a lit
# line stays lit after olad forgot the panel's frame (2.5 s after it came).
source "$E2E_LIB"
e2e_setup
start_olad
start_ola_recorder 1
start_ola_client desk stream 1 0,0,0,0,0,0,0,0,0,42,0,0,0,0,0,0,0,0,0,99
others="0,42,0,0,0,0,0,0,0,0,0,99"
wait_last_frame "0,0,0,0,0,0,0,0,$others"
export VELMO_PORT="ola:1@$OLA_PORT"

start_example chaser
chaser=$LAST_WINDOW
start_example switchpanel
panel=$LAST_WINDOW
xdotool windowmove --sync "$panel" 0 300 # both open at the top-left corner
wait_trace_count 2

line=1
for mode in htp ltp; do
  ola_client merge 1 "$mode"
  click_at "$panel" $((8 + 104 * (line - 1) + 48)) 76 # "Aktiver" of the line
  lit=(0 0 0 0 0 0 0 0)
  lit[line - 1]=255
  wait_last_frame "$(IFS=,; echo "${lit[*]}"),$others"
  if [[ $mode == htp ]]; then
    sleep 3
    wait_last_frame "$(IFS=,; echo "${lit[*]}"),$others"
  fi
  click_at "$chaser" 256 76 # "Deaktiver": 0
  wait_last_frame "0,0,0,0,0,0,0,0,$others"
  line=$((line + 1))
done
echo "one latch on OLA ok"
