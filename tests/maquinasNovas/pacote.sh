# shellcheck shell=bash
# shellcheck disable=SC2154 # the machine and the run (nome, tmp, motor...) are principal.sh's
# The Install command, and its packages checked, tested as installed, and
# installed and purged by piuparts.

# piuparts, in the machine: the launcher's package alone and with the
# operators', while a process of each uid the account could get (100 to
# 199) runs outside the chroot; every one must live through it.
piuparts_dos_dois() {
    cat <<FIM
apt-get install -y piuparts >/dev/null
for u in \$(seq 100 199); do
    setpriv --reuid=\$u --regid=\$u --clear-groups sleep 900 </dev/null >/dev/null 2>&1 &
done
for debs in ../testaropcao_*_amd64.deb \
    '../testaropcao_*_amd64.deb ../testaropcao-operadores_*_all.deb'; do
    if ! piuparts --scriptsdir /etc/piuparts/scripts -d $suite -m $(espelho) --no-upgrade-test \
        \$debs >/tmp/piuparts 2>&1; then
        tail -40 /tmp/piuparts
        pkill -x sleep
        exit 1
    fi
    echo "piuparts \$(echo \$debs | sed 's|../||g; s|_[^ ]*||g'):" \
        "\$(grep -o 'PASS: All tests' /tmp/piuparts)"
done
[ \$(pkill -c -x sleep) = 100 ]
FIM
}

# Install alone: the packages built, the launcher's installed.
instalar() { passo package "$(readme instalar)" </dev/null; }

empacotar() {
    instalar
    if [ "$motor" != docker ]; then
        echo "   skipped, package check and autopkgtest: trixie's machine checks the same packages"
        return
    fi
    passo "package check" 'tests/pacote.sh ../testaropcao_*_$(dpkg --print-architecture).changes' \
        </dev/null
    passo autopkgtest "apt-get install -y autopkgtest &&
        autopkgtest --no-built-binaries . -- null" </dev/null
    passo piuparts "$(piuparts_dos_dois)" </dev/null
}
