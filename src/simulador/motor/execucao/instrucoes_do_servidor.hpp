#pragma once

#include <string>
#include <utility>
#include <vector>

#include "db/conector/conector.hpp"

namespace zolvek::simulador {

class Executor;
class SessaoDeExecucao;
namespace instrucao {
struct AlterarBanco;
struct Backup;
struct CriarBanco;
struct Dbcc;
struct Esperar;
struct ExcluirBanco;
struct Matar;
struct PontoDeControle;
struct AtualizarEstatisticas;
struct Restaurar;
struct RestaurarLista;
struct Usar;
struct VerificarBackup;
}  // namespace instrucao

// The statements a batch runs on the server rather than in its database's tables:
// CREATE, DROP and ALTER DATABASE, USE, KILL, BACKUP and RESTORE, CHECKPOINT, DBCC and
// WAITFOR. Made for one statement of its run, it keeps no state: it asks the run only to
// evaluate an expression and to tell the client a message.
class InstrucoesDoServidor {
  public:
    using Argumentos = std::vector<std::pair<std::string, db::Valor>>;

    explicit InstrucoesDoServidor(Executor& execucao);

    // Databases, USE and KILL (instrucoes_de_bancos.cpp).
    void Rodar(const instrucao::CriarBanco& c);
    void Rodar(const instrucao::ExcluirBanco& c);
    void Rodar(const instrucao::AlterarBanco& c);
    void Rodar(const instrucao::Usar& c);
    void Rodar(const instrucao::Matar& c);
    // MatarProcesso 'login', 'host': the engine ends those sessions itself.
    void MatarSessoes(const Argumentos& args);
    // Backups (instrucoes_de_backup.cpp); RESTORE FILELISTONLY gives the set's files.
    void Rodar(const instrucao::Backup& c);
    db::Resultado Rodar(const instrucao::RestaurarLista& c);
    void Rodar(const instrucao::VerificarBackup& c);
    void Rodar(const instrucao::Restaurar& c);
    // CHECKPOINT, DBCC CHECKIDENT and DBCC CHECKDB (instrucoes_dbcc.cpp).
    void Rodar(const instrucao::PontoDeControle& c);
    void Rodar(const instrucao::Dbcc& c);
    void Rodar(const instrucao::AtualizarEstatisticas& c);
    // WAITFOR DELAY and WAITFOR TIME (instrucoes_de_espera.cpp).
    void Rodar(const instrucao::Esperar& x);

  private:
    // SQL Server refuses these inside a user transaction (BEGIN TRAN, or the provider's).
    void RecusarDentroDeTransacao(const std::string& instrucao);
    void RecusarKillDentroDeTransacao();
    db::Resultado ListaDoBackup(const std::string& disco, int conjunto);
    void VerificarIdentidade(const instrucao::Dbcc& c);
    void VerificarBanco(const instrucao::Dbcc& c);
    bool DonoDoBanco();
    void Informar(std::string texto, int numero = 0);  // of severity 10

    Executor& execucao_;
    SessaoDeExecucao& s_;
};

}  // namespace zolvek::simulador
