# SPDX-License-Identifier: GPL-3.0-or-later
# --help, --version and a wrong option on each program, with no display to
# reach: each answers and ends without opening a window.
set -euo pipefail
out=$(mktemp -d "${TMPDIR:-/tmp}/velmo-options.XXXXXX")
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# run PROGRAM ARGS...: runs it without a display; $status, $out/stdout, $out/stderr.
run() {
  status=0
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$VELMO_BIN_DIR/$1" "${@:2}" \
    >"$out/stdout" 2>"$out/stderr" </dev/null || status=$?
}

for program in chaser switchpanel portmonitor velmo; do
  run "$program" --help
  [[ $status -eq 0 ]] || fail "$program --help ended with $status: $(cat "$out/stderr")"
  grep -q "^Usage: $program \[OPTION\]" "$out/stdout" || fail "$program --help printed: $(cat "$out/stdout")"

  run "$program" --version
  [[ $status -eq 0 ]] || fail "$program --version ended with $status: $(cat "$out/stderr")"
  grep -qx "$program (Velmo) [0-9.]*" "$out/stdout" || fail "$program --version printed: $(cat "$out/stdout")"

  run "$program" --bogus
  [[ $status -eq 2 ]] || fail "$program --bogus ended with $status, expected 2: $(cat "$out/stderr")"
  [[ ! -s "$out/stdout" ]] || fail "$program --bogus printed on standard output: $(cat "$out/stdout")"
  grep -qx "$program: unknown option --bogus" "$out/stderr" || fail "$program --bogus said: $(cat "$out/stderr")"
  grep -q "^Usage: $program " "$out/stderr" || fail "$program --bogus printed no usage"
done
echo "command line ok"
