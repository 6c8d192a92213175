// MERGE. The source's rows go to a temporary table and are paired with the target's by the
// ON condition; each pair, or lone row, takes the first WHEN clause whose condition holds.
// Then one UPDATE, one DELETE and one INSERT do the clauses' work, each with its triggers
// and OUTPUT as a statement of its own has them, all undone together on an error.

#include <algorithm>
#include <cctype>
#include <map>

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

using Quando = instrucao::AcaoDaMescla::Quando;

struct AlteracoesDeDados::Mescla {
    Tabela* alvo = nullptr;
    std::string nomeDoAlvo, nomeDaFonte;  // as the statement names them (alias or table)
    std::string apelido, apelidoDaFonte;  // the same in SQLite's text
    std::string tabela;                   // the target in SQLite's text
    std::string fonte, pares, acoes;      // the temporary tables
    std::string linha, linhaDaFonte;      // the row id columns
    Tabela tabelaDaFonte;
};

namespace {

std::optional<TipoSql> TipoUnico(const std::vector<std::optional<TipoSql>>& tipos) {
    return tipos.size() == 1 ? tipos[0] : std::nullopt;
}

bool EhNomeSimples(const std::string& nome) {
    if (nome.empty() || std::isdigit(static_cast<unsigned char>(nome[0]))) return false;
    return std::all_of(nome.begin(), nome.end(), [](char ch) {
        return std::isalnum(static_cast<unsigned char>(ch)) || ch == '_' || ch == '#' ||
               static_cast<unsigned char>(ch) >= 0x80;
    });
}

// "(1, 3)": the numbers of the clauses of an operation.
std::string ClausulasDe(const instrucao::Mesclar& c, char operacao) {
    std::string s;
    for (std::size_t k = 0; k < c.acoes.size(); ++k)
        if (c.acoes[k].operacao == operacao) s += (s.empty() ? "" : ", ") + std::to_string(k);
    return s.empty() ? "" : "(" + s + ")";
}

}  // namespace

void AlteracoesDeDados::Mesclar(const instrucao::Mesclar& c) {
    Tabela* t = s_.CatalogoAtual().AcharTabela(c.objeto.Nome());
    if (!t) {
        if (s_.CatalogoAtual().AcharObjeto(c.objeto.Nome()))
            throw Recusa("O simulador de SQL Server não grava por meio de visões.");
        throw ErroDoServidor(208, {c.objeto.Nome()});
    }
    Mescla m;
    m.alvo = t;
    m.nomeDoAlvo = c.apelido.empty() ? c.objeto.Nome() : c.apelido;
    m.nomeDaFonte = c.apelidoDaFonte.empty() ? c.tabelaDaFonte.Nome() : c.apelidoDaFonte;
    m.apelido = IdentificadorNoSqlite(m.nomeDoAlvo);
    m.apelidoDaFonte = IdentificadorNoSqlite(m.nomeDaFonte);
    m.tabela = IdentificadorNoSqlite(t->nome);
    m.linha = ColunaDaLinha(*t);
    if (c.saidaDaFonte)
        throw Recusa(
            "O simulador de SQL Server não devolve colunas da fonte no OUTPUT de um MERGE.");
    const std::string nivel = std::to_string(e_.estado_->aninhamento + 1);
    m.fonte = "temp.zv_fonte_" + nivel;
    m.pares = "temp.zv_pares_" + nivel;
    m.acoes = "temp.zv_acoes_" + nivel;
    auto descartar = [&] {
        for (const auto& n : {m.fonte, m.pares, m.acoes})
            sqlite3_exec(s_.Conexao(), ("DROP TABLE IF EXISTS " + n).c_str(), nullptr, nullptr,
                         nullptr);
    };
    struct Fim {
        std::vector<std::pair<std::string, Tabela*>>& e;
        ~Fim() { e.clear(); }
    } fim{e_.escopoAlvo_};
    const std::size_t antes = resultados_.size();
    std::int64_t total = 0;
    ComoUmaInstrucao(
        "zv_mescla_" + nivel,
        [&] {
            descartar();
            m.tabelaDaFonte = FonteDaMescla(c, m);
            m.linhaDaFonte = ColunaDaLinha(m.tabelaDaFonte);
            EscolherAcoes(c, m);
            total = AtualizarNaMescla(c, m) + ExcluirNaMescla(c, m) + InserirNaMescla(c, m);
            descartar();
        },
        descartar);
    // the OUTPUT rows of the three changes are one result
    if (resultados_.size() > antes + 1) {
        for (std::size_t k = antes + 1; k < resultados_.size(); ++k)
            for (auto& l : resultados_[k].linhas) resultados_[antes].linhas.push_back(std::move(l));
        resultados_.resize(antes + 1);
        resultados_[antes].linhasAfetadas =
            static_cast<std::int64_t>(resultados_[antes].linhas.size());
    }
    db::Resultado r;
    r.linhasAfetadas = total;
    Contar(std::move(r), c.saida);
}

