// testarOpcao: asks the operator for an option from 1 to 9 and runs ./app in
// the matching container through the shell.
//
// Standard output keeps its default buffering and is never flushed here: on a
// terminal the texts show as they are written, into a file or a pipe they
// follow the launched command's output when the process exits.
#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cstddef>
#include <cstdio>
#include <cstdlib>

namespace {

// Row n - 1 is option n.
constexpr std::array<const char *, 9> comandos = {
    "docker exec tamblevore_met01_1 ./app",
    "docker exec tamblevore_met02_1 ./app",
    "docker exec tamblevore_met03_1 ./app",
    "docker exec tamblevore_met04_1 ./app",
    "docker exec tamblevore_met05_1 ./app",
    "docker exec tamblevore_met06_1 ./app",
    "docker exec tamblevore_met07_1 ./app",
    "docker exec tamblevore_met08_1 ./app",
    "docker exec tamblevore_met09_1 ./app",
};
constexpr int opcaoMinima = 1;
constexpr int opcaoMaxima = 9;
constexpr int base = 10;

// Magnitudes stop growing here: one past INT_MAX is enough to saturate either
// way, and it keeps the arithmetic far from overflow however long the numeral.
constexpr long long limite = static_cast<long long>(INT_MAX) + 1;

// Reads one optionally signed decimal integer from standard input as "%d"
// does, through stdio so that a terminal still sees the prompt first. Unlike
// "%d" it is defined for every input: no integer reads as 0, and a numeral
// too large for 32 bits saturates instead of wrapping, so that a typo can
// never land on 1 to 9. The character that ends the number stays unread.
int lerOpcao() {
    int c = std::getchar();
    while (c != EOF && std::isspace(c) != 0) {
        c = std::getchar();
    }
    const bool negativo = c == '-';
    if (c == '-' || c == '+') {
        c = std::getchar();
    }
    long long valor = 0;
    while (c != EOF && std::isdigit(c) != 0) {
        valor = std::min((valor * base) + (c - '0'), limite);
        c = std::getchar();
    }
    if (c != EOF) {
        (void)std::ungetc(c, stdin);
    }
    return static_cast<int>(std::clamp(negativo ? -valor : valor,
                                       static_cast<long long>(INT_MIN),
                                       static_cast<long long>(INT_MAX)));
}

// The command's own messages are all the operator needs; its result tells
// nothing more and is left alone.
void lancar(const char *comando) {
    [[maybe_unused]] const int resultado =
        std::system(comando); // NOLINT(cert-env33-c): a fixed line, run through the shell by design
}

} // namespace

int main() {
    std::printf("Escolha uma opção (1-9): ");
    const int opcao = lerOpcao();
    std::printf("Você escolheu a opção %d!\n", opcao);
    if (opcao >= opcaoMinima && opcao <= opcaoMaxima) {
        lancar(comandos[static_cast<std::size_t>(opcao - opcaoMinima)]);
    } else {
        std::puts("Opção inválida.");
    }
    return 0;
}
