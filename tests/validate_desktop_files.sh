#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# validate_desktop_files.sh DESKTOP_ENTRY METAINFO MIME_XML
# Runs the desktop's own validators on the desktop entry and the AppStream metainfo, and builds
# a throw-away MIME database from the MIME type to see that it maps *.hyp and names its icon.
set -euo pipefail
desktop=$1 metainfo=$2 mime=$3
for tool in desktop-file-validate appstreamcli update-mime-database; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: run scripts/install-deps"; exit 1; }
done

desktop-file-validate "$desktop"
grep -qx 'Exec=hypsor %f' "$desktop" || { echo "$desktop: Exec must pass the file (%f)"; exit 1; }
grep -qx 'MimeType=application/x-hypsor-flight;' "$desktop" || { echo "$desktop: MimeType"; exit 1; }
for key in 'Name\[pl\]' 'Comment\[pl\]' Name Comment; do
  grep -q "^$key=" "$desktop" || { echo "$desktop: no $key"; exit 1; }
done

appstreamcli validate --no-net --strict "$metainfo"
grep -q '<summary xml:lang="pl">' "$metainfo" || { echo "$metainfo: no Polish summary"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/packages"
cp "$mime" "$work/packages/"
# update-mime-database reports a broken file but still exits 0: check what it built.
update-mime-database "$work" 2>"$work/log" || { cat "$work/log"; exit 1; }
if ! grep -qx 'application/x-hypsor-flight:io.github.hypsor.Hypsor' "$work/icons" ||
   ! grep -q ':application/x-hypsor-flight:\*\.hyp$' "$work/globs2"; then
  echo "$mime: the MIME type was not built as expected:"
  cat "$work/log"
  exit 1
fi
echo "desktop entry, metainfo and MIME type are valid"
