#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "db/conexao.hpp"
#include "db/conjunto.hpp"

// Who is connected to a database, and ending a user's sessions, for the commands that
// need the database to themselves.
namespace zolvek::admin {

// The listing, one row per login and computer with the minutes since its oldest login.
extern const char* const kConsultaDosProcessos;
// The database's own procedure that ends the processes of a login on a computer.
extern const char* const kProcedimentoMatarProcesso;  // "MatarProcesso"

struct UsuarioAtivo {
    std::string hostname;    // "Computador"
    std::string loginame;    // "Usuário"
    std::int64_t tempo = 0;  // "Minutos"
};

// The datasets of the active-users window, bound to the caller's connection and without
// a command time-out: `qryProcessos` (read-only, parameter BD) and `stpMatarProcesso`
// (parameters NOME and HOST).
class UsuariosAtivos {
  public:
    UsuariosAtivos(db::Conexao& conexao, const std::string& nomeDoBanco);

    // Opens the listing (closing it first: "Atualizar").
    void Atualizar();
    std::vector<UsuarioAtivo> Linhas();

    // Ends the processes of that login on that computer and lists again. No question
    // is asked here; server errors (no such procedure, no right) propagate.
    void MatarProcesso(const std::string& loginame, const std::string& hostname);

    // True when the row's login and computer are those of the connection itself:
    // ending them ends the program's own session too.
    bool EhDaPropriaConexao(const std::string& loginame, const std::string& hostname);

    db::Consulta qryProcessos;
    db::Procedimento stpMatarProcesso;

  private:
    db::Conexao& conexao_;
};

}  // namespace zolvek::admin
