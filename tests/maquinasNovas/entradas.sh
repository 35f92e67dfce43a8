# shellcheck shell=bash
# shellcheck disable=SC2154 # the machine and the run (nome, tmp, motor...) are principal.sh's
# Every other way in through the operators' account must be refused
# (entradas.txt), and sudo lists the nine lines and nothing else.

entradas() {
    local quais sinal tentativa
    docker cp "$aqui/site.sh" "testaropcao-$nome:/usr/local/sbin/site"
    # What the attempts see.
    export CONTA=testaropcao@servidor NA_MAQUINA="docker exec -i testaropcao-$nome" \
        SSH_F="-F $tmp/ssh_config" COPIA=$tmp/copia SOQUETE=$tmp/motor.sock CHAVES=$tmp
    export COMO_CONTA="$NA_MAQUINA runuser -u testaropcao --"
    while IFS='|' read -r quais sinal tentativa; do
        [ "$quais" = "*" ] || [ "$quais" = "$motor" ] || continue
        estacao "$tentativa" </dev/null >"$tmp/tentativa" 2>&1 || true
        if ! grep -qF -- "$sinal" "$tmp/tentativa" ||
            grep -qE 'ENTROU|^SSH-2\.0|root:x' "$tmp/tentativa"; then
            falha "$nome: a way in did not fail: $tentativa: $(cat "$tmp/tentativa")"
        fi
        echo "   refused: $tentativa -> $(grep -F -m1 -- "$sinal" "$tmp/tentativa")"
        # A failed login costs its address 5 s on OpenSSH 10, cut off past 15.
        case $sinal in
        "Permission denied (publickey)" | "definições mais fracas") sleep 6 ;;
        esac
    done < <(sed -e :a -e '/\\$/{N; s/\\\n *//; ta}' "$aqui/entradas.txt" | grep -v '^#')
}

sudo_lista() {
    local nove
    nove=$(printf '/usr/bin/dockerexectamblevore_met0%s_1./app,' {1..9})
    [ "$(na_maquina runuser -u testaropcao -- sudo -n -l | sed '1,/may run/d' | tr -d ' \n')" = \
        "(root)${nove%,}" ] ||
        falha "$nome: sudo -l: $(na_maquina runuser -u testaropcao -- sudo -n -l)"
}
