#include <iostream>
#include <string>
#include <vector>

#include "cli/argumentos.hpp"
#include "cli/registro.hpp"
#include "comum/erros.hpp"
#include "comum/versao.hpp"
#include "db/odbc/conector_odbc.hpp"
#include "simulador/simulador.hpp"

namespace {

void MostrarAjuda(std::ostream& saida) {
    saida << "Uso: zolvek-cli COMANDO [OPÇÕES]\n"
             "Ferramenta de manutenção do banco de dados SQL Server, sem janelas.\n\n"
             "Comandos:\n";
    for (const auto& c : zolvek::cli::ComandosRegistrados())
        saida << "  " << c.nome << std::string(c.nome.size() < 14 ? 14 - c.nome.size() : 1, ' ')
              << c.resumo << "\n";
    saida << "\nOpções gerais:\n"
             "  --version     mostra a versão e termina\n"
             "  --help        mostra esta ajuda e termina\n\n"
             "Use \"zolvek-cli COMANDO --help\" para as opções de cada comando.\n";
}

}  // namespace

int main(int argc, char** argv) {
    using namespace zolvek::cli;
    zolvek::simulador::DispensarContagemDeMemoriaDoSqlite();
    // the backends this program offers: SQL Server through ODBC, and the stand-in
    zolvek::db::odbc::RegistrarProvedor();
    zolvek::simulador::RegistrarProvedor();
    if (argc < 2) {
        MostrarAjuda(std::cerr);
        return kSaidaUso;
    }
    const std::string nome = argv[1];
    if (nome == "--version") {
        std::cout << "zolvek-cli " << zolvek::versao::VersaoDoPrograma() << " (revisão "
                  << zolvek::versao::NumeroDaRevisao() << ", "
                  << zolvek::versao::IdDaRevisao().substr(0, 6) << ")\n";
        return kSaidaSucesso;
    }
    if (nome == "--help" || nome == "-h") {
        MostrarAjuda(std::cout);
        return kSaidaSucesso;
    }
    const ComandoCli* comando = AcharComando(nome);
    if (!comando) {
        std::cerr << "Comando desconhecido: " << nome << "\n\n";
        MostrarAjuda(std::cerr);
        return kSaidaUso;
    }
    std::vector<std::string> argumentos(argv + 2, argv + argc);
    for (const auto& a : argumentos)
        if (a == "--help") {
            std::cout << comando->ajuda();
            return kSaidaSucesso;
        }
    try {
        return comando->executar(argumentos);
    } catch (const ErroDeUso& e) {
        std::cerr << e.what() << "\n";
        return kSaidaUso;
    } catch (const zolvek::Cancelamento&) {
        return kSaidaFalha;
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return kSaidaFalha;
    }
}
