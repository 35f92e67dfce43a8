# The administrator's remote engine, driven from this machine.

administrador() {
    rm -rf "$tmp/casa" "$tmp/bin" "$tmp"/chave*
    mkdir -p "$tmp/casa" "$tmp/bin"
    ssh-keygen -q -t ed25519 -N "" -C "testarOpcao $nome" -f "$tmp/chave-administrador"
    na_maquina sh -c "useradd -m ${remota:+-G docker} administrador && mkdir -m 700 ~administrador/.ssh &&
        echo '$(cat "$tmp/chave-administrador.pub")' >~administrador/.ssh/authorized_keys && chown -R administrador: ~administrador/.ssh"
    echo "servidor $(na_maquina cat /etc/ssh/ssh_host_ed25519_key.pub)" >"$tmp/known_hosts"
    printf '#!/bin/sh\nexec /usr/bin/ssh -F %s "$@"\n' "$tmp/ssh_config" >"$tmp/bin/ssh"
    chmod 755 "$tmp/bin/ssh"
    sed "s|@tmp@|$tmp|g; s|@endereco@|$(endereco)|" "$aqui/ssh_config.in" >"$tmp/ssh_config"
}

# One remote command from here, timed; the nine never come to this
# machine's own engine. sem_variavel: a README command without DOCKER_HOST.
sem_variavel() { readme "$1" | sed 's/^DOCKER_HOST=[^ ]* //'; }
remoto() {
    local inicio=$(agora)
    estacao "$2" >"$tmp/registro" 2>&1 || falha "$nome: $1: $(cat "$tmp/registro")"
    remotos+=("$1 $(desde "$inicio") s")
    [ "$(docker ps -a --filter name=tamblevore_ --format '{{.Names}}' | sort)" = "$locais" ] ||
        falha "$nome: $1 changed this machine's own containers"
}

respondem() {
    local n
    for n in "$@"; do [ "$(na_maquina docker exec "tamblevore_met0${n}_1" ./app)" = "$(app $n)" ] || return 1; done
}

parado() { [ "$(na_maquina docker inspect -f '{{.State.Status}}' tamblevore_met06_1)" = exited ] || falha "$nome: the container stopped on purpose came back"; }

remoto_subir() {
    [ -n "$remota" ] || { echo "   skipped, the administrator's Remote engines: not for a Podman server; up on the server"
        subir_no_servidor; return; }
    remoto "up over ssh" "$(readme remoto-subir)"
    lancamentos "$(readme remoto-executar)" 1 2 3 4 5 6 7 8 9
    remotos+=("a launch $por_lancamento s")
}

# Podman has no engine to restart; a stop that lasts through a boot is the README's.
motor_reiniciado() {
    local t
    [ -n "$remota" ] || { echo "   skipped, the engine's restart: Podman has none; each container has a conmon of its own"
        na_maquina sh -c "$(readme podman-parado)" >/dev/null; return; }
    na_maquina docker stop tamblevore_met06_1 >/dev/null
    na_maquina systemctl restart docker.service
    t=$(ate 60 respondem "${oito[@]}") || falha "$nome: the eight did not come back after the engine restarted"
    remotos+=("eight back after engine restart $t s")
    parado
    lancamentos "$(readme remoto-executar)" "${oito[@]}"
}

reiniciado() {
    local inicio=$(agora) t
    t=$(ligar de novo) || exit 1
    remotos+=("rebooted in $t s")
    ate 60 respondem "${oito[@]}" >/dev/null || falha "$nome: the eight did not come back after the reboot"
    remotos+=("eight back $(desde "$inicio") s after systemctl reboot")
    parado
    sed -i "s/^    HostName .*/    HostName $(endereco)/" "$tmp/ssh_config" # a new boot may mean a new address
    [ -z "$remota" ] || lancamentos "$(readme remoto-executar)" "${oito[@]}"
    lancamentos "$operar_em_pipe" "${oito[@]}"
    [ -z "$remota" ] || remoto "down over ssh" "$(readme remoto-parar)"
}

# Connection sharing's sockets here rather than in ~/.ssh.
compartilhado() {
    local conta
    readme compartilhar | sed "s|~/.ssh/|$tmp/|" >>"$tmp/ssh_config"
    if [ -n "$remota" ]; then
        remoto "context" "$(readme contexto)"
        remoto "context again" "$(readme contexto)"
        remoto "up over ssh, shared" "$(sem_variavel remoto-subir)"
        lancamentos "$(sem_variavel remoto-executar)" 1 2 3 4 5 6 7 8 9
        remotos+=("a launch, shared $por_lancamento s")
    else
        subir_no_servidor
    fi
    lancamentos "$operar_em_pipe" 1 2 3 4 5 6 7 8 9
    remotos+=("an operator's launch, shared $por_lancamento s")
    [ -z "$remota" ] || remoto "down over ssh, shared" "$(sem_variavel remoto-parar)"
    for conta in administrador testaropcao; do estacao "ssh -O exit $conta@servidor" 2>/dev/null || true; done
}

# How ssh fails to reach a gone address can change between tries, so the
# bare line runs just before and after, and the launcher matches one.
servidor_fora() {
    local inicio nua="$(readme remoto-executar | cut -d' ' -f1) sh -c 'docker exec tamblevore_met05_1 ./app'"
    docker stop -t 30 "testaropcao-$nome" >/dev/null
    estacao "$nua" >/dev/null 2>"$tmp/linha" && falha "$nome: the bare line worked with the server down"
    inicio=$(agora)
    estacao "$(readme remoto-executar)" <<<5 >"$tmp/saida" 2>"$tmp/erro" || falha "$nome: exit status not 0"
    remotos+=("fails with the server down $(desde "$inicio") s")
    estacao "$nua" >/dev/null 2>"$tmp/linha2" && falha "$nome: the bare line worked with the server down"
    dialogo 5 | cmp -s - "$tmp/saida" || falha "$nome: server down, stdout: $(cat "$tmp/saida")"
    cmp -s "$tmp/linha" "$tmp/erro" || cmp -s "$tmp/linha2" "$tmp/erro" ||
        falha "$nome: server down, stderr: $(cat "$tmp/erro"); the bare line's before and after: $(cat "$tmp/linha" "$tmp/linha2")"
    echo "   server down: $(cat "$tmp/erro")"
}
