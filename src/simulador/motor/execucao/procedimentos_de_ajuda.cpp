// sp_help: the database's objects, or one object's description in the result sets SQL
// Server gives for it.
#include <algorithm>

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/execucao/procedimentos_do_sistema.hpp"
#include "simulador/motor/execucao/resultados_do_sistema.hpp"
#include "simulador/motor/execucao/sessao_de_execucao.hpp"
#include "simulador/motor/leitura/parametros_dos_modulos.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

// spt_values' names of the object types, as sp_help's Object_type and Type show them.
std::string NomeDoTipoDeObjeto(const std::string& tipo) {
    static const std::pair<const char*, const char*> nomes[] = {
        {"U", "user table"},       {"V", "view"},
        {"P", "stored procedure"}, {"TR", "trigger"},
        {"FN", "scalar function"}, {"IF", "inline function"},
        {"TF", "table function"},  {"PK", "primary key cns"},
        {"UQ", "unique key cns"},  {"F", "foreign key cns"},
        {"C", "check cns"},        {"D", "default (maybe cns)"}};
    for (const auto& [t, n] : nomes)
        if (tipo == t) return n;
    return tipo;
}

db::Valor DataDeCriacao(const std::string& criacao) {
    db::DataHora d;
    if (criacao.empty() || !LerDataHora(criacao, d)) return db::Valor{};
    return d;
}

// The name sp_help and its kin are given: "T", "dbo.T", "[dbo].[T]".
std::string NomeDoArgumento(const std::string& nome) {
    std::string r = nome;
    const auto ponto = r.rfind('.');
    if (ponto != std::string::npos) r = r.substr(ponto + 1);
    if (r.size() >= 2 && r.front() == '[' && r.back() == ']') r = r.substr(1, r.size() - 2);
    return r;
}

bool TipoDeTexto(TipoBase b) {
    return b == TipoBase::Char || b == TipoBase::VarChar || b == TipoBase::NChar ||
           b == TipoBase::NVarChar || b == TipoBase::Text || b == TipoBase::NText;
}

// Prec and Scale of sp_help's columns set: char(5), blank for types without them.
std::pair<db::Valor, db::Valor> PrecisaoEEscala(const TipoSql& t) {
    static const TipoBase comPrecisao[] = {
        TipoBase::TinyInt,  TipoBase::SmallInt,   TipoBase::Decimal, TipoBase::Int,
        TipoBase::BigInt,   TipoBase::Real,       TipoBase::Money,   TipoBase::Float,
        TipoBase::Numeric,  TipoBase::SmallMoney, TipoBase::Date,    TipoBase::Time,
        TipoBase::DateTime2};
    if (std::find(std::begin(comPrecisao), std::end(comPrecisao), t.base) == std::end(comPrecisao))
        return {std::string(5, ' '), std::string(5, ' ')};
    const db::Valor escala = t.base == TipoBase::Float || t.base == TipoBase::Real
                                 ? db::Valor{}
                                 : db::Valor{Preenchido(std::to_string(EscalaDoCatalogo(t)), 5)};
    return {Preenchido(std::to_string(PrecisaoDoCatalogo(t)), 5), escala};
}

// ODBC's scale: none for texts, binaries and approximate numbers.
db::Valor EscalaOdbc(const TipoSql& t) {
    if (EhTexto(t.base) || EhBinario(t.base) || t.base == TipoBase::Float ||
        t.base == TipoBase::Real)
        return db::Valor{};
    return static_cast<std::int64_t>(EscalaDoCatalogo(t));
}

