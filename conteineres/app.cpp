// ./app of every container: says which of the nine it runs in. Each container
// carries its own name as host name, so one image serves all nine.
#include <cstdio>
#include <sys/utsname.h>

int main() {
    utsname sistema{};
    if (uname(&sistema) != 0) {
        std::perror("app: uname");
        return 1;
    }
    std::printf("Olá! Este ./app roda no contêiner %s.\n", sistema.nodename);
    return 0;
}
