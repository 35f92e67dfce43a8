# shellcheck shell=bash
# shellcheck disable=SC2154 # the machine and the run (nome, tmp, motor...) are principal.sh's
# A launch longer than the limit at the prompt, seen whole on a terminal and
# on pipes. Started in the background; folder $1 holds what longo_visto,
# given the same, reads: the two workstations' pids and what pipes showed.

longo() {
    local pasta=$1 segundos
    segundos=$(($(espera) + 5))
    mkdir -p "$pasta"
    echo "$segundos" >"$pasta/segundos"
    app_de_teste 1 longo.cpp "-DSEGUNDOS=$segundos -DBYTES=0"
    terminal 1 $'um\r\ndois' &
    echo $! >"$pasta/pids"
    {
        estacao "$operar_em_pipe" <<<1 >"$pasta/pipes" 2>&1
        echo "|$?" >>"$pasta/pipes"
    } &
    echo $! >>"$pasta/pids"
}

longo_visto() {
    local pasta=$1 pid
    while read -r pid; do
        wait "$pid" || falha "$nome: a long launch on a terminal"
    done <"$pasta/pids"
    {
        printf 'um\ndois\n'
        dialogo 1
        echo '|0'
    } | cmp -s - "$pasta/pipes" || falha "$nome: a long launch on pipes: $(cat "$pasta/pipes")"
    app_do_servidor 1
    relatar "a $(cat "$pasta/segundos") s ./app seen whole on a terminal and on pipes," \
        "ssh's status 0"
}
