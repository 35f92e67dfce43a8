#!/usr/bin/env bash
# The README's own commands on fresh, minimal Debian 12 and Debian 13
# machines with Docker's engine and a Debian 13 one with Podman, and then
# each as the operator's server with this machine as the workstation.
#
# A machine is a root made by debootstrap from the archive this machine's apt
# uses (kept between runs), run as a container at its own address on a
# network made here, sharing no socket, network or PIDs with this machine.
# Its entry starts the log, sshd and the engine at boot, as their services
# would.
# In it, as a new operator would: the engine packages the README names for
# that release, a reboot, the Run command with option 5 on standard input,
# the stop command, the Test command, and the Install commands: the package
# built, checked, installed and tested as installed. A fourth machine, of
# Debian 12, only builds: the package, for arm64 too, tested under qemu, and
# both built again to compare bit for bit.
# Then, from here, over ssh with keys and config made for the run: the nine
# up and down on that server, every option launched into them, by the
# administrator and through the operators' account, whose every other way
# in must fail; that account from the release before's packages through an
# upgrade, a later version, remove, install again and purge; its engine
# restarted, the server restarted and the server down. The machines run
# side by side, server parts too, each output line marked with its name;
# they share nothing here but the workstation's build, which none changes.
# Whatever it made is removed at the end, pass or fail.
#
# Usage: maquinasNovas.sh [MACHINE...]  bookworm, trixie and podman by default
#        maquinasNovas.sh --comando SECTION  prints that README command
# TESTAROPCAO_RAIZES is where the roots and packages are kept
# (/var/cache/testarOpcao). TESTAROPCAO_E2E_* reach the Test command.
set -Eeuo pipefail

fonte=$(cd "$(dirname "$0")/.." && pwd)
leia=$fonte/README.md
cache=${TESTAROPCAO_RAIZES:-/var/cache/testarOpcao}
declare -A versoes=([bookworm]=12 [trixie]=13 [podman]=13 [arm64]=12)
# A machine's root is that of the release it is named after, and its engine
# Docker's, unless said here.
declare -A suites=([podman]=trixie [arm64]=bookworm) motores=([podman]=podman)
# What the machine itself adds: what logs, a syslog daemon's files or
# journald as Debian 13 has it; for Podman runc, since crun refuses these
# hybrid cgroups.
declare -A proprios=([bookworm]=rsyslog [trixie]=systemd [podman]="systemd runc")
# The machine that only builds, for arm64 and again for comparison: the
# longest chain of steps, beside the others rather than after one.
cruzada=arm64
rede=testaropcao-rede-$$
nomes=(tamblevore_met0{1..9}_1)

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

# Failures go to the stderr the script started with, never into a file
# that a step's stderr was redirected to.
exec {erros}>&2
falha() {
    echo "FAILED: $*" >&$erros
    exit 1
}
trap 'echo "FAILED: ${nome:+$nome: }line $LINENO: $BASH_COMMAND" >&$erros' ERR

# Each command is taken from the README and must look like what it was.
comando() {
    local texto
    texto=$(bloco "$1" "$2")
    [[ $texto == $3 ]] || falha "README.md, $1, block $2 is not $3: $texto"
    echo "$texto"
}
corrida=$(comando Run 1 "*--target all subir*testarOpcao")
paragem=$(comando Run 2 "*--target parar")
ao_arrancar=$(comando Run 3 "systemctl enable podman-restart.service")
teste=$(comando Test 1 "*cmake --workflow*")
pacote=$(comando Install 1 "*apt-get build-dep*dpkg-buildpackage*apt-get install*.deb")
cruzado=$(comando Install 2 "*-aarm64*dpkg-buildpackage -aarm64*")
igual=$(comando Install 3 "*reprotest*")
igual_cruzado=$(comando Install 4 "*reprotest*aarm64*")
administrador="DOCKER_HOST=ssh://administrador@servidor" # the engine as the administrator reaches it
remoto_subir=$(comando "Remote engines" 1 "$administrador *--target subir")
remoto_lancar=$(comando "Remote engines" 2 "$administrador *testarOpcao")
remoto_parar=$(comando "Remote engines" 3 "$administrador *--target parar")
contexto=$(comando "Remote engines" 4 "*docker context update servidor*docker context create servidor*docker context use servidor")
operadores=$(comando Operators 1 "apt-get install*./testaropcao-operadores_*operador.pub*")
operar=$(comando Operators 2 "ssh -t testaropcao@servidor")
outro=$(comando Operators 3 "testaropcao-operadores adicionar operador.pub")
lista=$(comando Operators 4 "testaropcao-operadores lancamentos")

# The release before this one, whose packages each server upgrades from.
versao=$(sed -n '1s/^testaropcao (\([^)]*\)).*/\1/p' "$fonte/debian/changelog")
anterior=$(git -C "$fonte" log -1 --format=%H -S"testaropcao ($versao)" -- debian/changelog)^

# The run's scratch, and each release's own under it as $tmp.
comum=$(mktemp -d)
feitos=()
limpar() {
    # The machines' runs if still going, ssh masters left by connection
    # sharing, then the machines, their images, the network and the
    # cgroups their engines made.
    kill $(jobs -p) 2>/dev/null || true
    for nome in "${feitos[@]}"; do
        for conta in administrador testaropcao; do
            [ ! -e "$comum/$nome/ssh_config" ] || ssh -F "$comum/$nome/ssh_config" -O exit $conta@servidor >/dev/null 2>&1 || true
        done
        docker rm -f -v "testaropcao-$nome" >/dev/null 2>&1 || true
        docker image rm "testaropcao/maquina:$nome" >/dev/null 2>&1 || true
        find /sys/fs/cgroup -depth -type d \( -path "*/testaropcao-$nome*" -o -path "*/libpod_parent*" \) \
            -exec rmdir {} + 2>/dev/null || true
    done
    docker network rm "$rede" >/dev/null 2>&1 || true
    rm -rf "$comum"
}
trap limpar EXIT

