# shellcheck shell=bash
# shellcheck disable=SC2154 # the machine and the run (nome, tmp, motor...) are principal.sh's
# The operator on a real terminal, and a Ctrl-C typed during a launch.

# Option $1 on a terminal must show $2 (by default its container's line);
# what it showed is left in $tmp/saida$1.
terminal() {
    estacao "PYTHONPATH=tests python3 $aqui/terminal.py '$(readme operador)' $1" >"$tmp/saida$1"
    printf 'Escolha uma opção (1-9): |%s\r\nVocê escolheu a opção %s!\r\n%s\r\n' \
        "$1" "$1" "${2:-$(app "$1")}" >"$tmp/esperado$1"
    printf 'Connection to %s closed.\r\r\n|0' "$(endereco)" >>"$tmp/esperado$1"
    cmp -s "$tmp/esperado$1" "$tmp/saida$1" ||
        falha "$nome: the operator's terminal showed: $(cat -A "$tmp/saida$1")"
}

# Option 5 with the server's engine frozen, so that the launch waits, and
# a Ctrl-C then: ssh exits 0, as the launcher does on a local terminal.
interrompido() {
    if [ "$motor" != docker ]; then
        echo "   skipped, Ctrl-C during a launch: Podman has no engine daemon to hold a launch on"
        return
    fi
    local operador
    operador=$(readme operador)
    na_maquina sh -c 'kill -STOP $(cat /var/run/docker.pid)'
    estacao "PYTHONPATH=tests python3 $aqui/terminal.py '$operador' 5 interromper" >"$tmp/saida"
    na_maquina sh -c 'kill -CONT $(cat /var/run/docker.pid)'
    {
        printf 'Escolha uma opção (1-9): |5\r\nVocê escolheu a opção 5!\r\n'
        printf '|^CConnection to %s closed.\r\r\n|0' "$(endereco)"
    } | cmp -s - "$tmp/saida" ||
        falha "$nome: Ctrl-C during a launch showed: $(cat -A "$tmp/saida")"
}
