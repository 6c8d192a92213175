#pragma once

#include <string>
#include <vector>

#include "analysis/opcoes_da_analise.hpp"
#include "comum/comando.hpp"
#include "comum/erros.hpp"
#include "db/conjunto.hpp"
#include "db/modulo_dados.hpp"
#include "dictionary/dicionario.hpp"

// The state of one run of "Analisar", shared by every phase and per-table step.
namespace zolvek::analysis {

class ContextoDaAnalise {
  public:
    // Binds the work datasets to the data module's connection and reads the database
    // name and the server's major version.
    ContextoDaAnalise(db::TModuloDados& modulo, dicionario::DicionarioDeDados& dicionario,
                      const OpcoesDaAnalise& opcoes, InterfaceDoComando& interface);
    ContextoDaAnalise(const ContextoDaAnalise&) = delete;
    ContextoDaAnalise& operator=(const ContextoDaAnalise&) = delete;

    db::TModuloDados& Modulo;
    db::Conexao& Banco;
    // Every statement of the run that does not say otherwise runs here; no time-out.
    db::Consulta Trabalho;
    // "select * from PrgAgr where idPrgAgr=:idPrgAgr" (integer parameter), prepared
    // for the procedure phases.
    db::Consulta ProgramaAgregado;
    // The loaded dictionary; the structure comparison widens sizes in it.
    dicionario::DicionarioDeDados& Dicionario;
    const OpcoesDaAnalise Opcoes;
    const std::vector<std::string> ListaDeOpcoes;
    std::vector<std::string> LinhasDeScript;
    std::vector<std::string> TabelasDeParametro;
    std::vector<std::string> ProgramasAgregados;  // idPrgAgr values as decimal texts
    // The previous analysis never registered its end: every existing table is processed,
    // so that what it removed and did not create again comes back.
    bool RefazerTodasAsTabelas = false;
    const std::string NomeDoBanco;
    // The server version up to its first "."; 10 when it cannot be read as a number.
    const int VersaoMaior;
    InterfaceDoComando& Interface;

    // A row of the error list (shown by the front end and kept for the status row).
    void AdicionarErro(const std::string& tabela, const std::string& campo,
                       const std::string& funcao, const std::string& descricao,
                       const std::string& comando);
    const std::vector<LinhaDeErro>& Erros() const { return erros_; }

    // Asks the front end; once a cancellation is seen every later check sees it too.
    bool Cancelado();
    // The state as last checked, without asking the front end again.
    bool FoiCancelado() const { return cancelado_; }

    // The progress window: rows added before it opened are handed to it when it opens.
    void AbrirEvolucao(const std::string& titulo);
    void FinalizarEvolucao(bool concluido);
    bool EvolucaoFinalizada() const { return finalizada_; }

    void MostrarProgresso(const std::string& texto) { Interface.MostrarProgresso(texto); }
    void DefinirMaximoDaBarra(int maximo);
    void AvancarBarra();
    void CompletarBarra();

    // Runs one statement on the work dataset (server errors propagate).
    void Executar(const std::string& sql);
    // Opens `consulta` (closed first) over `sql`.
    void Abrir(db::Consulta& consulta, const std::string& sql);
    // Every statement of the run goes to the log (when it is enabled), for support.
    static void RegistrarComando(const std::string& sql);

  private:
    std::vector<LinhaDeErro> erros_;
    bool cancelado_ = false;
    bool aberta_ = false;
    bool finalizada_ = false;
    int posicao_ = 0;
    int maximo_ = 100;
};

// The major version of a server version text ("11.0.2100.60" -> 11); 10 when the part
// before the first "." is not a number.
int VersaoMaiorParaAnalise(const std::string& versao);

}  // namespace zolvek::analysis
