// SELECT ... INTO: the columns of the table the statement makes, as SQL Server derives
// them from the select list (name, type, nullability, identity), and the types of
// values the generator's numeric knowledge leaves out (texts, dates, identifiers).
#include <algorithm>
#include <set>

#include "comum/erros.hpp"
#include "simulador/motor/arvores/fontes_da_consulta.hpp"
#include "simulador/motor/arvores/visitante.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/funcoes/agregados.hpp"
#include "simulador/motor/geracao/gerador_sqlite.hpp"
#include "simulador/motor/leitura/lexico.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"
#include "simulador/motor/tipos/registro_das_funcoes.hpp"

namespace zolvek::simulador {

namespace {

// Characters of a UTF-8 text.
int Caracteres(const std::string& s) {
    return static_cast<int>(std::count_if(
        s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

TipoSql Texto(bool nacional, int tamanho) {
    const int limite = nacional ? 4000 : 8000;
    return TipoSql{nacional ? TipoBase::NVarChar : TipoBase::VarChar,
                   tamanho < 0 || tamanho > limite ? -1 : std::max(1, tamanho), 0, 0};
}

// The names of a source, or of each source of a join in parentheses, folded.
void NomesDaFonte(const Fonte& f, std::set<std::string>& r) {
    if (!f.juncoes.empty()) {
        ParaCadaFonte(f.juncoes, [&](const Fonte& x) { NomesDaFonte(x, r); });
        return;
    }
    r.insert(Dobrar(f.apelido.empty() && !f.nome.empty() ? f.nome.back() : f.apelido));
}

// The sources of a FROM (or of a join in parentheses) whose rows an outer join may leave
// as NULLs, folded.
void FontesAnulaveis(const std::vector<Juncao>& de, std::set<std::string>& r) {
    for (std::size_t k = 0; k < de.size(); ++k) {
        const std::string& tipo = de[k].tipo;
        if (tipo == "LEFT JOIN" || tipo == "FULL JOIN" || tipo == "OUTER APPLY")
            NomesDaFonte(de[k].fonte, r);
        if (tipo == "RIGHT JOIN" || tipo == "FULL JOIN")
            for (std::size_t j = 0; j < k; ++j) NomesDaFonte(de[j].fonte, r);
        if (!de[k].fonte.juncoes.empty()) FontesAnulaveis(de[k].fonte.juncoes, r);
    }
}

std::set<std::string> FontesAnulaveis(const Selecao& s) {
    std::set<std::string> r;
    FontesAnulaveis(s.de, r);
    return r;
}

}  // namespace

// The type of a value beyond TipoDe: text literals are varchar(n) or nvarchar(n) of
// their length, NULL is int, and the date, identifier and text functions have theirs.
std::optional<TipoSql> GeradorSqlite::TipoDoValor(const Expressao& e) const {
    if (auto t = TipoDe(e)) return t;
    if (const auto* l = std::get_if<Literal>(&e.no)) {
        if (l->tipo == Literal::Tipo::Texto) return Texto(l->nacional, Caracteres(l->texto));
        if (l->tipo == Literal::Tipo::Nulo) return TipoSql{TipoBase::Int, 0, 10, 0};
        if (l->tipo == Literal::Tipo::Binario)
            return TipoSql{TipoBase::VarBinary,
                           std::max(1, static_cast<int>(l->texto.size() - 2) / 2), 0, 0};
        return std::nullopt;
    }
    if (const auto* p = std::get_if<Parenteses>(&e.no)) return TipoDoValor(*p->dentro);
    if (const auto* n = std::get_if<Niladica>(&e.no)) {
        if (n->nome == "CURRENT_TIMESTAMP")
            return CompletarTipo(TipoBase::DateTime, 0, 0, 0, false);
        return TipoSql{TipoBase::NVarChar, 128, 0, 0};
    }
    if (const auto* b = std::get_if<Binaria>(&e.no); b && b->operador == "+") {
        // texts joined: the lengths add up, national when either is
        const auto a = TipoDoValor(*b->esquerda), d = TipoDoValor(*b->direita);
        if (!a || !d || !EhTexto(a->base) || !EhTexto(d->base)) return std::nullopt;
        if (a->base == TipoBase::Text || a->base == TipoBase::NText || d->base == TipoBase::Text ||
            d->base == TipoBase::NText)
            return std::nullopt;
        const bool nacional = a->base == TipoBase::NChar || a->base == TipoBase::NVarChar ||
                              d->base == TipoBase::NChar || d->base == TipoBase::NVarChar;
        if (a->tamanho < 0 || d->tamanho < 0) return Texto(nacional, -1);
        return Texto(nacional, std::min(a->tamanho + d->tamanho, nacional ? 4000 : 8000));
    }
    const auto* c = std::get_if<Chamada>(&e.no);
    if (!c || c->nome.size() != 1) return std::nullopt;
    const FuncaoEmbutida* f = FuncaoEmbutidaDe(Dobrar(c->nome[0]));
    if (!f) return std::nullopt;
    if (f->regra == RegraDoTipo::FixoNaCriacao) return f->tipo;
    const bool texto = f->regra == RegraDoTipo::TextoDoPrimeiro;
    if ((!texto && f->regra != RegraDoTipo::DoPrimeiro) || c->argumentos.empty())
        return std::nullopt;
    const auto a = TipoDoValor(*c->argumentos[0]);
    if (!a || !texto) return a;
    if (!EhTexto(a->base)) return std::nullopt;
    const bool nacional =
        a->base == TipoBase::NChar || a->base == TipoBase::NVarChar || a->base == TipoBase::NText;
    return Texto(nacional, a->tamanho);
}

// Whether SQL Server derives a value as NOT NULL: a constant other than NULL, a column
// that allows none (outside the outer side of a join), ISNULL with such a value.
bool GeradorSqlite::NaoNulo(const Expressao& e, const std::set<std::string>& anulaveis) const {
    if (const auto* l = std::get_if<Literal>(&e.no)) return l->tipo != Literal::Tipo::Nulo;
    if (const auto* p = std::get_if<Parenteses>(&e.no)) return NaoNulo(*p->dentro, anulaveis);
    if (const auto* c = std::get_if<Coluna>(&e.no)) {
        const ColunaDaTabela* col = ColunaDoEscopo(*c);
        if (!col || col->anulavel) return false;
        return anulaveis.empty() || !anulaveis.count(Dobrar(DonoDaColuna(*c)));
    }
    if (const auto* c = std::get_if<Chamada>(&e.no);
        c && c->nome.size() == 1 && Dobrar(c->nome[0]) == "isnull" && c->argumentos.size() == 2)
        return NaoNulo(*c->argumentos[0], anulaveis) || NaoNulo(*c->argumentos[1], anulaveis);
    return false;
}

bool GeradorSqlite::NaoNulo(const Expressao& e, const Selecao& s) const {
    return NaoNulo(e, FontesAnulaveis(s));
}

// The alias or table (folded) of the FROM a column belongs to; "" when unknown.
std::string GeradorSqlite::DonoDaColuna(const Coluna& c) const {
    if (c.partes.size() >= 2) return c.partes[c.partes.size() - 2];
    if (escopos_.empty()) return "";
    for (const auto& [nome, tabela] : escopos_.back())
        if (tabela && tabela->Coluna(c.partes.back())) return nome;
    return "";
}

// The new table's columns, in the order of the select list; a * gives the columns of
// each table of the FROM in turn.
void GeradorSqlite::AnotarDestino(const Selecao& s) {
    if (tiposDosRamos_.count(&s))
        throw Recusa(
            "O simulador de SQL Server não aceita SELECT ... INTO com UNION, EXCEPT ou "
            "INTERSECT.");
    auto t = std::make_shared<Tabela>();
    t->nome = s.destino.back();
    const std::set<std::string> anulaveis = FontesAnulaveis(s);
    // an identity column keeps its property only when read alone, once, from one table
    bool identidadePossivel = s.de.size() == 1 && s.de[0].fonte.juncoes.empty() &&
                              s.grupo.empty() && !s.distinto &&
                              std::none_of(s.itens.begin(), s.itens.end(),
                                           [](const auto& i) { return TemAgregado(*i.expressao); });
    int identidades = 0;
    auto acrescentar = [&](ColunaDaTabela col) {
        if (t->Coluna(col.nome)) throw ErroDoServidor(2705, {col.nome, t->nome});
        if (col.tipo.base == TipoBase::RowVersion)
            throw Recusa(
                "O simulador de SQL Server não copia colunas timestamp em SELECT "
                "... INTO ('" +
                col.nome + "').");
        if (col.identidade) ++identidades;
        t->colunas.push_back(std::move(col));
    };
    for (const auto& item : s.itens) {
        const Expressao& e = *item.expressao;
        const auto* c = std::get_if<Coluna>(&e.no);
        if (c && c->partes.back() == "*") {
            const std::string dono = c->partes.size() >= 2 ? c->partes[c->partes.size() - 2] : "";
            for (const auto& [nome, tabela] : escopos_.back()) {
                if (!dono.empty() && !IguaisCiAs(dono, nome)) continue;
                if (!tabela)
                    throw Recusa("O simulador de SQL Server não deduz as colunas de '" + nome +
                                 "' em SELECT * INTO.");
                const bool externa = anulaveis.count(Dobrar(nome)) != 0;
                for (ColunaDaTabela col : tabela->colunas) {
                    col.anulavel = col.anulavel || externa;
                    if (col.identidade) col.anulavel = false;
                    col.identidade = col.identidade && identidadePossivel;
                    acrescentar(std::move(col));
                }
            }
            continue;
        }
        ColunaDaTabela col;
        col.nome = !item.apelido.empty() ? item.apelido : c ? c->partes.back() : "";
        if (col.nome.empty()) throw ErroDoServidor(1038);
        // the executor refuses a column of unknown type once the query's names resolve
        const auto tipo = TipoDoValor(e);
        if (!tipo && ctx_.destinoSemTipo.empty()) ctx_.destinoSemTipo = col.nome;
        col.tipo = tipo.value_or(TipoSql{TipoBase::SqlVariant, 0, 0, 0});
        col.anulavel = !NaoNulo(e, anulaveis);
        if (const ColunaDaTabela* origem = c ? ColunaDoEscopo(*c) : nullptr;
            origem && origem->identidade) {
            col.identidade = identidadePossivel;
            col.semente = origem->semente;
            col.incremento = origem->incremento;
            col.anulavel = false;
        }
        acrescentar(std::move(col));
    }
    // an identity column read twice is no identity in either copy
    if (identidades > 1)
        for (auto& col : t->colunas) col.identidade = false;
    ctx_.destino = std::move(t);
}

}  // namespace zolvek::simulador
