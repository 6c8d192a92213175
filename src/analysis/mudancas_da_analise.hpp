#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "analysis/catalogo_da_analise.hpp"
#include "analysis/leitura_de_comandos.hpp"
#include "comum/comando.hpp"

// What a run changed (or, simulated, would change), table by table: read from every
// statement that ran, against the picture of the catalog taken when the run started.
namespace zolvek::analysis {

// A column whose type or nullability changed. The counts come from a simulation, taken
// just before the statement: rows whose value the new type refuses or keeps in part,
// rows with NULL where NOT NULL is asked.
struct ColunaMudada {
    std::string coluna;
    std::string tipoAntes, tipoDepois;
    bool nuloAntes = true, nuloDepois = true;
    std::string tipoPedido;   // the type a statement asked for, whether it ran or not
    bool podePerder = false;  // a type change that can fail or lose data
    std::optional<std::int64_t> falham, perdem, nulos;
};

// A constraint, index or trigger of the table, or a procedure, function or view.
struct ObjetoMudado {
    std::string nome;
    std::string especie;  // "PRIMARY KEY", "DEFAULT", "índice", "trigger", "procedure"...
    bool existia = false;
    bool existe = false;
    bool criado = false;  // created (again) during the run
};

struct MudancasDaTabela {
    std::string tabela;  // "" for the objects of no table
    bool criada = false;
    std::vector<std::string> colunasNovas;  // "Nome NVARCHAR(40)", also of a created table
    std::vector<ColunaMudada> colunas;
    std::vector<ObjetoMudado> objetos;
    int linhasIniciais = 0;                // seed rows and the row of a parameter table
    std::vector<std::string> preenchidas;  // columns whose NULLs took the default
    bool permissao = false;
    std::vector<std::string> outras;  // other statements, by their first words
};

// "tables created/altered, objects rebuilt"
struct ContagemDeMudancas {
    int tabelasCriadas = 0;
    int tabelasAlteradas = 0;
    int objetosRecriados = 0;
};

class RegistroDeMudancas {
  public:
    explicit RegistroDeMudancas(FotoDoCatalogo foto);

    // A statement that ran.
    void Aplicar(const Mudanca& m);
    // The column an ALTER COLUMN is about to change (created from the catalog).
    ColunaMudada& Coluna(const std::string& tabela, const std::string& coluna);

    const FotoDoCatalogo& Foto() const { return foto_; }
    bool CriadaNestaExecucao(const std::string& tabela) const;
    // Tables in the order they were first touched; only what a reader needs to see
    // (columns whose type and nullability ended as they began, objects neither created
    // nor removed are left out).
    std::vector<MudancasDaTabela> Tabelas() const;
    ContagemDeMudancas Contagem() const;

  private:
    MudancasDaTabela& Da(const std::string& tabela);
    ObjetoMudado& Objeto(MudancasDaTabela& t, const std::string& nome, const std::string& especie,
                         bool existia);
    void AplicarAlterarColuna(const Mudanca& m);
    void AplicarObjeto(const Mudanca& m, bool criar);

    FotoDoCatalogo foto_;
    std::vector<MudancasDaTabela> tabelas_;
    std::map<std::string, std::size_t> indice_;  // table (lower case) -> tabelas_
};

ContagemDeMudancas ContarMudancas(const std::vector<MudancasDaTabela>& tabelas);

// Words for a reader: the kind of a constraint or object.
std::string NomeDaEspecie(const std::string& especie);

}  // namespace zolvek::analysis
