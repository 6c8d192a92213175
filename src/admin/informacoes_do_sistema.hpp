#pragma once

#include <string>
#include <vector>

#include "db/modulo_dados.hpp"

// The text of the main window's information panel: the program build, the database
// it is connected to and the status report of the database.
namespace zolvek::admin {

// Appends the system information; false when the text reports a problem (no
// program path, the database revision missing or blank, the parameter tables
// without RevisaoDoBD or missing). Errors of the other queries propagate.
bool ObterSisInfo(db::TModuloDados& modulo, std::vector<std::string>& linhas);

// The whole panel as the main window shows it. Lines may hold several lines
// separated by CR LF (multi-line column values).
struct PainelDeInformacoes {
    std::vector<std::string> linhas;
    bool textoNormal = true;        // window-text colour; false = red
    bool analisarVermelho = false;  // the "Analisar" button painted red
    bool conectado = false;
};

// Builds the panel: ObterSisInfo, then, while connected, the single-user state of the
// database ("Banco de dados liberado" / "Banco de dados em manutenção"), an empty line
// and the status report. Errors of the database queries propagate.
PainelDeInformacoes AtualizarInformacoes(db::TModuloDados& modulo);

// The query that tells whether the database is in single-user mode (column
// CurrentSetting, "ON" or "OFF"), for a server of the given major version.
std::string ConsultaDeAcessoUnico(int versaoMaior, const std::string& nomeDoBanco);

// "ddddd hh:nn" of the server clock: the long date form and hours:minutes, as in
// "quarta-feira, 19 de agosto de 2020 11:31".
std::string TextoDaHoraDaInformacao(const db::DataHora& hora);

// The revision of the loaded dictionary (-1 before any load).
int RevisaoDoDicionarioCarregado();

}  // namespace zolvek::admin
