#!/bin/bash
# Installing and packaging as an operator meets them.
#
# Usage: pacote.sh --instalar BUILD_DIR   cmake --install into a fresh prefix
#        pacote.sh CHANGES...             what dpkg-buildpackage made
set -eu
fonte=$(cd "$(dirname "$0")/.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
falha() {
    echo "FAILED: $*"
    exit 1
}

if [ "$1" = --instalar ]; then
    p=$tmp/prefixo
    cmake --install "$2" --prefix "$p" >/dev/null
    [ -x "$p/bin/testarOpcao" ] || falha "no bin/testarOpcao"
    saida=$(printf '0\n' | "$p/bin/testarOpcao")
    [ "$saida" = "Escolha uma opção (1-9): Você escolheu a opção 0!
Opção inválida." ] || falha "the installed program said: $saida"
    versao=$(sed -n 's/^testaropcao (\([^)]*\)).*/\1/p;q' "$fonte/debian/changelog")
    # The page's synopsis is the command's usage, in its order.
    uso=$("$p/sbin/testaropcao-operadores" 2>&1 | sed 's/.*uso: testaropcao-operadores //') ||
        true
    sinopse=$(awk '/^\.SH/ { dentro = $2 == "SINOPSE"; next }
        dentro && /^\.B / { printf "%s%s", n++ ? " | " : "", $3 }
        dentro && /^\.I / { printf " %s", $2 }' "$p/share/man/man8/testaropcao-operadores.8")
    [ "$uso" = "$sinopse" ] || falha "the page's synopsis is $sinopse, the usage $uso"
    for pagina in "$p/share/man/man1/testarOpcao.1" "$p/share/man/man8/testaropcao-operadores.8"; do
        avisos=$(groff -man -ww -z "$pagina" 2>&1)
        [ -z "$avisos" ] || falha "groff, $pagina: $avisos"
        grep -q "^\.TH .*\"testarOpcao $versao\"" "$pagina" ||
            falha "$pagina names no version $versao"
    done

    # The operators' account, recording turned on. sudo allows exactly the
    # nine lines that the launcher hands over, as the stand-in docker records
    # them, and records what the account runs, so those nine and nothing else.
    for n in {1..9}; do
        echo "$n" | PATH="$fonte/tests/falso:$PATH" REGISTRO_DOCKER=$tmp/nove "$p/bin/testarOpcao" \
            >/dev/null 2>&1
    done
    cat "$p/etc/sudoers.d/testaropcao" "$p/share/testaropcao/gravacao" >"$tmp/sudoers"
    cvtsudoers -e -f json "$tmp/sudoers" | sed -n 's/.*"command": "\(.*\)".*/\1/p' |
        cmp -s - <(sed 's|^\[|/usr/bin/docker [|; s/\]\[/ /g; s/[][]//g' "$tmp/nove") ||
        falha "sudo's lines are not the launcher's: $(cat "$tmp/nove")"
    for d in gravacao gravacao-central; do
        d=$(cvtsudoers -f sudoers "$p/share/testaropcao/$d")
        if grep -qv '^Defaults:testaropcao ' <<<"$d" ||
            ! grep -qE '^Defaults:testaropcao (.*, )?log_output(,|$)' <<<"$d"; then
            falha "a recording drop-in records other than the account's launches: $d"
        fi
    done
    # Its sshd drop-in gives the account every setting that abrir requires,
    # sets none that abrir does not check, and changes nothing for others.
    ssh-keygen -q -t ed25519 -N '' -f "$tmp/chave"
    echo "HostKey $tmp/chave" >"$tmp/sem"
    {
        cat "$tmp/sem"
        echo "Include $p/etc/ssh/sshd_config.d/testaropcao.conf"
    } >"$tmp/com"
    mkdir -p /run/sshd
    efetivas=$(/usr/sbin/sshd -T -f "$tmp/com" -C user=testaropcao,host=192.0.2.1,addr=192.0.2.1)
    exigidas=$(sed -n '/^exigidas="/,/"$/{s/^exigidas="//;s/"$//;p}' \
        "$p/sbin/testaropcao-operadores")
    faltam=$(echo "$exigidas" | grep -vxF "$efetivas") || true
    [ -z "$faltam" ] || falha "sshd gives the account none of: $faltam"
    verificadas=$(echo "$exigidas" | cut -d' ' -f1)
    a_mais=$(sed -n '/^Match/,$s/^ \+\([A-Z][A-Za-z0-9]*\) .*/\1/p' \
        "$p/etc/ssh/sshd_config.d/testaropcao.conf" | tr '[:upper:]' '[:lower:]' |
        grep -vxF "$verificadas") || true
    [ -z "$a_mais" ] || falha "abrir does not check: $a_mais"
    cmp -s <(/usr/sbin/sshd -T -f "$tmp/sem") <(/usr/sbin/sshd -T -f "$tmp/com") ||
        falha "the drop-in changes sshd for others"
    # The launch list from sudo's own file and the journal, as Debian 12 and
    # 13 wrote them, forged lines of outsiders and local users among them;
    # the account's uid as sudo recorded it, the journal whole, unfiltered.
    for eventos in "$fonte"/tests/registros/*.json; do
        registro=${eventos%.json}
        uid=$(sed -n 's/^ *"SUDO_UID=\([0-9]*\)",*$/\1/p' "$eventos" | head -1)
        # As printed there, and with that record found empty, as the list marks it.
        for marca in '' vazia; do
            c=/var/log/testaropcao/00/00/01
            echo "${marca:+$c $marca}" >"$tmp/gravacoes"
            awk -v conta=testaropcao -v uid="$uid" -v recusas="$registro.journal" \
                -v gravacoes="$tmp/gravacoes" -f "$p/share/testaropcao/lancamentos.awk" \
                "$tmp/gravacoes" "$eventos" "$registro.journal" | sort -s -k1,1 |
                cmp -s - <(sed "${marca:+s|$c\$|(gravação $marca)|}" "$registro.esperado") ||
                falha "lancamentos from $registro${marca:+, $c $marca}"
        done
    done
    echo "installed as expected"
    exit
fi

versao=$(dpkg-parsechangelog -l "$fonte/debian/changelog" -S Version)
for changes in "$@"; do
    arq=$(sed -n 's/^Architecture: //p' "$changes" | tr ' ' '\n' | grep -vxE 'source|all')
    deb=$(dirname "$changes")/testaropcao_${versao}_$arq.deb
    [ -f "$deb" ] || falha "$changes: no $deb"
    conteudo=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}')
    [ "$conteudo" = "./usr/bin/testarOpcao
./usr/share/doc/testaropcao/changelog.gz
./usr/share/doc/testaropcao/copyright
./usr/share/lintian/overrides/testaropcao
./usr/share/man/man1/testarOpcao.1.gz" ] || falha "$deb holds: $conteudo"
    [ "$(dpkg-deb -f "$deb" Version)" = "$versao" ] || falha "$deb is not version $versao"
    [ "$(dpkg-deb -f "$deb" Recommends)" = "docker.io | docker-ce-cli | podman-docker" ] ||
        falha "$deb does not recommend the docker client"
    [ -z "$(dpkg-deb -f "$deb" Depends)" ] || falha "$deb depends on something"
    dpkg-deb -f "$deb" Built-Using | grep -Eq '^(glibc|cross-toolchain-base) \(= ' ||
        falha "$deb names no C library"

    dpkg-deb -x "$deb" "$tmp/$arq"
    declare -A maquinas=([amd64]=X86-64 [arm64]=AArch64)
    maquina=${maquinas[$arq]:-?}
    cabecalhos=$(readelf -hl "$tmp/$arq/usr/bin/testarOpcao")
    echo "$cabecalhos" | grep -q "Machine: .*$maquina" || falha "$deb: not a program for $arq"
    ! echo "$cabecalhos" | grep -q INTERP || falha "$deb: the program is not static"

    # lintian's tags grow with each release: a finding fails only under the
    # releases CMakeLists.txt lists as reviewed, and is shown under any
    # other. Its pedantic and informational notes are shown.
    falhar=none
    lintian=lintian-$(lintian --version | sed -n 's/^Lintian v\([0-9]*[.][0-9]*\).*/\1/p')
    if grep -q "${lintian}[ )]" "$fonte/CMakeLists.txt"; then
        falhar=error,warning
    fi
    achados=$(lintian --fail-on $falhar --display-info --pedantic "$changes" 2>&1) ||
        falha "lintian: $achados"
    achados=$(echo "$achados" | grep -v "running with root privileges" || true)
    echo "$(basename "$changes"), $(lintian --version): ${achados:-no findings}"
    echo "$(sha256sum "$deb" | cut -c1-64) $(stat -c %s "$deb") $(basename "$deb")"
done
