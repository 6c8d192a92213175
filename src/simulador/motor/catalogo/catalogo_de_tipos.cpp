// Alias types (sp_addtype, CREATE TYPE ... FROM), kept in zv_tipos, made with the first.

#include <algorithm>

#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

constexpr std::int64_t kPrimeiroTipoDoUsuario = 257;  // SQL Server's first user type id

}  // namespace

void Catalogo::CarregarTipos(sqlite3* db, const std::string& esquema) {
    tipos_.clear();
    {
        Instrucao q(db, "SELECT 1 FROM " + esquema +
                            ".sqlite_master WHERE type='table' AND name='zv_tipos'");
        if (!q.Passo()) return;
    }
    Instrucao q(db, "SELECT id, nome, tipo, anulavel FROM " + esquema + ".zv_tipos ORDER BY id");
    while (q.Passo()) {
        auto tipo = LerTextoDeTipo(q.Texto(2));
        if (!tipo) continue;
        tipos_.push_back({q.Inteiro(0), q.Texto(1), *tipo, q.Inteiro(3) != 0});
    }
}

const TipoDoUsuario* Catalogo::AcharTipo(const std::string& nome) const {
    for (const auto& t : tipos_)
        if (IguaisCiAs(t.nome, nome)) return &t;
    return nullptr;
}

void Catalogo::GravarTipo(sqlite3* db, TipoDoUsuario t) {
    ExecutarSql(db,
                "CREATE TABLE IF NOT EXISTS main.zv_tipos(id INTEGER PRIMARY KEY, nome TEXT NOT "
                "NULL COLLATE LATIN1_CI_AS, tipo TEXT NOT NULL, anulavel INTEGER NOT NULL)");
    t.id = kPrimeiroTipoDoUsuario;
    for (const auto& x : tipos_) t.id = std::max(t.id, x.id + 1);
    Instrucao(db, "INSERT INTO zv_tipos(id, nome, tipo, anulavel) VALUES (?,?,?,?)")
        .Ligar(1, t.id)
        .Ligar(2, t.nome)
        .Ligar(3, TextoDoTipo(t.tipo))
        .Ligar(4, t.anulavel ? 1 : 0)
        .Executar();
    tipos_.push_back(std::move(t));
}

void Catalogo::ExcluirTipo(sqlite3* db, const std::string& nome) {
    Instrucao(db, "DELETE FROM zv_tipos WHERE nome = ?").Ligar(1, nome).Executar();
    tipos_.erase(std::remove_if(tipos_.begin(), tipos_.end(),
                                [&](const TipoDoUsuario& t) { return IguaisCiAs(t.nome, nome); }),
                 tipos_.end());
}

}  // namespace zolvek::simulador
