#include "versioning/comandos_de_instalacao.hpp"

#include "db/texto_sql.hpp"
#include "versioning/comandos_das_triggers.hpp"
#include "versioning/objetos_programados.hpp"

namespace zolvek::versionamento {

namespace dic = zolvek::dicionario;

std::vector<std::string> ComandosDeInstalacao(const dic::TabelaDic& tabela,
                                              ClasseDeVersionamento classe) {
    const std::string H = TabelaDeHistorico(classe);
    ComandosDasTriggers textos;
    CriarComandosDasTriggers(tabela, classe, textos);
    std::vector<std::string> comandos;
    // Each object is dropped when present and created again; triggers and procedures
    // get no grant.
    auto substituir = [&](const std::string& nome, const std::vector<std::string>& linhas,
                          const char* tipoDeObjeto) {
        comandos.push_back(ComandoParaRemoverObjeto(nome, tipoDeObjeto));
        comandos.push_back(TextoDoComando(linhas));
    };
    substituir(NomeDaTrigger(tabela.Nome, H, "Ins"), textos.Insercao, "trigger");
    substituir(NomeDaTrigger(tabela.Nome, H, "Upd"), textos.Alteracao, "trigger");
    substituir(NomeDaTrigger(tabela.Nome, H, "Del"), textos.Exclusao, "trigger");
    if (classe == ClasseDeVersionamento::P) {
        const std::string procedimento = NomeDoProcedimentoDeConstrucao(tabela.Nome, H);
        substituir(procedimento, textos.Construcao, "procedure");
        comandos.push_back("execute dbo." + db::EntreColchetes(procedimento));
    }
    return comandos;
}

}  // namespace zolvek::versionamento
