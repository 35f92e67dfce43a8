#!/usr/bin/env bash
# The README's own commands on fresh Debian 12 and 13 machines that boot
# systemd, Docker's engine or Podman's, each then the server of this machine
# as the workstation; tests/README.md says what each phase checks.
#
# Usage: principal.sh [MACHINE...]  bookworm, trixie, podman and arm64 by default
# TESTAROPCAO_RAIZES keeps the roots and packages (/var/cache/testarOpcao).
set -Eeuo pipefail

aqui=$(cd "$(dirname "$0")" && pwd)
testes=$(dirname "$aqui")
fonte=$(dirname "$testes")
"$testes/blocos.sh" --todos # every README command it runs, there once, before anything is made
cache=${TESTAROPCAO_RAIZES:-/var/cache/testarOpcao}
rede=testaropcao-rede-$$
comum=$(mktemp -d)       # the run's scratch, a folder per machine under it
# The machines: release, root and engine (by default its own name's and
# Docker's); what it adds (a syslog daemon; runc, as crun refuses these
# cgroups); sshd from ssh.socket; the release its account is upgraded from.
declare -A versoes=([bookworm]=12 [trixie]=13 [podman]=13 [arm64]=12)
declare -A suites=([podman]=trixie [arm64]=bookworm) motores=([podman]=podman)
declare -A proprios=([bookworm]=rsyslog [podman]=runc) soquete=([trixie]=1) anteriores=([bookworm]=1.2.0)
cruzada=arm64            # the machine that only builds
feitos=() falhadas=()    # the machines asked for, and those that failed
declare -A execucoes     # each machine's run in the background
# This machine's own containers and cgroups, which the run must not change.
locais=$(docker ps -a --filter name=tamblevore_ --format '{{.Names}}' | sort)
cgroups() { ls /sys/fs/cgroup; grep -w cgroup /proc/self/mountinfo; }
cgroups_antes=$(cgroups)
# Per machine, set in its own subshell: name, release, suite, engine,
# scratch, remota if the administrator reaches the engine over ssh, the nine
# but the one stopped on purpose, and what it reports.
nome= versao= suite= motor= tmp= remota= oito=(1 2 3 4 5 7 8 9) tempos=() remotos=() por_lancamento= longos=()

# Failures to the stderr the run started with, never where a step's went.
exec {erros}>&2
trap 'echo "FAILED: ${nome:+$nome: }line $LINENO: $BASH_COMMAND" >&$erros' ERR
for parte in comum maquina comandos pacote motorRemoto operadores; do . "$aqui/$parte.sh"; done
operar_em_pipe=$(readme operador | sed 's/ -t / -T /') # on pipes, where ssh asks for no terminal

limpar() {
    # Shut down, a machine leaves no cgroup; its engine's are removed here.
    local deles=(-path "*/testaropcao-*" -o -path "*/libpod_parent*") id restos conta
    kill $(jobs -p) 2>/dev/null || true
    for nome in "${feitos[@]}" registros; do
        for conta in administrador testaropcao; do
            [ ! -e "$comum/$nome/ssh_config" ] || ssh -F "$comum/$nome/ssh_config" -O exit $conta@servidor >/dev/null 2>&1 || true
        done
        docker stop -t 60 "testaropcao-$nome" >/dev/null 2>&1 || true; docker rm -f -v "testaropcao-$nome" >/dev/null 2>&1 || true
        docker image rm "testaropcao/maquina:$nome" >/dev/null 2>&1 || true
    done
    for id in $(cat "$comum/ids" 2>/dev/null || true); do deles+=(-o -path "*/docker/$id*"); done
    find /sys/fs/cgroup -depth -type d \( "${deles[@]}" \) -exec rmdir {} + 2>/dev/null || true
    restos=$(find /sys/fs/cgroup -type d \( "${deles[@]}" \))
    docker network rm "$rede" >/dev/null 2>&1 || true
    rm -rf "$comum"
    [ "$(cgroups)" = "$cgroups_antes" ] && [ -z "$restos" ] && return
    echo "FAILED: this machine's cgroups changed: $(diff <(echo "$cgroups_antes") <(cgroups)) $restos" >&$erros
    exit 1
}

maquina() {
    versao=${versoes[$nome]:-} suite=${suites[$nome]:-$nome} motor=${motores[$nome]:-docker}
    [ -n "$versao" ] || falha "unknown machine $nome"
    remota=$([ "$motor" = podman ] || echo 1)
    criar
    if [ "$nome" = "$cruzada" ]; then
        cruzar
        echo "== $nome (Debian $versao): ${tempos[*]}"
    else
        instalar_motor; comandos; empacotar; relatorio; servidor
    fi
    desligar
}

servidor() {
    echo "== $nome: the operator's server"
    administrador; chaves; remoto_subir
    atualizado; configurado; entradas
    ociosos; longo; terminal 5; sudo_lista
    passo "MaxStartups for many operators" "$(readme operadores-maxstartups)" </dev/null
    carga; lista; gravacao; central; longo_visto
    motor_reiniciado; lancamentos "$operar_em_pipe" "${oito[@]}"; ociosos_vistos
    reiniciado; compartilhado; removido; ciclo
    [ -n "$remota" ] || { echo "== $nome as the server: ${remotos[*]}"; return; }
    servidor_fora
    echo "== $nome as the server, $(docker-compose version --short 2>/dev/null | sed 's/^/Compose /') here: ${remotos[*]}"
}

[ $# -gt 0 ] || set -- bookworm trixie podman arm64
feitos=("$@")
trap limpar EXIT
mkdir -p "$cache"
docker network create "$rede" >/dev/null
# The workstation's launcher, built once for every server.
(cd "$fonte" && cmake --preset padrao >/dev/null && cmake --build --preset padrao >/dev/null)
for nome in "$@"; do
    tmp=$comum/$nome
    mkdir "$tmp"
    { maquina 2>&1 | sed -u "s/^/$nome| /"; } &
    execucoes[$nome]=$!
done
for nome in "$@"; do
    wait "${execucoes[$nome]}" || falhadas+=("$nome")
done
[ ${#falhadas[@]} -eq 0 ] || falha "fresh machines: ${falhadas[*]} failed"
echo "fresh machines: all passed"
