"""The read against a small model of its rules, over a few thousand random
and adversarial inputs from a fixed seed."""

import random
import unittest
from concurrent.futures import ThreadPoolExecutor

from lancador import esperado, executar

BRANCOS = b" \t\n\v\f\r"
SEMENTE = 20261208
QUANTOS = 2000


def modelo(entrada):
    """White space, an optional sign, decimal digits; no digits read as 0 and
    the value is held to the signed 32-bit range."""
    resto = entrada.lstrip(BRANCOS)
    sinal = -1 if resto[:1] == b"-" else 1
    if resto[:1] in (b"-", b"+"):
        resto = resto[1:]
    digitos = resto[:len(resto) - len(resto.lstrip(b"0123456789"))]
    valor = sinal * int(digitos) if digitos else 0
    return max(-2**31, min(2**31 - 1, valor))


def entradas():
    sorteio = random.Random(SEMENTE)
    pecas = [b"0", b"1", b"5", b"9", b"+", b"-", b" ", b"\t", b"\n", b"\v", b"\r",
             b"x", b"a", b";", b"\x00", b"\xc3\xa7", b"\xff", b"\x85", b"\xa0"]
    limites = [2**31 - 1, 2**31, 2**32 - 1, 2**32, 2**32 + 1, 2**63, 2**64 + 1, 10**30]
    for _ in range(QUANTOS):
        if sorteio.random() < 0.7:
            yield b"".join(sorteio.choices(pecas, k=sorteio.randint(0, 12)))
        else:
            numero = sorteio.choice(limites) + sorteio.randint(-10, 10)
            yield (sorteio.choice([b"", b" ", b"\n\t"]) + sorteio.choice([b"", b"+", b"-"])
                   + b"0" * sorteio.randint(0, 30) + str(numero).encode()
                   + sorteio.choice([b"", b"\n", b"7", b"x"]))


class Diferencial(unittest.TestCase):

    def test_leitura_segue_o_modelo(self):
        casos = list(entradas())
        with ThreadPoolExecutor(max_workers=4) as grupo:
            resultados = list(grupo.map(executar, casos))
        for entrada, resultado in zip(casos, resultados):
            self.assertEqual(resultado, esperado(modelo(entrada)), entrada)


if __name__ == "__main__":
    unittest.main()
