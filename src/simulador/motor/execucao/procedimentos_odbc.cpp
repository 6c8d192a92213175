// sp_columns and sp_stored_procedures: the ODBC catalog of the database's columns and
// modules, with SQL Server's columns.
#include <algorithm>

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/execucao/procedimentos_do_sistema.hpp"
#include "simulador/motor/execucao/resultados_do_sistema.hpp"
#include "simulador/motor/execucao/sessao_de_execucao.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

// A type as sp_columns (ODBC 2) describes it. `ss` are SS_DATA_TYPE for a column that
// takes no nulls and for one that does.
struct TipoOdbc {
    TipoBase base;
    int dataType;
    int ssNaoNulo, ssNulo;
};

constexpr TipoOdbc kTiposOdbc[] = {
    {TipoBase::Int, 4, 56, 38},        {TipoBase::SmallInt, 5, 52, 38},
    {TipoBase::TinyInt, -6, 48, 38},   {TipoBase::Bit, -7, 50, 50},
    {TipoBase::Decimal, 3, 55, 106},   {TipoBase::Numeric, 2, 63, 108},
    {TipoBase::Money, 3, 60, 110},     {TipoBase::SmallMoney, 3, 122, 110},
    {TipoBase::Float, 6, 62, 109},     {TipoBase::Real, 7, 59, 109},
    {TipoBase::DateTime, 11, 61, 111}, {TipoBase::SmallDateTime, 11, 58, 111},
    {TipoBase::Char, 1, 47, 39},       {TipoBase::VarChar, 12, 39, 39},
    {TipoBase::NChar, -8, 47, 39},     {TipoBase::NVarChar, -9, 39, 39},
    {TipoBase::Text, -1, 35, 35},      {TipoBase::NText, -10, 35, 35},
    {TipoBase::Image, -4, 34, 34},     {TipoBase::Binary, -2, 45, 37},
    {TipoBase::VarBinary, -3, 37, 37}};

struct MedidasOdbc {
    std::int64_t precisao = 0, tamanho = 0;
    db::Valor escala, base;
};

MedidasOdbc MedidasDoTipo(const TipoSql& t) {
    const db::Valor dez = std::int64_t{10};
    auto n = [](int x) { return db::Valor{static_cast<std::int64_t>(x)}; };
    switch (t.base) {
        case TipoBase::Int:
            return {10, 4, n(0), dez};
        case TipoBase::SmallInt:
            return {5, 2, n(0), dez};
        case TipoBase::TinyInt:
            return {3, 1, n(0), dez};
        case TipoBase::Bit:
            return {1, 1, {}, {}};
        case TipoBase::Decimal:
        case TipoBase::Numeric:
            return {t.precisao, t.precisao + 2, n(t.escala), dez};
        case TipoBase::Money:
            return {19, 21, n(4), dez};
        case TipoBase::SmallMoney:
            return {10, 12, n(4), dez};
        case TipoBase::Float:
            return {15, 8, {}, dez};
        case TipoBase::Real:
            return {7, 4, {}, dez};
        case TipoBase::DateTime:
            return {23, 16, n(3), {}};
        case TipoBase::SmallDateTime:
            return {16, 16, n(0), {}};
        case TipoBase::Text:
        case TipoBase::Image:
            return {2147483647, 2147483647, {}, {}};
        case TipoBase::NText:
            return {1073741823, 2147483646, {}, {}};
        default:
            return {t.tamanho, ComprimentoEmBytes(t), {}, {}};
    }
}

const TipoOdbc* TipoNoOdbc(const TipoSql& t) {
    if (t.tamanho < 0) return nullptr;  // (max) types are not described here
    for (const auto& x : kTiposOdbc)
        if (x.base == t.base) return &x;
    return nullptr;
}

std::vector<db::Valor> LinhaDeColunaOdbc(const std::string& banco, const Tabela& t,
                                         const ColunaDaTabela& c, int posicao) {
    const TipoOdbc* odbc = TipoNoOdbc(c.tipo);
    if (!odbc)
        throw Recusa("O simulador de SQL Server não descreve colunas do tipo " +
                     TextoDoTipo(c.tipo) + " com sp_columns (coluna " + t.nome + "." + c.nome +
                     ").");
    const MedidasOdbc m = MedidasDoTipo(c.tipo);
    const bool data = c.tipo.base == TipoBase::DateTime || c.tipo.base == TipoBase::SmallDateTime;
    const bool octetos = EhTexto(c.tipo.base) || EhBinario(c.tipo.base);
    const Restricao* padrao = t.PadraoDaColuna(c.nome);
    auto n = [](std::int64_t x) { return db::Valor{x}; };
    return {banco,
            std::string("dbo"),
            t.nome,
            c.nome,
            n(odbc->dataType),
            NomeDoTipo(c.tipo.base) + (c.identidade ? " identity" : ""),
            n(m.precisao),
            n(m.tamanho),
            m.escala,
            m.base,
            n(c.anulavel ? 1 : 0),
            db::Valor{},
            padrao ? db::Valor{padrao->texto} : db::Valor{},
            n(data ? 9 : odbc->dataType),
            data ? n(3) : db::Valor{},
            octetos ? n(m.tamanho) : db::Valor{},
            n(posicao),
            std::string(c.anulavel ? "YES" : "NO"),
            n(c.anulavel ? odbc->ssNulo : odbc->ssNaoNulo)};
}

