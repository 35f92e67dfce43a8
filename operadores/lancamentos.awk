# testaropcao-operadores lancamentos: das linhas de registro do sshd e do
# sudo, em ordem, uma linha para cada entrada da conta no sudo: a hora (UTC),
# a chave que entrou por aquela conexão (ou -) e o contêiner, ou o que foi
# recusado.
function campo(padrao) { return match($0, padrao) ? substr($0, RSTART, RLENGTH) : "" }
$0 ~ "Accepted publickey for " conta " from " {
    for (i = 1; i < NF; i++) if ($i == "from") chave[$(i + 1) " " $(i + 3)] = $NF
    next
}
/@cee:\{"sudo":/ && $0 ~ "\"submituser\":\"" conta "\"" {
    t = substr(campo("\"iso8601\":\"[0-9]+Z"), 12)
    conexao = substr(campo("\"SSH_CONNECTION=[^ \"]+ [0-9]+"), 17)
    argv = campo("\"runargv\":\\[[^]]*\\]")
    gsub(/"runargv":\[|\]|"/, "", argv)
    split(argv, a, ",")
    printf "%s-%s-%sT%s:%s:%sZ %s ", substr(t, 1, 4), substr(t, 5, 2), substr(t, 7, 2),
        substr(t, 9, 2), substr(t, 11, 2), substr(t, 13, 2), (conexao in chave) ? chave[conexao] : "-"
    if (/"accept":/) print a[3]
    else {
        # runargv tem o comando como foi digitado; o caminho do sudo está em command.
        sub(/^[^,]*/, substr(campo("\"command\":\"[^\"]*"), 12), argv)
        gsub(/,/, " ", argv)
        motivo = campo("\"reason\":\"[^\"]*")
        print "recusado (" substr(motivo, 11) "): " argv
    }
}
