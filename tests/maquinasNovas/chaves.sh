# shellcheck shell=bash
# shellcheck disable=SC2154 # the machine and the run (nome, tmp, motor...) are principal.sh's
# The operators' keys: the README's Operators commands, what adicionar
# refuses, two at once, and every option launched through the account.

# The README's operator, the list's first key, given to the README's command.
operadores() {
    docker cp "$tmp/chave-testaropcao.pub" "testaropcao-$nome:/root/testarOpcao/operador.pub"
    passo operators "$(readme operadores)" </dev/null
}

# For a concern run alone: the account as the run before it leaves it,
# with the keys of the earlier release's operator and of another.
instalados() {
    operadores
    cat "$tmp/chave-antigo.pub" "$tmp/chave-outro.pub" |
        docker exec -i "testaropcao-$nome" sh -c 'cat >>/etc/testaropcao/operadores'
}

# adicionar must refuse each of these with a message and the list unchanged:
# a cert-authority line, options, two keys, a hidden carriage return, a
# certificate.
recusados() {
    local k=$1 mau outro
    outro=$(readme operadores-adicionar)
    for mau in "cert-authority $k" "from=\"192.0.2.1\" $k" "$k\n$k" "${k% *} x\rcert-authority $k" \
        "$(cat "$tmp/chave-certificado-cert.pub")"; do
        printf '%b' "$mau" | docker exec -i "testaropcao-$nome" sh -c "
            cat >/root/operador.pub && cd /root && cp /etc/testaropcao/operadores /tmp &&
            ! $outro && cmp /tmp/operadores /etc/testaropcao/operadores" ||
            falha "$nome: operadores-adicionar took $mau"
    done 2>&1 | sed 's/^/   refused: /'
}

configurado() {
    local k outro t
    k=$(cat "$tmp/chave-outro.pub")
    outro=$(readme operadores-adicionar)
    operadores
    recusados "$k"
    # A .pub without its last line feed after a list without one, twice at once.
    printf '%s' "$k" | docker exec -i "testaropcao-$nome" sh -c "cat >/root/operador.pub &&
        truncate -s -1 /etc/testaropcao/operadores && cd /root && { $outro & $outro; wait; }"
    na_maquina tail -2 /etc/testaropcao/operadores |
        cmp -s - <(cat "$tmp/chave-testaropcao.pub" "$tmp/chave-outro.pub") ||
        falha "$nome: the list ends: $(na_maquina tail -2 /etc/testaropcao/operadores)"
    t=$(lancamentos "$operar_em_pipe" 1 2 3 4 5 6 7 8 9)
    relatar "an operator's launch $t s"
}
