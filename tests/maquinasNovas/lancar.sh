# shellcheck shell=bash
# shellcheck disable=SC2154 # the machine and the run (nome, tmp, motor...) are principal.sh's
# Launches from the workstation, compared byte for byte with what they
# should show and with the execs they started on the server.

# The containers that started an exec on the server since $1; Podman's
# --until may stop reading its log early, and what it has logged came before.
execs_desde() {
    if [ "$motor" = docker ]; then
        na_maquina docker events --since "$1" --until "$(date +%s.%N)" \
            --filter event=exec_start --format '{{.Actor.Attributes.name}}'
    else
        na_maquina docker events --since "$1" --stream=false --filter event=exec \
            --format '{{.Name}}' 2>/dev/null
    fi
}

# Command $1 with option $2 must show $tmp/esperado on stdout and nothing on stderr.
lancar() {
    estacao "$1" <<<"$2" >"$tmp/saida" 2>"$tmp/erro" || falha "$nome: option $2: status $?"
    if ! cmp -s "$tmp/saida" "$tmp/esperado" || [ -s "$tmp/erro" ]; then
        falha "$nome: option $2: $(cat "$tmp/saida" "$tmp/erro")"
    fi
}

# Through command $1, 0, 10 and the given options; each option started one
# exec on the server, the invalid ones none. Prints a launch's seconds.
lancamentos() {
    local lancador=$1 n inicio execs esperado='' ms
    shift
    inicio=$(date +%s.%N)
    for n in 0 10; do
        {
            dialogo $n
            echo 'Opção inválida.'
        } >"$tmp/esperado"
        lancar "$lancador" $n
    done
    sleep 0.5
    execs=$(execs_desde "$inicio")
    [ -z "$execs" ] || falha "$nome: an invalid option started $execs"
    inicio=$(date +%s.%N)
    ms=$(agora)
    for n in "$@"; do
        lancado "$n" >"$tmp/esperado"
        lancar "$lancador" "$n"
        esperado+="tamblevore_met0${n}_1 "
    done
    segundos $((($(agora) - ms) / $#))
    sleep 0.5
    execs=$(execs_desde "$inicio" | sort | tr '\n' ' ')
    [ "$execs" = "$esperado" ] || falha "$nome: execs on the server were $execs, not $esperado"
}
