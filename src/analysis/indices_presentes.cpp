#include <set>

#include "analysis/passos_da_analise.hpp"
#include "comum/texto.hpp"
#include "db/texto_sql.hpp"

namespace zolvek::analysis {

bool IndicesPresentes(ContextoDaAnalise& c, const dicionario::TabelaDic& t) {
    if (t.Indices.empty()) return true;
    std::set<std::string> presentes;
    try {
        db::Consulta nomes(&c.Banco);
        c.Abrir(nomes, "select name from sysindexes where id = object_id(" +
                           db::NomeDeObjetoComoLiteral(t.Nome) + ") and name is not null");
        for (nomes.Primeiro(); !nomes.Fim(); nomes.Proximo())
            presentes.insert(texto::Minusculas(nomes.Campos().at(0).Texto()));
    } catch (const Cancelamento&) {
        throw;
    } catch (const Erro&) {
        return false;  // unreadable: the table is processed, as a changed one is
    }
    for (const dicionario::IndiceDic& i : t.Indices) {
        // The primary key is the constraint named after the table, whatever the
        // dictionary calls it.
        const std::string nome = i.Primario ? "Chvpr_" + t.Nome : i.Nome;
        if (!presentes.count(texto::Minusculas(nome))) return false;
    }
    return true;
}

}  // namespace zolvek::analysis
