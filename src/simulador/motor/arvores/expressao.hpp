#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <variant>
#include <vector>

// The typed tree of T-SQL expressions and queries: one node kind per expression form.
// The parser (analisador_de_expressoes) builds it from tokens; the generator
// (gerador_sqlite) writes SQLite's text from it.
namespace zolvek::simulador {

struct Expressao;
struct Consulta;
using Expr = std::unique_ptr<Expressao>;

struct Literal {
    enum class Tipo { Texto, Numero, Binario, Nulo } tipo;
    std::string texto;      // the value of a text, the digits of a number, 0x.. of a binary
    bool nacional = false;  // N'...'
    bool moeda = false;     // $12.34: texto holds the digits without the $
};

struct Parametro {
    int numero = 1;  // from 1, in the order of the '?' of the batch
};

struct Variavel {
    std::string nome;  // with its @ or @@
};

// a, t.a, dbo.t.a, t.*, *
struct Coluna {
    std::vector<std::string> partes;
    bool citada = false;  // a one-part name written in [brackets] or "quotes"
};

struct Unaria {
    std::string operador;  // -, +, ~, NOT
    Expr operando;
};

struct Binaria {
    std::string operador;  // + - * / % & | ^, comparisons, AND, OR
    Expr esquerda;
    Expr direita;
};

struct OrdemDe {
    Expr expressao;
    bool decrescente = false;
};

struct Janela {
    std::vector<Expr> particao;
    std::vector<OrdemDe> ordem;
    std::string moldura;  // ROWS/RANGE ...: SQLite's text of it, the same as T-SQL's
    std::string escrita;  // its first word as written
};

struct Chamada {
    std::vector<std::string> nome;  // as written, one or more parts
    std::vector<Expr> argumentos;
    bool distinto = false;          // COUNT(DISTINCT x)
    bool estrela = false;           // COUNT(*)
    std::string parteDeData;        // DATEADD(day, ...): the first argument
    std::string tipo;               // CAST(x AS tipo), CONVERT(tipo, x)
    std::unique_ptr<Janela> sobre;  // OVER (...)
    std::vector<OrdemDe> noGrupo;   // WITHIN GROUP (ORDER BY ...)
};

struct Caso {
    Expr base;  // CASE x WHEN ...; null for CASE WHEN cond ...
    std::vector<std::pair<Expr, Expr>> ramos;
    Expr senao;
};

struct Subconsulta {
    std::unique_ptr<Consulta> consulta;
};

struct Existe {
    std::unique_ptr<Consulta> consulta;
};

struct Em {
    Expr valor;
    bool negado = false;
    std::vector<Expr> lista;
    std::unique_ptr<Consulta> consulta;  // IN (SELECT ...)
    // x > ALL (SELECT ...), x = ANY/SOME (SELECT ...): the comparison ("" for IN)
    std::string comparacao;
    bool todos = false;  // ALL
};

struct Entre {
    Expr valor, de, ate;
    bool negado = false;
};

struct Semelhante {
    Expr valor, padrao, escape;
    bool negado = false;
};

struct EhNulo {
    Expr valor;
    bool negado = false;
};

struct ComColacao {
    Expr valor;
    std::string colacao;
};

struct Parenteses {
    Expr dentro;
};

// CURRENT_TIMESTAMP, SYSTEM_USER, CURRENT_USER, SESSION_USER
struct Niladica {
    std::string nome;  // upper case
};

struct Expressao {
    std::variant<Literal, Parametro, Variavel, Coluna, Unaria, Binaria, Chamada, Caso, Subconsulta,
                 Existe, Em, Entre, Semelhante, EhNulo, ComColacao, Parenteses, Niladica>
        no;
    // The height of the tree under it (1 for a leaf), a subquery's own expressions
    // included: the walks over the tree recurse as deep.
    int altura = 1;
};

// source PIVOT (agregado(valor) FOR coluna IN ([a], [b])) AS apelido: a row per value of the
// source's other columns, a column per listed value of `coluna`; UNPIVOT (valor FOR coluna
// IN (a, b)) turns the listed columns into rows, leaving out their NULLs.
struct Pivo {
    bool desfazer = false;  // UNPIVOT
    Expr agregado;          // PIVOT's aggregate
    std::string valor;      // UNPIVOT's column of values
    std::string coluna;     // FOR coluna
    std::vector<std::string> lista;
    std::string apelido;
};

struct Juncao;

// A table source of FROM: a table or view, a derived table, a function's rows, or a join
// in parentheses.
struct Fonte {
    std::vector<std::string> nome;           // table or view, as written
    std::unique_ptr<Consulta> derivada;      // (SELECT ...) AS x
    Expr funcao;                             // fn(args) AS x
    std::vector<std::vector<Expr>> valores;  // (VALUES (1, 'a'), (2, 'b')) AS x (n, t)
    std::string apelido;
    std::vector<std::string> colunasDoApelido;  // AS x (a, b)
    std::unique_ptr<Pivo> pivo;                 // PIVOT or UNPIVOT of this source
    std::vector<Juncao> juncoes;                // (A JOIN B ON ...): the join it holds
};

struct Juncao {
    // ",", "JOIN", "LEFT JOIN", "RIGHT JOIN", "FULL JOIN", "CROSS JOIN", "CROSS APPLY",
    // "OUTER APPLY"
    std::string tipo;
    Fonte fonte;
    Expr condicao;  // ON ...
};

struct ItemDaSelecao {
    Expr expressao;
    std::string apelido;
    std::string variavel;  // SELECT @v = expressao: the variable it assigns
};

struct Selecao {
    bool distinto = false;
    Expr topo;  // TOP n
    bool porcento = false;
    bool comEmpates = false;
    std::vector<ItemDaSelecao> itens;
    std::vector<Juncao> de;  // the first with tipo ""
    Expr onde;
    std::vector<Expr> grupo;
    // ROLLUP, CUBE, GROUPING SETS, WITH ROLLUP/CUBE: the grouping sets, each the indexes in
    // `grupo` of its expressions; empty for a plain GROUP BY
    std::vector<std::vector<std::size_t>> conjuntos;
    bool emRollup = false;  // a lone ROLLUP: its subtotals follow their group's rows
    Expr tendo;
    std::vector<std::string> destino;  // SELECT ... INTO t: the table it makes
};

// One operand of UNION/EXCEPT/INTERSECT: a SELECT or a query in parentheses.
struct Ramo {
    std::unique_ptr<Selecao> selecao;
    std::unique_ptr<Consulta> consulta;
};

struct ConsultaNomeada {
    std::string nome;
    std::vector<std::string> colunas;
    std::unique_ptr<Consulta> consulta;
};

// FOR XML PATH[('linha')] [, TYPE] [, ROOT[('raiz')]]: the rows as one XML text.
struct ParaXml {
    std::string linha = "row";  // "" for PATH(''): no element around each row
    bool tipo = false;          // TYPE: an xml value, whose methods (.value) can be called
    std::string raiz;           // ROOT: "" when none
};

struct Consulta {
    int altura = 0;                    // of its tallest expression, its subqueries' included
    std::vector<ConsultaNomeada> com;  // WITH x AS (...)
    std::vector<Ramo> ramos;
    std::vector<std::string> operadores;  // between ramos: UNION, UNION ALL, EXCEPT, INTERSECT
    std::vector<OrdemDe> ordem;
    Expr deslocamento;  // OFFSET n ROWS
    Expr busca;         // FETCH NEXT n ROWS ONLY
    std::unique_ptr<ParaXml> xml;
};

// A clause run the executor hands over: WHERE ..., FROM ... WHERE ..., a FROM list.
struct Clausulas {
    std::vector<Juncao> de;
    Expr onde;
};

// What a (parenthesized) expression holds.
inline const Expressao& SemParenteses(const Expressao& e) {
    const Expressao* x = &e;
    while (const auto* p = std::get_if<Parenteses>(&x->no)) x = p->dentro.get();
    return *x;
}

// The first SELECT of a query, through its parentheses: the one whose items name the
// columns of a UNION, EXCEPT or INTERSECT.
inline const Selecao* PrimeiraSelecao(const Consulta& q) {
    if (q.ramos.empty()) return nullptr;
    if (q.ramos[0].selecao) return q.ramos[0].selecao.get();
    return q.ramos[0].consulta ? PrimeiraSelecao(*q.ramos[0].consulta) : nullptr;
}

inline bool EhTextoLiteral(const Expressao& e) {
    const auto* l = std::get_if<Literal>(&e.no);
    return l && l->tipo == Literal::Tipo::Texto;
}

// The height of a new node from its children's. A tree taller than the engine walks
// safely fails with "Some part of your SQL statement is nested too deeply..." (191):
// a flat chain (a + b + c ..., x = 1 OR x = 2 ...) is as tall as it is long.
int AlturaDoNo(const Expressao& e);
// The tallest node made on this thread since the last call, which forgets it: a query
// reads the height of the expressions made while it was read.
int TomarMaiorAltura(int novaAltura = 0);

template <typename T>
Expr Nova(T no) {
    auto e = std::make_unique<Expressao>();
    e->no = std::move(no);
    e->altura = AlturaDoNo(*e);
    return e;
}

}  // namespace zolvek::simulador
