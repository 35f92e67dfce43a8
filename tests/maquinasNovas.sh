#!/usr/bin/env bash
# The README's own commands on fresh, minimal Debian 12 and 13 servers
# with Docker's engine and a Debian 13 one with Podman, each a root made by
# debootstrap (kept between runs) run as a container at its own address,
# sharing no socket, network or PIDs with this machine. Each boots systemd,
# which runs the packages' own units (sshd from ssh.socket on Debian 13's
# Docker machine), and after every step no unit may have failed. In each:
# the engine packages for that release, a reboot, Run with option 5, stop,
# Test, Install (the package built, checked, installed, tested as installed,
# and piuparts beside processes of the uids the account may get). A fourth,
# of Debian 12, only builds: for arm64 too, under qemu, and again by
# reprotest. Then each is the server and this machine the workstation, over
# ssh: the nine up and down, every option launched by the administrator and
# through the operators' account, whose every other way in must fail; that
# account from an earlier release through an upgrade, a later version,
# remove, install again and purge; the engine restarted, a reboot and the
# server down. Machines and server parts run side by side, each line marked
# with its machine's name. All it made is removed at the end, pass or fail,
# and this machine's cgroups must be as they were.
#
# Usage: maquinasNovas.sh [MACHINE...]  bookworm, trixie, podman and arm64 by default
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
# What the machine adds to its packages: on Debian 12 a syslog daemon beside
# journald; for Podman runc, since crun refuses these hybrid cgroups. Which
# one's sshd starts from ssh.socket, and which earlier release its
# operators' account is upgraded from (else the release before this one).
declare -A proprios=([bookworm]=rsyslog [podman]=runc) soquete=([trixie]=1) desde=([bookworm]=1.2.0)
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
falha() { echo "FAILED: $*" >&$erros; exit 1; }
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
maximo=$(comando Operators 5 "*MaxStartups*systemctl try-restart ssh.service")

# The releases in debian/changelog, newest first, and the last commit of
# one: the parent of the commit that added the next.
versoes_feitas=$(sed -n 's/^testaropcao (\([^)]*\)).*/\1/p' "$fonte/debian/changelog")
ultimo() {
    echo "$(git -C "$fonte" log -1 --format=%H -S"testaropcao ($(echo "$versoes_feitas" | grep -B1 -xF "$1" | head -1))" -- debian/changelog)^"
}

