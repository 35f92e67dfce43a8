"""End to end through a real container engine: import the image, bring the
nine containers up with each Compose at hand, run the launcher into every one
of them, and take everything down again whatever happened.

Usage: e2e.py TESTAROPCAO BUILD_DIR SOURCE_DIR. Exits 77 (skipped) when no
engine answers."""

import shutil
import subprocess
import sys
import time

from lancador import PROGRAMA, PROMPT, REJEICAO, confirmacao

SALTADO = 77
NOMES = [f"tamblevore_met{n:02d}_1" for n in range(1, 10)]
falhas = []


def correr(*args, **opcoes):
    return subprocess.run(args, capture_output=True, timeout=300, **opcoes)


def verificar(certo, mensagem):
    if not certo:
        falhas.append(mensagem)
        print("FALHOU:", mensagem)


def composes():
    encontrados = []
    if correr("docker", "compose", "version").returncode == 0:
        encontrados.append(["docker", "compose"])
    if shutil.which("docker-compose"):
        encontrados.append(["docker-compose"])
    return encontrados


def conteineres():
    r = correr("docker", "ps", "-a", "--filter", "name=tamblevore_",
               "--format", "{{.Names}} {{.State}}")
    return sorted(r.stdout.decode().split("\n")[:-1])


def execucoes(desde, ate):
    """Names of the containers that started an exec between two instants."""
    r = correr("docker", "events", "--since", f"{desde:.3f}", "--until", f"{ate:.3f}",
               "--filter", "type=container", "--filter", "event=exec_start",
               "--format", "{{.Actor.Attributes.name}}")
    return sorted(r.stdout.decode().split())


def percorrer(programa, compose, fonte):
    print("compose:", " ".join(compose))
    inicio = time.monotonic()
    r = correr(*compose, "up", "-d", cwd=fonte)
    print(f"  up: {time.monotonic() - inicio:.2f} s")
    verificar(r.returncode == 0, f"up failed: {r.stderr.decode()}")
    verificar(conteineres() == sorted(f"{n} running" for n in NOMES),
              f"not the nine running: {conteineres()}")

    desde = time.time()
    for n, nome in enumerate(NOMES, start=1):
        r = correr(programa, input=f"{n}\n".encode())
        app = f"Olá! Este ./app corre no contêiner {nome}.\n".encode()
        verificar((r.stdout, r.stderr, r.returncode) == (app + PROMPT + confirmacao(n), b"", 0),
                  f"option {n}: {r}")
    time.sleep(0.5)  # events reach the log a moment after the exec
    verificar(execucoes(desde, time.time()) == NOMES, "not one exec into each container")

    desde = time.time()
    for entrada, n in [(b"0\n", 0), (b"10\n", 10), (b"-3\n", -3), (b"x\n", 0)]:
        r = correr(programa, input=entrada)
        verificar((r.stdout, r.stderr, r.returncode) == (PROMPT + confirmacao(n) + REJEICAO, b"", 0),
                  f"invalid {entrada!r}: {r}")
    time.sleep(0.5)
    verificar(execucoes(desde, time.time()) == [], "an invalid option started something")


def derrubar(compose, fonte):
    inicio = time.monotonic()
    r = correr(*compose, "down", "--remove-orphans", cwd=fonte)
    print(f"  down: {time.monotonic() - inicio:.2f} s")
    verificar(r.returncode == 0, f"down failed: {r.stderr.decode()}")
    verificar(conteineres() == [], f"containers left behind: {conteineres()}")
    redes = correr("docker", "network", "ls", "--filter", "name=tamblevore",
                   "--format", "{{.Name}}").stdout
    verificar(redes == b"", f"networks left behind: {redes!r}")


def main():
    build, fonte = sys.argv[1:3]
    if correr("docker", "info").returncode != 0:
        print("skipped: no container engine answers to 'docker info'")
        return SALTADO
    lista = composes()
    verificar(lista != [], "the engine answers but no Compose was found")

    inicio = time.monotonic()
    r = correr("cmake", "--build", build, "--target", "imagem")
    print(f"image: {time.monotonic() - inicio:.2f} s")
    verificar(r.returncode == 0, f"image build failed: {r.stdout.decode()}{r.stderr.decode()}")

    for compose in lista if not falhas else []:
        try:
            percorrer(PROGRAMA, compose, fonte)
        finally:
            derrubar(compose, fonte)
    print(f"{len(falhas)} failed" if falhas else "all checks passed")
    return 1 if falhas else 0


if __name__ == "__main__":
    sys.exit(main())
