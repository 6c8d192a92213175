// MERGE [INTO] alvo [AS a] USING fonte [AS f] ON condição WHEN ... THEN ...
// [OUTPUT ...] [OPTION (...)];  SQL Server demands the final semicolon.

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "simulador/motor/analisador.hpp"

namespace zolvek::simulador {

std::unique_ptr<Comando> Analisador::Mesclar() {
    auto [c, x] = Novo<instrucao::Mesclar>(i_);
    ++i_;
    if (Palavra("TOP"))
        throw ErroDeBanco("O simulador de SQL Server não interpreta MERGE TOP (n).");
    Aceitar("INTO");
    x->objeto = NomeDeObjeto();
    if (Palavra("WITH") && Simbolo("(", 1)) i_ = Fecho(i_ + 1) + 1;
    Aceitar("AS");
    if (!Fim() && EhNome(Atual()) && !Palavra("USING")) x->apelido = t_[i_++].texto;
    Esperar("USING");
    if (Simbolo("(")) {
        const std::size_t fecho = Fecho(i_);
        x->fonte = {i_ + 1, fecho};
        x->fonteDerivada = true;
        i_ = fecho + 1;
    } else {
        const std::size_t ini = i_;
        NomeDeObjeto();
        x->fonte = {ini, i_};
    }
    Aceitar("AS");
    if (!Fim() && EhNome(Atual()) && !Palavra("ON")) x->apelidoDaFonte = t_[i_++].texto;
    if (x->fonteDerivada && x->apelidoDaFonte.empty()) Erro();
    if (Simbolo("("))
        throw ErroDeBanco(
            "O simulador de SQL Server não aceita nomes de colunas no apelido da fonte de um "
            "MERGE.");
    Esperar("ON");
    const std::size_t ini = i_;
    IrAte(t_.size(), {"WHEN"}, false);
    if (i_ == ini) Erro();
    x->condicao = {ini, i_};
    while (Aceitar("WHEN")) {
        x->acoes.emplace_back();
        AcaoDaMescla(x->acoes.back());
    }
    if (x->acoes.empty()) Erro();
    x->saida = Saida();
    if (Palavra("OPTION") && Simbolo("(", 1)) i_ = Fecho(i_ + 1) + 1;
    if (!Simbolo(";"))
        throw ErroDeBanco("A MERGE statement must be terminated by a semi-colon (;).", 10713, 15,
                          1);
    return c;
}

// WHEN [NOT] MATCHED [BY TARGET|SOURCE] [AND condição] THEN UPDATE SET | DELETE | INSERT
void Analisador::AcaoDaMescla(instrucao::AcaoDaMescla& a) {
    using Quando = instrucao::AcaoDaMescla::Quando;
    if (!Aceitar("MATCHED")) {
        Esperar("NOT");
        Esperar("MATCHED");
        a.quando = Quando::SemAlvo;
        if (Aceitar("BY")) {
            if (Aceitar("SOURCE"))
                a.quando = Quando::SemFonte;
            else
                Esperar("TARGET");
        }
    }
    if (Aceitar("AND")) {
        const std::size_t ini = i_;
        IrAte(t_.size(), {"THEN"}, false);
        if (i_ == ini) Erro();
        a.condicao = {ini, i_};
    }
    Esperar("THEN");
    if (a.quando != Quando::SemAlvo && Aceitar("UPDATE")) {
        a.operacao = 'U';
        Esperar("SET");
        a.atribuicoes = Atribuicoes(t_.size(), {"WHEN", "OUTPUT", "OPTION"});
    } else if (a.quando != Quando::SemAlvo && Aceitar("DELETE")) {
        a.operacao = 'D';
    } else if (a.quando == Quando::SemAlvo && Aceitar("INSERT")) {
        a.operacao = 'I';
        if (Simbolo("(")) a.colunas = ListaDeNomes();
        if (Aceitar("DEFAULT")) {
            Esperar("VALUES");
            return;
        }
        Esperar("VALUES");
        if (!Simbolo("(")) Erro();
        const std::size_t fecho = Fecho(i_);
        ++i_;
        while (i_ < fecho) {
            const std::size_t ini = i_;
            IrAte(fecho, {}, true);
            if (i_ == ini) Erro();
            a.valores.push_back({ini, i_});
            if (i_ < fecho) ++i_;
        }
        i_ = fecho + 1;
        if (a.valores.empty()) Erro();
    } else {
        Erro();
    }
}

}  // namespace zolvek::simulador
