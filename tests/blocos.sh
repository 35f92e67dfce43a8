#!/bin/sh
# The README's commands by name: a block a check runs opens ```LANGUAGE NAME.
# Usage: blocos.sh NAME prints it; blocos.sh --todos checks every name and
# shape of tests/README.md's table, and one missing or twice fails at once.
set -eu
testes=$(cd "$(dirname "$0")" && pwd)

bloco() {
    awk -v nome="$1" '/^```/ { if (aberto) aberto = dentro = 0
            else { aberto = 1; split($0, p, " "); dentro = p[2] == nome; n += dentro }; next }
        dentro
        END { exit n != 1 }' "$testes/../README.md" ||
        { echo "FAILED: README.md has not exactly one block named $1" >&2; return 1; }
}

[ "$1" = --todos ] || { bloco "$1"; exit; }
tabela=$(sed -n 's/^| `\([a-z0-9-]*\)` | `\(.*\)` | .*|$/\1 \2/p' "$testes/README.md")
[ -n "$tabela" ] || { echo "FAILED: tests/README.md lists no block names" >&2; exit 1; }
while read -r nome forma; do
    texto=$(bloco "$nome")
    # shellcheck disable=SC2254 # the shape is a pattern
    case $texto in $forma) ;; *) echo "FAILED: README.md's block $nome is not $forma: $texto" >&2; exit 1 ;; esac
done <<FIM
$tabela
FIM
