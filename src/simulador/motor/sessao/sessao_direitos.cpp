// The user's rights on the tables a statement reads and writes, checked by SQLite's
// authorizer as it prepares the statement; there too an INSERT into a table whose rebuild
// waits is held back until the table is made.
#include <sqlite3.h>

#include <cstring>
#include <set>
#include <utility>

#include "simulador/motor/catalogo/nomes_do_motor.hpp"
#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/motor/geracao/reconstrucao_adiada.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/sessao/sessao.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

void Sessao::AtualizarDireitos() {
    if (login_.sysadmin) return;
    auto novos = LerDireitos(db_, NomeDoUsuario());
    // Statements prepared under other rights were authorized for those.
    if (novos == direitos_) return;
    direitos_ = std::move(novos);
    EsquecerPreparadas();
}

int Sessao::Autorizar(void* p, int acao, const char* a, const char*, const char* esquema,
                      const char* dentro) {
    auto* s = static_cast<Sessao*>(p);
    if (acao == SQLITE_INSERT && a && esquema && s->InsercaoEsperaReconstrucao(esquema, a))
        return SQLITE_DENY;
    // SQLite looks for a bare name in the attached databases too, SQL Server only in the
    // current one: a statement may touch another database's table only by naming it so.
    const bool acessoADados = acao == SQLITE_READ || acao == SQLITE_INSERT ||
                              acao == SQLITE_UPDATE || acao == SQLITE_DELETE;
    if (s->qualificados_ && acessoADados && esquema && a && !dentro &&
        std::strncmp(esquema, "zvb_", 4) == 0) {
        if (!s->qualificados_->count(std::string(esquema) + "." + Dobrar(a))) {
            s->tabelaNegada_ = NomeNoTsql(a).value_or(a);
            return SQLITE_DENY;
        }
        return SQLITE_OK;  // another database's rights are its own
    }
    if (!s->autorizando_) return SQLITE_OK;
    const char* permissao = acao == SQLITE_READ     ? "SELECT"
                            : acao == SQLITE_INSERT ? "INSERT"
                            : acao == SQLITE_UPDATE ? "UPDATE"
                            : acao == SQLITE_DELETE ? "DELETE"
                                                    : nullptr;
    if (!permissao || !a) return SQLITE_OK;
    std::int64_t objeto = 0;
    std::string nome;
    if (dentro) {
        // Through a view the user needs SELECT on the view only; the engine's own
        // triggers and views check nothing more.
        const auto visao = NomeNoTsql(dentro);
        const ObjetoProgramado* v = visao ? s->CatalogoAtual().AcharObjeto(*visao) : nullptr;
        if (!v || v->tipo != "V") return SQLITE_OK;
        objeto = v->id;
        nome = v->nome;
    } else {
        const auto tabela = NomeNoTsql(a);
        Tabela* t = tabela ? s->CatalogoAtual().AcharTabela(*tabela) : nullptr;
        if (!t) return SQLITE_OK;  // the engine's tables and the catalog views
        objeto = t->id;
        nome = t->nome;
    }
    if (s->direitos_.Permite(permissao, objeto)) return SQLITE_OK;
    if (!s->negacao_) s->negacao_ = PermissaoNegada(permissao, nome, s->banco_);
    return SQLITE_DENY;
}

// Held back until Preparar has made the table (ConsolidarAdiadas).
bool Sessao::InsercaoEsperaReconstrucao(const char* esquema, const char* tabela) {
    if (std::strcmp(esquema, "temp") == 0) return false;
    const auto nome = NomeNoTsql(tabela);
    Catalogo* cat = nome ? CatalogoDoEsquema(esquema) : nullptr;
    const Tabela* t = cat ? cat->AcharTabela(*nome) : nullptr;
    if (!t || !t->reconstrucaoAdiada) return false;
    if (std::strcmp(esquema, "main") == 0) {
        adiadas_.insert(t->nome);
        return true;
    }
    // writes reach only the current database (ExigirBancoAtual): this one is a way round
    const std::string banco = BancoDoEsquema(esquema);
    if (!negacao_) negacao_ = RecusaDeOutroBanco(banco, t->nome);
    return true;
}

// The tables the statement being prepared inserts into, made as the catalog has them, in
// a savepoint of their own: a table is never left half made.
void Sessao::ConsolidarAdiadas() {
    const std::set<std::string> nomes = std::exchange(adiadas_, {});
    // the engine's own statements: the user's rights are not asked for them
    struct SemAutorizar {
        Sessao& s;
        bool autorizando = std::exchange(s.autorizando_, false);
        const std::set<std::string>* qualificados = std::exchange(s.qualificados_, nullptr);
        ~SemAutorizar() {
            s.autorizando_ = autorizando;
            s.qualificados_ = qualificados;
        }
    } semAutorizar{*this};
    GarantirEscrita();
    ExecutarSql(db_, "SAVEPOINT zv_reconstrucao");
    try {
        for (const auto& nome : nomes) ConsolidarTabela(db_, CatalogoAtual(), nome);
        GravarNovaVersaoDoCatalogo();
        ExecutarSql(db_, "RELEASE zv_reconstrucao");
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK TO zv_reconstrucao", nullptr, nullptr, nullptr);
        sqlite3_exec(db_, "RELEASE zv_reconstrucao", nullptr, nullptr, nullptr);
        EsquecerCatalogo();
        throw;
    }
    ++reconstrucoes_;
}

}  // namespace zolvek::simulador
