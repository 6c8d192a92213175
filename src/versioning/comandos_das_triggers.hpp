#pragma once

#include <string>
#include <vector>

#include "dictionary/dicionario.hpp"
#include "versioning/modelo_de_versionamento.hpp"

namespace zolvek::versionamento {

// The texts that install the versioning of one table, as lists of lines.
struct ComandosDasTriggers {
    std::vector<std::string> Insercao;
    std::vector<std::string> Alteracao;
    std::vector<std::string> Exclusao;
    std::vector<std::string> Construcao;  // the build procedure; empty for class F
};

// Fills the four lists (each emptied first) for the table of that class. A table that
// needs a record key and has none raises Erro "Tabela '...' não tem campo chave
// identity" with its place in the source.
void CriarComandosDasTriggers(const dicionario::TabelaDic& tabela, ClasseDeVersionamento classe,
                              ComandosDasTriggers& comandos);

// The text sent to the server: every line followed by CR LF.
std::string TextoDoComando(const std::vector<std::string>& linhas);

// The names of the objects installed for a table of that history table.
std::string NomeDaTrigger(const std::string& tabela, const std::string& historico,
                          const std::string& operacao);  // "Ins", "Upd" or "Del"
std::string NomeDoProcedimentoDeConstrucao(const std::string& tabela, const std::string& historico);

}  // namespace zolvek::versionamento
