#pragma once

#include <string>

#include "analysis/contexto_da_analise.hpp"
#include "db/conjunto.hpp"
#include "dictionary/dicionario.hpp"

// The per-table steps of the analysis and the SQL they send. Steps that catch their
// own server errors add error rows and go on; the others raise to the table guard.
namespace zolvek::analysis {

// --- Table structure --------------------------------------------------------------

// Whether the table exists; a server error adds an error row and answers false.
// Uses `consulta` when given, else a dataset of its own.
bool TabelaExiste(ContextoDaAnalise& contexto, const std::string& nome,
                  db::Consulta* consulta = nullptr);

// True when every field of the table has a matching column. Visits every field, so
// that every widening happens; any error answers false.
bool EstruturaConfere(ContextoDaAnalise& contexto, dicionario::TabelaDic& tabela);

// Compares one field with its column of `amostra` (an open "select top 1 * from [T]");
// may widen the field's Tamanho and Decimais to the database's.
bool ColunaConfere(ContextoDaAnalise& contexto, const std::string& tabela,
                   dicionario::CampoDic& campo, db::ConjuntoDeDados& amostra, bool& existe);

void CriarTabela(ContextoDaAnalise& contexto, const dicionario::TabelaDic& tabela);
void AtualizarEstrutura(ContextoDaAnalise& contexto, dicionario::TabelaDic& tabela);
void RemoverNaoNulos(ContextoDaAnalise& contexto, const dicionario::TabelaDic& tabela);
void CriarNaoNulos(ContextoDaAnalise& contexto, const dicionario::TabelaDic& tabela);

// --- Defaults, keys and indexes, checks, relationships ------------------------------

void RemoverValoresPadrao(ContextoDaAnalise& contexto, const dicionario::TabelaDic& tabela);
void CriarValoresPadrao(ContextoDaAnalise& contexto, const dicionario::TabelaDic& tabela,
                        bool integridade);
void RemoverIndices(ContextoDaAnalise& contexto, const dicionario::TabelaDic& tabela);
// True when the table has its primary key ("Chvpr_" + table) and every other index of
// the dictionary, by name; false also when they cannot be read.
bool IndicesPresentes(ContextoDaAnalise& contexto, const dicionario::TabelaDic& tabela);
void CriarIndices(ContextoDaAnalise& contexto, const dicionario::TabelaDic& tabela);
void RemoverValidacoes(ContextoDaAnalise& contexto, const dicionario::TabelaDic& tabela);
void CriarValidacoes(ContextoDaAnalise& contexto, const dicionario::TabelaDic& tabela,
                     bool integridade);
void RemoverRelacionamentos(ContextoDaAnalise& contexto, const dicionario::TabelaDic& tabela);
void CriarRelacionamentos(ContextoDaAnalise& contexto, const dicionario::TabelaDic& tabela,
                          bool integridade);

// --- Seed rows, grants, single-user mode, parameter rows ----------------------------

// Switches the database to single-user mode (and straight back when `bloquear` is
// false). A refusal is explained to the user, who may look at the active users; the
// run then aborts with Cancelamento.
void AcessoUnico(ContextoDaAnalise& contexto, bool bloquear);
// The last switch of a run with "Não bloquear": the run is registered and its window
// finished, so a refusal ends nothing and asks nothing; what happened is told once.
void ConferirAcessoUnicoAoFim(ContextoDaAnalise& contexto);
void InserirDadosIniciais(ContextoDaAnalise& contexto, const dicionario::TabelaDic& tabela);
void ConcederAcesso(ContextoDaAnalise& contexto, const dicionario::TabelaDic& tabela,
                    const std::string& grupo);
void CriarLinhasDeParametro(ContextoDaAnalise& contexto);

}  // namespace zolvek::analysis
