// sp_rename: a table or a column renamed, with what refers to it.

#include <sqlite3.h>

#include <map>
#include <set>

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/catalogo/nomes_do_motor.hpp"
#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/motor/execucao/argumentos_do_sistema.hpp"
#include "simulador/motor/execucao/definicoes.hpp"
#include "simulador/motor/execucao/sessao_de_execucao.hpp"
#include "simulador/motor/geracao/materializacao.hpp"
#include "simulador/motor/leitura/textos_guardados.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

// EXEC sp_rename 'T', 'U' (a table) or 'T.c', 'd', 'COLUMN'.
void Definicoes::Renomear(const Argumentos& argumentos) {
    auto arg = [&](std::size_t i, const char* nome) -> std::string {
        for (const auto& [n, v] : argumentos)
            if (IguaisCiAs(n, nome)) return ComoTextoDeValor(v);
        std::size_t k = 0;
        for (const auto& [n, v] : argumentos)
            if (n.empty() && k++ == i) return ComoTextoDeValor(v);
        return "";
    };
    const std::string objeto = arg(0, "objname"), novo = arg(1, "newname");
    const std::string tipoDito = arg(2, "objtype");
    const std::string tipo = Dobrar(tipoDito);
    if (!s_.Sysadmin() && s_.EhMembro("db_owner") != 1) throw ErroDoServidor(15247);
    const auto partes = PartesDoNomeEscrito(objeto);
    auto ambiguo = [&] {
        return ErroDoServidor(15248, {(tipoDito.empty() ? "(null)" : tipoDito)});
    };
    if (partes.empty() || novo.empty()) throw ambiguo();
    Catalogo& cat = s_.CatalogoAtual();
    if (tipo == "column") {
        if (partes.size() < 2) throw ambiguo();
        Tabela* t = cat.AcharTabela(partes[partes.size() - 2]);
        if (!t || !t->Coluna(partes.back())) throw ambiguo();
        Atomico([&] { RenomearColuna(*t, partes.back(), novo); });
    } else if (tipo.empty() || tipo == "object") {
        Tabela* t = cat.AcharTabela(partes.back());
        if (!t) {
            if (cat.AcharObjeto(partes.back()))
                throw Recusa(
                    "O simulador de SQL Server só renomeia tabelas e colunas com sp_rename.");
            throw ambiguo();
        }
        if (cat.IdDoObjeto(novo) && !IguaisCiAs(novo, t->nome))
            throw ErroDoServidor(15335, {novo, "object"});
        Atomico([&] { RenomearTabela(*t, novo); });
    } else {
        throw ambiguo();
    }
    AposDdl();
    resultados_.push_back(db::Resultado{});
}

void Definicoes::RenomearColuna(Tabela& atual, const std::string& coluna, const std::string& novo) {
    Catalogo& cat = s_.CatalogoAtual();
    sqlite3* db = s_.Conexao();
    const Tabela antiga = atual;
    Tabela t = antiga;
    ColunaDaTabela* col = t.Coluna(coluna);
    const std::string velho = col->nome;
    if (t.Coluna(novo) && !IguaisCiAs(novo, velho)) throw ErroDoServidor(15335, {novo, "COLUMN"});
    col->nome = novo;
    std::map<std::string, std::string> origem;
    for (const auto& c : antiga.colunas)
        origem[Dobrar(IguaisCiAs(c.nome, velho) ? novo : c.nome)] = c.nome;
    // constraints and indexes follow the column, as SQL Server keeps them by column id
    std::set<std::string> referidasPelaColuna;  // their triggers read this table's rows
    for (auto& r : t.restricoes) {
        for (auto& c : r.colunas)
            if (IguaisCiAs(c.nome, velho)) {
                c.nome = novo;
                if (r.tipo == "F") referidasPelaColuna.insert(Dobrar(r.tabelaReferida));
            }
        if (!r.texto.empty()) r.texto = TrocarColuna(r.texto, velho, novo);
        if (r.tipo == "F" && IguaisCiAs(r.tabelaReferida, t.nome))
            for (auto& c : r.colunasReferidas)
                if (IguaisCiAs(c, velho)) c = novo;
    }
    for (auto& i : t.indices) {
        for (auto& c : i.colunas)
            if (IguaisCiAs(c.nome, velho)) c.nome = novo;
        for (auto& c : i.incluidas)
            if (IguaisCiAs(c, velho)) c = novo;
    }
    t.reconstrucaoAdiada = false;  // made now with the rest
    cat.GravarTabela(db, t);
    ReconstruirTabela(db, cat, *cat.AcharTabela(t.nome), antiga, origem);
    bool referida = false;
    for (Tabela* outra : cat.Tabelas()) {
        if (outra->id == t.id) continue;
        if (referidasPelaColuna.count(Dobrar(outra->nome))) RecriarGatilhos(db, cat, *outra);
        bool mudou = false;
        for (auto& r : outra->restricoes)
            if (r.tipo == "F" && IguaisCiAs(r.tabelaReferida, t.nome))
                for (auto& c : r.colunasReferidas)
                    if (IguaisCiAs(c, velho)) {
                        c = novo;
                        mudou = true;
                    }
        if (!mudou) continue;
        Tabela copia = *outra;
        cat.GravarTabela(db, copia);
        RecriarGatilhos(db, cat, *cat.AcharTabela(copia.nome));
        referida = true;
    }
    // this table's triggers check the rows that reference the key by its new name
    if (referida) RecriarGatilhos(db, cat, *cat.AcharTabela(t.nome));
}

void Definicoes::RenomearTabela(Tabela& atual, const std::string& novo) {
    Catalogo& cat = s_.CatalogoAtual();
    sqlite3* db = s_.Conexao();
    const std::string velho = atual.nome;
    ExecutarSql(db, "ALTER TABLE main." + IdentificadorNoSqlite(velho) + " RENAME TO " +
                        IdentificadorNoSqlite(novo));
    cat.RenomearTabela(velho, novo);
    std::vector<std::string> tocadas{novo};
    for (Tabela* outra : cat.Tabelas()) {
        bool mudou = false;
        for (auto& r : outra->restricoes)
            if (r.tipo == "F" && IguaisCiAs(r.tabelaReferida, velho)) {
                r.tabelaReferida = novo;
                mudou = true;
            }
        if (mudou && !IguaisCiAs(outra->nome, novo)) tocadas.push_back(outra->nome);
    }
    for (const auto& nome : tocadas) {
        Tabela copia = *cat.AcharTabela(nome);
        cat.GravarTabela(db, copia);
    }
    for (const auto& nome : tocadas) RecriarGatilhos(db, cat, *cat.AcharTabela(nome));
    // the triggers of the tables it references look for its rows under its name
    const std::vector<Restricao> chaves = cat.AcharTabela(novo)->restricoes;
    for (const auto& r : chaves)
        if (r.tipo == "F" && !IguaisCiAs(r.tabelaReferida, novo))
            AtualizarGatilhosDaChave(db, cat, novo, r, LadosDaChave::Referida);
}

}  // namespace zolvek::simulador
