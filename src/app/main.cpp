#include <iostream>
#include <string>
#include <vector>

#include "app/aplicacao.hpp"
#include "app/linha_de_comando.hpp"
#include "app/principal.hpp"
#include "db/odbc/conector_odbc.hpp"
#include "simulador/simulador.hpp"

int main(int argc, char** argv) {
    // The usage needs no display: it is printed before Qt starts.
    if (zolvek::app::PedeAjuda(std::vector<std::string>(argv + 1, argv + argc))) {
        std::cout << zolvek::app::kUsoDoPrograma;
        return 0;
    }
    // the backends this program offers: SQL Server through ODBC, and the stand-in
    zolvek::db::odbc::RegistrarProvedor();
    zolvek::simulador::RegistrarProvedor();
    zolvek::app::TAplicacao aplicacao(argc, argv);
    // What Qt left; the first argument, when given, is a complete connection string.
    std::vector<std::string> argumentos;
    for (int i = 1; i < argc; ++i)
        argumentos.emplace_back(QString::fromLocal8Bit(argv[i]).toStdString());
    if (const std::string erro = zolvek::app::ErroNosArgumentos(argumentos); !erro.empty()) {
        std::cerr << "zolvek: " << erro << "\n\n" << zolvek::app::kUsoDoPrograma;
        return 2;
    }
    zolvek::app::TPrincipal principal(argumentos);
    principal.show();
    return aplicacao.exec();
}
