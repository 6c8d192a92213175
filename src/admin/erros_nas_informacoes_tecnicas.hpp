#pragma once

#include <string>
#include <vector>

#include "comum/comando.hpp"
#include "db/modulo_dados.hpp"

// What a progress window's error list adds to the technical information for support.
namespace zolvek::admin {

// The captions of the error list of the long commands.
std::vector<std::string> TitulosDaListaDeErros();  // "Tabela" ... "Comando"

// One block per row: an empty line; "<<< Erro n >>>" (n from 1); the captions joined
// by ","; a line of "-" as long as that line (in characters); the row's texts joined
// by ",".
std::vector<std::string> BlocoDosErros(const std::vector<std::string>& titulos,
                                       const std::vector<std::vector<std::string>>& linhas);
std::vector<std::string> BlocoDosErros(const std::vector<LinhaDeErro>& linhas);

// At the end of a run: the block goes into the log as one entry and the technical
// information is saved to LogZAV.txt; both only while the log is enabled. `janela` is
// the progress window's name.
void RegistrarErrosNoLog(db::TModuloDados* modulo, const std::string& janela,
                         const std::vector<std::string>& bloco);

}  // namespace zolvek::admin
