// ALTER TABLE: columns and constraints added, a column's type or nullability changed,
// constraints and columns dropped, constraints disabled and enabled.
#include <sqlite3.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/catalogo/nomes_do_motor.hpp"
#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/motor/execucao/definicoes.hpp"
#include "simulador/motor/execucao/definicoes_da_tabela.hpp"
#include "simulador/motor/execucao/sessao_de_execucao.hpp"
#include "simulador/motor/geracao/materializacao.hpp"
#include "simulador/motor/geracao/reconstrucao_adiada.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

// The objects that depend on a column, for ALTER/DROP COLUMN.
struct Dependencia {
    std::string nome;
    bool indice = false;
    bool primario = false;
    bool padrao = false;
    bool checagem = false;
};

std::vector<Dependencia> Dependencias(Catalogo& cat, const Tabela& t, const std::string& coluna) {
    std::vector<Dependencia> r;
    for (const auto& i : t.indices) {
        bool usa = std::any_of(i.incluidas.begin(), i.incluidas.end(),
                               [&](const std::string& c) { return IguaisCiAs(c, coluna); });
        for (const auto& c : i.colunas) usa = usa || IguaisCiAs(c.nome, coluna);
        if (usa) r.push_back({i.nome, i.restricao == 0, i.primario, false, false});
    }
    for (const auto& rr : t.restricoes) {
        if (rr.tipo == "D" && IguaisCiAs(rr.colunas[0].nome, coluna))
            r.push_back({rr.nome, false, false, true, false});
        if (rr.tipo == "F")
            for (const auto& c : rr.colunas)
                if (IguaisCiAs(c.nome, coluna)) r.push_back({rr.nome, false, false, false, false});
        if (rr.tipo == "C") {
            auto cols = ColunasDaExpressao(t, rr.texto);
            for (const auto& c : cols)
                if (IguaisCiAs(c, coluna)) r.push_back({rr.nome, false, false, false, true});
        }
    }
    for (Tabela* outra : cat.TabelasQueReferem(t.nome))
        for (const auto& rr : outra->restricoes)
            if (rr.tipo == "F" && IguaisCiAs(rr.tabelaReferida, t.nome))
                for (const auto& c : rr.colunasReferidas)
                    if (IguaisCiAs(c, coluna)) r.push_back({rr.nome, false, false, false, false});
    return r;
}

std::map<std::string, std::string> MesmasColunas(const Tabela& t) {
    std::map<std::string, std::string> m;
    for (const auto& c : t.colunas) m[Dobrar(c.nome)] = c.nome;
    return m;
}

bool TemLinhas(sqlite3* db, const std::string& tabela) {
    Instrucao q(db, "SELECT 1 FROM " + IdentificadorNoSqlite(tabela) + " LIMIT 1");
    return q.Passo();
}

// Whether the table is made again now. A change only SQLite's constraints tell of waits
// while the table has no rows (reconstrucaoAdiada); a rebuild makes what waited as well.
bool ReconstruirAgora(sqlite3* db, Tabela& t, const Tabela& antiga, bool precisa) {
    if (!precisa) return false;
    t.reconstrucaoAdiada = PodeAdiarReconstrucao(db, t, antiga);
    return !t.reconstrucaoAdiada;
}

// How ALTER COLUMN changes a column, which tells the objects on it that allow the change.
struct MudancaDaColuna {
    bool mesmoTipo = false;
    bool mesmaAnulabilidade = false;
    bool cresce = false;     // a longer varchar, nvarchar or varbinary, nullability kept
    bool mesmaBase = false;  // another length, precision or scale of the same type
    bool variavel = false;   // of the same variable-length type
};

