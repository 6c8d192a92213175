// GROUP BY's list: plain expressions, ROLLUP, CUBE, GROUPING SETS, the grand total () and
// the older WITH ROLLUP / WITH CUBE, read into the grouping sets they stand for.
#include <cstddef>
#include <vector>

#include "comum/erros.hpp"
#include "simulador/motor/leitura/analisador_de_expressoes.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"

namespace zolvek::simulador {

namespace {

using Conjuntos = std::vector<std::vector<std::size_t>>;

constexpr int kRollup = 1;  // kinds of grouping read
constexpr int kOutro = 2;

// Every set of `a` joined with every set of `b`: GROUP BY a, ROLLUP(b) groups by a in each.
Conjuntos Combinados(const Conjuntos& a, const Conjuntos& b) {
    Conjuntos r;
    for (const auto& x : a)
        for (const auto& y : b) {
            r.push_back(x);
            r.back().insert(r.back().end(), y.begin(), y.end());
        }
    return r;
}

// ROLLUP(a, b, c): (a, b, c), (a, b), (a), ().
Conjuntos Rollup(const std::vector<std::vector<std::size_t>>& partes) {
    Conjuntos r;
    for (std::size_t n = partes.size() + 1; n-- > 0;) {
        r.emplace_back();
        for (std::size_t k = 0; k < n; ++k)
            r.back().insert(r.back().end(), partes[k].begin(), partes[k].end());
    }
    return r;
}

// CUBE(a, b): (a, b), (a), (b), ().
Conjuntos Cubo(const std::vector<std::vector<std::size_t>>& partes) {
    Conjuntos r{{}};
    for (auto it = partes.rbegin(); it != partes.rend(); ++it) {
        Conjuntos com;
        for (const auto& c : r) {
            com.push_back(*it);
            com.back().insert(com.back().end(), c.begin(), c.end());
        }
        com.insert(com.end(), r.begin(), r.end());
        r = std::move(com);
    }
    return r;
}

void ExigirAte4096(std::size_t conjuntos) {
    if (conjuntos > 4096)
        throw Recusa("O simulador de SQL Server não agrupa por mais de 4096 conjuntos.");
}

}  // namespace

void LeitorDeExpressoes::LerAgrupamento(Selecao& s) {
    Conjuntos conjuntos{{}};
    int especial = 0;
    do {
        conjuntos = Combinados(conjuntos, LerElementoDoAgrupamento(s, especial));
        ExigirAte4096(conjuntos.size());
    } while (AceitarSimbolo(","));
    s.emRollup = especial == kRollup;
    if (Palavra("WITH") && (Palavra("ROLLUP", 1) || Palavra("CUBE", 1))) {
        if (especial) Erro();
        ++i_;
        const bool rollup = Palavra("ROLLUP");
        ++i_;
        std::vector<std::vector<std::size_t>> partes;
        for (std::size_t k = 0; k < s.grupo.size(); ++k) partes.push_back({k});
        conjuntos = rollup ? Rollup(partes) : Cubo(partes);
        s.emRollup = rollup;
        especial = kOutro;
    }
    if (!especial) return;
    s.conjuntos = std::move(conjuntos);
}

// One element of the list; `especial` gathers the kinds of ROLLUP, CUBE, GROUPING SETS
// and () read.
std::vector<std::vector<std::size_t>> LeitorDeExpressoes::LerElementoDoAgrupamento(Selecao& s,
                                                                                   int& especial) {
    const bool rollup = Palavra("ROLLUP") && Simbolo("(", 1);
    const bool cubo = Palavra("CUBE") && Simbolo("(", 1);
    if (rollup || cubo) {
        especial |= rollup ? kRollup : kOutro;
        i_ += 2;
        std::vector<std::vector<std::size_t>> partes;
        do partes.push_back(LerComposto(s));
        while (AceitarSimbolo(","));
        EsperarSimbolo(")");
        if (cubo) ExigirAte4096(partes.size() > 12 ? 8192 : 1);
        return rollup ? Rollup(partes) : Cubo(partes);
    }
    if (Palavra("GROUPING") && Palavra("SETS", 1)) {
        especial |= kOutro;
        i_ += 2;
        return LerListaDeConjuntos(s);
    }
    if (Simbolo("(") && Simbolo(")", 1)) {  // the grand total
        especial |= kOutro;
        i_ += 2;
        return {{}};
    }
    s.grupo.push_back(Expressao());
    return {{s.grupo.size() - 1}};
}

// GROUPING SETS (a, (b, c), ROLLUP(d), ()): the union of the sets of its elements.
std::vector<std::vector<std::size_t>> LeitorDeExpressoes::LerListaDeConjuntos(Selecao& s) {
    EsperarSimbolo("(");
    Conjuntos r;
    do {
        if ((Palavra("ROLLUP") || Palavra("CUBE")) && Simbolo("(", 1)) {
            int especial = 0;
            auto c = LerElementoDoAgrupamento(s, especial);
            r.insert(r.end(), c.begin(), c.end());
        } else {
            r.push_back(LerComposto(s));
        }
    } while (AceitarSimbolo(","));
    EsperarSimbolo(")");
    return r;
}

// a, or (a, b), or (): the expressions that go together into one set.
std::vector<std::size_t> LeitorDeExpressoes::LerComposto(Selecao& s) {
    std::vector<std::size_t> r;
    if (Simbolo("(")) {
        const std::size_t inicio = i_;
        const std::size_t lidas = s.grupo.size();
        ++i_;
        if (AceitarSimbolo(")")) return r;
        do {
            s.grupo.push_back(Expressao());
            r.push_back(s.grupo.size() - 1);
        } while (AceitarSimbolo(","));
        if (AceitarSimbolo(")") && (Simbolo(",") || Simbolo(")"))) return r;
        // (a + b) * 2: an expression that begins with a parenthesis
        i_ = inicio;
        s.grupo.resize(lidas);
        r.clear();
    }
    s.grupo.push_back(Expressao());
    r.push_back(s.grupo.size() - 1);
    return r;
}

}  // namespace zolvek::simulador

