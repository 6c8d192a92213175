#include "maintenance/importar_outro_banco.hpp"

#include <gtest/gtest.h>

#include "auxiliares.hpp"
#include "comum/erros.hpp"

namespace zolvek::manutencao {
namespace {

using teste::ServidorDeTeste;

class Importacao : public ::testing::Test {
  protected:
    void SetUp() override {
        servidor.CriarBanco("ORIGEM");
        servidor.CriarBanco("DESTINO");
        origem.DefinirStringDeConexao(servidor.Cadeia("ORIGEM"));
        origem.Abrir();
        destino.DefinirStringDeConexao(servidor.Cadeia("DESTINO"));
        destino.Abrir();
    }

    void Tabela(const std::string& nome, const std::string& descricao = "Tabela de teste") {
        dicionario::TabelaDic t;
        t.Nome = nome;
        t.Descricao = descricao;
        dic.Tabelas().push_back(t);
    }
    void O(const std::string& sql) { ServidorDeTeste::Executar(origem, sql); }
    void D(const std::string& sql) { ServidorDeTeste::Executar(destino, sql); }
    std::vector<std::string> Destino(const std::string& sql) {
        return ServidorDeTeste::Coluna(destino, sql);
    }
    ResultadoDaImportacao Importar(bool acrescentar = false) {
        return ImportarDeOutroBanco(destino, dic, servidor.Cadeia("ORIGEM"), acrescentar, ui);
    }
    void TresNomes(const std::string& tabela) {
        O("INSERT INTO " + tabela + " (Codigo, Nome) VALUES (10, 'dez')");
        O("INSERT INTO " + tabela + " (Codigo, Nome) VALUES (11, 'onze')");
        O("INSERT INTO " + tabela + " (Codigo, Nome) VALUES (12, 'doze')");
    }

