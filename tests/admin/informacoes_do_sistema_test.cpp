#include "admin/informacoes_do_sistema.hpp"

#include <gtest/gtest.h>

#include "admin/banco_de_teste.hpp"
#include "admin/conexao_do_programa.hpp"
#include "admin/status_do_banco.hpp"
#include "comum/erros.hpp"
#include "comum/versao.hpp"
#include "dictionary/dicionario.hpp"
#include "dictionary/escritor.hpp"

namespace zolvek::admin {
namespace {

using teste::BancoDeTeste;

std::vector<std::string> LinhasDaVersao() {
    return {"Zolvek Versão: " + versao::VersaoDoPrograma(),
            "N° da revisão: " + std::to_string(versao::NumeroDaRevisao()),
            "ID da revisão: " + versao::IdDaRevisao().substr(0, 6) + " de " +
                versao::DataDaRevisao().substr(0, 10)};
}

TEST(ConsultaDeAcessoUnico, PorVersaoDoServidor) {
    EXPECT_EQ(ConsultaDeAcessoUnico(11, "EMP"),
              "select case when user_access_desc='SINGLE_USER' then 'ON' else 'OFF' end as "
              "CurrentSetting from sys.databases where name='EMP'");
    EXPECT_EQ(ConsultaDeAcessoUnico(10, "EMP"), "sp_dboption 'EMP', 'single user'");
    EXPECT_EQ(ConsultaDeAcessoUnico(9, "D'Ávila"), "sp_dboption 'D''Ávila', 'single user'");
}

TEST(HoraDaInformacao, DataLongaEHoras) {
    EXPECT_EQ(TextoDaHoraDaInformacao({2020, 8, 19, 11, 31, 59, 0}),
              "quarta-feira, 19 de agosto de 2020 11:31");
    EXPECT_EQ(TextoDaHoraDaInformacao({2024, 3, 2, 7, 5, 0, 0}),
              "sábado, 2 de março de 2024 07:05");
}

TEST(Painel, SemConexaoQuatroLinhasNormais) {
    db::TModuloDados modulo;
    const auto painel = AtualizarInformacoes(modulo);
    auto esperadas = LinhasDaVersao();
    esperadas.push_back("ZWK - Sem conexão com servidor SQL");
    EXPECT_EQ(painel.linhas, esperadas);
    EXPECT_TRUE(painel.textoNormal);
    EXPECT_FALSE(painel.analisarVermelho);
    EXPECT_FALSE(painel.conectado);
}

class PainelConectado : public ::testing::Test {
  protected:
    PainelDeInformacoes Painel() {
        if (!modulo.Banco.Aberta()) {
            modulo.Banco.DefinirStringDeConexao(banco.Cadeia());
            modulo.Conectar();
        }
        return AtualizarInformacoes(modulo);
    }
    // A company database at revision 57 whose last analysis ended, connected.
    void ConectarAEmpresaAnalisada() {
        banco.CriarTabelasDaEmpresa();
        banco.Executar("INSERT INTO PEMPRESA (RAZAO_SOC, RevisaoDoBD) VALUES ('ACME', '57')");
        banco.Executar("INSERT INTO StatusBD (Status) VALUES ('x')");
        modulo.Banco.DefinirStringDeConexao(banco.Cadeia());
        modulo.Conectar();
        RegistrarAnalise();
    }
    void RegistrarAnalise() {
        db::Consulta consulta(&modulo.Banco);
        teste::InterfaceDaAdministracao interface;
        modulo.AbrirParametros();
        RegistrarFimDaAnalise(modulo, {2024, 1, 2, 3, 4, 5, 0}, "fim", {"A=1"}, {}, consulta,
                              interface);
        banco.Executar("UPDATE PEMPRESA SET RevisaoDoBD='57'");
    }
    static bool Contem(const std::vector<std::string>& linhas, const std::string& linha) {
        return std::find(linhas.begin(), linhas.end(), linha) != linhas.end();
    }

