// CREATE and DROP of tables and indexes.
#include <sqlite3.h>

#include <algorithm>
#include <set>

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/catalogo/nomes_do_motor.hpp"
#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/motor/execucao/definicoes.hpp"
#include "simulador/motor/execucao/definicoes_da_tabela.hpp"
#include "simulador/motor/execucao/sessao_de_execucao.hpp"
#include "simulador/motor/geracao/acoes_referenciais.hpp"
#include "simulador/motor/geracao/materializacao.hpp"
#include "simulador/motor/geracao/reescrita.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

void Definicoes::CriarTabela(const instrucao::CriarTabela& c) {
    ExigirEsquemaDbo(c.objeto.partes);
    Catalogo& cat = s_.CatalogoAtual();
    const std::string& nome = c.objeto.Nome();
    if (cat.IdDoObjeto(nome)) throw ErroDoServidor(2714, {nome});
    if (nome.empty()) throw ErroDoServidor(102, {std::string("'") + nome + "'"});
    // #T and ##T live as long as the session that made them
    if (nome[0] == '#') AnotarTemporaria(nome);
    std::vector<DefRestricao> restricoes;
    Tabela t = ColunasDeclaradas(nome, c.colunas, c.restricoes, restricoes);
    Atomico([&] {
        t.id = cat.NovoId();
        sqlite3* db = s_.Conexao();
        for (const auto& r : restricoes) AdicionarRestricao(cat, s_.Banco(), db, t, r, false, true);
        cat.GravarTabela(db, t);
        CriarTabelaSqlite(db, cat, *cat.AcharTabela(nome));
        for (const auto& r : t.restricoes)
            if (r.tipo == "F" && !IguaisCiAs(r.tabelaReferida, t.nome))
                AtualizarGatilhosDaChave(db, cat, t.nome, r, LadosDaChave::Referida);
        AposDdl();
    });
    resultados_.push_back(db::Resultado{});
}

// The columns of CREATE TABLE or DECLARE @t TABLE, checked as SQL Server checks them;
// `restricoes` receives the constraints of the columns and of the table.
Tabela Definicoes::ColunasDeclaradas(const std::string& nome, const std::vector<DefColuna>& colunas,
                                     const std::vector<DefRestricao>& daTabela,
                                     std::vector<DefRestricao>& restricoes) {
    Tabela t;
    t.nome = nome;
    t.criacao = FormatarDataHora(DataHoraAtual());
    int identidades = 0, versoes = 0;
    for (const auto& d : ColunasComTipos(colunas)) {
        if (t.Coluna(d.nome)) throw ErroDoServidor(2705, {d.nome, nome});
        if (d.identidade && ++identidades > 1) throw ErroDoServidor(2744, {nome});
        if (d.tipo.base == TipoBase::RowVersion && ++versoes > 1)
            throw ErroDoServidor(2738, {nome, d.nome});
        t.colunas.push_back(NovaColuna(d, nome));
        for (const auto& r : d.restricoes) restricoes.push_back(r);
    }
    if (t.colunas.empty()) throw ErroDoServidor(102, {"')'"});
    for (const auto& r : daTabela) restricoes.push_back(r);
    TiparColunasCalculadas(t);
    return t;
}

void Definicoes::ExcluirTabela(const instrucao::ExcluirTabela& c) {
    Catalogo& cat = s_.CatalogoAtual();
    Atomico([&] {
        sqlite3* db = s_.Conexao();
        for (const auto& nome : c.nomes) {
            Tabela* t = cat.AcharTabela(nome);
            if (!t) {
                if (c.seExistir) continue;
                throw ErroDoServidor(3701, {"table", nome});
            }
            for (Tabela* outra : cat.TabelasQueReferem(t->nome))
                if (outra->id != t->id)
                    for (const auto& f : outra->restricoes)
                        if (f.tipo == "F" && IguaisCiAs(f.tabelaReferida, t->nome))
                            throw ErroDoServidor(3726, {t->nome});
            std::vector<Restricao> chaves;  // to other tables, whose checks go with them
            for (const auto& f : t->restricoes)
                if (f.tipo == "F" && !IguaisCiAs(f.tabelaReferida, t->nome)) chaves.push_back(f);
            std::string nomeReal = t->nome;
            ExecutarSql(db, "DROP TABLE " + IdentificadorNoSqlite(nomeReal));
            if (Dobrar(nomeReal) == s_.Opcoes().identityInsert) s_.Opcoes().identityInsert.clear();
            cat.ExcluirTabela(db, nomeReal);
            for (const auto& f : chaves)
                AtualizarGatilhosDaChave(db, cat, nomeReal, f, LadosDaChave::Referida);
            ExcluirGruposSemChave(db, cat);
        }
        AposDdl();
    });
    resultados_.push_back(db::Resultado{});
}

