#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "db/conector/conector.hpp"
#include "simulador/motor/arvores/arvore_declarada.hpp"

namespace zolvek::simulador {

class Executor;
class SessaoDeExecucao;
struct AlvoAlteravel;
struct ColunaDaTabela;
struct ContextoDoGatilho;
struct EstadoDaExecucao;
struct PlanoDeLote;
struct Tabela;
struct TipoSql;

// The data changes a run makes: INSERT (VALUES, SELECT, EXEC, through a view or WITH
// query), UPDATE, DELETE and TRUNCATE TABLE, MERGE, SELECT ... INTO, with their OUTPUT
// and the AFTER and INSTEAD OF triggers they fire. A change runs as one statement of its
// executor's run: it asks the run for SQLite's text of its expressions and queries, runs
// its statements through it and works on the run's state (EstadoDaExecucao); a trigger's
// body runs in an executor of its own. Made for one statement, it keeps no state.
class AlteracoesDeDados {
  public:
    explicit AlteracoesDeDados(Executor& execucao);

    // dados_insercao.cpp, dados_insercao_exec.cpp
    void Inserir(const instrucao::Inserir& c);
    // dados_alteracoes.cpp
    void Atualizar(const instrucao::Atualizar& c);
    void Excluir(const instrucao::Excluir& c);  // and TRUNCATE TABLE
    void Mesclar(const instrucao::Mesclar& c);  // dados_mescla.cpp
    // SELECT ... INTO (dados_selecao_para.cpp)
    void SelecionarPara(const instrucao::Selecionar& c);
    // A grouped INSERT shares its transaction with the next ones: one that fires triggers,
    // or goes through a view, runs on its own (dados_gatilhos.cpp).
    bool InsercaoComGatilhos(const instrucao::Inserir& c);

  private:
    // What the changes' files share (dados_alteracoes.hpp); a MERGE's tables (dados_mescla.cpp).
    struct EmVezDe;
    struct LinhasEscolhidas;
    struct EscopoDaAlteracao;
    struct PartesDaAtualizacao;
    struct Mescla;
    using SaidaDaInstrucao = std::function<void(const ContextoDoGatilho&)>;

    // INSERT (dados_insercao.cpp). The SQLite text of an INSERT: its form's, when the
    // session compiled one of the same form (formas_de_insercao.hpp), or compiled now.
    void CompilarComForma(const instrucao::Inserir& c, const Tabela& t, bool identityLigado);
    // `ligados`: for each value, the literal it was bound to (-1: none).
    void CompilarInsercao(const instrucao::Inserir& c, const Tabela& t, bool identityLigado,
                          std::vector<int>* ligados);
    std::vector<const ColunaDaTabela*> ColunasDaInsercao(const instrucao::Inserir& c,
                                                         const Tabela& t, bool identityLigado);
    std::string ValorEscrito(const instrucao::ValorDaInsercao& v, std::optional<TipoSql>& tipo);
    std::string CompilarValores(const instrucao::Inserir& c, const Tabela& t,
                                const std::vector<const ColunaDaTabela*>& alvo,
                                const std::string& colunas, std::vector<db::Valor>* literais,
                                std::vector<int>* ligados);
    // INSERT ... EXEC: the rows of the result sets the call returns (dados_insercao_exec.cpp).
    void InserirDaExecucao(const instrucao::Inserir& c);
    void InserirLinhas(const Tabela& t, const std::vector<const ColunaDaTabela*>& alvo,
                       const std::vector<std::vector<db::Valor>>& linhas, db::Resultado& total);
    db::Resultado InserirNaTabela(const Tabela& t, const std::string& sql,
                                  const SaidaDaInstrucao& saida);
    bool IdentidadeLigada(const std::string& tabela) const;
    void AnotarIdentidade(const Tabela& t, const db::Resultado& r);

    // UPDATE and DELETE (dados_alteracoes.cpp), also through views and WITH queries.
    void CompilarExclusao(const instrucao::Excluir& c, const Tabela& t, const AlvoAlteravel* alvo);
    PartesDaAtualizacao CompilarAtualizacao(const instrucao::Atualizar& c, const Tabela& t,
                                            const AlvoAlteravel* alvo);
    Tabela& TabelaTruncada(const NomeComposto& objeto);
    void RecomecarIdentidade(const Tabela& t);
    void InserirPelaVisao(const instrucao::Inserir& c, const AlvoAlteravel& alvo);
    void FonteDaAlteracao(const NomeComposto& objeto, const ClausulasLidas& resto, std::string& de,
                          std::string& apelido, std::string& onde);
    std::string NomeDoAlvo(const NomeComposto& objeto, const ClausulasLidas& resto) const;
    std::unique_ptr<AlvoAlteravel> AlvoPorVisao(const std::vector<std::string>& nome,
                                                const instrucao::ConsultasNomeadas& com,
                                                char operacao,
                                                const std::vector<std::string>& colunas);
    std::string PrefixoCom(const instrucao::ConsultasNomeadas& com, const AlvoAlteravel* alvo);
    std::string LimiteDaAlteracao(const std::optional<instrucao::Topo>& topo,
                                  const LinhasEscolhidas& e);
    std::string LimiteDaInsercao(const instrucao::Inserir& c);
    std::unique_ptr<LinhasEscolhidas> EscolherLinhas(const NomeComposto& objeto,
                                                     const ClausulasLidas& resto,
                                                     const std::optional<instrucao::Topo>& topo,
                                                     const Tabela& t, const AlvoAlteravel* alvo);
    Tabela& TabelaAlterada(const NomeComposto& objeto, const ClausulasLidas& resto,
                           const instrucao::ConsultasNomeadas& com, char operacao,
                           const std::vector<std::string>& colunas,
                           std::unique_ptr<AlvoAlteravel>& alvo);
    void DefinirEscopoAlvo(const Tabela& alvo, const std::vector<Juncao>* de);

