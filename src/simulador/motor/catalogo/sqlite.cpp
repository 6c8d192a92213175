#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"

namespace zolvek::simulador {

namespace {

[[noreturn]] void Falhar(int codigo, const std::string& mensagem) {
    switch (codigo & 0xff) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            throw ErroDoServidor(1222, 1, {});
        case SQLITE_INTERRUPT:
            throw ErroDeTempoEsgotado();
        default:
            throw FalhaDoSqlite(codigo, mensagem);
    }
}

}  // namespace

void FalharComSqlite(sqlite3* db, const std::string& mensagem) {
    Falhar(sqlite3_extended_errcode(db),
           mensagem.empty() ? std::string(sqlite3_errmsg(db)) : mensagem);
}

Instrucao::Instrucao(sqlite3* db, std::string_view sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr) !=
        SQLITE_OK)
        FalharComSqlite(db);
}

Instrucao::~Instrucao() {
    sqlite3_finalize(stmt_);
}

Instrucao& Instrucao::Ligar(int i, std::int64_t v) {
    sqlite3_bind_int64(stmt_, i, v);
    return *this;
}

Instrucao& Instrucao::Ligar(int i, std::string_view v) {
    sqlite3_bind_text(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    return *this;
}

Instrucao& Instrucao::LigarNulo(int i) {
    sqlite3_bind_null(stmt_, i);
    return *this;
}

bool Instrucao::Passo() {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    const int codigo = sqlite3_extended_errcode(db_);
    std::string msg = sqlite3_errmsg(db_);
    sqlite3_reset(stmt_);
    Falhar(codigo, msg);
}

void Instrucao::Executar() {
    while (Passo()) {
    }
}

std::int64_t Instrucao::Inteiro(int c) const {
    return sqlite3_column_int64(stmt_, c);
}

std::string Instrucao::Texto(int c) const {
    const unsigned char* t = sqlite3_column_text(stmt_, c);
    return t ? std::string(reinterpret_cast<const char*>(t),
                           static_cast<std::size_t>(sqlite3_column_bytes(stmt_, c)))
             : std::string();
}

bool Instrucao::Nulo(int c) const {
    return sqlite3_column_type(stmt_, c) == SQLITE_NULL;
}

void ExecutarSql(sqlite3* db, const std::string& sql) {
    char* erro = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &erro) != SQLITE_OK) {
        std::string msg = erro ? erro : sqlite3_errmsg(db);
        sqlite3_free(erro);
        FalharComSqlite(db, msg);
    }
}

bool ExisteTabelaNoSqlite(sqlite3* db, const std::string& esquema, const std::string& tabela) {
    Instrucao q(db, "SELECT 1 FROM pragma_table_info(?1, ?2) LIMIT 1");
    q.Ligar(1, tabela);
    q.Ligar(2, esquema);
    return q.Passo();
}

}  // namespace zolvek::simulador
