#include "simulador/motor/mensagens/falhas.hpp"

#include <sqlite3.h>

#include <string_view>

#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"

namespace zolvek::simulador {

namespace {

thread_local std::optional<ErroDeBanco> falhaGuardada;

}  // namespace

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

void FalharNaFuncao(sqlite3_context* c, const ErroDeBanco& erro) {
    if (tentativaAtual) {
        tentativaAtual->falhou_ = true;
        return;
    }
    GuardarErroDeFuncao(erro);
    sqlite3_result_error(c, erro.what(), -1);
}

std::optional<ErroDeBanco> TomarFalhaDeFuncao() {
    auto f = std::move(falhaGuardada);
    falhaGuardada.reset();
    return f;
}

namespace {

struct Traducao {
    std::string_view trecho;  // a piece of SQLite's message
    int numero;               // SQL Server's message for the same case
    int estado;
    std::string_view valores[2];  // the message's values, when it has any
};

// SQLite's failures that SQL Server knows under another message.
constexpr Traducao kTraducoes[] = {
    {"parser stack overflow", 191, 1, {}},
    {"Expression tree is too large", 191, 1, {}},
    {"too many levels of trigger recursion", 217, 1, {}},
    {"too many terms in compound SELECT", 8623, 1, {}},
    {"too many columns", 8623, 1, {}},
    {"too many arguments on function", 8623, 1, {}},
    {"at most 64 tables in a join", 8623, 1, {}},
    {"LIKE or GLOB pattern too complex", 8623, 1, {}},
    {"too many SQL variables", 8003, 1, {}},
    {"string or blob too big", 7119, 1, {}},
    {"datatype mismatch", 8114, 5, {"varchar", "int"}},
    {"integer overflow", 8115, 2, {"expression", "int"}},
    {"incomplete input", 102, 1, {"the end of the batch"}},
    {"out of memory", 701, 123, {}},
    {"misuse of aggregate", 147, 1, {}},
    {"aggregate functions are not allowed in the GROUP BY clause", 144, 1, {}},
    {"do not have the same number of result columns", 205, 1, {}},
    {"sub-select returns", 116, 1, {}},
    {"row value misused", 116, 1, {}},
    {"no tables specified", 263, 1, {}},
    {"ORDER BY term does not match any column in the result set", 104, 1, {}},
    {"misuse of window function", 4108, 1, {}},
    // ALL/ANY over a subquery of several columns (gerador_quantificadas)
    {"table zv_quantificada has", 116, 1, {}},
    {"cannot commit - no transaction is active", 3902, 1, {}},
    {"cannot rollback - no transaction is active", 3903, 1, {}},
};

ErroDeBanco ErroDaTraducao(const Traducao& t) {
    return ErroDoServidor(t.numero, t.estado, {t.valores[0], t.valores[1]});
}

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
    if (tabela.empty()) return ErroDoServidor(1101, {banco});
    return ErroDoServidor(1105, {"dbo." + tabela, banco});
}

ErroDeBanco ErroComoSqlServer(const std::string& msg, const std::string& banco) {
    if (msg.find("database or disk is full") != std::string::npos)
        return ErroDeDiscoCheio(banco, "");
    for (const auto& t : kTraducoes)
        if (msg.find(t.trecho) != std::string::npos) return ErroDaTraducao(t);
    if (auto nome = NomeCitado(msg, "unrecognized token: "); !nome.empty())
        return ErroDoServidor(102, {"'" + nome + "'"});
    if (msg.rfind("table ", 0) == 0 && msg.find(" already exists") != std::string::npos)
        return ErroDoServidor(2714, {NomeCitado(msg, "table ")});
    if (auto nome = NomeCitado(msg, "no such index: "); !nome.empty())
        return ErroDoServidor(3701, 7, {"index", nome});
    // Nothing of SQLite's wording reaches the user: what has no counterpart here is
    // refused as the stand-in's own limit.
    return Recusa("O simulador de SQL Server não conseguiu executar esta instrução.");
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
    return ErroDoServidor(191);
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
    return ErroDoServidor(3930);
}

}  // namespace zolvek::simulador
