#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "simulador/motor/arvores/arvore.hpp"
#include "simulador/motor/arvores/expressao.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/funcoes/funcoes_xml.hpp"
#include "simulador/motor/leitura/lexico.hpp"
#include "simulador/motor/tipos/tipos.hpp"

// Writes SQLite's text from the expression tree: T-SQL's functions become the
// engine's zv_ functions, + becomes zv_mais (numbers add, texts join), TOP becomes
// LIMIT, catalog views become the engine's zv_ views, hints go away.
namespace zolvek::simulador {

class Catalogo;
class QuadroDeVariaveis;
struct Tabela;
struct ColunaDaTabela;

// The trigger being run: its table, the SQLite tables holding its inserted and deleted
// rows, and the columns UPDATE(col) is true for.
struct ContextoDoGatilho {
    std::int64_t id = 0;
    Tabela* tabela = nullptr;
    std::string inseridas, excluidas;
    std::vector<std::string> atualizadas;
};

// What a query needs of a user function it calls: its parameters and what it returns,
// and, for an inline table function, its query in its own tokens (kept alive by `dono`).
struct AssinaturaDeFuncao {
    std::string nome;                     // as created
    std::string tipo;                     // FN, IF or TF
    std::vector<std::string> parametros;  // with their @
    std::vector<TipoSql> tipos;
    std::vector<bool> comPadrao;
    TipoSql retorno;  // of a scalar function
    std::shared_ptr<const void> dono;
    ConsultaLida corpo;                  // the inline function's query
    std::vector<ExpressaoLida> padroes;  // each parameter's default
    // a multi-statement table function's return table, and the SQLite module that runs it
    std::shared_ptr<const Tabela> tabela;
    std::string modulo;
};

// The user functions as the statement running on this thread finds them (nothing when
// none runs): what a constraint's expression, written outside a statement, may call.
std::function<std::optional<AssinaturaDeFuncao>(const std::vector<std::string>&)>
FuncoesDoUsuarioEmCurso();

struct ContextoDeReescrita {
    const std::vector<int>* ordinais = nullptr;  // parameter number of each '?' token
    // The server's tables the statement reads, filled before it runs: bits of these.
    static constexpr int kProcessos = 1, kBancos = 2, kLogins = 4;
    int tabelasDoServidor = 0;
    // the tables' column types, when at hand (read only if a query names a table)
    std::function<Catalogo*()> catalogo;
    // The SQLite schema of a database named in DB.dbo.T or DB..T ("" for the current
    // one); raises SQL Server's error for one that does not exist or cannot be opened.
    std::function<std::string(const std::string&)> esquemaDoBanco;
    // The tables whose columns lone expressions name (those of an UPDATE or DELETE), by
    // alias or name.
    std::vector<std::pair<std::string, Tabela*>> escopoPadrao;
    // The types the generator knows of the outermost query's result columns (empty
    // when it selects a *); nullopt where it does not know.
    std::vector<std::optional<TipoSql>> tiposDaSelecao;
    // a body being compiled: its variables and parameters have no value yet
    bool variaveisSemValor = false;
    // the variables of the batch or procedure call being run (none: a plain batch)
    const QuadroDeVariaveis* variaveis = nullptr;
    // SELECT @a = x, @b = y: the variables the outermost query assigns, in order
    std::vector<std::string> atribuidas;
    // the server's major version: 10 (2008 R2) knows none of 2012's functions
    int versaoMaior = 11;
    const ContextoDoGatilho* gatilho = nullptr;  // none: not a trigger's body
    // The user function a schema-qualified name calls (dbo.f, DB.dbo.f); nothing when
    // there is none. Raises SQL Server's error for another database's.
    std::function<std::optional<AssinaturaDeFuncao>(const std::vector<std::string>&)>
        funcaoDoUsuario;
    // an inline function's query being written: its parameters' SQLite text, by folded name
    const std::map<std::string, std::string>* valoresDosParametros = nullptr;
    // SELECT ... INTO: the statement's query may name a new table, whose columns the
    // generator gives in `destino` (gerador_destino.cpp)
    bool comDestino = false;
    std::shared_ptr<Tabela> destino;
    std::string destinoSemTipo;  // its first column whose type the generator cannot tell
    // a change through a view or WITH query: the SELECTs that give the base row's key as
    // one more column, zv_linha, and its SQLite text in each (alvos_alteraveis.hpp)
    const std::map<const Selecao*, std::string>* chavesDaLinha = nullptr;
};

// The type texts convert to beside values of these types (nothing when none is a text
// or when one is neither a number nor a date); `textos` marks the character ones.
std::optional<TipoSql> AlvoDosTextos(const std::vector<std::optional<TipoSql>>& tipos,
                                     const std::vector<bool>& textos);

// A binary literal beside a number converts to an integer of its last eight bytes
// (sysstat & 0xf); "" for anything else.
std::string BinarioComoInteiro(const Expressao& e);

// A literal as SQLite's text, and its type where the generator knows one (numbers).
std::string LiteralNoSqlite(const Literal& l);
std::optional<TipoSql> TipoDoLiteral(const Literal& l);

class GeradorSqlite {
  public:
    explicit GeradorSqlite(ContextoDeReescrita& ctx);

