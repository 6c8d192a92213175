// The system procedures that describe the server and the database: sp_who, sp_who2,
// sp_databases, sp_tables, sp_pkeys, sp_fkeys and sp_helpindex, with SQL Server's columns,
// read from the session list and the database's catalog; and the dispatch to sp_help,
// sp_spaceused and sp_helpdb.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <string_view>

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/execucao/argumentos_do_sistema.hpp"
#include "simulador/motor/execucao/procedimentos_do_sistema.hpp"
#include "simulador/motor/execucao/resultados_do_sistema.hpp"
#include "simulador/motor/execucao/sessao_de_execucao.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"
#include "simulador/servidor/servidor.hpp"

namespace zolvek::simulador {

namespace {

// sp_who2's LastBatch: "MM/dd hh:mm:ss".
std::string UltimoLote(const db::DataHora& d) {
    char s[32];
    std::snprintf(s, sizeof s, "%02d/%02d %02d:%02d:%02d", d.mes, d.dia, d.hora, d.minuto,
                  d.segundo);
    return s;
}

std::string ChavesDoIndice(const Indice& i) {
    std::string s;
    for (const auto& c : i.colunas)
        s += (s.empty() ? "" : ", ") + c.nome + (c.decrescente ? "(-)" : "");
    return s;
}

// The index that enforces a foreign key's referenced columns: the PK or a unique one.
const Indice* ChaveReferida(const Tabela& t, const std::vector<std::string>& colunas) {
    for (const auto& i : t.indices) {
        if (!i.unico || i.colunas.size() != colunas.size()) continue;
        bool iguais = true;
        for (std::size_t k = 0; k < colunas.size(); ++k)
            if (!IguaisCiAs(i.colunas[k].nome, colunas[k])) iguais = false;
        if (iguais) return &i;
    }
    return nullptr;
}

}  // namespace

namespace {

using Argumentos = ProcedimentosDoSistema::Argumentos;

constexpr auto Argumento = ArgumentoDoSistema;

}  // namespace

bool ProcedimentosDoSistema::ProcedimentoDeCatalogo(const std::string& chave,
                                                    const Argumentos& args) {
    using Manipulador = void (*)(ProcedimentosDoSistema&, const Argumentos&);
    struct ProcedimentoDaTabela {
        std::string_view nome;
        Manipulador executar;
    };
    static const ProcedimentoDaTabela kProcedimentos[] = {
        {"sp_who",
         [](ProcedimentosDoSistema& e, const Argumentos& a) {
             e.ListarSessoesDoServidor(Argumento(a, 0, "loginame"), false);
         }},
        {"sp_who2",
         [](ProcedimentosDoSistema& e, const Argumentos& a) {
             e.ListarSessoesDoServidor(Argumento(a, 0, "loginame"), true);
         }},
        {"sp_databases",
         [](ProcedimentosDoSistema& e, const Argumentos&) { e.ListarBancosDoServidor(); }},
        {"sp_tables",
         [](ProcedimentosDoSistema& e, const Argumentos& a) {
             e.ListarTabelas(Argumento(a, 0, "table_name"), Argumento(a, 1, "table_owner"),
                             Argumento(a, 3, "table_type"));
         }},
        {"sp_pkeys",
         [](ProcedimentosDoSistema& e, const Argumentos& a) {
             e.ListarChavesPrimarias(Argumento(a, 0, "table_name").value_or(""));
         }},
        {"sp_fkeys",
         [](ProcedimentosDoSistema& e, const Argumentos& a) {
             e.ListarChavesEstrangeiras(Argumento(a, 0, "pktable_name"),
                                        Argumento(a, 3, "fktable_name"));
         }},
        {"sp_helpindex",
         [](ProcedimentosDoSistema& e, const Argumentos& a) {
             e.ListarIndices(Argumento(a, 0, "objname").value_or(""));
         }},
        {"sp_help", [](ProcedimentosDoSistema& e,
                       const Argumentos& a) { e.AjudaDoObjeto(Argumento(a, 0, "objname")); }},
        {"sp_spaceused", [](ProcedimentosDoSistema& e,
                            const Argumentos& a) { e.EspacoUsado(Argumento(a, 0, "objname")); }},
        {"sp_helpdb", [](ProcedimentosDoSistema& e,
                         const Argumentos& a) { e.AjudaDoBanco(Argumento(a, 0, "dbname")); }},
        {"sp_columns",
         [](ProcedimentosDoSistema& e, const Argumentos& a) {
             if (!ArgumentoFornecido(a, 0, "table_name"))
                 throw ErroDoServidor(201, {"sp_columns", "@table_name"});
             e.ListarColunasOdbc(Argumento(a, 0, "table_name"), Argumento(a, 1, "table_owner"),
                                 Argumento(a, 2, "table_qualifier"),
                                 Argumento(a, 3, "column_name"));
         }},
        {"sp_stored_procedures",
         [](ProcedimentosDoSistema& e, const Argumentos& a) {
             e.ListarProcedimentos(Argumento(a, 0, "sp_name"), Argumento(a, 1, "sp_owner"),
                                   Argumento(a, 2, "sp_qualifier"));
         }},
    };
    for (const auto& p : kProcedimentos)
        if (chave == p.nome) {
            p.executar(*this, args);
            return true;
        }
    return false;
}

// sp_who [login | spid | 'ACTIVE']; sp_who2 the same with its own columns.
void ProcedimentosDoSistema::ListarSessoesDoServidor(const std::optional<std::string>& filtro,
                                                     bool who2) {
    auto sessoes = s_.ServidorAtual().ListarSessoes();
    const bool ativas = filtro && IguaisCiAs(*filtro, "ACTIVE");
    const bool numero =
        filtro && !filtro->empty() &&
        std::all_of(filtro->begin(), filtro->end(), [](char c) { return c >= '0' && c <= '9'; });
    if (filtro && !ativas && !numero &&
        std::none_of(sessoes.begin(), sessoes.end(),
                     [&](const InfoDaSessao& s) { return IguaisCiAs(s.login, *filtro); }) &&
        !s_.ServidorAtual().AcharLogin(*filtro))
        throw ErroDoServidor(15007, {*filtro});
    db::Resultado r;
    if (who2)
        r.colunas = {TextoDoSistema("SPID", 5),     TextoDoSistema("Status", 30),
                     TextoDoSistema("Login"),       TextoDoSistema("HostName"),
                     TextoDoSistema("BlkBy", 5),    TextoDoSistema("DBName"),
                     TextoDoSistema("Command", 16), InteiroDoSistema("CPUTime"),
                     InteiroDoSistema("DiskIO"),    TextoDoSistema("LastBatch", 14),
                     TextoDoSistema("ProgramName"), TextoDoSistema("SPID", 5),
                     InteiroDoSistema("REQUESTID")};
    else
        r.colunas = {ColunaDoSistema("spid", db::TipoDeCampo::SmallInt),
                     ColunaDoSistema("ecid", db::TipoDeCampo::SmallInt),
                     TextoDoSistema("status", 30),
                     TextoDoSistema("loginame"),
                     TextoDoSistema("hostname"),
                     TextoDoSistema("blk", 5),
                     TextoDoSistema("dbname"),
                     TextoDoSistema("cmd", 16),
                     InteiroDoSistema("request_id")};
    for (const auto& ss : sessoes) {
        const bool esta = ss.spid == s_.Spid();  // the session running this: its command is this
        const std::string status = esta ? "runnable" : ss.status;
        const std::string comando = esta ? "SELECT" : "AWAITING COMMAND";
        if (ativas && !esta && comando == "AWAITING COMMAND") continue;
        if (numero && std::to_string(ss.spid) != *filtro) continue;
        if (filtro && !ativas && !numero && !IguaisCiAs(ss.login, *filtro)) continue;
        const std::int64_t spid = ss.spid;
        if (who2)
            r.linhas.push_back({Preenchido(std::to_string(spid), 5), status, ss.login, ss.host,
                                std::string("  ."), ss.banco, comando, std::int64_t{0},
                                std::int64_t{0}, UltimoLote(ss.ultimoLote), ss.programa,
                                Preenchido(std::to_string(spid), 5), std::int64_t{0}});
        else
            r.linhas.push_back({spid, std::int64_t{0}, Preenchido(status, 30),
                                Preenchido(ss.login, 128), Preenchido(ss.host, 128),
                                std::string("0    "), Preenchido(ss.banco, 128),
                                Preenchido(comando, 16), std::int64_t{0}});
    }
    resultados_.push_back(std::move(r));
}

// sp_databases: each database and its size in KB.
void ProcedimentosDoSistema::ListarBancosDoServidor() {
    db::Resultado r;
    r.colunas = {TextoDoSistema("DATABASE_NAME"), InteiroDoSistema("DATABASE_SIZE"),
                 TextoDoSistema("REMARKS", 254)};
    auto bancos = s_.ServidorAtual().ListarBancos();
    std::sort(bancos.begin(), bancos.end(),
              [](const auto& a, const auto& b) { return Dobrar(a.nome) < Dobrar(b.nome); });
    for (const auto& b : bancos) {
        std::int64_t kb = 0;
        for (const auto& a : b.arquivos) kb += a.tamanhoKb;
        r.linhas.push_back({b.nome, kb, db::Valor{}});
    }
    resultados_.push_back(std::move(r));
}

// sp_tables [name [, owner [, qualifier [, type]]]]: the database's tables and views.
void ProcedimentosDoSistema::ListarTabelas(const std::optional<std::string>& nome,
                                           const std::optional<std::string>& dono,
                                           const std::optional<std::string>& tipos) {
    db::Resultado r;
    r.colunas = {TextoDoSistema("TABLE_QUALIFIER"), TextoDoSistema("TABLE_OWNER"),
                 TextoDoSistema("TABLE_NAME"), TextoDoSistema("TABLE_TYPE", 32),
                 TextoDoSistema("REMARKS", 254)};
    auto querTipo = [&](const char* tipo) {
        return !tipos ||
               Dobrar(*tipos).find(Dobrar(std::string("'") + tipo + "'")) != std::string::npos;
    };
    std::vector<std::pair<std::string, std::string>> achadas;  // type, name
    Catalogo& cat = s_.CatalogoAtual();
    if (!dono || CasaComPadrao("dbo", *dono)) {
        for (const Tabela* t : cat.Tabelas())
            if (querTipo("TABLE") && (!nome || CasaComPadrao(t->nome, *nome)))
                achadas.emplace_back("TABLE", t->nome);
        for (const ObjetoProgramado* o : cat.Objetos())
            if (o->tipo == "V" && querTipo("VIEW") && (!nome || CasaComPadrao(o->nome, *nome)))
                achadas.emplace_back("VIEW", o->nome);
    }
    std::sort(achadas.begin(), achadas.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : Dobrar(a.second) < Dobrar(b.second);
    });
    for (const auto& [tipo, t] : achadas)
        r.linhas.push_back({s_.Banco(), std::string("dbo"), t, tipo, db::Valor{}});
    resultados_.push_back(std::move(r));
}

