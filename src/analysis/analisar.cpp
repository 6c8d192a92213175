#include "analysis/analisar.hpp"

#include <memory>

#include "admin/copia_antes_de_alterar.hpp"
#include "admin/status_do_banco.hpp"
#include "analysis/acompanhamento_da_analise.hpp"
#include "analysis/contexto_da_analise.hpp"
#include "analysis/laco_das_tabelas.hpp"
#include "analysis/nomes_da_analise.hpp"
#include "analysis/passos_da_analise.hpp"
#include "analysis/procedimentos.hpp"
#include "analysis/registro_da_execucao.hpp"
#include "analysis/simulacao_da_analise.hpp"
#include "versioning/versionamento.hpp"

namespace zolvek::analysis {

namespace {

using versionamento::ClasseDeVersionamento;

dicionario::TipoDeServidor TipoDoServidor(const db::TModuloDados& modulo) {
    return static_cast<dicionario::TipoDeServidor>(static_cast<int>(modulo.TipoDeServidor));
}

// Steps 6 and 7: the start time and the start record (the dictionary is already loaded).
db::DataHora PrepararInicio(ContextoDaAnalise& c) {
    ReabrirParametrosSemErro(c.Modulo);
    const db::DataHora inicio = admin::HoraDoServidorOuLocal(c.Modulo, c.Interface);
    if (TabelaExiste(c, "PEMPRESA") && TabelaExiste(c, "PARFN")) {
        c.Modulo.Parametros.Fechar();
        c.Modulo.AbrirParametros();
        if (TabelaExiste(c, "StatusBD"))
            AvisarReparo(c, admin::RegistrarInicioDaAnalise(c.Modulo, c.ListaDeOpcoes, c.Trabalho,
                                                            c.Interface));
    }
    return inicio;
}

// N x P + E: one step per table for the loop, and per table for each relationship
// loop; one per procedure phase, one for versioning, one for the parameter rows.
int MaximoDaBarra(const ContextoDaAnalise& c) {
    const OpcoesDaAnalise& o = c.Opcoes;
    const int n = static_cast<int>(c.Dicionario.Tabelas().size());
    const int p = 1 + ((o.RemoverRelacionamentos || o.CriarRelacionamentos) ? 1 : 0) +
                  (o.CriarRelacionamentos ? 1 : 0);
    const int e = (o.RemoverProcedimentos ? 1 : 0) + (o.CriarProcedimentos ? 1 : 0) + 1 +
                  (o.VerificarEstrutura ? 1 : 0);
    return n * p + e;
}

// Runs a phase whose failure is listed as one row and does not end the run.
template <typename Fase>
void ExecutarListandoErro(ContextoDaAnalise& c, const std::string& tabela,
                          const std::string& funcao, Fase fase) {
    try {
        fase();
    } catch (const Cancelamento&) {
        throw;
    } catch (const Erro& e) {
        c.AdicionarErro(tabela, "", funcao, e.what(), "");
    }
}

// Steps 10 to 20: the work between the start record and the registration.
void ExecutarFases(ContextoDaAnalise& c) {
    const OpcoesDaAnalise& o = c.Opcoes;
    c.DefinirMaximoDaBarra(MaximoDaBarra(c));
    ExecutarListandoErro(c, "", "Removendo triggers de RegMov", [&] {
        versionamento::RemoverTriggersDeRegMov(c.Banco, c.Dicionario, c.Interface);
    });
    if (o.RemoverProcedimentos) {
        RemoverProcedimentos(c);
        c.AvancarBarra();
    }
    if (o.RemoverRelacionamentos || o.CriarRelacionamentos) RemoverRelacionamentosDasTabelas(c);
    if (o.NaoBloquear) AcessoUnico(c, false);
    AnalisarTabelas(c);
    if (o.NaoBloquear) AcessoUnico(c, false);
    if (o.CriarRelacionamentos) CriarRelacionamentosDasTabelas(c);
    if (o.CriarProcedimentos) {
        CriarProcedimentos(c);
        c.AvancarBarra();
    }
    if (o.NaoBloquear) AcessoUnico(c, false);
    // Versioning is rebuilt even in a cancelled run.
    ExecutarListandoErro(c, "RegTab", "", [&] {
        versionamento::GerarVersionamento(c.Banco, c.Dicionario, ClasseDeVersionamento::F,
                                          c.Interface);
    });
    ExecutarListandoErro(c, "RegVer", "", [&] {
        versionamento::GerarVersionamento(c.Banco, c.Dicionario, ClasseDeVersionamento::P,
                                          c.Interface);
    });
    c.AvancarBarra();
    if (o.VerificarEstrutura) {
        CriarLinhasDeParametro(c);
        c.AvancarBarra();
    }
}

// Steps 21 to 23.
ResultadoDaAnalise Concluir(ContextoDaAnalise& c, const db::DataHora& inicio,
                            AcompanhamentoDaAnalise& acompanhamento) {
    acompanhamento.Pausar();  // the registration is no change of the structure
    c.MostrarProgresso("Registrando execução...");
    AcessoUnico(c, true);
    ResultadoDaAnalise resultado = ClassificarExecucao(c);
    RegistrarExecucao(c, inicio, resultado.Complemento);
    c.MostrarProgresso(c.FoiCancelado() ? "Análise cancelada" : "Análise concluída");
    c.FinalizarEvolucao(true);
    if (c.Opcoes.NaoBloquear) ConferirAcessoUnicoAoFim(c);
    resultado.erros = c.Erros();
    AnotarMudancas(resultado, acompanhamento);
    return resultado;
}

// Steps 8 to 23, with the progress window open.
ResultadoDaAnalise ExecutarComEvolucao(ContextoDaAnalise& c, const db::DataHora& inicio,
                                       AcompanhamentoDaAnalise& acompanhamento) {
    c.AbrirEvolucao("Analisando banco de dados");
    try {
        c.ProgramasAgregados = ListarProgramasAgregados(c);
        ExecutarFases(c);
        if (acompanhamento.Simulacao()) return ConcluirSimulacao(c, acompanhamento);
        return Concluir(c, inicio, acompanhamento);
    } catch (...) {
        if (!c.EvolucaoFinalizada()) c.FinalizarEvolucao(false);
        throw;
    }
}

}  // namespace

ResultadoDaAnalise Analisar(db::TModuloDados& modulo, dicionario::DicionarioDeDados& dicionario,
                            const std::filesystem::path& arquivoDoDicionario,
                            const OpcoesDaAnalise& opcoes, InterfaceDoComando& interface,
                            const ExtrasDaAnalise& extras) {
    ContextoDaAnalise c(modulo, dicionario, opcoes, interface);
    // The dictionary first: a file that does not load (cut short, for one), or a name
    // the server cannot take, is refused before anything is sent to the database.
    c.Dicionario.CarregarDicionario(arquivoDoDicionario, TipoDoServidor(c.Modulo),
                                    &c.LinhasDeScript, &c.TabelasDeParametro);
    VerificarNomesDoDicionario(c.Dicionario);
    if (!extras.copiaAntes.empty())
        admin::FazerCopiaAntesDeAlterar(c.Banco, c.NomeDoBanco, extras.copiaAntes);
    if (extras.simular) {
        // The single-user switch is held back by the simulation and shown in its script.
        AcompanhamentoDaAnalise simulacao(c.Banco, true, c.VersaoMaior);
        try {
            AcessoUnico(c, !opcoes.NaoBloquear);
            return ExecutarComEvolucao(c, PrepararInicioDaSimulacao(c), simulacao);
        } catch (const Erro&) {
            if (simulacao.Interrupcao().empty()) throw;
            throw Erro(simulacao.Interrupcao());
        }
    }
    AcessoUnico(c, !opcoes.NaoBloquear);
    const db::DataHora inicio = PrepararInicio(c);
    AcompanhamentoDaAnalise acompanhamento(c.Banco, false, c.VersaoMaior);
    return ExecutarComEvolucao(c, inicio, acompanhamento);
}

}  // namespace zolvek::analysis
