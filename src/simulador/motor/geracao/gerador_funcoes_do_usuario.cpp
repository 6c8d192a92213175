// Calls of user functions. A scalar one becomes zv_funcao, which runs the function's body
// for each row (funcoes_escalares_do_usuario.cpp); an inline table function's query is
// written in place of the call, a derived table whose parameters are the call's values.

#include "comum/erros.hpp"
#include "simulador/motor/arvores/filhos_da_expressao.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/geracao/gerador_sqlite.hpp"
#include "simulador/motor/geracao/variaveis.hpp"
#include "simulador/motor/leitura/analisador_de_expressoes.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

std::string NomeEscrito(const std::vector<std::string>& partes) {
    std::string nome;
    for (const auto& p : partes) nome += (nome.empty() ? "" : ".") + p;
    return nome;
}

bool EhPadrao(const Expressao& e) {
    const auto* n = std::get_if<Niladica>(&e.no);
    return n && n->nome == "DEFAULT";
}

// The columns an expression names, outside its subqueries.
void ColunasNomeadas(const Expressao& e, std::vector<const Coluna*>& colunas) {
    if (const auto* c = std::get_if<Coluna>(&e.no)) colunas.push_back(c);
    ParaCadaFilho(e, [&](const Expressao& f) { ColunasNomeadas(f, colunas); });
}

}  // namespace

// A table function's arguments see the enclosing queries' columns, not those of the
// tables beside it in its FROM (SQL Server binds them before the FROM's own).
void GeradorSqlite::ExigirArgumentosDeFora(const Chamada& c) const {
    std::vector<const Coluna*> colunas;
    for (const auto& a : c.argumentos)
        if (a) ColunasNomeadas(*a, colunas);
    for (const Coluna* col : colunas) {
        const auto& p = col->partes;
        std::string nome;
        for (const auto& x : p) nome += (nome.empty() ? "" : ".") + x;
        bool achou = false, incerto = false;
        for (const auto& escopo : escopos_)
            for (const auto& [apelido, tabela] : escopo) {
                if (p.size() >= 2)
                    achou = achou || IguaisCiAs(apelido, p[p.size() - 2]);
                else if (!tabela)
                    incerto = true;
                else
                    achou = achou || tabela->Coluna(p[0]) != nullptr;
            }
        if (achou || incerto) continue;
        if (p.size() >= 2) throw ErroDoServidor(4104, {nome});
        throw ErroDoServidor(207, {nome});
    }
}

bool GeradorSqlite::FuncaoDeTabela(const Fonte& f) const {
    const auto* c = f.funcao ? std::get_if<Chamada>(&f.funcao->no) : nullptr;
    return c && c->nome.size() > 1 && ctx_.funcaoDoUsuario;
}

std::string GeradorSqlite::NomeDaFuncao(const Fonte& f) {
    return std::get<Chamada>(f.funcao->no).nome.back();
}

std::optional<AssinaturaDeFuncao> GeradorSqlite::FuncaoDoUsuario(const Chamada& c) const {
    if (c.nome.size() < 2 || !ctx_.funcaoDoUsuario) return std::nullopt;
    return ctx_.funcaoDoUsuario(c.nome);
}

// The arguments converted to their parameters' types, as an assignment converts; a
// DEFAULT leaves its parameter to its default, marked '1' in `padroes`.
std::vector<std::string> GeradorSqlite::ArgumentosDoUsuario(const Chamada& c,
                                                            const AssinaturaDeFuncao& f,
                                                            std::string* padroes) {
    const std::string nome = NomeEscrito(c.nome);
    if (c.estrela) throw ErroDoServidor(102, {"'*'"});
    if (c.distinto) throw ErroDoServidor(156, {"DISTINCT"});
    if (c.sobre) throw ErroDoServidor(4109, {c.nome.back()});
    if (c.argumentos.size() > f.tipos.size()) throw ErroDoServidor(8144, {nome});
    std::vector<std::string> sql;
    for (std::size_t k = 0; k < f.tipos.size(); ++k) {
        // SQL Server gives a parameter its default only when the call says DEFAULT
        const bool padrao = k < c.argumentos.size() && EhPadrao(*c.argumentos[k]);
        if (k >= c.argumentos.size() || (padrao && !f.comPadrao[k]))
            throw ErroDoServidor(313, {nome});
        padroes->push_back(padrao ? '1' : '0');
        if (!padrao) sql.push_back(Convertido(*c.argumentos[k], f.tipos[k]));
    }
    return sql;
}

