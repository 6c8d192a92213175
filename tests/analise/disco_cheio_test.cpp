#include <gtest/gtest.h>

#include <algorithm>

#include "ambiente_da_analise.hpp"
#include "simulador/simulador.hpp"

// An analysis on a database whose file cannot grow lists the server's reason, as a
// script run does.
namespace zolvek::analysis::teste {
namespace {

TEST(DiscoCheio, CadaLinhaDeErroDizOMotivo) {
    AmbienteDaAnalise a;
    a.UsarDicionarioDeDemonstracao();
    simulador::LimitarCrescimentoDosBancosParaTestes(1);
    a.modulo.Banco.Fechar();
    a.modulo.Conectar();
    ResultadoDaAnalise r;
    try {
        r = a.Analisar();
    } catch (...) {
        simulador::LimitarCrescimentoDosBancosParaTestes(0);
        throw;
    }
    simulador::LimitarCrescimentoDosBancosParaTestes(0);

    ASSERT_FALSE(r.erros.empty());
    EXPECT_EQ(r.classificacao, ClassificacaoDaAnalise::ComErros);
    // The tables that could not be created say why (the later rows follow from them:
    // a table that is not there).
    const auto semEspaco = std::count_if(r.erros.begin(), r.erros.end(), [](const LinhaDeErro& e) {
        return e.descricao.find("because of insufficient disk space in filegroup 'PRIMARY'") !=
               std::string::npos;
    });
    EXPECT_GE(semEspaco, 10);
    for (const LinhaDeErro& e : r.erros) {
        EXPECT_EQ(e.descricao.find("não conseguiu executar"), std::string::npos) << e.tabela;
        EXPECT_EQ(e.descricao.find("disk is full"), std::string::npos) << e.tabela;
    }
}

}  // namespace
}  // namespace zolvek::analysis::teste
