"""Reading a terminal's far side, for the tests that drive one."""

import os
import select
import time


def ler_ate(fd, fim, segundos=10):
    """Reads from fd until it yields `fim` at its end or closes."""
    dados = b""
    limite = time.monotonic() + segundos
    while not dados.endswith(fim) and time.monotonic() < limite:
        if not select.select([fd], [], [], 0.05)[0]:
            continue
        try:
            bloco = os.read(fd, 4096)
        except OSError:  # the pty's far side is closed
            break
        if not bloco:
            break
        dados += bloco
    return dados