db::Resultado ColunasDaAjuda(const Tabela& t) {
    db::Resultado r;
    r.colunas = {TextoDoSistema("Column_name"),
                 TextoDoSistema("Type"),
                 TextoDoSistema("Computed", 35),
                 InteiroDoSistema("Length"),
                 TextoDoSistema("Prec", 5),
                 TextoDoSistema("Scale", 5),
                 TextoDoSistema("Nullable", 35),
                 TextoDoSistema("TrimTrailingBlanks", 35),
                 TextoDoSistema("FixedLenNullInSource", 35),
                 TextoDoSistema("Collation")};
    for (const auto& c : t.colunas) {
        const TipoBase b = c.tipo.base;
        const bool preenchivel = b == TipoBase::Char || b == TipoBase::VarChar ||
                                 b == TipoBase::NChar || b == TipoBase::NVarChar ||
                                 b == TipoBase::Binary || b == TipoBase::VarBinary;
        const bool fixoNaOrigem = b == TipoBase::Char || b == TipoBase::VarChar ||
                                  b == TipoBase::Binary || b == TipoBase::VarBinary;
        auto [precisao, escala] = PrecisaoEEscala(c.tipo);
        r.linhas.push_back(
            {c.nome, NomeDoTipo(b), std::string("no"),
             static_cast<std::int64_t>(ComprimentoEmBytes(c.tipo)), precisao, escala,
             std::string(c.anulavel ? "yes" : "no"), std::string(preenchivel ? "no" : "(n/a)"),
             std::string(!fixoNaOrigem ? "(n/a)"
                         : c.anulavel  ? "yes"
                                       : "no"),
             TipoDeTexto(b) ? db::Valor{std::string("Latin1_General_CI_AS")} : db::Valor{}});
    }
    return r;
}

db::Resultado IdentidadeDaAjuda(const Tabela& t) {
    db::Resultado r;
    r.colunas = {TextoDoSistema("Identity"), ColunaDoSistema("Seed", db::TipoDeCampo::Float),
                 ColunaDoSistema("Increment", db::TipoDeCampo::Float),
                 InteiroDoSistema("Not For Replication")};
    if (const ColunaDaTabela* c = t.Identidade())
        r.linhas.push_back({c->nome, db::Decimal{std::to_string(c->semente)},
                            db::Decimal{std::to_string(c->incremento)}, std::int64_t{0}});
    else
        r.linhas.push_back(
            {std::string("No identity column defined."), db::Valor{}, db::Valor{}, db::Valor{}});
    return r;
}

std::string ListaDeColunas(const std::vector<ColunaDeIndice>& colunas) {
    std::string s;
    for (const auto& c : colunas)
        s += (s.empty() ? "" : ", ") + c.nome + (c.decrescente ? "(-)" : "");
    return s;
}

// sp_helpconstraint's rows: a foreign key takes two, the second naming what it references.
db::Resultado RestricoesDaAjuda(const Tabela& t, const std::string& banco) {
    db::Resultado r;
    r.colunas = {
        TextoDoSistema("constraint_type", 146), TextoDoSistema("constraint_name"),
        TextoDoSistema("delete_action", 9),     TextoDoSistema("update_action", 9),
        TextoDoSistema("status_enabled", 8),    TextoDoSistema("status_for_replication", 19),
        TextoDoSistema("constraint_keys", 2126)};
    std::vector<const Restricao*> restricoes;
    for (const auto& x : t.restricoes) restricoes.push_back(&x);
    std::sort(restricoes.begin(), restricoes.end(), [](const Restricao* a, const Restricao* b) {
        return Dobrar(a->nome) < Dobrar(b->nome);
    });
    const std::string na = "(n/a)";
    for (const Restricao* x : restricoes) {
        const std::string coluna = x->colunas.empty() ? "" : x->colunas[0].nome;
        const std::string ligada = x->desabilitada ? "Disabled" : "Enabled";
        if (x->tipo == "PK" || x->tipo == "UQ") {
            const Indice* i = nullptr;
            for (const auto& k : t.indices)
                if (k.restricao == x->id) i = &k;
            const bool agrupado = i ? i->indid == 1 : x->tipo == "PK";
            r.linhas.push_back({std::string(x->tipo == "PK" ? "PRIMARY KEY" : "UNIQUE") +
                                    (agrupado ? " (clustered)" : " (non-clustered)"),
                                x->nome, na, na, na, na, ListaDeColunas(x->colunas)});
        } else if (x->tipo == "F") {
            r.linhas.push_back({std::string("FOREIGN KEY"), x->nome, std::string("No Action"),
                                std::string("No Action"), ligada, std::string("Is_For_Replication"),
                                ListaDeColunas(x->colunas)});
            std::string referidas;
            for (const auto& c : x->colunasReferidas)
                referidas += (referidas.empty() ? "" : ", ") + c;
            const std::string branco = " ";
            r.linhas.push_back(
                {branco, branco, branco, branco, branco, branco,
                 "REFERENCES " + banco + ".dbo." + x->tabelaReferida + " (" + referidas + ")"});
        } else if (x->tipo == "C") {
            r.linhas.push_back(
                {coluna.empty() ? std::string("CHECK Table Level ") : "CHECK on column " + coluna,
                 x->nome, na, na, ligada, std::string("Is_For_Replication"), x->texto});
        } else if (x->tipo == "D") {
            r.linhas.push_back({"DEFAULT on column " + coluna, x->nome, na, na, na, na, x->texto});
        }
    }
    return r;
}

}  // namespace

