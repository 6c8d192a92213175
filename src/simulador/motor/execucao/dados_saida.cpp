// The OUTPUT clause of INSERT, UPDATE and DELETE. The statement's rows are captured as a
// trigger's inserted and deleted are (dados_gatilhos.cpp); the clause's list is then a
// query over them, whose rows go to the client or, with INTO, into a table.

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/catalogo/materializacao.hpp"
#include "simulador/motor/catalogo/mensagens_do_servidor.hpp"
#include "simulador/motor/catalogo/nomes_do_motor.hpp"
#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/motor/execucao/dados_alteracoes.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/funcoes/funcoes.hpp"
#include "simulador/motor/geracao/gerador_sqlite.hpp"
#include "simulador/motor/tipos/colacao.hpp"

#include <sqlite3.h>

namespace zolvek::simulador {

namespace {

std::string NomeEscrito(const NomeComposto& n) {
    std::string s;
    for (const auto& p : n.partes) s += (s.empty() ? "" : ".") + p;
    return s;
}

// A MERGE's list was read once for each change it makes.
const ConsultaLida& ConsultaDoEvento(const instrucao::ClausulaDeSaida& s,
                                     const std::string& evento) {
    if (!s.consulta.Vazia()) return s.consulta;
    if (evento == "INSERT") return s.daInsercao;
    return evento == "UPDATE" ? s.daAtualizacao : s.daExclusao;
}

}  // namespace

AlteracoesDeDados::SaidaDaInstrucao AlteracoesDeDados::SaidaDe(
    const std::optional<instrucao::ClausulaDeSaida>& s, const NomeComposto& objeto, const Tabela& t,
    const std::string& evento) {
    if (!s) return {};
    if (s->destino.Vazio() && TemGatilhos(t)) {
        std::vector<std::int64_t> ids;
        if (!GatilhosQueDisparam(t, evento, ids).empty())
            throw ErroDoServidor(334, {NomeEscrito(objeto)});
    }
    if (!s->destino.Vazio()) DestinoDaSaida(s->destino);  // refused before anything changes
    const instrucao::ClausulaDeSaida* clausula = &*s;
    return [this, clausula, evento](const ContextoDoGatilho& ctx) {
        ProduzirSaida(*clausula, ctx, evento);
    };
}

// The list as the query SELECT list FROM inserted, deleted (those the statement has),
// written for SQLite with the captured rows in their place and an UPDATE's old and new
// rows paired by their row ids.
void AlteracoesDeDados::ProduzirSaida(const instrucao::ClausulaDeSaida& s,
                                      const ContextoDoGatilho& ctx, const std::string& evento) {
    ContextoDeReescrita rc = execucao_.Contexto();
    rc.escopoPadrao.clear();
    rc.gatilho = &ctx;
    const std::string sql = GeradorSqlite(rc).Gerar(ArvoreDe(ConsultaDoEvento(s, evento)));
    const std::string primeira = evento == "DELETE" ? "deleted" : "inserted";
    const std::string linha = ColunaDaLinha(*ctx.tabela);
    std::string ordem;
    if (evento == "UPDATE") ordem = " WHERE inserted." + linha + " = deleted." + linha;
    ordem += " ORDER BY " + primeira + "." + linha;
    if (!s.destino.Vazio()) return GravarSaida(s, sql + ordem, rc.tiposDaSelecao);
    db::Resultado r = execucao_.Consultar(sql + ordem, 0, 'S', "", &rc.tiposDaSelecao);
    r.linhasAfetadas = static_cast<std::int64_t>(r.linhas.size());
    resultados_.push_back(std::move(r));
}

// OUTPUT ... INTO: a table without triggers, foreign keys or checks, as SQL Server demands.
const Tabela& AlteracoesDeDados::DestinoDaSaida(const NomeComposto& destino) {
    const std::string& nome = destino.Nome();
    Tabela* t = s_.CatalogoAtual().AcharTabela(nome);
    if (!t && !nome.empty() && nome[0] == '@') throw ErroDoServidor(1087, {nome});
    if (!t) throw ErroDoServidor(208, {nome});
    const std::string escrito = NomeEscrito(destino);
    if (TemGatilhos(*t)) throw ErroDoServidor(331, {escrito});
    for (Tabela* outra : s_.CatalogoAtual().Tabelas())
        for (const auto& r : outra->restricoes)
            if (r.tipo == "F" && !r.desabilitada &&
                (outra == t || IguaisCiAs(r.tabelaReferida, t->nome)))
                throw ErroDoServidor(332, {escrito, r.nome});
    for (const auto& r : t->restricoes)
        if (r.tipo == "C" && !r.desabilitada) throw ErroDoServidor(333, {escrito, r.nome});
    return *t;
}

// The rows of the OUTPUT query into the INTO table, each value converted to its column.
void AlteracoesDeDados::GravarSaida(const instrucao::ClausulaDeSaida& s,
                                    const std::string& consulta,
                                    const std::vector<std::optional<TipoSql>>& tipos) {
    const Tabela& t = DestinoDaSaida(s.destino);
    std::vector<const ColunaDaTabela*> alvo;
    if (s.colunasDoDestino.empty()) {
        for (const auto& col : t.colunas)
            if (!col.identidade && col.tipo.base != TipoBase::RowVersion) alvo.push_back(&col);
    } else {
        for (const auto& n : s.colunasDoDestino) {
            const ColunaDaTabela* col = t.Coluna(n);
            if (!col) throw ErroDoServidor(207, {n});
            if (col->identidade) throw ErroDoServidor(544, {t.nome});
            alvo.push_back(col);
        }
    }
    std::size_t n = 0;
    try {
        n = static_cast<std::size_t>(sqlite3_column_count(s_.Preparar(consulta).Bruta()));
    } catch (const FalhaDoSqlite& f) {
        execucao_.FalhaTraduzida(f, 'S', "");
    }
    if (n != alvo.size()) {
        if (s.colunasDoDestino.empty()) throw ErroDoServidor(213, {""});
        throw ErroDoServidor(n < alvo.size() ? 120 : 121);
    }
    std::string nomes, colunas, valores;
    for (std::size_t k = 0; k < n; ++k) {
        const std::string c = "c" + std::to_string(k + 1);
        nomes += (k ? ", " : "") + c;
        colunas += (k ? ", " : "") + ComoIdentificador(alvo[k]->nome);
        valores +=
            (k ? ", " : "") +
            ChamadaDeConversao(c, alvo[k]->tipo, tipos.size() == n ? tipos[k] : std::nullopt);
    }
    execucao_.Consultar("WITH zv_saida(" + nomes + ") AS (" + consulta + ") INSERT INTO " +
                            IdentificadorNoSqlite(t.nome) + " (" + colunas + ") SELECT " + valores +
                            " FROM zv_saida",
                        0, 'I', t.nome);
}

// An UPDATE's old and new rows are paired by SQLite's row key: one that changes the column
// that is that key cannot pair them.
void AlteracoesDeDados::RecusarChaveNaSaida(const Tabela& t,
                                            const std::vector<std::string>& colunas) {
    const ColunaDaTabela* chave = ChaveNaLinha(t);
    for (const auto& c : colunas)
        if (chave && IguaisCiAs(c, chave->nome))
            throw Recusa(
                "O simulador de SQL Server não devolve OUTPUT de um UPDATE que muda a "
                "chave primária inteira ('" +
                chave->nome + "').");
}

void AlteracoesDeDados::Contar(db::Resultado r) {
    e_.estado_->linhas = r.linhasAfetadas;
    if (!s_.Opcoes().semContagem) resultados_.push_back(std::move(r));
}

void AlteracoesDeDados::Contar(db::Resultado r,
                               const std::optional<instrucao::ClausulaDeSaida>& saida) {
    if (saida && saida->destino.Vazio())
        e_.estado_->linhas = r.linhasAfetadas;
    else
        Contar(std::move(r));
}

}  // namespace zolvek::simulador
