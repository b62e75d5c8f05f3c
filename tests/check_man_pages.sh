#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# check_man_pages.sh PAGE...
# Each manual page gives lexgrog (which builds the whatis database) its NAME line, formats
# without a single groff warning, and states the licence.
set -uo pipefail
for tool in lexgrog man; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: run scripts/install-deps"; exit 1; }
done
failures=0
for page in "$@"; do
  name=$(basename "$page" .1)
  if ! whatis=$(lexgrog "$page") || [[ $whatis != *"\"$name - "* ]]; then
    echo "FAIL: $page: lexgrog finds no NAME line: $whatis"
    failures=$((failures + 1))
  fi
  warnings=$(MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
  if [ -n "$warnings" ]; then
    echo "FAIL: $page formats with warnings:"
    echo "$warnings"
    failures=$((failures + 1))
  fi
  if ! MANWIDTH=80 LC_ALL=C.UTF-8 man -E UTF-8 -l "$page" 2>/dev/null | grep -q 'GPL-3.0-or-later'; then
    echo "FAIL: $page does not state the licence"
    failures=$((failures + 1))
  fi
done
[ "$failures" -eq 0 ] && echo "$# manual pages: no warning"
exit $((failures > 0))
