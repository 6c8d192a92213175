// sp_spaceused and sp_helpdb: the sizes of the database, its tables and its files.
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/catalogo/nomes_do_motor.hpp"
#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/motor/catalogo/visoes.hpp"
#include "simulador/motor/execucao/procedimentos_do_sistema.hpp"
#include "simulador/motor/execucao/resultados_do_sistema.hpp"
#include "simulador/motor/execucao/sessao_de_execucao.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"
#include "simulador/servidor/servidor.hpp"

namespace zolvek::simulador {

namespace {

// Space of the SQLite b-trees, in KB. The figures are approximate: SQLite's pages (of its
// own size) stand for SQL Server's 8 KB pages and extents; `livre` is the room left free
// inside the pages, so reserved = data + index + unused.
struct Espaco {
    std::int64_t dados = 0, indices = 0, livre = 0;
    std::int64_t Reservado() const { return dados + indices + livre; }
};

// The b-trees of one table (the SQLite name), or of the whole file when it is empty.
Espaco EspacoNoArquivo(sqlite3* db, const std::string& tabela) {
    Instrucao q(db,
                "SELECT coalesce(m.type, 'table') = 'index', sum(d.pgsize - d.unused), "
                "sum(d.unused) FROM dbstat('main') d LEFT JOIN main.sqlite_master m "
                "ON m.name = d.name WHERE ?1 = '' OR m.tbl_name = ?1 GROUP BY 1");
    q.Ligar(1, tabela);
    std::int64_t dados = 0, indices = 0, livre = 0;
    while (q.Passo()) {
        (q.Inteiro(0) ? indices : dados) += q.Inteiro(1);
        livre += q.Inteiro(2);
    }
    auto kb = [](std::int64_t bytes) { return (bytes + 1023) / 1024; };
    return {kb(dados), kb(indices), kb(livre)};
}

std::int64_t TamanhoDoArquivo(sqlite3* db) {
    Instrucao q(db, "SELECT page_count * page_size FROM pragma_page_count(), pragma_page_size()");
    q.Passo();
    return q.Inteiro(0);
}

std::int64_t KbDosArquivos(const InfoDoBanco& b, char tipo) {
    std::int64_t kb = 0;
    for (const auto& a : b.arquivos)
        if (a.tipo == tipo) kb += a.tamanhoKb;
    return kb;
}

// sp_helpdb's "created": CONVERT(nvarchar(11), create_date), "Dec  9 2026".
std::string DataCurta(const db::DataHora& d) {
    static const char* meses[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char s[32];
    std::snprintf(s, sizeof s, "%s %2d %d", meses[std::clamp(d.mes, 1, 12) - 1], d.dia, d.ano);
    return s;
}

// The internal version of a database that the server's version creates.
int VersaoInternaDoBanco(const VersaoDoServidor& v) {
    switch (v.maior) {
        case 10:
            return 661;
        case 11:
            return 706;
        case 12:
            return 782;
        case 13:
            return 852;
        case 14:
            return 869;
        case 15:
            return 904;
        default:
            return 957;
    }
}

std::string SituacaoDoBanco(const InfoDoBanco& b, const VersaoDoServidor& v) {
    const bool encolhe = std::find(b.opcoesLigadas.begin(), b.opcoesLigadas.end(), "autoshrink") !=
                         b.opcoesLigadas.end();
    return "Status=" + b.estado + ", Updateability=READ_WRITE, UserAccess=" +
           (b.usuarioUnico ? "SINGLE_USER" : "MULTI_USER") +
           ", Recovery=" + NomeDoModeloDeRecuperacao(b) +
           ", Version=" + std::to_string(VersaoInternaDoBanco(v)) +
           ", Collation=Latin1_General_CI_AS, SQLSortOrder=0" + (encolhe ? ", IsAutoShrink" : "") +
           ", IsAutoCreateStatistics, IsAutoUpdateStatistics, IsFullTextEnabled";
}

// The login that owns a database, as its file keeps it.
std::string DonoDoArquivo(const InfoDoBanco& b) {
    sqlite3* db = nullptr;
    std::string dono = "sa";
    if (sqlite3_open_v2(b.arquivoSqlite.string().c_str(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_stmt* q = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT valor FROM zv_config WHERE chave = 'dono'", -1, &q,
                               nullptr) == SQLITE_OK &&
            sqlite3_step(q) == SQLITE_ROW && sqlite3_column_text(q, 0))
            dono = reinterpret_cast<const char*>(sqlite3_column_text(q, 0));
        sqlite3_finalize(q);
    }
    sqlite3_close(db);
    return dono;
}

}  // namespace

db::Resultado ArquivosDoBanco(const InfoDoBanco& b, const std::optional<std::string>& filtro) {
    db::Resultado r;
    r.colunas = {TextoDoSistema("name"),          InteiroDoSistema("fileid"),
                 TextoDoSistema("filename", 260), TextoDoSistema("filegroup"),
                 TextoDoSistema("size", 18),      TextoDoSistema("maxsize", 18),
                 TextoDoSistema("growth", 18),    TextoDoSistema("usage", 9)};
    auto arquivos = b.arquivos;
    std::sort(arquivos.begin(), arquivos.end(),
              [](const auto& x, const auto& y) { return x.id < y.id; });
    auto kb = [](std::int64_t n) { return std::to_string(n) + " KB"; };
    for (const auto& a : arquivos) {
        if (filtro && !IguaisCiAs(*filtro, a.nomeLogico)) continue;
        r.linhas.push_back(
            {a.nomeLogico, static_cast<std::int64_t>(a.id), a.nomeFisico,
             a.grupo.empty() ? db::Valor{} : db::Valor{a.grupo}, kb(a.tamanhoKb),
             a.tamanhoMaximoKb < 0 ? std::string("Unlimited") : kb(a.tamanhoMaximoKb),
             a.crescimentoEmPorcentagem ? std::to_string(a.crescimento) + "%" : kb(a.crescimento),
             std::string(a.tipo == 'D' ? "data only" : "log only")});
    }
    return r;
}

// sp_spaceused [objname]: the database's size and use, or a table's rows and space.
void ProcedimentosDoSistema::EspacoUsado(const std::optional<std::string>& objeto) {
    if (objeto) return EspacoDaTabela(*objeto);
    const auto banco = s_.ServidorAtual().AcharBanco(s_.Banco());
    const Espaco e = EspacoNoArquivo(s_.Conexao(), "");
    const std::int64_t dados =
        std::max(banco ? KbDosArquivos(*banco, 'D') * 1024 : 0, TamanhoDoArquivo(s_.Conexao()));
    const std::int64_t log = banco ? KbDosArquivos(*banco, 'L') * 1024 : 0;
    db::Resultado r;
    r.colunas = {TextoDoSistema("database_name"), TextoDoSistema("database_size", 18),
                 TextoDoSistema("unallocated space", 18)};
    r.linhas.push_back({s_.Banco(), EmMb(dados + log),
                        EmMb(std::max<std::int64_t>(0, dados - e.Reservado() * 1024))});
    resultados_.push_back(std::move(r));
    db::Resultado uso;
    uso.colunas = {TextoDoSistema("reserved", 18), TextoDoSistema("data", 18),
                   TextoDoSistema("index_size", 18), TextoDoSistema("unused", 18)};
    uso.linhas.push_back({EmKb(e.Reservado()), EmKb(e.dados), EmKb(e.indices), EmKb(e.livre)});
    resultados_.push_back(std::move(uso));
}

void ProcedimentosDoSistema::EspacoDaTabela(const std::string& objeto) {
    std::string nome = objeto;
    if (const auto ponto = nome.rfind('.'); ponto != std::string::npos)
        nome = nome.substr(ponto + 1);
    if (nome.size() >= 2 && nome.front() == '[' && nome.back() == ']')
        nome = nome.substr(1, nome.size() - 2);
    Catalogo& cat = s_.CatalogoAtual();
    const Tabela* t = cat.AcharTabela(nome);
    if (!t) {
        const ObjetoProgramado* o = cat.AcharObjeto(nome);
        if (o && o->tipo == "V") throw ErroDoServidor(15235);
        throw ErroDoServidor(15009, {objeto, s_.Banco()});
    }
    Instrucao n(s_.Conexao(), "SELECT count(*) FROM main." + IdentificadorNoSqlite(t->nome));
    n.Passo();
    const Espaco e = EspacoNoArquivo(s_.Conexao(), NomeNoSqlite(t->nome));
    db::Resultado r;
    r.colunas = {TextoDoSistema("name"),           TextoDoSistema("rows", 20),
                 TextoDoSistema("reserved", 18),   TextoDoSistema("data", 18),
                 TextoDoSistema("index_size", 18), TextoDoSistema("unused", 18)};
    r.linhas.push_back({t->nome, Preenchido(std::to_string(n.Inteiro(0)), 20), EmKb(e.Reservado()),
                        EmKb(e.dados), EmKb(e.indices), EmKb(e.livre)});
    resultados_.push_back(std::move(r));
}

// sp_helpdb [dbname]: a row per database; with a name, that one's row and its files.
void ProcedimentosDoSistema::AjudaDoBanco(const std::optional<std::string>& nome) {
    Servidor& srv = s_.ServidorAtual();
    std::vector<InfoDoBanco> bancos;
    if (nome) {
        auto b = srv.AcharBanco(*nome);
        if (!b)
            throw ErroDoServidor(
                15010,
                {*nome,
                 "Supply a valid database name. To see available databases, use sys.databases."});
        bancos.push_back(*b);
    } else {
        bancos = srv.ListarBancos();
        std::sort(bancos.begin(), bancos.end(),
                  [](const auto& a, const auto& b) { return Dobrar(a.nome) < Dobrar(b.nome); });
    }
    db::Resultado r;
    r.colunas = {TextoDoSistema("name"),
                 TextoDoSistema("db_size", 13),
                 TextoDoSistema("owner"),
                 CurtoDoSistema("dbid"),
                 TextoDoSistema("created", 11),
                 TextoDoSistema("status", 600),
                 ColunaDoSistema("compatibility_level", db::TipoDeCampo::Word)};
    for (const auto& b : bancos) {
        const double mb = static_cast<double>(KbDosArquivos(b, 'D') + KbDosArquivos(b, 'L')) / 1024;
        r.linhas.push_back({b.nome, NumeroAlinhado(mb, 10, 2) + " MB", DonoDoArquivo(b),
                            static_cast<std::int64_t>(b.id), DataCurta(b.criacao),
                            SituacaoDoBanco(b, srv.Versao()),
                            static_cast<std::int64_t>(srv.Versao().nivelDeCompatibilidade)});
    }
    resultados_.push_back(std::move(r));
    if (nome) resultados_.push_back(ArquivosDoBanco(bancos.front(), std::nullopt));
}

}  // namespace zolvek::simulador
