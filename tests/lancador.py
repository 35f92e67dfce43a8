"""Runs the built testarOpcao with the stand-in docker first on PATH."""

import os
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

# The program under test: [--emulador=EMULATOR] PROGRAM, the emulator (e.g.
# qemu-aarch64-static) for another architecture's build; resolved now, as tests change PATH.
EMULADOR = []
if sys.argv[1:2] and sys.argv[1].startswith("--emulador="):
    EMULADOR = [shutil.which(sys.argv.pop(1).split("=", 1)[1])]
PROGRAMA = EMULADOR + [os.path.abspath(sys.argv.pop(1))] if len(sys.argv) > 1 else None
FALSO = Path(__file__).resolve().parent / "falso"

PROMPT = "Escolha uma opção (1-9): ".encode()
REJEICAO = "Opção inválida.\n".encode()
SAIDA_DOCKER = "docker falso: saída\n".encode()
ERRO_DOCKER = "docker falso: erro\n".encode()


def confirmacao(n):
    return f"Você escolheu a opção {n}!\n".encode()


def chamada(n):
    """What the stand-in records for option n."""
    return f"[exec][tamblevore_met{n:02d}_1][./app]\n".encode()


def saida_esperada(n):
    """Bytes on a non-terminal stdout for confirmed number n: the command's
    output first, the dialogue's texts when the process exits."""
    if 1 <= n <= 9:
        return SAIDA_DOCKER + PROMPT + confirmacao(n)
    return PROMPT + confirmacao(n) + REJEICAO


def esperado(n):
    """(stdout, stderr, exit status, docker calls) of a run on pipes that
    confirmed n."""
    if 1 <= n <= 9:
        return saida_esperada(n), ERRO_DOCKER, 0, chamada(n)
    return saida_esperada(n), b"", 0, b""


class Pasta:
    """A scratch folder holding the stand-in's record of calls."""

    def __init__(self):
        self._tmp = tempfile.TemporaryDirectory()
        self.caminho = Path(self._tmp.name)
        self.registro = self.caminho / "registro"

    def ambiente(self, path=None, **extra):
        env = {"PATH": path or f"{FALSO}:/usr/bin:/bin",
               "REGISTRO_DOCKER": str(self.registro), "LC_ALL": "C"}
        env.update(extra)
        return env

    def chamadas(self):
        return self.registro.read_bytes() if self.registro.exists() else b""

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self._tmp.cleanup()


def executar(entrada, **extra):
    """One run on pipes: (stdout, stderr, exit status, docker calls)."""
    with Pasta() as pasta:
        r = subprocess.run(PROGRAMA, input=entrada, capture_output=True,
                           env=pasta.ambiente(**extra), timeout=60)
        return r.stdout, r.stderr, r.returncode, pasta.chamadas()
