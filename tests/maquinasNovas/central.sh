# shellcheck shell=bash
# shellcheck disable=SC2154 # the machine and the run (nome, tmp, motor...) are principal.sh's
# On Debian 13, a second fresh machine as the site's log server: a launch
# replays there, one from another CA is refused, one powered off stops no
# launch and gets its records once back; with the relay off a launch is
# refused.

# A certificate $1 (CA/NAME, or a CA's name), of the name after the slash.
certificado() {
    openssl req -x509 -config /dev/null -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes \
        -days 2 -subj "/CN=${1#*/}" -keyout "$tmp/$1.key" -out "$tmp/$1.pem" "${@:2}" 2>/dev/null
}

# The site's CA, another CA, and certificates for both machines' names.
certificados() {
    local c
    mkdir -p "$tmp/ac" "$tmp/outra"
    for c in ac outra; do
        certificado $c -addext basicConstraints=critical,CA:true \
            -addext keyUsage=critical,keyCertSign
    done
    for c in ac/registros "ac/$nome" outra/registros; do
        certificado "$c" -CA "$tmp/${c%/*}.pem" -CAkey "$tmp/${c%/*}.key" \
            -addext "subjectAltName=DNS:${c#*/}"
    done
}

# Machine $1 gets certificate $2 (CA/NAME) and its CA's, as the README names them.
tls() {
    local c
    for c in ac.pem:${2%/*}.pem certificado.pem:$2.pem chave.pem:$2.key; do
        docker cp "$tmp/${c#*:}" "testaropcao-$1:/root/${c%:*}"
    done
}

# The log server's certificate becomes $1, and then it runs $2.
trocar() {
    tls registros "$1"
    docker exec testaropcao-registros sh -c \
        "cd /root && install -m 0600 *.pem /etc/testaropcao/tls && $2"
}

# The log server's machine made, given package $1 and set up by the README.
registros() {
    local nome=registros # the machine every helper works on
    criar >/dev/null
    tls registros ac/registros
    docker cp "$tmp/registros.deb" "testaropcao-registros:$1"
    passo "log server" "cd /root && $(readme registros)" </dev/null
}
registros_fora() {
    local nome=registros
    desligar
}

central() {
    local c t deb r=/var/log/testaropcao/$nome/00/00 l=testaropcao-registros
    if [ "$nome" != trixie ]; then
        echo "   skipped, the log server: Debian 12's sudo speaks no TLS"
        return
    fi
    certificados
    deb=$(na_maquina sh -c 'ls /root/testaropcao-registros_*_all.deb')
    docker cp "testaropcao-$nome:$deb" "$tmp/registros.deb"
    registros "$deb"
    tls "$nome" "ac/$nome"
    passo "recording sent away" "cd /root && $(readme operadores-central)" </dev/null
    lancado 5 >"$tmp/esperado"
    lancar "$operar_em_pipe" 5
    ate 30 docker exec $l sh -c "sudoreplay $r/01 | grep -F '$(app 5)'" >/dev/null ||
        falha "$nome: no record on the log server"

    trocar outra/registros "systemctl restart testaropcao-registros"
    lancado 6 >"$tmp/esperado"
    lancar "$operar_em_pipe" 6
    sleep 2
    if ! na_maquina journalctl -u stunnel@testaropcao | grep -qF 'certificate verify failed' ||
        docker exec $l test -e "$r/02"; then
        falha "$nome: a log server from another CA was not refused"
    fi

    trocar ac/registros true
    docker stop -t 60 $l >/dev/null
    t=$(agora)
    lancado 7 >"$tmp/esperado"
    lancar "$operar_em_pipe" 7
    t=$(desde "$t")
    c=$(agora)
    docker start $l >/dev/null
    # Waited for in there: a docker exec every tenth of a second, 50 ms of
    # CPU each here, would cost half a minute.
    docker exec $l timeout 300 sh -c "until [ -e $r/03/log.json ]; do sleep 0.5; done" ||
        falha "$nome: records lost in the outage"
    c=$(desde "$c")

    na_maquina systemctl stop testaropcao-retransmissor
    recusa 8 "servidor de registros fora de alcance em 127.0.0.1:30343"
    passo "recording off" "$(readme operadores-sem-gravar) &&
        systemctl disable --now testaropcao-retransmissor stunnel@testaropcao" </dev/null
    registros_fora
    relatar "log server: a launch replayed there, another CA refused, a launch in $t s while" \
        "it was off, its record there $c s after it booted"
}
