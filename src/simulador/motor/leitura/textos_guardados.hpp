#pragma once

#include <string>
#include <vector>

#include "simulador/motor/arvores/expressao.hpp"
#include "simulador/motor/leitura/lexico.hpp"

// Texts the engine keeps or is handed outside a batch (a computed column's expression, a
// constraint's text, sp_executesql's declarations, sp_rename's names), read into what
// the executor needs.
namespace zolvek::simulador {

// A computed column's expression, as kept in the catalog.
Expr ExpressaoGuardada(const std::string& texto);

// Whether an expression's text calls dbo.nome(...) (or DB.dbo.nome, or .nome).
bool ChamaAFuncao(const std::string& texto, const std::string& nome);

// A name as sp_rename takes it: "[dbo].[T]" -> {"dbo", "T"}; "T.c" -> {"T", "c"}.
std::vector<std::string> PartesDoNomeEscrito(const std::string& nome);

// A CHECK or DEFAULT text with a column's name replaced by another's.
std::string TrocarColuna(const std::string& texto, const std::string& antiga,
                         const std::string& nova);

// One of sp_executesql's declared parameters.
struct ParametroDeclarado {
    std::string nome;  // with the @
    std::string tipo;  // as written: "int", "varchar(10)"
    bool saida = false;
};

// "@id int, @nome varchar(10) OUTPUT" of sp_executesql (102 on what does not read).
std::vector<ParametroDeclarado> LerDeclaracoes(const std::string& texto);

// The text with each use of a declared parameter made a "CAST(? AS tipo)"; `usos` gets
// the parameter of each '?', in order.
std::string TextoComParametros(const std::string& texto,
                               const std::vector<ParametroDeclarado>& declarados,
                               std::vector<const ParametroDeclarado*>& usos);

}  // namespace zolvek::simulador
