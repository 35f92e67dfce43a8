# testaropcao-operadores lancamentos: das linhas de registro do sshd, do
# sudo e do docker da conta, em ordem, uma linha para cada entrada da conta
# no sudo: a hora (UTC), a chave que entrou por aquela conexão (ou -) e o
# contêiner, com a gravação que o sudoreplay reproduz, ou o que foi recusado.
function campo(padrao) { return match($0, padrao) ? substr($0, RSTART, RLENGTH) : "" }
function inicio(t, conexao) {
    return sprintf("%s-%s-%sT%s:%s:%sZ %s ", substr(t, 1, 4), substr(t, 5, 2),
        substr(t, 7, 2), substr(t, 9, 2), substr(t, 11, 2), substr(t, 13, 2),
        (conexao in chave) ? chave[conexao] : "-")
}
$0 ~ "Accepted publickey for " conta " from " {
    for (i = 1; i < NF; i++) if ($i == "from") chave[$(i + 1) " " $(i + 3)] = $NF
    next
}
# O docker da conta, quando o sudo recusou sem dizer nada por não poder gravar.
/recusado \([^)]*\) [0-9]+Z SSH_CONNECTION=/ {
    motivo = campo("recusado \\([^)]*\\)")
    t = campo("[0-9]+Z SSH_CONNECTION=")
    conexao = substr(campo("SSH_CONNECTION=[^ ]+ [0-9]+"), 16)
    linhas[++n] = inicio(t, conexao) motivo ": " substr($0, index($0, " /usr/bin/docker ") + 1)
}
/@cee:\{"sudo":/ && $0 ~ "\"submituser\":\"" conta "\"" {
    t = substr(campo("\"iso8601\":\"[0-9]+Z"), 12)
    conexao = substr(campo("\"SSH_CONNECTION=[^ \"]+ [0-9]+"), 17)
    argv = campo("\"runargv\":\\[[^]]*\\]")
    gsub(/"runargv":\[|\]|"/, "", argv)
    split(argv, a, ",")
    if (/"accept":/) {
        linhas[++n] = inicio(t, conexao) a[3]
        # Passado o limite, o sudo grava por cima da mais antiga: o caminho
        # fica só com a última execução que o usou.
        gravacao[n] = substr(campo("\"iolog_path\":\"[^\"]+"), 15)
        if (gravacao[n] != "") ultima[gravacao[n]] = n
    } else {
        # runargv tem o comando como foi digitado; o caminho do sudo está em command.
        sub(/^[^,]*/, substr(campo("\"command\":\"[^\"]*"), 12), argv)
        gsub(/,/, " ", argv)
        motivo = substr(campo("\"reason\":\"[^\"]*"), 11)
        linhas[++n] = inicio(t, conexao) "recusado (" motivo "): " argv
    }
}
END {
    for (i = 1; i <= n; i++) print linhas[i] (ultima[gravacao[i]] == i ? " " gravacao[i] : "")
}
