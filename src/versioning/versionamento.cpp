#include "versioning/versionamento.hpp"

#include "comum/erros.hpp"
#include "versioning/comandos_das_triggers.hpp"
#include "versioning/comandos_de_instalacao.hpp"
#include "versioning/objetos_programados.hpp"

namespace zolvek::versionamento {

namespace dic = zolvek::dicionario;

// Both steps run without questions or progress of their own: the run's progress text
// stays on the step that calls them.
void RemoverTriggersDeRegMov(db::Conexao& conexao, const dic::DicionarioDeDados& dicionario,
                             InterfaceDoComando& /*interface*/) {
    for (const auto& tabela : dicionario.Tabelas())
        for (const char* operacao : {"Ins", "Upd", "Del"})
            ExecutarTexto(conexao, ComandoParaRemoverObjeto(
                                       NomeDaTrigger(tabela.Nome, "RegMov", operacao), "trigger"));
}

void GerarVersionamento(db::Conexao& conexao, const dic::DicionarioDeDados& dicionario,
                        ClasseDeVersionamento classe, InterfaceDoComando& /*interface*/) {
    conexao.IniciarTransacao();
    try {
        for (const dic::TabelaDic* tabela : TabelasVersionadas(dicionario, classe))
            for (const auto& comando : ComandosDeInstalacao(*tabela, classe))
                ExecutarTexto(conexao, comando);
        conexao.Confirmar();
    } catch (...) {
        // The first error is the one to report; a failing rollback must not hide it.
        try {
            if (conexao.EmTransacao()) conexao.Desfazer();
        } catch (const Erro&) {
        }
        throw;
    }
}

}  // namespace zolvek::versionamento
