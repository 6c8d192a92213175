#pragma once

#include <string>
#include <utility>
#include <vector>

#include "db/conector/conector.hpp"
#include "simulador/motor/arvores/arvore.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/execucao/estado_da_execucao.hpp"

namespace zolvek::simulador {

class Executor;
class SessaoDeExecucao;
struct ObjetoProgramado;
struct ParametroDeclarado;

// The procedural statements of a run: variables, IF, WHILE, BEGIN ... END, RETURN,
// RAISERROR, PRINT, EXEC ('text'), TRY ... CATCH, cursors and the calls of procedures.
// It works on its run's state (EstadoDaExecucao) and asks its executor only to run a
// statement of another family and to evaluate an expression or query; a body it calls
// runs in an executor of its own, whose state it fills in. Made for one statement, it
// keeps no state of its own.
class Interpretador {
  public:
    using Argumentos = std::vector<std::pair<std::string, db::Valor>>;

    explicit Interpretador(Executor& execucao);

    // A procedural statement (executor_procedural.cpp).
    void Rodar(const Comando& c);
    void RodarControle(const instrucao::Se& x);
    void RodarControle(const instrucao::Bloco& x);
    // Runs a statement of a batch, block or body: an error that ends only its statement
    // lets the next one run, as on SQL Server.
    void RodarNaLista(const Comando& c);
    // The slots of the variables and cursors the run's statements declare.
    void PrepararVariaveis();
    // A message to the client, after the result sets given so far.
    // a message to the client: PRINT's (number 0), RAISERROR's, the server's own
    void Informar(std::string texto, int numero = 0, int severidade = 0, int estado = 1);

    VariavelDoLote& VariavelDeclarada(const std::string& nome);
    // A value of an expression as the type of a variable it is assigned to.
    db::Valor ValorConvertido(const ExpressaoLida& e, const TipoSql& tipo);
    db::Valor ValorConvertido(const Expressao& e, const TipoSql& tipo);
    // A value from elsewhere (a row, an argument) put into a variable, of its type.
    void AtribuirValor(VariavelDoLote& v, const db::Valor& valor);
    void AtribuirDaConsulta(const std::vector<std::string>& variaveis, const db::Resultado& r,
                            const std::vector<std::string>& repetidas);

    // Calls of procedures (executor_chamadas.cpp).
    static ChamadaDeProcedimento LerChamada(const instrucao::ExecutarProcedimento& c);
    void ChamadaDeSistema(const std::string& nome, const ChamadaDeProcedimento& chamada);
    void RodarProcedimento(const ObjetoProgramado& o, const Argumentos& args,
                           const ChamadaDeProcedimento& chamada);
    // The run of a procedure's or trigger's body, made by its caller: it shares the
    // caller's procedural state and has variables of its own. RodarCorpo runs its
    // statements up to RETURN; its result sets follow the caller's, those before an
    // error included.
    void PrepararCorpo(Executor& corpo);
    void RodarCorpo(Executor& corpo, const std::vector<std::unique_ptr<Comando>>& instrucoes);
    // EXEC of a procedure by its name, a system one or the database's
    // (chamadas_por_nome.cpp); the EXEC statement evaluates its arguments first.
    void Executar(const instrucao::ExecutarProcedimento& c);
    void Procedimento(const std::string& nome, const Argumentos& args);
    // sp_executesql (sql_dinamico.cpp).
    void ExecutarSqlDinamico(const Argumentos& argumentos);

  private:
    void Declarar(const instrucao::Declarar& x);
    void Atribuir(const instrucao::Atribuir& x);
    void Enquanto(const instrucao::Enquanto& x);
    void Retornar(const instrucao::Retornar& x);
    void LevantarErro(const instrucao::LevantarErro& x);
    void ExecutarTexto(const instrucao::ExecutarTexto& x);
    void TentarCapturar(const instrucao::TentarCapturar& x);
    bool AbortaATransacao(const ErroDeBanco& e) const;
    void Imprimir(const instrucao::Imprimir& x);
    [[noreturn]] void RecusarProcedural(const Comando& c);
    // Cursors (executor_cursores.cpp).
    void DeclararCursor(const instrucao::DeclararCursor& x);
    void AbrirCursor(const instrucao::AbrirCursor& x);
    void BuscarCursor(const instrucao::BuscarCursor& x);
    CursorDoLote& CursorDeclarado(const std::string& nome);
    CursorDoLote& CursorAberto(const std::string& nome);
    void RodarTextoComSaidas(const std::string& texto,
                             const std::vector<ParametroDeclarado>& declarados,
                             const Argumentos& argumentos);
    void LigarArgumentos(const ObjetoProgramado& o, const instrucao::CriarObjeto& def,
                         const Argumentos& args, const ChamadaDeProcedimento& chamada,
                         Executor& corpo, std::vector<int>& parametroDe);

    Executor& execucao_;
    EstadoDaExecucao& e_;
    SessaoDeExecucao& s_;
};

}  // namespace zolvek::simulador
