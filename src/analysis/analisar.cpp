#include "analysis/analisar.hpp"

#include <memory>

#include "admin/status_do_banco.hpp"
#include "analysis/contexto_da_analise.hpp"
#include "analysis/laco_das_tabelas.hpp"
#include "analysis/nomes_da_analise.hpp"
#include "analysis/passos_da_analise.hpp"
#include "analysis/procedimentos.hpp"
#include "analysis/registro_da_execucao.hpp"
#include "versioning/versionamento.hpp"

namespace zolvek::analysis {

namespace {

using versionamento::ClasseDeVersionamento;

// Reopens the company parameters; the run does not depend on them being readable.
void ReabrirParametrosSemErro(db::TModuloDados& modulo) {
    try {
        modulo.Parametros.Fechar();
        modulo.AbrirParametros();
    } catch (const Erro&) {
    }
}

dicionario::TipoDeServidor TipoDoServidor(const db::TModuloDados& modulo) {
    return static_cast<dicionario::TipoDeServidor>(static_cast<int>(modulo.TipoDeServidor));
}

// A run that finds the previous one unfinished says so and processes every table.
void PrepararReparo(ContextoDaAnalise& c, const std::optional<admin::AnaliseSemFim>& anterior) {
    if (!anterior) return;
    c.RefazerTodasAsTabelas = true;
    std::string quando;
    if (!anterior->inicio.empty()) quando += ", iniciada em " + anterior->inicio;
    if (!anterior->operador.empty()) quando += " por " + anterior->operador;
    c.Interface.Mostrar(TipoDeMensagem::Informacao,
                        "A análise anterior deste banco de dados" + quando +
                            ", não registrou o seu fim: pode ter parado com chaves, índices, "
                            "valores padrão ou validações de uma tabela removidos. Todas as "
                            "tabelas serão processadas nesta execução.");
}

// Steps 6 and 7: the start time and the start record (the dictionary is already loaded).
db::DataHora PrepararInicio(ContextoDaAnalise& c) {
    ReabrirParametrosSemErro(c.Modulo);
    const db::DataHora inicio = admin::HoraDoServidorOuLocal(c.Modulo, c.Interface);
    if (TabelaExiste(c, "PEMPRESA") && TabelaExiste(c, "PARFN")) {
        c.Modulo.Parametros.Fechar();
        c.Modulo.AbrirParametros();
        if (TabelaExiste(c, "StatusBD"))
            PrepararReparo(c, admin::RegistrarInicioDaAnalise(c.Modulo, c.ListaDeOpcoes, c.Trabalho,
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
ResultadoDaAnalise Concluir(ContextoDaAnalise& c, const db::DataHora& inicio) {
    c.MostrarProgresso("Registrando execução...");
    AcessoUnico(c, true);
    ResultadoDaAnalise resultado = ClassificarExecucao(c);
    RegistrarExecucao(c, inicio, resultado.Complemento);
    c.MostrarProgresso(c.FoiCancelado() ? "Análise cancelada" : "Análise concluída");
    c.FinalizarEvolucao(true);
    if (c.Opcoes.NaoBloquear) ConferirAcessoUnicoAoFim(c);
    resultado.erros = c.Erros();
    return resultado;
}

}  // namespace

ResultadoDaAnalise Analisar(db::TModuloDados& modulo, dicionario::DicionarioDeDados& dicionario,
                            const std::filesystem::path& arquivoDoDicionario,
                            const OpcoesDaAnalise& opcoes, InterfaceDoComando& interface) {
    ContextoDaAnalise c(modulo, dicionario, opcoes, interface);
    // The dictionary first: a file that does not load (cut short, for one), or a name
    // the server cannot take, is refused before anything is sent to the database.
    c.Dicionario.CarregarDicionario(arquivoDoDicionario, TipoDoServidor(c.Modulo),
                                    &c.LinhasDeScript, &c.TabelasDeParametro);
    VerificarNomesDoDicionario(c.Dicionario);
    AcessoUnico(c, !opcoes.NaoBloquear);
    const db::DataHora inicio = PrepararInicio(c);
    c.AbrirEvolucao("Analisando banco de dados");
    try {
        c.ProgramasAgregados = ListarProgramasAgregados(c);
        ExecutarFases(c);
        return Concluir(c, inicio);
    } catch (...) {
        if (!c.EvolucaoFinalizada()) c.FinalizarEvolucao(false);
        throw;
    }
}

}  // namespace zolvek::analysis
