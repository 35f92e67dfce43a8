# What an outsider makes sshd log before any authentication: TEXT as a
# disconnect message's or, with kex, as the one key exchange method offered.
# Usage: desligar.py ADDRESS TEXT [kex]
import socket
import sys

import paramiko

transporte = paramiko.Transport(socket.create_connection((sys.argv[1], 22)))
if sys.argv[3:] == ["kex"]:
    # paramiko offers only methods it knows, and sends disconnects of its own
    # words only; these are the test's.
    transporte._preferred_kex = (sys.argv[2],)
    try:
        transporte.start_client()
    except paramiko.SSHException:
        pass
else:
    transporte.start_client()
    mensagem = paramiko.Message()
    mensagem.add_byte(paramiko.common.cMSG_DISCONNECT)
    mensagem.add_int(11)
    mensagem.add_string(sys.argv[2])
    mensagem.add_string("")
    transporte._send_message(mensagem)
transporte.close()
