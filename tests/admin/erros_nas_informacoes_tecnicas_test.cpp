#include "admin/erros_nas_informacoes_tecnicas.hpp"

#include <gtest/gtest.h>

#include "comum/log.hpp"

namespace zolvek::admin {
namespace {

const std::vector<LinhaDeErro> kErros = {
    {"CLIENTES", "CODIGO", "CriarIndices", "Falhou", "create index X"},
    {"PEDIDOS", "", "", "Outro", ""}};

TEST(ErrosNasInformacoesTecnicas, UmBlocoPorLinhaComOsTitulosESeuTraco) {
    const std::vector<std::string> esperado = {"",
                                               "<<< Erro 1 >>>",
                                               "Tabela,Campo,Função,Descrição,Comando",
                                               std::string(37, '-'),
                                               "CLIENTES,CODIGO,CriarIndices,Falhou,create index X",
                                               "",
                                               "<<< Erro 2 >>>",
                                               "Tabela,Campo,Função,Descrição,Comando",
                                               std::string(37, '-'),
                                               "PEDIDOS,,,Outro,"};
    EXPECT_EQ(BlocoDosErros(kErros), esperado);
    EXPECT_TRUE(BlocoDosErros(std::vector<LinhaDeErro>{}).empty());
}

TEST(ErrosNasInformacoesTecnicas, VaiParaOLogSomenteComOLogHabilitado) {
    log::DescartarLog();
    log::DefinirConfiguracaoDoLog({false, ""});
    RegistrarErrosNoLog(nullptr, "EvolucaoAnalisar", BlocoDosErros(kErros));
    EXPECT_TRUE(log::EntradasDoLog().empty());

    log::DescartarLog();
    log::DefinirConfiguracaoDoLog({true, ""});
    RegistrarErrosNoLog(nullptr, "EvolucaoAnalisar", BlocoDosErros(kErros));
    ASSERT_EQ(log::EntradasDoLog().size(), 1u);
    const std::string& entrada = log::EntradasDoLog()[0];
    EXPECT_NE(entrada.find("TEvolucaoAnalisar::Finalizar\r\n\r\n<<< Erro 1 >>>\r\n"),
              std::string::npos);
    EXPECT_NE(entrada.find("\r\nPEDIDOS,,,Outro,"), std::string::npos);
    log::DescartarLog();
    log::DefinirConfiguracaoDoLog({});
}

}  // namespace
}  // namespace zolvek::admin