// sp_pkeys 'T': the primary key's columns in key order.
void ProcedimentosDoSistema::ListarChavesPrimarias(const std::string& tabela) {
    db::Resultado r;
    r.colunas = {TextoDoSistema("TABLE_QUALIFIER"),
                 TextoDoSistema("TABLE_OWNER"),
                 TextoDoSistema("TABLE_NAME"),
                 TextoDoSistema("COLUMN_NAME"),
                 ColunaDoSistema("KEY_SEQ", db::TipoDeCampo::SmallInt),
                 TextoDoSistema("PK_NAME")};
    if (const Tabela* t = s_.CatalogoAtual().AcharTabela(tabela))
        for (const auto& i : t->indices)
            if (i.primario)
                for (std::size_t k = 0; k < i.colunas.size(); ++k)
                    r.linhas.push_back({s_.Banco(), std::string("dbo"), t->nome, i.colunas[k].nome,
                                        static_cast<std::int64_t>(k + 1), i.nome});
    resultados_.push_back(std::move(r));
}

// sp_fkeys [pk table] [, , , fk table]: the foreign keys between them, a row per column.
void ProcedimentosDoSistema::ListarChavesEstrangeiras(const std::optional<std::string>& referida,
                                                      const std::optional<std::string>& dona) {
    if (!referida && !dona) throw ErroDoServidor(15252);
    db::Resultado r;
    r.colunas = {TextoDoSistema("PKTABLE_QUALIFIER"),
                 TextoDoSistema("PKTABLE_OWNER"),
                 TextoDoSistema("PKTABLE_NAME"),
                 TextoDoSistema("PKCOLUMN_NAME"),
                 TextoDoSistema("FKTABLE_QUALIFIER"),
                 TextoDoSistema("FKTABLE_OWNER"),
                 TextoDoSistema("FKTABLE_NAME"),
                 TextoDoSistema("FKCOLUMN_NAME"),
                 ColunaDoSistema("KEY_SEQ", db::TipoDeCampo::SmallInt),
                 ColunaDoSistema("UPDATE_RULE", db::TipoDeCampo::SmallInt),
                 ColunaDoSistema("DELETE_RULE", db::TipoDeCampo::SmallInt),
                 TextoDoSistema("FK_NAME"),
                 TextoDoSistema("PK_NAME"),
                 ColunaDoSistema("DEFERRABILITY", db::TipoDeCampo::SmallInt)};
    Catalogo& cat = s_.CatalogoAtual();
    struct Linha {
        std::string fkTabela, fk;
        std::size_t k;
        std::vector<db::Valor> valores;
    };
    std::vector<Linha> linhas;
    for (const Tabela* t : cat.Tabelas())
        for (const auto& f : t->restricoes) {
            if (f.tipo != "F") continue;
            if (dona && !IguaisCiAs(t->nome, *dona)) continue;
            if (referida && !IguaisCiAs(f.tabelaReferida, *referida)) continue;
            const Tabela* pai = cat.AcharTabela(f.tabelaReferida);
            const Indice* pk = pai ? ChaveReferida(*pai, f.colunasReferidas) : nullptr;
            for (std::size_t k = 0; k < f.colunas.size() && k < f.colunasReferidas.size(); ++k)
                linhas.push_back(
                    {t->nome,
                     f.nome,
                     k,
                     {s_.Banco(), std::string("dbo"), pai ? pai->nome : f.tabelaReferida,
                      f.colunasReferidas[k], s_.Banco(), std::string("dbo"), t->nome,
                      f.colunas[k].nome, static_cast<std::int64_t>(k + 1), std::int64_t{1},
                      std::int64_t{1}, f.nome, pk ? db::Valor{pk->nome} : db::Valor{},
                      std::int64_t{7}}});
        }
    std::sort(linhas.begin(), linhas.end(), [](const Linha& a, const Linha& b) {
        if (!IguaisCiAs(a.fkTabela, b.fkTabela)) return Dobrar(a.fkTabela) < Dobrar(b.fkTabela);
        if (!IguaisCiAs(a.fk, b.fk)) return Dobrar(a.fk) < Dobrar(b.fk);
        return a.k < b.k;
    });
    for (auto& l : linhas) r.linhas.push_back(std::move(l.valores));
    resultados_.push_back(std::move(r));
}

