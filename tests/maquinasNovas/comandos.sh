# shellcheck shell=bash
# shellcheck disable=SC2154 # the machine and the run (nome, tmp, motor...) are principal.sh's
# Run with option 5 on a machine with no engine but Podman's, stop, a
# reboot, and Test, as the machine's administrator would.

# Run alone: the engine, the build and the nine up, option 5 launched.
executar() {
    passo Run "$(readme executar)" <<<5 >"$tmp/run"
    cat "$tmp/run"
    grep -qxF "$(app 5)" "$tmp/run" ||
        falha "$nome: option 5 did not print tamblevore_met05_1's line"
}

comandos() {
    local prova t
    prova=$(readme testar)
    executar
    passo stop "$(readme parar)" </dev/null
    # The engine Run installed, through a reboot, the nine down first: after
    # a reboot that brought them back, parar left Podman their names taken
    # (seen here).
    t=$(reiniciar)
    echo "reboot $t s" >>"$tmp/tempos"
    ate 30 na_maquina docker info >/dev/null || falha "$nome: no engine after boot"
    # On Podman, only the part that goes through the engine.
    [ "$motor" = docker ] || prova=${prova%% && cmake --workflow --preset clang*}
    passo Test "$prova" </dev/null
    echo "== $nome: what the end-to-end test saw"
    na_maquina sed -n '/^[0-9]*\/[0-9]* Test: e2e$/,/^<end of output>/p' \
        build/padrao/Testing/Temporary/LastTest.log
}
