#include "simulador/motor/falhas.hpp"

#include <sqlite3.h>

#include <string_view>

namespace zolvek::simulador {

namespace {

struct NumeroDaMensagem {
    std::string_view inicio;
    int numero;
    int severidade;
    int estado;
};

// SQL Server's number, severity and state of each message the functions raise.
constexpr NumeroDaMensagem kNumeros[] = {
    {"String or binary data would be truncated.", 8152, 16, 14},
    {"Conversion failed when converting date and/or time", 241, 16, 1},
    {"The conversion of a ", 242, 16, 3},  // ... data type resulted in an out-of-range value.
    {"The conversion from datetime data type to smalldatetime", 298, 16, 1},
    {"Conversion failed when converting the", 245, 16, 1},
    {"Conversion failed when converting character string to smalldatetime", 295, 16, 3},
    {"Error converting data type", 8114, 16, 5},
    {"Arithmetic overflow error", 8115, 16, 8},
    {"Divide by zero error encountered.", 8134, 16, 1},
    {"Explicit conversion from data type ", 529, 16, 2},
    {"Subquery returned more than 1 value.", 512, 16, 1},
    {"Type ", 243, 16, 2},
    {"' is not a recognized datediff option.", 155, 15, 1},
    {"' is not a recognized datepart option.", 155, 15, 1},
    {"Invalid length parameter passed to the", 537, 16, 3},
    {"Argument data type", 8116, 16, 1},
    {"Cannot convert a char value to money.", 235, 16, 0},
    {"Cannot construct data type", 289, 16, 1},
    {" is not a valid style number when converting", 281, 16, 1},
    {"Adding a value to a '", 517, 16, 1},
    {"The datediff function resulted in an overflow.", 535, 16, 0},
    {"' is not a recognized dateadd option.", 155, 15, 1},
    {"The datepart ", 9810, 16, 10},
    {"The culture parameter '", 9818, 16, 1},
    {"Error converting string value '", 9819, 16, 1},
    {"FOR XML could not serialize the data", 6841, 16, 1},
};

thread_local std::optional<ErroDeBanco> falhaGuardada;

bool MensagemCasa(std::string_view mensagem, std::string_view trecho) {
    if (!trecho.empty() &&
        (trecho.front() == '\'' || trecho.front() == ' '))  // a name or number first
        return mensagem.find(trecho) != std::string_view::npos;
    return mensagem.substr(0, trecho.size()) == trecho;
}

}  // namespace

void GuardarFalhaDeFuncao(const std::string& mensagem) {
    for (const auto& n : kNumeros)
        if (MensagemCasa(mensagem, n.inicio)) {
            falhaGuardada.emplace(mensagem, n.numero, n.severidade, n.estado);
            return;
        }
    falhaGuardada.emplace(mensagem, 0, 16, 1);
}

void GuardarErroDeFuncao(const ErroDeBanco& erro) {
    falhaGuardada.emplace(erro);
}

namespace {
thread_local TentativaDeFuncao* tentativaAtual = nullptr;
}  // namespace

TentativaDeFuncao::TentativaDeFuncao() : anterior_(tentativaAtual) {
    tentativaAtual = this;
}

TentativaDeFuncao::~TentativaDeFuncao() {
    tentativaAtual = anterior_;
}

void FalharNaFuncao(sqlite3_context* c, const std::string& mensagem) {
    if (tentativaAtual) {
        tentativaAtual->falhou_ = true;
        return;
    }
    GuardarFalhaDeFuncao(mensagem);
    sqlite3_result_error(c, mensagem.data(), static_cast<int>(mensagem.size()));
}

std::optional<ErroDeBanco> TomarFalhaDeFuncao() {
    auto f = std::move(falhaGuardada);
    falhaGuardada.reset();
    return f;
}

namespace {

struct Traducao {
    std::string_view trecho;  // a piece of SQLite's message
    const char* mensagem;     // SQL Server's message for the same case
    int numero;
    int severidade;
    int estado;
};

constexpr const char* kAninhadoDemais =
    "Some part of your SQL statement is nested too deeply. Rewrite the query or break it up "
    "into smaller queries.";
constexpr const char* kSemPlano =
    "The query processor ran out of internal resources and could not produce a query plan. "
    "This is a rare event and only expected for extremely complex queries or queries that "
    "reference a very large number of tables or partitions. Please simplify the query. If you "
    "believe you have received this message in error, contact Customer Support Services for "
    "more information.";
constexpr const char* kUmaExpressao =
    "Only one expression can be specified in the select list when the subquery is not "
    "introduced with EXISTS.";

// SQLite's failures that SQL Server knows under another text.
constexpr Traducao kTraducoes[] = {
    {"parser stack overflow", kAninhadoDemais, 191, 15, 1},
    {"Expression tree is too large", kAninhadoDemais, 191, 15, 1},
    {"too many levels of trigger recursion",
     "Maximum stored procedure, function, trigger, or view nesting level exceeded (limit 32).", 217,
     16, 1},
    {"too many terms in compound SELECT", kSemPlano, 8623, 16, 1},
    {"too many columns", kSemPlano, 8623, 16, 1},
    {"too many arguments on function", kSemPlano, 8623, 16, 1},
    {"at most 64 tables in a join", kSemPlano, 8623, 16, 1},
    {"LIKE or GLOB pattern too complex", kSemPlano, 8623, 16, 1},
    {"too many SQL variables",
     "The incoming request has too many parameters. The server supports a maximum of 2100 "
     "parameters. Reduce the number of parameters and resend the request.",
     8003, 16, 1},
    {"string or blob too big",
     "Attempting to grow LOB beyond maximum allowed size of 2147483647 bytes.", 7119, 16, 1},
    {"datatype mismatch", "Error converting data type varchar to int.", 8114, 16, 5},
    {"integer overflow", "Arithmetic overflow error converting expression to data type int.", 8115,
     16, 2},
    {"incomplete input", "Incorrect syntax near the end of the batch.", 102, 15, 1},
    {"out of memory",
     "There is insufficient system memory in resource pool 'default' to run this query.", 701, 17,
     123},
    {"misuse of aggregate",
     "An aggregate may not appear in the WHERE clause unless it is in a subquery contained in "
     "a HAVING clause or a select list, and the column being aggregated is an outer reference.",
     147, 15, 1},
    {"aggregate functions are not allowed in the GROUP BY clause",
     "Cannot use an aggregate or a subquery in an expression used for the group by list of a "
     "GROUP BY clause.",
     144, 15, 1},
    {"do not have the same number of result columns",
     "All queries combined using a UNION, INTERSECT or EXCEPT operator must have an equal "
     "number of expressions in their target lists.",
     205, 16, 1},
    {"sub-select returns", kUmaExpressao, 116, 16, 1},
    {"row value misused", kUmaExpressao, 116, 16, 1},
    {"no tables specified", "Must specify table to select from.", 263, 16, 1},
    {"cannot commit - no transaction is active",
     "The COMMIT TRANSACTION request has no corresponding BEGIN TRANSACTION.", 3902, 16, 1},
    {"cannot rollback - no transaction is active",
     "The ROLLBACK TRANSACTION request has no corresponding BEGIN TRANSACTION.", 3903, 16, 1},
};

// The quoted name of "table \"X\" already exists" and the like ("" when none).
std::string NomeCitado(const std::string& msg, std::string_view depoisDe) {
    auto p = msg.find(depoisDe);
    if (p == std::string::npos) return "";
    p += depoisDe.size();
    if (p < msg.size() && (msg[p] == '"' || msg[p] == '\'')) {
        const char aspas = msg[p];
        const auto fim = msg.find(aspas, p + 1);
        if (fim != std::string::npos) return msg.substr(p + 1, fim - p - 1);
    }
    const auto fim = msg.find_first_of(" \t", p);
    return msg.substr(p, fim == std::string::npos ? std::string::npos : fim - p);
}

}  // namespace

ErroDeBanco ErroDeDiscoCheio(const std::string& banco, const std::string& tabela) {
    if (tabela.empty())
        return ErroDeBanco("Could not allocate a new page for database '" + banco +
                               "' because of insufficient disk space in filegroup 'PRIMARY'. "
                               "Create the necessary space by dropping objects in the filegroup, "
                               "adding additional files to the filegroup, or setting autogrowth "
                               "on for existing files in the filegroup.",
                           1101, 17, 2);
    return ErroDeBanco("Could not allocate space for object 'dbo." + tabela + "' in database '" +
                           banco +
                           "' because the 'PRIMARY' filegroup is full. Create disk space by "
                           "deleting unneeded files, dropping objects in the filegroup, adding "
                           "additional files to the filegroup, or setting autogrowth on for "
                           "existing files in the filegroup.",
                       1105, 17, 2);
}

ErroDeBanco ErroComoSqlServer(const std::string& msg, const std::string& banco) {
    if (msg.find("database or disk is full") != std::string::npos)
        return ErroDeDiscoCheio(banco, "");
    for (const auto& t : kTraducoes)
        if (msg.find(t.trecho) != std::string::npos)
            return ErroDeBanco(t.mensagem, t.numero, t.severidade, t.estado);
    if (auto nome = NomeCitado(msg, "unrecognized token: "); !nome.empty())
        return ErroDeBanco("Incorrect syntax near '" + nome + "'.", 102, 15, 1);
    if (msg.rfind("table ", 0) == 0 && msg.find(" already exists") != std::string::npos)
        return ErroDeBanco(
            "There is already an object named '" + NomeCitado(msg, "table ") + "' in the database.",
            2714, 16, 6);
    if (auto nome = NomeCitado(msg, "no such index: "); !nome.empty())
        return ErroDeBanco("Cannot drop the index '" + nome +
                               "', because it does not exist or you do not have permission.",
                           3701, 11, 7);
    // Nothing of SQLite's wording reaches the user: what has no counterpart here is
    // refused as the stand-in's own limit.
    return ErroDeBanco("O simulador de SQL Server não conseguiu executar esta instrução.");
}

bool EncerraSoAInstrucao(const ErroDeBanco& e) {
    switch (e.Numero()) {
        case 220:   // arithmetic overflow of a tinyint/smallint
        case 515:   // NULL into a NOT NULL column
        case 544:   // explicit identity value with IDENTITY_INSERT off
        case 547:   // foreign key or check
        case 628:   // SAVE TRAN outside a transaction
        case 1913:  // index already exists
        case 2601:  // duplicate key of a unique index
        case 2627:  // duplicate key of a constraint
        case 2628:  // string truncated (2019 text)
        case 2714:  // object already exists
        case 3701:  // cannot drop: it does not exist
        case 3902:  // COMMIT without BEGIN TRAN
        case 3903:  // ROLLBACK without BEGIN TRAN
        case 6401:  // no savepoint of that name
        case 8101:  // identity column needs a column list
        case 8115:  // arithmetic overflow
        case 8134:  // divide by zero
        case 8152:  // string or binary data would be truncated
            return true;
        default:
            return e.Numero() >= 50000;  // RAISERROR
    }
}

ErroDeBanco ErroDeAninhamento() {
    return ErroDeBanco(kAninhadoDemais, 191, 15, 1);
}

bool DesfazATransacao(const ErroDeBanco& e) {
    switch (e.Numero()) {
        case 241:   // date and/or time from a character string
        case 245:   // a value to another type
        case 8114:  // error converting data type
            return true;
        default:
            return false;
    }
}

ErroDeBanco ErroDeTransacaoCondenada() {
    return ErroDeBanco(
        "The current transaction cannot be committed and cannot support operations that write "
        "to the log file. Roll back the transaction.",
        3930, 16, 1);
}

}  // namespace zolvek::simulador
