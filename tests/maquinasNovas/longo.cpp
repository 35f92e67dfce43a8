// A ./app that writes a line, works SEGUNDOS seconds in silence (built with
// more than an operator may wait at the prompt), writes BYTES bytes of text
// that compresses little (built with more than the records' file system is
// given) and another line.
#include <cstdio>
#include <unistd.h>

#if !defined(SEGUNDOS) || !defined(BYTES)
#error "build with -DSEGUNDOS=N -DBYTES=N"
#endif

int main() {
    std::puts("um");
    std::fflush(stdout);
    sleep(SEGUNDOS);
    unsigned x = 1;
    for (long i = 1; i <= BYTES; i++) {
        x = x * 1103515245u + 12345u;
        std::putchar(i % 100 == 0 ? '\n' : '!' + static_cast<int>((x >> 16) % 90));
    }
    std::puts("dois");
}