# The archive this machine's apt uses.
espelho() {
    apt-get indextargets --format '$(REPO_URI)' 'Created-By: Packages' 2>/dev/null |
        grep -m1 '/debian/$' || echo http://deb.debian.org/debian/
}

raiz() {
    local pasta
    [ -s "$cache/$suite.tar" ] && return
    echo "== $nome: debootstrap $suite from $(espelho)"
    pasta=$(mktemp -d)
    debootstrap --variant=minbase "$suite" "$pasta" "$(espelho)" >"$cache/$suite.log" 2>&1 ||
        falha "debootstrap $suite, see $cache/$suite.log"
    tar -C "$pasta" -cf "$cache/$suite.tar.novo" .
    mv "$cache/$suite.tar.novo" "$cache/$suite.tar"
    rm -rf "$pasta"
}

# The machine's entry: what its boot starts and its shutdown stops. sshd by
# its init script. The engine's init script raises its open-files limit,
# which needs CAP_SYS_RESOURCE, and no container of this engine gets that;
# so the engine is started here as that script would start it, with the
# package's own /etc/default/docker and /etc/docker/daemon.json.
cat >"$comum/arranque" <<'EOF'
#!/bin/bash
motor() {
    case $1 in
    start)
        [ -x /usr/sbin/dockerd ] || return 0
        DOCKER_OPTS=
        [ ! -f /etc/default/docker ] || . /etc/default/docker
        setsid /usr/sbin/dockerd -p /var/run/docker.pid $DOCKER_OPTS \
            </dev/null >>/var/log/docker.log 2>&1 &
        ;;
    stop)
        local pid
        pid=$(cat /var/run/docker.pid 2>/dev/null) || return 0
        kill "$pid" 2>/dev/null || return 0
        while kill -0 "$pid" 2>/dev/null; do sleep 0.1; done
        ;;
    esac
}
case ${1:-boot} in
boot)
    # A boot begins with an empty /run, its tmpfs.
    mount -t tmpfs -o nosuid,nodev,mode=755 tmpfs /run && mkdir -m 1777 /run/lock
    # The log first: journald with the /dev/log its socket unit would make,
    # or a syslog daemon.
    if [ -x /usr/lib/systemd/systemd-journald ]; then
        mkdir -p /run/systemd/journal
        setsid /usr/lib/systemd/systemd-journald </dev/null >/dev/null 2>&1 &
        ln -sf /run/systemd/journal/dev-log /dev/log
    elif [ -x /usr/sbin/rsyslogd ]; then
        rm -f /run/rsyslogd.pid
        rsyslogd
    fi
    [ ! -x /etc/init.d/ssh ] || /etc/init.d/ssh start
    motor start
    # Podman has no daemon: once enabled, podman-restart.service starts the
    # containers whose policy is always.
    [ ! -e /etc/systemd/system/default.target.wants/podman-restart.service ] ||
        setsid podman start --all --filter restart-policy=always </dev/null >>/var/log/podman-restart.log 2>&1 &
    trap 'motor stop; exit 0' TERM
    while :; do sleep 1 & wait $!; done
    ;;
*) motor "$1" ;;
esac
EOF
chmod 755 "$comum/arranque"

# Runs one step in the machine and notes how long it took.
passo() {
    local inicio=$SECONDS
    echo "== $nome: $1"
    docker exec -i "testaropcao-$nome" bash -c "$2" || falha "$nome: $1"
    tempos+=("$1 $((SECONDS - inicio)) s")
}

na_maquina() {
    docker exec "testaropcao-$nome" "$@"
}

# Milliseconds now; milliseconds as seconds; seconds since such an instant.
agora() { date +%s%3N; }
segundos() { printf '%d.%02d' $(($1 / 1000)) $(($1 % 1000 / 10)); }
desde() { segundos $(($(agora) - $1)); }

# Waits until a command succeeds, at most $1 seconds; prints how long it took.
ate() {
    local limite=$1 inicio
    shift
    inicio=$(agora)
    until "$@" >/dev/null 2>&1; do
        [ $(($(agora) - inicio)) -lt $((limite * 1000)) ] || return 1
        sleep 0.1
    done
    desde "$inicio"
}

# Every one of the given options answers from inside the server.
respondem() {
    local n
    for n in "$@"; do
        [ "$(na_maquina docker exec "tamblevore_met0${n}_1" ./app)" = \
            "Olá! Este ./app corre no contêiner tamblevore_met0${n}_1." ] || return 1
    done
}

