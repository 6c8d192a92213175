#pragma once

#include <string>

#include "comum/comando.hpp"
#include "db/conexao.hpp"
#include "dictionary/dicionario.hpp"

// "Importar dados...": copies the rows of every dictionary table from another database
// (the origin) into the connected one (the destination), matching columns by name and
// keeping identity values where the server allows.
namespace zolvek::manutencao {

inline constexpr const char* kTituloDaImportacao = "Importando";
inline constexpr const char* kTituloDaImpressaoDaImportacao = "Importação: Erros";

struct ResultadoDaImportacao {
    bool cancelada = false;
    int erros = 0;
    long long linhas = 0;  // rows copied (committed)
};

// Error rows use "Tabela", "Campo" and "Descrição". Without `acrescentar` a table is
// copied only into an empty destination table or one with a single row, which is
// deleted first. A failure to open the origin propagates before anything is copied.
ResultadoDaImportacao ImportarDeOutroBanco(db::Conexao& destino,
                                           const dicionario::DicionarioDeDados& dicionario,
                                           const std::string& cadeiaDaOrigem, bool acrescentar,
                                           InterfaceDoComando& ui);

}  // namespace zolvek::manutencao
