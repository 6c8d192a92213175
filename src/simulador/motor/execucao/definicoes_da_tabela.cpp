#include "simulador/motor/execucao/definicoes_da_tabela.hpp"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <random>

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/nomes_do_motor.hpp"
#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/motor/geracao/acoes_referenciais.hpp"
#include "simulador/motor/geracao/materializacao.hpp"
#include "simulador/motor/geracao/reescrita.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

std::string Sufixo() {
    static thread_local std::mt19937 g{std::random_device{}()};
    char b[20];
    std::snprintf(b, sizeof b, "%08X", static_cast<unsigned>(g()));
    return b;
}

std::string NomeGerado(const std::string& tipo, const Tabela& t, const std::string& coluna) {
    std::string prefixo = tipo == "PK"   ? "PK"
                          : tipo == "UQ" ? "UQ"
                          : tipo == "F"  ? "FK"
                          : tipo == "C"  ? "CK"
                                         : "DF";
    std::string n = prefixo + "__" + t.nome.substr(0, 12) + "__";
    if (!coluna.empty()) n += coluna.substr(0, 12) + "__";
    return n + Sufixo();
}

}  // namespace

std::vector<std::string> ColunasDaExpressao(const Tabela& t, const std::string& texto) {
    std::vector<std::string> r;
    for (const auto& tk : Tokenizar(texto)) {
        if (!EhNome(tk)) continue;
        const ColunaDaTabela* c = t.Coluna(tk.texto);
        if (c && std::find(r.begin(), r.end(), c->nome) == r.end()) r.push_back(c->nome);
    }
    return r;
}

int ProximoIndid(const Tabela& t, bool clusterizado) {
    if (clusterizado && std::none_of(t.indices.begin(), t.indices.end(),
                                     [](const Indice& i) { return i.indid == 1; }))
        return 1;
    int n = 1;
    for (const auto& i : t.indices) n = std::max(n, i.indid);
    return n + 1;
}

void VerificarLinhasExistentes(const std::string& banco, sqlite3* db, const Tabela& t,
                               const Restricao& r) {
    if (r.tipo == "F") {
        std::string cond, nn;
        for (std::size_t k = 0; k < r.colunas.size(); ++k) {
            nn += "f." + ComoIdentificador(r.colunas[k].nome) + " IS NOT NULL AND ";
            cond += (k ? " AND " : "") + std::string("p.") +
                    ComoIdentificador(r.colunasReferidas[k]) + " = f." +
                    ComoIdentificador(r.colunas[k].nome);
        }
        Instrucao q(db, "SELECT 1 FROM " + IdentificadorNoSqlite(t.nome) + " f WHERE " + nn +
                            "NOT EXISTS (SELECT 1 FROM " + IdentificadorNoSqlite(r.tabelaReferida) +
                            " p WHERE " + cond + ") LIMIT 1");
        if (q.Passo())
            throw ErroDoServidor(547,
                                 {"ALTER TABLE", "FOREIGN KEY", r.nome, banco, r.tabelaReferida,
                                  std::string(", column '") + r.colunasReferidas[0] + "'"});
        return;
    }
    if (r.tipo != "C") return;
    bool viola = false;
    try {
        Instrucao q(db, "SELECT 1 FROM " + IdentificadorNoSqlite(t.nome) + " WHERE NOT (" +
                            ExpressaoParaSqlite(r.texto) + ") LIMIT 1");
        viola = q.Passo();
    } catch (const FalhaDoSqlite& f) {
        std::string m = f.what();
        if (m.find("no such column: ") != std::string::npos)
            throw ErroDoServidor(207, {m.substr(m.find(": ") + 2)});
        throw;
    }
    if (viola)
        throw ErroDoServidor(
            547, {"ALTER TABLE", "CHECK", r.nome, banco, t.nome,
                  (r.colunas.empty() ? std::string() : ", column '" + r.colunas[0].nome + "'")});
}