void ExigirEsteBanco(const std::optional<std::string>& qualificador, const std::string& banco) {
    if (qualificador && !IguaisCiAs(*qualificador, banco)) throw ErroDoServidor(15250);
}

}  // namespace

// sp_columns table [, owner [, qualifier [, column]]]: a row per column of the tables the
// name (a LIKE pattern) matches. Views and the types ODBC describes in ways not built here
// ((max), bigint, the newer date types ...) are refused.
void ProcedimentosDoSistema::ListarColunasOdbc(const std::optional<std::string>& tabela,
                                               const std::optional<std::string>& dono,
                                               const std::optional<std::string>& qualificador,
                                               const std::optional<std::string>& coluna) {
    ExigirEsteBanco(qualificador, s_.Banco());
    db::Resultado r;
    r.colunas = {TextoDoSistema("TABLE_QUALIFIER"),
                 TextoDoSistema("TABLE_OWNER"),
                 TextoDoSistema("TABLE_NAME"),
                 TextoDoSistema("COLUMN_NAME"),
                 CurtoDoSistema("DATA_TYPE"),
                 TextoDoSistema("TYPE_NAME"),
                 InteiroDoSistema("PRECISION"),
                 InteiroDoSistema("LENGTH"),
                 CurtoDoSistema("SCALE"),
                 CurtoDoSistema("RADIX"),
                 CurtoDoSistema("NULLABLE"),
                 TextoDoSistema("REMARKS", 254),
                 TextoDoSistema("COLUMN_DEF", 4000),
                 CurtoDoSistema("SQL_DATA_TYPE"),
                 CurtoDoSistema("SQL_DATETIME_SUB"),
                 InteiroDoSistema("CHAR_OCTET_LENGTH"),
                 InteiroDoSistema("ORDINAL_POSITION"),
                 TextoDoSistema("IS_NULLABLE", 254),
                 ColunaDoSistema("SS_DATA_TYPE", db::TipoDeCampo::Word)};
    Catalogo& cat = s_.CatalogoAtual();
    if (!tabela || (dono && !CasaComPadrao("dbo", *dono)))
        return resultados_.push_back(std::move(r));
    for (const ObjetoProgramado* o : cat.Objetos())
        if (o->tipo == "V" && CasaComPadrao(o->nome, *tabela))
            throw Recusa("O simulador de SQL Server não descreve as colunas da visão " + o->nome +
                         " com sp_columns.");
    std::vector<const Tabela*> tabelas;
    for (const Tabela* t : cat.Tabelas())
        if (CasaComPadrao(t->nome, *tabela)) tabelas.push_back(t);
    std::sort(tabelas.begin(), tabelas.end(),
              [](const Tabela* a, const Tabela* b) { return Dobrar(a->nome) < Dobrar(b->nome); });
    for (const Tabela* t : tabelas)
        for (std::size_t k = 0; k < t->colunas.size(); ++k)
            if (!coluna || CasaComPadrao(t->colunas[k].nome, *coluna))
                r.linhas.push_back(
                    LinhaDeColunaOdbc(s_.Banco(), *t, t->colunas[k], static_cast<int>(k + 1)));
    resultados_.push_back(std::move(r));
}

// sp_stored_procedures [name [, owner [, qualifier]]]: the database's procedures ("P;1")
// and functions ("F;0"). SQL Server lists its own sys procedures as well; the stand-in
// lists the database's.
void ProcedimentosDoSistema::ListarProcedimentos(const std::optional<std::string>& nome,
                                                 const std::optional<std::string>& dono,
                                                 const std::optional<std::string>& qualificador) {
    ExigirEsteBanco(qualificador, s_.Banco());
    db::Resultado r;
    r.colunas = {TextoDoSistema("PROCEDURE_QUALIFIER"), TextoDoSistema("PROCEDURE_OWNER"),
                 TextoDoSistema("PROCEDURE_NAME", 134), InteiroDoSistema("NUM_INPUT_PARAMS"),
                 InteiroDoSistema("NUM_OUTPUT_PARAMS"), InteiroDoSistema("NUM_RESULT_SETS"),
                 TextoDoSistema("REMARKS", 254),        CurtoDoSistema("PROCEDURE_TYPE")};
    std::vector<std::string> nomes;
    if (!dono || CasaComPadrao("dbo", *dono))
        for (const ObjetoProgramado* o : s_.CatalogoAtual().Objetos()) {
            const bool procedimento = o->tipo == "P";
            if (!procedimento && o->tipo != "FN" && o->tipo != "IF" && o->tipo != "TF") continue;
            if (nome && !CasaComPadrao(o->nome, *nome)) continue;
            nomes.push_back(o->nome + (procedimento ? ";1" : ";0"));
        }
    std::sort(nomes.begin(), nomes.end(),
              [](const std::string& a, const std::string& b) { return Dobrar(a) < Dobrar(b); });
    const db::Valor menosUm = std::int64_t{-1};
    for (const auto& n : nomes)
        r.linhas.push_back({s_.Banco(), std::string("dbo"), n, menosUm, menosUm, menosUm,
                            db::Valor{}, std::int64_t{2}});
    resultados_.push_back(std::move(r));
}

}  // namespace zolvek::simulador
