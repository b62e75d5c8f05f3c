# SPDX-License-Identifier: GPL-3.0-or-later
# bash completion for hypsor-cli: its commands, each command's options, flight files, folders and
# serial ports. The commands and options are read from the tool's own --help, so they are always
# the installed tool's.

# Prints the options of hypsor-cli COMMAND, one per line, "--name" or "--name <VALUE>".
_hypsor_cli_options() {
  "$1" "$2" --help 2>/dev/null |
    sed -n 's/^  \(-[[:alnum:]], \)\{0,1\}\(--[[:alnum:]-]*\)\( <[^>]*>\)\{0,1\}.*/\2\3/p'
}

_hypsor_cli() {
  local tool=${COMP_WORDS[0]} cur=${COMP_WORDS[COMP_CWORD]} prev=""
  [ "$COMP_CWORD" -gt 0 ] && prev=${COMP_WORDS[COMP_CWORD - 1]}
  local command="" helping="" ended="" k word
  for ((k = 1; k < COMP_CWORD; k++)); do
    word=${COMP_WORDS[k]}
    if [ "$word" = "--" ]; then
      ended=1
    elif [ -z "$command" ] && [ "${word#-}" = "$word" ]; then
      if [ "$word" = help ] && [ -z "$helping" ]; then helping=1; else command=$word; fi
    fi
  done
  COMPREPLY=()

  if [ -z "$command" ]; then
    if [ "${cur#-}" != "$cur" ] && [ -z "$helping" ]; then
      mapfile -t COMPREPLY < <(compgen -W "--help --version" -- "$cur")
    else
      local commands
      commands=$("$tool" --help 2>/dev/null | sed -n '/^Commands:/,/^$/s/^  \([[:alnum:]-]*\) .*/\1/p')
      [ -z "$helping" ] && commands="$commands help"
      mapfile -t COMPREPLY < <(compgen -W "$commands" -- "$cur")
    fi
    return 0
  fi
  [ -n "$helping" ] && return 0

  local options
  options=$(_hypsor_cli_options "$tool" "$command")
  # The value of an option that takes one.
  if [ -z "$ended" ] && [ "${prev#--}" != "$prev" ] &&
    printf '%s\n' "$options" | grep -qx -- "$prev <.*>"; then
    case $prev in
      --port)
        local ports=() p
        for p in /dev/ttyUSB* /dev/ttyACM* /dev/ttyS* /dev/rfcomm*; do
          [ -e "$p" ] && ports+=("${p#/dev/}")
        done
        mapfile -t COMPREPLY < <(compgen -W "${ports[*]}" -- "$cur")
        ;;
      --session)
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -d -- "$cur")
        ;;
      --out | --compare | --log)
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        ;;
    esac
    return 0
  fi
  if [ -z "$ended" ] && [ "${cur#-}" != "$cur" ]; then
    mapfile -t COMPREPLY < <(compgen -W "$(printf '%s\n' "$options" | cut -d' ' -f1)" -- "$cur")
    return 0
  fi
  # Arguments: a contest folder, or flight files (and folders on the way to them).
  compopt -o filenames 2>/dev/null
  case $command in
    results | verify) mapfile -t COMPREPLY < <(compgen -d -- "$cur") ;;
    *) mapfile -t COMPREPLY < <(compgen -d -- "$cur"; compgen -f -X '!*.[hH][yY][pP]' -- "$cur") ;;
  esac
  return 0
}

complete -F _hypsor_cli hypsor-cli
