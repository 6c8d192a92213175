#pragma once

struct sqlite3;

// HASHBYTES('MD5' | 'SHA1' | 'SHA2_256' ..., valor): the digest of the value's bytes as
// SQL Server stores them (varchar in Windows-1252, nvarchar in UTF-16).
namespace zolvek::simulador {

void RegistrarFuncoesDeResumo(sqlite3* db);

}  // namespace zolvek::simulador