// The source's rows in a temporary table, with its columns' types where they are known.
Tabela AlteracoesDeDados::FonteDaMescla(const instrucao::Mesclar& c, const Mescla& m) {
    std::vector<std::optional<TipoSql>> tipos;
    std::string consulta;
    Tabela fonte;
    if (c.tabelaDaFonte.Vazio()) {
        consulta = execucao_.Gerada(ArvoreDe(c.fonte), nullptr, &tipos);
    } else {
        const Tabela* t = s_.CatalogoAtual().AcharTabela(c.tabelaDaFonte.Nome());
        if (t && c.tabelaDaFonte.partes.size() == 1) fonte = *t;
        consulta = execucao_.Gerada(ArvoreDe(c.fonte));
    }
    fonte.nome = m.nomeDaFonte;
    if (fonte.colunas.empty()) {
        Preparada p;
        try {
            p = s_.Preparar(consulta);
        } catch (const FalhaDoSqlite& f) {
            execucao_.FalhaTraduzida(f, 'S', "");
        }
        const int n = sqlite3_column_count(p.Bruta());
        for (int k = 0; k < n; ++k) {
            ColunaDaTabela col;
            col.nome = sqlite3_column_name(p.Bruta(), k);
            // SQLite names an expression without alias by its text
            if (!sqlite3_column_origin_name(p.Bruta(), k) && !EhNomeSimples(col.nome))
                throw ErroDoServidor(8155, 1, {std::to_string(k + 1), m.nomeDaFonte});
            const auto& tipo =
                tipos.size() == static_cast<std::size_t>(n) ? tipos[k] : std::nullopt;
            col.tipo = tipo ? *tipo : TipoSql{TipoBase::SqlVariant};
            fonte.colunas.push_back(col);
        }
    }
    ExecutarSql(s_.Conexao(), DefinicaoDasLinhas(fonte, m.fonte));
    execucao_.Consultar("INSERT INTO " + m.fonte + " SELECT * FROM (" + consulta + ")", 0, 'S', "");
    return fonte;
}

