// The expressions of the procedural statements, read into their trees when the batch
// is parsed, so that a loop's condition is not read again at each pass.

#include "simulador/motor/leitura/analisador.hpp"
#include "simulador/motor/leitura/reescrita.hpp"

namespace zolvek::simulador {

const Expressao& ArvoreDe(const ExpressaoLida& e) {
    if (e.recusa) throw *e.recusa;
    return *e.arvore;
}

const Consulta& ArvoreDe(const ConsultaLida& e) {
    if (e.recusa) throw *e.recusa;
    return *e.arvore;
}

const Clausulas& ArvoreDe(const ClausulasLidas& e) {
    if (e.recusa) throw *e.recusa;
    return *e.arvore;
}

bool RecusaDoSimulador(const ErroDeBanco& e) {
    return e.Tipo() == ErroDeBanco::TipoDeFalha::NaoSuportado;
}

// Bad syntax refuses the batch before any of it runs, as SQL Server does; what the
// engine reads and does not run waits until the statement runs.
ExpressaoLida Analisador::ExpressaoDe(Faixa f, const std::string& atribuida,
                                      const std::string& operador) {
    ExpressaoLida r{f, nullptr, nullptr};
    if (f.Vazia()) return r;
    if (ordinais_.empty()) ordinais_ = NumerarParametros(t_);
    try {
        LeitorDeExpressoes leitor(t_, f.inicio, f.fim, &ordinais_);
        Expr e = leitor.Expressao();
        leitor.ExigirFim();
        if (!operador.empty()) {  // SET @v += x is SET @v = @v + (x)
            e = Nova(Binaria{operador.substr(0, 1), Nova(simulador::Variavel{atribuida}),
                             Nova(Parenteses{std::move(e)})});
        }
        r.arvore = std::move(e);
    } catch (const ErroDeBanco& e) {
        if (!RecusaDoSimulador(e)) throw;
        r.recusa = std::make_shared<const ErroDeBanco>(e);
    }
    return r;
}

namespace {

// What `ler` reads of the run `f` into its tree; bad syntax refuses the batch, what the
// engine does not run is kept to refuse the statement when it runs.
template <class T, class Ler>
Lida<T> LerLida(const std::vector<Token>& t, const std::vector<int>& ordinais, Faixa f, Ler ler) {
    Lida<T> r{f, nullptr, nullptr};
    try {
        LeitorDeExpressoes leitor(t, f.inicio, f.fim, &ordinais);
        r.arvore = ler(leitor);
        leitor.ExigirFim();
    } catch (const ErroDeBanco& e) {
        if (!RecusaDoSimulador(e)) throw;
        r.recusa = std::make_shared<const ErroDeBanco>(e);
    }
    return r;
}

}  // namespace

// A cursor's query: SELECT, WITH, or queries in parentheses joined by UNION and the like.
ConsultaLida Analisador::ConsultaDe(Faixa f) {
    if (ordinais_.empty()) ordinais_ = NumerarParametros(t_);
    return LerLida<Consulta>(t_, ordinais_, f, [](LeitorDeExpressoes& l) {
        return std::shared_ptr<const Consulta>(l.LerConsulta());
    });
}

// FROM ... WHERE ... of UPDATE and DELETE; empty when they have neither.
ClausulasLidas Analisador::ClausulasDe(Faixa f) {
    if (f.Vazia()) return {f, nullptr, nullptr};
    if (ordinais_.empty()) ordinais_ = NumerarParametros(t_);
    return LerLida<Clausulas>(t_, ordinais_, f, [](LeitorDeExpressoes& l) {
        return std::make_shared<const Clausulas>(l.LerClausulas());
    });
}

// The OUTPUT list of INSERT, UPDATE or DELETE read as the query over the rows the
// statement captures, with the '?' of the batch numbered as they are in it.
void Analisador::LerConsultaDaSaida(std::optional<instrucao::ClausulaDeSaida>& s,
                                    const std::string& evento) {
    if (!s) return;
    if (ordinais_.empty()) ordinais_ = NumerarParametros(t_);
    std::vector<Token> tokens;
    std::vector<int> ordinais;
    std::size_t pos = 0;
    auto palavra = [&](const char* p, TipoToken tipo = TipoToken::Palavra) {
        tokens.push_back(Token{tipo, p, pos, pos});
        ordinais.push_back(0);
    };
    palavra("SELECT");
    for (std::size_t k = s->lista.inicio; k < s->lista.fim; ++k) {
        tokens.push_back(t_[k]);
        ordinais.push_back(ordinais_[k]);
        pos = t_[k].fim;
    }
    const std::size_t lista = tokens.size();
    const char* primeira = evento == "DELETE" ? "deleted" : "inserted";
    for (const char* p : {"FROM", primeira, "AS", primeira}) palavra(p);
    if (evento == "UPDATE")
        for (const char* p : {",", "deleted", "AS", "deleted"})
            palavra(p, *p == ',' ? TipoToken::Simbolo : TipoToken::Palavra);
    auto ler = [](LeitorDeExpressoes& l) {
        return std::shared_ptr<const Consulta>(l.LerConsulta());
    };
    try {
        s->consulta = LerLida<Consulta>(tokens, ordinais, {0, tokens.size()}, ler);
    } catch (const ErroDeBanco&) {
        // bad syntax at the list's end is told of the statement's token after it
        tokens.resize(lista);
        if (s->lista.fim < t_.size()) tokens.push_back(t_[s->lista.fim]);
        LerLida<Consulta>(tokens, ordinais, {0, lista}, ler);
        throw;
    }
    s->consulta.faixa = s->lista;
}

// EXEC ('...' + x) and RAISERROR take a bare word as a text (NULL is nothing).
ExpressaoLida Analisador::ExpressaoOuPalavra(Faixa f) {
    const Token& t = t_[f.inicio];
    if (f.fim != f.inicio + 1 || !EhNome(t) || t.tipo == TipoToken::Aspas || EhPalavra(t, "NULL"))
        return ExpressaoDe(f);
    return {f, Nova(Literal{Literal::Tipo::Texto, t.texto}), nullptr};
}

}  // namespace zolvek::simulador
