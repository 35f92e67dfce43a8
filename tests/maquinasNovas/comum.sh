# What several phases use; the globals are principal.sh's.

falha() { echo "FAILED: $*" >&$erros; exit 1; }

readme() { "$testes/blocos.sh" "$1"; }

# Milliseconds now; milliseconds as seconds; seconds since such an instant.
agora() { date +%s%3N; }
segundos() { printf '%d.%02d' $(($1 / 1000)) $(($1 % 1000 / 10)); }
desde() { segundos $(($(agora) - $1)); }

# Waits until a command succeeds, at most $1 seconds; prints how long it took.
ate() {
    local limite=$1 inicio=$(agora); shift
    until "$@" >/dev/null 2>&1; do
        [ $(($(agora) - inicio)) -lt $((limite * 1000)) ] || return 1
        sleep 0.1
    done
    desde "$inicio"
}

na_maquina() { docker exec "testaropcao-$nome" "$@"; }

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

# This machine as the workstation, with its own HOME and ssh config for
# the run: neither ~/.ssh nor ~/.docker is read or written.
estacao() {
    (cd "$fonte" && env -u SSH_AUTH_SOCK -u DOCKER_HOST -u DOCKER_CONTEXT \
        HOME="$tmp/casa" PATH="$tmp/bin:$PATH" bash -c "$1")
}

endereco() { docker inspect -f "{{(index .NetworkSettings.Networks \"$rede\").IPAddress}}" "testaropcao-$nome"; }

# Option $1's ./app line, the dialogue as pipes show it, and both: a launch.
app() { printf 'Olá! Este ./app roda no contêiner tamblevore_met0%s_1.\n' "$1"; }
dialogo() { printf 'Escolha uma opção (1-9): Você escolheu a opção %s!\n' "$1"; }
lancado() { app "$1"; dialogo "$1"; }
subir_no_servidor() { na_maquina cmake --build --preset padrao --target subir >/dev/null; }

# The containers that started an exec on the server since $1; Podman's
# --until may stop reading its log early, and what it has logged came before.
execs_desde() {
    if [ "$motor" = docker ]; then
        na_maquina docker events --since "$1" --until "$(date +%s.%N)" \
            --filter event=exec_start --format '{{.Actor.Attributes.name}}'
    else
        na_maquina docker events --since "$1" --stream=false --filter event=exec --format '{{.Name}}' 2>/dev/null
    fi
}

lancar() {
    estacao "$1" <<<"$2" >"$tmp/saida" 2>"$tmp/erro" || falha "$nome: option $2: status $?"
    cmp -s "$tmp/saida" "$tmp/esperado" && [ ! -s "$tmp/erro" ] || falha "$nome: option $2: $(cat "$tmp/saida" "$tmp/erro")"
}

# Through command $1, 0, 10 and the given options; each option started one
# exec on the server, the invalid ones none. Sets por_lancamento.
lancamentos() {
    local lancador=$1 n inicio execs esperado= ms; shift
    inicio=$(date +%s.%N)
    for n in 0 10; do
        { dialogo $n; echo 'Opção inválida.'; } >"$tmp/esperado"
        lancar "$lancador" $n
    done
    sleep 0.5
    execs=$(execs_desde "$inicio")
    [ -z "$execs" ] || falha "$nome: an invalid option started $execs"
    inicio=$(date +%s.%N) ms=$(agora)
    for n in "$@"; do
        lancado $n >"$tmp/esperado"
        lancar "$lancador" $n
        esperado+="tamblevore_met0${n}_1 "
    done
    por_lancamento=$(segundos $((($(agora) - ms) / $#)))
    sleep 0.5
    execs=$(execs_desde "$inicio" | sort | tr '\n' ' ')
    [ "$execs" = "$esperado" ] || falha "$nome: execs on the server were $execs, not $esperado"
}
