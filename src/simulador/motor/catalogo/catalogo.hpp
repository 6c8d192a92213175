#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "simulador/motor/arvores/coluna_de_indice.hpp"
#include "simulador/motor/tipos/tipos.hpp"

struct sqlite3;

// The catalog of one database: tables with their columns, constraints and indexes,
// and the programmed objects. It lives in metadata tables of the database file (so a
// rolled-back transaction rolls it back too); this is the in-memory copy a session
// works with.
namespace zolvek::simulador {

struct ColunaDaTabela {
    ColunaDaTabela() = default;
    ColunaDaTabela(std::string n, TipoSql t, bool a = true)
        : nome(std::move(n)), tipo(t), anulavel(a) {}
    std::string nome;
    TipoSql tipo;
    bool anulavel = true;
    bool identidade = false;
    std::int64_t semente = 1;
    std::int64_t incremento = 1;
    std::string calculo;        // a computed column's expression, as written in parentheses
    bool persistida = false;    // a computed column kept in the row (PERSISTED)
    std::string tipoDoUsuario;  // the alias type it was declared with ("" for none)
};

// PK, UQ, F (foreign key), C (check), D (default).
struct Restricao {
    std::int64_t id = 0;
    std::string nome;
    std::string tipo;
    std::vector<ColunaDeIndice> colunas;  // D and C: the one column (C may have none)
    std::string texto;                    // C and D: the expression as written, in parentheses
    std::string tabelaReferida;           // F
    std::vector<std::string> colunasReferidas;
    bool semVerificacao = false;  // WITH NOCHECK: not trusted
    bool desabilitada = false;    // NOCHECK CONSTRAINT: not enforced (F and C only)
    std::string criacao;
    // F: what a change of the referenced row does to the referencing ones: "" (NO ACTION),
    // CASCADE, SET NULL or SET DEFAULT
    std::string aoExcluir, aoAtualizar;
};

struct Indice {
    int indid = 0;
    std::string nome;
    bool unico = false;
    bool primario = false;
    std::int64_t restricao = 0;           // the PK/UQ constraint that owns it
    std::vector<ColunaDeIndice> colunas;  // the keys
    std::vector<std::string> incluidas;   // INCLUDE (...): kept in the index, not keys
    std::string filtro;                   // WHERE of a filtered index, as written ("" for none)
};

struct Tabela {
    std::int64_t id = 0;
    std::string nome;
    std::string criacao;
    std::vector<ColunaDaTabela> colunas;
    std::vector<Restricao> restricoes;
    std::vector<Indice> indices;
    // Its SQLite table still has the constraints it had before a change of its DEFAULTs,
    // CHECKs or nullability made while it had no rows: it is made again before its first
    // row goes in (until then no write can break what it lacks).
    bool reconstrucaoAdiada = false;

    const ColunaDaTabela* Coluna(const std::string& nome) const;
    ColunaDaTabela* Coluna(const std::string& nome);
    const ColunaDaTabela* Identidade() const;
    const ColunaDaTabela* VersaoDeLinha() const;
    Restricao* RestricaoPeloNome(const std::string& nome);
    Indice* IndicePeloNome(const std::string& nome);
    const Restricao* PadraoDaColuna(const std::string& coluna) const;
};

// Procedures (P), triggers (TR), views (V), functions (FN, IF, TF).
struct ObjetoProgramado {
    std::int64_t id = 0;
    std::string nome;
    std::string tipo;
    std::string texto;
    std::int64_t pai = 0;
    std::string criacao;
};

// A user-defined alias type (sp_addtype, CREATE TYPE ... FROM): a name for a system
// type, with its nullability.
struct TipoDoUsuario {
    std::int64_t id = 0;  // its user type id, from 257
    std::string nome;
    TipoSql tipo;
    bool anulavel = true;
};

class Catalogo {
  public:
    // porId_ and restricoesPorId_ point into tabelas_: a copy would point into the
    // original (a move keeps the nodes)
    Catalogo() = default;
    Catalogo(const Catalogo&) = delete;
    Catalogo& operator=(const Catalogo&) = delete;
    Catalogo(Catalogo&&) = default;
    Catalogo& operator=(Catalogo&&) = default;

    // The layout of the metadata tables (SQLite's user_version of the file): a file of an
    // earlier one gets what was added (the indexes by name) at its first opening.
    static constexpr int kVersao = 2;
    // Creates the metadata tables when the file is new, and what an older file lacks.
    static void Preparar(sqlite3* db);
    // `esquema`: "main", or the schema another database is attached as.
    void Carregar(sqlite3* db, const std::string& esquema = "main");