maquina() {
    local versao=${versoes[$nome]:-} suite=${suites[$nome]:-$nome} motor=${motores[$nome]:-docker} fila pacotes saida
    [ -n "$versao" ] || falha "unknown machine $nome"
    fila="Debian $versao ($suite)$([ $motor = docker ] || echo ", Podman")"
    pacotes=$(grep -m1 -F "| $fila | " "$leia" | cut -d'`' -f2)
    [ -n "$pacotes" ] || falha "README.md names no engine packages for $fila"
    { flock 9 && raiz; } 9>"$cache/$suite.lock" # a root two machines share is made once
    docker import "$cache/$suite.tar" "testaropcao/maquina:$nome" >/dev/null
    mkdir -p "$cache/apt-$nome"
    # What an engine in a container needs here: every capability but
    # CAP_SYS_RESOURCE, which this engine cannot grant, and the cgroups.
    # Where the builds and the inner engine write, disks of the machine's
    # own (volumes), since this engine's storage may be a slow FUSE layer.
    docker create --name "testaropcao-$nome" --hostname "$nome" --network "$rede" \
        --cap-add ALL --cap-drop SYS_RESOURCE \
        --security-opt seccomp=unconfined --security-opt apparmor=unconfined \
        -v /sys/fs/cgroup:/sys/fs/cgroup:rw \
        -v "$cache/apt-$nome:/var/cache/apt/archives" \
        -v /root -v /tmp -v /var/lib/docker -v /var/lib/containers \
        -e DEBIAN_FRONTEND=noninteractive -e TESTAROPCAO_E2E_OBRIGATORIO -e TESTAROPCAO_E2E_TOMAR \
        -w /root/testarOpcao "testaropcao/maquina:$nome" /usr/local/sbin/arranque >/dev/null
    docker cp "$comum/arranque" "testaropcao-$nome:/usr/local/sbin/arranque"
    docker start "testaropcao-$nome" >/dev/null
    (cd "$fonte" && git ls-files -z --cached --others --exclude-standard |
        tar --null --ignore-failed-read -T - -c) |
        docker exec -i "testaropcao-$nome" tar -x -C /root/testarOpcao

    tempos=()
    [ "$nome" != "$cruzada" ] || { cruzar; return; }
    # The engine of a machine with no network of its own to give and
    # containers that need none; its containers' cgroups under a name of
    # this machine, so that they can be found and removed afterwards.
    # Podman's runtime, and no warning about cgroups v1 (servers have v2)
    # on every call's stderr.
    na_maquina sh -c "mkdir -p /etc/docker && echo '{\"storage-driver\": \"vfs\",
        \"iptables\": false, \"bridge\": \"none\", \"cgroup-parent\": \"testaropcao-$nome\"}' \
        >/etc/docker/daemon.json && mkdir -p /etc/containers && printf '[engine]\nruntime = \"runc\"\n%s\n' \
        'env = [\"PODMAN_IGNORE_CGROUPSV1_WARNING=1\"]' >/etc/containers/containers.conf"
    # openssh-server is what CI adds for the end-to-end test's ssh part and
    # what the server needs, with what the machine adds.
    passo "engine packages" "apt-get update && apt-get install -y $pacotes openssh-server ${proprios[$nome]}" </dev/null
    [ $motor = docker ] || passo "restart at boot" "$ao_arrancar" </dev/null
    docker restart -t 30 "testaropcao-$nome" >/dev/null
    ate 30 na_maquina docker info >/dev/null || falha "$nome: no engine after boot"
    saida=$(mktemp -p "$tmp")
    passo Run "$corrida" <<<5 >"$saida"
    cat "$saida"
    grep -qx "Olá! Este ./app corre no contêiner tamblevore_met05_1." "$saida" ||
        falha "$nome: option 5 did not print tamblevore_met05_1's line"
    passo stop "$paragem" </dev/null
    # On Podman, the Test command's part that goes through the engine; its
    # compilers and analysers are those trixie's machine runs.
    local prova=$teste
    [ $motor = docker ] || prova=${prova%% && cmake --workflow --preset clang*}
    passo Test "$prova" </dev/null
    echo "== $nome: what the end-to-end test saw"
    na_maquina awk '/^[0-9]+\/[0-9]+ Test: e2e$/ { e = 1 }
        e && /^<end of output>/ { exit } e' build/padrao/Testing/Temporary/LastTest.log

    passo package "$pacote" </dev/null
    if [ $motor = docker ]; then
        passo "package check" 'tests/pacote.sh ../testaropcao_*_$(dpkg --print-architecture).changes' </dev/null
        passo autopkgtest "apt-get install -y autopkgtest && autopkgtest --no-built-binaries . -- null" </dev/null
    else
        echo "   skipped, package check and autopkgtest: trixie's machine checks the same packages"
    fi
    echo "== $nome (Debian $versao): ${tempos[*]}"
    na_maquina sh -c 'cmake --version | head -1; g++ --version | head -1
        clang++ --version | head -1; clang-tidy --version | grep version; cppcheck --version
        lintian --version; python3 --version; docker --version; dpkg-query -W debhelper
        podman-compose --version 2>/dev/null || docker compose version 2>/dev/null || docker-compose version | head -1
        dpkg-query -W openssh-server' | sed "s/^/   $nome: /"
    servidor
    docker rm -f -v "testaropcao-$nome" >/dev/null
}

# The Install commands on a machine that only builds: the package, for
# arm64 too, that one under qemu, and both built again by reprotest; the
# check needs lintian, which elsewhere the Test command brings.
cruzar() {
    passo package "$pacote" </dev/null
    passo "arm64 package" "$cruzado" </dev/null
    passo "arm64 package check" "apt-get install -y lintian && tests/pacote.sh ../testaropcao_*_arm64.changes" </dev/null
    # The emulator alone, without its recommended binfmt-support: the
    # program runs under it by name, and the kernel is left as it is.
    passo "arm64 under qemu" "apt-get install -y --no-install-recommends qemu-user-static &&
        dpkg-deb -x ../testaropcao_*_arm64.deb /tmp/arm64 &&
        python3 tests/dialogo.py --emulador=qemu-aarch64-static /tmp/arm64/usr/bin/testarOpcao &&
        python3 tests/diferencial.py --emulador=qemu-aarch64-static /tmp/arm64/usr/bin/testarOpcao" </dev/null
    [ ! -e /proc/sys/fs/binfmt_misc/qemu-aarch64 ] || falha "a binfmt handler for aarch64 was registered"
    # reprotest builds twice, varied; the package the README's own
    # build made, at another path and time, must be that same one.
    for arq in amd64 arm64; do
        [ $arq = amd64 ] && comparar=$igual || comparar=$igual_cruzado
        passo "same bit for bit, $arq" "set -o pipefail; $comparar | tee /tmp/reprotest" </dev/null
        soma=$(na_maquina sh -c "sha256sum ../testaropcao_*_$arq.deb" | cut -c1-64)
        na_maquina grep -q "^$soma " /tmp/reprotest || falha "$nome: the README's $arq build differs from reprotest's"
    done
    echo "== $nome (Debian $versao): ${tempos[*]}"
    docker rm -f -v "testaropcao-$nome" >/dev/null
}

# This machine as the operator's workstation, the release's machine as the
# server: the README's remote commands, with HOME and the ssh config made
# here, so that neither ~/.ssh nor ~/.docker is read or written.
estacao() {
    (cd "$fonte" && env -u SSH_AUTH_SOCK -u DOCKER_HOST -u DOCKER_CONTEXT \
        HOME="$tmp/casa" PATH="$tmp/bin:$PATH" bash -c "$1")
}

