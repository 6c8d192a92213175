#include "ambiente.hpp"
#include "banco_completo.hpp"

// A backup of a database holding every kind of object the analysis makes restores over
// another database with the same rows, objects and states, and goes on working there.
class CopiaCompleta : public SimuladorTeste {};

TEST_F(CopiaCompleta, VoltaComTodosOsObjetosELinhas) {
    for (const auto& lote : zolvek::teste::LotesDoBancoCompleto()) Sql(lote);
    const std::string antes = zolvek::teste::RetratoDoBanco(*db_);
    auto master = Conectar("master");
    Sql("CREATE DATABASE Outro", {}, master.get());
    Sql("BACKUP DATABASE Teste TO DISK = 'completo.bak' WITH INIT", {}, master.get());
    EXPECT_EQ(Falha("RESTORE VERIFYONLY FROM DISK = 'completo.bak'", master.get()), "(sem erro)");
    const auto arquivos = Sql("RESTORE FILELISTONLY FROM DISK = 'completo.bak'", {}, master.get());
    ASSERT_EQ(arquivos.linhas.size(), 2u);
    Sql("RESTORE DATABASE Outro FROM DISK = 'completo.bak' WITH REPLACE, MOVE '" +
            Texto(arquivos.linhas[0][0]) + "' TO 'E:\\outro.mdf', MOVE '" +
            Texto(arquivos.linhas[1][0]) + "' TO 'E:\\outro.ldf'",
        {}, master.get());

    auto outro = Conectar("Outro");
    EXPECT_EQ(zolvek::teste::RetratoDoBanco(*outro), antes);
    // The trigger runs, the identity goes on, the enabled checks hold for new rows.
    Sql("INSERT INTO Itens (Id, Opcao, Nome, Qtd, Dia) VALUES (4, 1, 'Cid', 1, '20210101')", {},
        outro.get());
    EXPECT_EQ(Texto(Sql("SELECT COUNT(*) FROM RegTab", {}, outro.get()).linhas.at(0)[0]), "4");
    Sql("INSERT INTO [Opções] ([Descrição]) VALUES (N'Nova')", {}, outro.get());
    EXPECT_EQ(Texto(Sql("SELECT MAX([Código]) FROM [Opções]", {}, outro.get()).linhas.at(0)[0]),
              "3");
    for (const char* violacao : {"INSERT INTO Itens (Id, Nome, Qtd) VALUES (5, 'Duda', -2)",
                                 "INSERT INTO Itens (Id, Nome, Dia) VALUES (6, 'Edu', '19980101')",
                                 "INSERT INTO Itens (Id, Nome) VALUES (7, 'F')"})
        EXPECT_NE(Falha(violacao, outro.get()).find("conflicted with the CHECK constraint"),
                  std::string::npos)
            << violacao;
}