    Tabela* AcharTabela(const std::string& nome);
    // The table or constraint of an id (OBJECT_NAME, COL_LENGTH...), found without
    // looking through all.
    Tabela* TabelaPeloId(std::int64_t id);
    const Restricao* RestricaoPeloId(std::int64_t id) const;
    const ObjetoProgramado* AcharObjeto(const std::string& nome) const;
    // Whether a table has triggers, answered without looking through the objects: a
    // statement on a table without any does no work for them.
    bool TemGatilhos(std::int64_t tabela) const { return gatilhos_.count(tabela) != 0; }
    bool AlgumGatilho() const { return !gatilhos_.empty(); }
    // The table's triggers, in the order they were created.
    std::vector<const ObjetoProgramado*> GatilhosDe(std::int64_t tabela) const;
    // The id of any object of that name: table, constraint or programmed object.
    std::optional<std::int64_t> IdDoObjeto(const std::string& nome) const;
    // The table that owns a constraint.
    Tabela* TabelaDaRestricao(const std::string& nomeDaRestricao);
    // The tables with a foreign key to this one, found without looking through the others;
    // after a rename it may hold more than those, so a caller checks each key it reads.
    std::vector<Tabela*> TabelasQueReferem(const std::string& nome);
    // How many of SQLite's own triggers a group has in the file (<group>_1, <group>_2, ...;
    // the groups are named in materializacao.cpp), as read with the catalog and written
    // since: they are dropped by name, without reading SQLite's schema.
    int GatilhosNoSqlite(const std::string& grupo) const;
    void AnotarGatilhosNoSqlite(const std::string& grupo, int quantos);
    // The statements that made a foreign key's group, as SQLite keeps them: a key made
    // again the same finds its triggers in place. Empty when unknown.
    const std::vector<std::string>& TextosDoGrupo(const std::string& grupo) const;
    void AnotarTextosDoGrupo(const std::string& grupo, std::vector<std::string> textos);
    // Groups of foreign keys that may no longer be in force: their triggers stay, and do
    // nothing, until they are dropped the next time a table's triggers are made again.
    void AnotarGrupoSemChave(const std::string& grupo) { gruposSemChave_.insert(grupo); }
    std::set<std::string> TomarGruposSemChave() { return std::exchange(gruposSemChave_, {}); }
    std::vector<Tabela*> Tabelas();
    std::vector<const ObjetoProgramado*> Objetos() const;
    std::int64_t NovoId();

    // Writes a table's rows of the metadata tables and keeps the copy.
    void GravarTabela(sqlite3* db, const Tabela& t);
    void ExcluirTabela(sqlite3* db, const std::string& nome);
    // A session's table variable: kept in the in-memory copy only, where the statements
    // find it, and never in the metadata tables the catalog views read.
    void AnotarTabela(const Tabela& t);
    void EsquecerTabela(const std::string& nome);
    // sp_rename of a table: the in-memory copy only (GravarTabela writes it).
    void RenomearTabela(const std::string& nome, const std::string& novo);
    void GravarObjeto(sqlite3* db, const ObjetoProgramado& o);
    void ExcluirObjeto(sqlite3* db, const std::string& nome);

    // Alias types (catalogo_de_tipos.cpp).
    const TipoDoUsuario* AcharTipo(const std::string& nome) const;
    const std::vector<TipoDoUsuario>& TiposDoUsuario() const { return tipos_; }
    void GravarTipo(sqlite3* db, TipoDoUsuario t);
    void ExcluirTipo(sqlite3* db, const std::string& nome);

  private:
    // The indexes of names are kept up to date one table or object at a time: a change
    // costs what it touches, not the whole catalog.
    void Indexar();
    void IndexarTabela(Tabela& t);
    void EsquecerId(const Tabela& t);
    void DesindexarTabela(const Tabela& t);
    void IndexarObjeto(const ObjetoProgramado& o);
    void DesindexarObjeto(const ObjetoProgramado& o);
    void LerGatilhosNoSqlite(sqlite3* db, const std::string& esquema);
    // Carregar, one metadata table at a time: `porId` holds the tables by id.
    void CarregarObjetos(sqlite3* db, const std::string& esquema,
                         std::map<std::int64_t, Tabela*>& porId);
    void CarregarColunas(sqlite3* db, const std::string& esquema,
                         const std::map<std::int64_t, Tabela*>& porId);
    void CarregarIndices(sqlite3* db, const std::string& esquema,
                         const std::map<std::int64_t, Tabela*>& porId);
    // What the first tables of the catalog do not hold: computed columns, alias types of
    // columns, referential actions, index filters (catalogo_de_atributos.cpp).
    void CarregarAtributos(sqlite3* db, const std::string& esquema);
    void GravarAtributos(sqlite3* db, const Tabela& t);
    void ApagarAtributos(sqlite3* db, std::int64_t tabela);
    void CarregarTipos(sqlite3* db, const std::string& esquema);

    std::map<std::string, Tabela> tabelas_;  // by folded name
    std::map<std::string, ObjetoProgramado> objetos_;
    std::map<std::string, std::pair<std::int64_t, std::string>> nomes_;  // object -> id, table
    std::map<std::string, std::set<std::string>> filhas_;  // referenced -> referencing, folded
    std::int64_t ultimoId_ = 0;
    // into tabelas_, by id
    std::map<std::int64_t, Tabela*> porId_;
    std::map<std::int64_t, const Restricao*> restricoesPorId_;
    std::map<std::int64_t, int> gatilhos_;         // table -> its triggers (T-SQL's)
    std::map<std::string, int> gatilhosNoSqlite_;  // group -> SQLite's own
    std::map<std::string, std::vector<std::string>> textosDosGrupos_;
    std::set<std::string> gruposSemChave_;
    std::vector<TipoDoUsuario> tipos_;
};

}  // namespace zolvek::simulador
