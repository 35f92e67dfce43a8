#!/bin/sh
# Everything that talks to the engine: the engine's own install, the image's
# import and the nine's up and down. What a step needs is checked before it
# starts, and a missing piece is named in one line with the packages that
# give it, never as a bare "not found" after the work is done. Compose is
# picked each time it is needed, so that installing or removing one later
# does not break a build folder.
#
# Usage: motor.sh instalar
#        motor.sh imagem|subir|parar TARBALL SOURCE_DIR [COMPOSE]
# COMPOSE, when given, is the Compose command to use, e.g. "docker-compose".
set -eu
acao=$1 tarball=${2:-} fonte=${3:-} compose=${4:-}
# The engine, its client and Compose, by where they come from; README.md's
# table under Run names the same, in this order (tests/fatos.sh compares).
pacotes_12="docker.io docker-compose"
pacotes_13="docker.io docker-cli docker-compose"
pacotes_docker="docker-ce docker-ce-cli docker-compose-plugin"
pacotes_podman="podman podman-compose podman-docker"
pacotes="Debian 12: $pacotes_12; Debian 13: $pacotes_13; Docker's own: $pacotes_docker;\
 Podman: $pacotes_podman"

falta() {
    echo "testarOpcao: $1 ($pacotes)" >&2
    exit 1
}

# An engine that answers, Docker's or Podman's, is the administrator's
# choice and is left as it is; with none, the release's own is installed.
if [ "$acao" = instalar ]; then
    if docker info >/dev/null 2>&1; then
        echo "testarOpcao: an engine answers, and is left as it is"
        exit 0
    fi
    versao=$(sed -n 's/^VERSION_ID="*\([0-9]*\)"*$/\1/p' /etc/os-release 2>/dev/null || true)
    case $versao in
    12) escolhidos=$pacotes_12 ;;
    13) escolhidos=$pacotes_13 ;;
    *) falta "no engine answers, and Debian ${versao:-?} is not 12 or 13" ;;
    esac
    [ "$(id -u)" = 0 ] || falta "no engine answers, and only root can install Debian $versao's"
    echo "testarOpcao: no engine answers; installing Debian $versao's: $escolhidos"
    # shellcheck disable=SC2086 # a list of packages
    DEBIAN_FRONTEND=noninteractive apt-get install -y $escolhidos
    # Installed but stopped, or in a root where nothing starts it.
    docker info >/dev/null 2>&1 || falta "Debian $versao's engine is installed, but does not answer"
    exit 0
fi

command -v docker >/dev/null || falta "no docker client on PATH"
# Podman's docker is podman itself, with no engine daemon behind it: its
# "docker compose" and docker-compose need Podman's API service, while
# podman-compose drives podman directly.
if [ "$acao" != imagem ] && [ -z "$compose" ]; then
    if docker --version 2>/dev/null | grep -q '^podman '; then
        command -v podman-compose >/dev/null || falta "no podman-compose for Podman's docker"
        compose=podman-compose
    elif docker compose version >/dev/null 2>&1; then
        compose="docker compose"
    elif command -v docker-compose >/dev/null; then
        compose=docker-compose
    else
        falta "no Compose: neither 'docker compose' nor 'docker-compose' works"
    fi
fi

# Compose 1 is Python, and reaches an ssh:// engine only when paramiko can be
# imported; without it, it says so only after the import, and then obscurely.
if [ "$acao" != imagem ]; then
    destino=${DOCKER_HOST:-$(docker context inspect --format '{{.Endpoints.docker.Host}}' \
        2>/dev/null || true)}
    interprete=$(sed -n '1s/^#! *//p;q' "$(command -v "${compose%% *}")" 2>/dev/null || true)
    case $destino:$interprete in
    ssh://*:*python*)
        if ! $interprete -c "import paramiko" 2>/dev/null; then
            echo "testarOpcao: $compose reaches $destino only with Python's paramiko" \
                "(Debian: python3-paramiko)" >&2
            exit 1
        fi
        ;;
    esac
fi

if [ "$acao" != parar ]; then
    # Every import makes a new image; the label lets the one it replaces be
    # pruned, and no image of anyone else's.
    echo "Importing the image tamblevore/app:latest"
    docker import --change "WORKDIR /" --change 'ENTRYPOINT ["/espera"]' \
        --change "LABEL tamblevore.app=1" "$tarball" tamblevore/app:latest >/dev/null
    docker image prune --force --filter label=tamblevore.app >/dev/null
fi

cd "$fonte"
case $acao in
subir)
    $compose up -d
    # podman-compose passes no pids_limit on, and Podman brings back at boot
    # (podman-restart.service) only containers whose policy is "always",
    # which under Podman otherwise behaves as "unless-stopped" does.
    if [ "$compose" = podman-compose ]; then
        tarefas=$(sed -n 's/^ *pids_limit: *\([0-9]*\)$/\1/p' compose.yaml)
        sed -n 's/.*container_name: *\([^ ,}]*\).*/\1/p' compose.yaml |
            xargs -n1 docker update --pids-limit "$tarefas" --restart always >/dev/null
    fi
    ;;
parar) $compose down ;;
esac
