# shellcheck shell=bash
# shellcheck disable=SC2154 # the machine and the run (nome, tmp, motor...) are principal.sh's
# Idle sessions: a login that opens no session, and a session left at the
# prompt, both ended by the server. Started in the background; the times
# they ended are files in folder $1, read by ociosos_vistos with the same.

# The installed session's limit at the prompt, in seconds.
espera() { na_maquina sed -n 's/^espera=//p' /usr/libexec/testaropcao/sessao; }

ociosos() {
    local pasta=$1 espera
    espera=$(espera)
    mkdir -p "$pasta"
    agora >"$pasta/inicio"
    {
        estacao "ssh -N testaropcao@servidor" </dev/null >/dev/null 2>&1 ||
            agora >"$pasta/sem_sessao"
    } &
    # Its input stays open well past the limit, so that only the limit ends it.
    {
        estacao "$operar_em_pipe" < <(exec sleep $((espera * 2)) 2>/dev/null) >/dev/null 2>&1 ||
            agora >"$pasta/ocioso"
    } &
}

ociosos_vistos() {
    local pasta=$1 t ocio inicio espera
    inicio=$(cat "$pasta/inicio")
    espera=$(espera)
    ate $((espera + 30)) test -s "$pasta/ocioso" >/dev/null ||
        falha "$nome: a session left at the prompt is still open"
    t=$(($(cat "$pasta/sem_sessao") - inicio))
    ocio=$(($(cat "$pasta/ocioso") - inicio))
    if [ $t -ge 60000 ] || [ $ocio -lt $((espera * 1000 - 2000)) ] ||
        [ $ocio -ge $((espera * 1000 + 20000)) ]; then
        falha "$nome: a login without a session ended after $t ms, a silent session after $ocio ms"
    fi
    relatar "a login without a session ended after $(segundos $t) s," \
        "a silent session after $(segundos $ocio) s"
}
