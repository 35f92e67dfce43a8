"""End to end through a real container engine; tests/README.md says what.

Usage: e2e.py TESTAROPCAO BUILD_DIR SOURCE_DIR. Exits 77 (skipped) for a
reason it names; TESTAROPCAO_E2E_TOMAR=1 lets it take over someone's nine,
TESTAROPCAO_E2E_OBRIGATORIO=1 turns every skip into a failure."""

import functools
import getpass
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
from pathlib import Path

from lancador import PROGRAMA, PROMPT, REJEICAO, confirmacao

PULADO = 77
NOMES = [f"tamblevore_met{n:02d}_1" for n in range(1, 10)]
IMAGEM = "tamblevore/app:latest"
TOMAR = "TESTAROPCAO_E2E_TOMAR"
OBRIGATORIO = os.environ.get("TESTAROPCAO_E2E_OBRIGATORIO") == "1"
falhas = []


def rodar(*args, **opcoes):
    return subprocess.run(args, capture_output=True, timeout=300, **opcoes)


def verificar(certo, mensagem):
    if not certo:
        falhas.append(mensagem)
        print("FAILED:", mensagem)


def pular(razao):
    print("skipped:", razao)
    verificar(not OBRIGATORIO, f"must run here: {razao}")


def responde(n):
    """A run of option n when its container answers, on pipes."""
    app = f"Olá! Este ./app roda no contêiner {NOMES[n - 1]}.\n".encode()
    return app + PROMPT + confirmacao(n), b"", 0


def lancar(n, **env):
    r = rodar(*PROGRAMA, input=f"{n}\n".encode(), env={**os.environ, **env})
    return r.stdout, r.stderr, r.returncode


def inspecionar(nome, formato):
    return rodar("docker", "inspect", "-f", formato, nome).stdout.decode().strip()


@functools.cache
def podman():
    """Podman's docker: podman itself, no engine daemon, its own events."""
    return rodar("docker", "--version").stdout.startswith(b"podman ")


def composes():
    """Each Compose at hand once, even where both commands are one program.
    Under Podman, podman-compose: the others need Podman's API service."""
    if podman():
        return [["podman-compose"]] if shutil.which("podman-compose") else []
    encontrados, versoes = [], set()
    for compose in (["docker", "compose"], ["docker-compose"]):
        if not shutil.which(compose[0]):
            continue
        r = rodar(*compose, "version", "--short")
        versao = r.stdout.decode().strip().lstrip("v")
        if r.returncode == 0 and versao not in versoes:
            encontrados.append(compose)
            versoes.add(versao)
    return encontrados


def conteineres():
    r = rodar("docker", "ps", "-a", "--filter", "name=tamblevore_",
              "--format", "{{.Names}} {{.State}}")
    return sorted(r.stdout.decode().split("\n")[:-1])


def nove_em_execucao():
    return conteineres() == sorted(f"{n} running" for n in NOMES)


def execucoes(desde, ate):
    """Names of the containers that started an exec between two instants."""
    if podman():  # its --until may stop reading the log early; what is logged is what came before
        escolha = ["--stream=false", "--filter", "event=exec", "--format", "{{.Name}}"]
    else:
        escolha = ["--until", f"{ate:.3f}", "--filter", "event=exec_start",
                   "--format", "{{.Actor.Attributes.name}}"]
    r = rodar("docker", "events", "--since", f"{desde:.3f}", "--filter", "type=container", *escolha)
    return sorted(r.stdout.decode().split())


def opcoes():
    desde = time.time()
    for n in range(1, 10):
        r = lancar(n)
        verificar(r == responde(n), f"option {n}: {r}")
    time.sleep(0.5)  # events reach the log a moment after the exec
    verificar(execucoes(desde, time.time()) == NOMES, "not one exec into each container")

    desde = time.time()
    for entrada, n in [("0", 0), ("10", 10), ("-3", -3), ("x", 0)]:
        r = lancar(entrada)
        verificar(r == (PROMPT + confirmacao(n) + REJEICAO, b"", 0), f"invalid {entrada!r}: {r}")
    time.sleep(0.5)
    verificar(execucoes(desde, time.time()) == [], "an invalid option started something")


def privilegios():
    """What each of the nine runs as, read from its PID 1 on this machine."""
    for nome in NOMES:
        pid = inspecionar(nome, "{{.State.Pid}}")
        with open(f"/proc/{pid}/status") as f:
            estado = dict(linha.rstrip("\n").split(":\t", 1) for linha in f)
        uid, nnp = estado["Uid"].split(), estado["NoNewPrivs"]
        cap, limite = estado["CapEff"], estado["CapBnd"]
        print(f"  {nome} pid {pid}: Uid {' '.join(uid)}, CapEff {cap}, CapBnd {limite}, "
              f"NoNewPrivs {nnp}")
        # A non-root PID 1 has no effective capabilities anyway; the bounding
        # set shows whether they were dropped for whatever it might exec.
        verificar("0" not in uid and int(cap, 16) == 0 and int(limite, 16) == 0 and nnp == "1",
                  f"{nome} runs with privileges")
        limites = inspecionar(nome, "{{.HostConfig.PidsLimit}} {{.HostConfig.Memory}}")
        verificar(limites == "512 134217728", f"{nome}: tasks and memory limited to {limites}")


