#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "db/conexao.hpp"

// What the database holds when a run starts, kept up to date as the run changes it: the
// type and nullability of every column, the names of its objects (constraints, programmed
// objects) and indexes. The change report reads what a statement changed against it.
namespace zolvek::analysis {

struct ColunaDoCatalogo {
    std::string tipo;  // as TipoNormalizado writes it ("NVARCHAR(40)", "DECIMAL(10,2)")
    bool nulo = true;
};

class FotoDoCatalogo {
  public:
    // Reads the catalog on the connection (information_schema.columns, sysobjects,
    // sys.indexes). A catalog that cannot be read leaves the picture empty.
    static FotoDoCatalogo Ler(db::Conexao& conexao);

    std::optional<ColunaDoCatalogo> Coluna(const std::string& tabela,
                                           const std::string& coluna) const;
    void DefinirColuna(const std::string& tabela, const std::string& coluna,
                       const ColunaDoCatalogo& c);
    bool TabelaExiste(const std::string& tabela) const;

    // Constraints and programmed objects, by name (without regard to letter case).
    bool ObjetoExiste(const std::string& nome) const;
    void DefinirObjeto(const std::string& nome, bool existe);
    bool IndiceExiste(const std::string& tabela, const std::string& nome) const;
    void DefinirIndice(const std::string& tabela, const std::string& nome, bool existe);

  private:
    std::map<std::string, std::map<std::string, ColunaDoCatalogo>> colunas_;
    std::set<std::string> objetos_;
    std::set<std::pair<std::string, std::string>> indices_;
};

// A type as information_schema.columns tells it, written as TipoNormalizado does.
std::string TipoDoCatalogo(const std::string& tipo, std::int64_t tamanho, std::int64_t precisao,
                           std::int64_t escala);

// The query that counts, among the rows of `tabela` whose `coluna` is not NULL, those
// whose value the new type would refuse ("falham") and those it would keep only in part
// ("perdem": digits or characters cut). Columns "falham" and "perdem". nullopt when the
// change cannot fail nor lose anything (a wider text or decimal), or when the server has
// no TRY_CONVERT (before SQL Server 2012) for the kind of type it needs.
std::optional<std::string> ConsultaDeValoresQueNaoConvertem(const std::string& tabela,
                                                            const std::string& coluna,
                                                            const std::string& de,
                                                            const std::string& para,
                                                            int versaoMaior);

// True when a column of type `de` cannot take the new type `para` in every case
// without failing or losing part of a value (every change but a wider text or decimal).
bool PodeFalharOuPerder(const std::string& de, const std::string& para);

// True when the type's values can fail to convert in a way that ends the batch and
// rolls back the transaction on SQL Server (numbers and dates); a text that is too long
// only ends its statement.
bool ConversaoDesfazATransacao(const std::string& para);

}  // namespace zolvek::analysis
