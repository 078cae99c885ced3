# Bash completion for quelvane-cli: its three commands, their options, the values
# --ext accepts, files for FILE arguments, --table and --profile=, folders for
# --output-dir. Plain compgen only, so that it works without bash-completion's
# helpers; an option's value after '=' is completed whether or not '=' splits words.

_quelvane_cli_reply() {
  mapfile -t COMPREPLY < <(compgen "$@")
}

_quelvane_cli() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
  local command="" dashdash=0 i
  for ((i = 1; i < COMP_CWORD; i++)); do
    case ${COMP_WORDS[i]} in
      --) [[ -n $command ]] && dashdash=1 ;;
      code | convert | table) [[ -z $command ]] && command=${COMP_WORDS[i]} ;;
    esac
  done
  COMPREPLY=()

  # The option whose value is being typed: "--opt VALUE", "--opt=VALUE" as one
  # word, or "--opt" "=" "VALUE" when readline splits the word at '='.
  local option="" value=$cur joined="" attached=0
  if ((dashdash == 0)); then
    if [[ $cur == --*=* ]]; then
      option=${cur%%=*} value=${cur#*=} joined=${cur%%=*}= attached=1
    elif [[ $cur == = ]]; then
      option=$prev value="" attached=1
    elif [[ $prev == = ]] && ((COMP_CWORD >= 3)); then
      option=${COMP_WORDS[COMP_CWORD - 2]} attached=1
    elif [[ $prev != --profile ]]; then  # its file is only ever given after '='
      option=$prev
    fi
  fi

  case $command:$option in
    convert:--ext) _quelvane_cli_reply -W ".new .new.txt" -- "$value" ;;
    code:--table | convert:--table | table:--table | convert:--profile)
      compopt -o filenames 2>/dev/null
      _quelvane_cli_reply -f -- "$value"
      ;;
    convert:-o | convert:--output-dir)
      compopt -o filenames 2>/dev/null
      _quelvane_cli_reply -d -- "$value"
      ;;
    convert:-s | convert:--source-sep | convert:-d | convert:--dest-sep | convert:--prefix | \
      convert:--fixed-length | convert:-k | convert:--column | convert:-j | convert:--jobs) ;;
    *)
      if ((attached)); then
        return 0
      elif [[ $cur == -?* ]] && ((dashdash == 0)); then
        case $command in
          "") _quelvane_cli_reply -W "--help --version -h" -- "$cur" ;;
          code | table) _quelvane_cli_reply -W "--table --help -h" -- "$cur" ;;
          convert)
            _quelvane_cli_reply -W "-r --isin-to-sicovam -s --source-sep -d --dest-sep --prefix
              --fixed-length -k --column -j --jobs -a --all-values --skip-ignored --ext --table
              --profile
              --yes --no -o --output-dir --help -h" -- "$cur"
            ;;
        esac
      elif [[ -z $command ]]; then
        _quelvane_cli_reply -W "code convert table" -- "$cur"
      elif [[ $command == convert ]]; then
        compopt -o filenames 2>/dev/null
        _quelvane_cli_reply -f -- "$cur"
      fi
      return 0
      ;;
  esac
  if [[ -n $joined ]]; then
    COMPREPLY=("${COMPREPLY[@]/#/$joined}")
  fi
  return 0
}

complete -F _quelvane_cli quelvane-cli
