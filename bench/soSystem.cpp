// The least a launcher through the shell can cost: one static process whose
// only work is the system() call, with no dialogue at all.
#include <cstdlib>

int main() {
    return std::system("docker exec tamblevore_met03_1 ./app"); // NOLINT(cert-env33-c)
}
