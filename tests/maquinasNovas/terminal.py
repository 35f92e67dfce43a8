"""The operator's command on a real terminal: the prompt first, then what is
typed echoes and the launch follows; with a third argument, a Ctrl-C typed
while the launch waits. Prints what the terminal showed, with | between the
parts, and the command's exit status.

Usage: terminal.py COMMAND OPTION [interromper]"""

import os
import pty
import sys
import time

from leitura import ler_ate

comando, opcao, interromper = sys.argv[1], sys.argv[2].encode(), sys.argv[3:]
pid, fd = pty.fork()
if pid == 0:
    os.execvp("sh", ["sh", "-c", comando])
sys.stdout.buffer.write(ler_ate(fd, "(1-9): ".encode()) + b"|")
os.write(fd, opcao + b"\r")
if interromper:
    sys.stdout.buffer.write(ler_ate(fd, opcao + "!\r\n".encode()) + b"|")
    time.sleep(1)
    os.write(fd, b"\x03")
sys.stdout.buffer.write(ler_ate(fd, b"\0", 200))
estado = os.waitstatus_to_exitcode(os.waitpid(pid, 0)[1])
sys.stdout.buffer.write(b"|%d" % estado)