// 5074 for the first object on the column that does not allow the change.
void ExigirColunaAlteravel(Catalogo& cat, const Tabela& t, const ColunaDaTabela& col,
                           const MudancaDaColuna& m) {
    for (const auto& dep : Dependencias(cat, t, col.nome)) {
        // a default allows another length, precision or scale of the same type
        if (dep.padrao && m.mesmaBase) continue;
        // a CHECK allows another length of a variable-length column
        if (dep.checagem && m.variavel && m.mesmaAnulabilidade) continue;
        if (dep.indice && !dep.primario && (m.cresce || (m.mesmoTipo && m.mesmaAnulabilidade)))
            continue;
        if (!dep.indice && !dep.padrao && !dep.primario && m.mesmoTipo && m.mesmaAnulabilidade)
            continue;
        if (dep.nome.empty()) continue;
        bool eIndice = dep.indice;
        // a UNIQUE constraint's index may grow too
        if (!dep.primario && m.cresce) {
            const Indice* ind = nullptr;
            for (const auto& i : t.indices)
                if (IguaisCiAs(i.nome, dep.nome)) ind = &i;
            if (ind) continue;
        }
        throw ComMensagemSeguinte(
            ErroDoServidor(5074, {(eIndice ? "index" : "object"), dep.nome, col.nome}), 4922,
            {std::string("ALTER COLUMN ") + col.nome});
    }
}

// A PRIMARY KEY or UNIQUE constraint another table's foreign key references stays (3725).
void ExigirChaveSemReferencias(Catalogo& cat, const Tabela& t, const Restricao& r) {
    for (Tabela* outra : cat.TabelasQueReferem(t.nome))
        for (const auto& f : outra->restricoes)
            if (f.tipo == "F" && IguaisCiAs(f.tabelaReferida, t.nome) && outra->id != t.id) {
                std::set<std::string> a, b;
                for (const auto& x : f.colunasReferidas) a.insert(Dobrar(x));
                for (const auto& x : r.colunas) b.insert(Dobrar(x.nome));
                if (a == b)
                    throw ComMensagemSeguinte(ErroDoServidor(3725, {r.nome, outra->nome, f.nome}),
                                              3727);
            }
}

// ALTER TABLE T ENABLE TRIGGER: every trigger is on already, so only the names are checked.
void ConferirGatilhosDaTabela(const Catalogo& cat, const Tabela& t,
                              const std::vector<std::string>& nomes) {
    const auto gatilhos = cat.GatilhosDe(t.id);
    for (const std::string& nome : nomes) {
        bool achado = false;
        for (const ObjetoProgramado* g : gatilhos) achado = achado || IguaisCiAs(g->nome, nome);
        if (!achado) throw ErroDoServidor(4920, {nome, t.nome});
    }
}

}  // namespace

void Definicoes::AlterarTabela(const instrucao::AlterarTabela& c) {
    Catalogo& cat = s_.CatalogoAtual();
    Tabela* atual = cat.AcharTabela(c.objeto.Nome());
    if (!atual) {
        throw ErroDoServidor(4902, {c.objeto.Nome()});
    }
    if (c.acao == AcaoAlterar::HabilitarGatilhos) {
        ConferirGatilhosDaTabela(cat, *atual, c.nomes);
        resultados_.push_back(db::Resultado{});
        return;
    }
    const Tabela antiga = *atual;
    Tabela t = antiga;
    Atomico([&] {
        switch (c.acao) {
            case AcaoAlterar::Adicionar:
                AdicionarNaTabela(c, cat, t, antiga);
                break;
            case AcaoAlterar::AlterarColuna:
                if (!AlterarColuna(c, cat, t, antiga)) return;  // nothing changes
                break;
            case AcaoAlterar::ExcluirRestricao:
                ExcluirRestricoes(c, cat, t, antiga);
                break;
            case AcaoAlterar::ExcluirColuna:
                ExcluirColunas(c, cat, t, antiga);
                break;
            case AcaoAlterar::Verificacao:
                HabilitarRestricoes(c, t, antiga);
                break;
            case AcaoAlterar::HabilitarGatilhos:
                break;
        }
        AposDdl();
    });
    resultados_.push_back(db::Resultado{});
}

