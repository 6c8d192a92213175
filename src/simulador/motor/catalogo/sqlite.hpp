#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "comum/erros.hpp"

// Small RAII helpers over the SQLite C API for the engine's own statements.
namespace zolvek::simulador {

// A failure of SQLite itself, with its extended result code. It never reaches the
// caller as is: the executor turns it into SQL Server's error by the code.
class FalhaDoSqlite : public ErroDeBanco {
  public:
    FalhaDoSqlite(int codigo, const std::string& mensagem)
        : ErroDeBanco(mensagem), codigo_(codigo) {}
    int Codigo() const noexcept { return codigo_; }

  private:
    int codigo_;
};

class Instrucao {
  public:
    Instrucao(sqlite3* db, std::string_view sql);
    ~Instrucao();
    Instrucao(const Instrucao&) = delete;
    Instrucao& operator=(const Instrucao&) = delete;

    Instrucao& Ligar(int i, std::int64_t v);
    Instrucao& Ligar(int i, std::string_view v);
    Instrucao& LigarNulo(int i);
    // True while there is a row; raises FalhaDoSqlite on failure.
    bool Passo();
    void Executar();
    std::int64_t Inteiro(int c) const;
    std::string Texto(int c) const;
    bool Nulo(int c) const;
    sqlite3_stmt* Bruta() const { return stmt_; }

  private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

// Runs statements without results; raises as FalharComSqlite does.
void ExecutarSql(sqlite3* db, const std::string& sql);

// Whether schema `esquema` ("main", "temp") of the connection has table `tabela`, told
// by SQLite's schema in memory: a search of sqlite_master reads all of it.
bool ExisteTabelaNoSqlite(sqlite3* db, const std::string& esquema, const std::string& tabela);

// Raises the failure of the connection's last call: a lock wait that gave up is SQL
// Server's "Lock request time out period exceeded.", an interrupted statement "Query
// timeout expired"; anything else is a FalhaDoSqlite carrying `mensagem` (SQLite's own
// when empty), which the executor translates by its code.
[[noreturn]] void FalharComSqlite(sqlite3* db, const std::string& mensagem = {});

}  // namespace zolvek::simulador