// The pairs of target and source rows the ON condition joins, and the clause each pair
// (or lone row) takes: the first whose condition holds.
void AlteracoesDeDados::EscolherAcoes(const instrucao::Mesclar& c, const Mescla& m) {
    e_.escopoAlvo_ = {{m.nomeDoAlvo, m.alvo},
                      {m.nomeDaFonte, const_cast<Tabela*>(&m.tabelaDaFonte)}};
    const std::string alvo = m.tabela + " AS " + m.apelido;
    const std::string fonte = m.fonte + " AS " + m.apelidoDaFonte;
    const std::string linha = m.apelido + "." + m.linha;
    const std::string linhaDaFonte = m.apelidoDaFonte + "." + m.linhaDaFonte;
    ExecutarSql(s_.Conexao(), "CREATE TEMP TABLE " + m.pares.substr(5) + " (a, f)");
    ExecutarSql(s_.Conexao(), "CREATE TEMP TABLE " + m.acoes.substr(5) + " (a, f, k)");
    execucao_.Consultar("INSERT INTO " + m.pares + " SELECT " + linha + ", " + linhaDaFonte +
                            " FROM " + alvo + " JOIN " + fonte + " ON " +
                            execucao_.Gerada(ArvoreDe(c.condicao)),
                        0, 'S', "");
    for (std::size_t k = 0; k < c.acoes.size(); ++k) {
        const auto& a = c.acoes[k];
        const std::string e =
            a.condicao.Vazia() ? "" : " AND (" + execucao_.Gerada(ArvoreDe(a.condicao)) + ")";
        const std::string n = std::to_string(k);
        std::string sql = "INSERT INTO " + m.acoes;
        if (a.quando == Quando::Combinada)
            sql += " SELECT zv_p.a, zv_p.f, " + n + " FROM " + m.pares + " AS zv_p JOIN " + alvo +
                   " ON " + linha + " = zv_p.a JOIN " + fonte + " ON " + linhaDaFonte +
                   " = zv_p.f WHERE NOT EXISTS (SELECT 1 FROM " + m.acoes +
                   " AS zv_x WHERE zv_x.a = zv_p.a AND zv_x.f = zv_p.f)";
        else if (a.quando == Quando::SemAlvo)
            sql += " SELECT NULL, " + linhaDaFonte + ", " + n + " FROM " + fonte + " WHERE " +
                   linhaDaFonte + " NOT IN (SELECT f FROM " + m.pares +
                   ") AND NOT EXISTS (SELECT 1 FROM " + m.acoes +
                   " AS zv_x WHERE zv_x.f = " + linhaDaFonte + ")";
        else
            sql += " SELECT " + linha + ", NULL, " + n + " FROM " + alvo + " WHERE " + linha +
                   " NOT IN (SELECT a FROM " + m.pares + ") AND NOT EXISTS (SELECT 1 FROM " +
                   m.acoes + " AS zv_x WHERE zv_x.a = " + linha + ")";
        execucao_.Consultar(sql + e, 0, 'S', "");
    }
    if (!execucao_
             .Consultar("SELECT a FROM " + m.acoes +
                            " WHERE a IS NOT NULL AND f IS NOT NULL GROUP BY a HAVING COUNT(*) > 1",
                        0, 'S', "")
             .linhas.empty())
        throw ErroDoServidor(8672);
}

// One UPDATE for the UPDATE clauses (WHEN MATCHED and WHEN NOT MATCHED BY SOURCE): each row
// takes its clause's values, its source row beside it under the source's name.
std::int64_t AlteracoesDeDados::AtualizarNaMescla(const instrucao::Mesclar& c, const Mescla& m) {
    const std::string lista = ClausulasDe(c, 'U');
    if (lista.empty()) return 0;
    std::vector<std::string> colunas;
    std::map<std::string, std::vector<std::pair<std::size_t, std::string>>> valores;
    std::size_t clausulas = 0;
    for (std::size_t k = 0; k < c.acoes.size(); ++k) {
        if (c.acoes[k].operacao != 'U') continue;
        ++clausulas;
        for (const auto& [nome, expr] : c.acoes[k].atribuicoes) {
            const ColunaDaTabela* col = m.alvo->Coluna(nome);
            if (!col) throw ErroDoServidor(207, {nome});
            ExigirColunaGravavel(*col);
            if (col->identidade) throw ErroDoServidor(8102, {col->nome});
            if (col->tipo.base == TipoBase::RowVersion) throw ErroDoServidor(272);
            std::vector<std::optional<TipoSql>> tipo;
            const std::string e = execucao_.Gerada(ArvoreDe(expr), nullptr, &tipo);
            if (valores[col->nome].empty()) colunas.push_back(col->nome);
            valores[col->nome].emplace_back(k, ChamadaDeConversao(e, col->tipo, TipoUnico(tipo)));
        }
    }
    if (c.saida) RecusarChaveNaSaida(*m.alvo, colunas);
    std::string sql = "UPDATE " + m.tabela + " AS " + m.apelido + " SET ";
    for (std::size_t j = 0; j < colunas.size(); ++j) {
        const auto& v = valores[colunas[j]];
        std::string valor = v.front().second;
        if (clausulas > 1) {
            valor = "CASE zv_k";
            for (const auto& [k, e] : v) valor += " WHEN " + std::to_string(k) + " THEN " + e;
            valor += " ELSE " + m.apelido + "." + ComoIdentificador(colunas[j]) + " END";
        }
        sql += (j ? ", " : "") + ComoIdentificador(colunas[j]) + " = " + valor;
    }
    sql += " FROM (SELECT zv_x.a AS zv_a, zv_x.k AS zv_k, zv_f.* FROM " + m.acoes +
           " AS zv_x LEFT JOIN " + m.fonte + " AS zv_f ON zv_f." + m.linhaDaFonte +
           " = zv_x.f WHERE zv_x.k IN " + lista + ") AS " + m.apelidoDaFonte + " WHERE " +
           m.apelido + "." + m.linha + " = " + m.apelidoDaFonte + ".zv_a";
    db::Resultado r;
    if (!MudarComGatilhos(
            *m.alvo, "UPDATE", sql,
            [&] {
                return "SELECT " + m.linha + ", * FROM " + m.tabela + " WHERE " + m.linha +
                       " IN (SELECT a FROM " + m.acoes + " WHERE k IN " + lista + ")";
            },
            colunas, 'U', r, [](const db::Resultado&) {},
            SaidaDe(c.saida, c.objeto, *m.alvo, "UPDATE")))
        r = execucao_.Consultar(sql, 0, 'U', m.alvo->nome);
    return r.linhasAfetadas;
}