# What a launch of option $1 prints on pipes.
lancado() {
    printf 'Olá! Este ./app corre no contêiner tamblevore_met0%s_1.\nEscolha uma opção (1-9): Você escolheu a opção %s!\n' $1 $1
}

# The containers that started an exec on the server since $1; Podman's
# --until may stop reading its log early, and what it has logged came before.
execs_desde() {
    if [ $motor = docker ]; then
        na_maquina docker events --since "$1" --until "$(date +%s.%N)" \
            --filter event=exec_start --format '{{.Actor.Attributes.name}}'
    else
        na_maquina docker events --since "$1" --stream=false --filter event=exec --format '{{.Name}}' 2>/dev/null
    fi
}

# The given options launched from here, bytes compared; each started one
# exec on the server, and the invalid ones none.
lancamentos() {
    local lancar=$1 n inicio execs esperado
    shift
    inicio=$(date +%s.%N)
    for n in 0 10; do
        printf 'Escolha uma opção (1-9): Você escolheu a opção %s!\nOpção inválida.\n' $n >"$tmp/esperado"
        estacao "$lancar" <<<$n >"$tmp/saida" 2>"$tmp/erro" || falha "$nome: option $n: status $?"
        cmp -s "$tmp/saida" "$tmp/esperado" && [ ! -s "$tmp/erro" ] ||
            falha "$nome: invalid option $n: $(cat "$tmp/saida" "$tmp/erro")"
    done
    sleep 0.5
    execs=$(execs_desde "$inicio")
    [ -z "$execs" ] || falha "$nome: an invalid option started $execs"
    inicio=$(date +%s.%N) esperado=
    local ms=$(agora)
    for n in "$@"; do
        lancado $n >"$tmp/esperado"
        estacao "$lancar" <<<$n >"$tmp/saida" 2>"$tmp/erro" || falha "$nome: option $n: status $?"
        cmp -s "$tmp/saida" "$tmp/esperado" && [ ! -s "$tmp/erro" ] ||
            falha "$nome: option $n: $(cat "$tmp/saida" "$tmp/erro")"
        esperado+="tamblevore_met0${n}_1 "
    done
    por_lancamento=$(segundos $((($(agora) - ms) / $#)))
    sleep 0.5
    execs=$(execs_desde "$inicio" | sort | tr '\n' ' ')
    [ "$execs" = "$esperado" ] || falha "$nome: execs on the server were $execs, not $esperado"
}

# The operator's command on pipes, where ssh asks for no terminal.
operar_em_pipe=${operar/ -t / -T }

# The operator's command on a real terminal: the prompt first, then what
# is typed echoes and the launch follows.
terminal() {
    cat >"$tmp/terminal.py" <<'EOF'
import os, pty, sys, time
comando, interromper = sys.argv[1], sys.argv[2:]  # importing dialogo takes a program path from sys.argv
from dialogo import ler_ate
pid, fd = pty.fork()
pid or os.execvp("sh", ["sh", "-c", comando])
sys.stdout.buffer.write(ler_ate(fd, "(1-9): ".encode()) + b"|")
os.write(fd, b"5\r")
if interromper:  # a Ctrl-C while the launch waits for the engine
    sys.stdout.buffer.write(ler_ate(fd, "5!\r\n".encode()) + b"|")
    time.sleep(1)
    os.write(fd, b"\x03")
sys.stdout.buffer.write(ler_ate(fd, b"\0", 30) + b"|%d" % os.waitstatus_to_exitcode(os.waitpid(pid, 0)[1]))
EOF
    estacao "PYTHONPATH=tests python3 $tmp/terminal.py '$operar'" >"$tmp/saida"
    printf 'Escolha uma opção (1-9): |5\r\nVocê escolheu a opção 5!\r\n%s\r\nConnection to %s closed.\r\r\n|0' \
        "$(lancado 5 | head -1)" "$(endereco)" | cmp -s - "$tmp/saida" ||
        falha "$nome: the operator's terminal showed: $(cat -A "$tmp/saida")"
    # Interrupted, it ends as the launcher does on a local terminal: status 0.
    [ $motor = docker ] || { echo "   skipped, Ctrl-C during a launch: Podman has no engine daemon to hold a launch on"; return; }
    na_maquina sh -c 'kill -STOP $(cat /var/run/docker.pid)'
    estacao "PYTHONPATH=tests python3 $tmp/terminal.py '$operar' interromper" >"$tmp/saida"
    na_maquina sh -c 'kill -CONT $(cat /var/run/docker.pid)'
    printf 'Escolha uma opção (1-9): |5\r\nVocê escolheu a opção 5!\r\n|^CConnection to %s closed.\r\r\n|0' "$(endereco)" |
        cmp -s - "$tmp/saida" || falha "$nome: Ctrl-C during a launch showed: $(cat -A "$tmp/saida")"
}

# What the account's own docker says, and what of the engine's it must not
# reach: Docker's sockets, Podman's state (root's; rootless Podman needs a
# home the account cannot write).
declare -A sem_motor=([docker]="permission denied while trying to connect" [podman]="stat /var/lib/testaropcao/.config")
declare -A do_motor=([docker]="/var/run/docker.sock /var/run/docker/containerd/containerd.sock"
    [podman]="/var/lib/containers/storage/db.sql /run/containers/storage/overlay-containers")
# Every other way in through the operators' account fails: each row is the
# sign that sshd or the launcher refused, then the attempt, which must show
# no sign of success. A connection refused outright (OpenSSH 10 penalises an
# address after failed logins) shows no such sign, so it cannot pass.
entradas() {
    local o=testaropcao@servidor m="docker exec testaropcao-$nome" f="-F $tmp/ssh_config" c=$tmp/copia u=$tmp/motor.sock linha
    local r="$m runuser -u testaropcao --" nao="is not allowed to execute '/usr/bin/docker" l=/etc/testaropcao/operadores
    # A site's drop-in read before the package's, with the package then
    # reinstalled; with no argument, the drop-in gone and the account opened.
    docker exec -i "testaropcao-$nome" sh -c 'cat >/usr/local/sbin/site; chmod 755 /usr/local/sbin/site' <<'EOF'
#!/bin/sh
rm -f /etc/ssh/sshd_config.d/00-site.conf
[ $# = 0 ] || printf 'Match all\n    %s\n' "$*" >/etc/ssh/sshd_config.d/00-site.conf
/etc/init.d/ssh reload >/dev/null
[ $# = 0 ] && testaropcao-operadores abrir || { cd /root && apt-get install -y --reinstall ./testaropcao-operadores_*_all.deb; }
EOF
    local tentativas=(
        "Opção inválida|ssh -T $o 'echo ENT\"\"ROU'"
        "Opção inválida|printf 'echo ENT\"\"ROU\\n' | ssh -tt $o"
        "error during connect|DOCKER_HOST=ssh://$o docker ps --format ENTROU"
        "administratively prohibited|ssh -W 127.0.0.1:22 $o"
        "remote port forwarding failed|ssh -o ExitOnForwardFailure=yes -R 0:127.0.0.1:22 -T $o"
        "open failed|sleep 3 | ssh -T -L $u:/var/run/docker.sock $o & sleep 1.5; docker -H unix://$u ps --format ENTROU; wait"
        "Opção inválida|eval \$(ssh-agent -s); sleep 3 | ssh -A -T $o & sleep 1.5; $m find /tmp -name 'agent.*' -printf ENTROU; wait; ssh-agent -k"
        "X11 forwarding request failed|DISPLAY=:0 ssh -X -T $o"
        "message too long|sftp $f -b - $o <<<'get /etc/passwd $c'; cat $c"
        "message too long|scp $f $o:/etc/passwd $c; cat $c"
        "Authenticated to|scp -v -O $f $o:/etc/passwd $c; cat $c"
        "Permission denied (publickey)|ssh -o PubkeyAuthentication=no -o PreferredAuthentications=password,keyboard-interactive $o"
        "corre no contêiner tamblevore_met05_1|ssh -T -o SetEnv='DOCKER_HOST=tcp://127.0.0.1:1 PATH=/tmp LD_PRELOAD=/tmp/x.so' $o <<<5"
        "Opção inválida|$m sh -c 'mkdir -p /var/lib/testaropcao/.ssh && echo \"echo ENTROU\" >/var/lib/testaropcao/.ssh/rc'
            ssh -T $o; $m rm -r /var/lib/testaropcao/.ssh"
        "Permission denied|$m runuser -u testaropcao -- sh -c 'cd ~testaropcao; for f in .ssh/rc .docker/config.json .profile \
            /etc/testaropcao/operadores; do mkdir -p \$(dirname \$f) && echo >>\$f && echo ENTROU \$f; done'"
        "${sem_motor[$motor]}|$r docker run -v /etc:/h tamblevore/app:latest"
        "$nao run -v /etc:/h|$r sudo -n docker run -v /etc:/h tamblevore/app:latest"
        "$nao ps'|$r sudo -n docker ps"
        "$nao exec tamblevore_met01_1 sh'|$r sudo -n docker exec tamblevore_met01_1 sh"
        "$nao exec tamblevore_met01_1 ./app' as nobody|$r sudo -n -u nobody docker exec tamblevore_met01_1 ./app"
        "is not allowed to execute '/bin/sh'|$r sudo -n -s"
        "is not allowed to execute '/bin/bash'|$r sudo -n -i"
        "not allowed to preserve the environment|$r sudo -n -E docker exec tamblevore_met01_1 ./app"
        "is not allowed to execute 'sudoedit /etc/shadow'|$r sudoedit -n /etc/shadow"
        "Permission denied|$r python3 -c \"import os, socket, sys; [print(p, (lambda e: os.strerror(e) if e else 'ENTROU')(
            socket.socket(socket.AF_UNIX).connect_ex(p))) for p in sys.argv[1:]]\" ${do_motor[$motor]}"
        "Permission denied (publickey)|$m sh -c 'echo cert-authority \$(cat) >>$l' <$tmp/ca.pub; ssh -T testaropcao@certificado; $m sed -i /^cert-authority/d $l"
        "weaker settings|$m site DisableForwarding no; sleep 3 | ssh -T -L $u:/var/run/docker.sock $o & sleep 1.5; docker -H unix://$u ps --format ENTROU; wait; $m site"
        "weaker settings|$m site ForceCommand internal-sftp; sftp $f -b - $o <<<'get /etc/passwd $c'; cat $c; $m site"
    )
    for linha in "${tentativas[@]}"; do
        estacao "${linha#*|}" </dev/null >"$tmp/tentativa" 2>&1 || true
        grep -qF -- "${linha%%|*}" "$tmp/tentativa" && ! grep -qE 'ENTROU|^SSH-2\.0|root:x' "$tmp/tentativa" ||
            falha "$nome: a way in did not fail: ${linha#*|}: $(cat "$tmp/tentativa")"
        echo "   refused: ${linha#*|} -> $(grep -F -m1 -- "${linha%%|*}" "$tmp/tentativa")"
        # A failed login costs its address 5 s on OpenSSH 10, cut off past 15.
        case ${linha%%|*} in "Permission denied (publickey)" | weaker*) sleep 6 ;; esac
    done
}

# Fifty operators launching at once, each on a connection of its own, half
# of them into tamblevore_met05_1: sshd and that container take them all.
carga() {
    local i certos=0 pids=() opcao=()
    for i in {1..50}; do opcao[i]=$((i > 25 ? 5 : i % 9 + 1)); done
    for i in {1..50}; do estacao "$operar_em_pipe" <<<${opcao[i]} >"$tmp/carga$i" 2>&1 & pids+=($!); done
    wait "${pids[@]}" || true
    for i in {1..50}; do lancado ${opcao[i]} | cmp -s - "$tmp/carga$i" && certos=$((certos + 1)); done
    remotos+=("$certos of 50 operators at once right")
    [ $certos = 50 ] || falha "$nome: only $certos of 50 launches at once were right: $(sort "$tmp"/carga* | uniq -c)"
}

# One README command from here, timed; the nine never come to this
# machine's own engine.
remoto() {
    local inicio
    inicio=$(agora)
    estacao "$2" >"$tmp/registo" 2>&1 || falha "$nome: $1: $(cat "$tmp/registo")"
    remotos+=("$1 $(desde "$inicio") s")
    [ "$(docker ps -a --filter name=tamblevore_ --format '{{.Names}}' | sort)" = "$locais" ] ||
        falha "$nome: $1 changed this machine's own containers"
}

# The container stopped on purpose stayed stopped.
parado() {
    [ "$(na_maquina docker inspect -f '{{.State.Status}}' tamblevore_met06_1)" = exited ] ||
        falha "$nome: the container stopped on purpose came back"
}

# An operator at the prompt, whose session the next step must end.
a_espera() {
    { estacao "ssh -T testaropcao@antigo" < <(exec sleep 60) >/dev/null 2>&1 || true & } 2>/dev/null
    ate 10 na_maquina pgrep -u testaropcao >/dev/null || falha "$nome: no operator at the prompt"
}

endereco() {
    docker inspect -f "{{(index .NetworkSettings.Networks \"$rede\").IPAddress}}" "testaropcao-$nome"
}

servidor() {
    local chave antes t oito=(1 2 3 4 5 7 8 9) sem=${remoto_lancar#$administrador } remota
    # Remote engines reach Docker's engine only; the README sends a Podman
    # server's administrator to the server itself.
    remota=$([ $motor = podman ] || echo 1)
    echo "== $nome: the operator's server"
    remotos=()
    locais=$(docker ps -a --filter name=tamblevore_ --format '{{.Names}}' | sort)
    rm -rf "$tmp/casa" "$tmp/bin" "$tmp"/chave*
    mkdir -p "$tmp/casa" "$tmp/bin"
    ssh-keygen -q -t ed25519 -N "" -C "testarOpcao $nome" -f "$tmp/chave-administrador"
    # The operator of Operators, one listed under the release before, one
    # added by block 3, and one holding a certificate.
    for k in testaropcao:operador antigo outro certificado; do
        ssh-keygen -q -t ed25519 -N "" -C "${k#*:} $nome" -f "$tmp/chave-${k%:*}"
    done
    ssh-keygen -q -t ed25519 -N "" -C ca -f "$tmp/ca"
    ssh-keygen -q -s "$tmp/ca" -I "quem quiser" -n testaropcao "$tmp/chave-certificado.pub"
    chave=$(cat "$tmp/chave-administrador.pub")
    na_maquina sh -c "useradd -m ${remota:+-G docker} administrador && mkdir -m 700 ~administrador/.ssh &&
        echo '$chave' >~administrador/.ssh/authorized_keys && chown -R administrador: ~administrador/.ssh"
    echo "servidor $(na_maquina cat /etc/ssh/ssh_host_ed25519_key.pub)" >"$tmp/known_hosts"
    printf '#!/bin/sh\nexec /usr/bin/ssh -F %s "$@"\n' "$tmp/ssh_config" >"$tmp/bin/ssh"
    chmod 755 "$tmp/bin/ssh"
    # Without connection sharing first, as ssh comes. Each operator but the
    # first logs in as testaropcao@NAME, with the key of that name.
    cat >"$tmp/ssh_config" <<EOF
Host antigo outro certificado
    IdentityFile $tmp/chave-%n
Host servidor
    IdentityFile $tmp/chave-%r
Host servidor antigo outro certificado
    HostName $(endereco)
    HostKeyAlias servidor
    IdentitiesOnly yes
    IdentityAgent none
    UserKnownHostsFile $tmp/known_hosts
    GlobalKnownHostsFile /dev/null
    StrictHostKeyChecking yes
    BatchMode yes
EOF

    if [ -n "$remota" ]; then
        remoto "up over ssh" "$remoto_subir"
        lancamentos "$remoto_lancar" 1 2 3 4 5 6 7 8 9
        remotos+=("a launch $por_lancamento s")
    else
        echo "   skipped, the administrator's Remote engines: not for a Podman server; up on the server"
        na_maquina cmake --build --preset padrao --target subir >/dev/null 2>&1
    fi

    # The release before's packages, built from its own commit, an operator
    # listed as its README said and at the prompt; then the upgrade, which
    # ends that session, asks nothing, keeps the key. Under Podman there is
    # none: the release before's operators needed Docker's engine.
    docker cp "$tmp/chave-antigo.pub" "testaropcao-$nome:/root/antigo.pub"
    if [ -n "$remota" ]; then
        git -C "$fonte" archive --prefix=velho/fonte/ "$anterior" | docker exec -i "testaropcao-$nome" tar -x -C /root
        passo "operators as before" "cd /root/velho/fonte && DEB_BUILD_OPTIONS=nocheck dpkg-buildpackage -us -uc -b >/dev/null &&
            cd .. && apt-get install -y --allow-downgrades ./testaropcao_*.deb ./testaropcao-operadores_*.deb &&
            cat /root/antigo.pub >>/etc/testaropcao/operadores" </dev/null
        a_espera
        passo "operators upgraded" "cd /root && apt-get install -y ./testaropcao_*_\$(dpkg --print-architecture).deb ./testaropcao-operadores_*_all.deb &&
            ! pgrep -u testaropcao && ! id -nG testaropcao | grep -w docker && grep -xF '$(cat "$tmp/chave-antigo.pub")' /etc/testaropcao/operadores" </dev/null
    else
        echo "   skipped, the upgrade from $(git -C "$fonte" show "$anterior:debian/changelog" | sed -n '1s/.*(\(.*\)).*/\1/p'): its operators needed Docker's engine"
    fi

    # The operators' account as the README sets it up, beside the packages
    # that Install built.
    docker cp "$tmp/chave-testaropcao.pub" "testaropcao-$nome:/root/operador.pub"
    passo operators "cd /root && $operadores" </dev/null
    # Block 3 takes one plain key and refuses, saying why, a cert-authority
    # line, options, two keys, a carriage return and a certificate. A .pub
    # without its last line feed, after a list without one, harms no one.
    local k=$(cat "$tmp/chave-outro.pub") mau
    for mau in "cert-authority $k" "from=\"192.0.2.1\" $k" "$k\n$k" "${k% *} x\rcert-authority $k" "$(cat "$tmp/chave-certificado-cert.pub")"; do
        printf '%b' "$mau" | docker exec -i "testaropcao-$nome" sh -c "cat >/root/operador.pub; cd /root; cp /etc/testaropcao/operadores /tmp; ! $outro && cmp /tmp/operadores /etc/testaropcao/operadores" ||
            falha "$nome: block 3 took $mau"
    done 2>&1 | sed 's/^/   refused: /'
    printf '%s' "$k" | docker exec -i "testaropcao-$nome" sh -c "cat >/root/operador.pub && truncate -s -1 /etc/testaropcao/operadores && cd /root && $outro"
    na_maquina tail -2 /etc/testaropcao/operadores | cmp -s - <(cat "$tmp/chave-testaropcao.pub" "$tmp/chave-outro.pub") ||
        falha "$nome: the list ends: $(na_maquina tail -2 /etc/testaropcao/operadores)"
    [ -n "$remota" ] || na_maquina sh -c 'cat /root/antigo.pub >>/etc/testaropcao/operadores'
    lancamentos "$operar_em_pipe" 1 2 3 4 5 6 7 8 9
    remotos+=("an operator's launch $por_lancamento s")
    terminal
    entradas
    # With a shell of its own, sudo lets the account run the nine and nothing more.
    [ "$(na_maquina runuser -u testaropcao -- sudo -n -l | sed '1,/may run/d' | tr -d ' \n')" = \
        "(root)$(printf '/usr/bin/dockerexectamblevore_met0%s_1./app,' {1..8})/usr/bin/dockerexectamblevore_met09_1./app" ] ||
        falha "$nome: sudo -l: $(na_maquina runuser -u testaropcao -- sudo -n -l)"
    # A login that opens no session and a session left at the prompt, which
    # must end by themselves (a reinstall, as in entradas, ends them too).
    local desde_ocioso=$(agora)
    { estacao "ssh -N testaropcao@servidor" </dev/null >/dev/null 2>&1 || agora >"$tmp/sem_sessao"; } &
    { estacao "$operar_em_pipe" < <(exec sleep 200) >/dev/null 2>&1 || agora >"$tmp/ocioso"; } &
    carga
    # The launch list: the key (as ssh-keygen -lf prints it) and container
    # of each launch, and the account's refusals.
    estacao "ssh -T testaropcao@antigo" <<<6 >/dev/null && estacao "ssh -T testaropcao@outro" <<<7 >/dev/null
    na_maquina sh -c "$lista" >"$tmp/lista"
    tail -2 "$tmp/lista" | cut -d' ' -f2- | cmp -s - <(printf '%s tamblevore_met0%s_1\n' \
        "$(ssh-keygen -lf "$tmp/chave-antigo.pub" | cut -d' ' -f2)" 6 "$(ssh-keygen -lf "$tmp/chave-outro.pub" | cut -d' ' -f2)" 7) &&
        grep -q ' refused (command not allowed): /usr/bin/docker ps$' "$tmp/lista" || falha "$nome: the launch list: $(cat "$tmp/lista")"
    tail -2 "$tmp/lista" | sed 's/^/   launch list: /'

    # The engine stopped and started with one container stopped on purpose;
    # Podman has no engine to restart, and a stop that lasts through the
    # next boot is one with the policy "no", as the README says.
    if [ -n "$remota" ]; then
        na_maquina docker stop tamblevore_met06_1 >/dev/null
        na_maquina /usr/local/sbin/arranque stop
        na_maquina /usr/local/sbin/arranque start
        t=$(ate 60 respondem "${oito[@]}") || falha "$nome: the eight did not come back after the engine restarted"
        remotos+=("eight back after engine restart $t s")
        parado
        lancamentos "$remoto_lancar" "${oito[@]}"
    else
        echo "   skipped, the engine's restart: Podman has none; each container has a conmon of its own"
        na_maquina sh -c 'docker update --restart=no tamblevore_met06_1 && docker stop tamblevore_met06_1' >/dev/null
    fi
    lancamentos "$operar_em_pipe" "${oito[@]}"
    ate 150 test -s "$tmp/ocioso" >/dev/null || falha "$nome: a session left at the prompt is still open"
    t=$(($(cat "$tmp/sem_sessao") - desde_ocioso)) ocio=$(($(cat "$tmp/ocioso") - desde_ocioso))
    [ $t -lt 60000 ] && [ $ocio -ge 118000 ] && [ $ocio -lt 140000 ] ||
        falha "$nome: a login without a session ended after $t ms, a silent session after $ocio ms"
    remotos+=("a login without a session ended after $(segundos $t) s, a silent session after $(segundos $ocio) s")

    # The whole server stopped and started: its entry brings the log, sshd
    # and the engine back, and the engine the eight.
    docker stop -t 30 "testaropcao-$nome" >/dev/null
    docker start "testaropcao-$nome" >/dev/null
    t=$(ate 60 respondem "${oito[@]}") || falha "$nome: the eight did not come back after the server restarted"
    remotos+=("eight back after server restart $t s")
    parado
    sed -i "s/^    HostName .*/    HostName $(endereco)/" "$tmp/ssh_config" # a new boot may mean a new address
    [ -z "$remota" ] || lancamentos "$remoto_lancar" "${oito[@]}"
    lancamentos "$operar_em_pipe" "${oito[@]}"
    [ -z "$remota" ] || remoto "down over ssh" "$remoto_parar"

    # Through a context, made twice, with connection sharing as the README
    # shows it; on Podman the nine, the stopped one too, up on the server.
    cat >>"$tmp/ssh_config" <<EOF
    ControlMaster auto
    ControlPath $tmp/cm-%C
    ControlPersist 60
EOF
    if [ -n "$remota" ]; then
        remoto "context" "$contexto"
        remoto "context again" "$contexto"
        remoto "up over ssh, shared" "${remoto_subir#$administrador }"
        lancamentos "$sem" 1 2 3 4 5 6 7 8 9
        remotos+=("a launch, shared $por_lancamento s")
    else
        na_maquina cmake --build --preset padrao --target subir >/dev/null 2>&1
    fi
    lancamentos "$operar_em_pipe" 1 2 3 4 5 6 7 8 9
    remotos+=("an operator's launch, shared $por_lancamento s")
    [ -z "$remota" ] || remoto "down over ssh, shared" "${remoto_parar#$administrador }"
    for conta in administrador testaropcao; do # gone already if they persisted no longer
        estacao "ssh -O exit $conta@servidor" 2>/dev/null || true
    done

    # An operator removed is their line gone; purge leaves nothing behind.
    na_maquina sed -i "/ operador $nome\$/d" /etc/testaropcao/operadores
    ! estacao "$operar_em_pipe" </dev/null >"$tmp/saida" 2>&1 && grep -q "Permission denied (publickey)" "$tmp/saida" ||
        falha "$nome: a removed operator: $(cat "$tmp/saida")"

    # A later version, of the kind a stable update makes, that changes what
    # the package ships under /etc: it builds, asks nothing, keeps every key.
    # The nine come up again, from the server's own build.
    na_maquina cmake --build --preset padrao --target subir >/dev/null
    local u=+deb${versoes[$nome]}u1
    passo "operators updated to $u" "mkdir -p /root/seguinte && tar -C /root/testarOpcao --exclude=./build -c . | tar -C /root/seguinte -x &&
        cd /root/seguinte && sed -i '1s/(\(.*\))/(\1$u)/' debian/changelog &&
        echo '# $u' | tee -a debian/operadores/testaropcao.conf >>debian/operadores/sudoers.d/testaropcao &&
        DEB_BUILD_OPTIONS=nocheck dpkg-buildpackage -us -uc -b >/dev/null && cd .. && cp /etc/testaropcao/operadores /tmp/lista &&
        apt-get install -y ./testaropcao_*${u}_\$(dpkg --print-architecture).deb ./testaropcao-operadores_*${u}_all.deb &&
        cmp /tmp/lista /etc/testaropcao/operadores" </dev/null
    estacao "ssh -T testaropcao@antigo" <<<4 | grep -q tamblevore_met04_1 || falha "$nome: no launch after the update"
    # Removed with an operator at the prompt: that session ends and no one
    # launches. Installed again: the same keys work. Purged with an operator
    # at the prompt: it succeeds, the session ends and nothing is left.
    a_espera
    passo "operators removed" "apt-get remove -y testaropcao-operadores && ! pgrep -u testaropcao" </dev/null
    ! estacao "ssh -T testaropcao@antigo" <<<3 2>&1 | grep tamblevore_ || falha "$nome: a launch after remove"
    passo "operators installed again" "cd /root && apt-get install -y ./testaropcao-operadores_*${u}_all.deb" </dev/null
    estacao "ssh -T testaropcao@antigo" <<<3 | grep -q tamblevore_met03_1 || falha "$nome: no launch after installing again"
    a_espera
    passo "operators purged" "apt-get purge -y testaropcao-operadores && ! pgrep -u testaropcao &&
        ! getent passwd testaropcao && ! getent group testaropcao && ! ls -d /etc/testaropcao /var/lib/testaropcao \
        /etc/ssh/sshd_config.d/testaropcao.conf /etc/sudoers.d/testaropcao /usr/share/testaropcao 2>/dev/null" </dev/null

    [ -n "$remota" ] || { echo "== $nome as the server: ${remotos[*]}"; return; }
    # The server down: exactly the bare line's stderr, the dialogue, exit 0.
    # How ssh fails to reach a gone address (no route, or a timeout) can
    # change from one try to the next, so the bare line runs just before
    # and just after the launcher, and the launcher must match one of them.
    docker stop -t 30 "testaropcao-$nome" >/dev/null
    local nua="$administrador sh -c 'docker exec tamblevore_met05_1 ./app'"
    estacao "$nua" >/dev/null 2>"$tmp/linha" && falha "$nome: the bare line worked with the server down"
    antes=$(agora)
    estacao "$remoto_lancar" <<<5 >"$tmp/saida" 2>"$tmp/erro" || falha "$nome: exit status not 0"
    remotos+=("fails with the server down $(desde "$antes") s")
    estacao "$nua" >/dev/null 2>"$tmp/linha2" && falha "$nome: the bare line worked with the server down"
    printf 'Escolha uma opção (1-9): Você escolheu a opção 5!\n' | cmp -s - "$tmp/saida" ||
        falha "$nome: server down, stdout: $(cat "$tmp/saida")"
    cmp -s "$tmp/linha" "$tmp/erro" || cmp -s "$tmp/linha2" "$tmp/erro" ||
        falha "$nome: server down, stderr: $(cat "$tmp/erro"); the bare line's before and after: $(cat "$tmp/linha" "$tmp/linha2")"
    echo "   server down: $(cat "$tmp/erro")"
    echo "== $nome as the server, $(docker-compose version --short 2>/dev/null | sed 's/^/Compose /') here: ${remotos[*]}"
}

mkdir -p "$cache"
docker network create "$rede" >/dev/null
[ $# -gt 0 ] || set -- bookworm trixie podman arm64
feitos=("$@")
# The workstation's launcher, built once for every server.
(cd "$fonte" && cmake --preset padrao >/dev/null && cmake --build --preset padrao >/dev/null)
# The machines side by side, each line marked with its release.
declare -A corridas
for nome in "$@"; do
    tmp=$comum/$nome
    mkdir "$tmp"
    { maquina 2>&1 | sed -u "s/^/$nome| /"; } &
    corridas[$nome]=$!
done
falhadas=()
for nome in "$@"; do
    wait "${corridas[$nome]}" || falhadas+=("$nome")
done
[ ${#falhadas[@]} -eq 0 ] || falha "fresh machines: ${falhadas[*]} failed"
echo "fresh machines: all passed"
