#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "comum/erros.hpp"
#include "db/conector/valor.hpp"

struct sqlite3;
struct sqlite3_stmt;

// Thin helpers over SQLite for the server's own files (master, backups). Failures
// raise ErroDeBanco.
namespace zolvek::simulador {
struct ArquivoDoBanco;
}

namespace zolvek::simulador::interno {

[[noreturn]] void FalharSqlite(sqlite3* banco, const std::string& contexto);

// Opens a file with the busy timeout the server uses everywhere.
sqlite3* AbrirArquivoSqlite(const std::string& caminho, bool somenteLeitura, bool criar);
void FecharArquivoSqlite(sqlite3* banco) noexcept;
// Opens a database file as the engine sees it: with the collations and the functions
// its CHECK and DEFAULT constraints, indexes and views call.
sqlite3* AbrirBancoDoMotor(const std::string& caminho, bool somenteLeitura);
// How the engine, which sits above the server, puts its SQL functions on such a file: it
// names it once, as its functions are loaded; a file opened before gets none of them.
using RegistroDasFuncoes = void (*)(sqlite3* banco);
void DefinirRegistroDasFuncoes(RegistroDasFuncoes registrar) noexcept;

void ExecutarSql(sqlite3* banco, const char* sql);

// Removes a database file with its journal files; silent when they are missing.
void RemoverArquivoSqlite(const std::filesystem::path& caminho) noexcept;

// A prepared statement. Parameters are numbered from 1, columns from 0.
class Comando {
  public:
    Comando(sqlite3* banco, const char* sql);
    ~Comando();
    Comando(const Comando&) = delete;
    Comando& operator=(const Comando&) = delete;

    Comando& Ligar(int indice, const std::string& valor);
    Comando& Ligar(int indice, std::int64_t valor);
    // True while there is a row.
    bool Passo();
    // Runs a statement that returns no rows.
    void Executar();
    void Reiniciar();

    std::string Texto(int coluna) const;
    std::int64_t Inteiro(int coluna) const;

  private:
    sqlite3* banco_;
    sqlite3_stmt* comando_ = nullptr;
};

// BEGIN IMMEDIATE ... COMMIT; rolled back when left without Confirmar.
class Transacao {
  public:
    explicit Transacao(sqlite3* banco);
    ~Transacao();
    Transacao(const Transacao&) = delete;
    Transacao& operator=(const Transacao&) = delete;
    void Confirmar();

  private:
    sqlite3* banco_;
    bool ativa_ = false;
};

// A file of a database from the current row, whose columns are nome_logico,
// nome_fisico, tipo, grupo, id, tamanho_kb, tamanho_maximo_kb, crescimento and
// em_porcentagem, in that order.
ArquivoDoBanco LerArquivoDoBanco(const Comando& linha);

// Local clock as stored in master: "yyyy-mm-dd hh:nn:ss.zzz".
std::string AgoraComoTexto();
db::DataHora LerDataHora(const std::string& texto);

// "Cannot open database "X" requested by the login. The login failed." (4060)
ErroDeBanco BancoNaoAbre(const std::string& banco);

// The key names are compared by: upper case (accents too), trailing blanks removed.
std::string ChaveDeNome(const std::string& nome);

}  // namespace zolvek::simulador::interno
