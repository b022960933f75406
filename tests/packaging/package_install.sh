# The package installed for real with apt-get, as users install it, then
# upgraded, removed and purged. It changes the machine, so it runs only where
# that is wanted (CI, or VELMO_TEST_REAL_INSTALL=1), as root, and never where
# Velmo is installed or /opt/velmo exists.
set -euo pipefail
fail() { echo "FAIL: $*" >&2; exit 1; }
skip() { echo "SKIP: $*"; exit 77; }
[[ "${CI:-}" == true || "${VELMO_TEST_REAL_INSTALL:-}" == 1 ]] ||
  skip "installs for real only in CI or with VELMO_TEST_REAL_INSTALL=1"
((EUID == 0)) || skip "installing for real needs root"
status=$(dpkg-query -W -f='${db:Status-Status}' velmo 2>/dev/null) || true
[[ -z "$status" || "$status" == not-installed ]] || skip "velmo is on this machine ($status): left alone"
[[ ! -e /opt/velmo ]] || skip "/opt/velmo exists: left alone"
deb=$(echo "$PACKAGE_DIR"/velmo_*.deb)
[[ -f "$deb" ]] || fail "no package in $PACKAGE_DIR"

# existing_files: the files (not folders) of the package list $files still there.
existing_files() {
  local path
  while read -r path; do
    if [[ -e "$path" && ! -d "$path" ]]; then echo "$path"; fi
  done <<<"$files"
}
log=$(mktemp)
# apt ARGS...: apt-get without questions; its output only when it fails.
apt() {
  DEBIAN_FRONTEND=noninteractive apt-get -y -qq -o Dpkg::Use-Pty=0 "$@" >"$log" 2>&1 ||
    { cat "$log" >&2; return 1; }
}
trap 'apt purge velmo || dpkg --purge velmo >/dev/null 2>&1; rm -f "$log"' EXIT
apt install --no-install-recommends "$deb" || fail "apt-get install $deb failed"
files=$(dpkg -L velmo)

# The commands are on PATH and answer without a display.
for program in chaser switchpanel portmonitor; do
  version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM PATH=/usr/bin:/bin \
    "velmo-$program" --version) || fail "velmo-$program --version failed"
  [[ "$version" == "velmo-$program (Velmo) $VELMO_VERSION" ]] || fail "velmo-$program says $version"
done
conffiles=$(dpkg-query -W -f='${Conffiles}' velmo | awk 'NF {print $1}' | sort)
[[ "$conffiles" == $'/opt/velmo/Velmo.ini\n/opt/velmo/Velmo1.ini' ]] ||
  fail "the conffiles are: $conffiles"

# A changed settings file survives an upgrade (here the same version again)
# and a remove; the files that remain after remove are the settings files.
echo "; changed here" >>/opt/velmo/Velmo1.ini
apt install --reinstall "$deb" || fail "reinstalling failed"
grep -qx '; changed here' /opt/velmo/Velmo1.ini || fail "reinstalling lost the change to Velmo1.ini"
apt remove velmo || fail "apt-get remove failed"
grep -qx '; changed here' /opt/velmo/Velmo1.ini || fail "remove lost the change to Velmo1.ini"
left=$(existing_files)
[[ "$left" == $'/opt/velmo/Velmo.ini\n/opt/velmo/Velmo1.ini' ]] || fail "left after remove: $left"

apt purge velmo || fail "apt-get purge failed"
[[ ! -e /opt/velmo ]] || fail "/opt/velmo is left after purge: $(find /opt/velmo)"
left=$(existing_files)
[[ -z "$left" ]] || fail "left after purge: $left"
echo "package install ok"