namespace {

// The constraint `def` declares on `t`, named (by the server when it has no name) and with
// its columns as the table writes them; 2714 for a name taken, 207 or 1911 for a column
// the table lacks.
Restricao RestricaoNomeada(Catalogo& cat, Tabela& t, const DefRestricao& def, bool verificar,
                           bool criandoTabela) {
    Restricao r;
    r.tipo = def.tipo;
    r.colunas = def.colunas;
    r.texto = def.texto;
    r.tabelaReferida = def.tabelaReferida;
    r.colunasReferidas = def.colunasReferidas;
    r.aoExcluir = def.aoExcluir;
    r.aoAtualizar = def.aoAtualizar;
    r.semVerificacao = !verificar && !criandoTabela;
    r.criacao = FormatarDataHora(DataHoraAtual());
    std::string primeiraColuna = r.colunas.empty() ? "" : r.colunas[0].nome;
    if (r.tipo == "C" && primeiraColuna.empty()) {
        auto cols = ColunasDaExpressao(t, r.texto);
        if (cols.size() == 1) r.colunas.push_back({cols[0], false});
    }
    r.nome = def.nome.empty()
                 ? NomeGerado(r.tipo, t,
                              r.tipo == "D" || r.tipo == "C" || r.tipo == "F" ? primeiraColuna : "")
                 : def.nome;
    if (cat.IdDoObjeto(r.nome) || t.RestricaoPeloNome(r.nome))
        throw ComMensagemSeguinte(ErroDoServidor(2714, {r.nome}), 1750);
    for (auto& c : r.colunas) {
        const ColunaDaTabela* col = t.Coluna(c.nome);
        if (!col) {
            if (r.tipo == "D") throw ErroDoServidor(207, {c.nome});
            throw ComMensagemSeguinte(ErroDoServidor(1911, {c.nome}), 1750);
        }
        c.nome = col->nome;
    }
    r.id = cat.NovoId();
    return r;
}

// PRIMARY KEY and UNIQUE: the index that enforces the key, over columns that can be keys.
void AdicionarIndiceDaChave(Tabela& t, const Restricao& r, bool criandoTabela) {
    if (r.tipo == "PK")
        for (const auto& x : t.restricoes)
            if (x.tipo == "PK") throw ComMensagemSeguinte(ErroDoServidor(1779, {t.nome}), 1750);
    for (const auto& c : r.colunas) {
        ColunaDaTabela* col = t.Coluna(c.nome);
        if (r.tipo == "PK" && col->anulavel) {
            if (!criandoTabela) throw ComMensagemSeguinte(ErroDoServidor(8111, {t.nome}), 1750);
            col->anulavel = false;
        }
        if (col->tipo.tamanho < 0 || col->tipo.base == TipoBase::Text ||
            col->tipo.base == TipoBase::NText || col->tipo.base == TipoBase::Image)
            throw ComMensagemSeguinte(ErroDoServidor(1919, {col->nome, t.nome}), 1750);
    }
    Indice i;
    i.nome = r.nome;
    i.unico = true;
    i.primario = r.tipo == "PK";
    i.restricao = r.id;
    i.colunas = r.colunas;
    i.indid = ProximoIndid(t, r.tipo == "PK");
    t.indices.push_back(i);
}

// Whether a unique index of `ref` has exactly the columns `colunas`, in any order.
bool EhChaveDaTabela(const Tabela& ref, const std::vector<std::string>& colunas) {
    bool casa = false;
    for (const auto& i : ref.indices) {
        if (!i.unico || i.colunas.size() != colunas.size()) continue;
        bool todas = true;
        for (const auto& c : i.colunas)
            if (std::none_of(colunas.begin(), colunas.end(),
                             [&](const std::string& x) { return IguaisCiAs(x, c.nome); }))
                todas = false;
        if (todas) casa = true;
    }
    return casa;
}

// FOREIGN KEY: the referenced table and key (its primary key when none is named), with
// the referenced names as that table writes them and columns of the same types.
void ResolverChaveEstrangeira(Catalogo& cat, const Tabela& t, Restricao& r) {
    const Tabela* ref =
        IguaisCiAs(r.tabelaReferida, t.nome) ? &t : cat.AcharTabela(r.tabelaReferida);
    if (!ref) throw ComMensagemSeguinte(ErroDoServidor(1767, {r.nome, r.tabelaReferida}), 1750);
    r.tabelaReferida = ref->nome;
    if (r.colunasReferidas.empty()) {
        for (const auto& i : ref->indices)
            if (i.primario)
                for (const auto& c : i.colunas) r.colunasReferidas.push_back(c.nome);
    }
    if (!EhChaveDaTabela(*ref, r.colunasReferidas) || r.colunasReferidas.size() != r.colunas.size())
        throw ComMensagemSeguinte(ErroDoServidor(1776, {ref->nome, r.nome}), 1750);
    for (std::size_t k = 0; k < r.colunas.size(); ++k) {
        const ColunaDaTabela* local = t.Coluna(r.colunas[k].nome);
        const ColunaDaTabela* remota = ref->Coluna(r.colunasReferidas[k]);
        r.colunasReferidas[k] = remota->nome;
        if (local->tipo.base != remota->tipo.base)
            throw ComMensagemSeguinte(
                ErroDoServidor(1778, {ref->nome, remota->nome, t.nome, local->nome, r.nome}), 1750);
    }
}

// DEFAULT: one per column, never on an identity or timestamp column.
void ExigirPadraoPermitido(const Tabela& t, const Restricao& r) {
    const ColunaDaTabela* col = t.Coluna(r.colunas[0].nome);
    if (t.PadraoDaColuna(col->nome)) throw ComMensagemSeguinte(ErroDoServidor(1781), 1750);
    if (col->identidade) throw ComMensagemSeguinte(ErroDoServidor(1754, {t.nome, col->nome}), 1750);
    if (col->tipo.base == TipoBase::RowVersion)
        throw ComMensagemSeguinte(ErroDoServidor(1755, {t.nome, col->nome}), 1750);
}

TipoSql ValidarColuna(const DefColuna& d, const std::string& tabela) {
    if (d.identidade && !(EhInteiro(d.tipo.base) && d.tipo.base != TipoBase::Bit) &&
        !EhNumericoExato(d.tipo.base))
        throw ErroDoServidor(2749, {d.nome});
    (void)tabela;
    return d.tipo;
}

}  // namespace

