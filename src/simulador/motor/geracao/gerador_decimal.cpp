// The generator's knowledge of numeric types: which expressions are decimal, numeric
// or money, and the exact functions their arithmetic, comparisons and aggregates
// become (SQLite would compute them in floating point).
#include <algorithm>
#include <map>
#include <optional>

#include "simulador/motor/arvores/visitante.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/funcoes/funcoes.hpp"
#include "simulador/motor/geracao/gerador_sqlite.hpp"
#include "simulador/motor/geracao/variaveis.hpp"
#include "simulador/motor/leitura/lexico.hpp"
#include "simulador/motor/tipos/colacao.hpp"
#include "simulador/motor/tipos/registro_das_funcoes.hpp"

namespace zolvek::simulador {

namespace {

bool Exato(const std::optional<TipoSql>& t) {
    return t && EhNumericoExato(t->base);
}

bool EhReal(const std::optional<TipoSql>& t) {
    return t && EhAproximado(t->base);
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

// The type of a + - * / % between two numeric types, by SQL Server's precedence.
std::optional<TipoSql> TipoDaAritmetica(char op, const TipoSql& a, const TipoSql& b) {
    if (EhReal(a) || EhReal(b)) {
        if (!ComoDecimal(a) && !EhReal(a)) return std::nullopt;
        if (!ComoDecimal(b) && !EhReal(b)) return std::nullopt;
        // real computes as real unless a float takes part
        if (a.base == TipoBase::Float || b.base == TipoBase::Float)
            return TipoSql{TipoBase::Float, 0, 53, 0};
        return TipoSql{TipoBase::Real, 0, 24, 0};
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

// The type values of these types take where they meet (CASE, COALESCE, UNION): by
// precedence; decimals keep the widest integral part and the largest scale.
std::optional<TipoSql> Combinar(const std::vector<TipoSql>& tipos) {
    std::optional<TipoSql> r;
    bool exato = false;
    int inteira = 0, escala = 0;
    for (const TipoSql& t : tipos) {
        if (!ComoDecimal(t) && !EhReal(t)) return std::nullopt;
        exato = exato || EhNumericoExato(t.base);
        if (EhReal(t)) r = t;
        if (auto d = ComoDecimal(t)) {
            inteira = std::max(inteira, d->first - d->second);
            escala = std::max(escala, d->second);
        }
        if (!r || (!EhReal(r) && EhNumericoExato(t.base) &&
                   (!EhNumericoExato(r->base) || EhMoeda(r->base))))
            r = t;
    }
    if (!exato || !r || EhReal(r)) return r;
    if (EhMoeda(r->base)) return r;
    return TipoSql{TipoBase::Numeric, 0, std::min(38, inteira + escala), escala};
}

// The type of a call whose result follows its first argument, of type `a`.
std::optional<TipoSql> TipoPeloPrimeiro(const FuncaoEmbutida& f, const TipoSql& a) {
    switch (f.regra) {
        case RegraDoTipo::DoPrimeiro:
        case RegraDoTipo::DoPrimeiroNumero:
            return a;
        case RegraDoTipo::Teto:
        case RegraDoTipo::Potencia:
            if (EhMoeda(a.base)) return TipoSql{TipoBase::Money, 0, 19, 4};
            if (EhNumericoExato(a.base))
                return f.regra == RegraDoTipo::Teto ? TipoSql{TipoBase::Numeric, 0, a.precisao, 0}
                                                    : TipoSql{TipoBase::Numeric, 0, 38, a.escala};
            if (f.regra == RegraDoTipo::Teto) return a;
            // an integer power is an int (a bigint's a bigint)
            if (a.base == TipoBase::BigInt) return a;
            if (EhInteiro(a.base) && a.base != TipoBase::Bit)
                return TipoSql{TipoBase::Int, 0, 10, 0};
            return std::nullopt;
        case RegraDoTipo::Angulo:
            if (EhMoeda(a.base)) return TipoSql{TipoBase::Money, 0, 19, 4};
            if (EhNumericoExato(a.base)) return TipoSql{TipoBase::Numeric, 0, 38, a.escala};
            if (a.base == TipoBase::BigInt) return a;
            if (EhInteiro(a.base) && a.base != TipoBase::Bit)
                return TipoSql{TipoBase::Int, 0, 10, 0};
            if (ComoDecimal(a) || EhReal(a)) return TipoSql{TipoBase::Float, 0, 53, 0};
            return std::nullopt;
        case RegraDoTipo::Soma:
        case RegraDoTipo::Media:
            if (EhMoeda(a.base)) return TipoSql{TipoBase::Money, 0, 19, 4};
            if (EhNumericoExato(a.base))
                return TipoSql{TipoBase::Numeric, 0, 38,
                               f.regra == RegraDoTipo::Media ? std::max(a.escala, 6) : a.escala};
            if (EhReal(a)) return TipoSql{TipoBase::Float, 0, 53, 0};
            if (a.base == TipoBase::BigInt) return a;
            if (ComoDecimal(a)) return TipoSql{TipoBase::Int, 0, 10, 0};
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

bool MesmoTipo(const TipoSql& a, const TipoSql& b) {
    return a.base == b.base && a.precisao == b.precisao &&
           (EhMoeda(a.base) || a.escala == b.escala);
}

bool EhNuloLiteral(const Expressao& e) {
    const auto* l = std::get_if<Literal>(&e.no);
    return l && l->tipo == Literal::Tipo::Nulo;
}

bool EhColunaSimples(const Expressao& e) {
    if (const auto* p = std::get_if<Parenteses>(&e.no)) return EhColunaSimples(*p->dentro);
    return std::holds_alternative<Coluna>(e.no);
}

}  // namespace

std::optional<TipoSql> TipoDoLiteral(const Literal& l) {
    if (l.tipo != Literal::Tipo::Numero) return std::nullopt;
    if (l.moeda) return TipoSql{TipoBase::Money, 0, 19, 4};
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

std::optional<TipoSql> GeradorSqlite::TipoDe(const Expressao& e) const {
    return std::visit(Visitante{
                          [&](const Literal& l) { return TipoDoLiteral(l); },
                          [&](const Coluna& c) -> std::optional<TipoSql> {
                              if (const ColunaDaTabela* col = ColunaDoEscopo(c)) return col->tipo;
                              return std::nullopt;
                          },
                          [&](const Parenteses& p) { return TipoDe(*p.dentro); },
                          [&](const Variavel& v) -> std::optional<TipoSql> {
                              if (!ctx_.variaveis) return std::nullopt;
                              return ctx_.variaveis->Tipo(v.nome);
                          },
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
    if (c.nome.size() != 1) {
        if (auto f = FuncaoDoUsuario(c); f && f->tipo == "FN") return f->retorno;
        return std::nullopt;
    }
    const FuncaoEmbutida* f = FuncaoEmbutidaDe(Dobrar(c.nome[0]));
    if (!f) return std::nullopt;
    const auto& args = c.argumentos;
    switch (f->regra) {
        case RegraDoTipo::Convertida: {
            // CAST(x AS varchar) is 30 characters long, not the 1 of a column's varchar
            auto t = LerTextoDeTipo(c.tipo);
            const bool texto = t && (t->base == TipoBase::Char || t->base == TipoBase::VarChar ||
                                     t->base == TipoBase::NChar || t->base == TipoBase::NVarChar);
            if (texto && c.tipo.find('(') == std::string::npos) t->tamanho = 30;
            return t;
        }
        case RegraDoTipo::Fixo:
            return f->tipo;
        case RegraDoTipo::Ramos:
            if (args.size() != 3) return std::nullopt;
            return TipoComum({args[1].get(), args[2].get()});
        case RegraDoTipo::Escolha: {
            if (args.size() < 2) return std::nullopt;
            std::vector<const Expressao*> valores;
            for (std::size_t k = 1; k < args.size(); ++k) valores.push_back(args[k].get());
            return TipoComum(valores);
        }
        case RegraDoTipo::Fuso: {
            if (args.size() != 2) return std::nullopt;
            const auto t = TipoDe(*args[0]);
            const int casas = t && EhDataHora(t->base) ? CasasDaFracao(*t) : 7;
            return CompletarTipo(TipoBase::DateTimeOffset, casas, casas, 0, true);
        }
        case RegraDoTipo::SomaDeData: {  // a date stays a date
            auto t = args.size() == 2 ? TipoDe(*args[1]) : std::nullopt;
            if (t && (t->base == TipoBase::Date || t->base == TipoBase::Time ||
                      t->base == TipoBase::DateTime2))
                return t;
            return std::nullopt;
        }
        default:
            break;
    }
    if (args.empty()) return std::nullopt;
    const auto a = TipoDe(*args[0]);
    if (!a) return std::nullopt;
    if (f->regra == RegraDoTipo::Valores) {
        std::vector<const Expressao*> valores;
        for (const auto& x : args) valores.push_back(x.get());
        return TipoComum(valores);
    }
    return TipoPeloPrimeiro(*f, *a);
}

// CASE gives the type of its branches by precedence; decimals keep the widest integral
// part and the largest scale.
std::optional<TipoSql> GeradorSqlite::TipoDoCaso(const Caso& c) const {
    std::vector<const Expressao*> ramos;
    for (const auto& r : c.ramos) ramos.push_back(r.second.get());
    if (c.senao) ramos.push_back(c.senao.get());
    return TipoComum(ramos);
}

// The type of values that meet, a NULL taking the others' type.
std::optional<TipoSql> GeradorSqlite::TipoComum(
    const std::vector<const Expressao*>& valores) const {
    std::vector<TipoSql> tipos;
    for (const Expressao* e : valores) {
        if (EhNuloLiteral(*e)) continue;
        auto t = TipoDe(*e);
        if (!t) return std::nullopt;
        tipos.push_back(*t);
    }
    return Combinar(tipos);
}

// A UNION's (EXCEPT's, INTERSECT's) columns take the type of all its SELECTs: each
// SELECT's decimal columns are converted to it, so that values compare and show alike.
void GeradorSqlite::TiparRamos(const Consulta& q) {
    if (q.ramos.size() < 2) return;
    // each SELECT's column types; a NULL has the others' type, nullopt when unknown
    std::vector<std::vector<std::optional<std::optional<TipoSql>>>> porRamo;
    for (const auto& r : q.ramos) {
        if (!r.selecao) return;
        escopos_.push_back(EscopoDe(*r.selecao));
        std::vector<std::optional<std::optional<TipoSql>>> tipos;
        bool estrela = false;
        for (const auto& item : r.selecao->itens) {
            const auto* c = std::get_if<Coluna>(&item.expressao->no);
            estrela = estrela || (c && c->partes.back() == "*");
            const auto* l = std::get_if<Literal>(&item.expressao->no);
            if (EhNuloLiteral(*item.expressao))
                tipos.emplace_back(std::optional<TipoSql>());
            else if (l && l->tipo == Literal::Tipo::Texto)
                tipos.emplace_back(TipoSql{TipoBase::VarChar, static_cast<int>(l->texto.size())});
            else if (auto t = TipoDe(*item.expressao))
                tipos.emplace_back(t);
            else
                tipos.emplace_back();
        }
        escopos_.pop_back();
        if (estrela || (!porRamo.empty() && tipos.size() != porRamo[0].size())) return;
        porRamo.push_back(std::move(tipos));
    }
    std::vector<std::optional<TipoSql>> comuns;
    for (std::size_t k = 0; k < porRamo[0].size(); ++k) {
        std::vector<TipoSql> tipos;
        bool conhecido = true;
        for (const auto& ramo : porRamo) {
            if (!ramo[k])
                conhecido = false;
            else if (*ramo[k])
                tipos.push_back(**ramo[k]);
        }
        auto t = conhecido ? Combinar(tipos) : std::nullopt;
        if (!Exato(t) && conhecido) {
            // texts beside numbers or dates take their type
            std::vector<std::optional<TipoSql>> todos(tipos.begin(), tipos.end());
            std::vector<bool> textos;
            for (const auto& x : tipos) textos.push_back(EhTexto(x.base));
            t = AlvoDosTextos(todos, textos);
        }
        comuns.push_back(t);
    }
    for (const auto& r : q.ramos) tiposDosRamos_[r.selecao.get()] = comuns;
}

// A column of one SELECT of a UNION converted to the type of the whole; "" when it
// already has it.
std::string GeradorSqlite::ComoTipoDoRamo(const Expressao& e, const std::optional<TipoSql>& alvo,
                                          const std::string& sql) const {
    if (!alvo || EhNuloLiteral(e)) return "";
    const auto t = TipoDe(e);
    if (t && MesmoTipo(*t, *alvo)) return "";
    if (!EhNumericoExato(alvo->base)) {
        const auto* l = std::get_if<Literal>(&e.no);
        const bool texto = (l && l->tipo == Literal::Tipo::Texto) || (t && EhTexto(t->base));
        return texto ? ChamadaDeConversao(sql, *alvo, t) : "";
    }
    return "zv_cast(" + sql + ", " + ComoTexto(TextoDoTipo(*alvo)) + ") COLLATE " + kColacaoDecimal;
}

std::optional<std::string> GeradorSqlite::PassoDecimal(const Binaria& b) const {
    if (b.operador.size() != 1 || std::string("+-*/%").find(b.operador) == std::string::npos)
        return std::nullopt;
    auto l = TipoDe(*b.esquerda), r = TipoDe(*b.direita);
    if (!l || !r) return std::nullopt;
    auto t = TipoDaAritmetica(b.operador[0], *l, *r);
    if (!Exato(t)) return std::nullopt;
    return Tipo(*t);
}

// A decimal that is not a plain column has no column affinity or collation to compare
// by: it compares through zv_dcomparar.
// Beside a float, a decimal is converted to float (float comes first in precedence).
std::string GeradorSqlite::ComparacaoDecimal(const Binaria& b, const std::string& op) {
    const auto tl = TipoDe(*b.esquerda), tr = TipoDe(*b.direita);
    if ((Exato(tl) && EhReal(tr)) || (EhReal(tl) && Exato(tr)))
        return "zv_dreal(" + Gerar(*b.esquerda) + ") " + op + " zv_dreal(" + Gerar(*b.direita) +
               ")";
    const bool l = Exato(tl) && !EhColunaSimples(*b.esquerda);
    const bool r = Exato(tr) && !EhColunaSimples(*b.direita);
    if (!l && !r) return "";
    return "zv_dcomparar(" + Gerar(*b.esquerda) + ", " + Gerar(*b.direita) + ") " + op + " 0";
}

// x BETWEEN a AND b of computed decimals: two comparisons by value.
std::string GeradorSqlite::EntreDecimal(const Entre& b) {
    const Expressao* partes[] = {b.valor.get(), b.de.get(), b.ate.get()};
    bool exato = false, real = false;
    for (const Expressao* e : partes) {
        const auto t = TipoDe(*e);
        exato = exato || (Exato(t) && !EhColunaSimples(*e));
        real = real || EhReal(t);
    }
    if (!exato) return "";
    const std::string f = real ? "zv_dreal" : "";
    const std::string x = f + "(" + Gerar(*b.valor) + ")";
    const std::string c = real ? x + " >= " + f + "(" + Gerar(*b.de) + ") AND " + x + " <= " + f +
                                     "(" + Gerar(*b.ate) + ")"
                               : "zv_dcomparar(" + x + ", " + Gerar(*b.de) +
                                     ") >= 0 AND zv_dcomparar(" + x + ", " + Gerar(*b.ate) +
                                     ") <= 0";
    return std::string(b.negado ? "NOT " : "") + "(" + c + ")";
}

// x IN (a, b, ...) of computed decimals: one comparison by value per item.
std::string GeradorSqlite::EmDecimal(const Em& em) {
    if (em.consulta) {
        // the subquery's values are decimal texts: they compare in the decimal collation
        if (!Exato(TipoDe(*em.valor)) || EhColunaSimples(*em.valor)) return "";
        return "(" + Gerar(*em.valor) + " COLLATE " + kColacaoDecimal + ")" +
               (em.negado ? " NOT IN (" : " IN (") + Gerar(*em.consulta) + ")";
    }
    bool exato = Exato(TipoDe(*em.valor)) && !EhColunaSimples(*em.valor);
    for (const auto& e : em.lista) exato = exato || (Exato(TipoDe(*e)) && !EhColunaSimples(*e));
    if (!exato) return "";
    const std::string x = Gerar(*em.valor);
    std::string s;
    for (const auto& e : em.lista)
        s += (s.empty() ? "" : " OR ") + std::string("zv_dcomparar(") + x + ", " + Gerar(*e) +
             ") = 0";
    // NOT IN with a NULL item is unknown, as SQL Server has it
    return std::string(em.negado ? "NOT " : "") + "(" + s + ")";
}

std::string GeradorSqlite::ChamadaDecimal(const Chamada& c, const std::string& chave) {
    if (c.nome.size() != 1 || c.argumentos.empty()) return "";
    auto a = TipoDe(*c.argumentos[0]);
    if (!Exato(a)) return "";
    if (c.sobre && chave != "sum" && chave != "avg" && chave != "min" && chave != "max") return "";
    const std::string x = Gerar(*c.argumentos[0]);
    if (chave == "sum" || chave == "avg") {
        std::string f = chave == "sum" ? "zv_dsoma" : "zv_dmedia";
        if (EhMoeda(a->base)) f += "_moeda";
        if (c.distinto) return f + "(DISTINCT " + x + ")" + Sobre(c);
        // the scale of the result, also when every value summed is an integer
        return f + "(" + x + ", " + std::to_string(EhMoeda(a->base) ? 4 : a->escala) + ")" +
               Sobre(c);
    }
    // a computed decimal has no collation of its own to order by
    if ((chave == "min" || chave == "max") && !EhColunaSimples(*c.argumentos[0]))
        return chave + "(" + x + " COLLATE " + kColacaoDecimal + ")" + Sobre(c);
    if (std::string f = FuncaoDecimal(c, chave); !f.empty()) return f;
    if (chave == "nullif" && c.argumentos.size() == 2)
        return "CASE WHEN zv_dcomparar(" + x + ", " + Gerar(*c.argumentos[1]) +
               ") = 0 THEN NULL ELSE " + x + " END";
    if (chave == "round" && c.argumentos.size() >= 2)
        return "zv_dround(" + x + ", " + Gerar(*c.argumentos[1]) + ", " +
               (c.argumentos.size() > 2 ? Gerar(*c.argumentos[2]) : std::string("0")) + ", " +
               Tipo(*a) + ")";
    if (chave == "cast" || chave == "convert") {
        // a decimal becomes an integer or float from its value, not from its text
        auto alvo = LerTextoDeTipo(c.tipo);
        if (alvo && EhTexto(alvo->base) && EhMoeda(a->base)) {
            // money as text has two places unless the style asks for four
            const std::string estilo = chave == "convert" && c.argumentos.size() > 1
                                           ? Gerar(*c.argumentos[1])
                                           : std::string("0");
            const std::string texto = "zv_dmoeda_texto(" + x + ", " + estilo + ")";
            // too long for the text: SQL Server's overflow, never a cut number
            const std::string tipo = ComoTexto(c.tipo + "|money");
            if (chave == "cast") return "zv_cast(" + texto + ", " + tipo + ")";
            return "zv_convert(" + tipo + ", " + texto + ")";
        }
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

// ABS, SIGN, CEILING, FLOOR and POWER of a decimal or money, exact and of SQL Server's
// result type.
std::string GeradorSqlite::FuncaoDecimal(const Chamada& c, const std::string& chave) {
    static const std::map<std::string, std::string> nomes = {
        {"abs", "zv_dabs"}, {"sign", "zv_dsinal"}, {"ceiling", "zv_dteto"}, {"floor", "zv_dpiso"}};
    auto t = TipoDaChamada(c);
    if (!t) return "";
    const std::string x = Gerar(*c.argumentos[0]);
    if (auto it = nomes.find(chave); it != nomes.end() && c.argumentos.size() == 1)
        return it->second + "(" + x + ", " + Tipo(*t) + ")";
    if (chave == "power" && c.argumentos.size() == 2)
        return "zv_dpotencia(" + x + ", " + Gerar(*c.argumentos[1]) + ", " + Tipo(*t) + ")";
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
    if (auto it = tiposDosRamos_.find(&s); it != tiposDosRamos_.end()) {
        ctx_.tiposDaSelecao = it->second;
        return;
    }
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
