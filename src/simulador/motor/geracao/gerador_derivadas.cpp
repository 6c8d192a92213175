// A derived table whose alias names its columns, (SELECT 1, 2) AS x (a, b). SQLite names a
// query's columns only in a WITH, so the query becomes a WITH of its own inside the
// parentheses, under a name of the engine's that no user's table can take.
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "comum/erros.hpp"
#include "simulador/motor/arvores/fontes_da_consulta.hpp"
#include "simulador/motor/geracao/gerador_sqlite.hpp"
#include "simulador/motor/leitura/lexico.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

// The names after the alias: one for each column the query gives, or SQL Server's error.
const std::vector<std::string>& GeradorSqlite::NomesDoApelido(const Fonte& f) {
    const std::size_t colunas = ColunasDaConsulta(*f.derivada, f.apelido, true).size();
    if (f.colunasDoApelido.size() < colunas) throw ErroDoServidor(8158, {f.apelido});
    if (f.colunasDoApelido.size() > colunas) throw ErroDoServidor(8159, {f.apelido});
    return f.colunasDoApelido;
}

std::string GeradorSqlite::DerivadaComNomes(const Fonte& f) {
    const auto& nomes = NomesDoApelido(f);
    const std::string consulta = "zv_derivada_" + std::to_string(++derivadasComNomes_);
    std::string colunas;
    for (std::size_t k = 0; k < nomes.size(); ++k)
        colunas += (k ? ", " : "") + ComoIdentificador(nomes[k]);
    return "(WITH " + consulta + "(" + colunas + ") AS (" + Gerar(*f.derivada) +
           ") SELECT * FROM " + consulta + ")";
}

bool GeradorSqlite::TabelaDoBanco(const Tabela* t) const {
    return t && std::none_of(derivadas_.begin(), derivadas_.end(),
                             [&](const std::unique_ptr<Tabela>& d) { return d.get() == t; });
}

// The name a source of FROM goes by in its SELECT.
std::string GeradorSqlite::NomeNoEscopo(const Fonte& f) {
    if (f.pivo) return f.pivo->apelido;
    if (!f.apelido.empty()) return f.apelido;
    if (!f.nome.empty()) return f.nome.back();
    return f.funcao ? NomeDaFuncao(f) : "";
}

// The names of the columns a * (t.*: `dono` t) of SELECT s stands for: those a derived
// table or a table of values is given or gives, a table's from its definition.
std::vector<std::string> GeradorSqlite::ColunasDaEstrela(const Selecao& s,
                                                         const std::string& dono) {
    std::vector<std::string> nomes;
    const auto escopo = EscopoDe(s);
    ParaCadaFonte(s.de, [&](const Fonte& f) {
        const std::string nome = NomeNoEscopo(f);
        if (!dono.empty() && !IguaisCiAs(dono, nome)) return;
        if (!f.pivo && (f.derivada || !f.valores.empty())) {
            const auto daFonte = !f.colunasDoApelido.empty()
                                     ? f.colunasDoApelido
                                     : ColunasDaConsulta(*f.derivada, f.apelido);
            nomes.insert(nomes.end(), daFonte.begin(), daFonte.end());
            return;
        }
        const Tabela* tabela = nullptr;
        for (const auto& [n, t] : escopo)
            if (IguaisCiAs(n, nome)) tabela = t;
        if (!TabelaDoBanco(tabela))
            throw Recusa(
                "O simulador de SQL Server não conta as colunas de um * sobre o que não é uma "
                "tabela do banco; nomeie as colunas.");
        for (const auto& col : tabela->colunas) nomes.push_back(col.nome);
    });
    return nomes;
}

// The columns a * (or t.*) of a derived table's SELECT stands for, each under the name of
// its position in `nomes`; the position after them. The SELECT's tables are the innermost
// scope. Nothing when the * reads a table whose columns are not all known (another derived
// table's, typed only where it can be): the names after it cannot be placed.
std::optional<std::size_t> GeradorSqlite::AcrescentarEstrela(Tabela& t, const Coluna& estrela,
                                                             const std::vector<std::string>& nomes,
                                                             std::size_t posicao) {
    const auto& p = estrela.partes;
    const std::string dono = p.size() >= 2 ? p[p.size() - 2] : "";
    for (const auto& [nome, tabela] : escopos_.back()) {
        if (!dono.empty() && !IguaisCiAs(dono, nome)) continue;
        if (!TabelaDoBanco(tabela)) return std::nullopt;
        for (ColunaDaTabela col : tabela->colunas) {
            if (posicao < nomes.size()) col.nome = nomes[posicao];
            ++posicao;
            t.colunas.push_back(std::move(col));
        }
    }
    return posicao;
}

}  // namespace zolvek::simulador
