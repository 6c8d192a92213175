#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "comum/erros.hpp"
#include "db/conector/valor.hpp"
#include "simulador/motor/arvores/arvore_declarada.hpp"
#include "simulador/motor/arvores/coluna_de_indice.hpp"
#include "simulador/motor/tipos/tipos.hpp"

// The statement trees the parser produces and the executor runs.
namespace zolvek::simulador {

struct Faixa {
    std::size_t inicio = 0;  // token indexes, [inicio, fim)
    std::size_t fim = 0;
    bool Vazia() const { return fim <= inicio; }
};

// An expression or query of a statement, read into its tree when the batch is parsed:
// the executor runs the tree. Its tokens stay for what names them (positions, a
// body's checks). What the engine does not run is refused when the statement runs,
// as it would be had it been read then.
template <class T>
struct Lida {
    Faixa faixa;
    std::shared_ptr<const T> arvore;  // null when empty or refused
    std::shared_ptr<const ErroDeBanco> recusa;
    bool Vazia() const { return faixa.Vazia(); }
};

// The tree of a non-empty expression or query; raises its refusal, if it has one.
const Expressao& ArvoreDe(const ExpressaoLida& e);
const Consulta& ArvoreDe(const ConsultaLida& e);
const Clausulas& ArvoreDe(const ClausulasLidas& e);

// A name of one to four parts (server.database.schema.object), parts as written.
struct NomeComposto {
    std::vector<std::string> partes;
    const std::string& Nome() const { return partes.back(); }
    std::string Banco() const { return partes.size() >= 3 ? partes[partes.size() - 3] : ""; }
    bool Vazio() const { return partes.empty(); }
};

struct DefRestricao {
    std::string nome;  // empty: the server makes one up
    std::string tipo;  // PK, UQ, F, C, D
    std::vector<ColunaDeIndice> colunas;
    std::string texto;  // CHECK and DEFAULT expression text
    std::string tabelaReferida;
    std::vector<std::string> colunasReferidas;
    std::string aoExcluir, aoAtualizar;  // ON DELETE/UPDATE CASCADE, SET NULL, SET DEFAULT
};

struct DefColuna {
    std::string nome;
    TipoSql tipo;
    std::optional<bool> anulavel;
    bool identidade = false;
    std::int64_t semente = 1;
    std::int64_t incremento = 1;
    std::vector<DefRestricao> restricoes;  // declared with the column
    bool comValores = false;               // WITH VALUES: rows already there get the default
    std::string calculo;                   // AS expressão: a computed column, in parentheses
    bool persistida = false;               // PERSISTED
    std::string tipoDoUsuario;             // an alias type (or sysname): `tipo` comes from it
};

struct ArquivoDeclarado {
    std::string nomeLogico;
    std::string nomeFisico;
    std::int64_t tamanhoKb = 0;
    std::int64_t maximoKb = -1;
    std::int64_t crescimento = 10;
    bool emPorcentagem = true;
};

enum class AcaoAlterar {
    Adicionar,
    AlterarColuna,
    ExcluirRestricao,
    ExcluirColuna,
    Verificacao,
    HabilitarGatilhos  // ENABLE TRIGGER: the stand-in's triggers are never off
};

// The statements of T-SQL the engine runs, one type each. Expressions are runs of the
// batch's tokens that the executor hands to the expression tree when it needs them.
namespace instrucao {

// TOP (n) [PERCENT] of INSERT, UPDATE and DELETE: how many of the rows it reaches the
// statement changes.
struct Topo {
    std::shared_ptr<const Expressao> quantidade;
    bool porcento = false;
};

// The SQLite text of a DML statement, made on its first run and kept with the plan.
struct Compilado {
    bool pronto = false;
    std::string sql;
    int flags = 0;                              // server tables a query reads
    std::vector<std::optional<TipoSql>> tipos;  // of the result columns, where known
    std::vector<db::Valor> literais;            // bound to :zvl1, :zvl2... of `sql`
    std::vector<std::string> atribuidas;        // SELECT @a = ...: the variables it sets
    std::string antigas;  // UPDATE and DELETE: the query of the rows it changes, row ids first
};

struct Selecionar {  // any query the executor hands to SQLite
    ConsultaLida selecao;
    bool para = false;  // SELECT ... INTO t: it makes the table t of its rows
    // the variables it names more than once (SELECT @s = @s + x ...)
    std::vector<std::string> variaveisRepetidas;
    mutable Compilado compilado;
};

// OUTPUT inserted.x, deleted.y [INTO T [(colunas)]] of INSERT, UPDATE and DELETE.
struct ClausulaDeSaida {
    Faixa lista;  // the select list, as written
    // of INSERT, UPDATE and DELETE: SELECT lista FROM inserted AS inserted [, deleted AS
    // deleted], read with the batch
    ConsultaLida consulta;
    // of MERGE, one query per change it makes, its $action written as that change's name
    ConsultaLida daInsercao, daAtualizacao, daExclusao;
    NomeComposto destino;  // INTO: empty when the rows go to the client
    std::vector<std::string> colunasDoDestino;
};

// A value of INSERT ... VALUES. A lone text or integer of up to nine digits, most of a
// script's long lists, keeps its value and is written without a tree.
struct ValorDaInsercao {
    enum class Forma : std::uint8_t { Expressao, Padrao, Texto, Inteiro };
    Forma forma = Forma::Expressao;
    std::string literal;                             // Texto: the text; Inteiro: its digits
    std::shared_ptr<const ExpressaoLida> expressao;  // Expressao: its tree
};

struct Inserir {
    NomeComposto objeto;
    ConsultasNomeadas com;
    std::optional<Topo> topo;
    std::vector<std::string> colunasAlvo;
    std::vector<std::vector<ValorDaInsercao>> valores;
    bool valoresComConsulta = false;    // a value holds a query
    bool valoresComParametros = false;  // a value reads a '?' of the caller
    bool valoresComVariaveis = false;   // a value reads a variable
    // the key of its form (formas_de_insercao.hpp); null: not shared
    std::shared_ptr<const std::string> forma;
    ConsultaLida selecao;               // INSERT ... SELECT
    std::unique_ptr<Comando> execucao;  // INSERT ... EXEC: the procedure call or EXEC ('...')
    bool valoresPadrao = false;
    std::optional<ClausulaDeSaida> saida;
    mutable Compilado compilado;
    // through a view or WITH query: the same statement on its base table, made on its
    // first run
    mutable std::shared_ptr<Inserir> pelaBase;
};

// coluna = valor of UPDATE SET.
struct AtribuicaoDeColuna {
    std::string coluna;
    ExpressaoLida valor;  // empty for DEFAULT
    bool padrao = false;  // DEFAULT: the column's default
};

struct Atualizar {
    NomeComposto objeto;
    ConsultasNomeadas com;
    std::optional<Topo> topo;
    std::vector<AtribuicaoDeColuna> atribuicoes;
    ClausulasLidas resto;  // FROM ... WHERE ...
    std::optional<ClausulaDeSaida> saida;
    mutable Compilado compilado;
};

struct Excluir {
    NomeComposto objeto;
    ConsultasNomeadas com;
    std::optional<Topo> topo;
    ClausulasLidas resto;  // FROM ... WHERE ...
    bool truncar = false;  // TRUNCATE TABLE: a DELETE that restarts the identity
    std::optional<ClausulaDeSaida> saida;
    mutable Compilado compilado;
};

// One WHEN ... THEN of a MERGE.
struct AcaoDaMescla {
    enum class Quando { Combinada, SemAlvo, SemFonte } quando = Quando::Combinada;
    ExpressaoLida condicao;  // AND ...: empty when none
    char operacao = 'U';     // U (UPDATE SET), D (DELETE), I (INSERT)
    std::vector<std::pair<std::string, ExpressaoLida>> atribuicoes;
    std::vector<std::string> colunas;    // INSERT (colunas)
    std::vector<ExpressaoLida> valores;  // INSERT VALUES (...); none: DEFAULT VALUES
};

struct Mesclar {  // MERGE
    NomeComposto objeto;
    std::string apelido;
    ConsultaLida fonte;          // the source's rows: SELECT * FROM its table, or its query
    NomeComposto tabelaDaFonte;  // empty for a derived table
    std::string apelidoDaFonte;
    ExpressaoLida condicao;  // ON
    std::vector<AcaoDaMescla> acoes;
    std::optional<ClausulaDeSaida> saida;
    bool saidaDaFonte = false;  // OUTPUT names the source's columns
};

struct CriarTabela {
    NomeComposto objeto;
    std::vector<DefColuna> colunas;
    std::vector<DefRestricao> restricoes;
};

struct AlterarTabela {
    NomeComposto objeto;
    AcaoAlterar acao = AcaoAlterar::Adicionar;
    std::vector<DefColuna> colunas;
    std::vector<DefRestricao> restricoes;
    std::optional<bool> comVerificacao;  // WITH CHECK / WITH NOCHECK
    std::vector<std::string> nomes;      // DROP CONSTRAINT/COLUMN, CHECK CONSTRAINT
    bool ligado = false;                 // CHECK CONSTRAINT (NOCHECK: false)
};

struct ExcluirTabela {
    std::vector<std::string> nomes;
    bool seExistir = false;
};

struct CriarIndice {
    NomeComposto objeto;
    std::string nomeDoIndice;
    bool unico = false;
    std::vector<ColunaDeIndice> colunasDoIndice;
    std::vector<std::string> incluidas;  // INCLUDE (...)
    std::string filtro;                  // WHERE ...: as SQL Server writes it back
};

struct ExcluirIndice {
    std::vector<std::pair<NomeComposto, std::string>> indices;  // table.index
    bool seExistir = false;
};

// @nome tipo [= valor], a parameter (with its default) or a DECLAREd variable.
struct VariavelDeclarada {
    std::string nome;  // with its @
    TipoSql tipo;
    ExpressaoLida valor;                   // initial value or parameter default; empty: none
    bool saida = false;                    // OUTPUT parameter
    bool tabela = false;                   // DECLARE @t TABLE (...)
    bool cursor = false;                   // DECLARE @c CURSOR
    std::vector<DefColuna> colunas;        // of a table variable
    std::vector<DefRestricao> restricoes;  // of a table variable, apart from its columns
    std::string tipoDoUsuario;             // an alias type: `tipo` comes from it
};

// CREATE/ALTER PROCEDURE, TRIGGER, VIEW, FUNCTION, compiled as SQL Server does when
// it creates them: the text is kept as written, the body parsed into statements.
struct CriarObjeto {
    NomeComposto objeto;
    std::string tipoDeObjeto;  // P, TR, V, FN, IF, TF
    bool alterar = false;
    bool ouAlterar = false;  // CREATE OR ALTER: ALTER when the object exists
    NomeComposto tabelaDoGatilho;
    std::vector<std::string> eventos;                  // of a trigger: INSERT, UPDATE, DELETE
    bool emVezDe = false;                              // INSTEAD OF trigger
    std::vector<VariavelDeclarada> parametros;         // of a procedure or function
    std::vector<VariavelDeclarada> retorno;            // RETURNS type, or @t TABLE (...)
    ConsultaLida corpo;                                // the SELECT of a view or inline function
    std::vector<std::string> colunasDaVisao;           // CREATE VIEW v (a, b): its columns' names
    bool comVerificacao = false;                       // a view WITH CHECK OPTION
    std::vector<std::unique_ptr<Comando>> instrucoes;  // the body of the others
    std::string texto;  // as written, from CREATE or ALTER to the end of the batch
};

struct ExcluirObjeto {
    std::string tipoDeObjeto;
    std::vector<std::string> nomes;
    bool seExistir = false;
};

struct Se {
    ExpressaoLida condicao;
    std::unique_ptr<Comando> entao;
    std::unique_ptr<Comando> senao;
};

struct Bloco {
    std::vector<std::unique_ptr<Comando>> filhos;
};

struct Conceder {  // GRANT, DENY, REVOKE
    std::string estado;
    std::vector<std::string> permissoes;
    NomeComposto objeto;
    std::string esquema;  // ON SCHEMA::name
    std::vector<std::string> principais;
};

// An argument of EXEC proc: [@name =] value [OUTPUT], or DEFAULT.
struct ArgumentoDaChamada {
    std::string nome;        // the parameter's, without its @; empty: by position
    ExpressaoLida valor;     // a bare word reads as a text; empty: none (a stray ',')
    bool padrao = false;     // DEFAULT
    std::string saida;       // OUTPUT: the variable it writes back to
    bool textoSemN = false;  // it starts with a '...' text, not an N'...' one
};

struct ExecutarProcedimento {
    NomeComposto objeto;
    std::string retorno;                         // EXEC @r = P: the variable of its return
    std::vector<ArgumentoDaChamada> argumentos;  // in order
};

struct IdentityInsert {
    NomeComposto objeto;
    bool ligado = false;
};

// SET NOCOUNT and the other session options, or a GOTO's label. What an option would
// change the engine does not keep is refused when the statement runs.
struct Ignorado {
    std::vector<std::string> opcoes;  // as written; STATISTICS IO as one
    std::string valor;                // ON or OFF, upper case; "" for an option's own value
    std::string valorEscrito;         // that own value, as written (SET DATEFIRST 7)
    std::string escrito;              // the whole statement, as written
    bool linhas = false;              // SET ROWCOUNT n
    ExpressaoLida limite;             // its n: a bare word reads as a text
};

struct TempoDeBloqueio {     // SET LOCK_TIMEOUT n
    int milissegundos = -1;  // negative: wait without limit
};

struct DefinirFormatoDeData {  // SET DATEFORMAT, SET LANGUAGE, SET DATEFIRST
    std::optional<OrdemDeData> ordem;
    std::string idioma;   // SET LANGUAGE: its name as @@LANGUAGE gives it
    int primeiroDia = 0;  // SET DATEFIRST, or the language's
};

// A transaction's or savepoint's name, as written (SQL Server compares them case by case);
// empty when none is given.
struct IniciarTransacao {
    std::string nome;
};
struct ConfirmarTransacao {};
struct DesfazerTransacao {
    std::string nome;
};
struct SalvarTransacao {  // SAVE TRAN name
    std::string nome;
};

struct CriarBanco {
    NomeComposto objeto;
    std::vector<ArquivoDeclarado> arquivosDeDados;
    std::vector<ArquivoDeclarado> arquivosDeLog;
};

struct ExcluirBanco {
    NomeComposto objeto;
    bool seExistir = false;
};

struct AlterarBanco {
    NomeComposto objeto;
    // SINGLE_USER, MULTI_USER, RECOVERY, AUTO_SHRINK, COMPATIBILITY_LEVEL or SEM_EFEITO (an
    // option stated with the value the stand-in behaves as)
    std::string modo;
    std::string valor;     // FULL, BULK_LOGGED, SIMPLE; ON, OFF; the level; the option's name
    int versaoMinima = 0;  // of an option a former SQL Server did not know
    bool comRollback = false;
};

// DISK = and FILE = take a text, a number or a variable; a bare word reads as a text.
struct Backup {
    NomeComposto objeto;
    ExpressaoLida disco;
    bool iniciar = false;   // WITH INIT
    bool formatar = false;  // WITH FORMAT
};

struct RestaurarLista {  // RESTORE FILELISTONLY
    ExpressaoLida disco;
    ExpressaoLida conjunto;  // WITH FILE = n (empty: the first set)
};

struct VerificarBackup {  // RESTORE VERIFYONLY
    ExpressaoLida disco;
    ExpressaoLida conjunto;
};

struct Restaurar {
    NomeComposto objeto;
    ExpressaoLida disco;
    ExpressaoLida conjunto;
    bool substituir = false;
    std::vector<std::pair<ExpressaoLida, ExpressaoLida>> movimentos;  // MOVE a TO b
};

struct CriarLogin {
    NomeComposto objeto;
    std::string senha;
    bool semLogin = false;                   // FROM WINDOWS: no password
    std::optional<std::string> bancoPadrao;  // , DEFAULT_DATABASE = b
};

struct CriarUsuario {
    NomeComposto objeto;
    std::string login;
    bool semLogin = false;
};

struct ExcluirUsuario {
    NomeComposto objeto;
    bool seExistir = false;
};

struct CriarPapel {
    NomeComposto objeto;
};

struct AlterarPapel {
    std::string papel;
    std::string membro;
    bool adicionarMembro = true;
};

struct AlterarLogin {  // ALTER LOGIN x {ENABLE | DISABLE | WITH ...}
    std::string login;
    std::optional<std::string> senha;
    std::optional<std::string> senhaAntiga;
    std::optional<std::string> bancoPadrao;
    std::optional<bool> desabilitado;
};

struct AlterarPapelDoServidor {  // ALTER SERVER ROLE papel {ADD | DROP} MEMBER login
    std::string papel;
    std::string membro;
    bool adicionarMembro = true;
};

struct Usar {
    NomeComposto objeto;
};

struct PontoDeControle {};  // CHECKPOINT [duração]

// UPDATE STATISTICS tabela [índice | (estatísticas)] [WITH FULLSCAN | SAMPLE n PERCENT ...]
struct AtualizarEstatisticas {
    NomeComposto objeto;
};

// DBCC CHECKIDENT ('tabela' [, NORESEED | RESEED [, valor]]) and DBCC CHECKDB [('banco' | 0
// [, NOINDEX])] [WITH NO_INFOMSGS, ...]
struct Dbcc {
    std::string comando;                           // CHECKIDENT or CHECKDB
    std::string objeto;                            // the table or database as written; "" for none
    std::string modo;                              // NORESEED, RESEED; "" for none
    ExpressaoLida valor;                           // RESEED's new value; empty for none
    std::shared_ptr<const ErroDeBanco> valorNulo;  // the syntax error a NULL value is
    bool semInformacoes = false;                   // WITH NO_INFOMSGS
};

struct CriarTipo {  // CREATE TYPE nome FROM tipo [NULL | NOT NULL]
    NomeComposto objeto;
    TipoSql tipo;
    std::optional<bool> anulavel;
};

struct ExcluirTipo {  // DROP TYPE [IF EXISTS] nome
    NomeComposto objeto;
    bool seExistir = false;
};

struct Matar {
    std::optional<std::int64_t> sessao;  // none: KILL 'unidade de trabalho'
};

struct Esperar {          // WAITFOR DELAY 'hh:mm:ss' / WAITFOR TIME 'hh:mm:ss'
    bool hora = false;    // TIME: until that time of day
    ExpressaoLida valor;  // a text or a variable
};

}  // namespace instrucao

}  // namespace zolvek::simulador

