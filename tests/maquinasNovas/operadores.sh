# The operators' server, over the account's whole life.

# The README's operator, one from the release before, one added, one with a certificate.
chaves() {
    local k
    for k in testaropcao:operador antigo outro certificado; do
        ssh-keygen -q -t ed25519 -N "" -C "${k#*:} $nome" -f "$tmp/chave-${k%:*}"
    done
    ssh-keygen -q -t ed25519 -N "" -C ca -f "$tmp/ca"
    ssh-keygen -q -s "$tmp/ca" -I "quem quiser" -n testaropcao "$tmp/chave-certificado.pub"
}

a_espera() {
    { estacao "ssh -T testaropcao@antigo" < <(exec sleep 60) >/dev/null 2>&1 || true & } 2>/dev/null
    ate 10 na_maquina pgrep -u testaropcao -x testarOpcao >/dev/null || falha "$nome: no operator at the prompt"
}

# A release's last commit: the parent of the one that added the next.
ultimo() {
    local feitas=$(sed -n 's/^testaropcao (\([^)]*\)).*/\1/p' "$fonte/debian/changelog")
    [ -n "$1" ] || { echo "$feitas" | sed -n 2p; return; }
    echo "$(git -C "$fonte" log -1 --format=%H -S"testaropcao ($(echo "$feitas" | grep -B1 -xF "$1" | head -1))" -- debian/changelog)^"
}

