# shellcheck shell=bash
# shellcheck disable=SC2154 # the machine and the run (nome, tmp, motor...) are principal.sh's
# The account's life cycle: an operator's line removed, a stable update,
# removal with an operator at the prompt, installed again, and purged.

removido() {
    na_maquina sed -i "/ operador $nome\$/d" /etc/testaropcao/operadores
    if estacao "$operar_em_pipe" </dev/null >"$tmp/saida" 2>&1 ||
        ! grep -q "Permission denied (publickey)" "$tmp/saida"; then
        falha "$nome: a removed operator: $(cat "$tmp/saida")"
    fi
}

# A later version as a stable update makes it, with changed drop-ins: no
# question, every key kept.
atualizacao_estavel() {
    local u=$1
    passo "operators updated to $u" "mkdir -p /root/seguinte &&
        tar -C /root/testarOpcao --exclude=./build -c . | tar -C /root/seguinte -x &&
        cd /root/seguinte && sed -i '1s/(\(.*\))/(\1$u)/' debian/changelog &&
        echo '# $u' | tee -a operadores/testaropcao.conf.in >>operadores/sudoers.in &&
        DEB_BUILD_OPTIONS=nocheck dpkg-buildpackage -us -uc -b >/dev/null && cd .. &&
        cp /etc/testaropcao/operadores /tmp/lista &&
        apt-get install -y ./testaropcao_*${u}_\$(dpkg --print-architecture).deb \
            ./testaropcao-operadores_*${u}_all.deb &&
        cmp /tmp/lista /etc/testaropcao/operadores" </dev/null
    estacao "ssh -T testaropcao@antigo" <<<4 | grep -q tamblevore_met04_1 ||
        falha "$nome: no launch after the update"
}

ciclo() {
    local u=+deb${versao}u1
    subir_no_servidor
    atualizacao_estavel "$u"
    a_espera
    passo "operators removed" "apt-get remove -y testaropcao-operadores && ! pgrep -u testaropcao" \
        </dev/null
    ! estacao "ssh -T testaropcao@antigo" <<<3 2>&1 | grep tamblevore_ ||
        falha "$nome: a launch after remove"
    passo "operators installed again" "cd /root &&
        apt-get install -y ./testaropcao-operadores_*${u}_all.deb" </dev/null
    estacao "ssh -T testaropcao@antigo" <<<3 | grep -q tamblevore_met03_1 ||
        falha "$nome: no launch after installing again"
    a_espera
    passo "operators purged" "apt-get purge -y testaropcao-operadores && ! pgrep -u testaropcao &&
        ! getent passwd testaropcao && ! getent group testaropcao &&
        ! ls -d /etc/testaropcao /var/lib/testaropcao /etc/ssh/sshd_config.d/testaropcao.conf \
            /etc/sudoers.d/testaropcao /usr/share/testaropcao 2>/dev/null" </dev/null
}
