#!/bin/sh
# A site's Match block, read before the package's, and the package reinstalled;
# with no argument, the block gone and the account opened.
rm -f /etc/ssh/sshd_config.d/00-site.conf
[ $# = 0 ] || printf 'Match all\n    %s\n' "$*" >/etc/ssh/sshd_config.d/00-site.conf
systemctl try-restart ssh.service
if [ $# = 0 ]; then
    testaropcao-operadores abrir
else
    cd /root && apt-get install -y --reinstall ./testaropcao-operadores_*_all.deb
fi
