#include <cstring>
#include <iostream>
#include <string>

#include "comum/erros.hpp"

namespace {

constexpr const char* kVersao = "1.0.0";

void MostrarAjuda(std::ostream& saida) {
    saida << "Uso: zolvek-cli COMANDO [OPÇÕES]\n"
             "Ferramenta de manutenção do banco de dados SQL Server, sem janelas.\n\n"
             "Opções gerais:\n"
             "  --version   mostra a versão e termina\n"
             "  --help      mostra esta ajuda e termina\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        MostrarAjuda(std::cerr);
        return 2;
    }
    const std::string comando = argv[1];
    if (comando == "--version") {
        std::cout << "zolvek-cli " << kVersao << "\n";
        return 0;
    }
    if (comando == "--help" || comando == "-h") {
        MostrarAjuda(std::cout);
        return 0;
    }
    std::cerr << "Comando desconhecido: " << comando << "\n";
    MostrarAjuda(std::cerr);
    return 2;
}
