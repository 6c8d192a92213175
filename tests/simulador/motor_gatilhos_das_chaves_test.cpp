#include <sqlite3.h>

#include <cctype>
#include <map>
#include <vector>

#include "ambiente.hpp"

// The foreign keys are enforced by SQLite triggers the engine makes and drops key by key:
// changing one key must leave the others of the same tables enforced, also in a database
// whose triggers were written by an older version, one numbered group per table.
class GatilhosDasChaves : public SimuladorTeste {
  protected:
    void SetUp() override {
        SimuladorTeste::SetUp();
        Sql("create table Pai (Id int not null primary key, Versao rowversion)");
        Sql("create table Filho (Id int not null, PaiId int null constraint FK_Filho_Pai "
            "references Pai (Id), MaeId int null constraint FK_Filho_Mae references Pai (Id))");
        Sql("create table Neto (Id int not null, PaiId int null constraint FK_Neto_Pai "
            "references Pai (Id) on delete cascade)");
        Sql("insert into Pai (Id) values (1)");
        Sql("insert into Pai (Id) values (2)");
        Sql("insert into Filho values (1, 1, NULL)");
        Sql("insert into Neto values (1, 2)");
    }

    // A statement refused by a foreign key, as SQL Server words it; `referencia`: a row
    // still referenced.
    void Recusada(const std::string& sql, const std::string& restricao, const std::string& tabela,
                  const std::string& coluna, bool referencia = false) {
        std::string instrucao = sql.substr(0, sql.find(' '));
        for (char& c : instrucao)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (instrucao == "ALTER") instrucao = "ALTER TABLE";
        EXPECT_EQ(Falha(sql), "The " + instrucao + " statement conflicted with the " +
                                  (referencia ? "REFERENCE" : "FOREIGN KEY") + " constraint \"" +
                                  restricao +
                                  "\". The conflict occurred in database \"Teste\", table \"dbo." +
                                  tabela + "\", column '" + coluna + "'.")
            << sql;
    }

    // The SQLite file of the database "Teste".
    std::filesystem::path ArquivoDoBanco() const {
        for (const auto& e : std::filesystem::recursive_directory_iterator(pasta_)) {
            const std::string nome = e.path().filename().string();
            if (nome.rfind("Teste_", 0) == 0 && e.path().extension() == ".sqlite") return e.path();
        }
        return {};
    }

