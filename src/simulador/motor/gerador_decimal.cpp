// The generator's knowledge of numeric types: which expressions are decimal, numeric
// or money, and the exact functions their arithmetic, comparisons and aggregates
// become (SQLite would compute them in floating point).
#include <algorithm>
#include <optional>

#include "simulador/motor/catalogo.hpp"
#include "simulador/motor/colacao.hpp"
#include "simulador/motor/funcoes.hpp"
#include "simulador/motor/gerador_sqlite.hpp"
#include "simulador/motor/lexico.hpp"
#include "simulador/motor/visitante.hpp"

namespace zolvek::simulador {

namespace {

bool Exato(const std::optional<TipoSql>& t) {
    return t && EhNumericoExato(t->base);
}

bool EhReal(const std::optional<TipoSql>& t) {
    return t && (t->base == TipoBase::Float || t->base == TipoBase::Real);
}

bool EhMoeda(TipoBase b) {
    return b == TipoBase::Money || b == TipoBase::SmallMoney;
}

// The (precision, scale) a value takes part in decimal arithmetic with. An integer
// literal counts its own digits (SQL Server types 4 in 10.0/4 as numeric(1,0)).
std::optional<std::pair<int, int>> ComoDecimal(const TipoSql& t) {
    switch (t.base) {
        case TipoBase::Decimal:
        case TipoBase::Numeric:
            return std::pair{t.precisao, t.escala};
        case TipoBase::Money:
            return std::pair{19, 4};
        case TipoBase::SmallMoney:
            return std::pair{10, 4};
        case TipoBase::Int:
            return std::pair{t.precisao > 0 && t.precisao < 10 ? t.precisao : 10, 0};
        case TipoBase::BigInt:
            return std::pair{19, 0};
        case TipoBase::SmallInt:
            return std::pair{5, 0};
        case TipoBase::TinyInt:
            return std::pair{3, 0};
        case TipoBase::Bit:
            return std::pair{1, 0};
        default:
            return std::nullopt;
    }
}

std::optional<TipoSql> TipoDoLiteral(const Literal& l) {
    if (l.tipo != Literal::Tipo::Numero) return std::nullopt;
    const std::string& s = l.texto;
    if (s.find_first_of("eE") != std::string::npos) return TipoSql{TipoBase::Float, 0, 53, 0};
    const auto ponto = s.find('.');
    std::string digitos = s;
    digitos.erase(std::remove(digitos.begin(), digitos.end(), '.'), digitos.end());
    const auto primeiro = digitos.find_first_not_of('0');
    const int escala = ponto == std::string::npos ? 0 : static_cast<int>(s.size() - ponto - 1);
    const int significativos =
        primeiro == std::string::npos ? 1 : static_cast<int>(digitos.size() - primeiro);
    const int precisao = std::max(significativos, escala);
    if (ponto == std::string::npos && precisao <= 9) return TipoSql{TipoBase::Int, 0, precisao, 0};
    if (ponto == std::string::npos && precisao == 10 && s <= "2147483647")
        return TipoSql{TipoBase::Int, 0, 10, 0};
    return TipoSql{TipoBase::Numeric, 0, std::min(std::max(precisao, 1), 38), escala};
}

// The type of a + - * / % between two numeric types, by SQL Server's precedence.
std::optional<TipoSql> TipoDaAritmetica(char op, const TipoSql& a, const TipoSql& b) {
    if (EhReal(a) || EhReal(b)) {
        if (!ComoDecimal(a) && !EhReal(a)) return std::nullopt;
        if (!ComoDecimal(b) && !EhReal(b)) return std::nullopt;
        return TipoSql{TipoBase::Float, 0, 53, 0};
    }
    const auto da = ComoDecimal(a), db = ComoDecimal(b);
    if (!da || !db) return std::nullopt;
    const bool decimalA = a.base == TipoBase::Decimal || a.base == TipoBase::Numeric;
    const bool decimalB = b.base == TipoBase::Decimal || b.base == TipoBase::Numeric;
    if (decimalA || decimalB)
        return TipoDaOperacaoDecimal(op, da->first, da->second, db->first, db->second);
    if (EhMoeda(a.base) || EhMoeda(b.base)) {
        const bool money = a.base == TipoBase::Money || b.base == TipoBase::Money ||
                           !EhMoeda(a.base) || !EhMoeda(b.base);
        return money ? TipoSql{TipoBase::Money, 0, 19, 4} : TipoSql{TipoBase::SmallMoney, 0, 10, 4};
    }
    if (a.base == TipoBase::BigInt || b.base == TipoBase::BigInt)
        return TipoSql{TipoBase::BigInt, 0, 19, 0};
    return TipoSql{TipoBase::Int, 0, 10, 0};
}

// The arguments a decimal function takes after its operands: precision, scale, type.
std::string Tipo(const TipoSql& t) {
    return std::to_string(t.precisao) + ", " + std::to_string(EhMoeda(t.base) ? 4 : t.escala) +
           ", " + std::to_string(static_cast<int>(t.base));
}

bool EhColunaSimples(const Expressao& e) {
    if (const auto* p = std::get_if<Parenteses>(&e.no)) return EhColunaSimples(*p->dentro);
    return std::holds_alternative<Coluna>(e.no);
}

}  // namespace

std::optional<TipoSql> GeradorSqlite::TipoDe(const Expressao& e) const {
    return std::visit(Visitante{
                          [&](const Literal& l) { return TipoDoLiteral(l); },
                          [&](const Coluna& c) -> std::optional<TipoSql> {
                              if (const ColunaDaTabela* col = ColunaDoEscopo(c)) return col->tipo;
                              return std::nullopt;
                          },
                          [&](const Parenteses& p) { return TipoDe(*p.dentro); },
                          [&](const Unaria& u) -> std::optional<TipoSql> {
                              if (u.operador == "NOT") return std::nullopt;
                              return TipoDe(*u.operando);
                          },
                          [&](const Binaria& b) -> std::optional<TipoSql> {
                              if (b.operador.size() != 1 ||
                                  std::string("+-*/%").find(b.operador) == std::string::npos)
                                  return std::nullopt;
                              auto l = TipoDe(*b.esquerda), r = TipoDe(*b.direita);
                              if (!l || !r) return std::nullopt;
                              return TipoDaAritmetica(b.operador[0], *l, *r);
                          },
                          [&](const Chamada& c) { return TipoDaChamada(c); },
                          [&](const Caso& c) { return TipoDoCaso(c); },
                          [&](const auto&) -> std::optional<TipoSql> { return std::nullopt; },
                      },
                      e.no);
}

std::optional<TipoSql> GeradorSqlite::TipoDaChamada(const Chamada& c) const {
    if (c.nome.size() != 1) return std::nullopt;
    const std::string f = Dobrar(c.nome[0]);
    if (f == "cast" || f == "convert") return LerTextoDeTipo(c.tipo);
    if (c.argumentos.empty()) return std::nullopt;
    auto a = TipoDe(*c.argumentos[0]);
    if (!a) return std::nullopt;
    if (f == "min" || f == "max" || f == "round" || f == "isnull" || f == "coalesce") return a;
    if (f == "sum" || f == "avg") {
        if (EhMoeda(a->base)) return TipoSql{TipoBase::Money, 0, 19, 4};
        if (EhNumericoExato(a->base))
            return TipoSql{TipoBase::Numeric, 0, 38,
                           f == "avg" ? std::max(a->escala, 6) : a->escala};
        if (EhReal(a)) return TipoSql{TipoBase::Float, 0, 53, 0};
        if (a->base == TipoBase::BigInt) return a;
        if (ComoDecimal(*a)) return TipoSql{TipoBase::Int, 0, 10, 0};
    }
    return std::nullopt;
}

// CASE gives the type of its branches by precedence; decimals keep the widest integral
// part and the largest scale.
std::optional<TipoSql> GeradorSqlite::TipoDoCaso(const Caso& c) const {
    std::vector<const Expressao*> ramos;
    for (const auto& r : c.ramos) ramos.push_back(r.second.get());
    if (c.senao) ramos.push_back(c.senao.get());
    std::optional<TipoSql> r;
    bool exato = false;
    int inteira = 0, escala = 0;
    for (const Expressao* e : ramos) {
        if (const auto* l = std::get_if<Literal>(&e->no); l && l->tipo == Literal::Tipo::Nulo)
            continue;
        auto t = TipoDe(*e);
        if (!t || (!ComoDecimal(*t) && !EhReal(t))) return std::nullopt;
        exato = exato || EhNumericoExato(t->base);
        if (EhReal(t)) r = t;
        if (auto d = ComoDecimal(*t)) {
            inteira = std::max(inteira, d->first - d->second);
            escala = std::max(escala, d->second);
        }
        if (!r || (!EhReal(r) && EhNumericoExato(t->base) &&
                   (!EhNumericoExato(r->base) || EhMoeda(r->base))))
            r = t;
    }
    if (!exato || !r || EhReal(r)) return r;
    if (EhMoeda(r->base)) return r;
    return TipoSql{TipoBase::Numeric, 0, std::min(38, inteira + escala), escala};
}

std::string GeradorSqlite::AritmeticaDecimal(const Binaria& b) {
    auto l = TipoDe(*b.esquerda), r = TipoDe(*b.direita);
    if (!l || !r) return "";
    auto t = TipoDaAritmetica(b.operador[0], *l, *r);
    if (!Exato(t)) return "";
    static const std::string nomes[] = {"zv_dmais", "zv_dmenos", "zv_dvezes", "zv_ddividir",
                                        "zv_dresto"};
    const auto k = std::string("+-*/%").find(b.operador[0]);
    return nomes[k] + "(" + Gerar(*b.esquerda) + ", " + Gerar(*b.direita) + ", " + Tipo(*t) + ")";
}

// A decimal that is not a plain column has no column affinity or collation to compare
// by: it compares through zv_dcomparar.
std::string GeradorSqlite::ComparacaoDecimal(const Binaria& b, const std::string& op) {
    const bool l = Exato(TipoDe(*b.esquerda)) && !EhColunaSimples(*b.esquerda);
    const bool r = Exato(TipoDe(*b.direita)) && !EhColunaSimples(*b.direita);
    if (!l && !r) return "";
    return "zv_dcomparar(" + Gerar(*b.esquerda) + ", " + Gerar(*b.direita) + ") " + op + " 0";
}

std::string GeradorSqlite::ChamadaDecimal(const Chamada& c, const std::string& chave) {
    if (c.nome.size() != 1 || c.argumentos.empty() || c.sobre) return "";
    auto a = TipoDe(*c.argumentos[0]);
    if (!Exato(a)) return "";
    const std::string x = Gerar(*c.argumentos[0]);
    if (chave == "sum" || chave == "avg") {
        std::string f = chave == "sum" ? "zv_dsoma" : "zv_dmedia";
        if (EhMoeda(a->base)) f += "_moeda";
        if (c.distinto) return f + "(DISTINCT " + x + ")";
        // the scale of the result, also when every value summed is an integer
        return f + "(" + x + ", " + std::to_string(EhMoeda(a->base) ? 4 : a->escala) + ")";
    }
    if (chave == "round" && c.argumentos.size() >= 2)
        return "zv_dround(" + x + ", " + Gerar(*c.argumentos[1]) + ", " +
               (c.argumentos.size() > 2 ? Gerar(*c.argumentos[2]) : std::string("0")) + ", " +
               Tipo(*a) + ")";
    if (chave == "cast" || chave == "convert") {
        // a decimal becomes an integer or float from its value, not from its text
        auto alvo = LerTextoDeTipo(c.tipo);
        if (!alvo || EhNumericoExato(alvo->base) || EhTexto(alvo->base) || EhBinario(alvo->base))
            return "";
        if (!EhInteiro(alvo->base) && !EhReal(alvo)) return "";
        if (chave == "cast") return "zv_cast(zv_dreal(" + x + "), " + ComoTexto(c.tipo) + ")";
        std::string s = "zv_convert(" + ComoTexto(c.tipo) + ", zv_dreal(" + x + ")";
        for (std::size_t k = 1; k < c.argumentos.size(); ++k) s += ", " + Gerar(*c.argumentos[k]);
        return s + ")";
    }
    return "";
}

std::string GeradorSqlite::NegacaoDecimal(const Unaria& u) {
    if (u.operador != "-") return "";
    auto t = TipoDe(*u.operando);
    if (!Exato(t)) return "";
    return "zv_dmenos(0, " + Gerar(*u.operando) + ", " + Tipo(*t) + ")";
}

// A decimal computed in a result column or an ORDER BY orders by value.
std::string GeradorSqlite::ComColacaoDecimal(const Expressao& e, std::string sql) const {
    if (!EhColunaSimples(e) && Exato(TipoDe(e))) sql += std::string(" COLLATE ") + kColacaoDecimal;
    return sql;
}

void GeradorSqlite::AnotarTipos(const Selecao& s) {
    ctx_.tiposDaSelecao.clear();
    for (const auto& item : s.itens) {
        const auto* c = std::get_if<Coluna>(&item.expressao->no);
        if (c && c->partes.back() == "*") {
            ctx_.tiposDaSelecao.clear();
            return;
        }
        ctx_.tiposDaSelecao.push_back(TipoDe(*item.expressao));
    }
}

}  // namespace zolvek::simulador
