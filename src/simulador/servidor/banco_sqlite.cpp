#include "simulador/servidor/banco_sqlite.hpp"

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <system_error>

#include "comum/erros.hpp"
#include "comum/hora_local.hpp"
#include "comum/texto.hpp"
#include "simulador/motor/catalogo/mensagens_do_servidor.hpp"
#include "simulador/motor/funcoes/funcoes.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador::interno {

namespace {

// Long enough for another process's transaction on master to finish; master
// transactions are short.
constexpr int kEsperaMs = 60000;

// SQLite's own words never reach the user: its result code says what went wrong.
std::string Detalhe(sqlite3* banco) {
    if (!banco) return "sem memória";
    return "código " + std::to_string(sqlite3_extended_errcode(banco)) + " do SQLite";
}

}  // namespace

void FalharSqlite(sqlite3* banco, const std::string& contexto) {
    throw ErroDeBanco("Falha no servidor do simulador (" + contexto + "): " + Detalhe(banco) + ".");
}

sqlite3* AbrirArquivoSqlite(const std::string& caminho, bool somenteLeitura, bool criar) {
    int modo = somenteLeitura ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    if (criar) modo |= SQLITE_OPEN_CREATE;
    sqlite3* banco = nullptr;
    if (sqlite3_open_v2(caminho.c_str(), &banco, modo | SQLITE_OPEN_FULLMUTEX, nullptr) !=
        SQLITE_OK) {
        const std::string detalhe = Detalhe(banco);
        sqlite3_close(banco);
        throw ErroDeBanco("Falha no servidor do simulador (abrir " + caminho + "): " + detalhe +
                          ".");
    }
    sqlite3_busy_timeout(banco, kEsperaMs);
    sqlite3_extended_result_codes(banco, 1);
    // The engine's tables and indexes use its collations (VACUUM INTO rebuilds them).
    RegistrarColacao(banco);
    return banco;
}

sqlite3* AbrirBancoDoMotor(const std::string& caminho, bool somenteLeitura) {
    sqlite3* banco = AbrirArquivoSqlite(caminho, somenteLeitura, false);
    RegistrarFuncoes(banco, nullptr);
    return banco;
}

void FecharArquivoSqlite(sqlite3* banco) noexcept {
    if (banco) sqlite3_close_v2(banco);
}

void ExecutarSql(sqlite3* banco, const char* sql) {
    if (sqlite3_exec(banco, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        FalharSqlite(banco, "comando do servidor");
}

void RemoverArquivoSqlite(const std::filesystem::path& caminho) noexcept {
    std::error_code erro;
    for (const char* sufixo : {"", "-wal", "-shm", "-journal"})
        std::filesystem::remove(caminho.string() + sufixo, erro);
}

Comando::Comando(sqlite3* banco, const char* sql) : banco_(banco) {
    if (sqlite3_prepare_v2(banco, sql, -1, &comando_, nullptr) != SQLITE_OK)
        FalharSqlite(banco, "preparar comando");
}

Comando::~Comando() {
    sqlite3_finalize(comando_);
}

Comando& Comando::Ligar(int indice, const std::string& valor) {
    if (sqlite3_bind_text(comando_, indice, valor.data(), static_cast<int>(valor.size()),
                          SQLITE_TRANSIENT) != SQLITE_OK)
        FalharSqlite(banco_, "parâmetro");
    return *this;
}

Comando& Comando::Ligar(int indice, std::int64_t valor) {
    if (sqlite3_bind_int64(comando_, indice, valor) != SQLITE_OK) FalharSqlite(banco_, "parâmetro");
    return *this;
}

bool Comando::Passo() {
    int rc = sqlite3_step(comando_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    FalharSqlite(banco_, "executar comando");
}

void Comando::Executar() {
    while (Passo()) {
    }
}

void Comando::Reiniciar() {
    sqlite3_reset(comando_);
    sqlite3_clear_bindings(comando_);
}

std::string Comando::Texto(int coluna) const {
    const unsigned char* texto = sqlite3_column_text(comando_, coluna);
    if (!texto) return {};
    return std::string(reinterpret_cast<const char*>(texto),
                       static_cast<std::size_t>(sqlite3_column_bytes(comando_, coluna)));
}

std::int64_t Comando::Inteiro(int coluna) const {
    return sqlite3_column_int64(comando_, coluna);
}

Transacao::Transacao(sqlite3* banco) : banco_(banco) {
    ExecutarSql(banco_, "BEGIN IMMEDIATE");
    ativa_ = true;
}

Transacao::~Transacao() {
    if (ativa_) sqlite3_exec(banco_, "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transacao::Confirmar() {
    ExecutarSql(banco_, "COMMIT");
    ativa_ = false;
}

std::string AgoraComoTexto() {
    using namespace std::chrono;
    auto agora = system_clock::now();
    std::time_t segundos = system_clock::to_time_t(agora);
    int ms = static_cast<int>(duration_cast<milliseconds>(agora.time_since_epoch()).count() % 1000);
    const std::tm local = HoraLocal(segundos);
    char texto[80];
    std::snprintf(texto, sizeof texto, "%04d-%02d-%02d %02d:%02d:%02d.%03d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, ms);
    return texto;
}

db::DataHora LerDataHora(const std::string& texto) {
    db::DataHora d;
    if (std::sscanf(texto.c_str(), "%d-%d-%d %d:%d:%d.%d", &d.ano, &d.mes, &d.dia, &d.hora,
                    &d.minuto, &d.segundo, &d.milissegundo) < 3)
        return db::DataHora{};
    return d;
}

ErroDeBanco BancoNaoAbre(const std::string& banco) {
    return ErroDoServidor(4060, {banco});
}

std::string ChaveDeNome(const std::string& nome) {
    std::string chave = texto::Maiusculas(nome);
    while (!chave.empty() && chave.back() == ' ') chave.pop_back();
    return chave;
}

}  // namespace zolvek::simulador::interno
