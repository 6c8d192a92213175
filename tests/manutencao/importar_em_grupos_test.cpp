#include <gtest/gtest.h>

#include <algorithm>

#include "auxiliares.hpp"
#include "db/texto_sql.hpp"
#include "maintenance/importar_outro_banco.hpp"

// The import commits rows in groups: what it copies, the errors it lists and their
// order are those of a row-by-row copy, and a row it reports is committed.
namespace zolvek::manutencao {
namespace {

using Lista = std::vector<std::string>;
using teste::ServidorDeTeste;

// At each report of the rows bar, how many rows another session sees committed.
class InterfaceQueConfere : public teste::InterfaceDeTeste {
  public:
    db::Conexao* leitor = nullptr;
    std::string contagem;
    std::vector<std::pair<int, int>> relatos;  // (rows done, rows committed)

    void DefinirBarraSecundaria(int p, int m) override {
        InterfaceDeTeste::DefinirBarraSecundaria(p, m);
        if (leitor && p > 0)
            relatos.emplace_back(p, std::stoi(ServidorDeTeste::Coluna(*leitor, contagem).at(0)));
    }
};

class ImportacaoEmGrupos : public ::testing::Test {
  protected:
    void SetUp() override {
        servidor.CriarBanco("ORIGEM");
        servidor.CriarBanco("DESTINO");
        for (auto* c : {&origem, &destino, &leitor}) {
            c->DefinirStringDeConexao(servidor.Cadeia(c == &origem ? "ORIGEM" : "DESTINO"));
            c->Abrir();
        }
    }
    void Tabela(const std::string& nome) {
        dicionario::TabelaDic t;
        t.Nome = nome;
        t.Descricao = "Tabela de teste";
        dic.Tabelas().push_back(t);
    }
    void O(const std::string& sql) { ServidorDeTeste::Executar(origem, sql); }
    void D(const std::string& sql) { ServidorDeTeste::Executar(destino, sql); }
    Lista Destino(const std::string& sql) { return ServidorDeTeste::Coluna(leitor, sql); }
    ResultadoDaImportacao Importar(bool acrescentar) {
        return ImportarDeOutroBanco(destino, dic, servidor.Cadeia("ORIGEM"), acrescentar, ui);
    }

