# The package's files, unpacked into a scratch root: the layout, and an
# installed chaser started through its command. /opt of a private mount
# namespace is the scratch root's, so the chaser runs from /opt/velmo as
# installed without changing this machine.
source "$E2E_LIB"
deb=$(echo "$PACKAGE_DIR"/velmo_*.deb)
[[ -f "$deb" ]] || fail "no package in $PACKAGE_DIR"
e2e_setup
root="$WORK/root"
dpkg-deb -x "$deb" "$root"

expected="./opt/velmo/Velmo.ini
./opt/velmo/Velmo1.ini
./opt/velmo/chaser
./opt/velmo/libvelmoport-ola.so
./opt/velmo/libvelmoport.so
./opt/velmo/portmonitor
./opt/velmo/switchpanel
./usr/bin/velmo-chaser -> /opt/velmo/chaser
./usr/bin/velmo-portmonitor -> /opt/velmo/portmonitor
./usr/bin/velmo-switchpanel -> /opt/velmo/switchpanel
./usr/share/applications/velmo-chaser.desktop
./usr/share/applications/velmo-portmonitor.desktop
./usr/share/applications/velmo-switchpanel.desktop
./usr/share/man/man1/velmo-chaser.1.gz
./usr/share/man/man1/velmo-portmonitor.1.gz
./usr/share/man/man1/velmo-switchpanel.1.gz"
actual=$(cd "$root" && find ./opt ./usr/bin ./usr/share/applications ./usr/share/man \
  \( -type f -printf '%p\n' \) -o \( -type l -printf '%p -> %l\n' \) | LC_ALL=C sort)
[[ "$actual" == "$expected" ]] || fail "the package holds
$actual
expected
$expected"
for size in 16 22 24 32 48 64 128 256; do
  [[ -f "$root/usr/share/icons/hicolor/${size}x${size}/apps/velmo.png" ]] || fail "no ${size}px icon"
done
[[ -f "$root/usr/share/icons/hicolor/scalable/apps/velmo.svg" ]] || fail "no scalable icon"
[[ $(dpkg-deb -f "$deb" Version) == "$VELMO_VERSION" ]] || fail "the version is not $VELMO_VERSION"
[[ $(dpkg-deb -f "$deb" Depends) == *libqt6widgets6* ]] || fail "Depends lacks Qt: $(dpkg-deb -f "$deb" Depends)"

# A bad step time in the installed Velmo1.ini: the report names that file.
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
