// The expressions of the procedural statements, read into their trees when the batch
// is parsed, so that a loop's condition is not read again at each pass.

#include "simulador/motor/leitura/analisador.hpp"

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
// statement captures.
void Analisador::LerConsultaDaSaida(std::optional<instrucao::ClausulaDeSaida>& s,
                                    const std::string& evento) {
    if (s) s->consulta = ConsultaDaSaida(s->lista, evento, false);
}

// A MERGE's OUTPUT list read once for each change it can make.
void Analisador::LerConsultasDaSaidaDaMescla(std::optional<instrucao::ClausulaDeSaida>& s) {
    if (!s) return;
    s->daInsercao = ConsultaDaSaida(s->lista, "INSERT", true);
    s->daAtualizacao = ConsultaDaSaida(s->lista, "UPDATE", true);
    s->daExclusao = ConsultaDaSaida(s->lista, "DELETE", true);
}

// SELECT lista FROM inserted, deleted (those the change has), with the '?' of the batch
// numbered as they are in it. In a MERGE $action is the change's name, and the columns of
// the table a change has no rows in are NULL.
ConsultaLida Analisador::ConsultaDaSaida(Faixa lista, const std::string& evento, bool mescla) {
    if (ordinais_.empty()) ordinais_ = NumerarParametros(t_);
    std::vector<Token> tokens;
    std::vector<int> ordinais;
    std::size_t pos = 0;
    auto palavra = [&](const std::string& p, TipoToken tipo = TipoToken::Palavra) {
        tokens.push_back(Token{tipo, p, pos, pos});
        ordinais.push_back(0);
    };
    palavra("SELECT");
    for (std::size_t k = lista.inicio; k < lista.fim; ++k) {
        if (mescla && k + 1 < lista.fim && EhSimbolo(t_[k], "$") &&
            EhPalavra(t_[k + 1], "action") && t_[k].fim == t_[k + 1].inicio) {
            palavra(evento, TipoToken::Texto);
            if (k + 2 >= lista.fim || EhSimbolo(t_[k + 2], ","))
                palavra("$action", TipoToken::Colchete);
            ++k;
            continue;
        }
        tokens.push_back(t_[k]);
        ordinais.push_back(ordinais_[k]);
        pos = t_[k].fim;
    }
    const std::size_t fimDaLista = tokens.size();
    const std::string primeira = evento == "DELETE" ? "deleted" : "inserted";
    const std::string segunda = evento == "DELETE" ? "inserted" : "deleted";
    for (const auto& p : {std::string("FROM"), primeira, std::string("AS"), primeira}) palavra(p);
    if (evento == "UPDATE") {
        palavra(",", TipoToken::Simbolo);
        for (const auto& p : {segunda, std::string("AS"), segunda}) palavra(p);
    } else if (mescla) {
        for (const auto& p : {std::string("LEFT"), std::string("JOIN"), segunda, std::string("AS"),
                              segunda, std::string("ON")})
            palavra(p);
        palavra("1", TipoToken::Numero);
        palavra("=", TipoToken::Simbolo);
        palavra("0", TipoToken::Numero);
    }
    auto ler = [](LeitorDeExpressoes& l) {
        return std::shared_ptr<const Consulta>(l.LerConsulta());
    };
    ConsultaLida r;
    try {
        r = LerLida<Consulta>(tokens, ordinais, {0, tokens.size()}, ler);
    } catch (const ErroDeBanco&) {
        // bad syntax at the list's end is told of the statement's token after it
        tokens.resize(fimDaLista);
        ordinais.resize(fimDaLista);
        if (lista.fim < t_.size()) {
            tokens.push_back(t_[lista.fim]);
            ordinais.push_back(0);
        }
        LerLida<Consulta>(tokens, ordinais, {0, fimDaLista}, ler);
        throw;
    }
    r.faixa = lista;
    return r;
}

// EXEC ('...' + x) and RAISERROR take a bare word as a text (NULL is nothing).
ExpressaoLida Analisador::ExpressaoOuPalavra(Faixa f) {
    const Token& t = t_[f.inicio];
    if (f.fim != f.inicio + 1 || !EhNome(t) || t.tipo == TipoToken::Aspas || EhPalavra(t, "NULL"))
        return ExpressaoDe(f);
    return {f, Nova(Literal{Literal::Tipo::Texto, t.texto}), nullptr};
}

}  // namespace zolvek::simulador
