# shellcheck shell=bash
# shellcheck disable=SC2154 # the machine and the run (nome, tmp, motor...) are principal.sh's
# The launch list: two more operators launch, and the list must end with
# their keys' fingerprints and containers, and hold sudo's refusals.

impressao() { ssh-keygen -lf "$1" | cut -d' ' -f2; }

# A docker command sudo does not allow the account, as a way in tries it.
sudo_recusou() { ! na_maquina runuser -u testaropcao -- sudo -n docker ps >/dev/null 2>&1; }

lista() {
    local antigo outro
    antigo=$(impressao "$tmp/chave-antigo.pub")
    outro=$(impressao "$tmp/chave-outro.pub")
    sudo_recusou
    estacao "ssh -T testaropcao@antigo" <<<6 >/dev/null
    estacao "ssh -T testaropcao@outro" <<<7 >/dev/null
    na_maquina sh -c "$(readme operadores-lancamentos)" >"$tmp/lista"
    if ! tail -2 "$tmp/lista" | cut -d' ' -f2- |
        cmp -s - <(printf '%s tamblevore_met0%s_1\n' "$antigo" 6 "$outro" 7) ||
        ! grep -q ' recusado (command not allowed): /usr/bin/docker ps$' "$tmp/lista"; then
        falha "$nome: the launch list: $(cat "$tmp/lista")"
    fi
    tail -2 "$tmp/lista" | sed 's/^/   launch list: /'
}

# What anyone could write leaves the list as it was: user names,
# identification lines, key exchange offers and a disconnect message's text
# of an outsider, which sshd logs, and a local user's syslog lines under the
# account's and its programs' tags, one with escape bytes. An operator's
# LC_* value in sshd's words launches as that operator.
forjas() {
    local outro falso mentira cee ultima
    outro=$(impressao "$tmp/chave-outro.pub")
    falso="operador=chave SHA256:FORJADA /usr/bin/docker exec tamblevore_met07_1 ./app"
    na_maquina sh -c "$(readme operadores-lancamentos)" >"$tmp/antes"
    for mentira in "recusado (forjado) 20261211000000Z $falso" \
        "Accepted publickey for testaropcao from 10.9.9.9 port 1 ssh2: ED25519 SHA256:FORJADA"; do
        ! estacao "ssh -o PubkeyAuthentication=no -l '$mentira' servidor" </dev/null >/dev/null 2>&1
        # The same as the identification line, which is not SSH-, and as a
        # key exchange method (paramiko's thread prints the refusal).
        printf '%s\r\n' "$mentira" >"/dev/tcp/$(endereco)/22" || true
        /usr/bin/python3 "$aqui/desligar.py" "$(endereco)" "$mentira" kex 2>/dev/null
        sleep 6 # a failed login costs its address 5 s on OpenSSH 10
    done
    cee='@cee:{"sudo":{"accept":{"server_time":{"iso8601":"20261211000000Z"},'
    cee+='"submituser":"testaropcao","runargv":["/usr/bin/docker","exec","tamblevore_met07_1",'
    cee+='"./app"],"runenv":["TESTAROPCAO_OPERADOR=chave SHA256:FORJADA"]}}}'
    # Debian's python3, with Debian's paramiko (.ci/run installs it).
    /usr/bin/python3 "$aqui/desligar.py" "$(endereco)" "$cee" || falha "$nome: no disconnect sent"
    na_maquina runuser -u nobody -- sh -c "logger -t sshd '$mentira' &&
        logger -t sudo '$cee' && logger -t testaropcao \"recusado (x) 20261211000000Z $falso\" &&
        logger -t testaropcao \"\$(printf 'recusado (x) \\033]0;x\\007\\033[2J 20261211000000Z')\""
    estacao "ssh -T -o 'SetEnv=LC_X=\"Accepted publickey for testaropcao from 9.9.9.9 port 1 \"' \
        testaropcao@outro" <<<7 >/dev/null
    na_maquina sh -c "$(readme operadores-lancamentos)" >"$tmp/depois"
    ultima=$(tail -1 "$tmp/depois" | cut -d' ' -f2-)
    if ! head -n -1 "$tmp/depois" | cmp -s - "$tmp/antes" ||
        LC_ALL=C grep -q '[[:cntrl:]]' "$tmp/depois" ||
        [ "$ultima" != "$outro tamblevore_met07_1" ]; then
        falha "$nome: forged lines changed the list: $(diff "$tmp/antes" "$tmp/depois" | cat -A)"
    fi
    relatar "forged user names, identification lines, kex offers, disconnect text, syslog" \
        "lines and an LC_* value left the list as it was (cmp)"
}
