// A ./app that writes a line, works 125 s in silence (longer than an
// operator may wait at the prompt) and writes another.
#include <cstdio>
#include <unistd.h>

int main() {
    std::puts("um");
    std::fflush(stdout);
    sleep(125);
    std::puts("dois");
}
