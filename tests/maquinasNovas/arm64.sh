# shellcheck shell=bash
# shellcheck disable=SC2154 # the machine and the run (nome, tmp, motor...) are principal.sh's
# The machine that only builds: the package, the arm64 package, its
# program under qemu, and both architectures built again by reprotest,
# which must also match the packages Install made.

cruzar() {
    local arq soma bloco
    instalar
    passo "arm64 package" "$(readme instalar-arm64)" </dev/null
    passo "arm64 package check" "apt-get install -y lintian &&
        tests/pacote.sh ../testaropcao_*_arm64.changes" </dev/null
    # The emulator by name, without binfmt-support: the kernel is left alone.
    passo "arm64 under qemu" "apt-get install -y --no-install-recommends qemu-user-static &&
        dpkg-deb -x ../testaropcao_*_arm64.deb /tmp/arm64 &&
        for t in dialogo diferencial; do
            python3 tests/\$t.py --emulador=qemu-aarch64-static /tmp/arm64/usr/bin/testarOpcao
        done" </dev/null
    [ ! -e /proc/sys/fs/binfmt_misc/qemu-aarch64 ] ||
        falha "a binfmt handler for aarch64 was registered"
    for arq in amd64 arm64; do
        if [ $arq = amd64 ]; then bloco=reproduzir; else bloco=reproduzir-arm64; fi
        passo "same bit for bit, $arq" "set -o pipefail
            { $(readme $bloco); } | tee /tmp/reprotest" </dev/null
        soma=$(na_maquina sh -c "sha256sum ../testaropcao_*_$arq.deb" | cut -c1-64)
        na_maquina grep -q "^$soma " /tmp/reprotest ||
            falha "$nome: the README's $arq build differs from reprotest's"
    done
}