# The run's scratch, and each release's own under it as $tmp; this
# machine's cgroups, which hierarchies mounted how.
comum=$(mktemp -d)
feitos=()
cgroups() { ls /sys/fs/cgroup; grep -w cgroup /proc/self/mountinfo; }
cgroups_antes=$(cgroups)
limpar() {
    # The machines' runs if still going, ssh masters left by connection
    # sharing, then the machines (shut down, so that they leave no cgroup),
    # their images, the network and the cgroups their engines made.
    local deles=(-path "*/testaropcao-*" -o -path "*/libpod_parent*") id restos
    kill $(jobs -p) 2>/dev/null || true
    for nome in "${feitos[@]}"; do
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
trap limpar EXIT

# The archive this machine's apt uses.
espelho() {
    apt-get indextargets --format '$(REPO_URI)' 'Created-By: Packages' 2>/dev/null |
        grep -m1 '/debian/$' || echo http://deb.debian.org/debian/
}

# A server's root: what boots systemd, with no machine id, so that each
# machine made from it gets its own at its first boot.
raiz() {
    local pasta
    [ -s "$cache/$suite-systemd.tar" ] && return
    echo "== $nome: debootstrap $suite from $(espelho)"
    pasta=$(mktemp -d)
    debootstrap --variant=minbase --include=systemd-sysv,dbus "$suite" "$pasta" "$(espelho)" >"$cache/$suite.log" 2>&1 ||
        falha "debootstrap $suite, see $cache/$suite.log"
    : >"$pasta/etc/machine-id"
    rm -f "$pasta/var/lib/dbus/machine-id"
    tar -C "$pasta" -cf "$cache/$suite.tar.novo" .
    mv "$cache/$suite.tar.novo" "$cache/$suite-systemd.tar"
    rm -rf "$pasta"
}

# One step in the machine, timed, after which no unit may have failed.
passo() {
    local inicio=$SECONDS
    echo "== $nome: $1"
    docker exec -i "testaropcao-$nome" bash -c "$2" || falha "$nome: $1"
    tempos+=("$1 $((SECONDS - inicio)) s")
    sem_falhas "$1"
}

sem_falhas() {
    local u falhadas
    falhadas=$(na_maquina systemctl list-units --failed --plain --no-legend | cut -d' ' -f1)
    [ -n "$falhadas" ] || return 0
    { na_maquina systemctl --failed --no-pager
      for u in $falhadas; do na_maquina journalctl -u "$u" -n 15 --no-pager; done; } >&2
    falha "$nome: failed units after $1: $falhadas"
}

# Boots the machine, or reboots it (a reboot ends it with 129, unlike a
# power-off or a crash), to a running system; prints the boot's seconds.
arrancar() {
    local inicio estado
    [ $# = 0 ] || { na_maquina systemctl reboot || true; }
    [ $# = 0 ] || [ "$(docker wait "testaropcao-$nome")" = 129 ] || falha "$nome: the reboot did not end the machine as one"
    inicio=$(agora)
    docker start "testaropcao-$nome" >/dev/null
    ate 60 na_maquina systemctl is-system-running --wait >/dev/null || true
    estado=$(na_maquina systemctl is-system-running) || { sem_falhas boot; falha "$nome: the machine is $estado"; }
    desde "$inicio"
}

na_maquina() { docker exec "testaropcao-$nome" "$@"; }

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
    local versao=${versoes[$nome]:-} suite=${suites[$nome]:-$nome} motor=${motores[$nome]:-docker} fila pacotes saida t
    [ -n "$versao" ] || falha "unknown machine $nome"
    fila="Debian $versao ($suite)$([ $motor = docker ] || echo ", Podman")"
    pacotes=$(grep -m1 -F "| $fila | " "$leia" | cut -d'`' -f2)
    [ -n "$pacotes" ] || falha "README.md names no engine packages for $fila"
    { flock 9 && raiz; } 9>"$cache/$suite.lock" # a root two machines share is made once
    docker import "$cache/$suite-systemd.tar" "testaropcao/maquina:$nome" >/dev/null
    mkdir -p "$cache/apt-$nome"
    # Every capability but SYS_RESOURCE (this engine cannot grant it) and
    # SYS_MODULE (no module to load); cgroups in a tmpfs of its own, with
    # this machine's hierarchies bound in and tmpfs folders where its
    # systemd would mount others here (Podman writes in them, to no effect);
    # SIGRTMIN+3 as the power button; volumes where it writes much, as this
    # engine's storage may be FUSE.
    docker create --name "testaropcao-$nome" --hostname "$nome" --network "$rede" \
        --cap-add ALL --cap-drop SYS_RESOURCE --cap-drop SYS_MODULE --stop-signal SIGRTMIN+3 \
        --security-opt seccomp=unconfined --security-opt apparmor=unconfined --tmpfs /sys/fs/cgroup \
        $(for h in /sys/fs/cgroup/*/; do echo "-v ${h%/}:${h%/}"; done) \
        $(for h in cpu,cpuacct net_cls,net_prio perf_event hugetlb; do
            [ -e /sys/fs/cgroup/$h ] || echo "--tmpfs /sys/fs/cgroup/$h"; done) \
        -v "$cache/apt-$nome:/var/cache/apt/archives" \
        -v /root -v /tmp -v /var/lib/docker -v /var/lib/containers \
        -e DEBIAN_FRONTEND=noninteractive -e TESTAROPCAO_E2E_OBRIGATORIO -e TESTAROPCAO_E2E_TOMAR \
        -w /root/testarOpcao "testaropcao/maquina:$nome" /sbin/init >>"$comum/ids"
    t=$(arrancar) || exit 1
    tempos=("boot $t s")
    (cd "$fonte" && git ls-files -z --cached --others --exclude-standard |
        tar --null --ignore-failed-read -T - -c) |
        docker exec -i "testaropcao-$nome" tar -x -C /root/testarOpcao

    [ "$nome" != "$cruzada" ] || { cruzar; return; }
    # An engine with no network to give, for containers that need none,
    # their cgroups named for the machine to be found afterwards; Podman's
    # runtime, its cgroups out of systemd's slices (here this machine's),
    # and no cgroups v1 warning (servers have v2) on every call's stderr.
    na_maquina sh -c "mkdir -p /etc/docker && echo '{\"storage-driver\": \"vfs\",
        \"iptables\": false, \"bridge\": \"none\", \"cgroup-parent\": \"testaropcao-$nome\"}' \
        >/etc/docker/daemon.json && mkdir -p /etc/containers && printf '[engine]\nruntime = \"runc\"\n%s\n%s\n' \
        'cgroup_manager = \"cgroupfs\"' 'env = [\"PODMAN_IGNORE_CGROUPSV1_WARNING=1\"]' >/etc/containers/containers.conf"
    # openssh-server, as CI adds it here and the server needs it.
    passo "engine packages" "apt-get update && apt-get install -y $pacotes openssh-server ${proprios[$nome]:-} ${soquete[$nome]:+&&
        systemctl disable --now ssh.service && systemctl enable --now ssh.socket}" </dev/null
    [ $motor = docker ] || passo "restart at boot" "$ao_arrancar" </dev/null
    t=$(arrancar de novo) || exit 1
    tempos+=("reboot $t s")
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
        # piuparts' chroot, while a process of each uid the account could
        # get there runs outside it and must live through both runs.
        passo piuparts "apt-get install -y piuparts >/dev/null && for u in \$(seq 100 199); do
            setpriv --reuid=\$u --regid=\$u --clear-groups sleep 900 </dev/null >/dev/null 2>&1 & done
            for debs in ../testaropcao_*_amd64.deb '../testaropcao_*_amd64.deb ../testaropcao-operadores_*_all.deb'; do
                piuparts --scriptsdir /etc/piuparts/scripts -d $suite -m $(espelho) --no-upgrade-test \$debs >/tmp/piuparts 2>&1 &&
                    echo \"piuparts \$(echo \$debs | sed 's|../||g; s|_[^ ]*||g'): \$(grep -o 'PASS: All tests' /tmp/piuparts)\" ||
                    { tail -40 /tmp/piuparts; pkill -x sleep; exit 1; }
            done; [ \$(pkill -c -x sleep) = 100 ]" </dev/null
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
    desligar
}

# A clean shutdown, after which the machine leaves no cgroup here.
desligar() { docker stop -t 60 "testaropcao-$nome" >/dev/null && docker rm -v "testaropcao-$nome" >/dev/null; }

# The Install commands on a machine that only builds: the package, for
# arm64 too, run under qemu, and both built again by reprotest.
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
    desligar
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
# is typed echoes and the launch follows; then the same, interrupted.
cat >"$comum/terminal.py" <<'EOF'
import os, pty, sys, time
comando, opcao, interromper = sys.argv[1], sys.argv[2].encode(), sys.argv[3:]  # importing dialogo reads sys.argv
from dialogo import ler_ate
pid, fd = pty.fork()
pid or os.execvp("sh", ["sh", "-c", comando])
sys.stdout.buffer.write(ler_ate(fd, "(1-9): ".encode()) + b"|")
os.write(fd, opcao + b"\r")
if interromper:  # a Ctrl-C while the launch waits for the engine
    sys.stdout.buffer.write(ler_ate(fd, opcao + "!\r\n".encode()) + b"|")
    time.sleep(1)
    os.write(fd, b"\x03")
sys.stdout.buffer.write(ler_ate(fd, b"\0", 200) + b"|%d" % os.waitstatus_to_exitcode(os.waitpid(pid, 0)[1]))
EOF
terminal() {
    estacao "PYTHONPATH=tests python3 $comum/terminal.py '$operar' $1" >"$tmp/saida$1"
    printf 'Escolha uma opção (1-9): |%s\r\nVocê escolheu a opção %s!\r\n%s\r\nConnection to %s closed.\r\r\n|0' \
        $1 $1 "${2:-$(lancado $1 | head -1)}" "$(endereco)" | cmp -s - "$tmp/saida$1" ||
        falha "$nome: the operator's terminal showed: $(cat -A "$tmp/saida$1")"
    [ $# = 1 ] || return 0
    # Interrupted, it ends as the launcher does on a local terminal: status 0.
    [ $motor = docker ] || { echo "   skipped, Ctrl-C during a launch: Podman has no engine daemon to hold a launch on"; return; }
    na_maquina sh -c 'kill -STOP $(cat /var/run/docker.pid)'
    estacao "PYTHONPATH=tests python3 $comum/terminal.py '$operar' 5 interromper" >"$tmp/saida"
    na_maquina sh -c 'kill -CONT $(cat /var/run/docker.pid)'
    printf 'Escolha uma opção (1-9): |5\r\nVocê escolheu a opção 5!\r\n|^CConnection to %s closed.\r\r\n|0' "$(endereco)" |
        cmp -s - "$tmp/saida" || falha "$nome: Ctrl-C during a launch showed: $(cat -A "$tmp/saida")"
}

# For a while met01's ./app writes a line, works 125 s in silence (longer
# than the prompt waits) and another: on a terminal and on pipes, an
# operator sees both, and ssh's status 0.
longo() {
    na_maquina sh -c 'cd /tmp && echo "#include <cstdio>
        #include <unistd.h>
        int main() { std::puts(\"um\"); std::fflush(stdout); sleep(125); std::puts(\"dois\"); }" >longo.cpp &&
        g++ -static -o app longo.cpp && cp /root/testarOpcao/build/padrao/conteineres/espera . &&
        tar -c app espera | docker import - tamblevore/app:longo && docker rm -f tamblevore_met01_1 &&
        docker run -d --name tamblevore_met01_1 --user 65534 --network none tamblevore/app:longo /espera' >/dev/null
    terminal 1 $'um\r\ndois' &
    longos=($!)
    { estacao "$operar_em_pipe" <<<1 >"$tmp/longo" 2>&1; echo "|$?" >>"$tmp/longo"; } &
    longos+=($!)
}
longo_visto() {
    wait "${longos[@]}" || falha "$nome: a long launch on a terminal"
    printf 'um\ndois\nEscolha uma opção (1-9): Você escolheu a opção 1!\n|0\n' | cmp -s - "$tmp/longo" ||
        falha "$nome: a long launch on pipes: $(cat "$tmp/longo")"
    na_maquina sh -c 'docker rm -f tamblevore_met01_1 && cmake --build --preset padrao --target subir' >/dev/null 2>&1
    remotos+=("a 125 s ./app seen whole on a terminal and on pipes, ssh's status 0")
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
systemctl try-restart ssh.service
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

# Fifty operators at once, each on a connection of its own, half into met05
# and none into met01, then long: sshd and met05 take them all.
carga() {
    local i certos=0 pids=() opcao=()
    for i in {1..50}; do opcao[i]=$((i > 25 ? 5 : i % 8 + 2)); done
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
    ate 10 na_maquina pgrep -u testaropcao -x testarOpcao >/dev/null || falha "$nome: no operator at the prompt"
}

endereco() { docker inspect -f "{{(index .NetworkSettings.Networks \"$rede\").IPAddress}}" "testaropcao-$nome"; }

servidor() {
    local chave antes t oito=(1 2 3 4 5 7 8 9) sem=${remoto_lancar#$administrador } remota
    # Remote engines are for Docker's engine; Podman's are run on the server.
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
    # No connection sharing yet; operators but the first as testaropcao@KEY.
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

    # An earlier release (what it leaves failed, as 1.4.0 does sshd under
    # ssh.socket, is shown, reset and the account opened as its README
    # said), an operator listed as that README said and at the prompt; the
    # upgrade ends that session, asks nothing, keeps the key, and dpkg no
    # longer keeps the list as a conffile.
    local de=${desde[$nome]:-$(echo "$versoes_feitas" | sed -n 2p)}
    docker cp "$tmp/chave-antigo.pub" "testaropcao-$nome:/root/antigo.pub"
    git -C "$fonte" archive --prefix=velho/fonte/ "$(ultimo "$de")" | docker exec -i "testaropcao-$nome" tar -x -C /root
    passo "operators $de" "cd /root/velho/fonte && DEB_BUILD_OPTIONS=nocheck dpkg-buildpackage -us -uc -b >/dev/null &&
        cd .. && apt-get install -y --allow-downgrades ./testaropcao_*.deb ./testaropcao-operadores_*.deb &&
        cat /root/antigo.pub >>/etc/testaropcao/operadores && { f=\$(systemctl --failed --plain --no-legend); [ -z \"\$f\" ] ||
        { echo \"   left failed by $de: \$f\"; systemctl reset-failed && testaropcao-operadores abrir; }; }" </dev/null
    a_espera
    passo "operators upgraded from $de" "cd /root && apt-get install -y ./testaropcao_*_\$(dpkg --print-architecture).deb ./testaropcao-operadores_*_all.deb &&
        ! pgrep -u testaropcao && ! id -nG testaropcao | grep -w docker && grep -xF '$(cat "$tmp/chave-antigo.pub")' /etc/testaropcao/operadores &&
        ! dpkg-query -W -f='\${Conffiles}' testaropcao-operadores | grep -F /etc/testaropcao/operadores" </dev/null

    # The operators' account as the README sets it up.
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
    lancamentos "$operar_em_pipe" 1 2 3 4 5 6 7 8 9
    remotos+=("an operator's launch $por_lancamento s")
    entradas
    # A login without a session and one left at the prompt end by themselves,
    # while a long launch goes on; none of the rest until it ends uses met01.
    local desde_ocioso=$(agora)
    { estacao "ssh -N testaropcao@servidor" </dev/null >/dev/null 2>&1 || agora >"$tmp/sem_sessao"; } &
    { estacao "$operar_em_pipe" < <(exec sleep 200) >/dev/null 2>&1 || agora >"$tmp/ocioso"; } &
    longo
    terminal 5
    # With a shell of its own, sudo lets the account run the nine and nothing more.
    [ "$(na_maquina runuser -u testaropcao -- sudo -n -l | sed '1,/may run/d' | tr -d ' \n')" = \
        "(root)$(printf '/usr/bin/dockerexectamblevore_met0%s_1./app,' {1..8})/usr/bin/dockerexectamblevore_met09_1./app" ] ||
        falha "$nome: sudo -l: $(na_maquina runuser -u testaropcao -- sudo -n -l)"
    passo "MaxStartups for many operators" "$maximo" </dev/null
    carga
    # The launch list: each launch's key and container, and the refusals.
    estacao "ssh -T testaropcao@antigo" <<<6 >/dev/null && estacao "ssh -T testaropcao@outro" <<<7 >/dev/null
    na_maquina sh -c "$lista" >"$tmp/lista"
    tail -2 "$tmp/lista" | cut -d' ' -f2- | cmp -s - <(printf '%s tamblevore_met0%s_1\n' \
        "$(ssh-keygen -lf "$tmp/chave-antigo.pub" | cut -d' ' -f2)" 6 "$(ssh-keygen -lf "$tmp/chave-outro.pub" | cut -d' ' -f2)" 7) &&
        grep -q ' refused (command not allowed): /usr/bin/docker ps$' "$tmp/lista" || falha "$nome: the launch list: $(cat "$tmp/lista")"
    tail -2 "$tmp/lista" | sed 's/^/   launch list: /'
    longo_visto

    # The engine restarted with one container stopped on purpose; Podman has
    # no engine, and a stop that lasts through a boot is the policy "no".
    if [ -n "$remota" ]; then
        na_maquina docker stop tamblevore_met06_1 >/dev/null
        na_maquina systemctl restart docker.service
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

    # Rebooted: the units bring back the engine, which brings back the eight.
    local reinicio=$(agora)
    t=$(arrancar de novo) || exit 1
    remotos+=("rebooted in $t s")
    ate 60 respondem "${oito[@]}" >/dev/null || falha "$nome: the eight did not come back after the reboot"
    remotos+=("eight back $(desde "$reinicio") s after systemctl reboot")
    parado
    sed -i "s/^    HostName .*/    HostName $(endereco)/" "$tmp/ssh_config" # a new boot may mean a new address
    [ -z "$remota" ] || lancamentos "$remoto_lancar" "${oito[@]}"
    lancamentos "$operar_em_pipe" "${oito[@]}"
    [ -z "$remota" ] || remoto "down over ssh" "$remoto_parar"

    # A context, made twice, and connection sharing as the README shows it.
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
    for conta in administrador testaropcao; do estacao "ssh -O exit $conta@servidor" 2>/dev/null || true; done

    # An operator removed is their line gone; purge leaves nothing behind.
    na_maquina sed -i "/ operador $nome\$/d" /etc/testaropcao/operadores
    ! estacao "$operar_em_pipe" </dev/null >"$tmp/saida" 2>&1 && grep -q "Permission denied (publickey)" "$tmp/saida" ||
        falha "$nome: a removed operator: $(cat "$tmp/saida")"

    # A later version, as a stable update makes, with changed drop-ins: it
    # asks nothing and keeps every key. The nine up again from the server.
    na_maquina cmake --build --preset padrao --target subir >/dev/null
    local u=+deb${versoes[$nome]}u1
    passo "operators updated to $u" "mkdir -p /root/seguinte && tar -C /root/testarOpcao --exclude=./build -c . | tar -C /root/seguinte -x &&
        cd /root/seguinte && sed -i '1s/(\(.*\))/(\1$u)/' debian/changelog &&
        echo '# $u' | tee -a operadores/testaropcao.conf.in >>operadores/sudoers.in &&
        DEB_BUILD_OPTIONS=nocheck dpkg-buildpackage -us -uc -b >/dev/null && cd .. && cp /etc/testaropcao/operadores /tmp/lista &&
        apt-get install -y ./testaropcao_*${u}_\$(dpkg --print-architecture).deb ./testaropcao-operadores_*${u}_all.deb &&
        cmp /tmp/lista /etc/testaropcao/operadores" </dev/null
    estacao "ssh -T testaropcao@antigo" <<<4 | grep -q tamblevore_met04_1 || falha "$nome: no launch after the update"
    # Removed, then purged, with an operator at the prompt: the session ends,
    # nothing launches, purge leaves nothing; installed again, keys work.
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
    # The server down: the bare line's stderr, the dialogue, exit 0. How ssh
    # fails to reach a gone address can change between tries, so the bare
    # line runs just before and after, and the launcher matches one.
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
