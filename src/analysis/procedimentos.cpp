#include "analysis/procedimentos.hpp"

#include "analysis/passos_da_analise.hpp"
#include "analysis/procedimentos_agregados.hpp"
#include "analysis/procedimentos_do_script.hpp"
#include "comum/texto.hpp"
#include "db/texto_sql.hpp"
#include "versioning/objetos_programados.hpp"

namespace zolvek::analysis {

namespace {

AdicionarErroDoLote ErrosDaAnalise(ContextoDaAnalise& c) {
    return [&c](const LinhaDeErro& e) {
        c.AdicionarErro(e.tabela, e.campo, e.funcao, e.descricao, e.comando);
    };
}

// The company's own script, PARFN.Script as the company parameters read it, trimmed
// and split into lines; empty when there is none.
std::vector<std::string> ScriptDaEmpresa(ContextoDaAnalise& c) {
    db::Consulta& parametros = c.Modulo.Parametros;
    if (!parametros.Aberto()) return {};
    const db::Campo* campo = parametros.AcharCampo("Script");
    if (!campo) return {};
    const std::string script = texto::Aparar(campo->Texto());
    if (script.empty()) return {};
    return db::DividirEmLinhas(script);
}

bool DoTipo(const ProgramaAgregado& programa, const char* tipo) {
    return texto::IguaisSemCaixa(programa.Tipo, tipo);
}

void RemoverProgramasDaBiblioteca(ContextoDaAnalise& c) {
    c.MostrarProgresso("Removendo procedimentos definidos na biblioteca de customização...");
    for (const auto& id : c.ProgramasAgregados) {
        if (c.Cancelado()) return;
        const ProgramaAgregado programa = ObterProgramaAgregado(c.ProgramaAgregado, id);
        if (DoTipo(programa, "Pós-analisar")) continue;
        if (DoTipo(programa, "Pré-analisar"))
            versionamento::ExecutarTexto(c.Banco, programa.Fonte);
        else
            versionamento::RemoverObjeto(c.Banco, programa.Nome, programa.Tipo);
    }
}

void CriarProgramasDaBiblioteca(ContextoDaAnalise& c) {
    c.MostrarProgresso("Criando procedimentos definidos na biblioteca de customização...");
    for (const auto& id : c.ProgramasAgregados) {
        if (c.Cancelado()) return;
        const ProgramaAgregado programa = ObterProgramaAgregado(c.ProgramaAgregado, id);
        if (DoTipo(programa, "Pré-analisar")) continue;
        if (DoTipo(programa, "Pós-analisar"))
            versionamento::ExecutarTexto(c.Banco, programa.Fonte);
        else
            versionamento::SubstituirObjeto(c.Banco, programa.Nome, programa.Fonte, programa.Tipo);
    }
}

}  // namespace

std::vector<std::string> ListarProgramasAgregados(ContextoDaAnalise& contexto) {
    if (!TabelaExiste(contexto, "LibAgr")) return {};
    return ListarProgramasDaBiblioteca(contexto.Banco);
}

void RemoverProcedimentos(ContextoDaAnalise& c) {
    RemoverProgramasDaBiblioteca(c);
    c.MostrarProgresso("Removendo procedimentos para integridade...");
    if (c.Cancelado()) return;
    RemoverProcedimentosDoScript(c.Banco, ScriptDaEmpresa(c), ErrosDaAnalise(c));
    RemoverProcedimentosDoScript(c.Banco, c.LinhasDeScript, ErrosDaAnalise(c));
}

void CriarProcedimentos(ContextoDaAnalise& c) {
    c.MostrarProgresso("Criando procedimentos para integridade...");
    if (!c.Cancelado()) {
        CriarProcedimentosDoScript(c.Banco, c.LinhasDeScript, ErrosDaAnalise(c));
        CriarProcedimentosDoScript(c.Banco, ScriptDaEmpresa(c), ErrosDaAnalise(c));
    }
    CriarProgramasDaBiblioteca(c);
}

}  // namespace zolvek::analysis