// sp_help [objname]. With no name: the objects (SQL Server lists its own sys objects as
// well; the stand-in has none to list) and the user types (none). With a table: the
// object, columns, identity, rowguidcol, filegroup, indexes and constraints sets and the
// foreign keys that reference it; the sets SQL Server only tells of in a message when
// empty (indexes, constraints, references) are left out. With a procedure or function:
// the object and its parameters. With another object: the object row. Views and data
// types are refused: their sets are not built here.
void ProcedimentosDoSistema::AjudaDoObjeto(const std::optional<std::string>& nome) {
    if (!nome) return ListarObjetosDaAjuda();
    Catalogo& cat = s_.CatalogoAtual();
    const std::string procurado = NomeDoArgumento(*nome);
    if (TipoPeloNome(procurado) && !cat.IdDoObjeto(procurado))
        throw Recusa("O simulador de SQL Server não descreve tipos de dados com sp_help.");
    db::Resultado objeto;
    objeto.colunas = {TextoDoSistema("Name"), TextoDoSistema("Owner"), TextoDoSistema("Type", 31),
                      ColunaDoSistema("Created_datetime", db::TipoDeCampo::DateTime)};
    if (Tabela* t = cat.AcharTabela(procurado)) {
        objeto.linhas.push_back(
            {t->nome, std::string("dbo"), std::string("user table"), DataDeCriacao(t->criacao)});
        resultados_.push_back(std::move(objeto));
        return AjudaDaTabela(*t);
    }
    const ObjetoProgramado* o = cat.AcharObjeto(procurado);
    if (o && o->tipo == "V")
        throw Recusa("O simulador de SQL Server não descreve visões com sp_help.");
    if (o) {
        objeto.linhas.push_back(
            {o->nome, std::string("dbo"), NomeDoTipoDeObjeto(o->tipo), DataDeCriacao(o->criacao)});
        resultados_.push_back(std::move(objeto));
        if (o->tipo == "P" || o->tipo == "FN" || o->tipo == "IF" || o->tipo == "TF")
            ParametrosDaAjuda(*o);
        return;
    }
    if (Tabela* dona = cat.TabelaDaRestricao(procurado))
        if (Restricao* x = dona->RestricaoPeloNome(procurado)) {
            objeto.linhas.push_back({x->nome, std::string("dbo"), NomeDoTipoDeObjeto(x->tipo),
                                     DataDeCriacao(x->criacao)});
            resultados_.push_back(std::move(objeto));
            return;
        }
    throw ErroDoServidor(15009, {*nome, s_.Banco()});
}

// sp_help with no name: Name, Owner, Object_type ordered by owner, type (descending) and
// name; then the user types, none.
void ProcedimentosDoSistema::ListarObjetosDaAjuda() {
    struct Objeto {
        std::string nome, tipo;
    };
    std::vector<Objeto> objetos;
    Catalogo& cat = s_.CatalogoAtual();
    for (const Tabela* t : cat.Tabelas()) {
        objetos.push_back({t->nome, NomeDoTipoDeObjeto("U")});
        for (const auto& x : t->restricoes) objetos.push_back({x.nome, NomeDoTipoDeObjeto(x.tipo)});
    }
    for (const ObjetoProgramado* o : cat.Objetos())
        objetos.push_back({o->nome, NomeDoTipoDeObjeto(o->tipo)});
    std::sort(objetos.begin(), objetos.end(), [](const Objeto& a, const Objeto& b) {
        if (a.tipo != b.tipo) return a.tipo > b.tipo;
        return Dobrar(a.nome) < Dobrar(b.nome);
    });
    db::Resultado r;
    r.colunas = {TextoDoSistema("Name"), TextoDoSistema("Owner"),
                 TextoDoSistema("Object_type", 31)};
    for (const auto& o : objetos) r.linhas.push_back({o.nome, std::string("dbo"), o.tipo});
    resultados_.push_back(std::move(r));
    db::Resultado tipos;
    tipos.colunas = {TextoDoSistema("User_type"),    TextoDoSistema("Storage_type"),
                     CurtoDoSistema("Length"),       InteiroDoSistema("Prec"),
                     InteiroDoSistema("Scale"),      TextoDoSistema("Nullable", 35),
                     TextoDoSistema("Default_name"), TextoDoSistema("Rule_name"),
                     TextoDoSistema("Collation")};
    resultados_.push_back(std::move(tipos));
}

