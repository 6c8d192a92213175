// INSERT t [(cols)] EXEC proc ... / EXEC ('...') / EXEC sp_executesql ...: the rows of
// every result set the call returns go into t, which the call does not return to the
// client. The call and the insert are one statement: a failure undoes both.

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/catalogo/mensagens_do_servidor.hpp"
#include "simulador/motor/catalogo/nomes_do_motor.hpp"
#include "simulador/motor/execucao/dados_alteracoes.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/funcoes/funcoes.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

// SQLite's limit on bound values, kept well under.
constexpr std::size_t kValoresPorInsercao = 30000;

}  // namespace

void AlteracoesDeDados::InserirDaExecucao(const instrucao::Inserir& c) {
    if (e_.estado_->insercoesExec > 0) throw ErroDoServidor(8164);
    Tabela* t = s_.CatalogoAtual().AcharTabela(c.objeto.Nome());
    if (!t) {
        if (s_.CatalogoAtual().AcharObjeto(c.objeto.Nome()))
            throw Recusa("O simulador de SQL Server não grava por meio de visões.");
        if (!c.objeto.Nome().empty() && c.objeto.Nome()[0] == '@')
            throw ErroDoServidor(1087, {c.objeto.Nome()});
        throw ErroDoServidor(208, {c.objeto.Nome()});
    }
    const std::string nome = t->nome;
    const bool identityLigado = IdentidadeLigada(nome);
    const std::vector<const ColunaDaTabela*> alvo = ColunasDaInsercao(c, *t, identityLigado);
    // the call runs inside a transaction of the statement's own, unless one is open
    const bool propria = !s_.EmTransacao();
    if (propria) s_.IniciarTransacao();
    db::Resultado total;
    total.linhasAfetadas = 0;
    try {
        if (nome.rfind('@', 0) != 0) s_.GarantirEscrita();  // a table variable takes no lock
        const std::size_t antes = resultados_.size();
        ++e_.estado_->insercoesExec;
        struct Fim {
            int& n;
            ~Fim() { --n; }
        } fim{e_.estado_->insercoesExec};
        execucao_.Rodar(*c.execucao);
        // the rows the call returned are the insert's; its counts stay the client's
        std::vector<db::Resultado> conjuntos;
        for (std::size_t k = antes; k < resultados_.size();) {
            if (resultados_[k].colunas.empty()) {
                ++k;
                continue;
            }
            conjuntos.push_back(std::move(resultados_[k]));
            resultados_.erase(resultados_.begin() + static_cast<std::ptrdiff_t>(k));
        }
        Tabela* atual = s_.CatalogoAtual().AcharTabela(nome);
        if (!atual) throw ErroDoServidor(208, {nome});
        for (const auto& r : conjuntos) {
            if (r.colunas.size() != alvo.size())
                throw ErroDoServidor(213, {c.colunasAlvo.empty() ? "" : "Insert Error: "});
            InserirLinhas(*atual, ColunasDaInsercao(c, *atual, identityLigado), r.linhas, total);
        }
        if (propria) s_.Confirmar();
    } catch (...) {
        if (propria && s_.EmTransacao()) s_.Desfazer();
        throw;
    }
    Contar(std::move(total));
}

// The rows go in by bound values, converted to their columns' types, in as few INSERTs as
// SQLite's limit on bound values allows; triggers fire for each.
void AlteracoesDeDados::InserirLinhas(const Tabela& t,
                                      const std::vector<const ColunaDaTabela*>& alvo,
                                      const std::vector<std::vector<db::Valor>>& linhas,
                                      db::Resultado& total) {
    std::string colunas, nomes, conversoes;
    for (std::size_t k = 0; k < alvo.size(); ++k) {
        const std::string n = "c" + std::to_string(k + 1);
        colunas += (k ? ", " : "") + ComoIdentificador(alvo[k]->nome);
        nomes += (k ? ", " : "") + n;
        conversoes += (k ? ", " : "") + ChamadaDeConversao(n, alvo[k]->tipo);
    }
    const std::size_t porVez = std::max<std::size_t>(1, kValoresPorInsercao / alvo.size());
    for (std::size_t inicio = 0; inicio < linhas.size(); inicio += porVez) {
        const std::size_t fim = std::min(linhas.size(), inicio + porVez);
        std::vector<db::Valor> valores;
        std::string tuplas;
        for (std::size_t l = inicio; l < fim; ++l) {
            tuplas += l == inicio ? "(" : ", (";
            for (std::size_t k = 0; k < alvo.size(); ++k) {
                valores.push_back(linhas[l][k]);
                tuplas += (k ? ", :zvl" : ":zvl") + std::to_string(valores.size());
            }
            tuplas += ")";
        }
        const std::string sql = "WITH zv_fonte(" + nomes + ") AS (VALUES " + tuplas +
                                ") INSERT INTO " + IdentificadorNoSqlite(t.nome) + " (" + colunas +
                                ") SELECT " + conversoes + " FROM zv_fonte";
        struct Literais {
            const std::vector<db::Valor>*& l;
            ~Literais() { l = nullptr; }
        } literais{e_.literais_ = &valores};
        db::Resultado r;
        auto feita = [&](const db::Resultado& x) { AnotarIdentidade(t, x); };
        if (!MudarComGatilhos(t, "INSERT", sql, {}, {}, 'I', r, feita)) {
            r = execucao_.Consultar(sql, 0, 'I', t.nome);
            feita(r);
        }
        total.linhasAfetadas += r.linhasAfetadas;
    }
}

}  // namespace zolvek::simulador
