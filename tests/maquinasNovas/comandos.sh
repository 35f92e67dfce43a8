# Run with option 5, stop and Test, as the machine's administrator would.

comandos() {
    local prova=$(readme testar)
    passo Run "$(readme executar)" <<<5 >"$tmp/run" && cat "$tmp/run"
    grep -qxF "$(app 5)" "$tmp/run" || falha "$nome: option 5 did not print tamblevore_met05_1's line"
    passo stop "$(readme parar)" </dev/null
    # On Podman, only the part that goes through the engine.
    [ "$motor" = docker ] || prova=${prova%% && cmake --workflow --preset clang*}
    passo Test "$prova" </dev/null
    echo "== $nome: what the end-to-end test saw"
    na_maquina sed -n '/^[0-9]*\/[0-9]* Test: e2e$/,/^<end of output>/p' build/padrao/Testing/Temporary/LastTest.log
}
