# bash completion for ralu: long options, with the values of those whose
# values are a fixed few, and file names elsewhere. The words come from
# ralu's own table of options, written in front of this at build time. It
# needs nothing from the bash-completion package, so it also works sourced
# alone.

# File names starting with $1, directories marked as readline marks them.
_ralu_files() {
  compopt -o filenames 2>/dev/null
  mapfile -t COMPREPLY < <(compgen -f -- "$1")
}

# Offers $2 (a list of words) that start with $1, with $3 put in front.
_ralu_offer() {
  local word
  COMPREPLY=()
  for word in $2; do
    if [[ $word == "$1"* ]]; then COMPREPLY+=("$3$word"); fi
  done
}

_ralu() {
  local cur=${COMP_WORDS[COMP_CWORD]} option= value= before= i
  COMPREPLY=()

  # A value after '='. bash splits "--color=al" into "--color", "=" and
  # "al" (COMP_WORDBREAKS holds '='); a caller that does not split leaves it
  # whole, and the offers then carry the option in front.
  if [[ $cur == = ]]; then
    option=${COMP_WORDS[COMP_CWORD - 1]}
  elif ((COMP_CWORD >= 2)) && [[ ${COMP_WORDS[COMP_CWORD - 1]} == = ]]; then
    option=${COMP_WORDS[COMP_CWORD - 2]} value=$cur
  elif [[ $cur == --*=* ]]; then
    option=${cur%%=*} value=${cur#*=} before=$option=
  fi

  # After "--" every word is a name.
  for ((i = 1; i < COMP_CWORD; i++)); do
    if [[ ${COMP_WORDS[i]} == -- ]]; then
      _ralu_files "$cur"
      return
    fi
  done

  if [[ -n $option ]]; then
    _ralu_choices "$option"
    if [[ -n $_ralu_offers ]]; then
      _ralu_offer "$value" "$_ralu_offers" "$before"
    else
      _ralu_files "$value"
      if [[ -n $before ]]; then COMPREPLY=("${COMPREPLY[@]/#/$before}"); fi
    fi
    return
  fi

  # The value of the word before: a long option that takes one, or a group
  # of letters that ends in one that does ("-U", "-bU").
  if ((COMP_CWORD >= 2)); then
    local previous=${COMP_WORDS[COMP_CWORD - 1]}
    if [[ " $_ralu_long_valued " == *" $previous "* ]] ||
      [[ $previous =~ ^-[$_ralu_plain_letters]*[$_ralu_valued_letters]$ ]]; then
      _ralu_choices "$previous"
      if [[ -n $_ralu_offers ]]; then
        _ralu_offer "$cur" "$_ralu_offers" ""
      else
        _ralu_files "$cur"
      fi
      return
    fi
  fi

  if [[ $cur == --* ]]; then
    _ralu_offer "$cur" "$_ralu_long_options" ""
    # "--width=" waits for its value: no blank after it.
    if ((${#COMPREPLY[@]} == 1)) && [[ ${COMPREPLY[0]} == *= ]]; then
      compopt -o nospace 2>/dev/null
    fi
  elif [[ $cur == -* ]]; then
    local letters=$_ralu_plain_letters$_ralu_valued_letters
    _ralu_offer "$cur" "$(sed 's/./-& /g' <<<"$letters") $_ralu_long_options" ""
  else
    _ralu_files "$cur"
  fi
}

complete -F _ralu ralu
