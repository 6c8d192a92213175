#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "db/conector/conector.hpp"

namespace zolvek::simulador {

class SessaoDeExecucao;
struct ObjetoProgramado;
struct Tabela;

// The system procedures that need of a batch only its session and its result sets: those
// that describe the server and the database (sp_who, sp_tables, sp_help, sp_spaceused,
// sp_columns, ...), xp_msver, sp_dboption, sp_helpfile, sp_addlogin and sp_helptext. Those
// that run statements of their run are in ProcedimentoDaExecucao
// (procedimentos_da_execucao.hpp).
class ProcedimentosDoSistema {
  public:
    using Argumentos = std::vector<std::pair<std::string, db::Valor>>;

    ProcedimentosDoSistema(SessaoDeExecucao& sessao, std::vector<db::Resultado>& resultados)
        : s_(sessao), resultados_(resultados) {}

    // `nome` is the procedure's name as the call wrote it; `chave`, folded. False when
    // there is none of that name here.
    bool Executar(const std::string& chave, const std::string& nome, const Argumentos& args);

  private:
    void AdicionarLogin(const Argumentos& args);
    // sp_who, sp_databases, sp_tables, sp_pkeys, sp_fkeys, sp_helpindex, sp_help,
    // sp_spaceused, sp_helpdb, sp_columns, sp_stored_procedures (procedimentos_de_catalogo.cpp).
    bool ProcedimentoDeCatalogo(const std::string& chave, const Argumentos& args);
    void ListarSessoesDoServidor(const std::optional<std::string>& filtro, bool who2);
    void ListarBancosDoServidor();
    void ListarTabelas(const std::optional<std::string>& nome,
                       const std::optional<std::string>& dono,
                       const std::optional<std::string>& tipos);
    void ListarChavesPrimarias(const std::string& tabela);
    void ListarChavesEstrangeiras(const std::optional<std::string>& referida,
                                  const std::optional<std::string>& dona);
    void ListarIndices(const std::string& objeto);
    // sp_help (procedimentos_de_ajuda.cpp), sp_spaceused and sp_helpdb
    // (procedimentos_de_espaco.cpp).
    void AjudaDoObjeto(const std::optional<std::string>& nome);
    void ListarObjetosDaAjuda();
    void AjudaDaTabela(const Tabela& t);
    void ParametrosDaAjuda(const ObjetoProgramado& o);
    void TextoDoObjeto(const std::string& nome);  // sp_helptext
    void EspacoUsado(const std::optional<std::string>& objeto);
    void EspacoDaTabela(const std::string& objeto);
    void AjudaDoBanco(const std::optional<std::string>& nome);
    // sp_columns and sp_stored_procedures (procedimentos_odbc.cpp).
    void ListarColunasOdbc(const std::optional<std::string>& tabela,
                           const std::optional<std::string>& dono,
                           const std::optional<std::string>& qualificador,
                           const std::optional<std::string>& coluna);
    void ListarProcedimentos(const std::optional<std::string>& nome,
                             const std::optional<std::string>& dono,
                             const std::optional<std::string>& qualificador);

    SessaoDeExecucao& s_;
    std::vector<db::Resultado>& resultados_;
};

}  // namespace zolvek::simulador
