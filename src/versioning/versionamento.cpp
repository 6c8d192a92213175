#include "versioning/versionamento.hpp"

// Placeholder bodies until the trigger generation is written.
namespace zolvek::versionamento {

void RemoverTriggersDeRegMov(db::Conexao&, const dicionario::DicionarioDeDados&,
                             InterfaceDoComando&) {}
void GerarVersionamento(db::Conexao&, const dicionario::DicionarioDeDados&, ClasseDeVersionamento,
                        InterfaceDoComando&) {}

}  // namespace zolvek::versionamento
