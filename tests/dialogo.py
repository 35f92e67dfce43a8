"""The dialogue at the process boundary: what is read, confirmed, launched,
and in which order the bytes come out on pipes, files and terminals."""

import os
import select
import signal
import subprocess
import time
import unittest

from leitura import ler_ate
from lancador import (ERRO_DOCKER, PROGRAMA, PROMPT, SAIDA_DOCKER, Pasta,
                      chamada, confirmacao, esperado, executar, saida_esperada)

MIB = 1 << 20

# input -> confirmed number; 1 to 9 launch that row, anything else is rejected
CASOS = [
    (b"3\n", 3), (b"0\n", 0), (b"-0\n", 0), (b"-4\n", -4), (b"10\n", 10),
    (b"+9\n", 9), (b"007\n", 7), (b"8", 8), (b"0x5\n", 0), (b"1.9\n", 1),
    (b"\n\n  \t2abc\n", 2), (b"5 6\n", 5), (b"\v\f\r 6\n", 6), (b"\n\n\n\n4", 4),
    # no integer where one is expected reads as 0
    (b"", 0), (b"\n \n", 0), (b"abc\n", 0), (b"-\n", 0), (b"+", 0),
    (b"+-3\n", 0), (b"- 3\n", 0), ("é 2\n".encode(), 0), (b"\x002\n", 0),
    # 32-bit bounds hold, beyond them the value saturates instead of wrapping
    (b"2147483647\n", 2147483647), (b"-2147483648\n", -2147483648),
    (b"2147483648\n", 2147483647), (b"-2147483649\n", -2147483648),
    (b"4294967297\n", 2147483647), (b"-4294967295\n", -2147483648),
    (b"18446744073709551617\n", 2147483647), (b"-" + b"9" * 40, -2147483648),
    # shell metacharacters after the number never reach the shell
    (b"1; touch pwned\n", 1), (b"3`touch pwned`\n", 3), (b"7$(touch pwned)|x&\n", 7),
    (b"2 && touch pwned\n", 2), (b"-1;touch pwned\n", -1),
    # megabytes before the number
    (b" " * (4 * MIB) + b"3\n", 3), (b"\n" * MIB + b"\t" * MIB + b"9", 9),
    (b"0" * (4 * MIB) + b"5\n", 5), (b"-" + b"0" * (4 * MIB) + b"1\n", -1),
    (b"9" * (2 * MIB) + b"\n", 2147483647),
]


class Dialogo(unittest.TestCase):

    def test_tabela(self):
        for entrada, n in CASOS:
            with self.subTest(entrada=entrada[:40], tamanho=len(entrada)):
                with Pasta() as pasta:
                    r = subprocess.run(PROGRAMA, input=entrada, capture_output=True,
                                       cwd=pasta.caminho, env=pasta.ambiente(), timeout=60)
                    self.assertEqual((r.stdout, r.stderr, r.returncode, pasta.chamadas()),
                                     esperado(n))
                    self.assertFalse((pasta.caminho / "pwned").exists())

    def test_saida_num_arquivo(self):
        with Pasta() as pasta:
            arquivo = pasta.caminho / "saida"
            with open(arquivo, "wb") as f:
                r = subprocess.run(PROGRAMA, input=b"1\n", stdout=f, stderr=subprocess.DEVNULL,
                                   env=pasta.ambiente())
            self.assertEqual(r.returncode, 0)
            self.assertEqual(arquivo.read_bytes(), SAIDA_DOCKER + PROMPT + confirmacao(1))

    def test_docker_ausente(self):
        with Pasta() as pasta:
            vazia = str(pasta.caminho)
            r = subprocess.run(PROGRAMA, input=b"4\n", capture_output=True,
                               env=pasta.ambiente(path=vazia))
            shell = subprocess.run(["sh", "-c", "docker exec tamblevore_met04_1 ./app"],
                                   executable="/bin/sh", capture_output=True,
                                   env=pasta.ambiente(path=vazia))
            self.assertNotEqual(shell.returncode, 0)
            self.assertEqual(r.stderr, shell.stderr)
            self.assertEqual(r.stdout, PROMPT + confirmacao(4))
            self.assertEqual(r.returncode, 0)

    def test_comando_que_falha(self):
        self.assertEqual(executar(b"6\n", DOCKER_FALSO="falhar"), esperado(6))


