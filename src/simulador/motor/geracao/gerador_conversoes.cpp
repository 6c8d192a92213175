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
#include "simulador/motor/funcoes/funcoes.hpp"
#include "simulador/motor/geracao/gerador_sqlite.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"
#include "simulador/motor/tipos/registro_das_funcoes.hpp"

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
            return TipoSql{t.base, 0, t.base == TipoBase::Float ? 53 : 0, 0};
        case TipoBase::DateTime2:
        case TipoBase::DateTimeOffset:
        case TipoBase::Time:
            return t;  // with its scale, to which the text rounds
        default:
            return std::nullopt;
    }
}

// SQL Server's order of precedence among the types a text converts to.
int PrecedenciaDeConversao(TipoBase b) {
    constexpr TipoBase kOrdem[] = {
        TipoBase::TinyInt,       TipoBase::SmallInt, TipoBase::Int,       TipoBase::BigInt,
        TipoBase::Real,          TipoBase::Float,    TipoBase::Time,      TipoBase::Date,
        TipoBase::SmallDateTime, TipoBase::DateTime, TipoBase::DateTime2, TipoBase::DateTimeOffset};
    for (int k = 0; k < static_cast<int>(std::size(kOrdem)); ++k)
        if (kOrdem[k] == b) return k + 1;
    return 0;
}

}  // namespace

std::optional<std::string> GeradorSqlite::PassoInteiro(const Binaria& b) const {
    if (b.operador.size() != 1 || std::string("+-*/%").find(b.operador) == std::string::npos)
        return std::nullopt;
    const auto l = TipoDe(*b.esquerda), r = TipoDe(*b.direita);
    if (!EhInteiro(l) || !EhInteiro(r)) return std::nullopt;
    return NomeDoTipo(MaiorInteiro(l->base, r->base));
}

// An integer or float beside a text in + - * / %: the text converts to the number's type
// as CAST converts it (1 + '1.5' fails, as SQL Server's does), then the integers add in
// their type's range.
std::string GeradorSqlite::AritmeticaComTexto(const Binaria& b) {
    if (b.operador.size() != 1 || std::string("+-*/%").find(b.operador) == std::string::npos)
        return "";
    const auto tl = TipoDe(*b.esquerda), tr = TipoDe(*b.direita);
    const bool textoL = EhCaracteres(*b.esquerda, tl), textoR = EhCaracteres(*b.direita, tr);
    if (textoL == textoR) return "";
    const auto& outro = textoL ? tr : tl;
    const bool inteiro = EhInteiro(outro);
    const bool real = outro && (outro->base == TipoBase::Float || outro->base == TipoBase::Real);
    if (!inteiro && (!real || b.operador == "%")) return "";
    const TipoSql alvo{outro->base, 0, outro->base == TipoBase::Float ? 53 : 0, 0};
    std::string l = textoL ? ChamadaDeConversao(Gerar(*b.esquerda), alvo, tl) : Gerar(*b.esquerda);
    std::string r = textoR ? ChamadaDeConversao(Gerar(*b.direita), alvo, tr) : Gerar(*b.direita);
    if (inteiro)
        return "zv_inteira('" + b.operador + "', " + l + ", " + r + ", '" +
               NomeDoTipo(outro->base) + "')";
    if (b.operador == "/") r = "zv_divisor(" + r + ")";
    return "((" + l + ") " + b.operador + " (" + r + "))";
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
    // datetimeoffsets compare by their UTC instant, whatever their offsets
    if (alvo->base == TipoBase::DateTimeOffset) r += std::string(" COLLATE ") + kColacaoDeData;
    return l + " " + op + " " + r;
}

// The type the text values among these convert to where values meet (CASE, COALESCE,
// IIF, IN, BETWEEN): the number or date type of highest precedence among the others, as
// SQL Server types the whole. Nothing when there is no text among them, when a type is
// unknown, or when one is a decimal, whose own rules the decimal writer keeps.
std::optional<TipoSql> GeradorSqlite::AlvoDosValores(
    const std::vector<const Expressao*>& valores) const {
    std::vector<std::optional<TipoSql>> tipos;
    std::vector<bool> textos;
    for (const Expressao* e : valores) {
        const auto* l = std::get_if<Literal>(&e->no);
        if (l && l->tipo == Literal::Tipo::Nulo) continue;
        tipos.push_back(TipoDe(*e));
        textos.push_back(EhCaracteres(*e, tipos.back()));
    }
    return AlvoDosTextos(tipos, textos);
}