    std::string Gerar(const Expressao& e);
    // TOP's count (or percent) of rows, refused when negative as SQL Server refuses it
    std::string QuantidadeDoTopo(const Expressao& e, bool porcento = false);
    std::string LimiteDoDeslocamento(const Consulta& q);
    std::string Gerar(const Consulta& q);
    std::string Gerar(const Clausulas& c);
    std::string Gerar(const std::vector<Juncao>& fontes);
    // nome[(colunas)] AS (consulta), a query of a WITH; the queries that follow it read it.
    std::string GerarNomeada(const std::string& nome, const std::vector<std::string>& colunas,
                             const Consulta& consulta);
    // The SQL Server type of a numeric expression, where the generator can tell it.
    std::optional<TipoSql> TipoDe(const Expressao& e) const;
    void RecusarModuloReal(const Binaria& b) const;
    std::string RealFinito(const Expressao& e, const Binaria& b, std::string sql);
    // An expression converted to a type as an assignment to a variable converts it.
    std::string Convertido(const Expressao& e, const TipoSql& t);
    // TipoDe, and the types of texts, NULL, dates and identifiers besides.
    std::optional<TipoSql> TipoDoValor(const Expressao& e) const;

    // A column of FOR XML PATH: where its value goes, under which name, and its type.
    struct ColunaDoXml {
        PapelNoXml papel;
        std::string nome;
        std::optional<TipoSql> tipo;
    };