    // INSTEAD OF triggers (dados_em_vez_de.cpp).
    std::unique_ptr<EmVezDe> GatilhoEmVezDe(const std::string& nome, const std::string& evento);
    void RodarEmVezDe(EmVezDe& g, const std::string& evento,
                      const std::vector<std::string>& atualizadas,
                      const std::function<void(const ContextoDoGatilho&)>& encher);
    std::string LinhasDoObjeto(const NomeComposto& objeto, const ClausulasLidas& resto,
                               const std::optional<instrucao::Topo>& topo, const Tabela& colunas,
                               std::string& apelido);
    void ExcluirEmVezDe(const instrucao::Excluir& c, EmVezDe& g);
    void AtualizarEmVezDe(const instrucao::Atualizar& c, EmVezDe& g);
    void InserirEmVezDe(const instrucao::Inserir& c, EmVezDe& g);
    std::string LinhasDaInsercao(const instrucao::Inserir& c, const EmVezDe& g,
                                 const std::vector<const ColunaDaTabela*>& alvo,
                                 const std::string& inseridas);

    // AFTER triggers (dados_gatilhos.cpp).
    bool TemGatilhos(const Tabela& t);
    static std::vector<std::string> ColunasAtribuidas(const instrucao::Atualizar& c);
    std::vector<std::shared_ptr<PlanoDeLote>> GatilhosQueDisparam(const Tabela& t,
                                                                  const std::string& evento,
                                                                  std::vector<std::int64_t>& ids);
    bool MudarComGatilhos(const Tabela& tabela, const std::string& evento, const std::string& sql,
                          const std::function<std::string()>& antigas,
                          const std::vector<std::string>& atualizadas, char operacao,
                          db::Resultado& r, const std::function<void(const db::Resultado&)>& feita,
                          const SaidaDaInstrucao& saida = {});
    static std::string ColunasComALinha(const Tabela& t);
    void ComoUmaInstrucao(const std::string& ponto, const std::function<void()>& corpo,
                          const std::function<void()>& limpar);
    void CopiarLinhas(const db::Resultado& novas, const Tabela& t, const std::string& destino);
    void DispararGatilho(PlanoDeLote& plano, const ContextoDoGatilho& ctx, std::int64_t linhas,
                         int nivel);
    void RodarGatilho(PlanoDeLote& plano, const ContextoDoGatilho& ctx, std::int64_t linhas);
    [[noreturn]] void SairComTransacaoCondenada();

    // MERGE (dados_mescla.cpp).
    Tabela FonteDaMescla(const instrucao::Mesclar& c, const Mescla& m);
    void EscolherAcoes(const instrucao::Mesclar& c, const Mescla& m);
    std::int64_t AtualizarNaMescla(const instrucao::Mesclar& c, const Mescla& m);
    std::int64_t ExcluirNaMescla(const instrucao::Mesclar& c, const Mescla& m);
    std::int64_t InserirNaMescla(const instrucao::Mesclar& c, const Mescla& m);

    // The OUTPUT clause of INSERT, UPDATE and DELETE (dados_saida.cpp): nothing when the
    // statement has none.
    SaidaDaInstrucao SaidaDe(const std::optional<instrucao::ClausulaDeSaida>& s,
                             const NomeComposto& objeto, const Tabela& t,
                             const std::string& evento);
    void ProduzirSaida(const instrucao::ClausulaDeSaida& s, const ContextoDoGatilho& ctx,
                       const std::string& evento);
    void GravarSaida(const instrucao::ClausulaDeSaida& s, const std::string& consulta,
                     const std::vector<std::optional<TipoSql>>& tipos);
    const Tabela& DestinoDaSaida(const NomeComposto& destino);
    void RecusarChaveNaSaida(const Tabela& t, const std::vector<std::string>& colunas);
    // The row count of a data change reaches the client unless SET NOCOUNT is ON; one
    // whose OUTPUT went to the client has given its rows instead.
    void Contar(db::Resultado r);
    void Contar(db::Resultado r, const std::optional<instrucao::ClausulaDeSaida>& saida);

    // The duplicate key value a broken key tells (dados_chave_duplicada.cpp).
    std::string ValorDuplicado(const std::string& insercao, const Tabela& t);
    std::string ValorDuplicado(const PartesDaAtualizacao& p, const Tabela& t);
    std::string BuscarValorDuplicado(const std::string& novas, const std::string& outras,
                                     const Tabela& t);

    Executor& execucao_;
    SessaoDeExecucao& s_;
    EstadoDaExecucao& e_;
    std::vector<db::Resultado>& resultados_;
};

}  // namespace zolvek::simulador
