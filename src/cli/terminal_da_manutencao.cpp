#include "cli/terminal_da_manutencao.hpp"

#include <fstream>

#include "cli/erros_em_csv.hpp"
#include "comum/erros.hpp"
#include "comum/texto.hpp"

namespace zolvek::cli {

TerminalDaManutencao::TerminalDaManutencao(bool sim, bool interativo, std::ostream& saida,
                                           std::ostream& progresso, std::istream& entrada)
    : sim_(sim),
      interativo_(interativo),
      saida_(saida),
      progresso_(progresso),
      entrada_(entrada),
      ctrlC_("\nCancelamento pedido: o comando para na próxima verificação.\n") {}

void TerminalDaManutencao::MostrarProgresso(const std::string& texto) {
    progresso_ << texto << std::endl;
}

void TerminalDaManutencao::DefinirBarra(int posicao, int maximo) {
    // One line per tenth of the way, so that a redirected log stays short.
    if (maximo <= 0) return;
    const int decimo = std::min(10, posicao * 10 / maximo);
    if (decimo == ultimoDecimo_ && posicao != 0) return;
    ultimoDecimo_ = decimo;
    progresso_ << "  " << posicao << "/" << maximo << std::endl;
}

void TerminalDaManutencao::DefinirBarraSecundaria(int posicao, int maximo) {
    if (maximo <= 0 || posicao <= 0) {
        ultimoDecimoDasLinhas_ = -1;  // a table starts, or ended
        return;
    }
    const int decimo = std::min(10, posicao * 10 / maximo);
    if (decimo == ultimoDecimoDasLinhas_) return;
    ultimoDecimoDasLinhas_ = decimo;
    progresso_ << "    linhas: " << posicao << "/" << maximo << std::endl;
}

Resposta TerminalDaManutencao::Perguntar(const std::string& titulo, const std::string& texto,
                                         Botoes botoes, Resposta padrao) {
    saida_ << titulo << ": " << texto << std::endl;
    const Resposta confirmar =
        botoes == Botoes::OkCancelar || botoes == Botoes::Ok ? Resposta::Ok : Resposta::Sim;
    const Resposta recusar = botoes == Botoes::OkCancelar || botoes == Botoes::SimNaoCancelar
                                 ? Resposta::Cancelar
                                 : Resposta::Nao;
    if (sim_) return confirmar;
    if (botoes == Botoes::Ok) return Resposta::Ok;
    if (!interativo_) return recusar;
    saida_ << "Confirma? [s/N] " << std::flush;
    std::string linha;
    if (!std::getline(entrada_, linha)) return recusar;
    const std::string r = texto::Minusculas(texto::Aparar(linha));
    return r == "s" || r == "sim" ? confirmar : recusar;
}

void TerminalDaManutencao::Mostrar(TipoDeMensagem tipo, const std::string& texto) {
    saida_ << TituloDaMensagem(tipo) << ": " << texto << std::endl;
}

bool TerminalDaManutencao::CancelamentoPedido() {
    return ctrlC_.Pedido();
}

void TerminalDaManutencao::AdicionarErro(const LinhaDeErro& linha) {
    erros_.push_back(linha);
    progresso_ << "Erro em " << linha.tabela << ": " << linha.descricao << std::endl;
}

void TerminalDaManutencao::MostrarUsuariosAtivos(const std::string& nomeDoBanco) {
    if (conexao_) ListarUsuariosAtivos(*conexao_, nomeDoBanco, saida_);
    saida_ << "Encerre as outras conexões ao banco de dados " << nomeDoBanco
           << " e execute o comando de novo." << std::endl;
}

void TerminalDaManutencao::ImprimirErros(const std::string& arquivo) const {
    for (std::size_t i = 0; i < erros_.size(); ++i) {
        const LinhaDeErro& e = erros_[i];
        saida_ << "Erro " << i + 1 << "\n  Tabela=" << e.tabela << "\n  Campo=" << e.campo
               << "\n  Função=" << e.funcao << "\n  Descrição=" << e.descricao
               << "\n  Comando=" << e.comando << "\n";
    }
    saida_.flush();
    if (!arquivo.empty()) GravarErrosEmCsv(arquivo, erros_);
}

}  // namespace zolvek::cli
