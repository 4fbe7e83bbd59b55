#!/usr/bin/env bash
# The manual page and the bash completion of folivane-cli know every command and option
# the program itself lists, and the completion completes them.
# Usage: check-cli-docs.sh FOLIVANE_CLI MAN_PAGE(roff) COMPLETION_SCRIPT
set -uo pipefail
cli=$(realpath "$1") man_page=$2 completion=$3
status=0
fail() { echo "FAIL: $*"; status=1; }

# The commands as --help lists them: "  name ARGS" lines under "Commands:".
mapfile -t commands < <("$cli" --help | sed -n '/^Commands:/,/^$/p' | sed -n 's/^  \([a-z][a-z-]*\) .*/\1/p')
[ ${#commands[@]} -gt 0 ] || fail "no commands read from folivane-cli --help"

source "$completion"
# complete_words WORD... : what the completion offers for the last word.
complete_words() {
  COMP_WORDS=("$cli" "$@")
  COMP_CWORD=$(($# ))
  COMPREPLY=()
  _folivane_cli
  [ ${#COMPREPLY[@]} -eq 0 ] || printf '%s\n' "${COMPREPLY[@]}"
}

for c in "${commands[@]}"; do
  roff_name=${c//-/\\\\-}
  grep -Eq "^\.BI? \"?$roff_name( |\"|$)" "$man_page" || fail "the manual page does not describe the command $c"
  # Whole outputs are captured first: grep -q in a pipe may cut the writer short (pipefail).
  offered=$(complete_words "$c")
  grep -qx -- "$c" <<<"$offered" || fail "the completion does not offer the command $c"
  # The options its usage names ("new FILE.fvp [--title TEXT]").
  usage=$("$cli" "$c" --help)
  offered=$(complete_words "$c" x.fvp --)
  for opt in $(head -n1 <<<"$usage" | grep -o -- '--[a-z][a-z-]*'); do
    grep -q -- "${opt//-/\\\\-}" "$man_page" || fail "the manual page lacks $c $opt"
    grep -qx -- "$opt" <<<"$offered" || fail "the completion does not offer $c $opt"
  done
done

# Completing a project argument offers project files and folders, not other files.
scratch=$(mktemp -d "${TMPDIR:-/tmp}/folivane-completion-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/Docs"
touch "$scratch/Guide.fvp" "$scratch/Notes.txt"
cd "$scratch"
got=$(complete_words webhelp "" | sort | tr '\n' ' ')
[ "$got" = "Docs Guide.fvp " ] || fail "webhelp <Tab> offers '$got', expected 'Docs Guide.fvp '"
got=$(complete_words merge-topics "" | sort | tr '\n' ' ')
[ "$got" = "Docs Guide.fvp Notes.txt " ] || fail "merge-topics <Tab> offers '$got', expected every file"
got=$(complete_words new Guide.fvp --title "" | tr '\n' ' ')
[ -z "$got" ] || fail "new --title <Tab> offers '$got' for a free text"
exit $status
