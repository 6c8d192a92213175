#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "db/conector/conector.hpp"
#include "simulador/motor/arvores/arvore.hpp"
#include "simulador/motor/execucao/estado_da_execucao.hpp"
#include "simulador/motor/execucao/sessao_de_execucao.hpp"
#include "simulador/motor/execucao/variaveis.hpp"

struct sqlite3_stmt;

namespace zolvek::simulador {

class FalhaDoSqlite;
struct ContextoDeReescrita;
struct TipoDoUsuario;

// A variable's or parameter's type: its alias type's, found in the running statement's
// database (2715 when there is none of that name).
TipoSql TipoDeclarado(const instrucao::VariavelDeclarada& v);

// A value as the text a system procedure takes ("" for NULL).
std::string ComoTextoDeValor(const db::Valor& v);

// SQL Server's limit of nested procedure, trigger and function calls.
inline constexpr int kAninhamentoMaximo = 32;
// The parameters of a body run without any (an executor keeps a reference to them).
inline const std::vector<db::Valor> kSemParametros;

// A parsed batch, kept by the session for the next time the same text comes.
struct PlanoDeLote {
    std::string texto;
    std::vector<Token> tokens;
    std::vector<int> ordinais;
    std::vector<std::unique_ptr<Comando>> comandos;
    std::vector<std::string> fontes;  // the names that may stand for a table or alias
};

// Runs the statements of one batch on a session: one run, whose state it owns.
class Executor : private EstadoDaExecucao {
  public:
    Executor(SessaoDeExecucao& sessao, PlanoDeLote& plano,
             const std::vector<db::Valor>& parametros);
    ~Executor();
    Executor(const Executor&) = delete;
    Executor& operator=(const Executor&) = delete;
    std::vector<db::Resultado> Executar();
    // EXEC of a procedure with evaluated arguments (also the connector's own call), run by
    // the interpreter.
    void Procedimento(const std::string& nome,
                      const std::vector<std::pair<std::string, db::Valor>>& argumentos);

    using Argumentos = std::vector<std::pair<std::string, db::Valor>>;

    // The executor whose statement SQLite is running on this thread: it runs the bodies of
    // the user functions the statement calls (FuncoesDoUsuario).
    static Executor* EmCurso() { return emCurso_; }

    // The alias type of that name of the session's database (executor_tipos.cpp).
    const TipoDoUsuario* AcharTipoDoUsuario(const std::string& nome);

    // What a part of the run (Definicoes, ObjetosProgramados, InstrucoesDoServidor) asks of
    // it: the session and the result sets, a statement made atomic (Atomico; AposDdl after
    // a definition), SQLite's failure of a statement as SQL Server's error by SQLite's
    // result code (FalhaTraduzida).
    SessaoDeExecucao& Sessao() { return s_; }
    std::vector<db::Resultado>& Resultados() { return resultados_; }
    void Atomico(const std::function<void()>& f);
    void AposDdl();
    [[noreturn]] void FalhaTraduzida(const FalhaDoSqlite& falha, char operacao,
                                     const std::string& tabela);
    // SQLite's failure to prepare a statement's text as SQL Server's error (a name it
    // does not know, text it cannot read).
    [[noreturn]] void FalhaDeCompilacao(const std::string& msg);
    // Runs `f` with the run's variables read as NULL: a body's statements are compiled
    // when it is created, not run (ObjetosProgramados).
    void CompilarCorpo(const std::function<void()>& f);
    std::vector<DefColuna> ColunasComTipos(const std::vector<DefColuna>& colunas);
    void TiparColunasCalculadas(Tabela& t);  // executor_colunas_calculadas.cpp
    // A #table of the run (executor_tabelas_do_lote.cpp).
    void AnotarTemporaria(const std::string& nome);
    // The engine has only the dbo schema: a name in another one is refused (2760).
    static void ExigirEsquemaDbo(const std::vector<std::string>& partes);
    // The login is sysadmin or the user a member of db_owner.
    bool DonoDoBanco();
    // What the data changes (AlteracoesDeDados) ask besides: whether a body's statements
    // are being compiled, not run (their texts are their own, shared with no other).
    bool CompilandoCorpo() const { return compilandoCorpo_; }

