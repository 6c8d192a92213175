// A table of values in FROM, (VALUES (1, 'a'), (2, 'b')) AS v (n, t): each column takes
// the type of highest precedence among its rows, as SQL Server types it, and every
// value is converted to it.
#include <algorithm>

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/geracao/gerador_sqlite.hpp"
#include "simulador/motor/leitura/lexico.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

// SQL Server's data type precedence, highest first.
int Precedencia(TipoBase b) {
    static const TipoBase kOrdem[] = {TipoBase::SqlVariant, TipoBase::DateTime2,
                                      TipoBase::DateTime,   TipoBase::SmallDateTime,
                                      TipoBase::Date,       TipoBase::Time,
                                      TipoBase::Float,      TipoBase::Real,
                                      TipoBase::Decimal,    TipoBase::Numeric,
                                      TipoBase::Money,      TipoBase::SmallMoney,
                                      TipoBase::BigInt,     TipoBase::Int,
                                      TipoBase::SmallInt,   TipoBase::TinyInt,
                                      TipoBase::Bit,        TipoBase::NText,
                                      TipoBase::Text,       TipoBase::Image,
                                      TipoBase::RowVersion, TipoBase::UniqueIdentifier,
                                      TipoBase::NVarChar,   TipoBase::NChar,
                                      TipoBase::VarChar,    TipoBase::Char,
                                      TipoBase::VarBinary,  TipoBase::Binary};
    const auto* p = std::find(std::begin(kOrdem), std::end(kOrdem), b);
    return static_cast<int>(std::end(kOrdem) - p);
}

// Texts meet as the highest of their kinds, as long as the longest of them; a fixed
// length one beside a varying one varies.
TipoSql TextoComum(const std::vector<TipoSql>& tipos, TipoBase maior) {
    int tamanho = 0;
    bool varia = false;
    for (const TipoSql& t : tipos) {
        if (!EhTexto(t.base)) continue;
        tamanho = t.tamanho < 0 || tamanho < 0 ? -1 : std::max(tamanho, t.tamanho);
        varia = varia || t.base == TipoBase::VarChar || t.base == TipoBase::NVarChar;
    }
    if (varia && maior == TipoBase::NChar) maior = TipoBase::NVarChar;
    if (varia && maior == TipoBase::Char) maior = TipoBase::VarChar;
    return TipoSql{maior, tamanho, 0, 0};
}

std::string Colacao(const TipoSql& t) {
    if (EhTexto(t.base)) return std::string(" COLLATE ") + kColacao;
    if (EhDataHora(t.base)) return std::string(" COLLATE ") + kColacaoDeData;
    if (EhNumericoExato(t.base)) return std::string(" COLLATE ") + kColacaoDecimal;
    return "";
}

}  // namespace

// The type of a column of values: NULLs take the others' type (int when all are NULL).
std::optional<TipoSql> GeradorSqlite::TipoDosValores(
    const std::vector<const Expressao*>& valores) const {
    std::vector<TipoSql> tipos;
    std::vector<const Expressao*> numericos;
    for (const Expressao* e : valores) {
        if (const auto* l = std::get_if<Literal>(&e->no); l && l->tipo == Literal::Tipo::Nulo)
            continue;
        const auto t = TipoDoValor(*e);
        if (!t) return std::nullopt;
        tipos.push_back(*t);
        if (EhNumerico(t->base)) numericos.push_back(e);
    }
    if (tipos.empty()) return TipoSql{TipoBase::Int, 0, 10, 0};
    const TipoSql maior =
        *std::max_element(tipos.begin(), tipos.end(), [](const TipoSql& a, const TipoSql& b) {
            return Precedencia(a.base) < Precedencia(b.base);
        });
    if (EhTexto(maior.base) && maior.base != TipoBase::Text && maior.base != TipoBase::NText)
        return TextoComum(tipos, maior.base);
    if (!EhNumerico(maior.base)) return maior;
    auto r = TipoComum(numericos);
    if (r && r->base == TipoBase::Int) r->precisao = 10;
    return r;
}

// The columns of a table of values, typed once for the statement.
Tabela* GeradorSqlite::TabelaDosValores(const Fonte& f) {
    if (auto it = valores_.find(&f); it != valores_.end()) return it->second;
    auto t = std::make_unique<Tabela>();
    t->nome = f.apelido;
    for (std::size_t k = 0; k < f.colunasDoApelido.size(); ++k) {
        std::vector<const Expressao*> coluna;
        bool naoNulo = true;
        for (const auto& linha : f.valores) {
            coluna.push_back(linha[k].get());
            naoNulo = naoNulo && NaoNulo(*linha[k], std::set<std::string>{});
        }
        const auto tipo = TipoDosValores(coluna);
        if (!tipo)
            throw Recusa("O simulador de SQL Server não deduz o tipo da coluna '" +
                         f.colunasDoApelido[k] + "' da tabela de valores '" + f.apelido + "'.");
        t->colunas.push_back({f.colunasDoApelido[k], *tipo, !naoNulo});
    }
    derivadas_.push_back(std::move(t));
    return valores_[&f] = derivadas_.back().get();
}

// SQLite's own VALUES, each value converted to its column's type, under the names the
// alias gives the columns.
std::string GeradorSqlite::GerarValores(const Fonte& f) {
    const Tabela& t = *TabelaDosValores(f);
    std::string colunas, linhas;
    for (std::size_t k = 0; k < t.colunas.size(); ++k)
        colunas += (k ? ", " : "") + std::string("column") + std::to_string(k + 1) +
                   Colacao(t.colunas[k].tipo) + " AS " + ComoIdentificador(t.colunas[k].nome);
    for (const auto& linha : f.valores) {
        linhas += linhas.empty() ? "(" : ", (";
        for (std::size_t k = 0; k < linha.size(); ++k)
            linhas += (k ? ", " : "") + Convertido(*linha[k], t.colunas[k].tipo);
        linhas += ")";
    }
    return "(SELECT " + colunas + " FROM (VALUES " + linhas + "))";
}

}  // namespace zolvek::simulador
