// PID 1 of every container: keeps it running, reaps whatever gets orphaned
// into it, and ends at once on SIGTERM or SIGINT so that stopping the nine
// never waits for the engine's kill timeout. As PID 1 it gets no default
// signal actions, so the signals are blocked and taken with sigwait.
#include <csignal>
#include <sys/wait.h>

int main() {
    sigset_t sinais;
    sigemptyset(&sinais);
    sigaddset(&sinais, SIGTERM);
    sigaddset(&sinais, SIGINT);
    sigaddset(&sinais, SIGCHLD);
    sigprocmask(SIG_BLOCK, &sinais, nullptr);
    for (;;) {
        int sinal = 0;
        if (sigwait(&sinais, &sinal) == 0 && sinal != SIGCHLD) {
            return 0;
        }
        while (waitpid(-1, nullptr, WNOHANG) > 0) {
        }
    }
}
