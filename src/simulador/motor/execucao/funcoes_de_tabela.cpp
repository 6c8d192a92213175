#include "simulador/motor/execucao/funcoes_de_tabela.hpp"

#include <sqlite3.h>

#include <cstdio>
#include <functional>
#include <mutex>
#include <set>
#include <utility>

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/geracao/materializacao.hpp"
#include "simulador/motor/mensagens/falhas.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"

namespace zolvek::simulador {

namespace {

// The modules registered, by connection: a module lives until its connection closes,
// which destroys it (and so takes it off this list).
std::mutex mutexDosModulos;
std::set<std::pair<sqlite3*, std::string>> modulosRegistrados;

struct ModuloDaFuncao {
    sqlite3* db = nullptr;
    std::string nome;        // the module's
    std::string funcao;      // the function's, as created
    std::string declaracao;  // the virtual table's columns, then the hidden arguments
    int colunas = 0;
    int parametros = 0;  // hidden: the defaults' marks, then one per parameter
    LinhasDaChamada linhas = nullptr;
};

void DestruirModulo(void* p) {
    auto* m = static_cast<ModuloDaFuncao*>(p);
    {
        std::lock_guard<std::mutex> trava(mutexDosModulos);
        modulosRegistrados.erase({m->db, m->nome});
    }
    delete m;
}

struct TabelaDaFuncao : sqlite3_vtab {
    const ModuloDaFuncao* modulo = nullptr;
};

struct CursorDaFuncao : sqlite3_vtab_cursor {
    LinhasDoSqlite linhas;
    std::size_t atual = 0;
    ~CursorDaFuncao() { LiberarLinhas(linhas); }
};

int VtConectar(sqlite3* db, void* aux, int, const char* const*, sqlite3_vtab** vtab, char**) {
    const auto* m = static_cast<const ModuloDaFuncao*>(aux);
    const int rc = sqlite3_declare_vtab(db, m->declaracao.c_str());
    if (rc != SQLITE_OK) return rc;
    auto* t = new TabelaDaFuncao();
    t->modulo = m;
    *vtab = t;
    return SQLITE_OK;
}

int VtDesconectar(sqlite3_vtab* vtab) {
    delete static_cast<TabelaDaFuncao*>(vtab);
    return SQLITE_OK;
}

// Every argument must be given (a call passes them all): a plan that has not yet read
// the columns an argument takes is no plan.
int VtMelhorIndice(sqlite3_vtab* vtab, sqlite3_index_info* info) {
    const auto* m = static_cast<TabelaDaFuncao*>(vtab)->modulo;
    std::vector<int> restricao(static_cast<std::size_t>(m->parametros), -1);
    for (int k = 0; k < info->nConstraint; ++k) {
        const auto& c = info->aConstraint[k];
        const int p = c.iColumn - m->colunas;
        if (p < 0 || p >= m->parametros || c.op != SQLITE_INDEX_CONSTRAINT_EQ) continue;
        if (!c.usable) return SQLITE_CONSTRAINT;
        restricao[static_cast<std::size_t>(p)] = k;
    }
    for (int p = 0; p < m->parametros; ++p) {
        const int k = restricao[static_cast<std::size_t>(p)];
        if (k < 0) return SQLITE_CONSTRAINT;
        info->aConstraintUsage[k].argvIndex = p + 1;
        info->aConstraintUsage[k].omit = 1;
    }
    info->estimatedCost = 1000;
    info->estimatedRows = 100;
    return SQLITE_OK;
}

int VtAbrir(sqlite3_vtab*, sqlite3_vtab_cursor** cursor) {
    *cursor = new CursorDaFuncao();
    return SQLITE_OK;
}

int VtFechar(sqlite3_vtab_cursor* cursor) {
    delete static_cast<CursorDaFuncao*>(cursor);
    return SQLITE_OK;
}

int VtFiltrar(sqlite3_vtab_cursor* base, int, const char*, int argc, sqlite3_value** argv) {
    auto* cursor = static_cast<CursorDaFuncao*>(base);
    auto* vtab = static_cast<TabelaDaFuncao*>(base->pVtab);
    LiberarLinhas(cursor->linhas);
    cursor->atual = 0;
    const auto falhar = [&](const std::string& mensagem) {
        sqlite3_free(vtab->zErrMsg);
        vtab->zErrMsg = sqlite3_mprintf("%s", mensagem.c_str());
        return SQLITE_ERROR;
    };
    if (argc < 1) return falhar("O simulador de SQL Server não executa funções do usuário aqui.");
    const auto* t = sqlite3_value_text(argv[0]);
    const std::string padroes = t ? reinterpret_cast<const char*>(t) : "";
    std::vector<db::Valor> argumentos;
    for (int k = 1; k < argc; ++k)
        if (static_cast<std::size_t>(k - 1) < padroes.size() && padroes[k - 1] == '0')
            argumentos.push_back(ValorDoSqlite(argv[k]));
    try {
        cursor->linhas = vtab->modulo->linhas(vtab->modulo->funcao, padroes, argumentos);
    } catch (const ErroDeBanco& e) {
        GuardarErroDeFuncao(e);  // the statement fails with the body's own error
        return falhar(e.what());
    }
    return SQLITE_OK;
}

int VtProxima(sqlite3_vtab_cursor* base) {
    ++static_cast<CursorDaFuncao*>(base)->atual;
    return SQLITE_OK;
}

int VtNoFim(sqlite3_vtab_cursor* base) {
    const auto* cursor = static_cast<CursorDaFuncao*>(base);
    return cursor->atual >= cursor->linhas.size();
}

int VtColuna(sqlite3_vtab_cursor* base, sqlite3_context* c, int i) {
    const auto* cursor = static_cast<CursorDaFuncao*>(base);
    const auto& linha = cursor->linhas[cursor->atual];
    if (i >= 0 && static_cast<std::size_t>(i) < linha.size())
        sqlite3_result_value(c, linha[static_cast<std::size_t>(i)]);
    else
        sqlite3_result_null(c);  // an argument's hidden column: the plan does not read it
    return SQLITE_OK;
}

int VtIdDaLinha(sqlite3_vtab_cursor* base, sqlite3_int64* id) {
    *id = static_cast<sqlite3_int64>(static_cast<CursorDaFuncao*>(base)->atual + 1);
    return SQLITE_OK;
}

sqlite3_module ModuloSqlite() {
    sqlite3_module m{};
    m.iVersion = 0;
    m.xCreate = nullptr;  // eponymous only: no CREATE VIRTUAL TABLE makes one
    m.xConnect = VtConectar;
    m.xBestIndex = VtMelhorIndice;
    m.xDisconnect = VtDesconectar;
    m.xDestroy = VtDesconectar;
    m.xOpen = VtAbrir;
    m.xClose = VtFechar;
    m.xFilter = VtFiltrar;
    m.xNext = VtProxima;
    m.xEof = VtNoFim;
    m.xColumn = VtColuna;
    m.xRowid = VtIdDaLinha;
    return m;
}

const sqlite3_module kModulo = ModuloSqlite();

// CREATE TABLE x (the return table's columns, typed and collated as a table variable's,
// then the hidden arguments).
std::string Declaracao(const Tabela& retorno, std::size_t parametros) {
    std::string d = DefinicaoDasLinhas(retorno, "x");
    d = "CREATE TABLE x (" + d.substr(d.find('(') + 1);
    d.pop_back();
    d += ", zv_padroes HIDDEN";
    for (std::size_t k = 1; k <= parametros; ++k) d += ", zv_p" + std::to_string(k) + " HIDDEN";
    return d + ")";
}

}  // namespace

void LiberarLinhas(LinhasDoSqlite& linhas) noexcept {
    for (auto& l : linhas)
        for (sqlite3_value* v : l) sqlite3_value_free(v);
    linhas.clear();
}

std::string RegistrarFuncaoDeTabela(sqlite3* db, const std::string& funcao,
                                    const std::string& definicao, const Tabela& retorno,
                                    std::size_t parametros, LinhasDaChamada linhas) {
    char hash[32];
    std::snprintf(hash, sizeof hash, "%zx", std::hash<std::string>{}(funcao + "\n" + definicao));
    std::string nome = "zv_tf_" + std::string(hash);
    {
        std::lock_guard<std::mutex> trava(mutexDosModulos);
        if (!modulosRegistrados.insert({db, nome}).second) return nome;
    }
    auto* m = new ModuloDaFuncao();
    m->db = db;
    m->nome = nome;
    m->funcao = funcao;
    m->declaracao = Declaracao(retorno, parametros);
    m->colunas = static_cast<int>(retorno.colunas.size());
    m->parametros = static_cast<int>(parametros) + 1;
    m->linhas = linhas;
    // SQLite destroys the module (with DestruirModulo) even when it fails to register it
    if (sqlite3_create_module_v2(db, nome.c_str(), &kModulo, m, DestruirModulo) != SQLITE_OK)
        throw Recusa("O simulador de SQL Server não preparou a função '" + funcao + "'.");
    return nome;
}

}  // namespace zolvek::simulador