    // What the procedural interpreter asks of its run: its state, a statement of any
    // family run, an expression's or query's value, the run's table variables made
    // (once), the result sets given so far by it and by the runs it is inside.
    EstadoDaExecucao& Estado() { return *this; }
    void Rodar(const Comando& c);
    bool Condicao(const ExpressaoLida& e);
    db::Valor Avaliar(const ExpressaoLida& e);
    // SQLite's text of an expression's or query's tree, with the flags of what it reads
    // and the types of a query's columns the generator knows
    template <class T>
    std::string Gerada(const T& arvore, int* flags = nullptr,
                       std::vector<std::optional<TipoSql>>* tipos = nullptr,
                       std::vector<std::string>* atribuidas = nullptr);
    ContextoDeReescrita Contexto();
    // Runs SQLite text with this batch's parameters; returns the rows when it has any.
    db::Resultado Consultar(const std::string& sql, int flags, char operacao,
                            const std::string& tabela,
                            const std::vector<std::optional<TipoSql>>* tipos = nullptr);
    void CriarVariaveisDeTabela();
    std::size_t ResultadosAteAqui() const;
    // DECLARE @t TABLE (...) and RETURNS @t TABLE (...): the table, not yet in SQLite.
    Tabela TabelaDaVariavel(const instrucao::VariavelDeclarada& v);

  private:
    // A function's body only reads: its caller's statement is still running on SQLite.
    void ExigirLeituraNaFuncao(const Comando& c);
    static thread_local Executor* emCurso_;
    Executor* anterior_ = nullptr;  // the executor this one runs inside

    // Rodar's statement by its family (executor.cpp).
    void RodarInstrucao(const Comando& c);
    void ComandoDeSessao(const instrucao::TempoDeBloqueio& x);
    void ComandoDeSessao(const instrucao::DefinirFormatoDeData& x);
    void ComandoDeTransacao(const instrucao::IniciarTransacao& x);
    void ComandoDeTransacao(const instrucao::SalvarTransacao& x);
    void ComandoDeTransacao(const instrucao::ConfirmarTransacao& x);
    void ComandoDeTransacao(const instrucao::DesfazerTransacao& x);
    void ComandoDeTipoOuPrincipal(const Comando& c);
    void ExigirBancoAtual(const Comando& c);
    // In a doomed transaction only reads run, and writes to table variables; in any other
    // the first statement that writes takes the database's write lock.
    void ExigirTransacaoGravavel(const Comando& c);
    void Selecionar(const instrucao::Selecionar& c);
    void IdentityInsert(const instrucao::IdentityInsert& c);
    // Refuses, with SQL Server's message, what the user's rights do not allow.
    void ExigirDireitos(const Comando& c);
    void FecharCursoresNoFimDaTransacao();
    void LerOpcaoDaSessao(const instrucao::Ignorado& x);
    void DefinirLimiteDeLinhas(const ExpressaoLida& valor);

    db::Coluna ColunaDaConsulta(sqlite3_stmt* st, int c, const std::string& sql,
                                const std::vector<std::optional<TipoSql>>* tiposConhecidos,
                                const TipoSql*& tipo);
    void Ligar(sqlite3_stmt* s);
    static void LigarValor(sqlite3_stmt* st, int i, const db::Valor& v);
    db::Valor ValorDeVariavel(const char* nome) const;
    // A table function's change to its table, inside its caller's running statement.
    void AtomicoNaFuncao(const std::function<void()>& f);
    void FalhaDeReferencia(const std::string& msg);
    [[noreturn]] void FalhaDeNulo(const std::string& msg, char operacao, const std::string& tabela);
    [[noreturn]] void FalhaDeVerificacao(const std::string& msg, char operacao,
                                         const std::string& tabela);
    [[noreturn]] void FalhaDeChave(const std::string& msg);
    bool NomeDeFonte(const std::string& nome) const;

    SessaoDeExecucao& s_;
    bool compilandoCorpo_ = false;  // a body's variables read as NULL: it is compiled, not run
    bool tabelasCriadas_ = false;   // DECLARE @t TABLE of its statements
    std::vector<std::string> variaveisDeTabela_;  // those it made, dropped when it ends
    std::vector<std::string> temporarias_;        // #tables of a procedure call, likewise
};

}  // namespace zolvek::simulador
