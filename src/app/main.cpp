#include <string>
#include <vector>

#include "app/aplicacao.hpp"
#include "app/principal.hpp"
#include "db/odbc/conector_odbc.hpp"
#include "simulador/simulador.hpp"

int main(int argc, char** argv) {
    // the backends this program offers: SQL Server through ODBC, and the stand-in
    zolvek::db::odbc::RegistrarProvedor();
    zolvek::simulador::RegistrarProvedor();
    zolvek::app::TAplicacao aplicacao(argc, argv);
    // The first argument, when given, is a complete connection string.
    std::vector<std::string> argumentos;
    for (int i = 1; i < argc; ++i)
        argumentos.emplace_back(QString::fromLocal8Bit(argv[i]).toStdString());
    zolvek::app::TPrincipal principal(argumentos);
    principal.show();
    return aplicacao.exec();
}