# What the earlier release leaves failed is shown, reset and its account
# opened as its README said.
atualizado() {
    local de=${anteriores[$nome]:-$(ultimo "")}
    docker cp "$tmp/chave-antigo.pub" "testaropcao-$nome:/root/antigo.pub"
    git -C "$fonte" archive --prefix=velho/fonte/ "$(ultimo "$de")" | docker exec -i "testaropcao-$nome" tar -x -C /root
    passo "operators $de" "cd /root/velho/fonte && DEB_BUILD_OPTIONS=nocheck dpkg-buildpackage -us -uc -b >/dev/null &&
        cd .. && apt-get install -y --allow-downgrades ./testaropcao_*.deb ./testaropcao-operadores_*.deb &&
        cat /root/antigo.pub >>/etc/testaropcao/operadores && { f=\$(systemctl --failed --plain --no-legend); [ -z \"\$f\" ] ||
        { echo \"   left failed by $de: \$f\"; systemctl reset-failed && testaropcao-operadores abrir; }; }" </dev/null
    a_espera
    passo "operators upgraded from $de" "cd /root && apt-get install -y ./testaropcao_*_\$(dpkg --print-architecture).deb ./testaropcao-operadores_*_all.deb &&
        ! pgrep -u testaropcao && ! id -nG testaropcao | grep -w docker && grep -xF '$(cat "$tmp/chave-antigo.pub")' /etc/testaropcao/operadores &&
        ! dpkg-query -W -f='\${Conffiles}' testaropcao-operadores | grep -F /etc/testaropcao/operadores" </dev/null
}

configurado() {
    local mau k=$(cat "$tmp/chave-outro.pub") outro=$(readme operadores-adicionar)
    docker cp "$tmp/chave-testaropcao.pub" "testaropcao-$nome:/root/operador.pub"
    passo operators "cd /root && $(readme operadores)" </dev/null
    for mau in "cert-authority $k" "from=\"192.0.2.1\" $k" "$k\n$k" "${k% *} x\rcert-authority $k" "$(cat "$tmp/chave-certificado-cert.pub")"; do
        printf '%b' "$mau" | docker exec -i "testaropcao-$nome" sh -c "cat >/root/operador.pub; cd /root; cp /etc/testaropcao/operadores /tmp; ! $outro && cmp /tmp/operadores /etc/testaropcao/operadores" ||
            falha "$nome: operadores-adicionar took $mau"
    done 2>&1 | sed 's/^/   refused: /'
    printf '%s' "$k" | docker exec -i "testaropcao-$nome" sh -c "cat >/root/operador.pub && truncate -s -1 /etc/testaropcao/operadores && cd /root && { $outro & $outro; wait; }"
    na_maquina tail -2 /etc/testaropcao/operadores | cmp -s - <(cat "$tmp/chave-testaropcao.pub" "$tmp/chave-outro.pub") ||
        falha "$nome: the list ends: $(na_maquina tail -2 /etc/testaropcao/operadores)"
    lancamentos "$operar_em_pipe" 1 2 3 4 5 6 7 8 9
    remotos+=("an operator's launch $por_lancamento s")
}

entradas() {
    local quais sinal tentativa
    docker cp "$aqui/site.sh" "testaropcao-$nome:/usr/local/sbin/site"
    export CONTA=testaropcao@servidor NA_MAQUINA="docker exec -i testaropcao-$nome" SSH_F="-F $tmp/ssh_config" \
        COPIA=$tmp/copia SOQUETE=$tmp/motor.sock CHAVES=$tmp
    export COMO_CONTA="$NA_MAQUINA runuser -u testaropcao --"
    while IFS='|' read -r quais sinal tentativa; do
        [ "$quais" = "*" ] || [ "$quais" = "$motor" ] || continue
        estacao "$tentativa" </dev/null >"$tmp/tentativa" 2>&1 || true
        grep -qF -- "$sinal" "$tmp/tentativa" && ! grep -qE 'ENTROU|^SSH-2\.0|root:x' "$tmp/tentativa" ||
            falha "$nome: a way in did not fail: $tentativa: $(cat "$tmp/tentativa")"
        echo "   refused: $tentativa -> $(grep -F -m1 -- "$sinal" "$tmp/tentativa")"
        # A failed login costs its address 5 s on OpenSSH 10, cut off past 15.
        case $sinal in "Permission denied (publickey)" | "definições mais fracas") sleep 6 ;; esac
    done <"$aqui/entradas.txt"
}

ociosos() {
    agora >"$tmp/ociosos"
    { estacao "ssh -N testaropcao@servidor" </dev/null >/dev/null 2>&1 || agora >"$tmp/sem_sessao"; } &
    { estacao "$operar_em_pipe" < <(exec sleep 200) >/dev/null 2>&1 || agora >"$tmp/ocioso"; } &
}
ociosos_vistos() {
    local t ocio inicio=$(cat "$tmp/ociosos") espera=$(na_maquina sed -n 's/^espera=//p' /usr/libexec/testaropcao/sessao)
    ate $((espera + 30)) test -s "$tmp/ocioso" >/dev/null || falha "$nome: a session left at the prompt is still open"
    t=$(($(cat "$tmp/sem_sessao") - inicio)) ocio=$(($(cat "$tmp/ocioso") - inicio))
    [ $t -lt 60000 ] && [ $ocio -ge $((espera * 1000 - 2000)) ] && [ $ocio -lt $((espera * 1000 + 20000)) ] ||
        falha "$nome: a login without a session ended after $t ms, a silent session after $ocio ms"
    remotos+=("a login without a session ended after $(segundos $t) s, a silent session after $(segundos $ocio) s")
}

# Option $1 on a terminal, showing $2 (by default its container's line);
# then option 5 with a Ctrl-C during the launch.
terminal() {
    estacao "PYTHONPATH=tests python3 $aqui/terminal.py '$(readme operador)' $1" >"$tmp/saida$1"
    printf 'Escolha uma opção (1-9): |%s\r\nVocê escolheu a opção %s!\r\n%s\r\nConnection to %s closed.\r\r\n|0' \
        $1 $1 "${2:-$(app $1)}" "$(endereco)" | cmp -s - "$tmp/saida$1" ||
        falha "$nome: the operator's terminal showed: $(cat -A "$tmp/saida$1")"
    [ $# = 1 ] || return 0
    [ "$motor" = docker ] || { echo "   skipped, Ctrl-C during a launch: Podman has no engine daemon to hold a launch on"; return; }
    na_maquina sh -c 'kill -STOP $(cat /var/run/docker.pid)'
    estacao "PYTHONPATH=tests python3 $aqui/terminal.py '$(readme operador)' 5 interromper" >"$tmp/saida"
    na_maquina sh -c 'kill -CONT $(cat /var/run/docker.pid)'
    printf 'Escolha uma opção (1-9): |5\r\nVocê escolheu a opção 5!\r\n|^CConnection to %s closed.\r\r\n|0' "$(endereco)" |
        cmp -s - "$tmp/saida" || falha "$nome: Ctrl-C during a launch showed: $(cat -A "$tmp/saida")"
}

longo() {
    docker cp "$aqui/longo.cpp" "testaropcao-$nome:/tmp/longo.cpp"
    na_maquina sh -c 'cd /tmp && g++ -static -o app longo.cpp && cp /root/testarOpcao/build/padrao/conteineres/espera . &&
        tar -c app espera | docker import - tamblevore/app:longo && docker rm -f tamblevore_met01_1 &&
        docker run -d --name tamblevore_met01_1 --user 65534 --network none tamblevore/app:longo /espera' >/dev/null
    terminal 1 $'um\r\ndois' &
    longos=($!)
    { estacao "$operar_em_pipe" <<<1 >"$tmp/longo" 2>&1; echo "|$?" >>"$tmp/longo"; } &
    longos+=($!)
}
longo_visto() {
    wait "${longos[@]}" || falha "$nome: a long launch on a terminal"
    { printf 'um\ndois\n'; dialogo 1; echo '|0'; } | cmp -s - "$tmp/longo" ||
        falha "$nome: a long launch on pipes: $(cat "$tmp/longo")"
    na_maquina sh -c 'docker rm -f tamblevore_met01_1 && cmake --build --preset padrao --target subir' >/dev/null 2>&1
    remotos+=("a 125 s ./app seen whole on a terminal and on pipes, ssh's status 0")
}

sudo_lista() {
    [ "$(na_maquina runuser -u testaropcao -- sudo -n -l | sed '1,/may run/d' | tr -d ' \n')" = \
        "(root)$(printf '/usr/bin/dockerexectamblevore_met0%s_1./app,' {1..8})/usr/bin/dockerexectamblevore_met09_1./app" ] ||
        falha "$nome: sudo -l: $(na_maquina runuser -u testaropcao -- sudo -n -l)"
}

# Half into met05, none into met01, which is long then.
carga() {
    local i certos=0 pids=() opcao=()
    for i in {1..50}; do opcao[i]=$((i > 25 ? 5 : i % 8 + 2)); done
    for i in {1..50}; do estacao "$operar_em_pipe" <<<${opcao[i]} >"$tmp/carga$i" 2>&1 & pids+=($!); done
    wait "${pids[@]}" || true
    for i in {1..50}; do lancado ${opcao[i]} | cmp -s - "$tmp/carga$i" && certos=$((certos + 1)); done
    remotos+=("$certos of 50 operators at once right")
    [ $certos = 50 ] || falha "$nome: only $certos of 50 launches at once were right: $(sort "$tmp"/carga* | uniq -c)"
}

lista() {
    local antigo=$(ssh-keygen -lf "$tmp/chave-antigo.pub" | cut -d' ' -f2) outro=$(ssh-keygen -lf "$tmp/chave-outro.pub" | cut -d' ' -f2)
    estacao "ssh -T testaropcao@antigo" <<<6 >/dev/null && estacao "ssh -T testaropcao@outro" <<<7 >/dev/null
    na_maquina sh -c "$(readme operadores-lancamentos)" >"$tmp/lista"
    tail -2 "$tmp/lista" | cut -d' ' -f2- | cmp -s - <(printf '%s tamblevore_met0%s_1\n' "$antigo" 6 "$outro" 7) &&
        grep -q ' recusado (command not allowed): /usr/bin/docker ps$' "$tmp/lista" || falha "$nome: the launch list: $(cat "$tmp/lista")"
    tail -2 "$tmp/lista" | sed 's/^/   launch list: /'
}

# Option $1 on pipes refused for reason $2: the dialogue, one line, and the list ends with it.
recusa() {
    estacao "$operar_em_pipe" <<<$1 >"$tmp/saida" 2>"$tmp/erro" && sleep 1 && ultima=$(na_maquina sh -c "$(readme operadores-lancamentos)" | tail -1)
    dialogo $1 | cmp -s - "$tmp/saida" && [ "$(cat "$tmp/erro")" = "testarOpcao: esta execução não pôde ser gravada e por isso não foi feita; avise o administrador." ] &&
        [[ $ultima == *" recusado ($2): /usr/bin/docker exec tamblevore_met0$1_1 ./app" ]] || falha "$nome: refused for $2: $(cat "$tmp/saida" "$tmp/erro"), listed as $ultima"
}

# What the operator sees, on a terminal and on pipes, recording off against
# on, and a launch's cost; the list's ID replays the last launch; with the
# log's file system full a launch is refused, and says so.
gravacao() {
    local sem com ultima pasta=/var/log/testaropcao
    terminal 2 "$(app 2)" && mv "$tmp/saida2" "$tmp/terminal-sem" && lancamentos "$operar_em_pipe" 3 4 7 8 9
    sem=$por_lancamento && cat "$tmp/saida" "$tmp/erro" >"$tmp/pipes-sem"
    passo "recording on" "$(readme operadores-gravar)" </dev/null
    terminal 2 "$(app 2)" && lancamentos "$operar_em_pipe" 3 4 7 8 9 && com=$por_lancamento
    cmp "$tmp/saida2" "$tmp/terminal-sem" && cat "$tmp/saida" "$tmp/erro" | cmp - "$tmp/pipes-sem" || falha "$nome: recording changed a launch"
    ultima=$(na_maquina sh -c "$(readme operadores-lancamentos)" | tail -1)
    na_maquina sh -c "$(readme operadores-rever | sed "s|ID|${ultima##* }|")" | grep -F "$(app 9)" >/dev/null ||
        falha "$nome: the list's last launch, $ultima, did not replay"
    remotos+=("recording on: the same bytes (cmp), ${ultima##* } replayed, a launch $com s against $sem s off (×$(awk "BEGIN { printf \"%.2f\", $com / $sem }")), $(na_maquina sh -c \
        "echo \$((\$(du -sk $pasta | cut -f1) / 6)) KiB, \$((\$(find $pasta | wc -l) / 6)) inodes each, at most \$(sed -n 's/^Defaults.*maxseq = //p' /etc/sudoers.d/testaropcao-gravacao)")")
    na_maquina sh -c "mount -t tmpfs -o size=256k tmpfs $pasta && ! dd if=/dev/zero of=$pasta/cheio 2>/dev/null"
    recusa 4 "gravação impossível em $pasta" && na_maquina umount $pasta
    remotos+=("log full: $(cat "$tmp/erro") | ${ultima#* * }")
    passo "recording off" "$(readme operadores-sem-gravar)" </dev/null
}

# On Debian 13, a second machine as the site's log server: a launch replays
# there, one from another CA is refused, one powered off stops no launch and
# gets its records once back; with the relay off a launch is refused.
central() {
    local c t deb r=/var/log/testaropcao/$nome/00/00 l=testaropcao-registros
    [ "$nome" = trixie ] || return 0
    cert() { openssl req -x509 -config /dev/null -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 2 -subj "/CN=${1#*/}" \
        -keyout "$tmp/$1.key" -out "$tmp/$1.pem" "${@:2}" 2>/dev/null; }
    mkdir -p "$tmp/ac" "$tmp/outra" && for c in ac outra; do cert $c -addext basicConstraints=critical,CA:true -addext keyUsage=critical,keyCertSign; done
    for c in ac/registros ac/$nome outra/registros; do cert $c -CA "$tmp/${c%/*}.pem" -CAkey "$tmp/${c%/*}.key" -addext subjectAltName=DNS:${c#*/}; done
    tls() { for c in ac.pem:${2%/*}.pem certificado.pem:$2.pem chave.pem:$2.key; do docker cp "$tmp/${c#*:}" "testaropcao-$1:/root/${c%:*}"; done; }
    deb=$(na_maquina sh -c 'ls /root/testaropcao-registros_*_all.deb') && docker cp "testaropcao-$nome:$deb" "$tmp/registros.deb"
    (nome=registros && criar && tls registros ac/registros && docker cp "$tmp/registros.deb" "$l:$deb" &&
        passo "log server" "cd /root && $(readme registros)" </dev/null) || exit 1
    tls $nome ac/$nome && passo "recording sent away" "cd /root && $(readme operadores-central)" </dev/null
    lancado 5 >"$tmp/esperado" && lancar "$operar_em_pipe" 5
    ate 30 docker exec $l sh -c "sudoreplay $r/01 | grep -F '$(app 5)'" >/dev/null || falha "$nome: no record on the log server"
    trocar() { tls registros $1 && docker exec $l sh -c "cd /root && install -m 0600 *.pem /etc/testaropcao/tls && $2"; }
    trocar outra/registros "systemctl restart testaropcao-registros" && lancado 6 >"$tmp/esperado" && lancar "$operar_em_pipe" 6 && sleep 2
    na_maquina journalctl -u stunnel@testaropcao | grep -F 'certificate verify failed' >/dev/null && ! docker exec $l test -e $r/02 ||
        falha "$nome: a log server from another CA was not refused"
    trocar ac/registros true && docker stop -t 60 $l >/dev/null && t=$(agora) && lancado 7 >"$tmp/esperado" && lancar "$operar_em_pipe" 7
    # Waited for in there: a docker exec every tenth of a second, 50 ms of CPU each here, would cost half a minute.
    t=$(desde "$t") && c=$(agora) && docker start $l >/dev/null && docker exec $l timeout 300 sh -c "until [ -e $r/03/log.json ]; do sleep 0.5; done" &&
        c=$(desde "$c") || falha "$nome: records lost in the outage"
    na_maquina systemctl stop testaropcao-retransmissor && recusa 8 "servidor de registros fora de alcance em 127.0.0.1:30343"
    passo "recording off" "$(readme operadores-sem-gravar) && systemctl disable --now testaropcao-retransmissor stunnel@testaropcao" </dev/null
    (nome=registros && desligar)
    remotos+=("log server: a launch replayed there, another CA refused, a launch in $t s while it was off, its record there $c s after it booted")
}

removido() {
    na_maquina sed -i "/ operador $nome\$/d" /etc/testaropcao/operadores
    ! estacao "$operar_em_pipe" </dev/null >"$tmp/saida" 2>&1 && grep -q "Permission denied (publickey)" "$tmp/saida" ||
        falha "$nome: a removed operator: $(cat "$tmp/saida")"
}

# A later version as a stable update makes it, with changed drop-ins.
ciclo() {
    local u=+deb${versao}u1
    subir_no_servidor
    passo "operators updated to $u" "mkdir -p /root/seguinte && tar -C /root/testarOpcao --exclude=./build -c . | tar -C /root/seguinte -x &&
        cd /root/seguinte && sed -i '1s/(\(.*\))/(\1$u)/' debian/changelog &&
        echo '# $u' | tee -a operadores/testaropcao.conf.in >>operadores/sudoers.in &&
        DEB_BUILD_OPTIONS=nocheck dpkg-buildpackage -us -uc -b >/dev/null && cd .. && cp /etc/testaropcao/operadores /tmp/lista &&
        apt-get install -y ./testaropcao_*${u}_\$(dpkg --print-architecture).deb ./testaropcao-operadores_*${u}_all.deb &&
        cmp /tmp/lista /etc/testaropcao/operadores" </dev/null
    estacao "ssh -T testaropcao@antigo" <<<4 | grep -q tamblevore_met04_1 || falha "$nome: no launch after the update"
    a_espera
    passo "operators removed" "apt-get remove -y testaropcao-operadores && ! pgrep -u testaropcao" </dev/null
    ! estacao "ssh -T testaropcao@antigo" <<<3 2>&1 | grep tamblevore_ || falha "$nome: a launch after remove"
    passo "operators installed again" "cd /root && apt-get install -y ./testaropcao-operadores_*${u}_all.deb" </dev/null
    estacao "ssh -T testaropcao@antigo" <<<3 | grep -q tamblevore_met03_1 || falha "$nome: no launch after installing again"
    a_espera
    passo "operators purged" "apt-get purge -y testaropcao-operadores && ! pgrep -u testaropcao &&
        ! getent passwd testaropcao && ! getent group testaropcao && ! ls -d /etc/testaropcao /var/lib/testaropcao \
        /etc/ssh/sshd_config.d/testaropcao.conf /etc/sudoers.d/testaropcao /usr/share/testaropcao 2>/dev/null" </dev/null
}
