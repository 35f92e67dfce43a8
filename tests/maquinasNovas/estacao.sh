# shellcheck shell=bash
# shellcheck disable=SC2154 # the machine and the run (nome, tmp, motor...) are principal.sh's
# This machine as the workstation of the server: the administrator's
# account there, the operators' keys, and an ssh config made for the run.

administrador() {
    rm -rf "${tmp:?}/casa" "${tmp:?}/bin" "$tmp"/chave*
    mkdir -p "$tmp/casa" "$tmp/bin"
    ssh-keygen -q -t ed25519 -N "" -C "testarOpcao $nome" -f "$tmp/chave-administrador"
    na_maquina sh -c "useradd -m ${remota:+-G docker} administrador &&
        mkdir -m 700 ~administrador/.ssh &&
        echo '$(cat "$tmp/chave-administrador.pub")' >~administrador/.ssh/authorized_keys &&
        chown -R administrador: ~administrador/.ssh"
    echo "servidor $(na_maquina cat /etc/ssh/ssh_host_ed25519_key.pub)" >"$tmp/known_hosts"
    printf '#!/bin/sh\nexec /usr/bin/ssh -F %s "$@"\n' "$tmp/ssh_config" >"$tmp/bin/ssh"
    chmod 755 "$tmp/bin/ssh"
    sed "s|@tmp@|$tmp|g; s|@endereco@|$(endereco)|" "$aqui/ssh_config.in" >"$tmp/ssh_config"
}

# The README's operator, one from the release before, one added, one with a
# certificate from a CA of the run's.
chaves() {
    local k
    for k in testaropcao:operador antigo outro certificado; do
        ssh-keygen -q -t ed25519 -N "" -C "${k#*:} $nome" -f "$tmp/chave-${k%:*}"
    done
    ssh-keygen -q -t ed25519 -N "" -C ca -f "$tmp/ca"
    ssh-keygen -q -s "$tmp/ca" -I "quem quiser" -n testaropcao "$tmp/chave-certificado.pub"
}
