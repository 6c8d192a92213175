#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "db/conector/conector.hpp"

namespace zolvek::simulador {

class Executor;
class SessaoDeExecucao;
struct Clausulas;
struct Comando;
struct NomeComposto;
struct ObjetoProgramado;
struct Tabela;
template <class T>
struct Lida;
namespace instrucao {
struct Atualizar;
struct CriarObjeto;
struct ExcluirObjeto;
}  // namespace instrucao

// CREATE, ALTER and DROP of views, procedures, functions and triggers, and the checks a
// body gets when it is made: the types it names, the columns its statements read. A
// change runs as one statement of its executor's run, atomic as the run makes it; a body's
// statements are compiled, not run, by the run's generator. Made for one statement, it
// keeps no state between them.
class ObjetosProgramados {
  public:
    explicit ObjetosProgramados(Executor& execucao);

    // objetos_criacao.cpp
    void Criar(const instrucao::CriarObjeto& c);
    void Excluir(const instrucao::ExcluirObjeto& c);

  private:
    std::int64_t DonoDoGatilho(const instrucao::CriarObjeto& c, const ObjetoProgramado* existente);
    void CriarVisao(const instrucao::CriarObjeto& c);
    // DROP and ALTER of a function a table's CHECK or DEFAULT constraint calls fail.
    void ExigirFuncaoSemRestricoes(const std::string& nome, const std::string& acao);
    void ExigirTiposDoCorpo(const instrucao::CriarObjeto& c);
    // Columns of a body's statements, resolved when it is created (objetos_corpos.cpp).
    void VerificarColunasDoCorpo(const instrucao::CriarObjeto& c);
    void ColunasDaInstrucao(const Comando& c);
    void ColunasDoAlvo(const NomeComposto& objeto, const std::vector<std::string>& colunas);
    void ClausulasDoAlvo(const NomeComposto& objeto, const Lida<Clausulas>& resto,
                         const instrucao::Atualizar* atualizar);
    const Tabela* TabelaDoCorpo(const NomeComposto& objeto);
    void CompilarSeResolvido(const std::function<std::string()>& texto);

    Executor& execucao_;
    SessaoDeExecucao& s_;
    std::vector<db::Resultado>& resultados_;
    std::string pseudoTabelas_;  // a trigger's inserted and deleted, as WITH queries
};

}  // namespace zolvek::simulador
