#include "analysis/simulacao_da_analise.hpp"

#include "admin/status_do_banco.hpp"
#include "analysis/passos_da_analise.hpp"
#include "analysis/registro_da_execucao.hpp"
#include "analysis/relatorio_das_mudancas.hpp"

namespace zolvek::analysis {

db::DataHora PrepararInicioDaSimulacao(ContextoDaAnalise& c) {
    ReabrirParametrosSemErro(c.Modulo);
    const db::DataHora inicio = admin::HoraDoServidorOuLocal(c.Modulo, c.Interface);
    if (TabelaExiste(c, "PEMPRESA") && TabelaExiste(c, "PARFN") && TabelaExiste(c, "StatusBD"))
        AvisarReparo(c, admin::ConsultarAnaliseSemFim(c.Trabalho));
    return inicio;
}

void AnotarMudancas(ResultadoDaAnalise& r, AcompanhamentoDaAnalise& a) {
    r.mudancas = a.Registro().Tabelas();
    r.contagem = ContarMudancas(r.mudancas);
}

std::string ScriptDaSimulacao(const std::string& nomeDoBanco, int revisao,
                              const std::string& comandos) {
    return "-- Simulação de \"Analisar\" no banco de dados " + nomeDoBanco +
           " com o dicionário de dados revisão " + std::to_string(revisao) +
           ".\n"
           "-- Os comandos que a análise enviaria, na ordem, cada lote terminado por GO. Os "
           "que a\n"
           "-- simulação não enviou, ou que falharam nela, estão comentados.\n\n" +
           comandos;
}

ResultadoDaAnalise ConcluirSimulacao(ContextoDaAnalise& c, AcompanhamentoDaAnalise& a) {
    ResultadoDaAnalise r = ClassificarExecucao(c, false);
    a.Encerrar();
    // The server rolled the transaction back and nothing was sent after that; what ran
    // before it was undone, so the report would not be the run's.
    if (!a.Interrupcao().empty()) throw Erro(a.Interrupcao());
    r.simulada = true;
    r.erros = c.Erros();
    AnotarMudancas(r, a);
    r.retidos = a.Retidos();
    const int revisao = c.Dicionario.RevisaoDoDicionario();
    r.script = ScriptDaSimulacao(c.NomeDoBanco, revisao, a.Script());
    r.relatorio =
        TextoDasMudancas({"Simulação da análise do banco de dados " + c.NomeDoBanco +
                              " (dicionário de dados revisão " + std::to_string(revisao) + ")",
                          r.mudancas, r.erros, r.retidos, r.Complemento});
    c.MostrarProgresso(c.FoiCancelado() ? "Simulação cancelada" : "Simulação concluída");
    c.FinalizarEvolucao(true);
    return r;
}

}  // namespace zolvek::analysis