// ALTER TABLE T [WITH CHECK | WITH NOCHECK] CHECK | NOCHECK CONSTRAINT ALL | name, ...:
// a disabled foreign key or check is not enforced (its triggers and SQLite's CHECK go);
// enabling it WITH CHECK validates the rows first and makes it trusted again.
void Definicoes::HabilitarRestricoes(const instrucao::AlterarTabela& c, Tabela& t,
                                     const Tabela& antiga) {
    Catalogo& cat = s_.CatalogoAtual();
    sqlite3* db = s_.Conexao();
    const bool habilitar = c.ligado;
    const bool validar = habilitar && c.comVerificacao.value_or(false);
    std::vector<Restricao*> alvo;
    if (c.nomes.empty()) {
        for (auto& r : t.restricoes)
            if (r.tipo == "F" || r.tipo == "C") alvo.push_back(&r);
    }
    for (const auto& nome : c.nomes) {
        Restricao* r = t.RestricaoPeloNome(nome);
        if (!r) throw ComMensagemSeguinte(ErroDoServidor(4917, {nome}), 4916);
        if (r->tipo != "F" && r->tipo != "C")
            throw ComMensagemSeguinte(ErroDoServidor(11415, {r->nome}), 4916);
        alvo.push_back(r);
    }
    bool reconstruir = false;
    std::vector<Restricao> chaves;  // the foreign keys turned on or off
    for (Restricao* r : alvo) {
        if (validar) VerificarLinhasExistentes(s_.Banco(), db, t, *r);
        if (r->desabilitada == !habilitar && !validar) continue;
        if (r->tipo == "C" && r->desabilitada == habilitar) reconstruir = true;
        if (r->tipo == "F" && r->desabilitada == habilitar) chaves.push_back(*r);
        r->desabilitada = !habilitar;
        // enabled without WITH CHECK it stays untrusted: the rows were not looked at
        if (!habilitar)
            r->semVerificacao = true;
        else if (validar)
            r->semVerificacao = false;
    }
    reconstruir = ReconstruirAgora(db, t, antiga, reconstruir);
    cat.GravarTabela(db, t);
    const Tabela& gravada = *cat.AcharTabela(t.nome);
    if (reconstruir) ReconstruirTabela(db, cat, gravada, antiga, MesmasColunas(antiga));
    if (gravada.reconstrucaoAdiada) return;  // its keys' triggers are made with it
    // a rebuilt table has its own side made again already
    for (const auto& r : chaves)
        AtualizarGatilhosDaChave(db, cat, t.nome, r,
                                 reconstruir ? LadosDaChave::Referida : LadosDaChave::Ambos);
}