void ProcedimentosDoSistema::AjudaDaTabela(const Tabela& t) {
    resultados_.push_back(ColunasDaAjuda(t));
    resultados_.push_back(IdentidadeDaAjuda(t));
    db::Resultado guid;
    guid.colunas = {TextoDoSistema("RowGuidCol")};
    guid.linhas.push_back({std::string("No rowguidcol column defined.")});
    resultados_.push_back(std::move(guid));
    db::Resultado grupo;
    grupo.colunas = {TextoDoSistema("Data_located_on_filegroup")};
    grupo.linhas.push_back({std::string("PRIMARY")});
    resultados_.push_back(std::move(grupo));
    ListarIndices(t.nome);
    db::Resultado restricoes = RestricoesDaAjuda(t, s_.Banco());
    if (!restricoes.linhas.empty()) resultados_.push_back(std::move(restricoes));
    db::Resultado referencias;
    referencias.colunas = {TextoDoSistema("Table is referenced by foreign key", 516)};
    for (const Tabela* outra : s_.CatalogoAtual().TabelasQueReferem(t.nome))
        for (const auto& x : outra->restricoes)
            if (x.tipo == "F" && IguaisCiAs(x.tabelaReferida, t.nome))
                referencias.linhas.push_back({s_.Banco() + ".dbo." + outra->nome + ": " + x.nome});
    if (!referencias.linhas.empty()) resultados_.push_back(std::move(referencias));
}

// A module's parameters: Parameter_name, Type, Length, Prec, Scale, Param_order, Collation
// (a scalar function's return value first, nameless, as order 0).
void ProcedimentosDoSistema::ParametrosDaAjuda(const ObjetoProgramado& o) {
    const auto parametros = ParametrosDoModulo(o.texto);
    if (parametros.empty()) return;
    db::Resultado r;
    r.colunas = {TextoDoSistema("Parameter_name"), TextoDoSistema("Type"),
                 CurtoDoSistema("Length"),         InteiroDoSistema("Prec"),
                 InteiroDoSistema("Scale"),        InteiroDoSistema("Param_order"),
                 TextoDoSistema("Collation")};
    for (const auto& p : parametros)
        r.linhas.push_back(
            {p.nome, NomeDoTipo(p.tipo.base), static_cast<std::int64_t>(ComprimentoEmBytes(p.tipo)),
             static_cast<std::int64_t>(PrecisaoDoCatalogo(p.tipo)), EscalaOdbc(p.tipo),
             static_cast<std::int64_t>(p.ordem),
             TipoDeTexto(p.tipo.base) ? db::Valor{std::string("Latin1_General_CI_AS")}
                                      : db::Valor{}});
    resultados_.push_back(std::move(r));
}

// EXEC sp_helptext 'V': the text a view, procedure, function or trigger was made with,
// a row per line.
void ProcedimentosDoSistema::TextoDoObjeto(const std::string& nome) {
    const ObjetoProgramado* o = s_.CatalogoAtual().AcharObjeto(nome);
    if (!o) {
        if (s_.CatalogoAtual().AcharTabela(nome)) throw ErroDoServidor(15197, {nome});
        throw ErroDoServidor(15009, {nome, s_.Banco()});
    }
    db::Resultado r;
    r.colunas = {TextoDoSistema("Text", 255)};
    std::size_t inicio = 0;
    while (inicio < o->texto.size()) {
        std::size_t fim = o->texto.find('\n', inicio);
        fim = fim == std::string::npos ? o->texto.size() : fim + 1;
        r.linhas.push_back({o->texto.substr(inicio, fim - inicio)});
        inicio = fim;
    }
    resultados_.push_back(std::move(r));
}

}  // namespace zolvek::simulador
