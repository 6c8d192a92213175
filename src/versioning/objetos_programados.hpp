#pragma once

#include <string>

#include "db/conexao.hpp"

// Installing the database's programmed objects (procedures, functions, views,
// triggers) from their SQL text.
namespace zolvek::versionamento {

// Runs the text as one batch on the connection, as it is: ":name" markers are not
// parameters. Server errors propagate.
void ExecutarTexto(db::Conexao& conexao, const std::string& texto);

// The object kind of the DROP statement for a program type ("Procedimento",
// "Gatilho", "Vista"...); the lower-case type when it is none of those.
std::string TipoDeObjeto(const std::string& tipo);

// The statement that drops the object when it exists:
// "if exists (select * from sysobjects where id = object_id('N')) drop KIND dbo.[N]".
std::string ComandoParaRemoverObjeto(const std::string& nome, const std::string& tipoDeObjeto);

// Drops the object when its kind is a procedure, trigger, function or view.
void RemoverObjeto(db::Conexao& conexao, const std::string& nome, const std::string& tipo);

// Grants the public role the use of the object, by its program type: execute on
// procedures, select on "View", execute (else select) on "Função"; nothing otherwise.
void ConcederAcessoAoObjeto(db::Conexao& conexao, const std::string& nome, const std::string& tipo);

// Drops the object, creates it again from its text and grants it.
void SubstituirObjeto(db::Conexao& conexao, const std::string& nome, const std::string& fonte,
                      const std::string& tipo);

}  // namespace zolvek::versionamento
