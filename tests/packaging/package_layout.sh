# SPDX-License-Identifier: GPL-3.0-or-later
# The packages' files, each unpacked into a scratch root: the layout and the
# dependencies, and an installed chaser started through its command. /opt of
# a private mount namespace is the scratch root's, so the chaser runs from
# /opt/velmo as installed without changing this machine.
source "$E2E_LIB"
e2e_setup
packages=(velmo velmo-remote velmo-remote-mqtt)
[[ "$VELMO_OLA_PACKAGE" == 1 ]] && packages+=(velmo-ola)
[[ -n "$VELMO_LINES_MODULES" ]] && packages+=(velmo-relays)
for package in "${packages[@]}"; do
  deb=$(echo "$PACKAGE_DIR/${package}_"*.deb)
  [[ -f "$deb" ]] || fail "no package $package in $PACKAGE_DIR"
  dpkg-deb -x "$deb" "$WORK/$package"
  [[ $(dpkg-deb -f "$deb" Version) == "$VELMO_VERSION" ]] || fail "$package's version is not $VELMO_VERSION"
done

# expect_files PACKAGE EXPECTED: the package's files and links, but the icons.
expect_files() {
  local actual
  actual=$(cd "$WORK/$1" && find . -path ./usr/share/icons -prune -o \( -type f -printf '%p\n' \) -o \
    \( -type l -printf '%p -> %l\n' \) | LC_ALL=C sort)
  [[ "$actual" == "$2" ]] || fail "$1 holds
$actual
expected
$2"
}
# depends PACKAGE: its Depends field.
depends() { dpkg-deb -f "$PACKAGE_DIR/${1}_"*.deb Depends; }

expect_files velmo "./lib/udev/rules.d/70-velmo-relays.rules
./opt/velmo/chaser
./opt/velmo/libvelmoport.so
./opt/velmo/portmonitor
./opt/velmo/switchpanel
./opt/velmo/velmo
./usr/bin/velmo -> /opt/velmo/velmo
./usr/bin/velmo-chaser -> /opt/velmo/chaser
./usr/bin/velmo-portmonitor -> /opt/velmo/portmonitor
./usr/bin/velmo-switchpanel -> /opt/velmo/switchpanel
./usr/lib/systemd/user/velmo-chaser.service
./usr/lib/systemd/user/velmo-schedule.service
./usr/lib/systemd/user/velmo-switchpanel.service
./usr/share/applications/org.velmo.Chaser.desktop
./usr/share/applications/org.velmo.PortMonitor.desktop
./usr/share/applications/org.velmo.SwitchPanel.desktop
./usr/share/dbus-1/interfaces/org.velmo.Chaser1.xml
./usr/share/dbus-1/interfaces/org.velmo.SwitchPanel1.xml
./usr/share/dbus-1/services/org.velmo.Chaser.service
./usr/share/dbus-1/services/org.velmo.SwitchPanel.service
./usr/share/doc/velmo/changelog.gz
./usr/share/doc/velmo/copyright
./usr/share/lintian/overrides/velmo
./usr/share/man/man1/velmo-chaser.1.gz
./usr/share/man/man1/velmo-portmonitor.1.gz
./usr/share/man/man1/velmo-schedule.1.gz
./usr/share/man/man1/velmo-switchpanel.1.gz
./usr/share/man/man1/velmo.1.gz
./usr/share/velmo/Velmo.ini
./usr/share/velmo/Velmo1.ini"
root="$WORK/velmo"
for size in 16 22 24 32 48 64 128 256; do
  [[ -f "$root/usr/share/icons/hicolor/${size}x${size}/apps/velmo.png" ]] || fail "no ${size}px icon"
done
[[ -f "$root/usr/share/icons/hicolor/scalable/apps/velmo.svg" ]] || fail "no scalable icon"
[[ $(depends velmo) == *libnova*libqt6widgets6* && $(depends velmo) != *libola* ]] ||
  fail "velmo depends on: $(depends velmo)"
if [[ -n "$VELMO_LINES_MODULES" ]]; then
  expect_files velmo-relays "$(printf './opt/velmo/%s\n' $VELMO_LINES_MODULES | LC_ALL=C sort)