  private:
    // An operand, in parentheses when it is composite, but for a chain of the operator of
    // its parent, `operadorDoPai`, that SQLite groups alike without them.
    std::string Operando(const Expr& e, std::string_view operadorDoPai = {}, bool aDireita = false);
    std::string Comparacao(const Binaria& b);
    // The expressions of their own shape written for SQLite.
    std::string GerarVariavel(const Variavel& v);
    std::string GerarUnaria(const Unaria& u);
    std::string GerarBinaria(const Binaria& b);
    std::string GerarCaso(const Caso& c);
    std::string GerarEm(const Em& em);
    std::string GerarQuantificada(const Em& em);
    std::string ComparacaoQuantificada(const Em& em);
    void ExigirUmValor(const Consulta& q) const;
    std::string GerarEntre(const Entre& b);
    // Function calls (gerador_chamadas.cpp).
    std::string Chamar(const Chamada& c);
    std::string Angulo(const Chamada& c, const std::string& chave);
    std::string SomaFinita(const Chamada& c, const std::string& chave, std::string sql);
    void RecusarFuncaoDesconhecida(const Chamada& c, const std::string& chave,
                                   bool doUsuario) const;
    void RecusarFuncaoIndisponivel(const Chamada& c, const std::string& chave) const;
    std::optional<std::string> GerarChamadaPropria(const Chamada& c, const std::string& chave);
    std::string GerarChamadaComum(const Chamada& c, const std::string& chave);
    // User functions (gerador_funcoes_do_usuario.cpp).
    std::string ChamarFuncaoDoUsuario(const Chamada& c, const AssinaturaDeFuncao& f);
    std::vector<std::string> ArgumentosDoUsuario(const Chamada& c, const AssinaturaDeFuncao& f,
                                                 std::string* padroes);
    struct FonteDeFuncao {
        std::string sql;
        Tabela* tabela = nullptr;
        std::vector<std::string> nomes;  // of its columns, in order
    };
    const FonteDeFuncao& ExpandirFuncao(const Fonte& f);
    FonteDeFuncao ChamadaDaFuncaoDeTabela(const Chamada& c, const AssinaturaDeFuncao& f);
    void ExigirArgumentosDeFora(const Chamada& c) const;
    // FROM dbo.f(...): a source a user function gives (not a built-in one)
    bool FuncaoDeTabela(const Fonte& f) const;
    static std::string NomeDaFuncao(const Fonte& f);
    std::optional<AssinaturaDeFuncao> FuncaoDoUsuario(const Chamada& c) const;
    std::string ColunaAtualizada(const Chamada& c);
    std::string Sobre(const Chamada& c);
    void VerificarJanela(const Chamada& c, const std::string& chave) const;
    std::string GerarSelecao(const Selecao& s);
    std::string ValorAtribuido(const Selecao& s, std::size_t k);
    std::string GerarRamo(const Ramo& r, bool unico);
    std::string LimiteDoTopo(const Consulta& q, const Selecao& s, const std::string& corpo);
    // TOP ... WITH TIES: the SELECT that counts, for each row, the rows ordered no later
    // (zv_empates), and its ORDER BY
    std::pair<const Selecao*, std::string> contarEmpates_;
    std::string GerarFonte(const Fonte& f);
    std::string NomeDeCatalogo(const std::vector<std::string>& partes);
    std::string NomeDeTabela(const std::vector<std::string>& partes);
    bool ObjetoDoUsuario(const std::vector<std::string>& partes);
    std::string NomeDeColuna(const Coluna& c);
    bool ColunaOcultaDoSqlite(const Coluna& c) const;
    std::string Ordem(const std::vector<OrdemDe>& ordem);
    void VerificarOrdem(const Consulta& q);
    std::string OrdemDaUniao(const Consulta& q);
    std::size_t PosicaoNaUniao(const Selecao& s, const Expressao& e);
    void ExigirNomesExpostosDistintos(const Selecao& s);
    bool Nacional(const Expressao& e) const;
    const ColunaDaTabela* ColunaDoEscopo(const Coluna& c) const;
    std::vector<std::pair<std::string, Tabela*>> EscopoDe(const Selecao& s);
    Tabela* TabelaDerivada(const Consulta& q, const std::vector<std::string>& nomes = {});
    // (SELECT ...) AS x (a, b) (gerador_derivadas.cpp)
    const std::vector<std::string>& NomesDoApelido(const Fonte& f);
    std::string DerivadaComNomes(const Fonte& f);
    std::vector<std::string> ColunasDaEstrela(const Selecao& s, const std::string& dono);
    static std::string NomeNoEscopo(const Fonte& f);
    std::optional<std::size_t> AcrescentarEstrela(Tabela& t, const Coluna& estrela,
                                                  const std::vector<std::string>& nomes,
                                                  std::size_t posicao);
    int LimiteDeReplicacao(const Expressao& e) const;

    // Numeric types and exact decimals (gerador_decimal.cpp); each writer gives ""
    // when the expression is not a decimal one.
    std::optional<TipoSql> TipoDaChamada(const Chamada& c) const;
    std::string OrigemNumerica(const Chamada& c, std::size_t valor) const;
    std::optional<TipoSql> TipoDoCaso(const Caso& c) const;
    // The type arguments of a step of decimal arithmetic ("15, 2, 7"); nothing when it is not one.
    std::optional<std::string> PassoDecimal(const Binaria& b) const;
    std::string ComparacaoDecimal(const Binaria& b, const std::string& op);
    std::string ChamadaDecimal(const Chamada& c, const std::string& chave);
    std::string FuncaoDecimal(const Chamada& c, const std::string& chave);
    std::string NegacaoDecimal(const Unaria& u);
    std::string EntreDecimal(const Entre& b);
    std::string EmDecimal(const Em& em);
    std::string ComoTipoDoRamo(const Expressao& e, const std::optional<TipoSql>& alvo,
                               const std::string& sql) const;
    std::optional<TipoSql> TipoComum(const std::vector<const Expressao*>& valores) const;
    void TiparRamos(const Consulta& q);
    std::string ComColacaoDecimal(const Expressao& e, std::string sql) const;
    std::string ComColacaoDoItem(const Expressao& e, std::string sql) const;
    void AnotarTipos(const Selecao& s);
    void AnotarDestino(const Selecao& s);
    // (VALUES ...) AS v (a, b) in FROM (gerador_valores.cpp).
    std::optional<TipoSql> TipoDosValores(const std::vector<const Expressao*>& valores) const;
    Tabela* TabelaDosValores(const Fonte& f);
    std::string GerarValores(const Fonte& f);
    bool NaoNulo(const Expressao& e, const std::set<std::string>& anulaveis) const;
    bool NaoNulo(const Expressao& e, const Selecao& s) const;
    std::string DonoDaColuna(const Coluna& c) const;

