#pragma once

#include <string>
#include <vector>

#include "db/conector/conector.hpp"
#include "db/conector/valor.hpp"

// A company database with every kind of object the analysis makes (keys, trusted and
// untrusted checks, defaults that call functions, a foreign key, an index, a trigger, a
// procedure, a function, a view, identity, rowversion, max types, accented names) and
// rows that break the untrusted checks, for the backup and restore round trips.
namespace zolvek::teste {

inline const std::vector<std::string>& LotesDoBancoCompleto() {
    static const std::vector<std::string> lotes = {
        "CREATE TABLE [Opções] ([Código] int IDENTITY(1,1) NOT NULL, [Descrição] nvarchar(60) "
        "NULL, [Valor] decimal(15,2) NULL CONSTRAINT [Deflt_Opções_Valor] DEFAULT (0), "
        "[Criação] datetime NOT NULL CONSTRAINT [Deflt_Opções_Criação] DEFAULT (getdate()), "
        "[Notas] varchar(max) NULL, [Dados] varbinary(max) NULL, [Texto] nvarchar(max) NULL, "
        "[Versão] rowversion, CONSTRAINT [Chvpr_Opções] PRIMARY KEY ([Código]))",
        "CREATE TABLE Itens (Id int NOT NULL CONSTRAINT Chvpr_Itens PRIMARY KEY, Opcao int NULL, "
        "Nome varchar(20) NOT NULL CONSTRAINT Deflt_Itens_Nome DEFAULT (upper('sem nome')), Qtd "
        "int NULL, Dia datetime NULL, CONSTRAINT UQ_Itens_Nome UNIQUE (Nome), CONSTRAINT "
        "Check_Itens_Nome CHECK (len(Nome) > 1))",
        "CREATE TABLE RegTab (Id int IDENTITY(1,1) NOT NULL, Tabela varchar(30) NOT NULL, Chave "
        "int NOT NULL, Operador varchar(128) NOT NULL DEFAULT suser_sname())",
        "ALTER TABLE Itens ADD CONSTRAINT [Rlcto_Itens_Opções] FOREIGN KEY (Opcao) REFERENCES "
        "[Opções]([Código])\n"
        "ALTER TABLE Itens ADD CONSTRAINT Check_Itens_Qtd CHECK (Qtd >= 0)\n"
        "CREATE INDEX IX_Itens_Dia ON Itens (Dia DESC)",
        "CREATE TRIGGER Trigr_Itens_RegTab_Ins ON Itens AFTER INSERT AS INSERT INTO RegTab "
        "(Tabela, Chave) SELECT 'Itens', Id FROM inserted",
        "CREATE PROCEDURE Stprc_Itens_Total @min int AS SELECT COUNT(*) AS Total FROM Itens WHERE "
        "Qtd >= @min",
        "CREATE FUNCTION dbo.Dobro (@x int) RETURNS int AS BEGIN RETURN @x * 2 END",
        "CREATE VIEW vItens AS SELECT Id, Nome, dbo.Dobro(Qtd) AS Dobro FROM Itens",
        "INSERT INTO [Opções] ([Descrição], [Valor], [Notas], [Dados], [Texto]) VALUES (N'Ação', "
        "1.5, REPLICATE(CAST('x' AS varchar(max)), 9000), 0x0102FF, N'çã')\n"
        "INSERT INTO [Opções] ([Descrição]) VALUES (N'Padrão')\n"
        "INSERT INTO Itens (Id, Opcao, Nome, Qtd, Dia) VALUES (1, 1, 'Ana', 3, '20200105')\n"
        "INSERT INTO Itens (Id, Opcao, Qtd, Dia) VALUES (2, 2, 0, '19990101')",
        // rows that break checks SQL Server no longer trusts
        "ALTER TABLE Itens WITH NOCHECK ADD CONSTRAINT Check_Itens_Dia CHECK (datepart(year, Dia) "
        ">= 2000)\n"
        "ALTER TABLE Itens NOCHECK CONSTRAINT Check_Itens_Qtd\n"
        "INSERT INTO Itens (Id, Nome, Qtd) VALUES (3, 'Bia', -1)\n"
        "ALTER TABLE Itens CHECK CONSTRAINT Check_Itens_Qtd",
    };
    return lotes;
}

inline std::string TextoDoValor(const db::Valor& v) {
    if (db::EhNulo(v)) return "NULL";
    if (const auto* s = std::get_if<std::string>(&v)) return *s;
    if (const auto* i = std::get_if<std::int64_t>(&v)) return std::to_string(*i);
    if (const auto* d = std::get_if<db::Decimal>(&v)) return d->texto;
    if (const auto* b = std::get_if<bool>(&v)) return *b ? "1" : "0";
    if (const auto* f = std::get_if<double>(&v)) return std::to_string(*f);
    if (const auto* bytes = std::get_if<db::Bytes>(&v)) {
        static const char kHex[] = "0123456789ABCDEF";
        std::string h = "0x";
        for (std::uint8_t x : *bytes) h += {kHex[x >> 4], kHex[x & 15]};
        return h;
    }
    return std::get<db::DataHora>(v).TextoIso(7);
}

// Every result of a batch, a line per row.
inline std::string Consultado(db::Conector& c, const std::string& sql) {
    std::string texto;
    for (const auto& r : c.Executar(sql, {}, 0))
        for (const auto& linha : r.linhas) {
            for (const auto& v : linha) texto += TextoDoValor(v) + "|";
            texto += "\n";
        }
    return texto;
}

// What a database holds, as text: every table's rows, the objects with their states and
// texts, the columns and the identity counters.
inline std::string RetratoDoBanco(db::Conector& c) {
    std::string retrato = Consultado(
        c,
        "SELECT name, xtype FROM sysobjects WHERE xtype NOT IN ('S', 'IT') ORDER BY name\n"
        "SELECT name, is_not_trusted, is_disabled FROM sys.check_constraints ORDER BY name\n"
        "SELECT name, is_not_trusted, is_disabled FROM sys.foreign_keys ORDER BY name\n"
        "SELECT TABLE_NAME, COLUMN_NAME, DATA_TYPE, CHARACTER_MAXIMUM_LENGTH, IS_NULLABLE, "
        "COLUMN_DEFAULT FROM INFORMATION_SCHEMA.COLUMNS ORDER BY TABLE_NAME, ORDINAL_POSITION\n"
        "SELECT o.name, i.name, i.is_unique FROM sys.indexes i JOIN sys.objects o ON o.object_id "
        "= i.object_id WHERE o.type = 'U' AND i.name IS NOT NULL ORDER BY o.name, i.name\n"
        "SELECT IDENT_CURRENT('Opções'), IDENT_CURRENT('RegTab')");
    for (const char* modulo : {"Trigr_Itens_RegTab_Ins", "Stprc_Itens_Total", "Dobro", "vItens"})
        retrato += Consultado(c, std::string("EXEC sp_helptext '") + modulo + "'");
    for (const char* tabela : {"[Opções]", "Itens", "RegTab", "vItens"})
        retrato += Consultado(c, std::string("SELECT * FROM ") + tabela + " ORDER BY 1");
    return retrato;
}

}  // namespace zolvek::teste