std::int64_t AlteracoesDeDados::ExcluirNaMescla(const instrucao::Mesclar& c, const Mescla& m) {
    const std::string lista = ClausulasDe(c, 'D');
    if (lista.empty()) return 0;
    const std::string linhas =
        m.linha + " IN (SELECT a FROM " + m.acoes + " WHERE k IN " + lista + ")";
    const std::string sql = "DELETE FROM " + m.tabela + " WHERE " + linhas;
    db::Resultado r;
    if (!MudarComGatilhos(
            *m.alvo, "DELETE", sql,
            [&] { return "SELECT " + m.linha + ", * FROM " + m.tabela + " WHERE " + linhas; }, {},
            'D', r, [](const db::Resultado&) {}, SaidaDe(c.saida, c.objeto, *m.alvo, "DELETE")))
        r = execucao_.Consultar(sql, 0, 'D', m.alvo->nome);
    return r.linhasAfetadas;
}

// The INSERT of WHEN NOT MATCHED: its values read the source row alone.
std::int64_t AlteracoesDeDados::InserirNaMescla(const instrucao::Mesclar& c, const Mescla& m) {
    const std::string lista = ClausulasDe(c, 'I');
    if (lista.empty()) return 0;
    const auto& a = *std::find_if(c.acoes.begin(), c.acoes.end(),
                                  [](const auto& x) { return x.operacao == 'I'; });
    if (a.valores.empty())
        throw Recusa(
            "O simulador de SQL Server não interpreta INSERT DEFAULT VALUES num "
            "MERGE.");
    const Tabela& t = *m.alvo;
    const bool identityLigado = IdentidadeLigada(t.nome);
    std::vector<const ColunaDaTabela*> alvo;
    for (const auto& col : t.colunas)
        if (a.colunas.empty() && !col.identidade && col.tipo.base != TipoBase::RowVersion &&
            col.calculo.empty())
            alvo.push_back(&col);
    for (const auto& n : a.colunas) {
        const ColunaDaTabela* col = t.Coluna(n);
        if (!col) throw ErroDoServidor(207, {n});
        ExigirColunaGravavel(*col);
        if (col->identidade && !identityLigado) throw ErroDoServidor(544, {t.nome});
        alvo.push_back(col);
    }
    if (a.valores.size() != alvo.size())
        throw ErroDoServidor(alvo.size() > a.valores.size() ? 109 : 110);
    e_.escopoAlvo_ = {{m.nomeDaFonte, const_cast<Tabela*>(&m.tabelaDaFonte)}};
    std::string colunas, valores;
    for (std::size_t k = 0; k < alvo.size(); ++k) {
        std::vector<std::optional<TipoSql>> tipo;
        const std::string e = execucao_.Gerada(ArvoreDe(a.valores[k]), nullptr, &tipo);
        colunas += (k ? ", " : "") + ComoIdentificador(alvo[k]->nome);
        valores += (k ? ", " : "") + ChamadaDeConversao(e, alvo[k]->tipo, TipoUnico(tipo));
    }
    const std::string sql = "INSERT INTO " + m.tabela + " (" + colunas + ") SELECT " + valores +
                            " FROM " + m.acoes + " AS zv_x JOIN " + m.fonte + " AS " +
                            m.apelidoDaFonte + " ON " + m.apelidoDaFonte + "." + m.linhaDaFonte +
                            " = zv_x.f WHERE zv_x.k IN " + lista + " ORDER BY zv_x.f";
    return InserirNaTabela(t, sql, SaidaDe(c.saida, c.objeto, t, "INSERT")).linhasAfetadas;
}

}  // namespace zolvek::simulador
