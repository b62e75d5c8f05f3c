#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# check_one_core.sh CORE UI CLI DRAW GUI
# One copy of the core (and of the window library) per process: hypsor-cli, the drawing module it
# loads and the window program each need the one shared library, and none of them holds a
# function or static object of that library as its own, as a static link would put there.
set -euo pipefail
core=$1 ui=$2 cli=$3 draw=$4 gui=$5
failed=0
fail() { echo "$*"; failed=1; }

needed() { readelf -d "$1" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'; }
soname() { readelf -d "$1" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p'; }
# The program's own functions and objects (our names are all in namespace hypsor) among symbols
# read by nm: not inline ones, which every user of a header holds.
ours() { awk '$2 ~ /^[TtDdBbRr]$/ && $3 ~ /6hypsor/ { print $3 }' | sort -u; }

core_name=$(soname "$core") ui_name=$(soname "$ui")
[ -n "$core_name" ] && [ -n "$ui_name" ] || { echo "the libraries have no SONAME"; exit 1; }
for pair in "$cli:$core_name" "$draw:$ui_name" "$ui:$core_name" "$gui:$ui_name"; do
  file=${pair%%:*} lib=${pair#*:}
  needed "$file" | grep -qx "$lib" || fail "$(basename "$file") does not load $lib"
done
# The tool stays light: the window library and the widgets come with the module only.
needed "$cli" | grep -E 'hypsor_ui|Qt6Widgets|Qt6Gui' && fail "hypsor-cli loads GUI libraries"

core_symbols=$(nm -D --defined-only "$core" | ours)
ui_symbols=$(nm -D --defined-only "$ui" | ours)
# Enough of them to mean something: the core's decoding, the windows.
[ "$(wc -l <<<"$core_symbols")" -gt 100 ] && [ "$(wc -l <<<"$ui_symbols")" -gt 100 ] ||
  { echo "too few symbols read from the libraries"; exit 1; }
for file in "$cli" "$draw" "$ui" "$gui"; do
  table=$(nm --defined-only "$file")
  grep -q . <<<"$table" || { echo "no symbol table in $file (stripped?)"; exit 1; }
  own=$(ours <<<"$table")
  copied=$(comm -12 <(echo "$core_symbols") <(echo "$own") | sed -n 1,3p | tr "\n" " ")
  [ -z "$copied" ] || fail "$(basename "$file") holds its own copy of the core: $copied"
  if [ "$file" != "$ui" ]; then
    copied=$(comm -12 <(echo "$ui_symbols") <(echo "$own") | sed -n 1,3p | tr "\n" " ")
    [ -z "$copied" ] || fail "$(basename "$file") holds its own copy of the window library: $copied"
  fi
done
[ "$failed" = 0 ] && echo "one core: $core_name and $ui_name, no copy of either in the programs"
exit "$failed"
