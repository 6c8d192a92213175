#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Reading what a batch the analysis sends does to the database, from its text: whether
// it changes anything, whether SQL Server would take it inside a transaction, and which
// table and object a change touches.
namespace zolvek::analysis {

enum class EspecieDeComando {
    Leitura,    // SELECT without INTO, the procedures that only report
    Transacao,  // SAVE / ROLLBACK / COMMIT TRANSACTION alone
    Mudanca,    // anything else
};

EspecieDeComando EspecieDoComando(std::string_view sql);

// Why SQL Server refuses the batch inside a transaction, "" when it takes it:
// ALTER/CREATE/DROP DATABASE, BACKUP, RESTORE, RECONFIGURE, KILL, full-text catalogs
// and indexes. The body of a procedure, trigger, function or view the batch creates is
// not run, so it does not count.
std::string RecusaEmTransacao(std::string_view sql);

// True when the batch would end a transaction it did not begin: a ROLLBACK, or more
// COMMITs than BEGIN TRANs (bodies of created modules left out, as above).
bool EncerraTransacaoDeFora(std::string_view sql);

enum class TipoDeMudanca {
    CriarTabela,
    AcrescentarColunas,
    AlterarColuna,
    CriarRestricao,
    RemoverRestricao,  // conditional: "if exists (...) ALTER TABLE ... DROP CONSTRAINT"
    CriarIndice,
    RemoverIndice,
    CriarObjeto,    // procedure, trigger, function or view (CREATE or ALTER)
    RemoverObjeto,  // "if exists (...) drop procedure|trigger|function|view"
    Permissao,
    DadosIniciais,     // INSERT of seed rows
    LinhaDeParametro,  // "if not exists (select * from [X]) INSERT INTO [X] DEFAULT VALUES"
    Preenchimento,     // UPDATE ... SET [F]=... WHERE [F] IS NULL
    Outra,
};

struct Mudanca {
    TipoDeMudanca tipo = TipoDeMudanca::Outra;
    std::string tabela;  // the table it belongs to; "" for objects of no table
    // The constraint, index, column or object; for Outra, the batch's first words.
    std::string objeto;
    // "PRIMARY KEY", "UNIQUE", "DEFAULT", "CHECK", "FOREIGN KEY"; "procedure",
    // "trigger", "function", "view"; for a column, its new type ("NVARCHAR(40)").
    std::string especie;
    // ALTER COLUMN: true for NULL, false for NOT NULL, nullopt when the type says none.
    std::optional<bool> nulo;
    // CREATE TABLE and ADD: each column's name and type.
    std::vector<std::pair<std::string, std::string>> colunas;
};

Mudanca ClassificarMudanca(std::string_view sql);

// A column type written one way: upper case, no blanks, DEC and NUMERIC as DECIMAL,
// "(MAX)" as "(max)", TIMESTAMP as ROWVERSION.
std::string TipoNormalizado(std::string_view tipo);

}  // namespace zolvek::analysis