// ADD of columns and constraints: the table is rebuilt for a column or a CHECK or DEFAULT,
// only given the new indexes otherwise.
void Definicoes::AdicionarNaTabela(const instrucao::AlterarTabela& c, Catalogo& cat, Tabela& t,
                                   const Tabela& antiga) {
    sqlite3* db = s_.Conexao();
    bool verificar = c.comVerificacao.value_or(true);
    auto origem = MesmasColunas(antiga);
    bool reconstruir = !c.colunas.empty();
    bool temLinhas = !c.colunas.empty() && TemLinhas(db, t.nome);
    std::vector<DefRestricao> restricoes;
    for (const auto& d : ColunasComTipos(c.colunas)) {
        if (t.Coluna(d.nome)) throw ErroDoServidor(2705, {d.nome, t.nome});
        if (d.identidade && t.Identidade()) throw ErroDoServidor(2744, {t.nome});
        ColunaDaTabela col = NovaColuna(d, t.nome);
        bool temPadrao = std::any_of(d.restricoes.begin(), d.restricoes.end(),
                                     [](const DefRestricao& r) { return r.tipo == "D"; });
        if (!col.anulavel && !temPadrao && !col.identidade &&
            col.tipo.base != TipoBase::RowVersion && temLinhas)
            throw ErroDoServidor(4901, {d.nome, t.nome});
        if (col.anulavel && temPadrao && !d.comValores)
            origem[Dobrar(col.nome)] = "";  // existing rows get NULL
        t.colunas.push_back(col);
        for (const auto& r : d.restricoes) restricoes.push_back(r);
    }
    for (const auto& r : c.restricoes) restricoes.push_back(r);
    std::vector<Restricao> chaves;  // the new foreign keys
    bool soIndices = !reconstruir;
    for (const auto& r : restricoes) {
        AdicionarRestricao(cat, s_.Banco(), db, t, r, verificar, false);
        if (r.tipo == "C" || r.tipo == "D") reconstruir = true;
        if (r.tipo == "F") chaves.push_back(t.restricoes.back());
    }
    reconstruir = ReconstruirAgora(db, t, antiga, reconstruir);
    cat.GravarTabela(db, t);
    const Tabela& gravada = *cat.AcharTabela(t.nome);
    if (reconstruir) {
        ReconstruirTabela(db, cat, gravada, antiga, origem);
    } else if (gravada.reconstrucaoAdiada) {
        return;  // its indexes and its keys' triggers are made with it
    } else if (soIndices) {
        for (const auto& i : gravada.indices)
            if (std::none_of(antiga.indices.begin(), antiga.indices.end(),
                             [&](const Indice& x) { return IguaisCiAs(x.nome, i.nome); }))
                CriarIndiceSqlite(db, gravada, i);
    }
    for (const auto& r : chaves)
        AtualizarGatilhosDaChave(db, cat, t.nome, r,
                                 reconstruir ? LadosDaChave::Referida : LadosDaChave::Ambos);
}

// ALTER COLUMN: false when the column stays as it is.
bool Definicoes::AlterarColuna(const instrucao::AlterarTabela& c, Catalogo& cat, Tabela& t,
                               const Tabela& antiga) {
    sqlite3* db = s_.Conexao();
    const DefColuna d = ColunasComTipos(c.colunas)[0];
    ColunaDaTabela* col = t.Coluna(d.nome);
    if (!col) throw ErroDoServidor(4924, {"ALTER TABLE ALTER COLUMN", d.nome, t.nome});
    if (d.identidade) throw ErroDoServidor(156, {"IDENTITY"});
    if (col->tipo.base == TipoBase::RowVersion || d.tipo.base == TipoBase::RowVersion)
        throw ErroDoServidor(4928, {col->nome});
    bool mesmoTipo = col->tipo == d.tipo;
    bool anulavel = d.anulavel.value_or(true);
    if (col->identidade) anulavel = false;
    if (mesmoTipo && anulavel == col->anulavel) return false;  // nothing changes
    bool cresce = col->tipo.base == d.tipo.base &&
                  (d.tipo.base == TipoBase::VarChar || d.tipo.base == TipoBase::NVarChar ||
                   d.tipo.base == TipoBase::VarBinary) &&
                  d.tipo.tamanho >= col->tipo.tamanho && col->tipo.tamanho > 0 &&
                  anulavel == col->anulavel;
    bool mesmaBase = col->tipo.base == d.tipo.base;
    bool variavel =
        mesmaBase && (d.tipo.base == TipoBase::VarChar || d.tipo.base == TipoBase::NVarChar ||
                      d.tipo.base == TipoBase::VarBinary);
    ExigirColunaAlteravel(cat, t, *col,
                          {mesmoTipo, anulavel == col->anulavel, cresce, mesmaBase, variavel});
    col->tipo = d.tipo;
    col->anulavel = anulavel;
    col->tipoDoUsuario = d.tipoDoUsuario;
    const bool agora = ReconstruirAgora(db, t, antiga, true);
    cat.GravarTabela(db, t);
    if (!agora) return true;
    try {
        ReconstruirTabela(db, cat, *cat.AcharTabela(t.nome), antiga, MesmasColunas(antiga));
    } catch (const FalhaDoSqlite& f) {
        FalhaTraduzida(f, 'U', t.nome);
    }
    return true;
}

