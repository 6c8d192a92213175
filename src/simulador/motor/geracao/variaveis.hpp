#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "comum/erros.hpp"
#include "db/conector/valor.hpp"
#include "simulador/motor/arvores/arvore.hpp"
#include "simulador/motor/tipos/tipos.hpp"

// The variables and cursors of one batch or one procedure call. SQL Server declares a
// variable when it compiles the batch (a DECLARE inside an IF that does not run still
// declares it), so each one gets its slot before the first statement runs. A statement
// reads a variable as the bound parameter :zvvN (N its slot), wrapped in its type.
namespace zolvek::simulador {

struct VariavelDoLote {
    std::string nome;  // as declared, with its @
    TipoSql tipo;
    db::Valor valor;  // already of its type; NULL until set
};

struct CursorDoLote {
    std::string nome;
    ConsultaLida selecao;
    bool rolavel = false;  // SCROLL, STATIC, KEYSET, DYNAMIC: FETCH PRIOR, FIRST, LAST
    bool aberto = false;
    std::vector<db::Coluna> colunas;
    std::vector<std::vector<db::Valor>> linhas;
    std::ptrdiff_t posicao = -1;  // the row the last FETCH read
};

// What SQL Server keeps per connection and a procedure call shares with its caller:
// @@ROWCOUNT, @@ERROR, @@FETCH_STATUS, and the error a CATCH block is handling.
struct EstadoProcedural {
    std::int64_t linhas = 0;
    std::int64_t erro = 0;
    std::int64_t buscaDoCursor = -1;
    bool emCaptura = false;
    std::int64_t numeroDoErro = 0;
    std::string mensagemDoErro;
    std::int64_t severidadeDoErro = 0;
    std::int64_t estadoDoErro = 0;
    int aninhamento = 0;    // procedure calls in progress
    int tentativas = 0;     // TRY blocks in progress: an error goes to their CATCH
    int insercoesExec = 0;  // INSERT ... EXEC in progress (they do not nest)
    // the error in flight came out of a trigger: it aborts the batch, whatever its number
    bool erroDeGatilho = false;
    // the first error the batch went on after, which the client hears of at its end
    std::optional<ErroDeBanco> primeiroErro;
    // INSTEAD OF triggers whose bodies are running: a change they make to their own table
    // or view is made, not handed to them again
    std::vector<std::int64_t> emVezDeAtivos;
    // :zvsN of a statement's text (see SqliteDoEstado)
    db::Valor Valor(int n) const;
};

class QuadroDeVariaveis {
  public:
    // Gives each DECLAREd variable and cursor of these statements its slot.
    void DeclararDe(const std::vector<std::unique_ptr<Comando>>& comandos);
    void DeclararDe(const Comando& c);
    void Declarar(const instrucao::VariavelDeclarada& v);

    VariavelDoLote* Achar(const std::string& nome);
    const VariavelDoLote* Achar(const std::string& nome) const;
    std::size_t Slot(const VariavelDoLote& v) const {
        return static_cast<std::size_t>(&v - &itens_[0]);
    }
    const db::Valor& ValorDoSlot(std::size_t n) const { return itens_.at(n - 1).valor; }
    // The SQLite text that reads a variable or one of @@ROWCOUNT, @@ERROR,
    // @@FETCH_STATUS; "" for a name it does not hold.
    std::string Sqlite(const std::string& nome) const;
    std::optional<TipoSql> Tipo(const std::string& nome) const;

    // DECLARE @t TABLE (...) of these statements, made when they begin to run.
    const std::vector<const instrucao::VariavelDeclarada*>& Tabelas() const { return tabelas_; }

    CursorDoLote* Cursor(const std::string& nome);
    std::map<std::string, CursorDoLote>& Cursores() { return cursores_; }

  private:
    std::vector<VariavelDoLote> itens_;
    std::map<std::string, std::size_t> porNome_;    // folded name -> index
    std::map<std::string, CursorDoLote> cursores_;  // by folded name, when DECLAREd
    std::vector<const instrucao::VariavelDeclarada*> tabelas_;
};

// The SQLite text of the function calls a CATCH block reads (ERROR_NUMBER() ...) and of
// XACT_STATE(); "" for other names. `comEstado`: the batch runs procedural statements.
std::string SqliteDaFuncaoDeErro(const std::string& nomeDobrado, bool comEstado);

// A variable's or parameter's type: its alias type's, found in the running statement's
// database (2715 when there is none of that name). The executor, which knows that
// database, answers it (executor_tipos.cpp).
TipoSql TipoDeclarado(const instrucao::VariavelDeclarada& v);

// Whether a batch runs anything that needs variables or cursors.
bool UsaVariaveis(const std::vector<std::unique_ptr<Comando>>& comandos);

}  // namespace zolvek::simulador
