#pragma once

#include <optional>
#include <string>
#include <vector>

#include "comum/comando.hpp"
#include "db/conector/valor.hpp"
#include "db/conjunto.hpp"
#include "db/modulo_dados.hpp"

// The status row of StatusBD: what the last structure analysis did to the database,
// and who released and validated it afterwards. Its writers take a query bound to
// the open connection (the caller owns it) and leave it closed. Entries of the
// reports may hold several lines separated by CR LF.
namespace zolvek::admin {

// The error list as stored in StatusBD.Erros: per error a heading "Erro N " + 81
// hyphens and one line "caption=value" per column, then 90 hyphens; lines end with
// CR LF. Empty when there is no error.
std::string MontarTextoDeErros(const std::vector<LinhaDeErro>& erros);

// The server clock; when it cannot be read the failure is shown through the
// interface and the local clock is used instead.
db::DataHora HoraDoServidorOuLocal(db::TModuloDados& modulo, InterfaceDoComando& interface);

// An earlier analysis that registered its start and never its end (killed, aborted,
// or its end record failed): its table work may have stopped between removing a
// table's keys, indexes, defaults or checks and creating them again.
struct AnaliseSemFim {
    std::string inicio;    // the start as text ("" when not recorded)
    std::string operador;  // who ran it ("" when not recorded)
};

// Returns the status row to "Em análise..." (columns the table lacks are skipped)
// and empties PEMPRESA.RevisaoDoBD. A failure of either part asks the user whether
// to go on; "Não" raises Cancelamento. `Parametros` of the data module should be open.
// Tells what the row held before when it was still "Em análise...".
std::optional<AnaliseSemFim> RegistrarInicioDaAnalise(db::TModuloDados& modulo,
                                                      const std::vector<std::string>& parametros,
                                                      db::Consulta& consulta,
                                                      InterfaceDoComando& interface);

// What RegistrarInicioDaAnalise tells of the row, read without writing anything (a
// simulation). A status table that cannot be read tells nothing.
std::optional<AnaliseSemFim> ConsultarAnaliseSemFim(db::Consulta& consulta);

// Writes the outcome of the run; every failure (a missing column among them)
// propagates to the caller.
void RegistrarFimDaAnalise(db::TModuloDados& modulo, const db::DataHora& inicio,
                           const std::string& status, const std::vector<std::string>& parametros,
                           const std::vector<LinhaDeErro>& erros, db::Consulta& consulta,
                           InterfaceDoComando& interface);

// Record who released / validated the database and when. A failure leaves the query
// closed and propagates, for the command to say what it did and what it could not.
void RegistrarLiberacao(db::TModuloDados& modulo, db::Consulta& consulta,
                        InterfaceDoComando& interface);
void RegistrarValidacao(db::TModuloDados& modulo, db::Consulta& consulta,
                        InterfaceDoComando& interface);

// Appends the status report; false when it stopped at an error or found no status
// row. Without an open connection it appends nothing and returns true.
bool ObterStatusDoBanco(db::TModuloDados& modulo, std::vector<std::string>& linhas);

// Appends the dump of the company parameter tables PEMPRESA, PARFN, PARFROTA and
// PARHIS; a table that fails becomes a line of the report.
void ObterParametrosDoBanco(db::TModuloDados& modulo, std::vector<std::string>& linhas);

// The dump of one parameter table through `consulta` (left closed). Raises the
// database error when the table cannot be read.
void ListarParametrosDaTabela(std::vector<std::string>& linhas, db::Consulta& consulta,
                              const std::string& tabela);

// Every field of every row as "name=value" ("name=<Blob>" for binary large objects;
// the field Script is left out), sorted without regard to letter case and appended
// as one entry.
void ListarCamposDosRegistros(std::vector<std::string>& linhas, db::ConjuntoDeDados& conjunto);

}  // namespace zolvek::admin
