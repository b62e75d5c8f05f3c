#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# check_package_lintian.sh BUILD_DIR SOURCE_DIR INSTALL_PREFIX
# Packs the build tree's programs as scripts/package does (CPack, installed under /usr) into a
# throw-away folder and runs Debian's package checker on the result. Skipped (status 77) where
# lintian is not installed, or the build is not laid out for /usr as the package is
# (scripts/test configures it so).
set -euo pipefail
build=$1 root=$2 prefix=$3
command -v lintian >/dev/null || { echo "lintian is not installed: skipped"; exit 77; }
[ "$prefix" = /usr ] || { echo "built for $prefix, not /usr as the package: skipped"; exit 77; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
debs=("$out"/*.deb)
[ -f "${debs[0]}" ] || { echo "cpack made no package"; exit 1; }
dpkg-deb -c "${debs[0]}" | grep './usr/share/doc/hypsor/copyright$' >/dev/null || { echo "no copyright file"; exit 1; }
"$root/scripts/check-package" "${debs[0]}"
