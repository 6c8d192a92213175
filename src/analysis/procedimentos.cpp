#include "analysis/procedimentos.hpp"

// Placeholder bodies until the procedure phases are written.
namespace zolvek::analysis {

std::vector<std::string> ListarProgramasAgregados(ContextoDaAnalise&) {
    return {};
}
void RemoverProcedimentos(ContextoDaAnalise&) {}
void CriarProcedimentos(ContextoDaAnalise&) {}

}  // namespace zolvek::analysis
