#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "comum/erros.hpp"

struct sqlite3;

// What a database user may do, as SQL Server decides it: db_owner (and the database's
// owner, and sysadmin) may do anything; otherwise DENY on the object, its schema or the
// database, or the fixed roles db_denydatareader/db_denydatawriter refuse, GRANT on any of
// the three or db_datareader/db_datawriter allow, and anything else is refused. A user's rights are
// those of the user, of every role it belongs to (directly or through another role) and of public.
namespace zolvek::simulador {

// The id the rights on schema dbo, every object's, are kept under: no object has it (0 is
// the database's).
inline constexpr std::int64_t kEsquemaDbo = -1;

struct DireitosDoUsuario {
    bool irrestrito = true;        // sysadmin, dbo, db_owner
    std::set<std::string> papeis;  // fixed and user roles, folded
    // object id (0: the database) -> permission (folded) -> granted (false: denied)
    std::map<std::int64_t, std::map<std::string, bool>> porObjeto;

    bool operator==(const DireitosDoUsuario&) const = default;
    bool Membro(const std::string& papel) const;
    // SELECT, INSERT, UPDATE, DELETE, EXECUTE (any letter case) on the object.
    bool Permite(const std::string& permissao, std::int64_t objeto) const;
    // CREATE TABLE / ALTER / DROP of tables, indexes and programmed objects.
    bool PermiteDdl(const std::string& permissaoNoBanco) const;
};

// The fixed role every database has (db_owner ... db_denydatawriter; public is not among
// them) that the name gives in any letter case, as it is spelled; null for another name.
const char* NomeDoPapelFixo(const std::string& nome);

// Reads the rights of `usuario` ("dbo" for the owner and sysadmin) from the database's
// catalog tables.
DireitosDoUsuario LerDireitos(sqlite3* db, const std::string& usuario);

// "The SELECT permission was denied on the object 'T', database 'B', schema 'dbo'."
ErroDeBanco PermissaoNegada(const std::string& permissao, const std::string& objeto,
                            const std::string& banco);

}  // namespace zolvek::simulador
