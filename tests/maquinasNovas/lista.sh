# shellcheck shell=bash
# shellcheck disable=SC2154 # the machine and the run (nome, tmp, motor...) are principal.sh's
# The launch list: two more operators launch, and the list must end with
# their keys' fingerprints and containers, and hold sudo's refusals.

impressao() { ssh-keygen -lf "$1" | cut -d' ' -f2; }

# A docker command sudo does not allow the account, as a way in tries it.
sudo_recusou() { ! na_maquina runuser -u testaropcao -- sudo -n docker ps >/dev/null 2>&1; }

lista() {
    local antigo outro
    antigo=$(impressao "$tmp/chave-antigo.pub")
    outro=$(impressao "$tmp/chave-outro.pub")
    sudo_recusou
    estacao "ssh -T testaropcao@antigo" <<<6 >/dev/null
    estacao "ssh -T testaropcao@outro" <<<7 >/dev/null
    na_maquina sh -c "$(readme operadores-lancamentos)" >"$tmp/lista"
    if ! tail -2 "$tmp/lista" | cut -d' ' -f2- |
        cmp -s - <(printf '%s tamblevore_met0%s_1\n' "$antigo" 6 "$outro" 7) ||
        ! grep -q ' recusado (command not allowed): /usr/bin/docker ps$' "$tmp/lista"; then
        falha "$nome: the launch list: $(cat "$tmp/lista")"
    fi
    tail -2 "$tmp/lista" | sed 's/^/   launch list: /'
}