    BancoDeTeste banco;
    db::TModuloDados modulo;
};

TEST_F(PainelConectado, BancoSaudavelLiberado) {
    ConectarAEmpresaAnalisada();
    const auto painel = Painel();
    ASSERT_GE(painel.linhas.size(), 13u);
    EXPECT_EQ(std::vector<std::string>(painel.linhas.begin(), painel.linhas.begin() + 3),
              LinhasDaVersao());
    EXPECT_EQ(painel.linhas[3], "Revisão do banco de dados: 57");
    EXPECT_EQ(painel.linhas[4], "ZWK conectado a EMPRESA em " + banco.Pasta().string());
    EXPECT_TRUE(painel.linhas[5].starts_with("Servidor SQL v. 11.")) << painel.linhas[5];
    EXPECT_EQ(painel.linhas[6], "Em uso por sa");
    EXPECT_TRUE(painel.linhas[7].starts_with("Hora da informação: ")) << painel.linhas[7];
    EXPECT_TRUE(painel.linhas[8].starts_with("Executável: '")) << painel.linhas[8];
    std::size_t i = 9;
    if (RevisaoDoDicionarioCarregado() > 0) ++i;
    EXPECT_EQ(painel.linhas[i], "Banco de dados liberado");
    EXPECT_EQ(painel.linhas[i + 1], "");
    EXPECT_EQ(painel.linhas[i + 2], "[Analisar]");
    EXPECT_TRUE(Contem(painel.linhas, "Revisão do banco de dados: 57"));
    EXPECT_TRUE(painel.textoNormal);
    EXPECT_FALSE(painel.analisarVermelho);
}

TEST_F(PainelConectado, RevisaoNulaDeixaVermelho) {
    banco.CriarTabelasDaEmpresa();
    banco.Executar("INSERT INTO PEMPRESA (RAZAO_SOC) VALUES ('ACME')");
    const auto painel = Painel();
    EXPECT_EQ(painel.linhas[3], "Revisão do banco de dados: INCONSISTENTE");
    EXPECT_FALSE(painel.textoNormal);
}

TEST_F(PainelConectado, SemColunaDeRevisaoDesatualizado) {
    banco.CriarTabelasDaEmpresa(false);
    const auto painel = Painel();
    EXPECT_EQ(painel.linhas[3], "BANCO DE DADOS DESATUALIZADO");
    EXPECT_FALSE(painel.textoNormal);
}

TEST_F(PainelConectado, BancoNovoSemTabelasConectaDesatualizado) {
    const auto arquivo = banco.Pasta() / "dic.DicD";
    dicionario::GravarDicionario(arquivo, {});
    EXPECT_EQ(ConectarBanco(modulo, banco.Cadeia(), arquivo), std::nullopt);
    ASSERT_TRUE(modulo.Banco.Aberta());
    const auto painel = AtualizarInformacoes(modulo);
    EXPECT_EQ(painel.linhas[3], "BANCO DE DADOS DESATUALIZADO");
    EXPECT_TRUE(painel.linhas.back().starts_with(
        "Revisão do banco de dados: *** Erro ao abrir 'PEMPRESA': "));
    EXPECT_FALSE(painel.textoNormal);
}

TEST_F(PainelConectado, StatusVazioDeixaVermelho) {
    banco.CriarTabelasDaEmpresa();
    banco.Executar("INSERT INTO PEMPRESA (RAZAO_SOC, RevisaoDoBD) VALUES ('ACME', '57')");
    const auto painel = Painel();
    EXPECT_EQ(painel.linhas.back(), "*** Sem informação sobre o banco de dados ***");
    EXPECT_FALSE(painel.textoNormal);
    EXPECT_FALSE(painel.analisarVermelho);
}

TEST_F(PainelConectado, UsuarioUnicoEmManutencao) {
    ConectarAEmpresaAnalisada();
    db::Consulta alterar(&modulo.Banco);
    alterar.DefinirSQL("ALTER DATABASE EMPRESA SET SINGLE_USER");
    alterar.Executar();
    const auto painel = Painel();
    EXPECT_TRUE(Contem(painel.linhas, "Banco de dados em manutenção"));
    EXPECT_TRUE(painel.analisarVermelho);
    EXPECT_TRUE(painel.textoNormal);  // the colour follows the two results only
}

TEST_F(PainelConectado, ConectarComDicionarioETitulo) {
    banco.CriarTabelasDaEmpresa();
    banco.Executar("INSERT INTO PEMPRESA (RAZAO_SOC, RevisaoDoBD) VALUES ('  ACME LTDA ', '57')");
    const auto arquivo = banco.Pasta() / "ZAV_Molvena.DicD";
    dicionario::ConteudoDoDicionario conteudo;
    conteudo.revisao = 321;
    dicionario::GravarDicionario(arquivo, conteudo);

    EXPECT_EQ(ConectarBanco(modulo, banco.Cadeia(), arquivo),
              "ACME LTDA - Manutenção " + versao::VersaoDoPrograma());
    EXPECT_TRUE(modulo.Banco.Aberta());
    EXPECT_EQ(TituloSemConexao(), "Manutenção " + versao::VersaoDoPrograma());
    const auto painel = AtualizarInformacoes(modulo);
    EXPECT_EQ(painel.linhas[9], "Dicionário de dados no.: 321");

    banco.Executar("UPDATE PEMPRESA SET RAZAO_SOC='   '");
    EXPECT_EQ(TituloDaEmpresa(modulo), std::nullopt);
}

TEST_F(PainelConectado, ConectarRecusaQuemNaoEDbOwner) {
    banco.Executar("CREATE LOGIN joao WITH PASSWORD='x1'", "master");
    banco.Executar("CREATE USER joao FOR LOGIN joao");
    const auto arquivo = banco.Pasta() / "dic.DicD";
    dicionario::GravarDicionario(arquivo, {});
    try {
        ConectarBanco(modulo, banco.Cadeia("", "joao", "x1"), arquivo);
        FAIL() << "conectou";
    } catch (const ErroDeEntrada& e) {
        EXPECT_STREQ(e.what(),
                     "Só usuário com atributo de 'db_owner' pode usar o sistema de manutenção");
    }
    EXPECT_FALSE(modulo.Banco.Aberta());
    EXPECT_THROW(ConectarBanco(modulo, banco.Cadeia(), banco.Pasta() / "nenhum.DicD"), Erro);
    EXPECT_FALSE(modulo.Banco.Aberta());
}

}  // namespace
}  // namespace zolvek::admin