    ServidorDeTeste servidor;
    db::Conexao origem, destino, leitor;
    dicionario::DicionarioDeDados dic;
    InterfaceQueConfere ui;
};

TEST_F(ImportacaoEmGrupos, FalhasNoMeioDosGruposDaoOMesmoQueLinhaALinha) {
    Tabela("ITENS");
    O("CREATE TABLE ITENS (Codigo int NOT NULL PRIMARY KEY, Valor int NULL)");
    D("CREATE TABLE ITENS (Codigo int NOT NULL PRIMARY KEY, Valor int NULL CHECK (Valor < 100))");
    O("DECLARE @i int = 1 WHILE @i <= 1300 BEGIN INSERT INTO ITENS VALUES (@i, CASE WHEN @i IN "
      "(10, 700, 1250) THEN 500 ELSE @i % 50 END) SET @i = @i + 1 END");
    D("INSERT INTO ITENS VALUES (3, 0)");
    D("INSERT INTO ITENS VALUES (900, 0)");
    ui.leitor = &leitor;
    ui.contagem = "SELECT COUNT(*) FROM ITENS";

    const ResultadoDaImportacao r = Importar(true);

    // Duplicate keys and checks, in the origin's order.
    const std::vector<int> falhas = {3, 10, 700, 900, 1250};
    ASSERT_EQ(ui.erros.size(), falhas.size());
    for (std::size_t i = 0; i < falhas.size(); ++i) {
        const bool chave = falhas[i] == 3 || falhas[i] == 900;
        EXPECT_NE(ui.erros[i].descricao.find(chave ? "PRIMARY KEY" : "CHECK"), std::string::npos)
            << i << ": " << ui.erros[i].descricao;
        EXPECT_EQ(ui.erros[i].campo, "");
    }
    EXPECT_EQ(r.erros, 5);
    EXPECT_EQ(Destino("SELECT COUNT(*) FROM ITENS"), Lista{"1297"});
    EXPECT_EQ(Destino("SELECT COUNT(*) FROM ITENS WHERE Valor = 500"), Lista{"0"});
    // Every row reported done is committed (or listed), and fewer reports than rows.
    ASSERT_FALSE(ui.relatos.empty());
    EXPECT_LT(ui.relatos.size(), 1300u);
    for (const auto& [feitas, confirmadas] : ui.relatos) {
        const auto erradas =
            std::count_if(falhas.begin(), falhas.end(), [&](int f) { return f <= feitas; });
        EXPECT_EQ(confirmadas, 2 + feitas - erradas) << feitas;
    }
    EXPECT_EQ(ui.relatos.back().first, 1300);
    EXPECT_EQ(ui.posicaoDasLinhas, 0);
}

TEST_F(ImportacaoEmGrupos, GrupoDesfeitoGuardaAsIdentidades) {
    Tabela("IDENT");
    O("CREATE TABLE IDENT (Id int IDENTITY(1,1) NOT NULL PRIMARY KEY, Valor int NULL)");
    D("CREATE TABLE IDENT (Id int IDENTITY(1,1) NOT NULL PRIMARY KEY, Valor int NULL CHECK "
      "(Valor < 100))");
    O("SET IDENTITY_INSERT IDENT ON");
    O("DECLARE @i int = 1 WHILE @i <= 40 BEGIN INSERT INTO IDENT (Id, Valor) VALUES (@i * 3, "
      "CASE WHEN @i = 25 THEN 500 ELSE @i END) SET @i = @i + 1 END");
    O("SET IDENTITY_INSERT IDENT OFF");

    Importar(false);

    ASSERT_EQ(ui.erros.size(), 1u);
    EXPECT_EQ(Destino("SELECT COUNT(*) FROM IDENT"), Lista{"39"});
    EXPECT_EQ(Destino("SELECT MIN(Id) FROM IDENT"), Lista{"3"});
    EXPECT_EQ(Destino("SELECT MAX(Id) FROM IDENT"), Lista{"120"});
    EXPECT_EQ(Destino("SELECT COUNT(*) FROM IDENT WHERE Id % 3 <> 0 OR Id = 75"), Lista{"0"});
}

TEST_F(ImportacaoEmGrupos, OrigemSemATabelaNaoApagaALinhaDoDestino) {
    Tabela("PEMPRESA");
    Tabela("PARFN");
    D("CREATE TABLE PEMPRESA (idEmpresa int IDENTITY(1,1) PRIMARY KEY, RAZAO_SOC varchar(60))");
    D("INSERT INTO PEMPRESA (RAZAO_SOC) VALUES ('Molvena')");
    for (auto* c : {&origem, &destino})
        ServidorDeTeste::Executar(*c, "CREATE TABLE PARFN (id int PRIMARY KEY, Script text)");
    D("INSERT INTO PARFN VALUES (1, 'destino')");
    O("INSERT INTO PARFN VALUES (7, 'origem')");

    const ResultadoDaImportacao r = Importar(false);

    ASSERT_EQ(ui.erros.size(), 1u);
    EXPECT_EQ(ui.erros[0].tabela, "PEMPRESA");
    EXPECT_EQ(ui.erros[0].descricao, "Invalid object name 'PEMPRESA'.");
    EXPECT_EQ(Destino("SELECT RAZAO_SOC FROM PEMPRESA"), Lista{"Molvena"});
    // A table the origin has: its one destination row gives way to the origin's.
    EXPECT_EQ(Destino("SELECT CAST(Script AS varchar(10)) FROM PARFN"), Lista{"origem"});
    EXPECT_EQ(r.erros, 1);
}

TEST_F(ImportacaoEmGrupos, NomesHostisSaoSoNomes) {
    const std::string t = "B] INT); DROP TABLE CANARIO; --";
    const std::string c = "x')) DROP TABLE CANARIO; --";
    Tabela(t);
    for (auto* conexao : {&origem, &destino}) {
        ServidorDeTeste::Executar(*conexao, "CREATE TABLE CANARIO (x int)");
        ServidorDeTeste::Executar(*conexao, "CREATE TABLE " + db::EntreColchetes(t) +
                                                " (Id int IDENTITY(1,1) PRIMARY KEY, " +
                                                db::EntreColchetes(c) + " varchar(10))");
    }
    O("INSERT INTO " + db::EntreColchetes(t) + " (" + db::EntreColchetes(c) +
      ") VALUES ('um'), ('dois')");

    const ResultadoDaImportacao r = Importar(false);

    EXPECT_EQ(r.erros, 0) << (ui.erros.empty() ? "" : ui.erros[0].descricao);
    EXPECT_EQ(Destino("SELECT " + db::EntreColchetes(c) + " FROM " + db::EntreColchetes(t) +
                      " ORDER BY Id"),
              (Lista{"um", "dois"}));
    EXPECT_EQ(Destino("SELECT COUNT(*) FROM CANARIO"), Lista{"0"});
    EXPECT_EQ(ServidorDeTeste::Coluna(origem, "SELECT COUNT(*) FROM CANARIO"), Lista{"0"});
}

}  // namespace
}  // namespace zolvek::manutencao
