# testaropcao-operadores lancamentos: uma linha para cada entrada da conta
# no sudo e cada recusa do docker da conta: a hora (UTC), quem (a impressão
# digital da chave, ou ID=identificação,serial=número do certificado, ou -)
# e o contêiner, com a gravação que o sudoreplay reproduz, ou o que foi
# recusado. O primeiro arquivo é o do sudo, que o escreve como JSON, um
# campo por linha: a linha de um campo começa pelo recuo e pelo nome que o
# sudo lhe dá, e o texto de fora vem sempre escapado, sem aspas nem quebras
# de linha cruas. O segundo, o journal em JSON, uma entrada por linha: só
# as do uid da conta com a marca testaropcao. Antes deles, as gravações que
# não se reproduzem, "CAMINHO vazia" ou "CAMINHO incompleta", que saem no
# lugar do caminho.
# O texto de um campo ("nome": "texto") ou de um elemento de lista ("texto").
function valor(linha) {
    sub(/^ *"[a-z0-9_]+": "/, "", linha)
    return texto(linha)
}
function item(linha) {
    sub(/^ *"/, "", linha)
    return texto(linha)
}
function texto(s) {
    sub(/",?$/, "", s)
    gsub(/[[:cntrl:]]/, "?", s)
    return s
}
function inicio(t, quem) {
    return sprintf("%s-%s-%sT%s:%s:%sZ %s ", substr(t, 1, 4), substr(t, 5, 2),
        substr(t, 7, 2), substr(t, 9, 2), substr(t, 11, 2), substr(t, 13, 2), pessoa(quem))
}
# O operador como a sessão o entregou: "chave IMPRESSÃO" ou "certificado
# CA SÉRIE IDENTIFICAÇÃO"; a identificação, de quem pediu o certificado,
# sai sem espaços.
function pessoa(quem,   p, id) {
    if (quem ~ /^chave [^ ]+$/) return substr(quem, 7)
    if (quem !~ /^certificado [^ ]+ [0-9]+ /) return "-"
    split(quem, p, " ")
    id = quem
    sub(/^certificado [^ ]+ [0-9]+ /, "", id)
    gsub(/ /, "\\x20", id)
    gsub(/,/, "\\x2c", id)
    return "ID=" id ",serial=" p[3]
}
function campo(nome,   r) {
    r = "\"" nome "\":\"([^\"\\\\]|\\\\.)*\""
    if (!match($0, "(^\\{|,)" r)) return ""
    r = substr($0, RSTART, RLENGTH)
    sub(/^[{,]"[^"]*":"/, "", r)
    return texto(r)
}

FILENAME == gravacoes {
    estado[$1] = $2
    next
}
FILENAME == recusas {
    if (campo("_UID") != uid || campo("SYSLOG_IDENTIFIER") != "testaropcao") next
    m = campo("MESSAGE")
    if (!match(m, /^recusado \([^)]*\) [0-9]+Z operador=/)) next
    motivo = substr(m, 1, index(m, ") "))
    t = substr(m, index(m, ") ") + 2, 15)
    quem = substr(m, RLENGTH + 1)
    if (!match(quem, / \/usr\/bin\/docker [^ ]+ [^ ]+ [^ ]+$/)) next
    linhas[++n] = inicio(t, substr(quem, 1, RSTART - 1)) motivo ": " substr(quem, RSTART + 1)
    next
}
/^    "(accept|reject)": \{$/ {
    evento = $1 == "\"accept\":" ? "accept" : "reject"
    t = usuario = caminho = motivo = comando = quem = ""
    nargv = 0
    next
}
evento == "" { next }
/^        \],?$/ { lista = ""; next }
lista == "runargv" { argv[++nargv] = item($0); next }
lista != "" && /^            "TESTAROPCAO_OPERADOR=/ {
    quem = substr(item($0), 22)
    next
}
/^        "(runargv|runenv|submitenv)": \[$/ { lista = substr($1, 2, length($1) - 3); next }
/^            "iso8601": "[0-9]+Z",?$/ && t == "" { t = valor($0); next }
/^        "submituser": / { usuario = valor($0); next }
/^        "iolog_path": / { caminho = valor($0); next }
/^        "reason": / { motivo = valor($0); next }
/^        "command": / { comando = valor($0); next }
/^    \},?$/ {
    if (usuario == conta && evento == "accept") {
        linhas[++n] = inicio(t, quem) argv[3]
        # Passado o limite, o sudo grava por cima da mais antiga: o caminho
        # fica só com a última execução que o usou.
        gravacao[n] = caminho
        if (caminho != "") ultima[caminho] = n
    } else if (usuario == conta) {
        # runargv tem o comando como foi digitado; o caminho do sudo está em command.
        linha = inicio(t, quem) "recusado (" motivo "): " comando
        for (i = 2; i <= nargv; i++) linha = linha " " argv[i]
        linhas[++n] = linha
    }
    evento = ""
}
END {
    for (i = 1; i <= n; i++) {
        c = gravacao[i]
        if (ultima[c] != i) c = ""
        else if (c in estado) c = "(gravação " estado[c] ")"
        print linhas[i] (c != "" ? " " c : "")
    }
}
