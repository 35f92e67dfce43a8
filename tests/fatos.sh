#!/bin/sh
# What the README states beside the code, where neither is built from the other.
set -eu
testes=$(cd "$(dirname "$0")" && pwd)
fonte=$(dirname "$testes")
falha() { echo "FAILED: $*"; exit 1; }

"$testes/blocos.sh" --todos

# Run's engine packages, as motor.sh names them when one is missing.
tabela=$(sed -n 's/^| [^|]* | `\([^`]*\)` |$/\1/p' "$fonte/README.md")
motor=$(sed -n 's/^pacotes="\(.*\)"$/\1/p' "$fonte/conteineres/motor.sh" | tr ';' '\n' | sed 's/^[^:]*: //')
[ -n "$tabela" ] && [ "$tabela" = "$motor" ] || falha "Run's engine packages are not motor.sh's: $tabela / $motor"

# How long an operator may wait at the prompt.
espera=$(sed -n 's/^set(TESTAROPCAO_ESPERA \([0-9]*\))$/\1/p' "$fonte/operadores/CMakeLists.txt")
grep -q "chooses nothing within $((espera / 60)) minutes" "$fonte/README.md" ||
    falha "the README does not give the prompt's limit of $espera s"
echo "the README agrees with motor.sh and the session"
