// The integer operators and the implicit conversions of comparisons. SQLite adds
// integers in 64 bits, divides by zero into NULL and compares a text with a number by
// its storage class; SQL Server keeps each integer type's range, fails on zero, and
// converts the text side of a comparison to the other side's type (failing on a text
// that is no such value).
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "comum/erros.hpp"
#include "simulador/motor/funcoes.hpp"
#include "simulador/motor/gerador_sqlite.hpp"

namespace zolvek::simulador {

namespace {

bool EhInteiro(const std::optional<TipoSql>& t) {
    return t && (t->base == TipoBase::Int || t->base == TipoBase::BigInt ||
                 t->base == TipoBase::SmallInt || t->base == TipoBase::TinyInt);
}

// The integer type of higher precedence: bigint, int, smallint, tinyint.
TipoBase MaiorInteiro(TipoBase a, TipoBase b) {
    for (TipoBase t : {TipoBase::BigInt, TipoBase::Int, TipoBase::SmallInt})
        if (a == t || b == t) return t;
    return TipoBase::TinyInt;
}

bool EhTextoLiteral(const Expressao& e) {
    const auto* l = std::get_if<Literal>(&e.no);
    return l && l->tipo == Literal::Tipo::Texto;
}

bool EhCaracteres(const Expressao& e, const std::optional<TipoSql>& t) {
    if (EhTextoLiteral(e)) return true;
    return t && (t->base == TipoBase::Char || t->base == TipoBase::VarChar ||
                 t->base == TipoBase::NChar || t->base == TipoBase::NVarChar);
}

// The type a text converts to beside a value of type `t`, when SQL Server converts it.
std::optional<TipoSql> AlvoDaConversao(const TipoSql& t) {
    switch (t.base) {
        case TipoBase::Int:
        case TipoBase::BigInt:
        case TipoBase::SmallInt:
        case TipoBase::TinyInt:
        case TipoBase::Float:
        case TipoBase::Real:
        case TipoBase::DateTime:
        case TipoBase::SmallDateTime:
        case TipoBase::Date:
        case TipoBase::DateTime2:
        case TipoBase::Time:
            return TipoSql{t.base, 0, t.base == TipoBase::Float ? 53 : 0, 0};
        default:
            return std::nullopt;
    }
}

// SQL Server's order of precedence among the types a text converts to.
int Precedencia(TipoBase b) {
    constexpr TipoBase kOrdem[] = {TipoBase::TinyInt,  TipoBase::SmallInt, TipoBase::Int,
                                   TipoBase::BigInt,   TipoBase::Real,     TipoBase::Float,
                                   TipoBase::Time,     TipoBase::Date,     TipoBase::SmallDateTime,
                                   TipoBase::DateTime, TipoBase::DateTime2};
    for (int k = 0; k < static_cast<int>(std::size(kOrdem)); ++k)
        if (kOrdem[k] == b) return k + 1;
    return 0;
}

}  // namespace

std::string GeradorSqlite::AritmeticaInteira(const Binaria& b) {
    if (b.operador.size() != 1 || std::string("+-*/%").find(b.operador) == std::string::npos)
        return "";
    const auto l = TipoDe(*b.esquerda), r = TipoDe(*b.direita);
    if (!EhInteiro(l) || !EhInteiro(r)) return "";
    const std::string tipo = NomeDoTipo(MaiorInteiro(l->base, r->base));
    return "zv_inteira('" + b.operador + "', " + Gerar(*b.esquerda) + ", " + Gerar(*b.direita) +
           ", '" + tipo + "')";
}

std::string GeradorSqlite::ComparacaoConvertida(const Binaria& b, const std::string& op) {
    if (op == "AND" || op == "OR") return "";
    const auto tl = TipoDe(*b.esquerda), tr = TipoDe(*b.direita);
    const bool textoL = EhCaracteres(*b.esquerda, tl), textoR = EhCaracteres(*b.direita, tr);
    if (textoL == textoR) return "";
    const auto& outro = textoL ? tr : tl;
    auto alvo = outro ? AlvoDaConversao(*outro) : std::nullopt;
    // beside a decimal the text is read as an exact number, compared by its value
    if (outro && EhNumericoExato(outro->base)) alvo = TipoSql{TipoBase::Numeric, 0, 38, 10};
    if (!alvo) return "";
    std::string l = Operando(b.esquerda), r = Operando(b.direita);
    if (textoL)
        l = ChamadaDeConversao(Gerar(*b.esquerda), *alvo, tl);
    else
        r = ChamadaDeConversao(Gerar(*b.direita), *alvo, tr);
    return l + " " + op + " " + r;
}

// The type a CASE's text results convert to: the number or date type of highest
// precedence among its other results (SQL Server types a CASE as that one), when none of
// them is a decimal, whose own rules the decimal writer keeps.
std::optional<TipoSql> GeradorSqlite::AlvoDosResultados(const Caso& c) const {
    std::vector<const Expressao*> ramos;
    for (const auto& r : c.ramos) ramos.push_back(r.second.get());
    if (c.senao) ramos.push_back(c.senao.get());
    std::optional<TipoSql> alvo;
    bool texto = false;
    for (const Expressao* e : ramos) {
        const auto t = TipoDe(*e);
        if (EhCaracteres(*e, t)) {
            texto = true;
            continue;
        }
        if (t && EhNumericoExato(t->base)) return std::nullopt;
        const auto a = t ? AlvoDaConversao(*t) : std::nullopt;
        if (a && (!alvo || Precedencia(a->base) > Precedencia(alvo->base))) alvo = a;
    }
    return texto ? alvo : std::nullopt;
}

std::string GeradorSqlite::ResultadoConvertido(const Expressao& e,
                                               const std::optional<TipoSql>& alvo) {
    const auto t = TipoDe(e);
    if (!alvo || !EhCaracteres(e, t)) return Gerar(e);
    return ChamadaDeConversao(Gerar(e), *alvo, t);
}

// SUM and AVG take numbers only: SQL Server refuses a text, date or bit column when it
// compiles the statement, where SQLite would sum the texts as zeros.
void GeradorSqlite::VerificarOperandoDoAgregado(const Chamada& c, const std::string& chave) const {
    if ((chave != "sum" && chave != "avg") || c.nome.size() != 1 || c.argumentos.size() != 1)
        return;
    const auto t = TipoDe(*c.argumentos[0]);
    if (!t || EhNumericoExato(t->base) || EhInteiro(t) || t->base == TipoBase::Float ||
        t->base == TipoBase::Real)
        return;
    throw ErroDeBanco(
        "Operand data type " + NomeDoTipo(t->base) + " is invalid for " + chave + " operator.",
        8117, 16, 1);
}

}  // namespace zolvek::simulador
