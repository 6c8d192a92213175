// A session's other databases: attached under schemas of their own when a statement
// names them, and USE.
#include "simulador/motor/sessao/sessao.hpp"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>
#include <random>
#include <thread>
#include <utility>

#include "comum/erros.hpp"
#include "db/conector/cancelamento.hpp"
#include "simulador/motor/catalogo/nomes_do_motor.hpp"
#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/motor/catalogo/visoes.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/funcoes/funcoes.hpp"
#include "simulador/motor/geracao/reescrita.hpp"
#include "simulador/motor/leitura/lexico.hpp"
#include "simulador/motor/mensagens/falhas.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/sessao/crescimento_dos_bancos.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

std::string Sessao::EsquemaDoBanco(const std::string& banco) {
    if (banco.empty() || IguaisCiAs(banco, banco_)) return "";
    if (auto it = anexados_.find(Dobrar(banco)); it != anexados_.end()) return it->second.esquema;
    auto info = servidor_->AcharBanco(banco);
    if (!info) throw ErroDoServidor(911, {banco});
    if (IguaisCiAs(info->nome, banco_)) return "";
    if (info->estado != "ONLINE") throw ErroDoServidor(927, {info->nome});
    if (!sqlite3_get_autocommit(db_))
        throw Recusa("O simulador de SQL Server só lê outro banco ('" + info->nome +
                     "') citado já no lote em que a transação começa.");
    const std::string esquema = "zvb_" + std::to_string(info->id);
    Instrucao(db_, "ATTACH DATABASE ? AS " + esquema)
        .Ligar(1, info->arquivoSqlite.string())
        .Executar();
    try {
        if (!PodeAbrir(esquema)) throw ErroDoServidor(916, {login_.nome, info->nome});
        BancoAnexado anexado{info->nome, esquema, {}};
        anexado.catalogo.Carregar(db_, esquema);
        anexados_.emplace(Dobrar(info->nome), std::move(anexado));
    } catch (...) {
        sqlite3_exec(db_, ("DETACH DATABASE " + esquema).c_str(), nullptr, nullptr, nullptr);
        throw;
    }
    return esquema;
}

// The login may enter a database it administers, owns or has a user in.
bool Sessao::PodeAbrir(const std::string& esquema) {
    if (login_.sysadmin) return true;
    Instrucao dono(db_, "SELECT valor FROM " + esquema + ".zv_config WHERE chave='dono'");
    if (dono.Passo() && IguaisCiAs(dono.Texto(0), login_.nome)) return true;
    Instrucao q(db_, "SELECT 1 FROM " + esquema + ".zv_usuarios WHERE login=? AND papel=0");
    q.Ligar(1, login_.nome);
    return q.Passo();
}

std::string Sessao::BancoDoEsquema(const std::string& esquema) const {
    for (const auto& [chave, a] : anexados_)
        if (a.esquema == esquema) return a.nome;
    return "";
}

Catalogo* Sessao::CatalogoDoEsquema(const std::string& esquema) {
    if (esquema == "main") return &CatalogoAtual();
    for (auto& [nome, a] : anexados_)
        if (a.esquema == esquema) return &a.catalogo;
    return nullptr;
}

// Attaches, before the batch runs, the databases its names point at; a name that
// cannot be attached fails later, at its own statement, as on SQL Server.
void Sessao::AnexarBancosCitados(const std::vector<Token>& tokens) {
    if (!sqlite3_get_autocommit(db_)) return;
    for (std::size_t k = 0; k + 3 < tokens.size(); ++k) {
        if (!EhNome(tokens[k]) || !EhSimbolo(tokens[k + 1], ".")) continue;
        if (k > 0 && EhSimbolo(tokens[k - 1], ".")) continue;
        std::vector<std::string> partes{tokens[k].texto};
        std::size_t j = k + 1;
        while (j + 1 < tokens.size() && EhSimbolo(tokens[j], ".")) {
            if (EhSimbolo(tokens[j + 1], ".")) {
                partes.push_back("");
                ++j;
                continue;
            }
            if (!EhNome(tokens[j + 1])) break;
            partes.push_back(tokens[j + 1].texto);
            j += 2;
        }
        const std::string banco = BancoDoNome(partes);
        if (banco.empty()) continue;
        try {
            EsquemaDoBanco(banco);
        } catch (const ErroDeBanco&) {
        }
    }
}

void Sessao::DesanexarBancos() noexcept {
    for (auto it = anexados_.begin(); it != anexados_.end();) {
        const std::string sql = "DETACH DATABASE " + it->second.esquema;
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK)
            it = anexados_.erase(it);
        else
            ++it;
    }
}

void Sessao::Usar(const std::string& banco) {
    if (nivelDeTransacao_ > 0)
        throw Recusa(
            "O simulador de SQL Server não troca de banco de dados dentro de uma transação.");
    auto arquivo = servidor_->TrocarBanco(spid_, banco);
    SincronizarGravacoes();
    Fechar();
    auto info = servidor_->AcharBanco(banco);
    banco_ = info ? info->nome : banco;
    opcoes_.identityInsert.clear();
    Abrir(arquivo.string());
}

}  // namespace zolvek::simulador
