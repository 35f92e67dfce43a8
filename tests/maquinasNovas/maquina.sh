# shellcheck shell=bash
# shellcheck disable=SC2154 # the machine and the run (nome, tmp, motor...) are principal.sh's
# The machine: its root, booted with systemd, what it has of its own, a
# reboot, and its report.

# The archive this machine's apt uses.
espelho() {
    apt-get indextargets --format '$(REPO_URI)' 'Created-By: Packages' 2>/dev/null |
        grep -m1 '/debian/$' || echo http://deb.debian.org/debian/
}

# A root that boots systemd, with no machine id: each machine makes its own.
raiz() {
    local pasta
    [ -s "$cache/$suite-systemd.tar" ] && return
    echo "== $nome: debootstrap $suite from $(espelho)"
    pasta=$(mktemp -d)
    debootstrap --variant=minbase --include=systemd-sysv,dbus "$suite" "$pasta" "$(espelho)" \
        >"$cache/$suite.log" 2>&1 || falha "debootstrap $suite, see $cache/$suite.log"
    : >"$pasta/etc/machine-id"
    rm -f "$pasta/var/lib/dbus/machine-id"
    tar -C "$pasta" -cf "$cache/$suite.tar.novo" .
    mv "$cache/$suite.tar.novo" "$cache/$suite-systemd.tar"
    rm -rf "$pasta"
}

# The cgroup hierarchies of this machine, bound in one by one into a tmpfs,
# and tmpfs where the machine's systemd would mount others here.
cgroups_da_maquina() {
    local h
    echo --tmpfs /sys/fs/cgroup
    for h in /sys/fs/cgroup/*/; do
        echo -v "${h%/}:${h%/}"
    done
    for h in cpu,cpuacct net_cls,net_prio perf_event hugetlb; do
        [ -e "/sys/fs/cgroup/$h" ] || echo --tmpfs "/sys/fs/cgroup/$h"
    done
}

# Every capability this engine grants but SYS_MODULE; the cgroups above;
# volumes where it writes much (this storage may be FUSE). Then the source.
# Prints the boot's seconds.
criar() {
    { flock 9 && raiz; } 9>"$cache/$suite.lock" # a root two machines share is made once
    docker import "$cache/$suite-systemd.tar" "testaropcao/maquina:$nome" >/dev/null
    mkdir -p "$cache/apt-$nome"
    # shellcheck disable=SC2046 # one option or path a word: none holds a space
    docker create --name "testaropcao-$nome" --hostname "$nome" --network "$rede" \
        --network-alias "$nome" --cap-add ALL --cap-drop SYS_RESOURCE --cap-drop SYS_MODULE \
        --stop-signal SIGRTMIN+3 --security-opt seccomp=unconfined \
        --security-opt apparmor=unconfined $(cgroups_da_maquina) \
        -v "$cache/apt-$nome:/var/cache/apt/archives" \
        -v /root -v /tmp -v /var/lib/docker -v /var/lib/containers \
        -e DEBIAN_FRONTEND=noninteractive -e TESTAROPCAO_E2E_OBRIGATORIO -e TESTAROPCAO_E2E_TOMAR \
        -w /root/testarOpcao "testaropcao/maquina:$nome" /sbin/init >>"$comum/ids"
    ligar
    (cd "$fonte" && git ls-files -z --cached --others --exclude-standard |
        tar --null --ignore-failed-read -T - -c) |
        docker exec -i "testaropcao-$nome" tar -x -C /root/testarOpcao
}

# Boots to a running system; prints the boot's seconds.
ligar() {
    local inicio estado
    inicio=$(agora)
    docker start "testaropcao-$nome" >/dev/null
    ate 60 na_maquina systemctl is-system-running --wait >/dev/null || true
    if ! estado=$(na_maquina systemctl is-system-running); then
        sem_falhas boot
        falha "$nome: the machine is $estado"
    fi
    desde "$inicio"
}

# systemctl reboot, which ends the machine with 129, unlike a power-off or
# a crash; then it boots again. Prints the boot's seconds.
reiniciar() {
    na_maquina systemctl reboot || true
    [ "$(docker wait "testaropcao-$nome")" = 129 ] ||
        falha "$nome: the reboot did not end the machine as one"
    ligar
}

# A clean shutdown, after which the machine leaves no cgroup here.
desligar() {
    docker stop -t 60 "testaropcao-$nome" >/dev/null
    docker rm -v "testaropcao-$nome" >/dev/null
}

# What the machine has before Run: the engine's settings for a machine in a
# container (no network to give, cgroups found by name), sshd (as CI adds it
# here, and the server needs it), what the machine adds, and on Podman's,
# the engine from Run's table, as Run leaves an engine that answers alone.
preparar() {
    local pacotes=''
    sed "s/@nome@/$nome/" "$aqui/daemon.json" | docker exec -i "testaropcao-$nome" sh -c \
        'mkdir -p /etc/docker /etc/containers && cat >/etc/docker/daemon.json'
    docker cp "$aqui/containers.conf" "testaropcao-$nome:/etc/containers/containers.conf"
    if [ "$motor" = podman ]; then
        pacotes=$(grep -m1 -F "| Debian $versao ($suite), Podman | " "$fonte/README.md" |
            cut -d'`' -f2)
        [ -n "$pacotes" ] || falha "README.md names no Podman packages for Debian $versao"
    fi
    passo "the machine's own packages" "apt-get update &&
        apt-get install -y openssh-server ${proprios[$nome]:-} $pacotes ${soquete[$nome]:+&&
            systemctl disable --now ssh.service && systemctl enable --now ssh.socket}" </dev/null
    [ "$motor" = docker ] || passo "restart at boot" "$(readme podman-reinicio)" </dev/null
}

# The tools each release gave.
relatorio() {
    na_maquina sh -c 'cmake --version | head -1; g++ --version | head -1
        clang++ --version | head -1; clang-tidy --version | grep version; cppcheck --version
        lintian --version; python3 --version; docker --version
        podman-compose --version 2>/dev/null || docker compose version 2>/dev/null ||
            docker-compose version | head -1
        shellcheck --version | sed -n 2p; shfmt --version; clang-format --version
        dpkg-query -W debhelper openssh-server' | sed "s/^/   $nome: /"
}