def queda(n):
    """A crash, not a stop: SIGKILL to the PID 1 from here."""
    nome = NOMES[n - 1]
    antes = inspecionar(nome, "{{.State.Pid}}")
    inicio = time.monotonic()
    os.kill(int(antes), signal.SIGKILL)
    de_volta = False
    while not de_volta and time.monotonic() - inicio < 30:
        time.sleep(0.02)
        estado, pid = inspecionar(nome, "{{.State.Status}} {{.State.Pid}}").split()
        de_volta = estado == "running" and pid not in ("0", antes)
    print(f"  {nome} back {time.monotonic() - inicio:.2f} s after SIGKILL to its PID 1")
    verificar(de_volta, f"{nome} did not come back after its PID 1 died")
    r = lancar(n)
    verificar(r == responde(n), f"option {n} after the crash: {r}")


def contrato(compose, fonte, pasta):
    """What the operator sees when a container or the engine is gone: exactly
    what the bare line shows on stderr, nothing of the launcher's own, exit 0."""
    parado, removido = NOMES[5], NOMES[6]
    casos = [  # state, option, break it, mend it, environment
        ("stopped", 6, ["docker", "stop", parado], ["docker", "start", parado], {}),
        ("removed", 7, ["docker", "rm", "-f", removido], [*compose, "up", "-d"], {}),
        ("engine unreachable", 2, None, None,
         {"CONTAINER_HOST" if podman() else "DOCKER_HOST": f"unix://{pasta}/ninguem.sock"}),
    ]
    for estado, n, quebrar, reparar, env in casos:
        if quebrar:
            verificar(rodar(*quebrar).returncode == 0, f"could not make it {estado}")
        linha = rodar("sh", "-c", f"docker exec {NOMES[n - 1]} ./app", env={**os.environ, **env})
        print(f"  {estado}: {linha.stderr.decode()!r}")
        verificar(linha.returncode != 0 and linha.stderr != b"", f"{estado}: the bare line worked")
        r = lancar(n, **env)
        verificar(r == (PROMPT + confirmacao(n), linha.stderr, 0), f"{estado}, option {n}: {r}")
        for m in (m for m in range(1, 10) if quebrar and m != n):
            r = lancar(m)
            verificar(r == responde(m), f"{estado}, option {m}: {r}")
        if reparar:
            verificar(rodar(*reparar, cwd=fonte).returncode == 0, f"could not mend {estado}")
    verificar(nove_em_execucao(), f"not the nine running again: {conteineres()}")


def por_ssh(pasta):
    """Option 5 with the engine reached as ssh://, through an sshd of the
    test's own on 127.0.0.1 and keys made for the run; ~/.ssh is not read."""
    if podman():  # not a skip: Podman's docker has no ssh:// engine to reach
        print("ssh: not under Podman, whose docker reaches others only through its API service")
        return
    sshd = shutil.which("sshd", path=f"/usr/sbin:/usr/local/sbin:{os.environ['PATH']}")
    ssh = shutil.which("ssh")
    if not sshd or not ssh:
        return pular("ssh: no sshd or ssh (Debian's openssh-server and openssh-client)")
    pasta = Path(pasta) / "ssh"
    (pasta / "bin").mkdir(parents=True)
    for chave in ("hospedeiro", "cliente"):
        rodar("ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-f", str(pasta / chave))
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        porta = s.getsockname()[1]
    hospedeiro = (pasta / "hospedeiro.pub").read_text()
    (pasta / "known_hosts").write_text(f"[127.0.0.1]:{porta} {hospedeiro}")
    (pasta / "bin" / "ssh").write_text(
        f"#!/bin/sh\nexec {ssh} -F none -i {pasta}/cliente -o IdentitiesOnly=yes "
        f"-o IdentityAgent=none -o UserKnownHostsFile={pasta}/known_hosts "
        "-o GlobalKnownHostsFile=/dev/null "
        '-o StrictHostKeyChecking=yes -o BatchMode=yes "$@"\n')
    (pasta / "bin" / "ssh").chmod(0o755)

    separacao = Path("/run/sshd")  # sshd insists on its privilege separation folder
    criada = os.geteuid() == 0 and not separacao.exists()
    if criada:
        separacao.mkdir(mode=0o755)
    with open(pasta / "sshd.log", "w+") as registro:
        opcoes = (f"ListenAddress=127.0.0.1:{porta} HostKey={pasta}/hospedeiro PidFile=none "
                  f"AuthorizedKeysFile={pasta}/cliente.pub StrictModes=no UsePAM=no "
                  "PasswordAuthentication=no KbdInteractiveAuthentication=no "
                  "PermitRootLogin=prohibit-password")
        argumentos = [sshd, "-D", "-e", "-f", "/dev/null", *(f"-o{o}" for o in opcoes.split())]
        servidor = subprocess.Popen(argumentos, stdout=registro, stderr=registro)
        try:
            if not a_escutar(porta, servidor):
                registro.seek(0)
                return pular(f"ssh: sshd did not start: {registro.read().strip()}")
            env = {"DOCKER_HOST": f"ssh://{getpass.getuser()}@127.0.0.1:{porta}",
                   "PATH": f"{pasta}/bin:{os.environ['PATH']}"}
            inicio = time.monotonic()
            r = lancar(5, **env)
            print(f"  option 5 through {env['DOCKER_HOST']}: {time.monotonic() - inicio:.2f} s")
            verificar(r == responde(5), f"option 5 over ssh: {r}")
        finally:
            servidor.terminate()
            servidor.wait()
            if criada:
                separacao.rmdir()


