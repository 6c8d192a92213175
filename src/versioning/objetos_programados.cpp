#include "versioning/objetos_programados.hpp"

#include "comum/erros.hpp"
#include "comum/log.hpp"
#include "comum/texto.hpp"
#include "db/texto_sql.hpp"

namespace zolvek::versionamento {

namespace {

using texto::IguaisSemCaixa;

bool Entre(const std::string& tipo, std::initializer_list<const char*> tipos) {
    for (const char* t : tipos)
        if (IguaisSemCaixa(tipo, t)) return true;
    return false;
}

bool EhProcedimento(const std::string& tipo) {
    return Entre(tipo, {"Procedimento", "Cálculo", "Validação", "Propagação"});
}

}  // namespace

void ExecutarTexto(db::Conexao& conexao, const std::string& texto) {
    // Logged like every other statement of an analysis (when the log is on).
    log::RegistrarNoLog("FObjetosProgramados", 0, "ExecutarTexto", texto);
    conexao.ConectorAberto().Executar(texto, {}, 0);
}

std::string TipoDeObjeto(const std::string& tipo) {
    if (EhProcedimento(tipo)) return "procedure";
    if (IguaisSemCaixa(tipo, "Gatilho")) return "trigger";
    if (IguaisSemCaixa(tipo, "Função")) return "function";
    if (IguaisSemCaixa(tipo, "Vista")) return "view";
    return texto::Minusculas(tipo);
}

std::string ComandoParaRemoverObjeto(const std::string& nome, const std::string& tipoDeObjeto) {
    return "if exists (select * from sysobjects where id = object_id(" +
           db::NomeDeObjetoComoLiteral(nome) + ")) drop " + tipoDeObjeto + " dbo." +
           db::EntreColchetes(nome);
}

void RemoverObjeto(db::Conexao& conexao, const std::string& nome, const std::string& tipo) {
    const std::string tipoDeObjeto = TipoDeObjeto(tipo);
    if (tipoDeObjeto == "procedure" || tipoDeObjeto == "trigger" || tipoDeObjeto == "function" ||
        tipoDeObjeto == "view")
        ExecutarTexto(conexao, ComandoParaRemoverObjeto(nome, tipoDeObjeto));
}

void ConcederAcessoAoObjeto(db::Conexao& conexao, const std::string& nome,
                            const std::string& tipo) {
    const std::string objeto = " on dbo." + db::EntreColchetes(nome) + " to public";
    if (EhProcedimento(tipo)) {
        ExecutarTexto(conexao, "grant execute" + objeto);
    } else if (IguaisSemCaixa(tipo, "View")) {
        ExecutarTexto(conexao, "grant select" + objeto);
    } else if (IguaisSemCaixa(tipo, "Função")) {
        // A table-valued function takes select, a scalar one execute.
        try {
            ExecutarTexto(conexao, "grant execute" + objeto);
        } catch (const ErroDeBanco&) {
            ExecutarTexto(conexao, "grant select" + objeto);
        }
    }
}

void SubstituirObjeto(db::Conexao& conexao, const std::string& nome, const std::string& fonte,
                      const std::string& tipo) {
    RemoverObjeto(conexao, nome, tipo);
    ExecutarTexto(conexao, fonte);
    ConcederAcessoAoObjeto(conexao, nome, tipo);
}

}  // namespace zolvek::versionamento
