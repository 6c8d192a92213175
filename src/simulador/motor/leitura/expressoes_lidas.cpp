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

// A cursor's query: SELECT, WITH, or queries in parentheses joined by UNION and the like.
ConsultaLida Analisador::ConsultaDe(Faixa f) {
    ConsultaLida r{f, nullptr, nullptr};
    if (ordinais_.empty()) ordinais_ = NumerarParametros(t_);
    try {
        LeitorDeExpressoes leitor(t_, f.inicio, f.fim, &ordinais_);
        r.arvore = leitor.LerConsulta();
        leitor.ExigirFim();
    } catch (const ErroDeBanco& e) {
        if (!RecusaDoSimulador(e)) throw;
        r.recusa = std::make_shared<const ErroDeBanco>(e);
    }
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
