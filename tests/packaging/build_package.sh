# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian packages of this build folder (velmo and the packages of
# its parts that are built) into $PACKAGE_DIR (made afresh), as
# `cpack -G DEB` does in the build folder.
set -euo pipefail
rm -rf "$PACKAGE_DIR"
mkdir -p "$PACKAGE_DIR"
cpack -G DEB --config "$BUILD_DIR/CPackConfig.cmake" -B "$PACKAGE_DIR" >"$PACKAGE_DIR/cpack.log" 2>&1 ||
  { cat "$PACKAGE_DIR/cpack.log" >&2; exit 1; }
ls "$PACKAGE_DIR"/*.deb
