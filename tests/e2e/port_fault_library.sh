# SPDX-License-Identifier: GPL-3.0-or-later
# A port library that is missing, is no shared library, or lacks PortIn: the
# program stops at its first use of the library with a report that names the
# library's path, the reason and the fix, and nothing reaches the register.
source "$E2E_LIB"
e2e_setup
[[ -f "${OUT_ONLY_PORT_LIBRARY:-}" ]] ||
  fail "OUT_ONLY_PORT_LIBRARY must name the test library with PortOut alone"

nothing_written() {
  [[ ! -e "$WORK/port-888" ]] || fail "the register was written: $(od -An -tu1 "$WORK/port-888")"
  [[ ! -e "$WORK/trace" ]] || fail "port accesses were traced"
}

# Missing: the chaser's start-up write is its first use.
folder="$WORK/missing"
make_program_folder "$folder" chaser "$VELMO_EXAMPLES/Velmo1.ini"
rm "$folder/libvelmoport.so"
start_program "$folder/chaser"
expect_fatal_report "$LAST_PID" chaser "Cannot load the port library $folder/libvelmoport.so: \
cannot open shared object file: No such file or directory. Put the libvelmoport.so of this \
version of Velmo beside the program." "$CHASER_TITLE"
nothing_written

# A text file in its place: switchpanel's start-up write fails the same way.
folder="$WORK/text"
make_program_folder "$folder" switchpanel "$VELMO_EXAMPLES/Velmo.ini"
printf 'This is where the port library belongs.\nIt was overwritten by a note.\n' \
  >"$folder/libvelmoport.so"
start_program "$folder/switchpanel"
expect_fatal_report "$LAST_PID" switchpanel "Cannot load the port library \
$folder/libvelmoport.so: invalid ELF header. Replace it with the libvelmoport.so of this \
version of Velmo." "$PANEL_TITLE"
nothing_written

# Without PortIn: switchpanel's start-up needs PortOut alone, so the window
# shows; the first click needs PortIn and ends the program.
folder="$WORK/out-only"
make_program_folder "$folder" switchpanel "$VELMO_EXAMPLES/Velmo.ini"
cp "$OUT_ONLY_PORT_LIBRARY" "$folder/libvelmoport.so"
start_program "$folder/switchpanel"
pid=$LAST_PID
wid=$(wait_window "$PANEL_TITLE")
click_at "$wid" 56 76 # "Aktiver vifte 1"
expect_fatal_report "$pid" switchpanel "The port library $folder/libvelmoport.so has no entry \
PortIn: undefined symbol: PortIn. Replace it with the libvelmoport.so of this version of Velmo."
nothing_written
echo "port library faults ok"