std::optional<TipoSql> AlvoDosTextos(const std::vector<std::optional<TipoSql>>& tipos,
                                     const std::vector<bool>& textos) {
    std::optional<TipoSql> alvo;
    bool texto = false;
    for (std::size_t k = 0; k < tipos.size(); ++k) {
        if (textos[k]) {
            texto = true;
            continue;
        }
        const auto a = tipos[k] ? AlvoDaConversao(*tipos[k]) : std::nullopt;
        if (!a) return std::nullopt;
        if (!alvo || PrecedenciaDeConversao(a->base) > PrecedenciaDeConversao(alvo->base)) alvo = a;
    }
    return texto ? alvo : std::nullopt;
}

std::optional<TipoSql> GeradorSqlite::AlvoDosResultados(const Caso& c) const {
    std::vector<const Expressao*> ramos;
    for (const auto& r : c.ramos) ramos.push_back(r.second.get());
    if (c.senao) ramos.push_back(c.senao.get());
    return AlvoDosValores(ramos);
}

// The arguments of COALESCE, IIF, CHOOSE, ISNULL and NULLIF with their texts converted as SQL
// Server types the call; empty when none is.
namespace {

// The math functions of float arguments: a text given them is read as a float.
bool TomaFloat(const std::string& chave) {
    for (const char* f : {"sqrt", "exp", "log", "log10", "asin", "acos", "atan", "atn2", "cot",
                          "sin", "cos", "tan", "square", "radians", "degrees"})
        if (chave == f) return true;
    return false;
}

}  // namespace

// A text argument of a math function of floats, read as a float: SQLite would read a
// word as 0 or answer NULL, where SQL Server fails to convert it. Nothing when none is a text.
std::vector<std::string> GeradorSqlite::ArgumentosDeFloat(const Chamada& c) {
    bool texto = false;
    for (const auto& x : c.argumentos) texto = texto || EhCaracteres(*x, TipoDe(*x));
    if (!texto) return {};
    std::vector<std::string> r;
    for (const auto& x : c.argumentos)
        r.push_back(ResultadoConvertido(*x, TipoSql{TipoBase::Float, 0, 53, 0}));
    return r;
}

std::vector<std::string> GeradorSqlite::ArgumentosConvertidos(const Chamada& c,
                                                              const std::string& chave) {
    if (TomaFloat(chave)) return ArgumentosDeFloat(c);
    const auto& a = c.argumentos;
    std::vector<const Expressao*> valores;
    std::size_t primeiro = 0;
    if (chave == "coalesce" || (chave == "nullif" && a.size() == 2)) {
        for (const auto& x : a) valores.push_back(x.get());
    } else if (chave == "iif" && a.size() == 3) {
        valores = {a[1].get(), a[2].get()};
        primeiro = 1;
    } else if (chave == "choose" && a.size() >= 2) {
        for (std::size_t k = 1; k < a.size(); ++k) valores.push_back(a[k].get());
        primeiro = 1;
    } else if (chave == "isnull" && a.size() == 2) {
        // ISNULL has its first argument's type
        const auto t = TipoDe(*a[0]);
        if (auto s = SubstitutoDoIsnull(*a[1], t)) return {Gerar(*a[0]), *s};
        if (!t || EhCaracteres(*a[0], t) || !EhCaracteres(*a[1], TipoDe(*a[1]))) return {};
        auto alvo = AlvoDaConversao(*t);
        if (!alvo && EhNumericoExato(t->base)) alvo = t;
        if (!alvo) return {};
        return {Gerar(*a[0]), ResultadoConvertido(*a[1], alvo)};
    }
    const auto alvo = valores.empty() ? std::nullopt : AlvoDosValores(valores);
    if (!alvo) return {};
    std::vector<std::string> r;
    for (std::size_t k = 0; k < a.size(); ++k)
        r.push_back(k < primeiro ? Gerar(*a[k]) : ResultadoConvertido(*a[k], alvo));
    return r;
}

