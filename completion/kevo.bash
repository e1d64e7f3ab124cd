# bash completion for kevo: its option letters, a folder after -o, then the
# two file names. Options end at the first word that does not begin with
# '-', as kevo reads them. It needs nothing from the bash-completion package.

_kevo() {
  local cur=${COMP_WORDS[COMP_CWORD]} i=1 names=0
  COMPREPLY=()
  while ((i < COMP_CWORD)); do
    if ((names == 0)) && [[ ${COMP_WORDS[i]} == -o ]]; then
      if ((i + 1 == COMP_CWORD)); then
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -d -- "$cur")
        return
      fi
      ((i += 2))
    elif ((names == 0)) && [[ ${COMP_WORDS[i]} == -* ]]; then
      ((i += 1))
    else
      ((names += 1, i += 1))
    fi
  done

  if ((names == 0)) && [[ $cur == -* ]]; then
    local offers="-b -i -t -o"
    # -usage only stands alone.
    if ((COMP_CWORD == 1)); then offers+=" -usage"; fi
    mapfile -t COMPREPLY < <(compgen -W "$offers" -- "$cur")
  elif ((names < 2)); then
    compopt -o filenames 2>/dev/null
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
  fi
}

complete -F _kevo kevo