def a_escutar(porta, servidor):
    limite = time.monotonic() + 10
    while servidor.poll() is None and time.monotonic() < limite:
        with socket.socket() as s:
            if s.connect_ex(("127.0.0.1", porta)) == 0:
                return True
        time.sleep(0.05)
    return False


def percorrer(compose, build, fonte, pasta):
    """Up as subir brings them up, with this Compose."""
    print("compose:", " ".join(compose))
    inicio = time.monotonic()
    r = rodar(f"{fonte}/conteineres/motor.sh", "subir", f"{build}/conteineres/imagem.tar", fonte,
              " ".join(compose))
    print(f"  up: {time.monotonic() - inicio:.2f} s")
    verificar(r.returncode == 0, f"up failed: {r.stderr.decode()}")
    verificar(nove_em_execucao(), f"not the nine running: {conteineres()}")
    if falhas:
        return
    opcoes()
    privilegios()
    queda(4)
    contrato(compose, fonte, pasta)
    por_ssh(pasta)


def derrubar(compose, fonte):
    inicio = time.monotonic()
    r = rodar(*compose, "down", "--remove-orphans", cwd=fonte)
    print(f"  down: {time.monotonic() - inicio:.2f} s")
    verificar(r.returncode == 0, f"down failed: {r.stderr.decode()}")
    verificar(conteineres() == [], f"containers left behind: {conteineres()}")
    redes = rodar("docker", "network", "ls", "--filter", "name=tamblevore",
                  "--format", "{{.Name}}").stdout
    verificar(redes == b"", f"networks left behind: {redes!r}")


def razao_para_pular():
    if not shutil.which("docker"):
        return "no docker client on PATH"
    if rodar("docker", "info").returncode != 0:
        return "no container engine answers to 'docker info'"
    if not composes():
        return "no Compose: neither 'docker compose' nor 'docker-compose' works"
    if conteineres() and os.environ.get(TOMAR) != "1":
        return (f"{len(conteineres())} of the nine containers already exist, someone's own; "
                f"{TOMAR}=1 lets this test take them over and remove them")
    return None


def main():
    build, fonte = sys.argv[1:3]
    razao = razao_para_pular()
    if razao:
        pular(razao)
        return 1 if falhas else PULADO

    imagem_antes = rodar("docker", "image", "inspect", IMAGEM).returncode == 0
    inicio = time.monotonic()
    r = rodar("cmake", "--build", build, "--target", "imagem")
    print(f"image: {time.monotonic() - inicio:.2f} s")
    verificar(r.returncode == 0, f"image build failed: {r.stdout.decode()}{r.stderr.decode()}")

    with tempfile.TemporaryDirectory() as pasta:
        if podman():  # podman-docker's own switch for the notice it adds to every call's stderr
            Path(pasta, "containers").mkdir()
            Path(pasta, "containers", "nodocker").touch()
            os.environ["XDG_CONFIG_HOME"] = pasta
        for i, compose in enumerate(composes() if not falhas else []):
            try:
                percorrer(compose, build, fonte, os.path.join(pasta, str(i)))
            finally:
                derrubar(compose, fonte)
    if not imagem_antes:
        rodar("docker", "image", "rm", IMAGEM)
    print(f"{len(falhas)} failed" if falhas else "all checks passed")
    return 1 if falhas else 0


if __name__ == "__main__":
    sys.exit(main())
