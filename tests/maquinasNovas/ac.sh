# shellcheck shell=bash
# shellcheck disable=SC2154 # the machine and the run (nome, tmp, motor...) are principal.sh's
# The site's SSH CA, trusted by operadores-ac: its certificate for the
# account gets the menu whatever its options, and is listed by key ID and
# serial; one for another principal, expired, not yet valid or from another
# CA is refused, and so are a certificate and a listed key once revoked.

# HOST CA WHAT OPTIONS: option 7 through the ssh config's HOST, with a
# certificate signed by CA (- for none) with OPTIONS, gets the menu or is
# refused; or revogar FILE, the README's operadores-revogar given it.
casos_ac() {
    cat <<FIM
certificado ac-site menu -n testaropcao -O force-command=/bin/sh
certificado ac-site negado -n operador
certificado ac-site negado -n testaropcao -V -2d:-1d
certificado ac-site negado -n testaropcao -V +1d:+2d
certificado ca negado -n testaropcao
certificado ac-site menu -n testaropcao
revogar chave-certificado-cert.pub
certificado - negado
revogar chave-outro.pub
outro - negado
FIM
}

ac() {
    local host ca quer opcoes ultima
    ssh-keygen -q -t ed25519 -N "" -C "ac do site $nome" -f "$tmp/ac-site"
    docker cp "$tmp/ac-site.pub" "testaropcao-$nome:/root/ac.pub"
    passo "the site's CA" "cd /root && $(readme operadores-ac)" </dev/null
    lancado 7 >"$tmp/esperado"
    while read -r host ca quer opcoes; do
        if [ "$host" = revogar ]; then
            docker cp "$tmp/$ca" "testaropcao-$nome:/root/operador.pub"
            passo "revoked $ca" "cd /root && $(readme operadores-revogar)" </dev/null
            continue
        fi
        # shellcheck disable=SC2086 # the options, one a word
        [ "$ca" = - ] ||
            ssh-keygen -q -s "$tmp/$ca" -I "maria da silva" -z 42 $opcoes "$tmp/chave-$host.pub"
        estacao "ssh -T testaropcao@$host" <<<7 >"$tmp/saida" 2>&1 || true
        case $quer in
        menu) cmp -s "$tmp/saida" "$tmp/esperado" ;;
        *) grep -qF "Permission denied (publickey)" "$tmp/saida" ;;
        esac || falha "$nome: $host, $ca $opcoes: $(cat "$tmp/saida")"
        echo "   $host, $ca $opcoes: $(tail -1 "$tmp/saida")"
        [ "$quer" = menu ] || sleep 6 # a failed login costs its address 5 s on OpenSSH 10
    done < <(casos_ac)
    ultima=$(ultima | cut -d' ' -f2-)
    if [ "$ultima" != 'ID=maria\x20da\x20silva,serial=42 tamblevore_met07_1' ] ||
        ! na_maquina grep -qF "$(cat "$tmp/chave-outro.pub")" /etc/testaropcao/operadores; then
        falha "$nome: a certificate's launch listed as $ultima, or the revoked key's line gone"
    fi
    relatar "site CA: a certificate launched, listed as $ultima; refused: another principal," \
        "expired, not yet valid, another CA, revoked, and a revoked key still in the list"
}
