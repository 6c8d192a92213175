#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "simulador/motor/funcoes/sessao_das_funcoes.hpp"
#include "simulador/motor/tipos/tipos.hpp"

struct sqlite3;
struct sqlite3_stmt;
struct sqlite3_value;

// What the executor asks of the session it runs a batch on: what the SQL functions read
// of it, and more. The session implements it; the executor sees nothing else of it.
namespace zolvek::simulador {

class Catalogo;
class Servidor;
struct DireitosDoUsuario;
struct FormaDeInsercao;
struct PlanoDeLote;
struct Tabela;

// A statement of SessaoDeExecucao::Preparar: one the session keeps for the next time the
// same text comes, or one of its own, finalized with it.
class Preparada {
  public:
    Preparada() = default;
    Preparada(sqlite3_stmt* st, bool propria) : st_(st), propria_(propria) {}
    ~Preparada();
    Preparada(Preparada&& o) noexcept
        : st_(std::exchange(o.st_, nullptr)), propria_(std::exchange(o.propria_, false)) {}
    Preparada& operator=(Preparada&& o) noexcept;
    sqlite3_stmt* Bruta() const { return st_; }

  private:
    sqlite3_stmt* st_ = nullptr;
    bool propria_ = false;
};

// The SET options of a session. A procedure or trigger that changes some of them puts
// them back when it returns.
struct OpcoesDaSessao {
    bool semContagem = false;           // SET NOCOUNT ON
    std::int64_t limiteDeLinhas = 0;    // SET ROWCOUNT n: 0 for none
    bool xactAbort = false;             // SET XACT_ABORT ON
    bool fecharCursoresNoFim = false;   // SET CURSOR_CLOSE_ON_COMMIT ON
    bool semPreenchimentoAnsi = false;  // SET ANSI_PADDING OFF
    std::string identityInsert;         // the table with IDENTITY_INSERT ON, folded
    // SET DATEFORMAT/LANGUAGE; the logins' default language is Portuguese (Brazil)
    OrdemDeData ordemDeData = OrdemDeData::Dmy;
    std::string idioma = "Português (Brasil)";
    int primeiroDia = 7;
};

using FormasDeInsercao = std::unordered_map<std::string, FormaDeInsercao>;

class SessaoDeExecucao : public SessaoDasFuncoes {
  public:
    // The SQLite connection of the current database.
    virtual sqlite3* Conexao() = 0;

    // Rights, and the ownership chain of a running body (CadeiaDeDono).
    virtual const DireitosDoUsuario& Direitos() const = 0;
    virtual bool EmCadeiaDeDono() const = 0;
    virtual void DefinirCadeiaDeDono(bool ligada) = 0;

    // The catalog and the server's databases.
    virtual void EsquecerCatalogo() = 0;
    virtual void MarcarCatalogoAlterado() = 0;
    virtual std::string EsquemaDoBanco(const std::string& banco) = 0;
    virtual Catalogo* CatalogoDoEsquema(const std::string& esquema) = 0;
    virtual std::string BancoDoEsquema(const std::string& esquema) const = 0;
    virtual const std::string& TabelaNegada() const = 0;
    // How many tables whose rebuild waited the session has made (at an INSERT's prepare):
    // a statement undone after that reads the catalog again, the making undone with it.
    virtual std::uint64_t Reconstrucoes() const = 0;
    virtual void Usar(const std::string& banco) = 0;
    // The server's tables a statement reads (ContextoDeReescrita::TabelasDoServidor's bits),
    // filled before it runs.
    virtual void AtualizarTabelasDoServidor(int tabelas) = 0;
    // CREATE DATABASE: a new database file with its metadata tables and its owner.
    virtual void PrepararBanco(const std::string& arquivo, const std::string& dono) = 0;

    // Transactions. AbandonarTransacao: the caller rolled SQLite's whole transaction back
    // itself, and the session forgets it.
    virtual void IniciarTransacao(const std::string& nome = "") = 0;
    virtual void Confirmar() = 0;
    virtual void Desfazer(const std::string& nome = "") = 0;
    virtual void SalvarPonto(const std::string& nome) = 0;
    virtual void AbandonarTransacao() = 0;
    virtual bool EmTransacao() const = 0;
    virtual bool TransacaoCondenada() const = 0;
    virtual void CondenarTransacao() = 0;
    virtual void GarantirEscrita() = 0;
    // INSERT ... VALUES statements run in a group of one SQLite transaction.
    virtual bool PodeAgrupar() const = 0;
    virtual void RodarAgrupada(const std::function<void()>& instrucao) = 0;
    virtual void FecharGrupo() = 0;

    // Options and the session's state between statements.
    virtual OpcoesDaSessao& Opcoes() = 0;
    virtual void DefinirTempoDeBloqueio(int milissegundos) = 0;
    virtual void AnotarIdentidade(std::int64_t valor) = 0;  // @@IDENTITY
    virtual void Informar(db::Mensagem mensagem) = 0;

    // KILL, cancel and timeout.
    virtual void VerificarSeFoiEliminada() = 0;
    virtual bool Interromper() = 0;
    virtual bool FoiEliminada() const = 0;

    // Table variables and #tables.
    virtual void CriarVariavelDeTabela(Tabela t) = 0;
    virtual void ExcluirVariavelDeTabela(const std::string& nome) noexcept = 0;
    virtual const Tabela& EmprestarVariavelDeTabela(Tabela t, const std::string& definicao) = 0;
    virtual void DevolverVariavelDeTabela(const std::string& nome) noexcept = 0;
    virtual std::vector<std::vector<sqlite3_value*>> LinhasDaVariavel(const Tabela& t) = 0;
    virtual void AnotarTemporaria(const std::string& nome) = 0;

    // Batches read and statements prepared, kept for the next time the same text comes.
    virtual std::shared_ptr<PlanoDeLote> Planejar(const std::string& sql) = 0;
    virtual Preparada Preparar(const std::string& sql) = 0;
    virtual FormasDeInsercao& Formas() = 0;
    // The catalog, the batches planned on it and the statements prepared read anew: what
    // was undone may have changed the structure.
    virtual void EsquecerEstrutura() = 0;
    virtual void EsquecerPreparadas() = 0;

  protected:
    SessaoDeExecucao() = default;
    ~SessaoDeExecucao() = default;
};

// While a procedure's or trigger's body runs, the objects it names have its owner (dbo),
// and SQL Server checks no permission on them: only the EXECUTE of the procedure itself
// (an ownership chain). Dynamic SQL breaks the chain: it is checked as the caller's.
class CadeiaDeDono {
  public:
    CadeiaDeDono(SessaoDeExecucao& s, bool ligada) : s_(s), anterior_(s.EmCadeiaDeDono()) {
        s.DefinirCadeiaDeDono(ligada);
    }
    ~CadeiaDeDono() { s_.DefinirCadeiaDeDono(anterior_); }
    CadeiaDeDono(const CadeiaDeDono&) = delete;
    CadeiaDeDono& operator=(const CadeiaDeDono&) = delete;

  private:
    SessaoDeExecucao& s_;
    const bool anterior_;
};

}  // namespace zolvek::simulador