    // Integer operators and the implicit conversions of comparisons, as SQL Server
    // does them (gerador_conversoes.cpp); "" when SQLite's own is right.
    // The type of a step of integer arithmetic ("int"); nothing when it is not one.
    std::optional<std::string> PassoInteiro(const Binaria& b) const;
    // T-SQL's arithmetic of integers, of decimals and its + of anything else, a chain of
    // the same one (a + b - c ...) in one call (gerador_cadeias.cpp); "" for other operators.
    std::string Aritmetica(const Binaria& b);
    // A long chain of AND or OR grouped by halves for SQLite; "" for anything else.
    std::string Logica(const Binaria& b);
    std::string ComparacaoConvertida(const Binaria& b, const std::string& op);
    std::string AritmeticaComTexto(const Binaria& b);
    void VerificarOperandoDoAgregado(const Chamada& c, const std::string& chave) const;
    std::optional<TipoSql> AlvoDosValores(const std::vector<const Expressao*>& valores) const;
    std::optional<TipoSql> AlvoDosResultados(const Caso& c) const;
    std::vector<std::string> ArgumentosDeFloat(const Chamada& c);
    std::vector<std::string> ArgumentosConvertidos(const Chamada& c, const std::string& chave);
    std::optional<std::string> SubstitutoDoIsnull(const Expressao& e,
                                                  const std::optional<TipoSql>& t);
    std::string ValorConvertido(const Expr& e, const std::optional<TipoSql>& alvo);
    std::string Concatenar(const Chamada& c);
    std::string ResultadoConvertido(const Expressao& e, const std::optional<TipoSql>& alvo);

    // What SQL Server checks of grouped queries and DISTINCT (gerador_agrupamento.cpp).
    struct Agrupamento {
        std::set<std::string> expressoes;  // the GROUP BY's, as written for SQLite
        std::set<std::string> colunas;     // "tabela.coluna" of its plain columns, folded
    };
    void VerificarAgrupamento(const Selecao& s);
    void RecusarJanelaForaDaSelecao(const Expressao* onde, const std::vector<Juncao>& de,
                                    const std::vector<Expr>& grupo, const Expressao* tendo) const;
    void VerificarAgrupado(const Expressao& e, const Agrupamento& grupo, const char* onde);
    bool ColunaDaSelecao(const Coluna& c, std::string& tabela) const;
    void VerificarOrdemDistinta(const Consulta& q);
    std::string SubconsultaEscalar(const Consulta& q);