namespace {

// A column is a key of the index once, or one of its included columns once, never both.
void ExigirColunasDistintas(const instrucao::CriarIndice& i) {
    std::vector<std::string> vistas;
    auto ver = [&](const std::string& nome) {
        if (std::any_of(vistas.begin(), vistas.end(),
                        [&](const std::string& v) { return IguaisCiAs(v, nome); }))
            throw ErroDoServidor(1909, {nome});
        vistas.push_back(nome);
    };
    for (const auto& c : i.colunasDoIndice) ver(c.nome);
    for (const auto& c : i.incluidas) ver(c);
}

}  // namespace

void Definicoes::CriarIndice(const instrucao::CriarIndice& c) {
    Catalogo& cat = s_.CatalogoAtual();
    Tabela* atual = cat.AcharTabela(c.objeto.Nome());
    if (!atual) throw ErroDoServidor(1088, {c.objeto.Nome()});
    Tabela t = *atual;
    if (t.IndicePeloNome(c.nomeDoIndice)) throw ErroDoServidor(1913, {c.nomeDoIndice, t.nome});
    Indice i;
    i.nome = c.nomeDoIndice;
    i.unico = c.unico;
    i.colunas = c.colunasDoIndice;
    i.filtro = c.filtro;
    for (const auto& coluna :
         i.filtro.empty() ? std::vector<std::string>{} : ColunasDaExpressao(i.filtro))
        if (!t.Coluna(coluna)) throw ErroDoServidor(207, {coluna});
    ExigirColunasDistintas(c);
    for (auto& col : i.colunas) {
        const ColunaDaTabela* cc = t.Coluna(col.nome);
        if (!cc) throw ErroDoServidor(1911, {col.nome});
        if (cc->tipo.tamanho < 0 || cc->tipo.base == TipoBase::Text ||
            cc->tipo.base == TipoBase::NText || cc->tipo.base == TipoBase::Image)
            throw ErroDoServidor(1919, {cc->nome, t.nome});
        col.nome = cc->nome;
    }
    for (const auto& nome : c.incluidas) {
        const ColunaDaTabela* cc = t.Coluna(nome);
        if (!cc) throw ErroDoServidor(1911, {nome});
        i.incluidas.push_back(cc->nome);
    }
    i.indid = ProximoIndid(t, false);
    t.indices.push_back(i);
    Atomico([&] {
        cat.GravarTabela(s_.Conexao(), t);
        // a table whose rebuild waits has no rows: its indexes are made with it
        if (!t.reconstrucaoAdiada) CriarIndiceSqlite(s_.Conexao(), t, i);
        AposDdl();
    });
    resultados_.push_back(db::Resultado{});
}

void Definicoes::ExcluirIndice(const instrucao::ExcluirIndice& c) {
    Catalogo& cat = s_.CatalogoAtual();
    Atomico([&] {
        for (const auto& [tabela, indice] : c.indices) {
            Tabela* atual = cat.AcharTabela(tabela.Nome());
            Indice* i = atual ? atual->IndicePeloNome(indice) : nullptr;
            if (!i) {
                if (c.seExistir) continue;
                throw ErroDoServidor(3701, 7, {"index", tabela.Nome() + "." + indice});
            }
            if (i->restricao != 0)
                throw ErroDoServidor(
                    3723, {atual->nome, i->nome, (i->primario ? "PRIMARY KEY" : "UNIQUE KEY")});
            Tabela t = *atual;
            Indice removido = *i;
            t.indices.erase(
                std::remove_if(t.indices.begin(), t.indices.end(),
                               [&](const Indice& x) { return x.indid == removido.indid; }),
                t.indices.end());
            ExcluirIndiceSqlite(s_.Conexao(), t, removido);
            cat.GravarTabela(s_.Conexao(), t);
        }
        AposDdl();
    });
    resultados_.push_back(db::Resultado{});
}

}  // namespace zolvek::simulador
