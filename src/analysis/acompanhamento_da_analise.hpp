#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/mudancas_da_analise.hpp"
#include "comum/erros.hpp"
#include "db/conexao.hpp"

// Follows one run of the analysis on its connection. Every statement that ran is read
// into the change registry. In a simulation the run also goes inside one transaction,
// rolled back at the end; a statement SQL Server refuses inside a transaction, or one
// that would end it, is held back; the changing statements are written to the script,
// in order, each ended by a GO line (those held back or failed as comments); and an
// ALTER COLUMN that can fail or lose data first counts the rows it would not convert.
namespace zolvek::analysis {

class AcompanhamentoDaAnalise {
  public:
    // Puts its observers in front of those the connection has (they still see every
    // command). A simulation begins its transaction here and takes the catalog's
    // picture inside it.
    AcompanhamentoDaAnalise(db::Conexao& conexao, bool simular, int versaoMaior);
    // Gives the connection its observers back; a simulation still open is rolled back.
    ~AcompanhamentoDaAnalise();
    AcompanhamentoDaAnalise(const AcompanhamentoDaAnalise&) = delete;
    AcompanhamentoDaAnalise& operator=(const AcompanhamentoDaAnalise&) = delete;

    bool Simulacao() const { return simular_; }
    // Statements run while paused (the run's own registration) are not changes of
    // the structure.
    void Pausar() { pausado_ = true; }
    // A simulation: rolls its transaction back. Safe to call more than once.
    void Encerrar();

    RegistroDeMudancas& Registro() { return registro_; }
    // The statements written so far (simulation), without a heading.
    const std::string& Script() const { return script_; }
    // "statement -- reason" of each statement held back.
    const std::vector<std::string>& Retidos() const { return retidos_; }
    // Why the simulation had to stop ("" when it did not): the server rolled its
    // transaction back, so nothing after that point would be what a run does.
    const std::string& Interrupcao() const { return interrupcao_; }

  private:
    void Antes(std::string_view sql);
    void Depois(std::string_view sql, const std::vector<db::Resultado>* resultados,
                const ErroDeBanco* erro);
    [[noreturn]] void Reter(std::string_view sql, const std::string& motivo);
    void ContarAntesDeAlterar(const Mudanca& m, std::string_view sql);
    std::optional<std::vector<std::int64_t>> Contar(const std::string& sql);
    void VerificarTransacao(std::string_view sql, const ErroDeBanco& erro);
    void Comentar(const std::string& motivo, std::string_view sql);
    void AcompanharPontoSalvo(std::string_view sql);

    // What was followed when a savepoint was saved, to go back to it when the run
    // rolls back to it (its versioning of a table that failed).
    struct PontoSalvo {
        std::string nome;
        RegistroDeMudancas registro;
        std::size_t script;
    };

    db::Conexao& conexao_;
    const bool simular_;
    const int versaoMaior_;
    db::ObservadorDeComandos observadorAnterior_;
    db::ObservadorDeDesfechos desfechosAnterior_;
    RegistroDeMudancas registro_;
    std::string script_;
    std::vector<std::string> retidos_;
    std::vector<PontoSalvo> pontos_;
    std::string interrupcao_;
    bool proprio_ = false;  // the statement being sent is one of this object's own counts
    bool pausado_ = false;
    bool encerrado_ = false;
};

}  // namespace zolvek::analysis
