# shellcheck shell=bash
# shellcheck disable=SC2154 # the machine and the run (nome, tmp, motor...) are principal.sh's
# Fifty operators at once, each on a connection of its own, with the
# README's MaxStartups: half of them into tamblevore_met05_1, none into
# tamblevore_met01_1 (which a long launch may hold meanwhile).

carga() {
    local i certos=0 pids=() opcao=()
    passo "MaxStartups for many operators" "$(readme operadores-maxstartups)" </dev/null
    for i in {1..50}; do
        opcao[i]=$((i > 25 ? 5 : i % 8 + 2))
    done
    for i in {1..50}; do
        estacao "$operar_em_pipe" <<<"${opcao[i]}" >"$tmp/carga$i" 2>&1 &
        pids+=($!)
    done
    wait "${pids[@]}" || true
    for i in {1..50}; do
        if lancado "${opcao[i]}" | cmp -s - "$tmp/carga$i"; then
            certos=$((certos + 1))
        fi
    done
    relatar "$certos of 50 operators at once right"
    [ $certos = 50 ] || falha "$nome: only $certos of 50 launches at once were right:" \
        "$(sort "$tmp"/carga* | uniq -c)"
}
