#include "execucao/analise_de_varios_bancos.hpp"

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <thread>

#include "dictionary/dicionario.hpp"
#include "execucao/arquivos_de_saida.hpp"

namespace zolvek::execucao {

namespace {

// The front end of one run among many: no progress, questions answered as asked
// beforehand, cancellation shared by all; the last question is kept, since it says why
// a run was aborted (the single-user switch refused, for one).
class InterfaceDeUmDosBancos : public InterfaceDoComando {
  public:
    InterfaceDeUmDosBancos(const std::function<bool()>& cancelado, bool simParaTodos)
        : cancelado_(cancelado), simParaTodos_(simParaTodos) {}

    void MostrarProgresso(const std::string&) override {}
    void DefinirBarra(int, int) override {}
    Resposta Perguntar(const std::string&, const std::string& texto, Botoes botoes,
                       Resposta padrao) override {
        ultimaPergunta_ = texto;
        if (botoes == Botoes::SimTodosNaoCancelar)
            return simParaTodos_ ? Resposta::SimParaTodos : Resposta::Cancelar;
        if (botoes == Botoes::OkCancelar) return Resposta::Cancelar;
        return padrao;
    }
    void Mostrar(TipoDeMensagem, const std::string&) override {}
    bool CancelamentoPedido() override { return cancelado_ && cancelado_(); }
    void AdicionarErro(const LinhaDeErro&) override {}

    const std::string& UltimaPergunta() const { return ultimaPergunta_; }

  private:
    const std::function<bool()>& cancelado_;
    bool simParaTodos_;
    std::string ultimaPergunta_;
};

std::string BancoDaCadeia(const std::string& cadeia) {
    return NovaExecucao(cadeia).banco;
}

PedidoDeAnalise PedidoDoBanco(const PedidoDeVariosBancos& p, const BancoDaLista& b) {
    PedidoDeAnalise r = p.modelo;
    r.cadeia = b.cadeia;
    const std::string banco = BancoDaCadeia(b.cadeia);
    if (!r.arquivoDoScript.empty())
        r.arquivoDoScript = ArquivoDoBanco(r.arquivoDoScript.string(), b.linha, banco);
    if (!r.extras.copiaAntes.empty())
        r.extras.copiaAntes = ArquivoDoBanco(r.extras.copiaAntes, b.linha, banco);
    return r;
}

// A database that was never run: a bad line of the list, or a cancelled run.
ExecucaoRelatada SemExecucao(const PedidoDeVariosBancos& p, const BancoDaLista& b,
                             ClasseDoDesfecho classe, const std::string& desfecho) {
    ExecucaoRelatada e = NovaExecucao(b.cadeia);
    e.classe = classe;
    e.desfecho = desfecho;
    e.simulacao = p.modelo.extras.simular;
    e.opcoes = OpcoesRelatadas(p.modelo.opcoes);
    return e;
}

ExecucaoRelatada RodarUm(const PedidoDeVariosBancos& p, const BancoDaLista& b) {
    if (!b.problema.empty())
        return SemExecucao(p, b, ClasseDoDesfecho::Falhou,
                           "Linha " + std::to_string(b.linha) + " da lista: " + b.problema);
    InterfaceDeUmDosBancos interface(p.cancelado, p.simParaTodos);
    dicionario::DicionarioDeDados dicionario;  // each run widens sizes in its own
    ExecucaoRelatada e = AnalisarBanco(PedidoDoBanco(p, b), interface, dicionario).relato;
    if (e.classe == ClasseDoDesfecho::Interrompida && !interface.UltimaPergunta().empty())
        e.desfecho = interface.UltimaPergunta() + "\n" + e.desfecho;
    return e;
}

}  // namespace

std::vector<ExecucaoRelatada> AnalisarVariosBancos(const PedidoDeVariosBancos& p) {
    if (!p.modelo.arquivoDoScript.empty())
        for (const BancoDaLista& b : p.bancos)
            if (b.problema.empty()) PrepararArquivoDeSaida(PedidoDoBanco(p, b).arquivoDoScript);
    std::vector<ExecucaoRelatada> r(p.bancos.size());
    std::atomic<std::size_t> proximo{0};
    std::mutex avisos;
    auto trabalhar = [&] {
        for (std::size_t i = proximo++; i < p.bancos.size(); i = proximo++) {
            const BancoDaLista& b = p.bancos[i];
            if (p.cancelado && p.cancelado()) {
                r[i] = SemExecucao(p, b, ClasseDoDesfecho::NaoIniciada,
                                   "Não iniciada: a execução foi cancelada");
            } else {
                if (p.aoIniciar) {
                    std::lock_guard trava(avisos);
                    p.aoIniciar(b);
                }
                r[i] = RodarUm(p, b);
            }
            if (p.aoTerminar) {
                std::lock_guard trava(avisos);
                p.aoTerminar(r[i]);
            }
        }
    };
    const std::size_t n = std::min<std::size_t>(std::max(1, p.paralelo), p.bancos.size());
    std::vector<std::thread> trabalhadores;
    for (std::size_t t = 1; t < n; ++t) trabalhadores.emplace_back(trabalhar);
    trabalhar();
    for (std::thread& t : trabalhadores) t.join();
    return r;
}

std::vector<std::string> ResumoDosBancos(const std::vector<ExecucaoRelatada>& execucoes) {
    std::vector<std::string> linhas;
    std::map<std::string, int> porClasse;
    for (const ExecucaoRelatada& e : execucoes) {
        std::string desfecho = e.desfecho;
        std::replace(desfecho.begin(), desfecho.end(), '\n', ' ');
        linhas.push_back(e.banco + (e.servidor.empty() ? "" : " (" + e.servidor + ")") + ": [" +
                         NomeDaClasse(e.classe) + "] " + desfecho);
        ++porClasse[NomeDaClasse(e.classe)];
    }
    std::vector<std::string> partes;
    for (const auto& [classe, quantos] : porClasse)
        partes.push_back(std::to_string(quantos) + " " + classe);
    std::string total = "Total: " + std::to_string(execucoes.size()) + " banco(s)";
    if (!partes.empty()) {
        total += ": ";
        for (std::size_t i = 0; i < partes.size(); ++i) total += (i ? ", " : "") + partes[i];
    }
    if (porClasse.count("nao_iniciada"))
        total += "; a execução foi cancelada antes de iniciar " +
                 std::to_string(porClasse["nao_iniciada"]) + " banco(s)";
    linhas.push_back(total);
    return linhas;
}

}  // namespace zolvek::execucao
