#pragma once

#include <optional>
#include <string>

#include "comum/erros.hpp"

struct sqlite3_context;

// Errors raised inside SQLite by the engine's own SQL functions (conversions, dates,
// lengths) reach the executor only as SQLite's failure of the whole statement; the
// function keeps its SQL Server error here, and the executor raises that one.
namespace zolvek::simulador {

// Keeps the error of the function that failed, as it was raised (the last one wins).
void GuardarErroDeFuncao(const ErroDeBanco& erro);
// Fails the SQL function's call with the error's message, and keeps the error.
void FalharNaFuncao(sqlite3_context* c, const ErroDeBanco& erro);
// While one lives on this thread, FalharNaFuncao neither keeps an error nor fails the
// call: it notes that one failed, and TRY_CAST and TRY_CONVERT answer NULL instead.
class TentativaDeFuncao {
  public:
    TentativaDeFuncao();
    ~TentativaDeFuncao();
    TentativaDeFuncao(const TentativaDeFuncao&) = delete;
    TentativaDeFuncao& operator=(const TentativaDeFuncao&) = delete;
    bool Falhou() const { return falhou_; }

  private:
    friend void FalharNaFuncao(sqlite3_context* c, const ErroDeBanco& erro);
    TentativaDeFuncao* anterior_;
    bool falhou_ = false;
};
// The kept error, once; nothing when no function failed since the last call.
std::optional<ErroDeBanco> TomarFalhaDeFuncao();

// SQL Server's error for a failure SQLite tells in its own words and nothing more
// precise explains: SQL Server's message and number for the same case, or the
// stand-in's own refusal; never SQLite's text. `banco` is the session's database, for
// the messages that name it.
ErroDeBanco ErroComoSqlServer(const std::string& mensagemDoSqlite, const std::string& banco);

// A write that found the disk full (SQLite's "database or disk is full"): SQL Server's
// 1105 for the table a statement was writing, 1101 when no table is known.
ErroDeBanco ErroDeDiscoCheio(const std::string& banco, const std::string& tabela);

// Errors after which SQL Server goes on with the batch's next statement (a duplicate key,
// a constraint, a truncation, a failed transaction statement...): only the statement
// ends. Any other error (a conversion, a name not found when the statement runs, the
// engine's own refusals) ends the whole batch.
bool EncerraSoAInstrucao(const ErroDeBanco& e);

// Conversion errors end the batch and roll back the open transaction even with
// XACT_ABORT OFF (inside TRY they doom it instead).
bool DesfazATransacao(const ErroDeBanco& e);

// A COMMIT or a statement that writes in a doomed transaction (XACT_STATE() -1).
ErroDeBanco ErroDeTransacaoCondenada();

// "Some part of your SQL statement is nested too deeply. ..." (191).
ErroDeBanco ErroDeAninhamento();

}  // namespace zolvek::simulador
