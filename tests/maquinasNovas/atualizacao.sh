# shellcheck shell=bash
# shellcheck disable=SC2154 # the machine and the run (nome, tmp, motor...) are principal.sh's
# The account upgraded from an earlier release, with an operator at the
# prompt: the session ends, the account leaves group docker, the key stays.

# An operator left at the prompt, through the key "antigo".
a_espera() {
    {
        estacao "ssh -T testaropcao@antigo" < <(exec sleep 60 2>/dev/null) >/dev/null 2>&1 || true &
    } 2>/dev/null
    ate 10 na_maquina pgrep -u testaropcao -x testarOpcao >/dev/null ||
        falha "$nome: no operator at the prompt"
}

# A release's last commit: the parent of the one that added the next. With
# no release, the one before this.
ultimo() {
    local feitas anterior
    feitas=$(sed -n 's/^testaropcao (\([^)]*\)).*/\1/p' "$fonte/debian/changelog")
    if [ -z "$1" ]; then
        echo "$feitas" | sed -n 2p
        return
    fi
    anterior=$(echo "$feitas" | grep -B1 -xF "$1" | head -1)
    echo "$(git -C "$fonte" log -1 --format=%H -S"testaropcao ($anterior)" -- debian/changelog)^"
}

# The release $1 (by default the one before), built in the machine from its
# commit and installed as its README said; what it leaves failed is shown,
# reset and its account opened.
atualizado() {
    local de=${1:-$(ultimo "")}
    docker cp "$tmp/chave-antigo.pub" "testaropcao-$nome:/root/antigo.pub"
    git -C "$fonte" archive --prefix=velho/fonte/ "$(ultimo "$de")" |
        docker exec -i "testaropcao-$nome" tar -x -C /root
    passo "operators $de" "cd /root/velho/fonte &&
        DEB_BUILD_OPTIONS=nocheck dpkg-buildpackage -us -uc -b >/dev/null && cd .. &&
        apt-get install -y --allow-downgrades ./testaropcao_*.deb ./testaropcao-operadores_*.deb &&
        cat /root/antigo.pub >>/etc/testaropcao/operadores &&
        f=\$(systemctl --failed --plain --no-legend) && if [ -n \"\$f\" ]; then
            echo \"   left failed by $de: \$f\"
            systemctl reset-failed && testaropcao-operadores abrir
        fi" </dev/null
    a_espera
    passo "operators upgraded from $de" "cd /root && apt-get install -y \
        ./testaropcao_*_\$(dpkg --print-architecture).deb ./testaropcao-operadores_*_all.deb &&
        ! pgrep -u testaropcao && ! id -nG testaropcao | grep -w docker &&
        grep -xF '$(cat "$tmp/chave-antigo.pub")' /etc/testaropcao/operadores &&
        ! dpkg-query -W -f='\${Conffiles}' testaropcao-operadores |
            grep -F /etc/testaropcao/operadores" </dev/null
}
