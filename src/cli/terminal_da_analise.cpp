#include "cli/terminal_da_analise.hpp"

#include <unistd.h>

#include <iomanip>

#include "cli/terminal_comum.hpp"
#include "comum/texto.hpp"

namespace zolvek::cli {

namespace {

std::string OpcoesDaAnalise(Botoes botoes) {
    switch (botoes) {
        case Botoes::SimTodosNaoCancelar:
            return "[s] Sim, [t] Sim para todos, [n] Não, [c] Cancelar";
        case Botoes::OkCancelar:
            return "[o] OK, [c] Cancelar";
        case Botoes::SimNaoCancelar:
            return "[s] Sim, [n] Não, [c] Cancelar";
        case Botoes::SimNaoTodos:
            return "[s] Sim, [t] Sim para todos, [n] Não, [x] Não para todos";
        case Botoes::SimNao:
            return "[s] Sim, [n] Não";
        case Botoes::Ok:
            break;
    }
    return "[o] OK";
}

bool Oferece(Botoes botoes, Resposta r) {
    switch (botoes) {
        case Botoes::Ok:
            return r == Resposta::Ok;
        case Botoes::OkCancelar:
            return r == Resposta::Ok || r == Resposta::Cancelar;
        case Botoes::SimNao:
            return r == Resposta::Sim || r == Resposta::Nao;
        case Botoes::SimNaoCancelar:
            return r == Resposta::Sim || r == Resposta::Nao || r == Resposta::Cancelar;
        case Botoes::SimNaoTodos:
            return r == Resposta::Sim || r == Resposta::Nao || r == Resposta::SimParaTodos ||
                   r == Resposta::NaoParaTodos;
        case Botoes::SimTodosNaoCancelar:
            return r == Resposta::Sim || r == Resposta::Nao || r == Resposta::SimParaTodos ||
                   r == Resposta::Cancelar;
    }
    return false;
}

// The answer a typed word stands for; Ok when it stands for none (checked by Oferece).
bool Interpretar(const std::string& digitado, Resposta& r) {
    const std::string d = texto::Minusculas(texto::Aparar(digitado));
    if (d == "s" || d == "sim")
        r = Resposta::Sim;
    else if (d == "t" || d == "sim para todos" || d == "todos")
        r = Resposta::SimParaTodos;
    else if (d == "n" || d == "não" || d == "nao")
        r = Resposta::Nao;
    else if (d == "x" || d == "não para todos" || d == "nao para todos")
        r = Resposta::NaoParaTodos;
    else if (d == "c" || d == "cancelar")
        r = Resposta::Cancelar;
    else if (d == "o" || d == "ok")
        r = Resposta::Ok;
    else
        return false;
    return true;
}

// The answer of --sim-para-todos to each kind of question.
Resposta RespostaAfirmativa(Botoes botoes) {
    switch (botoes) {
        case Botoes::SimTodosNaoCancelar:
        case Botoes::SimNaoTodos:
            return Resposta::SimParaTodos;
        case Botoes::SimNao:
        case Botoes::SimNaoCancelar:
            return Resposta::Sim;
        case Botoes::Ok:
        case Botoes::OkCancelar:
            break;
    }
    return Resposta::Ok;
}

}  // namespace

TerminalDaAnalise::TerminalDaAnalise(bool simParaTodos, bool interativo, bool barra,
                                     std::ostream& saida, std::ostream& progresso,
                                     std::istream& entrada)
    : simParaTodos_(simParaTodos),
      interativo_(interativo),
      barra_(barra),
      saida_(saida),
      progresso_(progresso),
      entrada_(entrada),
      ctrlC_("\nCancelamento pedido: a análise para na próxima verificação.\n") {}

void TerminalDaAnalise::MostrarProgresso(const std::string& texto) {
    if (barra_) {
        const int largura = 20;
        const int cheio = maximo_ > 0 ? std::min(largura, posicao_ * largura / maximo_) : 0;
        progresso_ << "[" << std::string(cheio, '#') << std::string(largura - cheio, '.') << "] "
                   << std::setw(3) << (maximo_ > 0 ? posicao_ * 100 / maximo_ : 0) << "% ";
    }
    progresso_ << texto << std::endl;
}

void TerminalDaAnalise::DefinirBarra(int posicao, int maximo) {
    posicao_ = posicao;
    maximo_ = maximo;
}

Resposta TerminalDaAnalise::Perguntar(const std::string& titulo, const std::string& texto,
                                      Botoes botoes, Resposta padrao) {
    progresso_ << titulo << ": " << texto << std::endl;
    Resposta r = padrao;
    if (simParaTodos_)
        r = RespostaAfirmativa(botoes);
    else if (interativo_)
        r = LerResposta(botoes, padrao);
    else if (botoes == Botoes::SimTodosNaoCancelar)
        // Nothing is altered or created without an answer.
        r = Resposta::Cancelar;
    progresso_ << "Resposta: " << NomeDaResposta(r)
               << (!simParaTodos_ && !interativo_ ? " (sem terminal para responder; use "
                                                    "--sim-para-todos)"
                                                  : "")
               << std::endl;
    return r;
}

Resposta TerminalDaAnalise::LerResposta(Botoes botoes, Resposta padrao) {
    for (;;) {
        progresso_ << OpcoesDaAnalise(botoes) << " (Enter: " << NomeDaResposta(padrao) << ")? "
                   << std::flush;
        std::string linha;
        if (!std::getline(entrada_, linha))
            return Oferece(botoes, Resposta::Cancelar) ? Resposta::Cancelar : padrao;
        if (texto::Aparar(linha).empty()) return padrao;
        Resposta r = padrao;
        if (Interpretar(linha, r) && Oferece(botoes, r)) return r;
    }
}

void TerminalDaAnalise::Mostrar(TipoDeMensagem tipo, const std::string& texto) {
    saida_ << TituloDaMensagem(tipo) << ": " << texto << std::endl;
}

bool TerminalDaAnalise::CancelamentoPedido() {
    return ctrlC_.Pedido();
}

void TerminalDaAnalise::AdicionarErro(const LinhaDeErro& linha) {
    progresso_ << "Erro: " << (linha.tabela.empty() ? "" : linha.tabela + ": ") << linha.descricao
               << std::endl;
}

void TerminalDaAnalise::AbrirEvolucao(const std::string& titulo) {
    progresso_ << "== " << titulo << std::endl;
}

void TerminalDaAnalise::MostrarUsuariosAtivos(const std::string& nomeDoBanco) {
    if (conexao_) ListarUsuariosAtivos(*conexao_, nomeDoBanco, saida_);
}

}  // namespace zolvek::cli
