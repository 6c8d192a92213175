#include "simulador/motor/geracao/reescrita.hpp"

#include "simulador/motor/arvores/filhos_da_expressao.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/leitura/analisador_de_expressoes.hpp"
#include "simulador/motor/leitura/lexico.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

void JuntarColunas(const Expressao& e, std::vector<std::string>& r) {
    if (const auto* c = std::get_if<Coluna>(&e.no)) {
        if (c->partes.back() != "*") r.push_back(c->partes.back());
        return;
    }
    ParaCadaFilho(e, [&](const Expressao& x) { JuntarColunas(x, r); });
}

}  // namespace

std::vector<std::string> ColunasDaExpressao(const std::string& texto) {
    auto tokens = Tokenizar(texto);
    LeitorDeExpressoes leitor(tokens, 0, tokens.size());
    Expr e = leitor.Expressao();
    leitor.ExigirFim();
    std::vector<std::string> r;
    JuntarColunas(*e, r);
    return r;
}

std::string BancoDoNome(const std::vector<std::string>& partes) {
    if (partes.size() < 3) return "";
    const std::string& banco = partes[partes.size() - 3];
    const std::string esquema = Dobrar(partes[partes.size() - 2]);
    // schema.table.column reads as a column; only dbo (or nothing) stands for a schema
    if (banco.empty() || Dobrar(banco) == "dbo" || !(esquema.empty() || esquema == "dbo"))
        return "";
    return banco;
}

std::string Reescrever(const std::vector<Token>& t, Faixa faixa, ContextoDeReescrita& ctx) {
    if (faixa.Vazia()) return "";
    GeradorSqlite gerador(ctx);
    const Token& primeiro = t[faixa.inicio];
    auto comoConsulta = [&]() {
        LeitorDeExpressoes leitor(t, faixa.inicio, faixa.fim, ctx.ordinais);
        std::string sql = gerador.Gerar(*leitor.LerConsulta());
        leitor.ExigirFim();
        return sql;
    };
    if (EhPalavra(primeiro, "SELECT") || EhPalavra(primeiro, "WITH")) return comoConsulta();
    LeitorDeExpressoes leitor(t, faixa.inicio, faixa.fim, ctx.ordinais);
    std::string sql;
    if (EhPalavra(primeiro, "WHERE") || EhPalavra(primeiro, "FROM")) {
        sql = gerador.Gerar(leitor.LerClausulas());
    } else if (faixa.inicio > 0 && EhPalavra(t[faixa.inicio - 1], "FROM")) {
        // the sources of an UPDATE or DELETE with a FROM of its own
        sql = gerador.Gerar(leitor.LerFontes());
    } else {
        Expr e = leitor.Expressao();
        sql = gerador.Gerar(*e);
        ctx.tiposDaSelecao.assign(1, gerador.TipoDe(*e));
        // (SELECT ...) UNION (SELECT ...): a query, not a value
        if (!leitor.NoFim() && EhSimbolo(primeiro, "(")) return comoConsulta();
    }
    leitor.ExigirFim();
    return sql;
}

std::string ExpressaoParaSqlite(const std::string& texto) {
    auto tokens = Tokenizar(texto);
    ContextoDeReescrita ctx;
    ctx.funcaoDoUsuario = FuncoesDoUsuarioEmCurso();  // a default or check may call one
    return Reescrever(tokens, {0, tokens.size()}, ctx);
}

std::string ExpressaoDaTabela(const Tabela& t, const std::string& texto) {
    auto tokens = Tokenizar(texto);
    ContextoDeReescrita ctx;
    ctx.funcaoDoUsuario = FuncoesDoUsuarioEmCurso();
    ctx.escopoPadrao = {{t.nome, const_cast<Tabela*>(&t)}};  // only read
    return Reescrever(tokens, {0, tokens.size()}, ctx);
}

}  // namespace zolvek::simulador
