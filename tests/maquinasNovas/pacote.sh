# The Install commands; cruzar on the machine that only builds.

empacotar() {
    passo package "$(readme instalar)" </dev/null
    if [ "$motor" != docker ]; then
        echo "   skipped, package check and autopkgtest: trixie's machine checks the same packages"
        return
    fi
    passo "package check" 'tests/pacote.sh ../testaropcao_*_$(dpkg --print-architecture).changes' </dev/null
    passo autopkgtest "apt-get install -y autopkgtest && autopkgtest --no-built-binaries . -- null" </dev/null
    # A process of each uid the account could get runs outside the chroot.
    passo piuparts "apt-get install -y piuparts >/dev/null && for u in \$(seq 100 199); do
        setpriv --reuid=\$u --regid=\$u --clear-groups sleep 900 </dev/null >/dev/null 2>&1 & done
        for debs in ../testaropcao_*_amd64.deb '../testaropcao_*_amd64.deb ../testaropcao-operadores_*_all.deb'; do
            piuparts --scriptsdir /etc/piuparts/scripts -d $suite -m $(espelho) --no-upgrade-test \$debs >/tmp/piuparts 2>&1 &&
                echo \"piuparts \$(echo \$debs | sed 's|../||g; s|_[^ ]*||g'): \$(grep -o 'PASS: All tests' /tmp/piuparts)\" ||
                { tail -40 /tmp/piuparts; pkill -x sleep; exit 1; }
        done; [ \$(pkill -c -x sleep) = 100 ]" </dev/null
}

cruzar() {
    local arq soma bloco
    passo package "$(readme instalar)" </dev/null
    passo "arm64 package" "$(readme instalar-arm64)" </dev/null
    passo "arm64 package check" "apt-get install -y lintian && tests/pacote.sh ../testaropcao_*_arm64.changes" </dev/null
    # The emulator by name, without binfmt-support: the kernel is left alone.
    passo "arm64 under qemu" "apt-get install -y --no-install-recommends qemu-user-static &&
        dpkg-deb -x ../testaropcao_*_arm64.deb /tmp/arm64 &&
        python3 tests/dialogo.py --emulador=qemu-aarch64-static /tmp/arm64/usr/bin/testarOpcao &&
        python3 tests/diferencial.py --emulador=qemu-aarch64-static /tmp/arm64/usr/bin/testarOpcao" </dev/null
    [ ! -e /proc/sys/fs/binfmt_misc/qemu-aarch64 ] || falha "a binfmt handler for aarch64 was registered"
    # reprotest's builds must also be the one the README's build made.
    for arq in amd64 arm64; do
        [ $arq = amd64 ] && bloco=reproduzir || bloco=reproduzir-arm64
        passo "same bit for bit, $arq" "set -o pipefail; $(readme $bloco) | tee /tmp/reprotest" </dev/null
        soma=$(na_maquina sh -c "sha256sum ../testaropcao_*_$arq.deb" | cut -c1-64)
        na_maquina grep -q "^$soma " /tmp/reprotest || falha "$nome: the README's $arq build differs from reprotest's"
    done
}
