#pragma once

#include <optional>
#include <string>

#include "simulador/motor/tipos/tipos.hpp"

struct sqlite3;

// The SQL functions the rewritten statements call: T-SQL's built-ins (getdate,
// suser_sname, IS_MEMBER, object_id, datediff, convert ...) and the engine's own
// (zv_conv, which gives a value the type of the column it goes into).
namespace zolvek::simulador {

class SessaoDasFuncoes;

void RegistrarFuncoes(sqlite3* db, SessaoDasFuncoes* sessao);
// zv_conv, zv_chave, CAST, CONVERT and their TRY_ forms (funcoes_conversao.cpp).
void RegistrarFuncoesDeConversao(sqlite3* db, SessaoDasFuncoes* sessao);
// zv_funcao, the call of a user function (execucao/funcoes_escalares_do_usuario.cpp).
void RegistrarFuncoesDoUsuario(sqlite3* db);
// zv_mais, T-SQL's + where neither integer nor decimal arithmetic applies (funcoes_mais.cpp).
void RegistrarFuncaoMais(sqlite3* db);

// The SQLite call that converts an expression to a column type on writing. `origem`,
// when known, is the expression's own type (a decimal goes to a number by its value).
std::string ChamadaDeConversao(const std::string& expressao, const TipoSql& t,
                               const std::optional<TipoSql>& origem = std::nullopt);

// Subtype that marks a text as a date-time in results.
inline constexpr unsigned kSubtipoDataHora = 68;

}  // namespace zolvek::simulador
