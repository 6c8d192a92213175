#pragma once

#include <string>

// The connection strings of "Novo.." and "Restaurar cópia...", which work on
// connections of their own, built from what the user typed, to the server's master
// database (and, for the restore, to the destination database).
namespace zolvek::admin {

// A value as it goes into a connection string: in double quotes (a quote doubled)
// when it holds ";", quotes or outer blanks, so that it cannot add entries.
std::string ValorNaCadeia(const std::string& valor);

// The fixed tail of every such string.
extern const char* const kFinalDaCadeia;

// "Provider=SQLOLEDB.1;" + credentials + "Initial Catalog=master;Data Source=" +
// server + kFinalDaCadeia. The credentials come from the login and password with
// blanks removed: both given, "Password=...;Persist Security Info=True;User ID=...;";
// only the login, "Persist Security Info=False;User ID=...;"; no login, Windows
// authentication "Integrated Security=SSPI;Persist Security Info=False;".
std::string CadeiaDoMaster(const std::string& servidor, const std::string& login,
                           const std::string& senha);

// "Provider=SQLOLEDB.1;Password=...;Persist Security Info=True;User ID=...;Initial
// Catalog=" + catalog + ";Data Source=" + server + kFinalDaCadeia: login, password and
// server as typed.
std::string CadeiaComSenha(const std::string& catalogo, const std::string& servidor,
                           const std::string& login, const std::string& senha);

// A server typed as an existing folder is a stand-in server: the string then names
// the stand-in's provider instead of SQLOLEDB.1.
std::string CadeiaParaOServidor(const std::string& cadeia, const std::string& servidor);

}  // namespace zolvek::admin
