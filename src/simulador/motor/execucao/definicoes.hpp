#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "db/conector/conector.hpp"
#include "simulador/motor/arvores/arvore.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/execucao/execucao_da_definicao.hpp"

namespace zolvek::simulador {

class Catalogo;
class FalhaDoSqlite;
class SessaoDeExecucao;
struct Tabela;

// The definitions a batch runs: CREATE and DROP of tables and indexes, ALTER TABLE, alias
// types, logins and the server role sysadmin, users, roles, permissions and sp_rename. A
// definition runs as one statement of its executor's run: atomic as the run makes it, its
// failures translated as the run's, its result set among the run's.
class Definicoes {
  public:
    using Argumentos = std::vector<std::pair<std::string, db::Valor>>;

    explicit Definicoes(ExecucaoDaDefinicao& execucao);

    // Tables and indexes (definicoes_tabelas.cpp).
    void CriarTabela(const instrucao::CriarTabela& c);
    void ExcluirTabela(const instrucao::ExcluirTabela& c);
    void CriarIndice(const instrucao::CriarIndice& c);
    void ExcluirIndice(const instrucao::ExcluirIndice& c);
    // The columns of CREATE TABLE or DECLARE @t TABLE; `restricoes` receives the
    // constraints of the columns and of the table.
    Tabela ColunasDeclaradas(const std::string& nome, const std::vector<DefColuna>& colunas,
                             const std::vector<DefRestricao>& daTabela,
                             std::vector<DefRestricao>& restricoes);
    void AlterarTabela(const instrucao::AlterarTabela& c);  // definicoes_alteracao_de_tabela.cpp

    // Alias types (definicoes_tipos.cpp).
    void ComandoDeTipo(const instrucao::CriarTipo& c);
    void ComandoDeTipo(const instrucao::ExcluirTipo& c);
    void AdicionarTipo(const Argumentos& args);  // sp_addtype
    void RemoverTipo(const Argumentos& args);    // sp_droptype

    // Logins and the server role sysadmin (definicoes_logins.cpp).
    void ComandoDeServidor(const instrucao::AlterarLogin& c);
    void ComandoDeServidor(const instrucao::AlterarPapelDoServidor& c);
    void AdicionarAoPapelDoServidor(const Argumentos& args);  // sp_addsrvrolemember
    void RemoverDoPapelDoServidor(const Argumentos& args);    // sp_dropsrvrolemember
    void TrocarSenha(const Argumentos& args);                 // sp_password

    // Logins and database principals (definicoes_usuarios.cpp).
    void ComandoDeUsuario(const instrucao::CriarLogin& c);
    void ComandoDeUsuario(const instrucao::CriarUsuario& c);
    void ComandoDeUsuario(const instrucao::ExcluirUsuario& c);
    void ComandoDeUsuario(const instrucao::CriarPapel& c);
    void ComandoDeUsuario(const instrucao::AlterarPapel& c);
    void MembroDoPapel(const Argumentos& args,
                       bool adicionar);             // sp_addrolemember, sp_droprolemember
    void DarAcessoAoBanco(const Argumentos& args);  // sp_grantdbaccess, sp_adduser

    // sp_rename of a table or a column (definicoes_renomeacao.cpp).
    void Renomear(const Argumentos& argumentos);
    // GRANT, DENY and REVOKE (definicoes_permissoes.cpp).
    void Conceder(const instrucao::Conceder& c);

  private:
    // ALTER TABLE's actions on `t`, a copy of the table as it was (`antiga`).
    void AdicionarNaTabela(const instrucao::AlterarTabela& c, Catalogo& cat, Tabela& t,
                           const Tabela& antiga);
    bool AlterarColuna(const instrucao::AlterarTabela& c, Catalogo& cat, Tabela& t,
                       const Tabela& antiga);
    void ExcluirRestricoes(const instrucao::AlterarTabela& c, Catalogo& cat, Tabela& t,
                           const Tabela& antiga);
    void ExcluirColunas(const instrucao::AlterarTabela& c, Catalogo& cat, Tabela& t,
                        const Tabela& antiga);
    void HabilitarRestricoes(const instrucao::AlterarTabela& c, Tabela& t, const Tabela& antiga);
    void CriarTipoDoUsuario(const std::string& nome, const TipoSql& tipo, bool anulavel,
                            const NomeComposto& escrito);
    void MudarMembroDoServidor(const instrucao::AlterarPapelDoServidor& c);
    void MembroDoPapelDoServidor(const Argumentos& args, bool adicionar);
    bool ExisteUsuario(const std::string& nome, int papel);
    void RenomearColuna(Tabela& t, const std::string& coluna, const std::string& novo);
    void RenomearTabela(Tabela& t, const std::string& novo);

    // What a definition asks of its run (definicoes.cpp).
    void Atomico(const std::function<void()>& f);
    void AposDdl();
    [[noreturn]] void FalhaTraduzida(const FalhaDoSqlite& falha, char operacao,
                                     const std::string& tabela);
    std::vector<DefColuna> ColunasComTipos(const std::vector<DefColuna>& colunas);
    void TiparColunasCalculadas(Tabela& t);
    void AnotarTemporaria(const std::string& nome);
    static void ExigirEsquemaDbo(const std::vector<std::string>& partes);
    bool DonoDoBanco();

    ExecucaoDaDefinicao& execucao_;
    SessaoDeExecucao& s_;
    std::vector<db::Resultado>& resultados_;
};

}  // namespace zolvek::simulador
