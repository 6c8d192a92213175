// How many rows TOP, OFFSET and FETCH take. SQLite's LIMIT reads a negative count as no
// limit, and takes a fraction or a zero FETCH: a number written in the statement is
// checked as SQL Server reads it, any other value (a variable, a subquery) by zv_linhas
// when it runs.
#include <string>
#include <variant>

#include "simulador/motor/geracao/gerador_sqlite.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"

namespace zolvek::simulador {

namespace {

// What zv_linhas checks its value as (its second argument).
enum EspecieDasLinhas { kLinhasDoTopo = 0, kPorcentoDoTopo = 1, kDeslocamento = 2, kBusca = 3 };

// The number written as the value (behind a minus when `negativo`), or null for another value.
const Literal* NumeroEscrito(const Expressao& e, bool& negativo) {
    const Expressao* x = &SemParenteses(e);
    negativo = false;
    if (const auto* u = std::get_if<Unaria>(&x->no); u && u->operador == "-") {
        negativo = true;
        x = &SemParenteses(*u->operando);
    }
    const auto* l = std::get_if<Literal>(&x->no);
    return l && l->tipo == Literal::Tipo::Numero && !l->moeda ? l : nullptr;
}

bool Inteiro(const Literal& l) {
    return l.texto.find_first_not_of("0123456789") == std::string::npos;
}

bool Zero(const Literal& l) {
    return l.texto.find_first_not_of("0.") == std::string::npos;
}

}  // namespace

std::string GeradorSqlite::QuantidadeDoTopo(const Expressao& e, bool porcento) {
    bool negativo = false;
    if (NumeroEscrito(e, negativo)) {
        if (negativo) throw ErroDoServidor(127);
        return Gerar(e);
    }
    return "zv_linhas(" + Gerar(e) + ", " +
           std::to_string(porcento ? kPorcentoDoTopo : kLinhasDoTopo) + ")";
}

// " LIMIT n OFFSET m" of ORDER BY ... OFFSET m ROWS [FETCH NEXT n ROWS ONLY].
std::string GeradorSqlite::LimiteDoDeslocamento(const Consulta& q) {
    bool negativo = false;
    std::string deslocamento = Gerar(*q.deslocamento);
    if (const Literal* l = NumeroEscrito(*q.deslocamento, negativo)) {
        if (!Inteiro(*l)) throw ErroDoServidor(10743);
        if (negativo && !Zero(*l)) throw ErroDoServidor(10742);
    } else {
        deslocamento = "zv_linhas(" + deslocamento + ", " + std::to_string(kDeslocamento) + ")";
    }
    if (!q.busca) return " LIMIT -1 OFFSET " + deslocamento;
    std::string busca = Gerar(*q.busca);
    if (const Literal* l = NumeroEscrito(*q.busca, negativo)) {
        if (negativo || Zero(*l)) throw ErroDoServidor(10744);
    } else {
        busca = "zv_linhas(" + busca + ", " + std::to_string(kBusca) + ")";
    }
    return " LIMIT " + busca + " OFFSET " + deslocamento;
}

}  // namespace zolvek::simulador