    // Renames the engine's triggers as an older version named them, zv_<table id>_<n> for
    // all those on a table, with the connections closed; then connects again.
    void GatilhosComoAntes() {
        std::map<std::string, std::string> ids;  // SQLite's table -> object id
        for (const char* t : {"Pai", "Filho", "Neto"})
            ids[t] = Valor(std::string("select object_id('") + t + "')");
        db_.reset();
        sqlite3* banco = nullptr;
        ASSERT_EQ(sqlite3_open(ArquivoDoBanco().string().c_str(), &banco), SQLITE_OK);
        struct Gatilho {
            std::string nome, tabela, sql;
        };
        std::vector<Gatilho> gatilhos;
        sqlite3_stmt* q = nullptr;
        sqlite3_prepare_v2(banco,
                           "SELECT name, tbl_name, sql FROM sqlite_master WHERE type = 'trigger' "
                           "AND name LIKE 'zv\\_%' ESCAPE '\\' ORDER BY rowid",
                           -1, &q, nullptr);
        while (sqlite3_step(q) == SQLITE_ROW) {
            auto texto = [&](int c) {
                return std::string(reinterpret_cast<const char*>(sqlite3_column_text(q, c)));
            };
            gatilhos.push_back({texto(0), texto(1), texto(2)});
        }
        sqlite3_finalize(q);
        ASSERT_GE(gatilhos.size(), 8u);
        std::map<std::string, int> contagem;
        for (const auto& g : gatilhos) {
            const std::string novo =
                "zv_" + ids.at(g.tabela) + "_" + std::to_string(++contagem[g.tabela]);
            std::string sql = g.sql;
            const auto onde = sql.find(g.nome);
            ASSERT_NE(onde, std::string::npos);
            sql.replace(onde, g.nome.size(), novo);
            ASSERT_EQ(sqlite3_exec(banco, ("DROP TRIGGER \"" + g.nome + "\"").c_str(), nullptr,
                                   nullptr, nullptr),
                      SQLITE_OK);
            ASSERT_EQ(sqlite3_exec(banco, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        }
        sqlite3_close(banco);
        db_ = Conectar("Teste");
    }

    // The number of triggers in the file named as an older version named them.
    int GatilhosAntigos() {
        sqlite3* banco = nullptr;
        sqlite3_open(ArquivoDoBanco().string().c_str(), &banco);
        sqlite3_stmt* q = nullptr;
        sqlite3_prepare_v2(banco,
                           "SELECT count(*) FROM sqlite_master WHERE type = 'trigger' AND name "
                           "GLOB 'zv_[0-9]*'",
                           -1, &q, nullptr);
        sqlite3_step(q);
        const int n = sqlite3_column_int(q, 0);
        sqlite3_finalize(q);
        sqlite3_close(banco);
        return n;
    }

    // SQLite's count of changes to the file's schema.
    int VersaoDoEsquema() {
        sqlite3* banco = nullptr;
        sqlite3_open(ArquivoDoBanco().string().c_str(), &banco);
        sqlite3_stmt* q = nullptr;
        sqlite3_prepare_v2(banco, "PRAGMA schema_version", -1, &q, nullptr);
        sqlite3_step(q);
        const int n = sqlite3_column_int(q, 0);
        sqlite3_finalize(q);
        sqlite3_close(banco);
        return n;
    }

    // Every key of the fixture holds, on both of its sides.
    void TodasValem() {
        Recusada("insert into Filho values (9, 7, 1)", "FK_Filho_Pai", "Pai", "Id");
        Recusada("update Filho set MaeId = 7", "FK_Filho_Mae", "Pai", "Id");
        Recusada("insert into Neto values (9, 7)", "FK_Neto_Pai", "Pai", "Id");
        Recusada("update Pai set Id = 5 where Id = 1", "FK_Filho_Pai", "Filho", "PaiId", true);
    }
};

TEST_F(GatilhosDasChaves, ExcluirOuDesabilitarUmaChaveMantemAsOutras) {
    Sql("ALTER TABLE Filho DROP CONSTRAINT FK_Filho_Pai");
    Sql("insert into Filho values (2, 7, 1)");  // the dropped key no longer holds
    Recusada("insert into Filho values (3, 1, 7)", "FK_Filho_Mae", "Pai", "Id");
    Recusada("insert into Neto values (3, 7)", "FK_Neto_Pai", "Pai", "Id");
    Recusada("delete from Pai where Id = 1", "FK_Filho_Mae", "Filho", "MaeId", true);
    // made again, it checks the rows already there
    Recusada(
        "ALTER TABLE Filho ADD CONSTRAINT FK_Filho_Pai FOREIGN KEY (PaiId) "
        "REFERENCES Pai (Id)",
        "FK_Filho_Pai", "Pai", "Id");
    Sql("delete from Filho where Id = 2");
    Sql("ALTER TABLE Filho ADD CONSTRAINT FK_Filho_Pai FOREIGN KEY (PaiId) REFERENCES Pai (Id)");
    Recusada("insert into Filho values (4, 7, 1)", "FK_Filho_Pai", "Pai", "Id");
    // one key off, the others of the same tables on
    Sql("ALTER TABLE Filho NOCHECK CONSTRAINT FK_Filho_Mae");
    Sql("insert into Filho values (5, 1, 7)");
    Recusada("insert into Filho values (6, 7, 1)", "FK_Filho_Pai", "Pai", "Id");
    Sql("delete from Pai where Id = 2");  // the cascade still runs
    EXPECT_EQ(Valor("select count(*) from Neto"), "0");
    Sql("delete from Filho where Id = 5");
    Sql("ALTER TABLE Filho CHECK CONSTRAINT FK_Filho_Mae");
    Recusada("insert into Filho values (7, 1, 7)", "FK_Filho_Mae", "Pai", "Id");
    // a referencing table dropped takes its checks on the referenced one with it
    Sql("drop table Filho");
    Sql("delete from Pai where Id = 1");
    EXPECT_EQ(Valor("select count(*) from Pai"), "0");
}

TEST_F(GatilhosDasChaves, BancoDeVersaoAnteriorContinuaValendo) {
    GatilhosComoAntes();
    ASSERT_GE(GatilhosAntigos(), 8);
    TodasValem();
    // a new key to an older table of them
    Sql("create table Outro (Id int, PaiId int constraint FK_Outro_Pai references Pai (Id))");
    Recusada("insert into Outro values (1, 7)", "FK_Outro_Pai", "Pai", "Id");
    TodasValem();
    // a key dropped from an older file stops holding, the others of its tables hold on
    Sql("ALTER TABLE Filho DROP CONSTRAINT FK_Filho_Mae");
    Sql("insert into Filho values (2, 1, 7)");
    Recusada("insert into Filho values (3, 7, 1)", "FK_Filho_Pai", "Pai", "Id");
    Recusada("delete from Pai where Id = 1", "FK_Filho_Pai", "Filho", "PaiId", true);
    Sql("ALTER TABLE Neto NOCHECK CONSTRAINT FK_Neto_Pai");
    Sql("insert into Neto values (2, 7)");
    // the tables touched have their triggers in the new form; the rowversion still moves
    EXPECT_EQ(GatilhosAntigos(), 0);
    const std::string antes = Valor("select Versao from Pai where Id = 1");
    Sql("update Pai set Id = 1 where Id = 1");
    EXPECT_NE(Valor("select Versao from Pai where Id = 1"), antes);
}

TEST_F(GatilhosDasChaves, TabelaQueReferenciaRenomeada) {
    Sql("exec sp_rename 'Filho', 'Filho2'");
    Recusada("delete from Pai where Id = 1", "FK_Filho_Pai", "Filho2", "PaiId", true);
    Recusada("insert into Filho2 values (9, 7, 1)", "FK_Filho_Pai", "Pai", "Id");
    Sql("delete from Filho2");
    Sql("delete from Pai where Id = 1");
    EXPECT_EQ(Valor("select count(*) from Pai"), "1");
}

// A referencing column renamed: the referenced table's checks read it by its new name.
TEST_F(GatilhosDasChaves, ColunaQueReferenciaRenomeada) {
    Sql("exec sp_rename 'Filho.PaiId', 'Pai', 'COLUMN'");
    Recusada("delete from Pai where Id = 1", "FK_Filho_Pai", "Filho", "Pai", true);
    Recusada("update Pai set Id = 5 where Id = 1", "FK_Filho_Pai", "Filho", "Pai", true);
    Recusada("insert into Filho values (9, 7, 1)", "FK_Filho_Pai", "Pai", "Id");
    Sql("delete from Pai where Id = 2");  // Neto's cascade still runs
    EXPECT_EQ(Valor("select count(*) from Neto"), "0");
}

// A key dropped keeps its triggers, which no longer refuse anything; made again the same
// it finds them in place, without a change to SQLite's schema.
TEST_F(GatilhosDasChaves, ChaveRefeitaIgualNaoMudaOEsquema) {
    db_ = Conectar("Teste");  // a new session reads the triggers from the file
    const int antes = VersaoDoEsquema();
    Sql("ALTER TABLE Filho DROP CONSTRAINT FK_Filho_Pai");
    Sql("insert into Filho values (2, 7, 1)");
    Sql("delete from Filho where Id = 2");
    Sql("ALTER TABLE Filho NOCHECK CONSTRAINT FK_Filho_Mae");
    Sql("insert into Filho values (3, 1, 7)");
    Sql("delete from Filho where Id = 3");
    Sql("ALTER TABLE Filho WITH NOCHECK ADD CONSTRAINT FK_Filho_Pai FOREIGN KEY (PaiId) "
        "REFERENCES Pai (Id)");
    Sql("ALTER TABLE Filho CHECK CONSTRAINT FK_Filho_Mae");
    EXPECT_EQ(VersaoDoEsquema(), antes);
    TodasValem();
    // within a transaction, and undone with it
    Sql("begin transaction");
    Sql("ALTER TABLE Filho DROP CONSTRAINT FK_Filho_Pai");
    Sql("ALTER TABLE Filho ADD CONSTRAINT FK_Filho_Pai FOREIGN KEY (PaiId) REFERENCES Pai (Id)");
    Recusada("insert into Filho values (8, 7, 1)", "FK_Filho_Pai", "Pai", "Id");
    Sql("ALTER TABLE Filho DROP CONSTRAINT FK_Filho_Pai");
    Sql("insert into Filho values (8, 7, 1)");
    Sql("rollback");
    EXPECT_EQ(Valor("select count(*) from Filho where Id = 8"), "0");
    TodasValem();
}

// A key made again under the same name but another definition holds as now defined.
TEST_F(GatilhosDasChaves, ChaveRefeitaDiferenteValeComoDefinida) {
    Sql("ALTER TABLE Filho DROP CONSTRAINT FK_Filho_Pai");
    Sql("ALTER TABLE Filho DROP CONSTRAINT FK_Filho_Mae");
    Sql("ALTER TABLE Filho ADD CONSTRAINT FK_Filho_Pai FOREIGN KEY (MaeId) REFERENCES Pai (Id)");
    Sql("insert into Filho values (2, 7, 1)");  // PaiId no longer checked
    Recusada("insert into Filho values (3, 1, 7)", "FK_Filho_Pai", "Pai", "Id");
    Sql("delete from Pai where Id = 2");  // nothing references it through MaeId
    Recusada("delete from Pai where Id = 1", "FK_Filho_Pai", "Filho", "MaeId", true);
}

// The triggers of a dropped key go before the tables they name change or go.
TEST_F(GatilhosDasChaves, TabelasDeChaveExcluidaMudamOuSaem) {
    Sql("ALTER TABLE Neto DROP CONSTRAINT FK_Neto_Pai");
    Sql("ALTER TABLE Filho DROP CONSTRAINT FK_Filho_Mae");
    Sql("drop table Neto");
    Sql("ALTER TABLE Filho DROP COLUMN MaeId");
    Sql("exec sp_rename 'Pai.Id', 'Codigo', 'COLUMN'");
    Recusada("insert into Filho values (9, 7)", "FK_Filho_Pai", "Pai", "Codigo");
    Sql("insert into Filho values (9, 2)");
    Recusada("delete from Pai where Codigo = 2", "FK_Filho_Pai", "Filho", "PaiId", true);
    Sql("ALTER TABLE Filho DROP CONSTRAINT FK_Filho_Pai");
    Sql("drop table Pai");
    Sql("insert into Filho values (10, 7)");
    EXPECT_EQ(Valor("select count(*) from Filho"), "3");
}
