#!/bin/sh
# What the README states beside the code, where neither is built from the other.
set -eu
testes=$(cd "$(dirname "$0")" && pwd)
fonte=$(dirname "$testes")
falha() {
    echo "FAILED: $*"
    exit 1
}

"$testes/blocos.sh" --todos

# Run's engine packages, as motor.sh names them when one is missing.
tabela=$(sed -n 's/^| [^|]* | `\([^`]*\)` |$/\1/p' "$fonte/README.md")
motor=$(sed -n 's/^pacotes_[a-z0-9]*="\(.*\)"$/\1/p' "$fonte/conteineres/motor.sh")
if [ -z "$tabela" ] || [ "$tabela" != "$motor" ]; then # every row, in order
    falha "Run's engine packages are not motor.sh's: $tabela / $motor"
fi

# How long an operator may wait at the prompt, in the README's words.
espera=$(sed -n 's/^set(TESTAROPCAO_ESPERA \([0-9]*\))$/\1/p' "$fonte/operadores/CMakeLists.txt")
case $((espera % 60)):$espera in
0:60) prazo="1 minute" ;;
0:*) prazo="$((espera / 60)) minutes" ;;
*) prazo="$espera seconds" ;;
esac
grep -q "chooses nothing within $prazo\\b" "$fonte/README.md" ||
    falha "the README does not give the prompt's limit of $espera s as $prazo"
echo "the README agrees with motor.sh and the session"
