// BEGIN ... END blocks and the transactions: BEGIN, COMMIT, ROLLBACK and SAVE TRAN.

#include "comum/erros.hpp"
#include "simulador/motor/leitura/analisador.hpp"

namespace zolvek::simulador {

// The optional name after BEGIN/COMMIT/ROLLBACK/SAVE TRAN: a name or a variable.
std::string Analisador::NomeDaTransacao() {
    if (Fim()) return "";
    const Token& t = Atual();
    if (t.tipo == TipoToken::Variavel || (EhNome(t) && !IniciaInstrucao(t))) {
        ++i_;
        return t.texto;
    }
    return "";
}

std::unique_ptr<Comando> Analisador::Iniciar() {
    std::size_t inicio = i_;
    ++i_;
    if (Palavra("TRY")) return TentarCapturar(inicio);
    if (Aceitar("TRAN") || Aceitar("TRANSACTION") || (Palavra("DISTRIBUTED") && (i_ += 2))) {
        auto [c, x] = Novo<instrucao::IniciarTransacao>(inicio);
        x->nome = NomeDaTransacao();
        return std::move(c);
    }
    auto [c, x] = Novo<instrucao::Bloco>(inicio);
    while (!Palavra("END")) {
        if (Fim()) Erro();
        if (AceitarSimbolo(";")) continue;
        x->filhos.push_back(Filha());
    }
    if (x->filhos.empty()) Erro();  // BEGIN END holds at least one statement
    ++i_;
    return c;
}

std::unique_ptr<Comando> Analisador::ConfirmarTransacao(std::size_t inicio) {
    auto c = Novo<instrucao::ConfirmarTransacao>(inicio).first;
    ++i_;
    if (Aceitar("TRAN") || Aceitar("TRANSACTION") || Aceitar("WORK")) NomeDaTransacao();
    return c;
}

std::unique_ptr<Comando> Analisador::DesfazerTransacao(std::size_t inicio) {
    auto [c, x] = Novo<instrucao::DesfazerTransacao>(inicio);
    ++i_;
    if (Aceitar("TRAN") || Aceitar("TRANSACTION"))
        x->nome = NomeDaTransacao();
    else
        Aceitar("WORK");
    return c;
}

std::unique_ptr<Comando> Analisador::SalvarTransacao(std::size_t inicio) {
    auto [c, x] = Novo<instrucao::SalvarTransacao>(inicio);
    ++i_;
    if (!Aceitar("TRAN") && !Aceitar("TRANSACTION")) Erro();
    x->nome = NomeDaTransacao();
    if (x->nome.empty()) Erro();
    return c;
}

}  // namespace zolvek::simulador
