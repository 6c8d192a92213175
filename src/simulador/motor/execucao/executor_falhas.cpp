// SQLite's failures of a statement as SQL Server's errors, with SQL Server's messages and
// numbers; a broken key's columns are kept for the duplicate value the change tells.
#include <sqlite3.h>

#include <algorithm>
#include <string>
#include <vector>

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/catalogo/materializacao.hpp"
#include "simulador/motor/catalogo/mensagens_do_servidor.hpp"
#include "simulador/motor/catalogo/nomes_do_motor.hpp"
#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/funcoes/falhas.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

std::string ColunaDaMensagem(const std::string& msg, const std::string& prefixo) {
    auto p = msg.find(prefixo);
    if (p == std::string::npos) return "";
    return msg.substr(p + prefixo.size());
}

// The unique index whose keys are `cols`, in order.
const Indice* IndiceDasColunas(const Tabela& t, const std::vector<std::string>& cols) {
    for (const auto& ind : t.indices) {
        if (!ind.unico || ind.colunas.size() != cols.size()) continue;
        bool iguais = true;
        for (std::size_t k = 0; k < cols.size(); ++k)
            if (!IguaisCiAs(ind.colunas[k].nome, cols[k])) iguais = false;
        if (iguais) return &ind;
    }
    return nullptr;
}

// A table's or alias's name in SQLite's message as the user wrote it.
std::string NomeDaMensagem(const std::string& nome) {
    return NomeNoTsql(nome).value_or(nome);
}

}  // namespace

void Executor::FalhaTraduzida(const FalhaDoSqlite& falha, char operacao,
                              const std::string& tabela) {
    if (auto f = TomarFalhaDeFuncao()) throw *f;
    const std::string msg = falha.what();
    switch (falha.Codigo()) {
        case SQLITE_CONSTRAINT_TRIGGER:
            FalhaDeReferencia(msg);
            break;
        case SQLITE_CONSTRAINT_NOTNULL:
            FalhaDeNulo(msg, operacao, tabela);
        case SQLITE_CONSTRAINT_CHECK:
            FalhaDeVerificacao(msg, operacao, tabela);
        case SQLITE_CONSTRAINT_UNIQUE:
        case SQLITE_CONSTRAINT_PRIMARYKEY:
            FalhaDeChave(msg);
        case SQLITE_BUSY:
        case SQLITE_BUSY_SNAPSHOT:
        case SQLITE_BUSY_RECOVERY:
        case SQLITE_LOCKED:
        case SQLITE_LOCKED_SHAREDCACHE:
            throw ErroDoServidor(1222);
        case SQLITE_AUTH:
            throw ErroDoServidor(208, {s_.TabelaNegada()});
        case SQLITE_INTERRUPT:
            throw ErroDeTempoEsgotado();
        case SQLITE_CONSTRAINT_COMMITHOOK:
            throw Recusa(
                "O simulador de SQL Server desfez uma gravação que escaparia da transação "
                "aberta: a instrução não foi executada.");
        case SQLITE_FULL:
            throw ErroDeDiscoCheio(s_.Banco(), tabela);
        default:
            break;
    }
    FalhaDeCompilacao(msg);
}

// The foreign-key triggers raise "zvfk|action|name" (a row that references nothing)
// or "zvref|action|name" (a row still referenced).
void Executor::FalhaDeReferencia(const std::string& msg) {
    const bool fk = msg.rfind("zvfk|", 0) == 0;
    if (!fk && msg.rfind("zvref|", 0) != 0) return;
    const std::string& banco = s_.Banco();
    std::string resto = msg.substr(fk ? 5 : 6);
    std::string acao = resto.substr(0, resto.find('|'));
    std::string nome = resto.substr(resto.find('|') + 1);
    Tabela* dona = s_.CatalogoAtual().TabelaDaRestricao(nome);
    const Restricao* r = dona ? dona->RestricaoPeloNome(nome) : nullptr;
    if (r && fk)
        throw ErroDoServidor(
            547, {acao, "FOREIGN KEY", nome, banco, r->tabelaReferida,
                  std::string(", column '") +
                      (r->colunasReferidas.empty() ? "" : r->colunasReferidas[0]) + "'"});
    if (r)
        throw ErroDoServidor(547, {acao, "REFERENCE", nome, banco, dona->nome,
                                   std::string(", column '") + r->colunas[0].nome + "'"});
}

// SQLite names the column as "T.c".
void Executor::FalhaDeNulo(const std::string& msg, char operacao, const std::string& tabela) {
    std::string c = ColunaDaMensagem(msg, "NOT NULL constraint failed: ");
    auto ponto = c.find('.');
    std::string t = ponto == std::string::npos ? tabela : NomeDaMensagem(c.substr(0, ponto));
    std::string col = ponto == std::string::npos ? c : c.substr(ponto + 1);
    // a table variable is named alone
    throw ErroDoServidor(515, {col, (t.rfind('@', 0) == 0 ? t : s_.Banco() + ".dbo." + t),
                               (operacao == 'I' ? "INSERT" : "UPDATE")});
}