    ServidorDeTeste servidor;
    db::Conexao origem, destino;
    dicionario::DicionarioDeDados dic;
    teste::InterfaceDeTeste ui;
};

TEST_F(Importacao, LinhaUnicaDoDestinoDaLugarAsDaOrigemEColunasAusentesSaoAnotadas) {
    Tabela("UMA", "Uma linha");
    O("CREATE TABLE UMA (Codigo int NOT NULL PRIMARY KEY, Nome varchar(20) NULL, Extra "
      "varchar(10) NULL, Outra int NULL)");
    D("CREATE TABLE UMA (Codigo int NOT NULL PRIMARY KEY, Nome varchar(20) NULL, "
      "Padrao varchar(10) NULL DEFAULT 'pd')");
    TresNomes("UMA");
    D("INSERT INTO UMA (Codigo, Nome) VALUES (1, 'padrão')");

    const ResultadoDaImportacao r = Importar();

    EXPECT_EQ(Destino("SELECT Nome FROM UMA ORDER BY Codigo"),
              (std::vector<std::string>{"dez", "onze", "doze"}));
    // A destination column the origin lacks takes its default.
    EXPECT_EQ(Destino("SELECT DISTINCT Padrao FROM UMA"), std::vector<std::string>{"pd"});
    ASSERT_EQ(ui.erros.size(), 1u);
    EXPECT_EQ(ui.erros[0].tabela, "UMA");
    EXPECT_EQ(ui.erros[0].campo, "");
    EXPECT_EQ(ui.erros[0].descricao, "Campos não encontrados na tabela de destino: Extra;Outra");
    EXPECT_EQ(r.erros, 1);
    EXPECT_FALSE(r.cancelada);
    EXPECT_EQ(ui.progresso, (std::vector<std::string>{"Importando tabela \"UMA\" - Uma linha...",
                                                      "Importação concluída"}));
    EXPECT_EQ(ui.eventos, (std::vector<std::string>{"abrir:Importando", "finalizar:1"}));
    EXPECT_EQ(ui.posicao, 1);
    EXPECT_EQ(ui.maximoDasLinhas, 3);
    EXPECT_EQ(ui.posicaoDasLinhas, 0);
}

TEST_F(Importacao, DuasLinhasNoDestinoSoComAcrescentar) {
    Tabela("DUAS");
    Tabela("SEGUINTE");
    for (const char* t : {"DUAS", "SEGUINTE"}) {
        O(std::string("CREATE TABLE ") + t +
          " (Codigo int NOT NULL PRIMARY KEY, Nome varchar(20))");
        D(std::string("CREATE TABLE ") + t +
          " (Codigo int NOT NULL PRIMARY KEY, Nome varchar(20))");
        TresNomes(t);
    }
    D("INSERT INTO DUAS VALUES (1, 'um')");
    D("INSERT INTO DUAS VALUES (2, 'dois')");

    Importar();
    ASSERT_EQ(ui.erros.size(), 1u);
    EXPECT_EQ(ui.erros[0].tabela, "DUAS");
    EXPECT_EQ(ui.erros[0].descricao, "Tabela destino já contém mais de um registro");
    EXPECT_EQ(Destino("SELECT COUNT(*) FROM DUAS"), std::vector<std::string>{"2"});
    EXPECT_EQ(Destino("SELECT COUNT(*) FROM SEGUINTE"), std::vector<std::string>{"3"});

    D("DELETE FROM SEGUINTE");
    teste::InterfaceDeTeste outra;
    ui = outra;
    const ResultadoDaImportacao r = Importar(true);
    EXPECT_EQ(r.erros, 0);
    EXPECT_EQ(Destino("SELECT Nome FROM DUAS ORDER BY Codigo"),
              (std::vector<std::string>{"um", "dois", "dez", "onze", "doze"}));
}

TEST_F(Importacao, IdentidadesSaoPreservadasTabelaPorTabela) {
    Tabela("IDENT");
    Tabela("IDENT2");
    Tabela("SEMID");
    for (const char* t : {"IDENT", "IDENT2"}) {
        const std::string criar = std::string("CREATE TABLE ") + t +
                                  " (Id int IDENTITY(1,1) NOT NULL PRIMARY KEY, Nome varchar(20))";
        O(criar);
        D(criar);
        O(std::string("SET IDENTITY_INSERT ") + t + " ON");
        for (const char* id : {"5", "7", "9"})
            O(std::string("INSERT INTO ") + t + " (Id, Nome) VALUES (" + id + ", 'n" + id + "')");
        O(std::string("SET IDENTITY_INSERT ") + t + " OFF");
    }
    O("CREATE TABLE SEMID (Codigo int NOT NULL PRIMARY KEY, Nome varchar(20))");
    D("CREATE TABLE SEMID (Codigo int NOT NULL PRIMARY KEY, Nome varchar(20))");
    TresNomes("SEMID");

    const ResultadoDaImportacao r = Importar();

    EXPECT_EQ(r.erros, 0) << (ui.erros.empty() ? "" : ui.erros[0].descricao);
    for (const char* t : {"IDENT", "IDENT2"})
        EXPECT_EQ(Destino(std::string("SELECT Id FROM ") + t + " ORDER BY Id"),
                  (std::vector<std::string>{"5", "7", "9"}))
            << t;
    EXPECT_EQ(Destino("SELECT COUNT(*) FROM SEMID"), std::vector<std::string>{"3"});
    // Identity insertion was switched off again: the server numbers new rows.
    D("INSERT INTO IDENT2 (Nome) VALUES ('novo')");
    EXPECT_EQ(Destino("SELECT MAX(Id) FROM IDENT2"), std::vector<std::string>{"10"});
}

TEST_F(Importacao, FalhasDeTabelaEDeLinhaNaoInterrompem) {
    Tabela("FALTA");
    Tabela("CHK");
    O("CREATE TABLE CHK (Codigo int NOT NULL PRIMARY KEY, Valor int NULL)");
    D("CREATE TABLE CHK (Codigo int NOT NULL PRIMARY KEY, Valor int NULL CHECK (Valor < 100))");
    O("INSERT INTO CHK VALUES (1, 10)");
    O("INSERT INTO CHK VALUES (2, 500)");
    O("INSERT INTO CHK VALUES (3, 20)");

    const ResultadoDaImportacao r = Importar();

    ASSERT_EQ(ui.erros.size(), 2u);
    EXPECT_EQ(ui.erros[0].tabela, "FALTA");
    EXPECT_EQ(ui.erros[0].descricao, "Invalid object name 'FALTA'.");
    EXPECT_EQ(ui.erros[1].tabela, "CHK");
    EXPECT_EQ(ui.erros[1].campo, "");  // it failed at posting
    EXPECT_NE(ui.erros[1].descricao.find("CHECK"), std::string::npos) << ui.erros[1].descricao;
    // The failed row was dropped, so the next one posted alone.
    EXPECT_EQ(Destino("SELECT Codigo FROM CHK ORDER BY Codigo"),
              (std::vector<std::string>{"1", "3"}));
    EXPECT_EQ(r.erros, 2);
}

TEST_F(Importacao, CancelarNoMeioDeUmaTabelaGuardaOQueFoiCopiado) {
    Tabela("GRANDE");
    Tabela("DEPOIS");
    for (const char* t : {"GRANDE", "DEPOIS"}) {
        O(std::string("CREATE TABLE ") + t +
          " (Codigo int NOT NULL PRIMARY KEY, Nome varchar(20))");
        D(std::string("CREATE TABLE ") + t +
          " (Codigo int NOT NULL PRIMARY KEY, Nome varchar(20))");
        TresNomes(t);
    }
    ui.cancelarNaChamada = 4;  // before the table, before the first and second row

    const ResultadoDaImportacao r = Importar();

    EXPECT_TRUE(r.cancelada);
    EXPECT_EQ(Destino("SELECT COUNT(*) FROM GRANDE"), std::vector<std::string>{"2"});
    EXPECT_EQ(Destino("SELECT COUNT(*) FROM DEPOIS"), std::vector<std::string>{"0"});
    EXPECT_EQ(ui.progresso.back(), "Importação cancelada");
    EXPECT_EQ(ui.posicao, 0);
    EXPECT_EQ(ui.eventos.back(), "finalizar:1");
}

TEST_F(Importacao, OrigemInacessivelNaoImportaNada) {
    Tabela("UMA");
    EXPECT_THROW(ImportarDeOutroBanco(destino, dic, servidor.Cadeia("NAOEXISTE"), false, ui), Erro);
    EXPECT_TRUE(ui.eventos.empty());
}

}  // namespace
}  // namespace zolvek::manutencao

