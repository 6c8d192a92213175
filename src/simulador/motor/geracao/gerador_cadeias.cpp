// T-SQL's arithmetic written as calls of the engine's functions: integers (zv_inteiras,
// which checks the type's range at each step), decimals (zv_dcadeia, exact at each step's
// type) and the + of anything else (zv_mais: texts joined, a date moved by days). A flat
// chain of the same one, a + b - c + ..., goes as one call that works left to right as
// the nested calls would: SQLite's parser takes calls nested only some thirty deep, and a
// sum of twenty columns is an everyday expression.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "simulador/motor/geracao/gerador_sqlite.hpp"
#include "simulador/motor/leitura/lexico.hpp"

namespace zolvek::simulador {

namespace {

enum class Familia { Nenhuma, Inteira, Decimal, Mais };

// SQLite keeps a OR b OR c ... as a tree as deep as the chain is long, and takes none
// deeper than 1000: a longer chain of AND or OR goes grouped by halves, which changes no
// result (both are associative, unknown values too).
constexpr std::size_t kTermosSemAgrupar = 256;

// SQLite takes at most 127 arguments a call: a longer chain goes as calls of at most this
// many steps, each the first operand of the next (where SQLite's parser takes the most
// nested calls).
std::size_t PassosPorChamada(Familia f) {
    return f == Familia::Mais ? 120 : f == Familia::Inteira ? 40 : 24;
}

}  // namespace

std::string BinarioComoInteiro(const Expressao& e) {
    const auto* l = std::get_if<Literal>(&e.no);
    if (!l || l->tipo != Literal::Tipo::Binario) return "";
    std::string h = l->texto.substr(2);
    if (h.size() > 16) h = h.substr(h.size() - 16);
    std::uint64_t v = h.empty() ? 0 : std::stoull(h, nullptr, 16);
    return std::to_string(static_cast<std::int64_t>(v));
}

std::string GeradorSqlite::Aritmetica(const Binaria& b) {
    // each step's family and the arguments that follow its operand
    auto passoDe = [&](const Binaria& x, std::string& argumentos) {
        if (auto d = PassoDecimal(x)) {
            argumentos = *d;
            return Familia::Decimal;
        }
        if (auto i = PassoInteiro(x)) {
            argumentos = ComoTexto(*i);
            return Familia::Inteira;
        }
        return x.operador == "+" ? Familia::Mais : Familia::Nenhuma;
    };
    std::string argumentos;
    const Familia familia = passoDe(b, argumentos);
    if (familia == Familia::Nenhuma) return "";
    // the steps from the chain's first to `b`, walked down its left side
    std::vector<std::pair<const Binaria*, std::string>> passos{{&b, argumentos}};
    // (a + b) + c is the same chain
    const Expressao* primeiro = b.esquerda.get();
    while (const auto* x = std::get_if<Binaria>(&SemParenteses(*primeiro).no)) {
        if (passoDe(*x, argumentos) != familia) break;
        passos.emplace_back(x, argumentos);
        primeiro = x->esquerda.get();
    }
    std::reverse(passos.begin(), passos.end());

    // a step opens a call, or goes into the open one before its closing parenthesis
    std::string sql;
    const std::size_t porChamada = PassosPorChamada(familia);
    auto abrir = [&](std::size_t k, const char* funcao) {
        if (k % porChamada == 0) {
            sql = funcao + sql;
            return;
        }
        sql.pop_back();
    };
    if (familia == Familia::Mais) {
        // binary + binary joins the bytes; beside a number it is a number
        std::string il = BinarioComoInteiro(*primeiro), ir = BinarioComoInteiro(*passos[0].first->direita);
        if (il.empty() == ir.empty()) il = ir = "";
        sql = il.empty() ? Gerar(*primeiro) : il;
        for (std::size_t k = 0; k < passos.size(); ++k) {
            const Expressao& operando = *passos[k].first->direita;
            const std::string convertido = k == 0 ? ir : BinarioComoInteiro(operando);
            const std::string texto = convertido.empty() ? Gerar(operando) : convertido;
            abrir(k, "zv_mais(");
            sql += ", " + texto + ")";
        }
        return sql;
    }
    sql = Gerar(*primeiro);
    for (std::size_t k = 0; k < passos.size(); ++k) {
        const auto& [passo, tipo] = passos[k];
        const std::string operador = ComoTexto(passo->operador);
        const std::string operando = Gerar(*passo->direita);
        abrir(k, familia == Familia::Decimal ? "zv_dcadeia(" : "zv_inteiras(");
        sql += ", " + operador + ", " + operando + ", " + tipo + ")";
    }
    return sql;
}

std::string GeradorSqlite::Logica(const Binaria& b) {
    if (b.operador != "AND" && b.operador != "OR") return "";
    std::vector<const Expr*> termos{&b.direita};
    const Expr* primeiro = &b.esquerda;
    while (const auto* x = std::get_if<Binaria>(&SemParenteses(**primeiro).no)) {
        if (x->operador != b.operador) break;
        termos.push_back(&x->direita);
        primeiro = &x->esquerda;
    }
    if (termos.size() < kTermosSemAgrupar) return "";
    termos.push_back(primeiro);
    std::reverse(termos.begin(), termos.end());
    const std::function<std::string(std::size_t, std::size_t)> agrupar = [&](std::size_t de,
                                                                             std::size_t ate) {
        if (ate - de == 1) return Operando(*termos[de]);
        const std::size_t meio = de + (ate - de) / 2;
        return "(" + agrupar(de, meio) + ") " + b.operador + " (" + agrupar(meio, ate) + ")";
    };
    return agrupar(0, termos.size());
}

}  // namespace zolvek::simulador