    // ROLLUP, CUBE and GROUPING SETS: one grouped SELECT per grouping set, the expressions
    // a set leaves out written as NULL, joined by UNION ALL (gerador_agrupamento.cpp).
    struct ConjuntoAtual {
        const std::vector<std::string>* textos;  // the GROUP BY's distinct expressions
        std::vector<bool> presentes;             // those the set being written groups by
    };
    std::string GerarConjuntos(const Selecao& s);
    std::string RamoDoConjunto(const Selecao& s, const ConjuntoAtual& conjunto, bool vazio);
    std::optional<std::string> Mascarado(const Expressao& e);
    std::string Agrupando(const Chamada& c, const std::string& chave);
    std::string OrdemDosConjuntos(const Consulta& q);
    std::string OrdemDoRollup(const Selecao& s) const;
    // PIVOT and UNPIVOT (gerador_pivo.cpp): the source regrouped as a derived table.
    struct PivoGerado {
        std::string sql;
        Tabela* tabela = nullptr;
    };
    const PivoGerado& GerarPivo(const Fonte& f);
    std::string Pivotar(const Fonte& f, const std::string& origem,
                        const std::vector<std::string>& colunas, Tabela& saida);
    std::string Despivotar(const Fonte& f, const std::string& origem, Tabela* t,
                           const std::vector<std::string>& colunas, Tabela& saida);
    std::vector<std::string> ColunasDaOrigem(const Fonte& f, Tabela* t);
    std::map<const Fonte*, PivoGerado> pivos_;
    // FOR XML PATH and xml's .value() (gerador_xml.cpp).
    std::string GerarXml(const Consulta& q, bool escalar);
    std::vector<ColunaDoXml> ColunasDoXml(const Selecao& s);
    PapelNoXml PapelDoItem(const ItemDaSelecao& item) const;
    void ColunasDaEstrela(const Coluna& c, const Selecao& s, std::vector<ColunaDoXml>& r);
    std::string ValorNoXml(const ColunaDoXml& c, const std::string& sql);
    std::string ChamarValorXml(const Chamada& c);
    const Consulta* xmlEmCurso_ = nullptr;     // the FOR XML query whose own rows are written
    const ConjuntoAtual* conjunto_ = nullptr;  // the grouping set being written
    bool mascarar_ = false;                    // outside aggregates: masked expressions
    const Selecao* agrupada_ = nullptr;        // the SELECT being written
    std::map<const Selecao*, std::vector<std::string>> textosDosConjuntos_;

    ContextoDeReescrita& ctx_;
    // the tables of each SELECT being written, innermost last, by alias or name
    std::vector<std::vector<std::pair<std::string, Tabela*>>> escopos_;
    // derived tables and WITH queries, typed from their own SELECT
    std::vector<std::unique_ptr<Tabela>> derivadas_;
    // A table of the database, whose columns are all known: not null, not one of derivadas_.
    bool TabelaDoBanco(const Tabela* t) const;
    std::vector<std::pair<std::string, Tabela*>> nomeadas_;  // WITH x AS (...)
    std::map<const Fonte*, Tabela*> valores_;                // tables of values, typed
    int consultas_ = 0;                          // queries being written, outermost first
    const Selecao* selecaoPrincipal_ = nullptr;  // the outermost query's first SELECT
    // the column types of each SELECT of a UNION, EXCEPT or INTERSECT: those of the whole
    std::map<const Selecao*, std::vector<std::optional<TipoSql>>> tiposDosRamos_;
    // inline table functions of FROM, written once for their scope and their text
    std::map<const Fonte*, FonteDeFuncao> funcoesExpandidas_;

    // CROSS APPLY and OUTER APPLY of a query (gerador_aplicacao.cpp).
    struct Aplicada {
        const Selecao* dona = nullptr;  // the SELECT whose FROM applies it
        const Fonte* fonte = nullptr;
        std::string apelido;
        std::string sqlite;  // the json_each's name
        std::vector<std::string> nomes;
        std::vector<std::optional<TipoSql>> tipos;
        bool escrevendo = false;  // its own query, being written, cannot read it
    };
    std::vector<std::string> ColunasDaConsulta(const Consulta& consulta, const std::string& apelido,
                                               bool semNomeVale = false);
    void RegistrarAplicadas(const Selecao& s);
    const Aplicada* AplicadaAberta(const std::string& apelido, const std::string& coluna,
                                   std::size_t& k) const;
    bool FuncaoEmLinha(const Fonte& f);
    static bool FonteAplicada(const std::vector<Juncao>& de, const Fonte& f);
    std::string ValorAplicado(const Aplicada& a, std::size_t k) const;
    std::optional<std::string> ColunaAplicada(const Coluna& c) const;
    std::optional<std::string> EstrelaComAplicadas(const Coluna& c, const Selecao& s);
    std::string GerarAplicacao(const Juncao& j);
    std::vector<Aplicada> aplicadas_;
    std::vector<const Selecao*> abertas_;  // the SELECTs being written, outermost first
    int aplicacoes_ = 0;
    int derivadasComNomes_ = 0;  // the WITH queries that name derived tables' columns
};

}  // namespace zolvek::simulador