namespace zolvek::manutencao {
namespace {

// The session layer's part: a posted row carries its identity value only while the
// dataset is told that identity insertion is on.
TEST_F(Importacao, GravacaoComIdentidadeSoQuandoPedida) {
    D("CREATE TABLE IDENT (Id int IDENTITY(1,1) NOT NULL PRIMARY KEY, Nome varchar(20))");
    db::Consulta q(&destino);
    q.DefinirSQL("select * from IDENT");
    q.Abrir();
    q.Acrescentar();
    q.CampoPorNome("Id").DefinirInteiro(40);
    q.CampoPorNome("Nome").DefinirTexto("sem");
    q.Gravar();  // the server numbers it
    EXPECT_EQ(Destino("SELECT Id FROM IDENT WHERE Nome = 'sem'"), std::vector<std::string>{"1"});

    q.DefinirInclusaoDeIdentidade(true);
    q.Acrescentar();
    q.CampoPorNome("Id").DefinirInteiro(41);
    q.CampoPorNome("Nome").DefinirTexto("com");
    EXPECT_THROW(q.Gravar(), ErroDeBanco);  // IDENTITY_INSERT is off
    q.Cancelar();
    D("SET IDENTITY_INSERT IDENT ON");
    q.Acrescentar();
    q.CampoPorNome("Id").DefinirInteiro(41);
    q.CampoPorNome("Nome").DefinirTexto("com");
    q.Gravar();
    EXPECT_EQ(Destino("SELECT Id FROM IDENT WHERE Nome = 'com'"), std::vector<std::string>{"41"});
    EXPECT_EQ(q.QuantidadeDeRegistros(), 2);
}

}  // namespace
}  // namespace zolvek::manutencao