// sp_helpindex 'T': each index with how it is made and its keys ("a, b(-)").
void ProcedimentosDoSistema::ListarIndices(const std::string& objeto) {
    const Tabela* t = s_.CatalogoAtual().AcharTabela(objeto);
    if (!t) {
        // a view has none: SQL Server only informs, and gives no rows
        const ObjetoProgramado* o = s_.CatalogoAtual().AcharObjeto(objeto);
        if (o && o->tipo == "V") return;
        throw ErroDoServidor(15009, {objeto, s_.Banco()});
    }
    if (t->indices.empty()) return;  // informs, as for a view
    db::Resultado r;
    r.colunas = {TextoDoSistema("index_name"), TextoDoSistema("index_description", 210),
                 TextoDoSistema("index_keys", 2078)};
    std::vector<const Indice*> indices;
    for (const auto& i : t->indices) indices.push_back(&i);
    std::sort(indices.begin(), indices.end(),
              [](const Indice* a, const Indice* b) { return Dobrar(a->nome) < Dobrar(b->nome); });
    for (const Indice* i : indices) {
        std::string descricao = i->primario ? "clustered" : "nonclustered";
        if (i->unico) descricao += ", unique";
        if (i->primario)
            descricao += ", primary key";
        else if (i->restricao != 0)
            descricao += ", unique key";
        r.linhas.push_back({i->nome, descricao + " located on PRIMARY", ChavesDoIndice(*i)});
    }
    resultados_.push_back(std::move(r));
}

}  // namespace zolvek::simulador
