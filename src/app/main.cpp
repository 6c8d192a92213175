#include <string>
#include <vector>

#include "app/aplicacao.hpp"
#include "app/principal.hpp"

int main(int argc, char** argv) {
    zolvek::app::TAplicacao aplicacao(argc, argv);
    // The first argument, when given, is a complete connection string.
    std::vector<std::string> argumentos;
    for (int i = 1; i < argc; ++i)
        argumentos.emplace_back(QString::fromLocal8Bit(argv[i]).toStdString());
    zolvek::app::TPrincipal principal(argumentos);
    principal.show();
    return aplicacao.exec();
}
