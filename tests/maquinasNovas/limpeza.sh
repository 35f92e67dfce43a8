# shellcheck shell=bash
# shellcheck disable=SC2154 # the run (feitos, comum, rede, erros...) is principal.sh's
# What the run made, removed pass or fail; this machine's cgroups must be
# as before it.

cgroups() {
    ls /sys/fs/cgroup
    grep -w cgroup /proc/self/mountinfo
}

# Shut down, a machine leaves no cgroup; its engine's are removed here.
limpar() {
    local deles=(-path "*/testaropcao-*" -o -path "*/libpod_parent*") id restos conta
    # shellcheck disable=SC2046 # one pid a word
    kill $(jobs -p) 2>/dev/null || true
    for nome in "${feitos[@]}" registros; do
        nome=${nome%%:*}
        for conta in administrador testaropcao; do
            [ ! -e "$comum/$nome/ssh_config" ] ||
                ssh -F "$comum/$nome/ssh_config" -O exit $conta@servidor >/dev/null 2>&1 || true
        done
        docker stop -t 60 "testaropcao-$nome" >/dev/null 2>&1 || true
        docker rm -f -v "testaropcao-$nome" >/dev/null 2>&1 || true
        docker image rm "testaropcao/maquina:$nome" >/dev/null 2>&1 || true
    done
    for id in $(cat "$comum/ids" 2>/dev/null || true); do
        deles+=(-o -path "*/docker/$id*")
    done
    find /sys/fs/cgroup -depth -type d \( "${deles[@]}" \) -exec rmdir {} + 2>/dev/null || true
    restos=$(find /sys/fs/cgroup -type d \( "${deles[@]}" \))
    docker network rm "$rede" >/dev/null 2>&1 || true
    rm -rf "$comum"
    [ "$(cgroups)" = "$cgroups_antes" ] && [ -z "$restos" ] && return
    echo "FAILED: this machine's cgroups changed:" \
        "$(diff <(echo "$cgroups_antes") <(cgroups)) $restos" >&"$erros"
    exit 1
}