void Definicoes::ExcluirRestricoes(const instrucao::AlterarTabela& c, Catalogo& cat, Tabela& t,
                                   const Tabela& antiga) {
    sqlite3* db = s_.Conexao();
    std::vector<Restricao> chaves;  // the foreign keys dropped
    bool reconstruir = false;
    std::vector<Indice> indicesRemovidos;
    for (const auto& nome : c.nomes) {
        Restricao* r = t.RestricaoPeloNome(nome);
        if (!r) throw ComMensagemSeguinte(ErroDoServidor(3728, {nome}), 3727);
        if (r->tipo == "PK" || r->tipo == "UQ") {
            ExigirChaveSemReferencias(cat, t, *r);
            std::int64_t id = r->id;
            for (auto it = t.indices.begin(); it != t.indices.end();)
                if (it->restricao == id) {
                    indicesRemovidos.push_back(*it);
                    it = t.indices.erase(it);
                } else {
                    ++it;
                }
        }
        if (r->tipo == "F") chaves.push_back(*r);
        if (r->tipo == "C" || r->tipo == "D") reconstruir = true;
        std::string n = r->nome;
        t.restricoes.erase(
            std::remove_if(t.restricoes.begin(), t.restricoes.end(),
                           [&](const Restricao& x) { return IguaisCiAs(x.nome, n); }),
            t.restricoes.end());
    }
    // a primary key kept as SQLite's row key goes only with the table rebuilt
    if (std::any_of(indicesRemovidos.begin(), indicesRemovidos.end(),
                    [&](const Indice& i) { return IndiceNaLinha(db, antiga, i); }))
        reconstruir = true;
    reconstruir = ReconstruirAgora(db, t, antiga, reconstruir);
    cat.GravarTabela(db, t);
    const Tabela& gravada = *cat.AcharTabela(t.nome);
    if (reconstruir) {
        ReconstruirTabela(db, cat, gravada, antiga, MesmasColunas(antiga));
    } else {
        // a row key waits for the table to be made again, without it
        for (const auto& i : indicesRemovidos)
            if (!IndiceNaLinha(db, antiga, i)) ExcluirIndiceSqlite(db, antiga, i);
    }
    for (const auto& r : chaves) AtualizarGatilhosDaChave(db, cat, t.nome, r);
}

void Definicoes::ExcluirColunas(const instrucao::AlterarTabela& c, Catalogo& cat, Tabela& t,
                                const Tabela& antiga) {
    sqlite3* db = s_.Conexao();
    auto origem = MesmasColunas(antiga);
    for (const auto& nome : c.nomes) {
        ColunaDaTabela* col = t.Coluna(nome);
        if (!col) throw ErroDoServidor(4924, {"ALTER TABLE DROP COLUMN", nome, t.nome});
        for (const auto& dep : Dependencias(cat, t, col->nome))
            throw ComMensagemSeguinte(
                ErroDoServidor(5074, {(dep.indice ? "index" : "object"), dep.nome, col->nome}),
                4922, {std::string("DROP COLUMN ") + col->nome});
        origem.erase(Dobrar(col->nome));
        std::string n = col->nome;
        t.colunas.erase(
            std::remove_if(t.colunas.begin(), t.colunas.end(),
                           [&](const ColunaDaTabela& x) { return IguaisCiAs(x.nome, n); }),
            t.colunas.end());
    }
    if (t.colunas.empty()) throw ErroDoServidor(4923, {c.nomes.back(), t.nome});
    t.reconstrucaoAdiada = false;  // made now with the rest
    cat.GravarTabela(db, t);
    ReconstruirTabela(db, cat, *cat.AcharTabela(t.nome), antiga, origem);
}

}  // namespace zolvek::simulador
