# The machine: its root, booted with systemd, its engine and a reboot.

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
    debootstrap --variant=minbase --include=systemd-sysv,dbus "$suite" "$pasta" "$(espelho)" >"$cache/$suite.log" 2>&1 ||
        falha "debootstrap $suite, see $cache/$suite.log"
    : >"$pasta/etc/machine-id"
    rm -f "$pasta/var/lib/dbus/machine-id"
    tar -C "$pasta" -cf "$cache/$suite.tar.novo" .
    mv "$cache/$suite.tar.novo" "$cache/$suite-systemd.tar"
    rm -rf "$pasta"
}

# Every capability this engine grants but SYS_MODULE; cgroups in a tmpfs with this
# machine's hierarchies bound in, tmpfs where its systemd would mount others here;
# volumes where it writes much (this storage may be FUSE). Then the source.
criar() {
    { flock 9 && raiz; } 9>"$cache/$suite.lock" # a root two machines share is made once
    docker import "$cache/$suite-systemd.tar" "testaropcao/maquina:$nome" >/dev/null
    mkdir -p "$cache/apt-$nome"
    docker create --name "testaropcao-$nome" --hostname "$nome" --network "$rede" --network-alias "$nome" \
        --cap-add ALL --cap-drop SYS_RESOURCE --cap-drop SYS_MODULE --stop-signal SIGRTMIN+3 \
        --security-opt seccomp=unconfined --security-opt apparmor=unconfined --tmpfs /sys/fs/cgroup \
        $(for h in /sys/fs/cgroup/*/; do echo "-v ${h%/}:${h%/}"; done) \
        $(for h in cpu,cpuacct net_cls,net_prio perf_event hugetlb; do
            [ -e /sys/fs/cgroup/$h ] || echo "--tmpfs /sys/fs/cgroup/$h"; done) \
        -v "$cache/apt-$nome:/var/cache/apt/archives" \
        -v /root -v /tmp -v /var/lib/docker -v /var/lib/containers \
        -e DEBIAN_FRONTEND=noninteractive -e TESTAROPCAO_E2E_OBRIGATORIO -e TESTAROPCAO_E2E_TOMAR \
        -w /root/testarOpcao "testaropcao/maquina:$nome" /sbin/init >>"$comum/ids"
    local t
    t=$(ligar) || exit 1
    tempos=("boot $t s")
    (cd "$fonte" && git ls-files -z --cached --others --exclude-standard |
        tar --null --ignore-failed-read -T - -c) |
        docker exec -i "testaropcao-$nome" tar -x -C /root/testarOpcao
}

# Boots, or with an argument reboots (which ends it with 129, unlike a
# power-off or a crash), to a running system; prints the boot's seconds.
ligar() {
    local inicio estado
    if [ $# != 0 ]; then
        na_maquina systemctl reboot || true
        [ "$(docker wait "testaropcao-$nome")" = 129 ] || falha "$nome: the reboot did not end the machine as one"
    fi
    inicio=$(agora) && docker start "testaropcao-$nome" >/dev/null
    ate 60 na_maquina systemctl is-system-running --wait >/dev/null || true
    estado=$(na_maquina systemctl is-system-running) || { sem_falhas boot; falha "$nome: the machine is $estado"; }
    desde "$inicio"
}

# A clean shutdown, after which the machine leaves no cgroup here.
desligar() { docker stop -t 60 "testaropcao-$nome" >/dev/null && docker rm -v "testaropcao-$nome" >/dev/null; }

# Run's engine packages for this release, configured for a machine in a
# container (no network to give, cgroups found by name), then a reboot.
instalar_motor() {
    local fila pacotes t
    fila="Debian $versao ($suite)$([ "$motor" = docker ] || echo ", Podman")"
    pacotes=$(grep -m1 -F "| $fila | " "$fonte/README.md" | cut -d'`' -f2)
    [ -n "$pacotes" ] || falha "README.md names no engine packages for $fila"
    sed "s/@nome@/$nome/" "$aqui/daemon.json" | docker exec -i "testaropcao-$nome" sh -c \
        'mkdir -p /etc/docker /etc/containers && cat >/etc/docker/daemon.json'
    docker cp "$aqui/containers.conf" "testaropcao-$nome:/etc/containers/containers.conf"
    # openssh-server, as CI adds it here and the server needs it.
    passo "engine packages" "apt-get update && apt-get install -y $pacotes openssh-server ${proprios[$nome]:-} ${soquete[$nome]:+&&
        systemctl disable --now ssh.service && systemctl enable --now ssh.socket}" </dev/null
    [ "$motor" = docker ] || passo "restart at boot" "$(readme podman-reinicio)" </dev/null
    t=$(ligar de novo) || exit 1
    tempos+=("reboot $t s")
    ate 30 na_maquina docker info >/dev/null || falha "$nome: no engine after boot"
}

# The timings, and the tools each release gave.
relatorio() {
    echo "== $nome (Debian $versao): ${tempos[*]}"
    na_maquina sh -c 'cmake --version | head -1; g++ --version | head -1; clang++ --version | head -1
        clang-tidy --version | grep version; cppcheck --version; lintian --version; python3 --version; docker --version
        podman-compose --version 2>/dev/null || docker compose version 2>/dev/null || docker-compose version | head -1
        dpkg-query -W debhelper openssh-server' | sed "s/^/   $nome: /"
}
