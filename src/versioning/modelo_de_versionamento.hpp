#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "dictionary/dicionario.hpp"

// Which dictionary tables keep a history of their records, which of their columns
// are recorded and how each value is stored.
namespace zolvek::versionamento {

// Class F keeps, in RegTab, the values a record had before each change; class P (the
// single-row parameter tables) keeps, in RegVer, the values each change produced.
enum class ClasseDeVersionamento { F, P };

// The fixed lists of table names of each class (47 and 9 names).
const std::vector<std::string>& VersionadaEmRegTab();
const std::vector<std::string>& VersionadaEmRegVer();

// "RegTab" for class F, "RegVer" for class P.
std::string TabelaDeHistorico(ClasseDeVersionamento classe);

// True when the name is in the class's list (letter case ignored).
bool TabelaDaClasse(std::string_view nome, ClasseDeVersionamento classe);

// The dictionary tables of the class, in dictionary order; listed names that are not
// dictionary tables play no part.
std::vector<const dicionario::TabelaDic*> TabelasVersionadas(
    const dicionario::DicionarioDeDados& dicionario, ClasseDeVersionamento classe);

// True when the field's value is recorded: every field but LctoContabilEmEdicao, the
// inclusion and alteration dates of DOCREC, DOCPAG and LCBA2Hdr, and row versions.
bool CampoVersionado(const dicionario::TabelaDic& tabela, const dicionario::CampoDic& campo);

// The recorded fields of the table, in dictionary order.
std::vector<const dicionario::CampoDic*> CamposVersionados(const dicionario::TabelaDic& tabela);

// Where a recorded value goes: the history column's suffix ("ValorEm" + Sufixo) and the
// type of the variable that carries it in the generated SQL.
struct TipoDeValor {
    std::string Sufixo;          // "Binario", "Texto" or "String"
    std::string TipoDaVariavel;  // "varbinary(max)", "varchar(max)" or "varchar(50)"
};

TipoDeValor TipoDeValorDoCampo(const dicionario::CampoDic& campo);

// True when the table's first field identifies its records: an identity (S) or a
// required number (N).
bool TemChaveDoRegistro(const dicionario::TabelaDic& tabela);

}  // namespace zolvek::versionamento
