#include "cli/interface_do_terminal.hpp"

#include <unistd.h>

#include <optional>

#include "cli/terminal_comum.hpp"
#include "comum/texto.hpp"

namespace zolvek::cli {

namespace {

const char* Opcoes(Botoes botoes) {
    switch (botoes) {
        case Botoes::Ok:
            return "[Enter]";
        case Botoes::SimNao:
            return "[s/n]";
        case Botoes::SimNaoCancelar:
            return "[s/n/c]";
        case Botoes::SimNaoTodos:
            return "[s/n/t (sim para todos)/x (não para todos)]";
        case Botoes::SimTodosNaoCancelar:
            return "[s/t (sim para todos)/n/c]";
        case Botoes::OkCancelar:
            return "[o (OK)/c]";
    }
    return "";
}

// The answer typed, or nullopt when it is not one of the box's buttons.
std::optional<Resposta> LerResposta(const std::string& linha, Botoes botoes) {
    const std::string r = texto::Minusculas(texto::Aparar(linha));
    if (botoes == Botoes::Ok) return Resposta::Ok;
    if (botoes == Botoes::OkCancelar) {
        if (r == "o" || r == "ok") return Resposta::Ok;
        if (r == "c" || r == "cancelar") return Resposta::Cancelar;
        return std::nullopt;
    }
    if (r == "s" || r == "sim") return Resposta::Sim;
    if (r == "n" || r == "não" || r == "nao") return Resposta::Nao;
    const bool comCancelar =
        botoes == Botoes::SimNaoCancelar || botoes == Botoes::SimTodosNaoCancelar;
    if (comCancelar && (r == "c" || r == "cancelar")) return Resposta::Cancelar;
    if (botoes == Botoes::SimTodosNaoCancelar && r == "t") return Resposta::SimParaTodos;
    if (botoes == Botoes::SimNaoTodos && r == "t") return Resposta::SimParaTodos;
    if (botoes == Botoes::SimNaoTodos && r == "x") return Resposta::NaoParaTodos;
    return std::nullopt;
}

}  // namespace

InterfaceDoTerminal::InterfaceDoTerminal(bool confirmar, bool interativo, std::ostream& saida,
                                         std::ostream& progresso, std::istream& entrada)
    : confirmar_(confirmar),
      interativo_(interativo),
      saida_(saida),
      progresso_(progresso),
      entrada_(entrada) {}

void InterfaceDoTerminal::MostrarProgresso(const std::string& texto) {
    progresso_ << texto << std::endl;
}

Resposta InterfaceDoTerminal::Perguntar(const std::string& titulo, const std::string& texto,
                                        Botoes botoes, Resposta padrao) {
    progresso_ << titulo << ": " << texto << ' ';
    if (confirmar_ && botoes != Botoes::Ok && botoes != Botoes::OkCancelar) {
        progresso_ << "Sim (--sim)" << std::endl;
        return Resposta::Sim;
    }
    if (!interativo_) {
        progresso_ << NomeDaResposta(padrao) << " (sem terminal para responder; use --sim)"
                   << std::endl;
        return padrao;
    }
    progresso_ << Opcoes(botoes) << ' ' << std::flush;
    std::string linha;
    while (std::getline(entrada_, linha)) {
        if (auto resposta = LerResposta(linha, botoes)) return *resposta;
        progresso_ << Opcoes(botoes) << ' ' << std::flush;
    }
    progresso_ << NomeDaResposta(padrao) << std::endl;
    return padrao;
}

void InterfaceDoTerminal::Mostrar(TipoDeMensagem tipo, const std::string& texto) {
    if (tipo == TipoDeMensagem::Erro) houveErro_ = true;
    saida_ << texto << std::endl;
}

void InterfaceDoTerminal::AdicionarErro(const LinhaDeErro& linha) {
    houveErro_ = true;
    saida_ << linha.tabela << '\t' << linha.campo << '\t' << linha.funcao << '\t' << linha.descricao
           << '\t' << linha.comando << std::endl;
}

bool EntradaInterativa() {
    return isatty(STDIN_FILENO) != 0;
}

}  // namespace zolvek::cli
