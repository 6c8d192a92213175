#pragma once

#include <functional>
#include <string>

#include "comum/comando.hpp"
#include "db/conjunto.hpp"
#include "db/modulo_dados.hpp"

// "Liberar" takes the database out of maintenance (single-user mode); "Validar" also
// declares it to be at the loaded dictionary's revision. Both run on the data
// module's connection, write their RegMov row and stamp the status row.
namespace zolvek::admin {

extern const char* const kMensagemJaLiberado;  // "Banco de dados já está liberado"
extern const char* const kPerguntaLiberar;     // "O banco de dados será liberado, ..."
extern const char* const kMensagemLiberado;    // "Banco de dados liberado com sucesso"
extern const char* const kMensagemJaValidado;  // "Banco de dados já está validado"
extern const char* const kMensagemValidado;    // "Banco de dados validado com sucesso"

// The query that answers the single-user setting of the database in a column
// CurrentSetting ("ON"/"OFF"): sys.databases from major version 11 on, sp_dboption
// before it. The name goes in as a literal with its apostrophes doubled.
std::string ConsultaDeUsuarioUnico(int versaoMaior, const std::string& nomeDoBanco);

enum class ResultadoDaLiberacao { JaLiberado, NaoConfirmado, Liberado };

// The release: asks the server whether the database is single-user; when it is not,
// says so; otherwise asks for confirmation and then writes the RegMov row (a failure
// there is shown and the release goes on), sets multi-user, stamps the status row,
// runs `atualizarInformacoes` (the front end's panel) and tells the success. A
// failure of the single-user query or of ALTER DATABASE propagates; so does a failed
// stamp, as an error that says the database was released, and no success is told.
ResultadoDaLiberacao Liberar(db::TModuloDados& modulo, InterfaceDoComando& interface,
                             const std::function<void()>& atualizarInformacoes = {});

// Reopens `Parametros` and compares its RevisaoDoBD with the dictionary revision
// (NULL, blanks or a non-number never compare equal). When equal, shows
// kMensagemJaValidado and returns false.
bool PrecisaValidar(db::TModuloDados& modulo, int revisaoDoDicionario,
                    InterfaceDoComando& interface);

// The text of the validate dialog's label.
std::string TextoDaValidacao(int revisaoDoDicionario);

// The steps of "Validar" on `qryComando` (bound to the data module's connection):
// the RegMov row, the revision written and the database released, the status row
// stamped. Failures propagate (a failed stamp as an error that says the database was
// validated); the steps already done stay done.
void ValidarBanco(db::TModuloDados& modulo, db::Consulta& qryComando, int revisaoDoDicionario,
                  InterfaceDoComando& interface);

}  // namespace zolvek::admin