void AdicionarRestricao(Catalogo& cat, const std::string& banco, sqlite3* db, Tabela& t,
                        DefRestricao def, bool verificar, bool criandoTabela) {
    Restricao r = RestricaoNomeada(cat, t, def, verificar, criandoTabela);
    if (r.tipo == "PK" || r.tipo == "UQ") {
        AdicionarIndiceDaChave(t, r, criandoTabela);
    } else if (r.tipo == "F") {
        ResolverChaveEstrangeira(cat, t, r);
        ExigirAcoesValidas(cat, t, r);
        if (verificar && !criandoTabela) VerificarLinhasExistentes(banco, db, t, r);
    } else if (r.tipo == "C") {
        for (const auto& coluna : ColunasDaExpressao(r.texto))
            if (!t.Coluna(coluna)) throw ErroDoServidor(207, {coluna});
        ExpressaoParaSqlite(r.texto);  // refuses here what the expression reader cannot read
        if (verificar && !criandoTabela) VerificarLinhasExistentes(banco, db, t, r);
    } else if (r.tipo == "D") {
        ExigirPadraoPermitido(t, r);
    }
    t.restricoes.push_back(std::move(r));
}

ColunaDaTabela NovaColuna(const DefColuna& d, const std::string& tabela) {
    ColunaDaTabela c;
    c.nome = d.nome;
    c.calculo = d.calculo;
    c.persistida = d.persistida;
    c.tipoDoUsuario = d.tipoDoUsuario;
    if (!c.calculo.empty()) {  // its type is its expression's (TiparColunasCalculadas)
        c.anulavel = d.anulavel.value_or(true);
        return c;
    }
    c.tipo = ValidarColuna(d, tabela);
    c.identidade = d.identidade;
    c.semente = d.semente;
    c.incremento = d.incremento;
    if (d.identidade && d.incremento != 1)
        throw Recusa("O simulador de SQL Server só aceita IDENTITY com incremento 1 (coluna '" +
                     d.nome + "').");
    c.anulavel = d.anulavel.value_or(true);
    if (d.identidade || d.tipo.base == TipoBase::RowVersion) c.anulavel = false;
    if (d.identidade && d.anulavel.value_or(false)) throw ErroDoServidor(8147, {d.nome, tabela});
    return c;
}

}  // namespace zolvek::simulador
