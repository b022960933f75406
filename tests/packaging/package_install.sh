# SPDX-License-Identifier: GPL-3.0-or-later
# The packages installed for real with apt-get, as users install them, then
# reinstalled, removed and purged: a remove leaves only the settings files
# the user changed, a purge nothing. It changes the machine, so it runs only
# where that is wanted (CI, or VELMO_TEST_REAL_INSTALL=1), as root, and never
# where Velmo is installed or /opt/velmo exists. Whatever happens, it purges
# the packages and removes /opt/velmo when it ends.
source "$E2E_LIB" # fail, wait_until, e2e_skip
[[ "${CI:-}" == true || "${VELMO_TEST_REAL_INSTALL:-}" == 1 ]] ||
  e2e_skip "installs for real only in CI or with VELMO_TEST_REAL_INSTALL=1"
((EUID == 0)) || e2e_skip "installing for real needs root"
for package in velmo velmo-ola velmo-relays; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null) || true
  [[ -z "$status" || "$status" == not-installed ]] ||
    e2e_skip "$package is on this machine ($status): left alone"
done
[[ ! -e /opt/velmo ]] || e2e_skip "/opt/velmo exists: left alone"
deb=$(echo "$PACKAGE_DIR"/velmo_*.deb)
[[ -f "$deb" ]] || fail "no package velmo in $PACKAGE_DIR"
ola_deb=""
packages=(velmo)
if [[ "$VELMO_OLA_PACKAGE" == 1 ]]; then
  packages=(velmo-ola velmo)
  ola_deb=$(echo "$PACKAGE_DIR"/velmo-ola_*.deb)
  [[ -f "$ola_deb" ]] || fail "no package velmo-ola in $PACKAGE_DIR"
fi
relays_deb=""
if [[ -n "$VELMO_LINES_MODULES" ]]; then
  packages=(velmo-relays "${packages[@]}")
  relays_deb=$(echo "$PACKAGE_DIR"/velmo-relays_*.deb)
  [[ -f "$relays_deb" ]] || fail "no package velmo-relays in $PACKAGE_DIR"
fi

tmp=$(mktemp -d)
chaser=""
cleanup() {
  [[ -z "$chaser" ]] || kill -KILL "$chaser" 2>/dev/null || true
  dpkg --purge velmo-relays velmo-ola velmo >/dev/null 2>&1 || true
  rm -rf /opt/velmo "$tmp"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# apt ARGS...: apt-get without questions; its output only when it fails.
apt() {
  DEBIAN_FRONTEND=noninteractive apt-get -y -qq -o Dpkg::Use-Pty=0 "$@" >"$tmp/apt.log" 2>&1 ||
    { cat "$tmp/apt.log" >&2; return 1; }
}
# leftovers: the packages' files ($files) still there, and whatever is in
# the program folder.
leftovers() {
  local path
  {
    while read -r path; do
      if [[ -e "$path" && ! -d "$path" ]]; then echo "$path"; fi
    done <<<"$files"
    if [[ -d /opt/velmo ]]; then find /opt/velmo -mindepth 1; fi
  } | LC_ALL=C sort -u
}
# expect_settings CHANGED_VELMO1: Velmo.ini is the example, and Velmo1.ini is
# the example with "; changed here" added (yes) or the example (no).
expect_settings() {
  cmp -s "$VELMO_EXAMPLES/Velmo.ini" /opt/velmo/Velmo.ini || fail "Velmo.ini is not the example"
  if [[ $1 == yes ]]; then
    cmp -s <(cat "$VELMO_EXAMPLES/Velmo1.ini" - <<<"; changed here") /opt/velmo/Velmo1.ini ||
      fail "the change to Velmo1.ini is lost"
  else
    cmp -s "$VELMO_EXAMPLES/Velmo1.ini" /opt/velmo/Velmo1.ini || fail "Velmo1.ini is not the example"
  fi
}

apt install --no-install-recommends "$deb" || fail "apt-get install $deb failed"
files=$(dpkg -L velmo)
expect_settings no

# The commands are on PATH and answer without a display.
for program in chaser switchpanel portmonitor; do
  version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM PATH=/usr/bin:/bin \
    "velmo-$program" --version) || fail "velmo-$program --version failed"
  [[ "$version" == "velmo-$program (Velmo) $VELMO_VERSION" ]] || fail "velmo-$program says $version"
