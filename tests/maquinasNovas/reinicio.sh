# shellcheck shell=bash
# shellcheck disable=SC2154 # the machine and the run (nome, tmp, motor...) are principal.sh's
# The server's engine restarted and the server rebooted, with
# tamblevore_met06_1 stopped on purpose: after each the eight answer, the
# stopped one stays stopped, and the administrator and the operators launch.

respondem() {
    local n
    for n in "$@"; do
        [ "$(na_maquina docker exec "tamblevore_met0${n}_1" ./app)" = "$(app "$n")" ] || return 1
    done
}

parado() {
    [ "$(na_maquina docker inspect -f '{{.State.Status}}' tamblevore_met06_1)" = exited ] ||
        falha "$nome: the container stopped on purpose came back"
}

# Podman has no engine to restart; a stop that lasts through a boot is the README's.
motor_reiniciado() {
    local t
    if [ -z "$remota" ]; then
        echo "   skipped, the engine's restart: Podman has none;" \
            "each container has a conmon of its own"
        na_maquina sh -c "$(readme podman-parado)" >/dev/null
    else
        na_maquina docker stop tamblevore_met06_1 >/dev/null
        na_maquina systemctl restart docker.service
        t=$(ate 60 respondem "${oito[@]}") ||
            falha "$nome: the eight did not come back after the engine restarted"
        relatar "eight back after engine restart $t s"
        parado
        lancamentos "$(readme remoto-executar)" "${oito[@]}" >/dev/null
    fi
    lancamentos "$operar_em_pipe" "${oito[@]}" >/dev/null
}

reiniciado() {
    local inicio t
    inicio=$(agora)
    t=$(reiniciar)
    relatar "rebooted in $t s"
    ate 60 respondem "${oito[@]}" >/dev/null ||
        falha "$nome: the eight did not come back after the reboot"
    relatar "eight back $(desde "$inicio") s after systemctl reboot"
    parado
    # A new boot may mean a new address.
    sed -i "s/^    HostName .*/    HostName $(endereco)/" "$tmp/ssh_config"
    [ -z "$remota" ] || lancamentos "$(readme remoto-executar)" "${oito[@]}" >/dev/null
    lancamentos "$operar_em_pipe" "${oito[@]}" >/dev/null
    [ -z "$remota" ] || remoto "down over ssh" "$(readme remoto-parar)"
}
