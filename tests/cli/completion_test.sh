#!/usr/bin/env bash
# Drives the bash completion of quelvane-cli as readline would, one command line
# per case, and checks that it offers every option that quelvane-cli's own help lists.
#
#   completion_test.sh COMPLETION_SCRIPT QUELVANE_CLI
set -uo pipefail

script=$(realpath "$1")
cli=$(realpath "$2")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" && mkdir out outer && touch a.txt b.prn -- -rare.txt
# shellcheck source=/dev/null
source "$script"

failed=0 passed=0
# Completes LINE (words split on spaces, "" marks an empty last word) and prints
# the sorted offers on one line.
complete_line() {
  read -ra COMP_WORDS <<<"$1"
  [[ $1 == *' ""' ]] && COMP_WORDS[-1]=""
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _quelvane_cli
  printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | paste -sd' '
}
check() {
  local got
  got=$(complete_line "$1")
  if [[ $got == "$2" ]]; then
    ((passed++))
  else
    echo "FAIL: quelvane-cli completes « $1 » as « $got », expected « $2 »"
    ((failed++))
  fi
}

trim() {
  local text=${1#"${1%%[! ]*}"}
  printf '%s' "${text%"${text##*[! ]}"}"
}
while IFS='|' read -r line want; do
  [[ -z $line || $line == \#* ]] && continue
  check "$(trim "$line")" "$(trim "$want")"
done <<'CASES'
# command line                              | offers
quelvane-cli ""                             | code convert table
quelvane-cli co                             | code convert
quelvane-cli --                             | --help --version
quelvane-cli code --                        | --help --table
quelvane-cli code ""                        |
quelvane-cli code --table ""                | -rare.txt a.txt b.prn out outer
quelvane-cli convert --e                    | --ext
quelvane-cli convert --ext ""               | .new .new.txt
quelvane-cli convert --ext .new.            | .new.txt
quelvane-cli convert --ext = .new.          | .new.txt
quelvane-cli convert --ext=.new.            | --ext=.new.txt
quelvane-cli convert --output-d             | --output-dir
quelvane-cli convert -o ""                  | out outer
quelvane-cli convert --output-dir = ou      | out outer
quelvane-cli convert --output-dir=out       | --output-dir=out --output-dir=outer
quelvane-cli convert --table a              | a.txt
quelvane-cli convert --profile = a          | a.txt
quelvane-cli convert --profile=b            | --profile=b.prn
quelvane-cli convert --profile b            | b.prn
quelvane-cli convert -r -a ""               | -rare.txt a.txt b.prn out outer
quelvane-cli convert -s ""                  |
quelvane-cli convert --fixed-length ""      |
quelvane-cli convert -k ""                  |
quelvane-cli table --table ""               | -rare.txt a.txt b.prn out outer
quelvane-cli table ""                       |
quelvane-cli convert --skip-ignored = ""    |
quelvane-cli convert -- -r                  | -rare.txt
quelvane-cli convert a.txt -- ""            | -rare.txt a.txt b.prn out outer
CASES

# Every option that quelvane-cli lists in its help is offered.
for command in "" code convert table; do
  for option in $("$cli" $command --help | grep -oE -- '(^|[ ,])--?[a-z][a-z-]*' | tr -d ' ,' | sort -u); do
    offered=" $(complete_line "quelvane-cli $command $option") "
    if [[ $offered == *" $option "* ]]; then
      ((passed++))
    else
      echo "FAIL: « quelvane-cli $command --help » lists $option, the completion does not offer it"
      ((failed++))
    fi
  done
done

echo "$passed passed, $failed failed"
((failed == 0))
