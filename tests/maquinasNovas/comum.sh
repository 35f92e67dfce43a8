# shellcheck shell=bash
# shellcheck disable=SC2154 # the machine and the run (nome, tmp, rede...) are principal.sh's
# What several concerns use: the README's commands by name, steps and
# waits, the report, the workstation and the launcher's bytes.

falha() {
    echo "FAILED: $*" >&"$erros"
    exit 1
}

readme() { "$testes/blocos.sh" "$1"; }

# Milliseconds now; milliseconds as seconds; seconds since such an instant.
agora() { date +%s%3N; }
segundos() { printf '%d.%02d' $(($1 / 1000)) $(($1 % 1000 / 10)); }
desde() { segundos $(($(agora) - $1)); }

# Waits until a command succeeds, at most $1 seconds; prints how long it took.
ate() {
    local limite=$1 inicio
    inicio=$(agora)
    shift
    until "$@" >/dev/null 2>&1; do
        [ $(($(agora) - inicio)) -lt $((limite * 1000)) ] || return 1
        sleep 0.1
    done
    desde "$inicio"
}

na_maquina() { docker exec "testaropcao-$nome" "$@"; }

# A line of the machine's report, printed at its end.
relatar() { echo "$*" >>"$tmp/relatorio"; }

# One step in the machine, timed, after which no unit may have failed.
passo() {
    local inicio=$SECONDS
    echo "== $nome: $1"
    docker exec -i "testaropcao-$nome" bash -c "$2" || falha "$nome: $1"
    echo "$1 $((SECONDS - inicio)) s" >>"$tmp/tempos"
    sem_falhas "$1"
}

sem_falhas() {
    local u falhadas
    falhadas=$(na_maquina systemctl list-units --failed --plain --no-legend | cut -d' ' -f1)
    [ -n "$falhadas" ] || return 0
    {
        na_maquina systemctl --failed --no-pager
        for u in $falhadas; do
            na_maquina journalctl -u "$u" -n 15 --no-pager
        done
    } >&2
    falha "$nome: failed units after $1: $falhadas"
}

# This machine as the workstation, with its own HOME and ssh config for
# the run: neither ~/.ssh nor ~/.docker is read or written.
estacao() {
    (cd "$fonte" && env -u SSH_AUTH_SOCK -u DOCKER_HOST -u DOCKER_CONTEXT \
        HOME="$tmp/casa" PATH="$tmp/bin:$PATH" bash -c "$1")
}

endereco() {
    docker inspect -f "{{(index .NetworkSettings.Networks \"$rede\").IPAddress}}" \
        "testaropcao-$nome"
}

# Option $1's ./app line, the dialogue as pipes show it, and both: a launch.
app() { printf 'Olá! Este ./app roda no contêiner tamblevore_met0%s_1.\n' "$1"; }
dialogo() { printf 'Escolha uma opção (1-9): Você escolheu a opção %s!\n' "$1"; }
lancado() {
    app "$1"
    dialogo "$1"
}
# The launch list's last line.
ultima() { na_maquina sh -c "$(readme operadores-lancamentos)" | tail -1; }
subir_no_servidor() { na_maquina cmake --build --preset padrao --target subir >/dev/null; }

# tamblevore_met0$1_1 running a ./app built from $2 here with g++ flags $3,
# until app_do_servidor puts the server's own back; Compose brings it up
# only while no other is such a stand-in.
app_de_teste() {
    docker cp "$aqui/$2" "testaropcao-$nome:/tmp/$2"
    na_maquina sh -c "cd /tmp && g++ -static $3 -o app $2 &&
        cp /root/testarOpcao/build/padrao/conteineres/espera . &&
        tar -c app espera | docker import - tamblevore/app:${2%.cpp} &&
        docker rm -f tamblevore_met0$1_1 &&
        docker run -d --name tamblevore_met0$1_1 --user 65534 --network none \
            tamblevore/app:${2%.cpp} /espera" >/dev/null
}
app_do_servidor() {
    na_maquina sh -c "docker rm -f tamblevore_met0$1_1 &&
        cmake --build --preset padrao --target subir" >/dev/null 2>&1
}
