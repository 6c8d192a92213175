#include "admin/historico.hpp"

#include <gtest/gtest.h>

#include "admin/banco_de_teste.hpp"
#include "comum/erros.hpp"

namespace zolvek::admin {
namespace {

using teste::BancoDeTeste;
using Linhas = std::vector<std::vector<std::string>>;

class Historico : public ::testing::Test {
  protected:
    void Conectar() {
        conexao.DefinirStringDeConexao(banco.Cadeia());
        conexao.Abrir();
    }
    BancoDeTeste banco;
    db::Conexao conexao;
    db::Consulta qryRegmov{&conexao};
};

TEST(HistoricoColunas, CamposLargurasETitulos) {
    const auto& c = ColunasDoHistorico();
    EXPECT_STREQ(c[0].campo, "Operador");
    EXPECT_EQ(c[0].largura, 18);
    EXPECT_STREQ(c[1].titulo, "Hora");
    EXPECT_EQ(c[1].largura, 14);
    EXPECT_EQ(c[2].largura, 7);
    EXPECT_STREQ(c[3].titulo, "Complemento");
    EXPECT_EQ(c[3].largura, 100);
}

TEST_F(Historico, MaisRecentePrimeiroSemValidar) {
    banco.Executar(
        "CREATE TABLE RegMov (idRegMov int IDENTITY(1,1), Hora datetime NOT NULL DEFAULT "
        "getdate(), Operador varchar(128) NOT NULL, Tipo varchar(20) NOT NULL, Complemento "
        "varchar(255) NULL)");
    banco.Executar(
        "insert RegMov (Hora, Operador, Tipo, Complemento) values "
        "('20260102 10:00', 'ana', 'Analisar', 'Dicionário de dados revisão 12, executado com "
        "sucesso'), ('20260103 09:30', 'bia', 'Validar', NULL), "
        "('20260104 08:15', 'caio', 'Liberar', NULL), "
        "('20260101 07:00', 'dora', 'Atualizar', 'x')");
    Conectar();
    AbrirHistorico(qryRegmov);
    EXPECT_EQ(qryRegmov.LinhasSQL(),
              (std::vector<std::string>{"select * from regmov where",
                                        "tipo='Analisar' or tipo='Liberar' order by hora desc"}));
    EXPECT_EQ(LinhasDoHistorico(qryRegmov),
              (Linhas{{"caio", "04/01/2026 08:15:00", "Liberar", ""},
                      {"ana", "02/01/2026 10:00:00", "Analisar",
                       "Dicionário de dados revisão 12, executado com sucesso"}}));
    EXPECT_THROW(qryRegmov.Editar(), ErroDeEntrada);
}

TEST_F(Historico, SemAnalisarNemLiberarGradeVazia) {
    banco.Executar(
        "CREATE TABLE RegMov (Hora datetime NULL, Operador varchar(128) NULL, Tipo varchar(20) "
        "NULL, Complemento varchar(255) NULL)");
    banco.Executar("insert RegMov values (getdate(), 'sa', 'Validar', NULL)");
    Conectar();
    AbrirHistorico(qryRegmov);
    EXPECT_TRUE(LinhasDoHistorico(qryRegmov).empty());
}

TEST_F(Historico, SemRegMovOErroDoServidor) {
    Conectar();
    EXPECT_THROW(AbrirHistorico(qryRegmov), ErroDeBanco);
}

}  // namespace
}  // namespace zolvek::admin
