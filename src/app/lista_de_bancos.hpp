#pragma once

#include <QString>
#include <QStringList>

// The saved connections of the connection dialog: entries "name=connection string"
// in most-recently-used order. Names compare upper-cased on both sides.
namespace zolvek::app {

QString NomeDaEntrada(const QString& entrada);
QString ValorDaEntrada(const QString& entrada);

// Position of the first entry with the name, ignoring letter case; -1 when none.
int IndiceDoNome(const QStringList& lista, const QString& nome);

// The value of the first entry with the name; "" when none.
QString ValorDoNome(const QStringList& lista, const QString& nome);

// Replaces the entry with the name (written with the given name's letter case), or
// appends it when there is none.
void DefinirValorDoNome(QStringList& lista, const QString& nome, const QString& valor);

// The entry where the dialog keeps its "Fazer conexão automaticamente" switch ("S" or
// "N"): it lives in the list but is not a connection.
inline const QString kConexaoAutomatica = QStringLiteral("ConexaoAutomatica");

// The position of the connection with the name, ignoring letter case; -1 when none
// (the automatic-connection entry is not a connection).
int IndiceDaConexao(const QStringList& lista, const QString& nome);

// The names of the connections, in list order.
QStringList NomesDasConexoes(const QStringList& lista);

}  // namespace zolvek::app
