# testaropcao-operadores lancamentos: from sshd's and sudo's log lines, in
# order, one line for each of the account's sudo entries: the time (UTC),
# the key that logged in on that connection (or -) and the container, or
# what was refused.
function campo(padrao) { return match($0, padrao) ? substr($0, RSTART, RLENGTH) : "" }
$0 ~ "Accepted publickey for " conta " from " {
    for (i = 1; i < NF; i++) if ($i == "from") chave[$(i + 1) " " $(i + 3)] = $NF
    next
}
/@cee:\{"sudo":/ && $0 ~ "\"submituser\":\"" conta "\"" {
    t = substr(campo("\"iso8601\":\"[0-9]+Z"), 12)
    ligacao = substr(campo("\"SSH_CONNECTION=[^ \"]+ [0-9]+"), 17)
    argv = campo("\"runargv\":\\[[^]]*\\]")
    gsub(/"runargv":\[|\]|"/, "", argv)
    split(argv, a, ",")
    printf "%s-%s-%sT%s:%s:%sZ %s ", substr(t, 1, 4), substr(t, 5, 2), substr(t, 7, 2),
        substr(t, 9, 2), substr(t, 11, 2), substr(t, 13, 2), (ligacao in chave) ? chave[ligacao] : "-"
    if (/"accept":/) print a[3]
    else {
        # runargv holds the command as typed; sudo's own path is in command.
        sub(/^[^,]*/, substr(campo("\"command\":\"[^\"]*"), 12), argv)
        gsub(/,/, " ", argv)
        motivo = campo("\"reason\":\"[^\"]*")
        print "refused (" substr(motivo, 11) "): " argv
    }
}
