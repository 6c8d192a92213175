#pragma once

#include <QString>
#include <QStringList>

// Passwords are never kept in the settings: the saved connections of the connection
// dialog and the import's origin are stored without theirs, which is asked for when
// it is needed.
namespace zolvek::app {

// The entries "name=connection string" of the saved connections without passwords.
QStringList ListaSemSenhas(const QStringList& bancos);

// Cleans what older versions stored (passwords in the saved connections and in the
// import's origin). Settings that cannot be written stay as they were.
void RemoverSenhasGuardadas();

}  // namespace zolvek::app
