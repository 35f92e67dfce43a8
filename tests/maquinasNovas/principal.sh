#!/usr/bin/env bash
# The README's own commands on fresh Debian 12 and 13 machines that boot
# systemd, Docker's engine or Podman's, each then the server of this machine
# as the workstation; tests/README.md says what each concern checks.
#
# Usage: principal.sh [MACHINE[:CONCERN]...]
#   MACHINE: bookworm, trixie, podman or arm64; all four by default.
#   CONCERN: that concern alone on that machine, after the set-up it needs.
# TESTAROPCAO_RAIZES keeps the roots and packages (/var/cache/testarOpcao).
# shellcheck disable=SC2034 # what is set here is for the concerns it sources
set -Eeuo pipefail

aqui=$(cd "$(dirname "$0")" && pwd)
testes=$(dirname "$aqui")
fonte=$(dirname "$testes")
"$testes/blocos.sh" --todos # every README command it runs, there once, before anything is made
cache=${TESTAROPCAO_RAIZES:-/var/cache/testarOpcao}
rede=testaropcao-rede-$$
comum=$(mktemp -d) # the run's scratch, a folder per machine under it
# The machines: release, root and engine (by default its own name's and
# Docker's); what it adds (a syslog daemon; runc, as crun refuses these
# cgroups); sshd from ssh.socket; the release its account is upgraded from.
declare -A versoes=([bookworm]=12 [trixie]=13 [podman]=13 [arm64]=12)
declare -A suites=([podman]=trixie [arm64]=bookworm) motores=([podman]=podman)
declare -A proprios=([bookworm]=rsyslog [podman]=runc) soquete=([trixie]=1)
declare -A anteriores=([bookworm]=1.2.0)
cruzada=arm64                    # the machine that only builds
oito=(1 2 3 4 5 7 8 9)           # the nine but the one stopped on purpose
maquinas=(comandos pacote arm64) # the concerns of a machine, not of a server
feitos=() falhadas=()            # the machines asked for, and those that failed
declare -A execucoes             # each machine's run in the background
# This machine's own containers and cgroups, which the run must not change.
locais=$(docker ps -a --filter name=tamblevore_ --format '{{.Names}}' | sort)
# Per machine, set once in its own subshell: name, release, suite, engine,
# scratch, and remota if the administrator reaches the engine over ssh.
nome='' versao='' suite='' motor='' tmp='' remota=''

# Failures to the stderr the run started with, never where a step's went.
exec {erros}>&2
trap 'echo "FAILED: ${nome:+$nome: }line $LINENO: $BASH_COMMAND" >&$erros' ERR
for parte in comum lancar limpeza maquina comandos pacote arm64 estacao remotos reinicio \
    atualizacao chaves entradas ociosos longo terminal carga lista ac gravacao central ciclo; do
    # shellcheck source=/dev/null # each is checked on its own
    . "$aqui/$parte.sh"
done
cgroups_antes=$(cgroups)
operar_em_pipe=$(readme operador | sed 's/ -t / -T /') # on pipes, where ssh asks for no terminal

# A server's steps in the full run's order: CONCERN FUNCTION [ARGUMENT...].
# What a step starts in the background, a later one of the same concern
# checks, through the folder both are given.
etapas() {
    cat <<FIM
remotos remoto_subir
atualizacao atualizado ${anteriores[$nome]:-}
chaves configurado
entradas entradas
ociosos ociosos $tmp/ociosos
longo longo $tmp/longo
terminal terminal 5
terminal interrompido
entradas sudo_lista
carga carga
lista lista
lista forjas
ac ac
longo longo_visto $tmp/longo
gravacao gravacao
central central
reinicio motor_reiniciado
ociosos ociosos_vistos $tmp/ociosos
reinicio reiniciado
remotos compartilhado
ciclo removido
ciclo ciclo
remotos servidor_fora
FIM
}

# The steps of concern $1, or with none every step.
servidor() {
    local linhas linha concern funcao argumentos
    mapfile -t linhas < <(etapas)
    for linha in "${linhas[@]}"; do
        read -r concern funcao argumentos <<<"$linha"
        [ -z "$1" ] || [ "$1" = "$concern" ] || continue
        # shellcheck disable=SC2086 # the arguments, one a word
        $funcao $argumentos
    done
}

# Alone, a server's concern gets what the steps before it in a full run
# leave: the engine and the nine (Run), the packages, the workstation and,
# but for the upgrade, the account with its operators.
preparo() {
    executar
    instalar
    administrador
    chaves
    [ "$1" = atualizacao ] || instalados
}

relatado() {
    echo "== $nome as the server$(docker-compose version --short 2>/dev/null |
        sed 's/^/, Compose /; s/$/ here/'):"
    sed 's/^/   /' "$tmp/relatorio" 2>/dev/null || true
}

maquina() {
    local t concern=${1#*:}
    [ "$concern" != "$1" ] || concern=''
    nome=${1%%:*}
    versao=${versoes[$nome]:-} suite=${suites[$nome]:-$nome} motor=${motores[$nome]:-docker}
    [ -n "$versao" ] || falha "unknown machine $nome"
    remota=$([ "$motor" = podman ] || echo 1)
    t=$(criar)
    echo "boot $t s" >>"$tmp/tempos"
    preparar
    if [ "$nome" = "$cruzada" ]; then
        [ -z "$concern" ] || [ "$concern" = arm64 ] || falha "$nome only builds: $concern"
        cruzar
    elif [[ " ${maquinas[*]} " == *" $concern "* ]]; then
        if [ "$concern" = comandos ]; then comandos; else empacotar; fi
    elif [ -n "$concern" ]; then
        etapas | grep -q "^$concern " || falha "no concern $concern"
        preparo "$concern"
        servidor "$concern"
        relatado
    else
        comandos
        empacotar
        relatorio
        echo "== $nome: the operator's server"
        administrador
        chaves
        servidor ''
        relatado
    fi
    echo "== $nome (Debian $versao): $(paste -sd ';' "$tmp/tempos" | sed 's/;/; /g')"
    desligar
}

[ $# -gt 0 ] || set -- bookworm trixie podman arm64
feitos=("$@")
trap limpar EXIT
mkdir -p "$cache"
docker network create "$rede" >/dev/null
# The workstation's launcher, built once for every server.
(cd "$fonte" && cmake --preset padrao >/dev/null && cmake --build --preset padrao >/dev/null)
for maquina in "$@"; do
    tmp=$comum/${maquina%%:*}
    mkdir "$tmp"
    { maquina "$maquina" 2>&1 | sed -u "s/^/${maquina%%:*}| /"; } &
    execucoes[$maquina]=$!
done
for maquina in "$@"; do
    wait "${execucoes[$maquina]}" || falhadas+=("$maquina")
done
[ ${#falhadas[@]} -eq 0 ] || falha "fresh machines: ${falhadas[*]} failed"
echo "fresh machines: all passed"
