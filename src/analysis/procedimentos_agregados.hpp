#pragma once

#include <string>
#include <vector>

#include "db/conexao.hpp"
#include "db/conjunto.hpp"

// The customization library: folders (LibAgr) and aggregated programs (PrgAgr) whose
// active SQL programs each analysis installs again.
namespace zolvek::analysis {

// The query lines that list one folder's subfolders and active SQL programs together,
// ordered by Ordem; the root (no folder) uses "is null" in place of the parameter.
std::vector<std::string> ConsultaDaPasta(bool raiz);

// The ids (as decimal texts) of the active SQL programs of the library, folder by
// folder from the root, each folder's subfolders and programs in their Ordem. The
// caller checks first that LibAgr exists. A folder id met again (a folder listed as
// its own subfolder, or twice) is not walked again, so the walk always ends.
std::vector<std::string> ListarProgramasDaBiblioteca(db::Conexao& conexao);

// The text of the dataset that fetches one program by its id.
inline constexpr const char* kConsultaDoPrograma = "select * from PrgAgr where idPrgAgr=:idPrgAgr";

// One program of PrgAgr.
struct ProgramaAgregado {
    std::string Tipo;
    std::string Nome;
    std::string Fonte;
};

// Reads the program through the prepared dataset (kConsultaDoPrograma, parameter
// idPrgAgr). Raises Erro "Programa agregado nº ID não encontrado" unless exactly one
// row comes back.
ProgramaAgregado ObterProgramaAgregado(db::Consulta& consulta, const std::string& id);

}  // namespace zolvek::analysis
