#!/bin/sh
# Installing and packaging as an operator would: cmake --install into a fresh
# prefix, the page rendered without a single groff warning, and the Debian
# package's contents, checked by lintian when it is there.
# Usage: pacote.sh BUILD_DIR
set -eu
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
falha() { echo "FAILED: $*"; exit 1; }

cmake --install "$build" --prefix "$tmp/prefixo" >/dev/null
[ -x "$tmp/prefixo/bin/testarOpcao" ] || falha "no bin/testarOpcao"
pagina=$tmp/prefixo/share/man/man1/testarOpcao.1
[ -f "$pagina" ] || falha "no share/man/man1/testarOpcao.1"
saida=$(printf '0\n' | "$tmp/prefixo/bin/testarOpcao")
[ "$saida" = "Escolha uma opção (1-9): Você escolheu a opção 0!
Opção inválida." ] || falha "the installed program said: $saida"
avisos=$(groff -man -ww -z "$pagina" 2>&1)
[ -z "$avisos" ] || falha "groff: $avisos"

(cd "$tmp" && cpack -G DEB --config "$build/CPackConfig.cmake" >/dev/null)
deb=$tmp/testaropcao_*_amd64.deb
conteudo=$(dpkg-deb -c $deb | awk '$1 !~ /^d/ {print $6}')
[ "$conteudo" = "./usr/bin/testarOpcao
./usr/share/doc/testaropcao/changelog.gz
./usr/share/doc/testaropcao/copyright
./usr/share/lintian/overrides/testaropcao
./usr/share/man/man1/testarOpcao.1.gz" ] || falha "package holds: $conteudo"
[ "$(dpkg-deb -f $deb Recommends)" = "docker.io | docker-ce-cli" ] || falha "docker client not recommended"
[ -z "$(dpkg-deb -f $deb Depends)" ] || falha "package depends on something"
# lintian's tags grow with each release: a finding fails only under the
# releases the package was reviewed with (Debian 12's and 13's), and is
# shown under any other.
if command -v lintian >/dev/null; then
    case $(lintian --version) in
    "Lintian v2.116."* | "Lintian v2.122."*) falhar=error,warning ;;
    *) falhar=none ;;
    esac
    achados=$(lintian --fail-on $falhar $deb 2>&1) || falha "lintian: $achados"
    [ -z "$achados" ] || echo "$(lintian --version), not reviewed, reports: $achados"
fi
echo "installed, page and package as expected"