void Executor::FalhaDeVerificacao(const std::string& msg, char operacao,
                                  const std::string& tabela) {
    const std::string verbo = operacao == 'U'   ? "UPDATE"
                              : operacao == 'D' ? "DELETE"
                              : operacao == 'A' ? "ALTER TABLE"
                                                : "INSERT";
    std::string c = ColunaDaMensagem(msg, "CHECK constraint failed: ");
    Tabela* dona = s_.CatalogoAtual().TabelaDaRestricao(c);
    std::string coluna;
    if (dona)
        if (const Restricao* r = dona->RestricaoPeloNome(c); r && !r->colunas.empty())
            coluna = ", column '" + r->colunas[0].nome + "'";
    throw ErroDoServidor(547,
                         {verbo, "CHECK", c, s_.Banco(), (dona ? dona->nome : tabela), coluna});
}

// SQLite names the key's columns as "T.a, T.b": the index over those columns tells
// which constraint or index it is. An index over expressions (the NULLs of a unique
// key) it names by its own name.
void Executor::FalhaDeChave(const std::string& msg) {
    std::string c = ColunaDaMensagem(msg, "UNIQUE constraint failed: ");
    Tabela* tab = nullptr;
    const Indice* violado = nullptr;
    if (c.rfind("index '", 0) == 0 && c.size() > 8) {
        const std::string nome = c.substr(7, c.size() - 8);
        for (Tabela* t : s_.CatalogoAtual().Tabelas())
            if (const Indice* i = IndiceDoSqlite(*t, nome)) tab = t, violado = i;
        if (!tab) throw ErroDoServidor(2601, {""});
    } else {
        std::vector<std::string> cols;
        std::string t;
        for (std::size_t i = 0; i < c.size();) {
            std::size_t f = c.find(", ", i);
            if (f == std::string::npos) f = c.size();
            std::string item = c.substr(i, f - i);
            auto ponto = item.find('.');
            t = NomeDaMensagem(item.substr(0, ponto));
            cols.push_back(item.substr(ponto + 1));
            i = f + 2;
        }
        tab = s_.CatalogoAtual().AcharTabela(t);
        if (!tab) throw ErroDoServidor(2601, {std::string(" in object 'dbo.") + t + "'"});
        violado = IndiceDasColunas(*tab, cols);
    }
    if (violado) {
        chaveViolada_.clear();
        for (const auto& k : violado->colunas) chaveViolada_.push_back(k.nome);
        if (violado->primario || violado->restricao != 0)
            throw ErroDoServidor(2627, {(violado->primario ? "PRIMARY KEY" : "UNIQUE KEY"),
                                        violado->nome, tab->nome});
        throw ErroDoServidor(2601, {std::string(" in object 'dbo.") + tab->nome +
                                    "' with unique index '" + violado->nome + "'"});
    }
    if (tab->Identidade())
        throw ErroDoServidor(2601, {std::string(" in object 'dbo.") + tab->nome +
                                    "': the identity value already exists"});
    throw ErroDoServidor(2601, {std::string(" in object 'dbo.") + tab->nome + "'"});
}

// Whether the batch names a table or alias `nome` (a name not followed by "."): t.x of
// such a one is a column it lacks, not a prefix that binds to nothing.
bool Executor::NomeDeFonte(const std::string& nome) const {
    return std::any_of(plano_.fontes.begin(), plano_.fontes.end(),
                       [&](const std::string& f) { return IguaisCiAs(f, nome); });
}

// A name the rewritten text refers to and SQLite does not know, or text it cannot read.
void Executor::FalhaDeCompilacao(const std::string& msg) {
    if (auto c = ColunaDaMensagem(msg, "no such table: "); !c.empty()) {
        auto ponto = c.find('.');
        // another database's table is told by its three-part name
        if (ponto != std::string::npos && c.rfind("zvb_", 0) == 0)
            c = s_.BancoDoEsquema(c.substr(0, ponto)) + ".dbo." +
                NomeDaMensagem(c.substr(ponto + 1));
        else if (ponto != std::string::npos)
            c = NomeDaMensagem(c.substr(ponto + 1));
        else
            c = NomeDaMensagem(c);
        throw ErroDoServidor(208, {c});
    }
    if (auto c = ColunaDaMensagem(msg, "no such column: "); !c.empty()) {
        const auto ponto = c.rfind('.');
        if (ponto != std::string::npos && !NomeDeFonte(c.substr(0, ponto)))
            throw ErroDoServidor(4104, {NomeDaMensagem(c.substr(0, ponto)) + c.substr(ponto)});
        if (ponto != std::string::npos) c = c.substr(ponto + 1);
        throw ErroDoServidor(207, {c});
    }
    if (auto c = ColunaDaMensagem(msg, "ambiguous column name: "); !c.empty())
        throw ErroDoServidor(209, {c.substr(c.rfind('.') + 1)});
    if (auto c = ColunaDaMensagem(msg, "no such function: "); !c.empty())
        throw ErroDoServidor(195, {c, "built-in function name"});
    if (msg.find("syntax error") != std::string::npos) {
        auto a = msg.find("near \"");
        if (a != std::string::npos) {
            auto b = msg.find("\"", a + 6);
            throw ErroDoServidor(102, {std::string("'") + msg.substr(a + 6, b - a - 6) + "'"});
        }
        throw ErroDoServidor(102, {"the end of the batch"});
    }
    if (msg.find("database is locked") != std::string::npos ||
        msg.find("database table is locked") != std::string::npos)
        throw ErroDoServidor(1222, 1, {});
    if (msg.find("interrupted") != std::string::npos) {
        s_.VerificarSeFoiEliminada();
        throw ErroDeTempoEsgotado();
    }
    throw ErroComoSqlServer(msg, s_.Banco());
}

}  // namespace zolvek::simulador