namespace zolvek::simulador {

// after the source: PIVOT (sum(v) FOR c IN ([a], [b])) AS p, UNPIVOT (v FOR c IN (a, b)) AS u
std::unique_ptr<Pivo> LeitorDeExpressoes::LerPivo() {
    auto p = std::make_unique<Pivo>();
    p->desfazer = Palavra("UNPIVOT");
    ++i_;
    EsperarSimbolo("(");
    auto nome = [&] {
        if (Fim() || !EhNome(t_[i_]) ||
            (t_[i_].tipo == TipoToken::Palavra && PalavraReservada(t_[i_])))
            Erro();
        return t_[i_++].texto;
    };
    if (p->desfazer) {
        p->valor = nome();
    } else {
        if (Fim() || !EhNome(t_[i_]) || !Simbolo("(", 1)) Erro();
        p->agregado = NomeOuChamada();
    }
    Esperar("FOR");
    p->coluna = nome();
    Esperar("IN");
    EsperarSimbolo("(");
    do p->lista.push_back(nome());
    while (AceitarSimbolo(","));
    EsperarSimbolo(")");
    EsperarSimbolo(")");
    p->apelido = Apelido();
    if (p->apelido.empty()) Erro();
    return p;
}

}  // namespace zolvek::simulador

namespace zolvek::simulador {

// OVER (... ORDER BY x ROWS BETWEEN 2 PRECEDING AND CURRENT ROW): SQLite reads the frame as
// T-SQL writes it; what SQL Server 2012 refuses is refused here.
void LeitorDeExpressoes::LerMoldura(Janela& j) {
    if (j.ordem.empty()) throw ErroDoServidor(10756);
    j.escrita = t_[i_].texto;
    const bool faixa = Palavra("RANGE");
    ++i_;
    j.moldura = faixa ? "RANGE " : "ROWS ";
    if (!Aceitar("BETWEEN")) {
        j.moldura += LerLimiteDaMoldura(faixa, true, true);
        return;
    }
    const std::string inicio = LerLimiteDaMoldura(faixa, true, false);
    Esperar("AND");
    const std::string fim = LerLimiteDaMoldura(faixa, false, false);
    auto seguinte = [](const std::string& l) {
        return l.find("FOLLOWING") != std::string::npos && l.rfind("UNBOUNDED", 0) != 0;
    };
    const bool fimAntes = fim == "CURRENT ROW" || fim.find("PRECEDING") != std::string::npos;
    if (seguinte(inicio) && fimAntes) throw ErroDoServidor(4193);
    j.moldura += "BETWEEN " + inicio + " AND " + fim;
}

// UNBOUNDED PRECEDING (a start) or FOLLOWING (an end), CURRENT ROW, n PRECEDING or
// FOLLOWING (not with RANGE, nor FOLLOWING in the frame of one bound)
std::string LeitorDeExpressoes::LerLimiteDaMoldura(bool faixa, bool inicio, bool sozinho) {
    if (Aceitar("UNBOUNDED")) {
        if (inicio ? !Palavra("PRECEDING") : !Palavra("FOLLOWING")) Erro();
        ++i_;
        return inicio ? "UNBOUNDED PRECEDING" : "UNBOUNDED FOLLOWING";
    }
    if (Aceitar("CURRENT")) {
        Esperar("ROW");
        return "CURRENT ROW";
    }
    if (Fim() || t_[i_].tipo != TipoToken::Numero ||
        t_[i_].texto.find_first_not_of("0123456789") != std::string::npos)
        Erro();
    std::string n = t_[i_++].texto;
    if (faixa) throw ErroDoServidor(4194);
    if (Aceitar("PRECEDING")) return n + " PRECEDING";
    if (sozinho) Erro();  // ROWS n FOLLOWING alone is no frame
    Esperar("FOLLOWING");
    return n + " FOLLOWING";
}

}  // namespace zolvek::simulador
