#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# check_no_test_hooks.sh HYPSOR_CLI FILE...
# The shipped tool and its libraries carry none of the hooks the suites once reached through it
# (they live in the test build's tools now): no word of them in hypsor-cli's help, nor among the
# strings of the tool, its drawing module and the libraries it loads.
set -euo pipefail
cli=$1
hooks='poll-ms|make-example|keep-file'
failed=0
help=$("$cli" --help)
# The help did list the commands, so a hook missing from it means something.
grep -q '^  results ' <<<"$help" || { echo "hypsor-cli --help lists no commands:"; echo "$help"; exit 1; }
if grep -Eq "$hooks" <<<"$help"; then
  echo "hypsor-cli --help names a test hook: $(grep -E "$hooks" <<<"$help")"
  failed=1
fi
for file in "$@"; do
  # The loaded data (not the debugging information): bytes and Qt's UTF-16 literals
  # (QStringLiteral) alike.
  found=$(strings -d "$file"; strings -d -e l "$file")
  # The strings were read: every file names the program somewhere.
  grep -q hypsor <<<"$found" || { echo "no strings read from $file"; exit 1; }
  if grep -Eq "$hooks" <<<"$found"; then
    echo "$file holds a test hook: $(grep -E "$hooks" <<<"$found" | sed -n 1,3p | tr '\n' ' ')"
    failed=1
  fi
done
[ "$failed" = 0 ] && echo "no test hook in the help or in $# files"
exit "$failed"