#include "simulador/motor/arvores/arvore_procedural.hpp"

namespace zolvek::simulador {

using QualquerInstrucao = std::variant<
    instrucao::Selecionar, instrucao::Inserir, instrucao::Atualizar, instrucao::Excluir,
    instrucao::Mesclar, instrucao::CriarTabela, instrucao::AlterarTabela, instrucao::ExcluirTabela,
    instrucao::CriarIndice, instrucao::ExcluirIndice, instrucao::CriarObjeto,
    instrucao::ExcluirObjeto, instrucao::Se, instrucao::Bloco, instrucao::Conceder,
    instrucao::ExecutarProcedimento, instrucao::IdentityInsert, instrucao::Ignorado,
    instrucao::TempoDeBloqueio, instrucao::DefinirFormatoDeData, instrucao::IniciarTransacao,
    instrucao::ConfirmarTransacao, instrucao::DesfazerTransacao, instrucao::SalvarTransacao,
    instrucao::CriarBanco, instrucao::ExcluirBanco, instrucao::AlterarBanco, instrucao::Backup,
    instrucao::RestaurarLista, instrucao::VerificarBackup, instrucao::Restaurar,
    instrucao::CriarLogin, instrucao::CriarUsuario, instrucao::ExcluirUsuario,
    instrucao::CriarPapel, instrucao::AlterarPapel, instrucao::Usar, instrucao::Matar,
    instrucao::CriarTipo, instrucao::ExcluirTipo, instrucao::PontoDeControle,
    instrucao::AtualizarEstatisticas, instrucao::Dbcc, instrucao::AlterarLogin,
    instrucao::AlterarPapelDoServidor, instrucao::Esperar, instrucao::Declarar,
    instrucao::DeclararCursor, instrucao::Atribuir, instrucao::Enquanto, instrucao::Interromper,
    instrucao::Continuar, instrucao::AbrirCursor, instrucao::BuscarCursor, instrucao::FecharCursor,
    instrucao::DesalocarCursor, instrucao::Retornar, instrucao::LevantarErro, instrucao::Imprimir,
    instrucao::ExecutarTexto, instrucao::TentarCapturar, instrucao::NaoInterpretada>;

// The statements only a procedure, trigger or function runs; a batch refuses them.
template <class T>
concept InstrucaoProcedural = std::is_same_v<T, instrucao::Declarar> ||
    std::is_same_v<T, instrucao::DeclararCursor> || std::is_same_v<T, instrucao::Atribuir> ||
    std::is_same_v<T, instrucao::Enquanto> || std::is_same_v<T, instrucao::Interromper> ||
    std::is_same_v<T, instrucao::Continuar> || std::is_same_v<T, instrucao::AbrirCursor> ||
    std::is_same_v<T, instrucao::BuscarCursor> || std::is_same_v<T, instrucao::FecharCursor> ||
    std::is_same_v<T, instrucao::DesalocarCursor> || std::is_same_v<T, instrucao::Retornar> ||
    std::is_same_v<T, instrucao::LevantarErro> || std::is_same_v<T, instrucao::ExecutarTexto> ||
    std::is_same_v<T, instrucao::TentarCapturar> || std::is_same_v<T, instrucao::NaoInterpretada>;

// One statement of a batch: its tokens and what it says.
// Syntax an older SQL Server did not read (DROP ... IF EXISTS came with 13.0): the version
// that brought it and the keyword an older one stops at.
struct SintaxeRecente {
    int versao = 0;  // 0: any version reads it
    std::string palavra;
};

struct Comando {
    Faixa faixa;
    QualquerInstrucao instrucao;
    std::string palavra;     // its first word as written, the name messages give it
    SintaxeRecente recente;  // of the statement or any inside it, the first in the text
};

}  // namespace zolvek::simulador
