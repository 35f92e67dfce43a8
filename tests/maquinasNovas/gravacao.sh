# shellcheck shell=bash
# shellcheck disable=SC2154 # the machine and the run (nome, tmp, motor...) are principal.sh's
# Recording: what the operator sees, on a terminal and on pipes, is the same
# with it off and on; the list's path replays the last launch; with the
# records' file system full a launch is refused, and says so; filled during
# a launch, the launch ends whole and its record is marked.

# What the operator reads of a launch that cannot be recorded.
recusada="testarOpcao: esta execução não pôde ser gravada e por isso não foi feita;\
 avise o administrador."

# Option $1 on pipes refused for reason $2: the dialogue, one line, and the
# list ends with it.
recusa() {
    local ultima
    estacao "$operar_em_pipe" <<<"$1" >"$tmp/saida" 2>"$tmp/erro"
    sleep 1
    ultima=$(ultima)
    if ! dialogo "$1" | cmp -s - "$tmp/saida" || [ "$(cat "$tmp/erro")" != "$recusada" ] ||
        [[ $ultima != *" recusado ($2): /usr/bin/docker exec tamblevore_met0$1_1 ./app" ]]; then
        falha "$nome: refused for $2: $(cat "$tmp/saida" "$tmp/erro"), listed as $ultima"
    fi
}

# Option 2 on a terminal and five on pipes; what they showed goes to $1.
vistos() {
    local t
    terminal 2
    mv "$tmp/saida2" "$1.terminal"
    t=$(lancamentos "$operar_em_pipe" 3 4 7 8 9)
    cat "$tmp/saida" "$tmp/erro" >"$1.pipes"
    echo "$t" >"$1.segundos"
}

gravacao() {
    local sem com ultima tamanho pasta=/var/log/testaropcao
    vistos "$tmp/sem"
    passo "recording on" "$(readme operadores-gravar)" </dev/null
    vistos "$tmp/com"
    if ! cmp "$tmp/com.terminal" "$tmp/sem.terminal" ||
        ! cmp "$tmp/com.pipes" "$tmp/sem.pipes"; then
        falha "$nome: recording changed a launch"
    fi
    sem=$(cat "$tmp/sem.segundos")
    com=$(cat "$tmp/com.segundos")
    ultima=$(ultima)
    na_maquina sh -c "$(readme operadores-rever | sed "s|CAMINHO|${ultima##* }|")" |
        grep -F "$(app 9)" >/dev/null ||
        falha "$nome: the list's last launch, $ultima, did not replay"
    tamanho=$(na_maquina sh -c "echo \$((\$(du -sk $pasta | cut -f1) / 6)) KiB, \
        \$((\$(find $pasta | wc -l) / 6)) inodes each, at most \
        \$(sed -n 's/^Defaults.*maxseq = //p' /etc/sudoers.d/testaropcao-gravacao)")
    relatar "recording on: the same bytes (cmp), ${ultima##* } replayed, a launch $com s" \
        "against $sem s off (×$(awk "BEGIN { printf \"%.2f\", $com / $sem }")), $tamanho"
    na_maquina sh -c "mount -t tmpfs -o size=256k tmpfs $pasta &&
        ! dd if=/dev/zero of=$pasta/cheio 2>/dev/null"
    recusa 4 "gravação impossível em $pasta"
    na_maquina umount $pasta
    relatar "log full: $(cat "$tmp/erro") | $(ultima | cut -d' ' -f3-)"
    encheu
    passo "recording off" "$(readme operadores-sem-gravar)" </dev/null
}

# A launch that writes more than the records' file system holds goes on to
# its end, unrecorded and saying so; nothing stays running, and the list
# marks the record.
encheu() {
    local pasta=/var/log/testaropcao t ultima bytes=4000000
    app_de_teste 2 longo.cpp "-DSEGUNDOS=0 -DBYTES=$bytes"
    na_maquina mount -t tmpfs -o size=1600k tmpfs $pasta
    t=$(agora)
    estacao "timeout 120 $operar_em_pipe" <<<2 >"$tmp/saida" 2>"$tmp/erro" ||
        falha "$nome: the file system full during a launch: status $?, $(cat "$tmp/erro")"
    t=$(desde "$t")
    sleep 1
    ultima=$(ultima)
    if [ "$(wc -c <"$tmp/saida")" != $((bytes + 8 + $(dialogo 2 | wc -c))) ] ||
        [ "$(tail -1 "$tmp/saida")" != "$(dialogo 2 | tr -d '\n')" ] ||
        ! grep -q "^sudo: .*No space left on device" "$tmp/erro" ||
        ! grep -q "^testarOpcao: o espaço das gravações acabou" "$tmp/erro" ||
        [[ $ultima != *" tamblevore_met02_1 (gravação "*")" ]] ||
        na_maquina pgrep -f "docker exec tamblevore_met02_1" >/dev/null; then
        falha "$nome: the file system full during a launch: $(cat "$tmp/erro"), listed $ultima"
    fi
    na_maquina umount $pasta
    app_do_servidor 2
    relatar "log full during a launch: its $bytes bytes whole in $t s, nothing left running," \
        "$(paste -sd '|' "$tmp/erro") | $(echo "$ultima" | cut -d' ' -f3-)"
}
