#include <gtest/gtest.h>

#include "analysis/contexto_da_analise.hpp"
#include "analysis/laco_das_tabelas.hpp"
#include "analysis/restricoes.hpp"
#include "analysis/tipos_sql.hpp"
#include "comum/erros.hpp"

namespace zolvek::analysis {
namespace {

using dicionario::CampoDic;
using dicionario::CategoriaDeDados;

CampoDic Campo(const std::string &nome, char tipo, int tamanho = 0,
               int decimais = 0, bool obrigatorio = false) {
  CampoDic c;
  c.Nome = nome;
  c.Tipo = tipo;
  c.Tamanho = tamanho;
  c.Decimais = decimais;
  c.Obrigatorio = obrigatorio;
  return c;
}

TEST(TipoSQL, TextoPorTamanho) {
  EXPECT_EQ(DefinicaoDaColuna(Campo("Nome", 'C', 40), ModoDeNulo::Omitido, 11),
            "[Nome] NVARCHAR(40)");
  EXPECT_EQ(TipoSQL(Campo("Nome", 'C', 4000), 11), "NVARCHAR(4000)");
  EXPECT_EQ(TipoSQL(Campo("Nome", 'C', 5000), 11), "VARCHAR(5000)");
  EXPECT_EQ(TipoSQL(Campo("Nome", 'c', 10), 11), "NVARCHAR(10)");
  try {
    TipoSQL(Campo("Nome", 'C', 8001), 11);
    FAIL();
  } catch (const Erro &e) {
    EXPECT_STREQ(e.what(),
                 "Campo 'caracter' não pode ter mais que 8.000 caracteres");
  }
}

TEST(TipoSQL, NumerosDatasEBinarios) {
  EXPECT_EQ(TipoSQL(Campo("N", 'N', 9, 0), 11), "INT");
  EXPECT_EQ(TipoSQL(Campo("N", 'N', 10, 0), 11), "DEC(10,0)");
  EXPECT_EQ(TipoSQL(Campo("F", 'F', 12, 2), 11), "DEC(12,2)");
  EXPECT_EQ(TipoSQL(Campo("S", 'S'), 11), "INT IDENTITY(1,1)");
  EXPECT_EQ(TipoSQL(Campo("B", 'B'), 11), "VARBINARY(max)");
  EXPECT_EQ(TipoSQL(Campo("M", 'M'), 11), "NVARCHAR(max)");
  EXPECT_EQ(TipoSQL(Campo("D", 'D'), 11), "DATETIME");
  EXPECT_EQ(TipoSQL(Campo("H", 'H'), 11), "DATETIME");
  EXPECT_EQ(TipoSQL(Campo("I", 'I'), 11), "MONEY");
  EXPECT_EQ(TipoSQL(Campo("R", 'R'), 10), "ROWVERSION");
  EXPECT_EQ(TipoSQL(Campo("R", 'R'), 9), "TIMESTAMP");
  EXPECT_EQ(Campo("N", 'N', 10, 0).Categoria(), CategoriaDeDados::Flutuante);
}

TEST(DefinicaoDaColuna, ClausulaDeNulo) {
  const CampoDic obrigatorio = Campo("Nome", 'C', 40, 0, true);
  EXPECT_EQ(DefinicaoDaColuna(obrigatorio, ModoDeNulo::ConformeCampo, 11),
            "[Nome] NVARCHAR(40) NOT NULL");
  EXPECT_EQ(DefinicaoDaColuna(obrigatorio, ModoDeNulo::SempreNulo, 11),
            "[Nome] NVARCHAR(40) NULL");
  EXPECT_EQ(
      DefinicaoDaColuna(Campo("Nome", 'C', 40), ModoDeNulo::ConformeCampo, 11),
      "[Nome] NVARCHAR(40) NULL");
  EXPECT_EQ(DefinicaoDaColuna(Campo("Id", 'S', 0, 0, true),
                              ModoDeNulo::ConformeCampo, 11),
            "[Id] INT IDENTITY(1,1)");
  EXPECT_EQ(DefinicaoDaColuna(Campo("Obs", 'M', 0, 0, true),
                              ModoDeNulo::ConformeCampo, 11),
            "[Obs] NVARCHAR(max)");
  EXPECT_EQ(DefinicaoDaColuna(Campo("Versao", 'R'), ModoDeNulo::SempreNulo, 11),
            "[Versao] ROWVERSION");
}

TEST(CategoriaDaColuna, TiposDoBancoQueNenhumCodigoTem) {
  db::Coluna c;
  c.tipo = db::TipoDeCampo::SmallInt;
  EXPECT_EQ(CategoriaDaColuna(c), CategoriaDeDados::InteiroPequeno);
  c.tipo = db::TipoDeCampo::Boolean;
  EXPECT_EQ(CategoriaDaColuna(c), CategoriaDeDados::Booleano);
  c.tipo = db::TipoDeCampo::Guid;
  EXPECT_EQ(CategoriaDaColuna(c), CategoriaDeDados::Texto);
  c.tipo = db::TipoDeCampo::Float;
  EXPECT_EQ(CategoriaDaColuna(c), CategoriaDeDados::Flutuante);
}

TEST(ColunasEntreColchetes, ItensComESemColchetes) {
  EXPECT_EQ(ColunasEntreColchetes("Data,Numero"), "[Data],[Numero]");
  EXPECT_EQ(ColunasEntreColchetes("[Data] DESC,Numero"),
            "[Data] DESC,[Numero]");
  EXPECT_EQ(ColunasEntreColchetes("Tabela,idTabela"), "[Tabela],[idTabela]");
  // An item in brackets keeps its order word; its name is quoted as any other.
  EXPECT_EQ(ColunasEntreColchetes("[a]]b] asc,c]d"), "[a]]b] asc,[c]]d]");
  EXPECT_THROW(ColunasEntreColchetes("[Data]); DROP TABLE C; --"),
               ErroDeEntrada);
  EXPECT_THROW(ColunasEntreColchetes("[Data"), ErroDeEntrada);
}

TEST(ValoresEntreAspas, CortadosAoTamanhoEComApostrofoDobrado) {
  CampoDic f = Campo("F", 'C', 1);
  f.ValoresValidos = "S,N";
  EXPECT_EQ(ValoresEntreAspas(f), (std::vector<std::string>{"'S'", "'N'"}));
  f.ValoresValidos = "Sim,Não";
  EXPECT_EQ(ValoresEntreAspas(f), (std::vector<std::string>{"'S'", "'N'"}));
  f.Tamanho = 3;
  EXPECT_EQ(ValoresEntreAspas(f), (std::vector<std::string>{"'Sim'", "'Não'"}));
  f.Tamanho = 10;
  f.ValoresValidos = "\"D'Ávila\",Outro";
  EXPECT_EQ(ValoresEntreAspas(f),
            (std::vector<std::string>{"'D''Ávila'", "'Outro'"}));
  f.ValoresValidos = "*S,N";
  EXPECT_TRUE(ValoresEntreAspas(f).empty());
  f.ValoresValidos = "Único";
  EXPECT_EQ(ValoresEntreAspas(f), (std::vector<std::string>{"'Único'"}));
}

TEST(TextosSql, VersaoMaiorERotulo) {
  EXPECT_EQ(VersaoMaiorParaAnalise("11.0.2100.60"), 11);
  EXPECT_EQ(VersaoMaiorParaAnalise("8.00.2039"), 8);
  EXPECT_EQ(VersaoMaiorParaAnalise("x.1"), 10);
  EXPECT_EQ(VersaoMaiorParaAnalise(""), 10);
  dicionario::TabelaDic t;
  t.Nome = "CLIENTE";
  t.Descricao = "Clientes";
  EXPECT_EQ(RotuloDaTabela(t), " \"CLIENTE\" - Clientes");
}

} // namespace
} // namespace zolvek::analysis
