// GRANT, DENY and REVOKE of permissions on the database or on one of its objects.

#include <sqlite3.h>

#include <string>
#include <vector>

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/catalogo/direitos.hpp"
#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/motor/execucao/definicoes.hpp"
#include "simulador/motor/execucao/sessao_de_execucao.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

// EXECUTE goes with procedures and scalar functions; SELECT, INSERT, UPDATE and DELETE with
// tables, views and table functions.
void ExigirPermissoesCompativeis(const std::vector<std::string>& permissoes,
                                 const std::string& tipo) {
    const bool executavel = tipo == "P" || tipo == "FN";
    for (const auto& p : permissoes) {
        const std::string d = Dobrar(p);
        const bool deDados = d == "select" || d == "insert" || d == "update" || d == "delete";
        if ((d == "execute" && !executavel) || (deDados && executavel))
            throw ErroDoServidor(4606, {texto::Maiusculas(p)});
    }
}

// The schemas every database has besides dbo, which hold no object of the stand-in's.
bool EsquemaDoSistema(const std::string& nome) {
    if (NomeDoPapelFixo(nome)) return true;  // each fixed role has a schema of its name
    for (const char* e : {"guest", "INFORMATION_SCHEMA", "sys"})
        if (IguaisCiAs(nome, e)) return true;
    return false;
}

// ON SCHEMA::dbo: rights on every object of the database, those the objects themselves
// take; the others a schema may be given are not kept.
void ExigirEsquemaConhecido(const instrucao::Conceder& c) {
    if (EsquemaDoSistema(c.esquema))
        throw Recusa("O simulador de SQL Server não concede permissões no esquema '" + c.esquema +
                     "'.");
    if (!IguaisCiAs(c.esquema, "dbo")) throw ErroDoServidor(15151, {"find", "schema", c.esquema});
    for (const auto& p : c.permissoes) {
        const std::string d = Dobrar(p);
        if (d != "select" && d != "insert" && d != "update" && d != "delete" && d != "execute" &&
            d != "exec")
            throw Recusa("O simulador de SQL Server não interpreta a permissão '" +
                         texto::Maiusculas(p) + "' em um esquema.");
    }
}

}  // namespace

void Definicoes::Conceder(const instrucao::Conceder& c) {
    Catalogo& cat = s_.CatalogoAtual();
    std::int64_t objeto = 0;
    if (!c.esquema.empty()) {
        ExigirEsquemaConhecido(c);
        objeto = kEsquemaDbo;
    } else if (!c.objeto.Vazio()) {
        auto id = cat.IdDoObjeto(c.objeto.Nome());
        if (!id) throw ErroDoServidor(15151, {"find", "object", c.objeto.Nome()});
        objeto = *id;
        const ObjetoProgramado* o = cat.AcharObjeto(c.objeto.Nome());
        ExigirPermissoesCompativeis(c.permissoes, o ? o->tipo : "U");
    }
    sqlite3* db = s_.Conexao();
    for (const auto& p : c.principais) {
        if (!IguaisCiAs(p, "public")) {
            Instrucao q(db, "SELECT 1 FROM zv_usuarios WHERE nome=?");
            q.Ligar(1, p);
            if (!q.Passo()) throw ErroDoServidor(15151, {"find", "user", p});
        }
    }
    Atomico([&] {
        for (const auto& p : c.principais)
            for (const auto& perm : c.permissoes) {
                Instrucao(
                    db, "DELETE FROM zv_permissoes WHERE objeto=? AND principal=? AND permissao=?")
                    .Ligar(1, objeto)
                    .Ligar(2, p)
                    .Ligar(3, perm)
                    .Executar();
                if (c.estado != "REVOKE")
                    Instrucao(db,
                              "INSERT INTO zv_permissoes(objeto, principal, permissao, estado) "
                              "VALUES (?,?,?,?)")
                        .Ligar(1, objeto)
                        .Ligar(2, p)
                        .Ligar(3, perm)
                        .Ligar(4, c.estado)
                        .Executar();
            }
    });
    resultados_.push_back(db::Resultado{});
}

}  // namespace zolvek::simulador
