# An outsider's SSH disconnect message, sent before any authentication,
# whose text sshd logs. Usage: desligar.py ADDRESS TEXT
import socket
import sys

import paramiko

transporte = paramiko.Transport(socket.create_connection((sys.argv[1], 22)))
transporte.start_client()
mensagem = paramiko.Message()
mensagem.add_byte(paramiko.common.cMSG_DISCONNECT)
mensagem.add_int(11)
mensagem.add_string(sys.argv[2])
mensagem.add_string("")
# paramiko sends a disconnect of its own words only; this one is the test's.
transporte._send_message(mensagem)
transporte.close()
