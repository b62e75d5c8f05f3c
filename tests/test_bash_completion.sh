#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# test_bash_completion.sh COMPLETION_FILE CLI
# Drives the installed bash completion of hypsor-cli as bash would at a <Tab> and checks what it
# offers against the tool's own help and a folder of files made here.
set -uo pipefail
completion=$1 cli=$2
bin=$(mktemp -d) work=$(mktemp -d)
trap 'rm -rf "$bin" "$work"' EXIT
ln -s "$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")" "$bin/hypsor-cli"
export PATH="$bin:$PATH"
# shellcheck source=/dev/null
source "$completion"
failures=0

# offers "WORDS BEFORE THE CURSOR" "EXPECTED, sorted, one line": the line is split at blanks
# (an empty last word is written as '') and the cursor stands at its last word.
offers() {
  local line=$1 expected=$2
  read -r -a COMP_WORDS <<<"$line"
  [ "${line: -3}" = " ''" ] && COMP_WORDS[${#COMP_WORDS[@]} - 1]=""
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  _hypsor_cli
  local got
  got=$(printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | sort | tr '\n' ' ' | sed 's/ $//')
  if [ "$got" != "$expected" ]; then
    echo "FAIL: '$line' offered '$got', expected '$expected'"
    failures=$((failures + 1))
  fi
}

cd "$work" || exit 1
mkdir contest results-old
touch a.hyp B.HYP notes.txt

# The commands are the ones hypsor-cli --help lists, never a hidden one.
listed=$(hypsor-cli --help | sed -n '/^Commands:/,/^$/s/^  \([a-z-]*\) .*/\1/p' | sort | tr '\n' ' ')
[ -n "$listed" ] || { echo "FAIL: hypsor-cli --help lists no commands"; exit 1; }
offers "hypsor-cli ''" "$(echo $listed help | tr ' ' '\n' | sort | tr '\n' ' ' | sed 's/ $//')"
offers "hypsor-cli d" "download"
offers "hypsor-cli re" "report reset results"
offers "hypsor-cli help s" "settings stats"
offers "hypsor-cli --v" "--version"
offers "hypsor-cli make-" ""

# Options, from each command's own help.
offers "hypsor-cli plot --c" "--compare"
offers "hypsor-cli download --port ttyX --s" "--session"
offers "hypsor-cli stats a.hyp --j" "--json"
offers "hypsor-cli info --bogus" ""

# Values and arguments.
offers "hypsor-cli download --session ''" "contest results-old"
offers "hypsor-cli results r" "results-old"
offers "hypsor-cli info ''" "B.HYP a.hyp contest results-old"
offers "hypsor-cli plot a.hyp --out n" "notes.txt"
offers "hypsor-cli plot a.hyp --size ''" ""
# After "--" a word with a dash is a file name, not an option.
touch -- -lead.hyp
offers "hypsor-cli info -- -" "-lead.hyp"

[ "$failures" -eq 0 ] && echo "bash completion: all offers as expected"
exit $((failures > 0))
