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
    std::string nomeDoBanco_;
};

// One server session in the database, for naming a user's row by a session number.
struct ProcessoAtivo {
    int spid = 0;
    std::string loginame;
    std::string hostname;
};

// The database's sessions, ordered by number (login and computer without trailing
// blanks).
std::vector<ProcessoAtivo> ProcessosDoBanco(db::Conexao& conexao, const std::string& nomeDoBanco);

// The number of the connection's own session (@@SPID).
int SessaoPropria(db::Conexao& conexao);

// The session `spid` of the database, whose login and computer MatarProcesso would end.
// Raises ErroDeEntrada when it is not in the database, when it is the connection's own
// session, or when it shares the connection's login and computer: MatarProcesso ends
// every process of the pair, and the program's own connection would go with them.
ProcessoAtivo ProcessoParaEliminar(db::Conexao& conexao, const std::string& nomeDoBanco, int spid);

}  // namespace zolvek::admin