class Sinais(unittest.TestCase):

    def lancar_e_esperar(self, pasta):
        entrada = pasta.caminho / "entrada"
        entrada.write_bytes(b"2\n")
        with open(entrada, "rb") as f:
            p = subprocess.Popen(PROGRAMA, stdin=f, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                 start_new_session=True, env=pasta.ambiente(DOCKER_FALSO="esperar"))
        pronto = pasta.registro.with_suffix(".pronto")
        limite = time.monotonic() + 10
        while not pronto.exists() and time.monotonic() < limite:
            time.sleep(0.01)
        self.assertTrue(pronto.exists(), "the launch never started")
        return p

    def test_sinais_ao_programa_sao_ignorados(self):
        with Pasta() as pasta:
            p = self.lancar_e_esperar(pasta)
            os.kill(p.pid, signal.SIGINT)
            os.kill(p.pid, signal.SIGQUIT)
            time.sleep(0.1)
            self.assertIsNone(p.poll(), "the program died during the launch")
            pasta.registro.with_suffix(".continuar").touch()
            saida, erro = p.communicate(timeout=20)
            self.assertEqual((saida, erro, p.returncode), (saida_esperada(2), ERRO_DOCKER, 0))

    def test_interrupcao_do_grupo_termina_so_o_comando(self):
        with Pasta() as pasta:
            p = self.lancar_e_esperar(pasta)
            os.killpg(p.pid, signal.SIGINT)
            saida, erro = p.communicate(timeout=20)
            self.assertEqual((saida, erro, p.returncode), (saida_esperada(2), ERRO_DOCKER, 0))

    def test_interrupcao_na_leitura_perde_o_pendente(self):
        with Pasta() as pasta:
            p = subprocess.Popen(PROGRAMA, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                 env=pasta.ambiente())
            esperar_leitura(p.pid)
            p.send_signal(signal.SIGINT)
            saida, _ = p.communicate(timeout=20)
            self.assertEqual((saida, p.returncode), (b"", -signal.SIGINT))
            self.assertEqual(pasta.chamadas(), b"")


def esperar_leitura(pid):
    """Waits until the process sleeps, i.e. blocks in its read."""
    limite = time.monotonic() + 10
    while time.monotonic() < limite:
        with open(f"/proc/{pid}/stat") as f:
            if f.read().rsplit(")", 1)[1].split()[0] == "S":
                time.sleep(0.1)
                return
        time.sleep(0.01)
    raise AssertionError("the program never waited for input")


class Terminal(unittest.TestCase):

    def test_terminal_nos_dois_lados(self):
        with Pasta() as pasta:
            mestre, escravo = os.openpty()
            p = subprocess.Popen(PROGRAMA, stdin=escravo, stdout=escravo, stderr=escravo,
                                 start_new_session=True, env=pasta.ambiente())
            os.close(escravo)
            # the prompt shows before anything is typed
            self.assertEqual(ler_ate(mestre, PROMPT), PROMPT)
            os.write(mestre, b"3\n")
            resto = ler_ate(mestre, b"\0")  # everything until the far side closes
            p.wait(timeout=20)
            os.close(mestre)
            linhas = b"3\n" + confirmacao(3) + SAIDA_DOCKER + ERRO_DOCKER
            self.assertEqual(resto, linhas.replace(b"\n", b"\r\n"))
            self.assertEqual((p.returncode, pasta.chamadas()), (0, chamada(3)))

    def test_terminal_na_entrada_e_pipe_na_saida(self):
        with Pasta() as pasta:
            mestre, escravo = os.openpty()
            p = subprocess.Popen(PROGRAMA, stdin=escravo, stdout=subprocess.PIPE,
                                 stderr=subprocess.PIPE, start_new_session=True,
                                 env=pasta.ambiente())
            os.close(escravo)
            esperar_leitura(p.pid)
            self.assertEqual(select.select([p.stdout], [], [], 0.2)[0], [],
                             "something was written before the launch")
            os.write(mestre, b"3\n")
            saida, erro = p.communicate(timeout=20)
            os.close(mestre)
            self.assertEqual((saida, erro, p.returncode), (saida_esperada(3), ERRO_DOCKER, 0))


if __name__ == "__main__":
    unittest.main()