./usr/share/doc/velmo-relays/changelog.gz
./usr/share/doc/velmo-relays/copyright
./usr/share/lintian/overrides/velmo-relays"
  [[ $(depends velmo-relays) == "velmo (= $VELMO_VERSION), "* ]] ||
    fail "velmo-relays depends on: $(depends velmo-relays)"
fi
# Each relay library: velmo-relays depends on it where its module is built, velmo never.
for pair in ftdi:libftdi1-2 hidrelay:libhidapi-hidraw0 gpio:libgpiod2 mqtt:libmosquitto1; do
  [[ $(depends velmo) != *"${pair#*:}"* ]] || fail "velmo depends on ${pair#*:}: $(depends velmo)"
  [[ $VELMO_LINES_MODULES != *"-${pair%%:*}.so"* || $(depends velmo-relays) == *"${pair#*:}"* ]] ||
    fail "velmo-relays does not depend on ${pair#*:}: $(depends velmo-relays)"
done

expect_files velmo-remote "./opt/velmo/remote
./usr/bin/velmo-remote -> /opt/velmo/remote
./usr/lib/systemd/user/velmo-remote.service
./usr/share/applications/org.velmo.Remote.desktop
./usr/share/dbus-1/interfaces/org.velmo.Remote1.xml
./usr/share/dbus-1/services/org.velmo.Remote.service
./usr/share/doc/velmo-remote/changelog.gz
./usr/share/doc/velmo-remote/copyright
./usr/share/lintian/overrides/velmo-remote
./usr/share/man/man1/velmo-remote.1.gz"
[[ $(depends velmo-remote) == "velmo (= $VELMO_VERSION), "*liblo7*libqrencode4* &&
  $(depends velmo-remote) != *httpserver* && $(depends velmo-remote) != *mosquitto* &&
  $(depends velmo-remote) != *libola* ]] ||
  fail "velmo-remote depends on: $(depends velmo-remote)"
expect_files velmo-remote-mqtt "./opt/velmo/libvelmoremote-mqtt.so
./usr/share/doc/velmo-remote-mqtt/changelog.gz
./usr/share/doc/velmo-remote-mqtt/copyright
./usr/share/lintian/overrides/velmo-remote-mqtt"
[[ $(depends velmo-remote-mqtt) == "velmo-remote (= $VELMO_VERSION), "*libmosquitto1* ]] ||
  fail "velmo-remote-mqtt depends on: $(depends velmo-remote-mqtt)"

if [[ "$VELMO_OLA_PACKAGE" == 1 ]]; then
  expect_files velmo-ola "./opt/velmo/libvelmoport-ola.so
./usr/share/doc/velmo-ola/changelog.gz
./usr/share/doc/velmo-ola/copyright
./usr/share/lintian/overrides/velmo-ola"
  [[ $(depends velmo-ola) == "velmo (= $VELMO_VERSION), "*libola1* ]] ||
    fail "velmo-ola depends on: $(depends velmo-ola)"
fi

# A bad step time in the installed Velmo1.ini (which the package's postinst
# copies from usr/share/velmo): the report names that file.
cp "$root/usr/share/velmo/Velmo1.ini" "$root/opt/velmo/"
sed -i 's/^tiden2=300$/tiden2=70000/' "$root/opt/velmo/Velmo1.ini"
if ((EUID == 0)); then
  namespace=(unshare --mount)
else
  namespace=(unshare --mount --map-root-user)
fi
"${namespace[@]}" true 2>/dev/null || e2e_skip "no mount namespace for a scratch /opt here"

# The command's output lands in $WORK/velmo-chaser.out, for expect_fatal_report.
mkdir -p "$WORK/bin"
cat >"$WORK/bin/velmo-chaser" <<SCRIPT
#!/bin/sh
exec ${namespace[*]} sh -c 'mount --bind "\$0" /opt && exec "\$1"' "$root/opt" "$root/usr/bin/velmo-chaser"
SCRIPT
chmod +x "$WORK/bin/velmo-chaser"
start_program "$WORK/bin/velmo-chaser"
expect_fatal_report "$LAST_PID" velmo-chaser \
  "/opt/velmo/Velmo1.ini [timer3] tiden2 = 70000: a step time must be 0 to 65535 ms"
echo "package layout ok"
