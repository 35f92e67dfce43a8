"""What one launch costs, as a whole process, next to what an operator could
run instead: the bare shell line the launcher hands over, and the same
dialogue as a shell menu under dash and under bash. First with a docker that
exits at once, then, when an engine answers, with the real docker exec into
a running container.

A static program that does nothing but the same system() call shows how much
of the difference is the launcher's own.

Usage: medir.py TESTAROPCAO SOSYSTEM BUILD_DIR"""

import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

PROGRAMA, SO_SYSTEM, BUILD = (os.path.abspath(a) for a in sys.argv[1:4])
LINHA = "docker exec tamblevore_met03_1 ./app"
MENU = """printf 'Escolha uma opção (1-9): '
read opcao
printf 'Você escolheu a opção %d!\\n' "$opcao"
case $opcao in
    [1-9]) docker exec tamblevore_met0${opcao}_1 ./app ;;
    *) echo 'Opção inválida.' ;;
esac
"""
VARIANTES = {
    "sh -c (bare line)": ["/bin/sh", "-c", LINHA],
    "system() alone": [SO_SYSTEM],
    "testarOpcao": [PROGRAMA],
    "dash menu": ["/bin/dash", "-c", MENU],
    "bash menu": ["/bin/bash", "-c", MENU],
}


def uma_vez(argv, entrada, env):
    """Wall time of one run, in ms."""
    with open(entrada, "rb") as dentro, open(os.devnull, "wb") as fora:
        inicio = time.perf_counter_ns()
        pid = os.posix_spawn(argv[0], argv, env, file_actions=[
            (os.POSIX_SPAWN_DUP2, dentro.fileno(), 0),
            (os.POSIX_SPAWN_DUP2, fora.fileno(), 1),
            (os.POSIX_SPAWN_DUP2, fora.fileno(), 2)])
        _, estado = os.waitpid(pid, 0)
        duracao = time.perf_counter_ns() - inicio
    if os.waitstatus_to_exitcode(estado) != 0:
        sys.exit(f"{argv[0]} failed")
    return duracao / 1e6


def comparar(titulo, env, vezes, entrada):
    """Runs the variants round-robin so that drift hits all alike."""
    tempos = {nome: [] for nome in VARIANTES}
    for _ in range(vezes):
        for nome, argv in VARIANTES.items():
            tempos[nome].append(uma_vez(argv, entrada, env))
    print(f"\n{titulo}: median and interquartile range of {vezes} runs, ms")
    base = statistics.median(tempos["sh -c (bare line)"])
    lancador = statistics.median(tempos["testarOpcao"])
    for nome, t in tempos.items():
        q1, mediana, q3 = statistics.quantiles(t, n=4)
        print(f"  {nome:<18} {mediana:8.3f}  [{q1:.3f} .. {q3:.3f}]  "
              f"x{mediana / base:.3f} of the bare line")
    for nome in ("dash menu", "bash menu"):
        print(f"  testarOpcao / {nome}: x{lancador / statistics.median(tempos[nome]):.3f}")


def memoria(entrada, pasta):
    """The launcher's own peak, read by a docker stand-in from /proc while the
    launcher waits for it. (A child's rusage would count the spawner's pages.)"""
    espia = os.path.join(pasta, "espia")
    os.mkdir(espia)
    with open(os.path.join(espia, "docker"), "w") as f:
        f.write('#!/bin/sh\nread -r _ _ _ lancador _ </proc/$PPID/stat\n'
                'grep VmHWM /proc/$lancador/status\n')
    os.chmod(os.path.join(espia, "docker"), 0o755)
    with open(entrada, "rb") as dentro:
        r = subprocess.run([PROGRAMA], stdin=dentro, capture_output=True,
                           env={"PATH": f"{espia}:/usr/bin:/bin"}, check=True)
    return max(int(linha.split()[1]) for linha in r.stdout.splitlines()
               if linha.startswith(b"VmHWM:"))


def alvo(nome):
    subprocess.run(["cmake", "--build", BUILD, "--target", nome], check=True, capture_output=True)


def em_execucao():
    r = subprocess.run(["docker", "inspect", "-f", "{{.State.Running}}", "tamblevore_met03_1"],
                       capture_output=True)
    return r.stdout == b"true\n"


def main():
    with tempfile.TemporaryDirectory() as pasta:
        entrada = os.path.join(pasta, "entrada")
        with open(entrada, "w") as f:
            f.write("3\n")
        os.symlink(shutil.which("true"), os.path.join(pasta, "docker"))
        print(f"testarOpcao peak resident memory: {memoria(entrada, pasta)} KiB")
        comparar("docker that exits at once", {"PATH": f"{pasta}:/usr/bin:/bin"}, 500, entrada)

        if subprocess.run(["docker", "info"], capture_output=True).returncode != 0:
            print("\nreal engine: skipped, no engine answers to 'docker info'")
            return
        subiu = not em_execucao()
        if subiu:
            alvo("subir")
        try:
            comparar("real docker exec into tamblevore_met03_1", dict(os.environ), 100, entrada)
        finally:
            if subiu:
                alvo("parar")


if __name__ == "__main__":
    main()