std::string GeradorSqlite::ChamarFuncaoDoUsuario(const Chamada& c, const AssinaturaDeFuncao& f) {
    if (f.tipo != "FN")
        throw ErroDoServidor(4121, {c.nome[c.nome.size() - 2], NomeEscrito(c.nome)});
    std::string padroes;
    std::string s = "zv_funcao(" + ComoTexto(f.nome);
    const auto args = ArgumentosDoUsuario(c, f, &padroes);
    s += ", " + ComoTexto(padroes);
    for (const auto& a : args) s += ", " + a;
    s = "zv_cast(" + s + "), " + ComoTexto(TextoDoTipo(f.retorno)) + ")";
    // a text compares in the database's collation, as a variable's does
    if (EhTexto(f.retorno.base)) s = "(" + s + " COLLATE " + kColacao + ")";
    return s;
}

// FROM dbo.f(args) of a multi-statement function: its module, called with the defaults'
// marks and every parameter's value (NULL for a default), which may name the columns of
// the tables before it.
GeradorSqlite::FonteDeFuncao GeradorSqlite::ChamadaDaFuncaoDeTabela(const Chamada& c,
                                                                    const AssinaturaDeFuncao& f) {
    ExigirArgumentosDeFora(c);
    std::string padroes;
    const auto args = ArgumentosDoUsuario(c, f, &padroes);
    std::string sql;
    for (std::size_t k = 0, dado = 0; k < padroes.size(); ++k)
        sql += ", " + (padroes[k] == '1' ? std::string("NULL") : args[dado++]);
    FonteDeFuncao r;
    r.sql = f.modulo + "(" + ComoTexto(padroes) + sql + ")";
    for (const auto& col : f.tabela->colunas) r.nomes.push_back(col.nome);
    derivadas_.push_back(std::make_unique<Tabela>(*f.tabela));
    r.tabela = derivadas_.back().get();
    return r;
}

// FROM dbo.f(args): the function's query with its parameters' values, and its columns.
const GeradorSqlite::FonteDeFuncao& GeradorSqlite::ExpandirFuncao(const Fonte& fonte) {
    if (auto it = funcoesExpandidas_.find(&fonte); it != funcoesExpandidas_.end())
        return it->second;
    const auto& c = std::get<Chamada>(fonte.funcao->no);
    const auto f = FuncaoDoUsuario(c);
    if (!f || f->tipo == "FN") throw ErroDoServidor(208, {NomeEscrito(c.nome)});
    if (f->tipo == "TF") return funcoesExpandidas_[&fonte] = ChamadaDaFuncaoDeTabela(c, *f);
    std::string padroes;
    const auto args = ArgumentosDoUsuario(c, *f, &padroes);
    QuadroDeVariaveis parametros;
    std::map<std::string, std::string> valores;
    ContextoDeReescrita interno = ctx_;
    interno.variaveis = &parametros;
    interno.valoresDosParametros = &valores;
    interno.gatilho = nullptr;
    interno.escopoPadrao.clear();
    interno.ordinais = nullptr;
    GeradorSqlite gerador(interno);
    for (std::size_t k = 0, dado = 0; k < f->tipos.size(); ++k) {
        instrucao::VariavelDeclarada v;
        v.nome = f->parametros[k];
        v.tipo = f->tipos[k];
        parametros.Declarar(v);
        std::string& valor = valores[Dobrar(v.nome)];
        if (padroes[k] == '0') {
            valor = args[dado++];
            continue;
        }
        valor = gerador.Convertido(ArvoreDe(f->padroes[k]), v.tipo);
    }
    const Consulta* q = &ArvoreDe(f->corpo);
    FonteDeFuncao r;
    r.sql = gerador.Gerar(*q);
    // RETURN (SELECT ...): the query in parentheses
    r.sql = r.sql.rfind('(', 0) == 0 ? "(SELECT * FROM " + r.sql + ")" : "(" + r.sql + ")";
    r.tabela = gerador.TabelaDerivada(*q);
    r.nomes = gerador.ColunasDaConsulta(*q, NomeEscrito(c.nome));
    for (auto& d : gerador.derivadas_) derivadas_.push_back(std::move(d));
    ctx_.tabelasDoServidor |= interno.tabelasDoServidor;
    return funcoesExpandidas_[&fonte] = std::move(r);
}

}  // namespace zolvek::simulador
