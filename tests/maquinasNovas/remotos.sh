# shellcheck shell=bash
# shellcheck disable=SC2154 # the machine and the run (nome, tmp, motor...) are principal.sh's
# The administrator's remote engine, driven from this machine: the Remote
# engines commands through DOCKER_HOST, through a context made twice, and
# with the README's connection sharing; and the server down.

# A README command without DOCKER_HOST, for a context.
sem_variavel() { readme "$1" | sed 's/^DOCKER_HOST=[^ ]* //'; }

# Remote command $2 from here, timed as $1; the nine never come to this
# machine's own engine.
remoto() {
    local inicio
    inicio=$(agora)
    estacao "$2" >"$tmp/registro" 2>&1 || falha "$nome: $1: $(cat "$tmp/registro")"
    relatar "$1 $(desde "$inicio") s"
    [ "$(docker ps -a --filter name=tamblevore_ --format '{{.Names}}' | sort)" = "$locais" ] ||
        falha "$nome: $1 changed this machine's own containers"
}

remoto_subir() {
    local t
    if [ -z "$remota" ]; then
        echo "   skipped, the administrator's Remote engines: not for a Podman server;" \
            "up on the server"
        subir_no_servidor
        return
    fi
    remoto "up over ssh" "$(readme remoto-subir)"
    t=$(lancamentos "$(readme remoto-executar)" 1 2 3 4 5 6 7 8 9)
    relatar "a launch $t s"
}

# Connection sharing's sockets here rather than in ~/.ssh.
compartilhado() {
    local conta t
    readme compartilhar | sed "s|~/.ssh/|$tmp/|" >>"$tmp/ssh_config"
    if [ -n "$remota" ]; then
        remoto "context" "$(readme contexto)"
        remoto "context again" "$(readme contexto)"
        remoto "up over ssh, shared" "$(sem_variavel remoto-subir)"
        t=$(lancamentos "$(sem_variavel remoto-executar)" 1 2 3 4 5 6 7 8 9)
        relatar "a launch, shared $t s"
    else
        subir_no_servidor
    fi
    t=$(lancamentos "$operar_em_pipe" 1 2 3 4 5 6 7 8 9)
    relatar "an operator's launch, shared $t s"
    [ -z "$remota" ] || remoto "down over ssh, shared" "$(sem_variavel remoto-parar)"
    for conta in administrador testaropcao; do
        estacao "ssh -O exit $conta@servidor" 2>/dev/null || true
    done
}

# How ssh fails to reach a gone address can change between tries, so the
# bare line runs just before and after, and the launcher matches one.
servidor_fora() {
    local inicio nua
    [ -n "$remota" ] || return 0
    nua="$(readme remoto-executar | cut -d' ' -f1) sh -c 'docker exec tamblevore_met05_1 ./app'"
    docker stop -t 30 "testaropcao-$nome" >/dev/null
    ! estacao "$nua" >/dev/null 2>"$tmp/linha" ||
        falha "$nome: the bare line worked with the server down"
    inicio=$(agora)
    estacao "$(readme remoto-executar)" <<<5 >"$tmp/saida" 2>"$tmp/erro" ||
        falha "$nome: exit status not 0"
    relatar "fails with the server down $(desde "$inicio") s"
    ! estacao "$nua" >/dev/null 2>"$tmp/linha2" ||
        falha "$nome: the bare line worked with the server down"
    dialogo 5 | cmp -s - "$tmp/saida" || falha "$nome: server down, stdout: $(cat "$tmp/saida")"
    cmp -s "$tmp/linha" "$tmp/erro" || cmp -s "$tmp/linha2" "$tmp/erro" ||
        falha "$nome: server down, stderr: $(cat "$tmp/erro"); the bare line's before and after:" \
            "$(cat "$tmp/linha" "$tmp/linha2")"
    echo "   server down: $(cat "$tmp/erro")"
}