// ISNULL's replacement text cut or padded to the first argument's text type, or its
// decimal or float truncated to the first argument's integer type.
std::optional<std::string> GeradorSqlite::SubstitutoDoIsnull(const Expressao& e,
                                                             const std::optional<TipoSql>& t) {
    const auto origem = TipoDe(e);
    if (!t) return std::nullopt;
    const std::string tipo = "'" + TextoDoTipo(*t) + "'";
    const bool texto = (t->base == TipoBase::Char || t->base == TipoBase::VarChar ||
                        t->base == TipoBase::NChar || t->base == TipoBase::NVarChar) &&
                       t->tamanho > 0;
    if (texto && EhCaracteres(e, origem)) return "zv_cast(" + Gerar(e) + ", " + tipo + ")";
    if (!origem || !EhInteiro(t->base) || t->base == TipoBase::Bit) return std::nullopt;
    if (EhNumericoExato(origem->base)) return "zv_cast(zv_dreal(" + Gerar(e) + "), " + tipo + ")";
    if (origem->base == TipoBase::Float || origem->base == TipoBase::Real)
        return "zv_cast(" + Gerar(e) + ", " + tipo + ")";
    return std::nullopt;
}

std::string GeradorSqlite::ResultadoConvertido(const Expressao& e,
                                               const std::optional<TipoSql>& alvo) {
    const auto t = TipoDe(e);
    if (!alvo || !EhCaracteres(e, t)) return Gerar(e);
    return ChamadaDeConversao(Gerar(e), *alvo, t);
}

// An operand of IN or BETWEEN, its text converted when `alvo` says so.
std::string GeradorSqlite::ValorConvertido(const Expr& e, const std::optional<TipoSql>& alvo) {
    if (!alvo || !EhCaracteres(*e, TipoDe(*e))) return Operando(e);
    return ResultadoConvertido(*e, alvo);
}

// CONCAT joins its arguments each converted to text as CONVERT does (money with two
// places, a date in its default style), a NULL as an empty text.
std::string GeradorSqlite::Concatenar(const Chamada& c) {
    std::string r = "(";
    for (std::size_t k = 0; k < c.argumentos.size(); ++k) {
        const Expressao& a = *c.argumentos[k];
        const auto t = TipoDe(a);
        // money as text has two places; a decimal all the places of its scale
        std::string x = Gerar(a);
        if (t && (t->base == TipoBase::Money || t->base == TipoBase::SmallMoney))
            x = "zv_dmoeda_texto(" + x + ", 0)";
        else if (t && EhNumericoExato(t->base))
            x = "zv_cast(" + x + ", '" + TextoDoTipo(*t) + "')";
        r += (k ? " || " : "") + std::string("ifnull(zv_convert('nvarchar(max)', ") + x + "), '')";
    }
    return r + ")";
}

// SUM, AVG, STDEV and VAR take numbers only, MIN and MAX what compares: SQL Server refuses
// the others when it compiles the statement, where SQLite would sum texts as zeros.
void GeradorSqlite::VerificarOperandoDoAgregado(const Chamada& c, const std::string& chave) const {
    const FuncaoEmbutida* f = c.nome.size() == 1 ? FuncaoEmbutidaDe(chave) : nullptr;
    if (!f || f->operando == OperandoDoAgregado::Qualquer || c.argumentos.size() != 1) return;
    const auto t = TipoDe(*c.argumentos[0]);
    if (!t) return;
    if (f->operando == OperandoDoAgregado::Numero
            ? EhNumericoExato(t->base) || EhInteiro(t) || t->base == TipoBase::Float ||
                  t->base == TipoBase::Real
            : t->base != TipoBase::Bit && t->base != TipoBase::Text && t->base != TipoBase::NText &&
                  t->base != TipoBase::Image)
        return;
    throw ErroDoServidor(8117, {NomeDoTipo(t->base), chave});
}

}  // namespace zolvek::simulador
