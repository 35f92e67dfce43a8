#!/bin/sh
# Every language by its field's own tools, their settings in their own files
# (.editorconfig, .shellcheckrc, setup.cfg, .clang-format), and no line over
# 100 columns but in captured logs. The templates are read as the build
# writes them. A tool's findings fail only under a release of it that is
# among the reviewed; under another they are shown and the check goes on.
#
# Usage: estilo.sh BUILD_DIR REVIEWED...
set -eu
fonte=$(cd "$(dirname "$0")/.." && pwd)
feito=$1
shift
revistos=" $* "
cd "$fonte"
falhas=0

# The tree's own files, as git has them or, in a copy without its history,
# as found; captured logs aside.
arquivos() {
    {
        git ls-files --cached --others --exclude-standard 2>/dev/null ||
            find . \( -path ./.git -o -path ./build \) -prune -o -type f -print | sed 's|^\./||'
    } | grep -v '^tests/registros/' | LC_ALL=C sort | while read -r f; do
        [ ! -f "$f" ] || echo "$f" # git still lists what is deleted but not committed
    done
}
# Shell: by name, or by a first line that runs sh or bash.
shells() {
    arquivos | while read -r f; do
        case $f in
        *.sh) echo "$f" ;;
        *) head -n 1 "$f" | grep -qE '^#!.*[/ ](ba)?sh( |$)' && echo "$f" ;;
        esac
    done
}

# Tool $1, at version $2, reported $3 (empty when clean).
achados() {
    [ -n "$3" ] || return 0
    printf '%s\n' "$3"
    case $revistos in
    *" $1-$2 "*)
        echo "FAILED: $1 $2 (reviewed) found the above"
        falhas=$((falhas + 1))
        ;;
    *) echo "$1 $2 is not among the reviewed:$revistos; its findings are not failures" ;;
    esac
}
versao() { sed -n 's/^[^0-9]*\([0-9][0-9]*\.[0-9][0-9]*\).*/\1/p;q'; }

# The templates as configured, beside the plain scripts.
modelos=$(shells | sed -n 's|^operadores/\(.*\)\.in$|'"$feito"'/operadores/\1|p')
scripts=$(shells | grep -v '\.in$')
# shellcheck disable=SC2086 # one file a word: no path here holds a space
achados shellcheck "$(shellcheck --version | sed -n 2p | versao)" \
    "$(shellcheck -f gcc $scripts $modelos 2>&1 || true)"
# The templates' sources: shfmt reads @VARS@ as words, as they are.
# shellcheck disable=SC2046 # one file a word
achados shfmt "$(shfmt --version | versao)" "$(shfmt -d $(shells) 2>&1 || true)"

pythons=$(arquivos | grep '\.py$')
# shellcheck disable=SC2086
achados pyflakes "$(pyflakes3 --version | versao)" \
    "$(pyflakes3 $pythons 2>&1 || true)"
# shellcheck disable=SC2086
achados pycodestyle "$(pycodestyle --version | versao)" \
    "$(pycodestyle $pythons 2>&1 || true)"

cpps=$(arquivos | grep '\.cpp$')
formato=$(clang-format --version | sed 's/.*version \([0-9]*\).*/\1/')
# shellcheck disable=SC2086
achados clang-format "$formato" "$(clang-format --dry-run $cpps 2>&1 || true)"

# Columns are characters, not bytes. Markdown is prose but for its commands.
# shellcheck disable=SC2046 # one file a word, as above
longas=$({
    arquivos | grep -v '\.md$' | tr '\n' '\0' | xargs -0 awk '{ print FILENAME ":" FNR ": " $0 }'
    awk '/^```/ { dentro = !dentro; next } dentro { print FILENAME ":" FNR ": " $0 }' \
        $(arquivos | grep '\.md$')
} | LC_ALL=C.UTF-8 grep -a '^[^:]*:[0-9]*: .\{101,\}$' || true)
[ -z "$longas" ] || {
    printf '%s\nFAILED: lines over 100 columns\n' "$longas"
    falhas=$((falhas + 1))
}
[ "$falhas" = 0 ] || exit 1
echo "shell, Python and C++ as their tools want them, no line over 100 columns"
