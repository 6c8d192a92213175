#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zolvek::simulador {

class Catalogo;
class Servidor;

// What the SQL functions read of the session whose connection runs them (their user
// data): the login and user, the client, the transaction, the database and the server.
// The session fills it in; the functions see nothing else of it.
class SessaoDasFuncoes {
  public:
    virtual const std::string& NomeDoLogin() const = 0;
    virtual std::string NomeDoUsuario() = 0;
    virtual const std::string& Host() const = 0;
    virtual const std::string& Programa() const = 0;
    virtual int Spid() const = 0;
    virtual bool Sysadmin() const = 0;
    // IS_MEMBER: 1, 0, or -1 when the role does not exist.
    virtual int EhMembro(const std::string& papel) = 0;
    // @@IDENTITY: none before the session's first insert with an identity value.
    virtual const std::optional<std::int64_t>& UltimaIdentidade() const = 0;
    virtual int NivelDeTransacao() const = 0;
    // XACT_STATE(): 1, -1 in a doomed transaction, 0 outside one.
    virtual int EstadoDaTransacao() const = 0;
    virtual const std::string& Banco() const = 0;
    virtual Catalogo& CatalogoAtual() = 0;
    virtual Servidor& ServidorAtual() = 0;

  protected:
    SessaoDasFuncoes() = default;
    ~SessaoDasFuncoes() = default;
};

}  // namespace zolvek::simulador
