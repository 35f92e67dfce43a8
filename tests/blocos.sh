#!/bin/sh
# The README's commands by name: a block a check runs opens ```LANGUAGE NAME.
# Usage: blocos.sh NAME prints it; blocos.sh --todos checks every name and
# shape of tests/README.md's table, and that every named block of the README
# is in that table: one missing, twice or unlisted fails at once.
set -eu
testes=$(cd "$(dirname "$0")" && pwd)
readme=$testes/../README.md

falha() {
    echo "FAILED: $*" >&2
    exit 1
}

bloco() {
    awk -v nome="$1" '
        /^```/ {
            if (aberto) {
                aberto = dentro = 0
            } else {
                aberto = 1
                split($0, p, " ")
                dentro = p[2] == nome
                n += dentro
            }
            next
        }
        dentro
        END { exit n != 1 }' "$readme" || falha "README.md has not exactly one block named $1"
}

[ "$1" = --todos ] || {
    bloco "$1"
    exit
}
tabela=$(sed -n 's/^| `\([a-z0-9-]*\)` | `\(.*\)` | .*|$/\1 \2/p' "$testes/README.md")
[ -n "$tabela" ] || falha "tests/README.md lists no block names"
while read -r nome forma; do
    texto=$(bloco "$nome")
    # shellcheck disable=SC2254 # the shape is a pattern
    case $texto in
    $forma) ;;
    *) falha "README.md's block $nome is not $forma: $texto" ;;
    esac
done <<FIM
$tabela
FIM
# An opening fence with a second word names a block.
nomes=$(awk '/^```/ { if (!aberto && $2 != "") print $2; aberto = !aberto }' "$readme")
for nome in $nomes; do
    echo "$tabela" | grep -q "^$nome " ||
        falha "README.md's block $nome is in no table of tests/README.md"
done
