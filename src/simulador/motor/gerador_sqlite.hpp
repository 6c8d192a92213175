#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "simulador/motor/expressao.hpp"

// Writes SQLite's text from the expression tree: T-SQL's functions become the
// engine's zv_ functions, + becomes zv_mais (numbers add, texts join), TOP becomes
// LIMIT, catalog views become the engine's zv_ views, hints go away.
namespace zolvek::simulador {

class Catalogo;
struct Tabela;
struct ColunaDaTabela;

struct ContextoDeReescrita {
    const std::vector<int>* ordinais = nullptr;  // parameter number of each '?' token
    bool usaProcessos = false;                   // master.dbo.sysprocesses was named
    bool usaBancos = false;                      // sys.databases was named
    // the tables' column types, when at hand (read only if a query names a table)
    std::function<Catalogo*()> catalogo;
    // The SQLite schema of a database named in DB.dbo.T or DB..T ("" for the current
    // one); raises SQL Server's error for one that does not exist or cannot be opened.
    std::function<std::string(const std::string&)> esquemaDoBanco;
};

class GeradorSqlite {
  public:
    explicit GeradorSqlite(ContextoDeReescrita& ctx) : ctx_(ctx) {}

    std::string Gerar(const Expressao& e);
    std::string Gerar(const Consulta& q);
    std::string Gerar(const Clausulas& c);
    std::string Gerar(const std::vector<Juncao>& fontes);

  private:
    std::string Operando(const Expr& e);
    std::string Comparacao(const Binaria& b);
    std::string Chamar(const Chamada& c);
    std::string GerarSelecao(const Selecao& s);
    std::string GerarRamo(const Ramo& r, bool unico);
    std::string GerarFonte(const Fonte& f);
    std::string NomeDeCatalogo(const std::vector<std::string>& partes);
    std::string NomeDeTabela(const std::vector<std::string>& partes);
    std::string NomeDeColuna(const Coluna& c);
    std::string Ordem(const std::vector<OrdemDe>& ordem);
    bool Nacional(const Expressao& e) const;
    const ColunaDaTabela* ColunaDoEscopo(const Coluna& c) const;
    int LimiteDeReplicacao(const Expressao& e) const;

    ContextoDeReescrita& ctx_;
    // the tables of each SELECT being written, innermost last, by alias or name
    std::vector<std::vector<std::pair<std::string, Tabela*>>> escopos_;
};

}  // namespace zolvek::simulador
