#!/usr/bin/env bash
# The README's own commands on fresh, minimal Debian 12 and Debian 13 machines.
# For each release: a root made by debootstrap from the archive this machine's
# apt uses (kept between runs, made again when missing), imported as an image
# and run as a container that shares this machine's engine socket, network
# and PIDs. In it, as a new operator would: the engine packages the README
# names for that release, its Run command with option 5 on standard input,
# its stop command, then its Test command. Every container and image made
# here is removed at the end.
#
# Usage: maquinasNovas.sh [RELEASE...]      bookworm and trixie by default
#        maquinasNovas.sh --comando SECTION  prints that README command
# TESTAROPCAO_RAIZES is where the roots and packages are kept
# (/var/cache/testarOpcao). TESTAROPCAO_E2E_* reach the Test command.
set -euo pipefail

fonte=$(cd "$(dirname "$0")/.." && pwd)
leia=$fonte/README.md
cache=${TESTAROPCAO_RAIZES:-/var/cache/testarOpcao}
declare -A versoes=([bookworm]=12 [trixie]=13)
nove='^tamblevore_met0[1-9]_1$'

# The Nth fenced block of a README section.
bloco() {
    awk -v seccao="## $1" -v n="$2" '
        /^## / { dentro = ($0 == seccao) }
        dentro && /^```/ { aberto = !aberto; k += aberto; next }
        dentro && aberto && k == n' "$leia"
}

if [ "${1:-}" = --comando ]; then
    bloco "$2" 1
    exit
fi

falha() {
    echo "FAILED: $*" >&2
    exit 1
}

corrida=$(bloco Run 1)
paragem=$(bloco Run 2)
teste=$(bloco Test 1)
[[ $corrida == *"--target all subir"*testarOpcao ]] || falha "no Run command in README.md"
[[ $paragem == *"--target parar" ]] || falha "no stop command in README.md"
[[ $teste == *"cmake --workflow"* ]] || falha "no Test command in README.md"

if [ -n "$(docker ps -aq --filter "name=$nove")" ] && [ "${TESTAROPCAO_E2E_TOMAR:-}" != 1 ]; then
    falha "the nine containers exist, someone's own; TESTAROPCAO_E2E_TOMAR=1 lets this take them over"
fi
docker image inspect tamblevore/app:latest >/dev/null 2>&1 && havia_imagem=1 || havia_imagem=
feitos=()
limpar() {
    for nome in "${feitos[@]}"; do
        docker rm -f "testaropcao-$nome" >/dev/null 2>&1 || true
        docker image rm "testaropcao/maquina:$nome" >/dev/null 2>&1 || true
    done
    docker ps -aq --filter "name=$nove" | xargs -r docker rm -f >/dev/null
    [ -n "$havia_imagem" ] || docker image rm tamblevore/app:latest >/dev/null 2>&1 || true
}
trap limpar EXIT

# The archive this machine's apt uses.
espelho() {
    apt-get indextargets --format '$(REPO_URI)' 'Created-By: Packages' 2>/dev/null |
        grep -m1 '/debian/$' || echo http://deb.debian.org/debian/
}

raiz() {
    local pasta
    [ -s "$cache/$nome.tar" ] && return
    echo "== $nome: debootstrap from $(espelho)"
    pasta=$(mktemp -d)
    debootstrap --variant=minbase "$nome" "$pasta" "$(espelho)" >"$cache/$nome.log" 2>&1 ||
        falha "debootstrap $nome, see $cache/$nome.log"
    tar -C "$pasta" -cf "$cache/$nome.tar.novo" .
    mv "$cache/$nome.tar.novo" "$cache/$nome.tar"
    rm -rf "$pasta"
}

# Runs one step in the release's container and notes how long it took.
passo() {
    local inicio=$SECONDS
    echo "== $nome: $1"
    docker exec -i "testaropcao-$nome" bash -c "$2" || falha "$nome: $1"
    tempos+=("$1 $((SECONDS - inicio)) s")
}

maquina() {
    local versao=${versoes[$nome]:-} pacotes saida
    [ -n "$versao" ] || falha "unknown release $nome"
    pacotes=$(grep -m1 "^| Debian $versao " "$leia" | cut -d'`' -f2)
    [ -n "$pacotes" ] || falha "README.md names no engine packages for Debian $versao"
    raiz
    feitos+=("$nome")
    docker import "$cache/$nome.tar" "testaropcao/maquina:$nome" >/dev/null
    mkdir -p "$cache/apt-$nome"
    docker run -d --name "testaropcao-$nome" --network host --pid host \
        -v /var/run/docker.sock:/var/run/docker.sock \
        -v "$cache/apt-$nome:/var/cache/apt/archives" \
        -e DEBIAN_FRONTEND=noninteractive -e TESTAROPCAO_E2E_OBRIGATORIO -e TESTAROPCAO_E2E_TOMAR \
        -w /root/testarOpcao "testaropcao/maquina:$nome" sleep infinity >/dev/null
    (cd "$fonte" && git ls-files -z --cached --others --exclude-standard |
        tar --null --ignore-failed-read -T - -c) |
        docker exec -i "testaropcao-$nome" tar -x -C /root/testarOpcao

    tempos=()
    # openssh-server is what CI adds for the end-to-end test's ssh part.
    passo "engine packages" "apt-get update && apt-get install -y $pacotes openssh-server" </dev/null
    saida=$(mktemp)
    passo Run "$corrida" <<<5 >"$saida"
    cat "$saida"
    grep -qx "Olá! Este ./app corre no contêiner tamblevore_met05_1." "$saida" ||
        falha "$nome: option 5 did not print tamblevore_met05_1's line"
    rm -f "$saida"
    passo stop "$paragem" </dev/null
    passo Test "$teste" </dev/null
    echo "== $nome: what the end-to-end test saw"
    docker exec "testaropcao-$nome" awk '/^[0-9]+\/[0-9]+ Test: e2e$/ { e = 1 }
        e && /^<end of output>/ { exit } e' build/padrao/Testing/Temporary/LastTest.log
    echo "== $nome (Debian $versao): ${tempos[*]}"
    docker exec "testaropcao-$nome" sh -c 'cmake --version | head -1; g++ --version | head -1
        clang++ --version | head -1; clang-tidy --version | grep version; cppcheck --version
        lintian --version; python3 --version; docker --version
        docker compose version 2>/dev/null || docker-compose version | head -1
        dpkg-query -W openssh-server' | sed "s/^/   $nome: /"
    docker rm -f "testaropcao-$nome" >/dev/null
}

mkdir -p "$cache"
[ $# -gt 0 ] || set -- bookworm trixie
for nome in "$@"; do
    maquina
done
echo "fresh machines: all passed"
