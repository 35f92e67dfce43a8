// A ./app that writes a line, works SEGUNDOS seconds in silence (built with
// more than an operator may wait at the prompt) and writes another.
#include <cstdio>
#include <unistd.h>

#ifndef SEGUNDOS
#error "build with -DSEGUNDOS=N"
#endif

int main() {
    std::puts("um");
    std::fflush(stdout);
    sleep(SEGUNDOS);
    std::puts("dois");
}