done

# A changed settings file survives an upgrade (here the same version again).
echo "; changed here" >>/opt/velmo/Velmo1.ini
apt install --reinstall "$deb" || fail "reinstalling failed"
expect_settings yes

# The OLA module loads from the program folder: with no olad on the port,
# the chaser's notice is about olad, not about the module.
if [[ -n "$ola_deb" ]]; then
  apt install --no-install-recommends "$ola_deb" || fail "apt-get install $ola_deb failed"
  files+=$'\n'$(dpkg -L velmo-ola)
  listened() { (: <>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }
  port=9010 # olad's own
  while listened "$port"; do port=$((45000 + RANDOM % 10000)); done
  mkdir -m 700 "$tmp/runtime"
  VELMO_PORT="ola:1@$port" XDG_RUNTIME_DIR="$tmp/runtime" QT_QPA_PLATFORM=offscreen \
    velmo-chaser >"$tmp/chaser.out" 2>&1 &
  chaser=$!
  reported() { grep -q '^velmo-chaser: ' "$tmp/chaser.out"; }
  wait_until 20 reported || fail "velmo-chaser reported nothing: $(cat "$tmp/chaser.out")"
  kill "$chaser" && wait "$chaser" || true
  chaser=""
  grep -qF "velmo-chaser: Output lost: Cannot reach olad on RPC port $port of this machine: " \
    "$tmp/chaser.out" ||
    fail "with VELMO_PORT=ola:1@$port velmo-chaser reported: $(cat "$tmp/chaser.out")"
fi

# A relay module comes with velmo-relays: without it the chaser says to
# install that package; with it, the notice is about the MQTT broker.
mqtt_chaser() {
  VELMO_PORT="mqtt:127.0.0.1:1/relay/{line}" XDG_RUNTIME_DIR="$tmp/runtime" QT_QPA_PLATFORM=offscreen \
    timeout 3 velmo-chaser --headless >"$tmp/mqtt.out" 2>&1 || true
  grep '^velmo-chaser: \(Output\|Cannot\)' "$tmp/mqtt.out" || true
}
if [[ $VELMO_LINES_MODULES == *-mqtt.so* ]]; then
  mkdir -p -m 700 "$tmp/runtime"
  out=$(mqtt_chaser)
  grep -qF "install the package velmo-relays" <<<"$out" || fail "without velmo-relays, VELMO_PORT=mqtt: gave: $out"
  apt install --no-install-recommends "$relays_deb" || fail "apt-get install $relays_deb failed"
  files+=$'\n'$(dpkg -L velmo-relays)
  out=$(mqtt_chaser)
  grep -qF "Output lost: Cannot reach the MQTT broker 127.0.0.1:1" <<<"$out" ||
    fail "with velmo-relays, VELMO_PORT=mqtt: gave: $out"
fi

# A remove leaves only the changed settings file; installing again brings
# back the example that was removed.
apt remove "${packages[@]}" || fail "apt-get remove failed"
left=$(leftovers)
[[ "$left" == /opt/velmo/Velmo1.ini ]] || fail "left after remove: $left"
apt install --no-install-recommends "$deb" || fail "installing after remove failed"
expect_settings yes

apt purge velmo || fail "apt-get purge failed"
[[ ! -e /opt/velmo ]] || fail "/opt/velmo is left after purge: $(find /opt/velmo)"
left=$(leftovers)
[[ -z "$left" ]] || fail "left after purge: $left"
echo "package install ok"
