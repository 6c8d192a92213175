#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <set>

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "simulador/motor/acoes_referenciais.hpp"
#include "simulador/motor/colacao.hpp"
#include "simulador/motor/executor.hpp"
#include "simulador/motor/materializacao.hpp"
#include "simulador/motor/mensagens_do_servidor.hpp"
#include "simulador/motor/nomes_do_motor.hpp"
#include "simulador/motor/reescrita.hpp"
#include "simulador/motor/sessao.hpp"
#include "simulador/motor/sqlite.hpp"

namespace zolvek::simulador {

namespace {

std::string Agora() {
    return FormatarDataHora(DataHoraAtual());
}

std::string Sufixo() {
    static thread_local std::mt19937 g{std::random_device{}()};
    char b[20];
    std::snprintf(b, sizeof b, "%08X", static_cast<unsigned>(g()));
    return b;
}

std::string NomeGerado(const std::string& tipo, const Tabela& t, const std::string& coluna) {
    std::string prefixo = tipo == "PK"   ? "PK"
                          : tipo == "UQ" ? "UQ"
                          : tipo == "F"  ? "FK"
                          : tipo == "C"  ? "CK"
                                         : "DF";
    std::string n = prefixo + "__" + t.nome.substr(0, 12) + "__";
    if (!coluna.empty()) n += coluna.substr(0, 12) + "__";
    return n + Sufixo();
}

const char* kNaoCriou = "\nCould not create constraint or index. See previous errors.";

// Columns of `t` named in an expression.
std::vector<std::string> ColunasDaExpressao(const Tabela& t, const std::string& texto) {
    std::vector<std::string> r;
    for (const auto& tk : Tokenizar(texto)) {
        if (!EhNome(tk)) continue;
        const ColunaDaTabela* c = t.Coluna(tk.texto);
        if (c && std::find(r.begin(), r.end(), c->nome) == r.end()) r.push_back(c->nome);
    }
    return r;
}

int ProximoIndid(const Tabela& t, bool clusterizado) {
    if (clusterizado && std::none_of(t.indices.begin(), t.indices.end(),
                                     [](const Indice& i) { return i.indid == 1; }))
        return 1;
    int n = 1;
    for (const auto& i : t.indices) n = std::max(n, i.indid);
    return n + 1;
}

// The objects that depend on a column, for ALTER/DROP COLUMN.
struct Dependencia {
    std::string nome;
    bool indice = false;
    bool primario = false;
    bool padrao = false;
    bool checagem = false;
};

std::vector<Dependencia> Dependencias(Catalogo& cat, const Tabela& t, const std::string& coluna) {
    std::vector<Dependencia> r;
    for (const auto& i : t.indices) {
        bool usa = std::any_of(i.incluidas.begin(), i.incluidas.end(),
                               [&](const std::string& c) { return IguaisCiAs(c, coluna); });
        for (const auto& c : i.colunas) usa = usa || IguaisCiAs(c.nome, coluna);
        if (usa) r.push_back({i.nome, i.restricao == 0, i.primario, false, false});
    }
    for (const auto& rr : t.restricoes) {
        if (rr.tipo == "D" && IguaisCiAs(rr.colunas[0].nome, coluna))
            r.push_back({rr.nome, false, false, true, false});
        if (rr.tipo == "F")
            for (const auto& c : rr.colunas)
                if (IguaisCiAs(c.nome, coluna)) r.push_back({rr.nome, false, false, false, false});
        if (rr.tipo == "C") {
            auto cols = ColunasDaExpressao(t, rr.texto);
            for (const auto& c : cols)
                if (IguaisCiAs(c, coluna)) r.push_back({rr.nome, false, false, false, true});
        }
    }
    for (Tabela* outra : cat.TabelasQueReferem(t.nome))
        for (const auto& rr : outra->restricoes)
            if (rr.tipo == "F" && IguaisCiAs(rr.tabelaReferida, t.nome))
                for (const auto& c : rr.colunasReferidas)
                    if (IguaisCiAs(c, coluna)) r.push_back({rr.nome, false, false, false, false});
    return r;
}

std::map<std::string, std::string> MesmasColunas(const Tabela& t) {
    std::map<std::string, std::string> m;
    for (const auto& c : t.colunas) m[Dobrar(c.nome)] = c.nome;
    return m;
}

bool TemLinhas(sqlite3* db, const std::string& tabela) {
    Instrucao q(db, "SELECT 1 FROM " + IdentificadorNoSqlite(tabela) + " LIMIT 1");
    return q.Passo();
}

}  // namespace

// The rows already in `t` must satisfy a foreign key or check being added or enabled
// WITH CHECK: SQL Server's 547 for the first that does not.
static void VerificarLinhasExistentes(Sessao& s, sqlite3* db, const Tabela& t, const Restricao& r) {
    const std::string& banco = s.Banco();
    if (r.tipo == "F") {
        std::string cond, nn;
        for (std::size_t k = 0; k < r.colunas.size(); ++k) {
            nn += "f." + ComoIdentificador(r.colunas[k].nome) + " IS NOT NULL AND ";
            cond += (k ? " AND " : "") + std::string("p.") +
                    ComoIdentificador(r.colunasReferidas[k]) + " = f." +
                    ComoIdentificador(r.colunas[k].nome);
        }
        Instrucao q(db, "SELECT 1 FROM " + IdentificadorNoSqlite(t.nome) + " f WHERE " + nn +
                            "NOT EXISTS (SELECT 1 FROM " + IdentificadorNoSqlite(r.tabelaReferida) +
                            " p WHERE " + cond + ") LIMIT 1");
        if (q.Passo())
            throw ErroDeBanco(
                "The ALTER TABLE statement conflicted with the FOREIGN KEY constraint \"" + r.nome +
                    "\". The conflict occurred in database \"" + banco + "\", table \"dbo." +
                    r.tabelaReferida + "\", column '" + r.colunasReferidas[0] + "'.",
                547, 16, 0);
        return;
    }
    if (r.tipo != "C") return;
    bool viola = false;
    try {
        Instrucao q(db, "SELECT 1 FROM " + IdentificadorNoSqlite(t.nome) + " WHERE NOT (" +
                            ExpressaoParaSqlite(r.texto) + ") LIMIT 1");
        viola = q.Passo();
    } catch (const FalhaDoSqlite& f) {
        std::string m = f.what();
        if (m.find("no such column: ") != std::string::npos)
            throw ErroDeBanco("Invalid column name '" + m.substr(m.find(": ") + 2) + "'.", 207, 16,
                              1);
        throw;
    }
    if (viola)
        throw ErroDeBanco(
            "The ALTER TABLE statement conflicted with the CHECK constraint \"" + r.nome +
                "\". The conflict occurred in database \"" + banco + "\", table \"dbo." + t.nome +
                "\"" +
                (r.colunas.empty() ? std::string() : ", column '" + r.colunas[0].nome + "'") + ".",
            547, 16, 0);
}

// Adds a constraint to the in-memory table, checking what SQL Server checks.
static void AdicionarRestricao(Sessao& s, sqlite3* db, Tabela& t, DefRestricao def, bool verificar,
                               bool criandoTabela) {
    Catalogo& cat = s.CatalogoAtual();
    Restricao r;
    r.tipo = def.tipo;
    r.colunas = def.colunas;
    r.texto = def.texto;
    r.tabelaReferida = def.tabelaReferida;
    r.colunasReferidas = def.colunasReferidas;
    r.aoExcluir = def.aoExcluir;
    r.aoAtualizar = def.aoAtualizar;
    r.semVerificacao = !verificar && !criandoTabela;
    r.criacao = Agora();
    std::string primeiraColuna = r.colunas.empty() ? "" : r.colunas[0].nome;
    if (r.tipo == "C" && primeiraColuna.empty()) {
        auto cols = ColunasDaExpressao(t, r.texto);
        if (cols.size() == 1) r.colunas.push_back({cols[0], false});
    }
    r.nome = def.nome.empty()
                 ? NomeGerado(r.tipo, t,
                              r.tipo == "D" || r.tipo == "C" || r.tipo == "F" ? primeiraColuna : "")
                 : def.nome;
    if (cat.IdDoObjeto(r.nome) || t.RestricaoPeloNome(r.nome))
        throw ErroDeBanco(
            "There is already an object named '" + r.nome + "' in the database." + kNaoCriou, 2714,
            16, 6);
    for (auto& c : r.colunas) {
        const ColunaDaTabela* col = t.Coluna(c.nome);
        if (!col) {
            if (r.tipo == "D")
                throw ErroDeBanco("Invalid column name '" + c.nome + "'.", 207, 16, 1);
            throw ErroDeBanco("Column name '" + c.nome +
                                  "' does not exist in the target table or view." + kNaoCriou,
                              1911, 16, 1);
        }
        c.nome = col->nome;
    }
    r.id = cat.NovoId();
    if (r.tipo == "PK" || r.tipo == "UQ") {
        if (r.tipo == "PK")
            for (const auto& x : t.restricoes)
                if (x.tipo == "PK")
                    throw ErroDeBanco("Table '" + t.nome +
                                          "' already has a primary key defined on it." + kNaoCriou,
                                      1779, 16, 0);
        for (const auto& c : r.colunas) {
            ColunaDaTabela* col = t.Coluna(c.nome);
            if (r.tipo == "PK" && col->anulavel) {
                if (!criandoTabela)
                    throw ErroDeBanco(
                        "Cannot define PRIMARY KEY constraint on nullable column in table '" +
                            t.nome + "'." + kNaoCriou,
                        8111, 16, 1);
                col->anulavel = false;
            }
            if (col->tipo.tamanho < 0 || col->tipo.base == TipoBase::Text ||
                col->tipo.base == TipoBase::NText || col->tipo.base == TipoBase::Image)
                throw ErroDeBanco(
                    "Column '" + col->nome + "' in table '" + t.nome +
                        "' is of a type that is invalid for use as a key column in an index." +
                        kNaoCriou,
                    1919, 16, 1);
        }
        Indice i;
        i.nome = r.nome;
        i.unico = true;
        i.primario = r.tipo == "PK";
        i.restricao = r.id;
        i.colunas = r.colunas;
        i.indid = ProximoIndid(t, r.tipo == "PK");
        t.indices.push_back(i);
    } else if (r.tipo == "F") {
        Tabela* ref = IguaisCiAs(r.tabelaReferida, t.nome) ? &t : cat.AcharTabela(r.tabelaReferida);
        if (!ref)
            throw ErroDeBanco("Foreign key '" + r.nome + "' references invalid table '" +
                                  r.tabelaReferida + "'." + kNaoCriou,
                              1767, 16, 0);
        r.tabelaReferida = ref->nome;
        if (r.colunasReferidas.empty()) {
            for (const auto& i : ref->indices)
                if (i.primario)
                    for (const auto& c : i.colunas) r.colunasReferidas.push_back(c.nome);
        }
        bool casa = false;
        for (const auto& i : ref->indices) {
            if (!i.unico || i.colunas.size() != r.colunasReferidas.size()) continue;
            bool todas = true;
            for (const auto& c : i.colunas)
                if (std::none_of(r.colunasReferidas.begin(), r.colunasReferidas.end(),
                                 [&](const std::string& x) { return IguaisCiAs(x, c.nome); }))
                    todas = false;
            if (todas) casa = true;
        }
        if (!casa || r.colunasReferidas.size() != r.colunas.size())
            throw ErroDeBanco("There are no primary or candidate keys in the referenced table '" +
                                  ref->nome +
                                  "' that match the referencing column list in the foreign key '" +
                                  r.nome + "'." + kNaoCriou,
                              1776, 16, 0);
        for (std::size_t k = 0; k < r.colunas.size(); ++k) {
            const ColunaDaTabela* local = t.Coluna(r.colunas[k].nome);
            const ColunaDaTabela* remota = ref->Coluna(r.colunasReferidas[k]);
            r.colunasReferidas[k] = remota->nome;
            if (local->tipo.base != remota->tipo.base)
                throw ErroDeBanco("Column '" + ref->nome + "." + remota->nome +
                                      "' is not the same data type as referencing column '" +
                                      t.nome + "." + local->nome + "' in foreign key '" + r.nome +
                                      "'." + kNaoCriou,
                                  1778, 16, 0);
        }
        ExigirAcoesValidas(cat, t, r);
        if (verificar && !criandoTabela) VerificarLinhasExistentes(s, db, t, r);
    } else if (r.tipo == "C") {
        for (const auto& coluna : ColunasDaExpressao(r.texto))
            if (!t.Coluna(coluna))
                throw ErroDeBanco("Invalid column name '" + coluna + "'.", 207, 16, 1);
        ExpressaoParaSqlite(r.texto);  // refuses here what the expression reader cannot read
        if (verificar && !criandoTabela) VerificarLinhasExistentes(s, db, t, r);
    } else if (r.tipo == "D") {
        const ColunaDaTabela* col = t.Coluna(r.colunas[0].nome);
        if (t.PadraoDaColuna(col->nome))
            throw ErroDeBanco("Column already has a DEFAULT bound to it." + std::string(kNaoCriou),
                              1781, 16, 0);
        if (col->identidade)
            throw ErroDeBanco(
                "Defaults cannot be created on columns with an IDENTITY attribute. Table '" +
                    t.nome + "', column '" + col->nome + "'." + kNaoCriou,
                1754, 16, 0);
        if (col->tipo.base == TipoBase::RowVersion)
            throw ErroDeBanco(
                "Defaults cannot be created on columns of data type timestamp. Table '" + t.nome +
                    "', column '" + col->nome + "'." + kNaoCriou,
                1755, 16, 0);
    }
    t.restricoes.push_back(std::move(r));
}

static TipoSql ValidarColuna(const DefColuna& d, const std::string& tabela) {
    if (d.identidade && !(EhInteiro(d.tipo.base) && d.tipo.base != TipoBase::Bit) &&
        !EhNumericoExato(d.tipo.base))
        throw ErroDeBanco(
            "Identity column '" + d.nome +
                "' must be of data type int, bigint, smallint, tinyint, or "
                "decimal or numeric with a scale of 0, and constrained to be nonnullable.",
            2749, 16, 2);
    (void)tabela;
    return d.tipo;
}

static ColunaDaTabela NovaColuna(const DefColuna& d, const std::string& tabela) {
    ColunaDaTabela c;
    c.nome = d.nome;
    c.calculo = d.calculo;
    c.persistida = d.persistida;
    c.tipoDoUsuario = d.tipoDoUsuario;
    if (!c.calculo.empty()) {  // its type is its expression's (TiparColunasCalculadas)
        c.anulavel = d.anulavel.value_or(true);
        return c;
    }
    c.tipo = ValidarColuna(d, tabela);
    c.identidade = d.identidade;
    c.semente = d.semente;
    c.incremento = d.incremento;
    if (d.identidade && d.incremento != 1)
        throw ErroDeBanco(
            "O simulador de SQL Server só aceita IDENTITY com incremento 1 (coluna '" + d.nome +
            "').");
    c.anulavel = d.anulavel.value_or(true);
    if (d.identidade || d.tipo.base == TipoBase::RowVersion) c.anulavel = false;
    if (d.identidade && d.anulavel.value_or(false))
        throw ErroDeBanco("Could not create IDENTITY attribute on nullable column '" + d.nome +
                              "', table '" + tabela + "'.",
                          8147, 16, 1);
    return c;
}

void Executor::CriarTabela(const instrucao::CriarTabela& c) {
    Catalogo& cat = s_.CatalogoAtual();
    const std::string& nome = c.objeto.Nome();
    if (cat.IdDoObjeto(nome))
        throw ErroDeBanco("There is already an object named '" + nome + "' in the database.", 2714,
                          16, 6);
    if (nome.empty()) throw ErroDeBanco("Incorrect syntax near '" + nome + "'.", 102, 15, 1);
    // #T and ##T live as long as the session that made them
    if (nome[0] == '#') AnotarTemporaria(nome);
    std::vector<DefRestricao> restricoes;
    Tabela t = ColunasDeclaradas(nome, c.colunas, c.restricoes, restricoes);
    Atomico([&] {
        t.id = cat.NovoId();
        sqlite3* db = s_.db_;
        for (const auto& r : restricoes) AdicionarRestricao(s_, db, t, r, false, true);
        cat.GravarTabela(db, t);
        CriarTabelaSqlite(db, cat, *cat.AcharTabela(nome));
        for (const auto& r : t.restricoes)
            if (r.tipo == "F" && !IguaisCiAs(r.tabelaReferida, t.nome))
                RecriarGatilhos(db, cat, *cat.AcharTabela(r.tabelaReferida));
        AposDdl();
    });
    resultados_.push_back(db::Resultado{});
}

// The columns of CREATE TABLE or DECLARE @t TABLE, checked as SQL Server checks them;
// `restricoes` receives the constraints of the columns and of the table.
Tabela Executor::ColunasDeclaradas(const std::string& nome, const std::vector<DefColuna>& colunas,
                                   const std::vector<DefRestricao>& daTabela,
                                   std::vector<DefRestricao>& restricoes) {
    Tabela t;
    t.nome = nome;
    t.criacao = Agora();
    int identidades = 0, versoes = 0;
    for (const auto& d : ColunasComTipos(colunas)) {
        if (t.Coluna(d.nome))
            throw ErroDeBanco("Column names in each table must be unique. Column name '" + d.nome +
                                  "' in table '" + nome + "' is specified more than once.",
                              2705, 16, 3);
        if (d.identidade && ++identidades > 1)
            throw ErroDeBanco("Multiple identity columns specified for table '" + nome +
                                  "'. Only one identity column per table is allowed.",
                              2744, 16, 2);
        if (d.tipo.base == TipoBase::RowVersion && ++versoes > 1)
            throw ErroDeBanco("A table can only have one timestamp column. Because table '" + nome +
                                  "' already has one, the column '" + d.nome + "' cannot be added.",
                              2738, 16, 2);
        t.colunas.push_back(NovaColuna(d, nome));
        for (const auto& r : d.restricoes) restricoes.push_back(r);
    }
    if (t.colunas.empty()) throw ErroDeBanco("Incorrect syntax near ')'.", 102, 15, 1);
    for (const auto& r : daTabela) restricoes.push_back(r);
    TiparColunasCalculadas(t);
    return t;
}

// DECLARE @t TABLE (...): the table variables of a batch or a procedure's body are made
// when it begins to run and dropped when it ends.
Tabela Executor::TabelaDaVariavel(const instrucao::VariavelDeclarada& v) {
    std::vector<DefRestricao> restricoes;
    Tabela t = ColunasDeclaradas(v.nome, v.colunas, v.restricoes, restricoes);
    for (const auto& r : restricoes) {
        if (r.tipo == "F")
            throw ErroDeBanco("Incorrect syntax near the keyword 'REFERENCES'.", 156, 15, 1);
        AdicionarRestricao(s_, s_.db_, t, r, false, true);
    }
    if (t.VersaoDeLinha())
        throw ErroDeBanco(
            "O simulador de SQL Server não aceita colunas timestamp em "
            "variáveis de tabela (" +
            v.nome + ").");
    return t;
}

void Executor::CriarVariaveisDeTabela() {
    tabelasCriadas_ = true;
    if (!quadro_) return;
    for (const instrucao::VariavelDeclarada* v : quadro_->Tabelas()) {
        s_.CriarVariavelDeTabela(TabelaDaVariavel(*v));
        variaveisDeTabela_.push_back(v->nome);
    }
}

// A #table lives as long as the session, or as the procedure call or dynamic batch
// (EXEC ('...'), sp_executesql) that made it; a ##table as the session.
void Executor::AnotarTemporaria(const std::string& nome) {
    s_.AnotarTemporaria(nome);
    if (estado_ != &estadoProprio_ && nome.rfind("##", 0) != 0) temporarias_.push_back(nome);
}

Executor::~Executor() {
    emCurso_ = anterior_;
    for (const auto& nome : variaveisDeTabela_) s_.ExcluirVariavelDeTabela(nome);
    if (temporarias_.empty()) return;
    try {
        instrucao::ExcluirTabela x;
        x.nomes = temporarias_;
        x.seExistir = true;
        ExcluirTabela(x);
    } catch (...) {
        // the session drops it when it ends
    }
}

void Executor::AlterarTabela(const instrucao::AlterarTabela& c) {
    Catalogo& cat = s_.CatalogoAtual();
    Tabela* atual = cat.AcharTabela(c.objeto.Nome());
    if (!atual) {
        throw ErroDeBanco("Cannot find the object \"" + c.objeto.Nome() +
                              "\" because it does not exist or you do not have permissions.",
                          4902, 16, 1);
    }
    sqlite3* db = s_.db_;
    const Tabela antiga = *atual;
    Tabela t = antiga;
    Atomico([&] {
        switch (c.acao) {
            case AcaoAlterar::Adicionar: {
                bool verificar = c.comVerificacao.value_or(true);
                auto origem = MesmasColunas(antiga);
                bool reconstruir = !c.colunas.empty();
                bool temLinhas = !c.colunas.empty() && TemLinhas(db, t.nome);
                std::vector<DefRestricao> restricoes;
                for (const auto& d : ColunasComTipos(c.colunas)) {
                    if (t.Coluna(d.nome))
                        throw ErroDeBanco(
                            "Column names in each table must be unique. Column name '" + d.nome +
                                "' in table '" + t.nome + "' is specified more than once.",
                            2705, 16, 3);
                    if (d.identidade && t.Identidade())
                        throw ErroDeBanco("Multiple identity columns specified for table '" +
                                              t.nome +
                                              "'. Only one identity column per table is allowed.",
                                          2744, 16, 2);
                    ColunaDaTabela col = NovaColuna(d, t.nome);
                    bool temPadrao =
                        std::any_of(d.restricoes.begin(), d.restricoes.end(),
                                    [](const DefRestricao& r) { return r.tipo == "D"; });
                    if (!col.anulavel && !temPadrao && !col.identidade &&
                        col.tipo.base != TipoBase::RowVersion && temLinhas)
                        throw ErroDeBanco(
                            "ALTER TABLE only allows columns to be added that can contain nulls, "
                            "or have a DEFAULT "
                            "definition specified, or the column being added is an identity or "
                            "timestamp column, or "
                            "alternatively if none of the previous conditions are satisfied the "
                            "table must be empty to "
                            "allow addition of this column. Column '" +
                                d.nome + "' cannot be added to non-empty table '" + t.nome +
                                "' because it does not satisfy these conditions.",
                            4901, 16, 1);
                    if (col.anulavel && temPadrao && !d.comValores)
                        origem[Dobrar(col.nome)] = "";  // existing rows get NULL
                    t.colunas.push_back(col);
                    for (const auto& r : d.restricoes) restricoes.push_back(r);
                }
                for (const auto& r : c.restricoes) restricoes.push_back(r);
                std::set<std::string> pais;
                bool soIndices = !reconstruir;
                for (const auto& r : restricoes) {
                    AdicionarRestricao(s_, db, t, r, verificar, false);
                    if (r.tipo == "C" || r.tipo == "D") reconstruir = true;
                    if (r.tipo == "F") pais.insert(t.restricoes.back().tabelaReferida);
                }
                cat.GravarTabela(db, t);
                const Tabela& gravada = *cat.AcharTabela(t.nome);
                if (reconstruir) {
                    ReconstruirTabela(db, cat, gravada, antiga, origem);
                } else if (soIndices) {
                    for (const auto& i : gravada.indices)
                        if (std::none_of(
                                antiga.indices.begin(), antiga.indices.end(),
                                [&](const Indice& x) { return IguaisCiAs(x.nome, i.nome); }))
                            CriarIndiceSqlite(db, gravada, i);
                    RecriarGatilhos(db, cat, gravada);
                }
                for (const auto& p : pais)
                    if (!IguaisCiAs(p, t.nome)) RecriarGatilhos(db, cat, *cat.AcharTabela(p));
                break;
            }
            case AcaoAlterar::AlterarColuna: {
                const DefColuna d = ColunasComTipos(c.colunas)[0];
                ColunaDaTabela* col = t.Coluna(d.nome);
                if (!col)
                    throw ErroDeBanco("ALTER TABLE ALTER COLUMN failed because column '" +
                                          d.nome + "' does not exist in table '" + t.nome + "'.",
                                      4924, 16, 1);
                if (d.identidade)
                    throw ErroDeBanco("Incorrect syntax near the keyword 'IDENTITY'.", 156, 15, 1);
                if (col->tipo.base == TipoBase::RowVersion || d.tipo.base == TipoBase::RowVersion)
                    throw ErroDeBanco(
                        "Cannot alter column '" + col->nome + "' because it is 'timestamp'.", 4928,
                        16, 1);
                bool mesmoTipo = col->tipo == d.tipo;
                bool anulavel = d.anulavel.value_or(true);
                if (col->identidade) anulavel = false;
                if (mesmoTipo && anulavel == col->anulavel) return;  // nothing changes
                bool cresce =
                    col->tipo.base == d.tipo.base &&
                    (d.tipo.base == TipoBase::VarChar || d.tipo.base == TipoBase::NVarChar ||
                     d.tipo.base == TipoBase::VarBinary) &&
                    d.tipo.tamanho >= col->tipo.tamanho && col->tipo.tamanho > 0 &&
                    anulavel == col->anulavel;
                bool mesmaBase = col->tipo.base == d.tipo.base;
                bool variavel = mesmaBase && (d.tipo.base == TipoBase::VarChar ||
                                              d.tipo.base == TipoBase::NVarChar ||
                                              d.tipo.base == TipoBase::VarBinary);
                for (const auto& dep : Dependencias(cat, t, col->nome)) {
                    // a default allows another length, precision or scale of the same type
                    if (dep.padrao && mesmaBase) continue;
                    // a CHECK allows another length of a variable-length column
                    if (dep.checagem && variavel && anulavel == col->anulavel) continue;
                    if (dep.indice && !dep.primario &&
                        (cresce || (mesmoTipo && anulavel == col->anulavel)))
                        continue;
                    if (!dep.indice && !dep.padrao && !dep.primario && mesmoTipo &&
                        anulavel == col->anulavel)
                        continue;
                    if (dep.nome.empty()) continue;
                    bool eIndice = dep.indice;
                    // a UNIQUE constraint's index may grow too
                    if (!dep.primario && cresce) {
                        const Indice* ind = nullptr;
                        for (const auto& i : t.indices)
                            if (IguaisCiAs(i.nome, dep.nome)) ind = &i;
                        if (ind) continue;
                    }
                    throw ErroDeBanco(std::string("The ") + (eIndice ? "index" : "object") + " '" +
                                          dep.nome + "' is dependent on column '" + col->nome +
                                          "'.\nALTER TABLE ALTER COLUMN " + col->nome +
                                          " failed because one or more objects access this column.",
                                      5074, 16, 1);
                }
                col->tipo = d.tipo;
                col->anulavel = anulavel;
                col->tipoDoUsuario = d.tipoDoUsuario;
                cat.GravarTabela(db, t);
                try {
                    ReconstruirTabela(db, cat, *cat.AcharTabela(t.nome), antiga,
                                      MesmasColunas(antiga));
                } catch (const FalhaDoSqlite& f) {
                    FalhaTraduzida(f, 'U', t.nome);
                }
                break;
            }
            case AcaoAlterar::ExcluirRestricao: {
                std::set<std::string> pais;
                bool reconstruir = false;
                std::vector<Indice> indicesRemovidos;
                for (const auto& nome : c.nomes) {
                    Restricao* r = t.RestricaoPeloNome(nome);
                    if (!r)
                        throw ErroDeBanco(
                            "'" + nome +
                                "' is not a constraint.\nCould not drop constraint. See "
                                "previous errors.",
                            3728, 16, 1);
                    if (r->tipo == "PK" || r->tipo == "UQ") {
                        for (Tabela* outra : cat.TabelasQueReferem(t.nome))
                            for (const auto& f : outra->restricoes)
                                if (f.tipo == "F" && IguaisCiAs(f.tabelaReferida, t.nome) &&
                                    outra->id != t.id) {
                                    std::set<std::string> a, b;
                                    for (const auto& x : f.colunasReferidas) a.insert(Dobrar(x));
                                    for (const auto& x : r->colunas) b.insert(Dobrar(x.nome));
                                    if (a == b)
                                        throw ErroDeBanco(
                                            "The constraint '" + r->nome +
                                                "' is being referenced by table '" + outra->nome +
                                                "', foreign key constraint '" + f.nome +
                                                "'.\nCould not drop constraint. See previous "
                                                "errors.",
                                            3725, 16, 0);
                                }
                        std::int64_t id = r->id;
                        for (auto it = t.indices.begin(); it != t.indices.end();)
                            if (it->restricao == id) {
                                indicesRemovidos.push_back(*it);
                                it = t.indices.erase(it);
                            } else {
                                ++it;
                            }
                    }
                    if (r->tipo == "F") pais.insert(r->tabelaReferida);
                    if (r->tipo == "C" || r->tipo == "D") reconstruir = true;
                    std::string n = r->nome;
                    t.restricoes.erase(
                        std::remove_if(t.restricoes.begin(), t.restricoes.end(),
                                       [&](const Restricao& x) { return IguaisCiAs(x.nome, n); }),
                        t.restricoes.end());
                }
                cat.GravarTabela(db, t);
                const Tabela& gravada = *cat.AcharTabela(t.nome);
                // a primary key kept as SQLite's row key goes only with the table rebuilt
                if (std::any_of(indicesRemovidos.begin(), indicesRemovidos.end(),
                                [&](const Indice& i) { return IndiceNaLinha(db, antiga, i); }))
                    reconstruir = true;
                if (reconstruir) {
                    ReconstruirTabela(db, cat, gravada, antiga, MesmasColunas(antiga));
                } else {
                    for (const auto& i : indicesRemovidos) ExcluirIndiceSqlite(db, antiga, i);
                    RecriarGatilhos(db, cat, gravada);
                }
                for (const auto& p : pais)
                    if (!IguaisCiAs(p, t.nome))
                        if (Tabela* pai = cat.AcharTabela(p)) RecriarGatilhos(db, cat, *pai);
                break;
            }
            case AcaoAlterar::ExcluirColuna: {
                auto origem = MesmasColunas(antiga);
                for (const auto& nome : c.nomes) {
                    ColunaDaTabela* col = t.Coluna(nome);
                    if (!col)
                        throw ErroDeBanco("ALTER TABLE DROP COLUMN failed because column '" + nome +
                                              "' does not exist in table '" + t.nome + "'.",
                                          4924, 16, 1);
                    for (const auto& dep : Dependencias(cat, t, col->nome))
                        throw ErroDeBanco(
                            std::string("The ") + (dep.indice ? "index" : "object") + " '" +
                                dep.nome + "' is dependent on column '" + col->nome +
                                "'.\nALTER TABLE DROP COLUMN " + col->nome +
                                " failed because one or more objects access this column.",
                            5074, 16, 1);
                    origem.erase(Dobrar(col->nome));
                    std::string n = col->nome;
                    t.colunas.erase(std::remove_if(t.colunas.begin(), t.colunas.end(),
                                                   [&](const ColunaDaTabela& x) {
                                                       return IguaisCiAs(x.nome, n);
                                                   }),
                                    t.colunas.end());
                }
                if (t.colunas.empty())
                    throw ErroDeBanco("ALTER TABLE DROP COLUMN failed because '" + c.nomes.back() +
                                          "' is the only data column in table '" + t.nome +
                                          "'. A table must have at least one data column.",
                                      4923, 16, 1);
                cat.GravarTabela(db, t);
                ReconstruirTabela(db, cat, *cat.AcharTabela(t.nome), antiga, origem);
                break;
            }
            case AcaoAlterar::Verificacao:
                HabilitarRestricoes(c, t, antiga);
                break;
        }
        AposDdl();
    });
    resultados_.push_back(db::Resultado{});
}

// ALTER TABLE T [WITH CHECK | WITH NOCHECK] CHECK | NOCHECK CONSTRAINT ALL | name, ...:
// a disabled foreign key or check is not enforced (its triggers and SQLite's CHECK go);
// enabling it WITH CHECK validates the rows first and makes it trusted again.
void Executor::HabilitarRestricoes(const instrucao::AlterarTabela& c, Tabela& t,
                                   const Tabela& antiga) {
    Catalogo& cat = s_.CatalogoAtual();
    sqlite3* db = s_.db_;
    const bool habilitar = c.ligado;
    const bool validar = habilitar && c.comVerificacao.value_or(false);
    std::vector<Restricao*> alvo;
    if (c.nomes.empty()) {
        for (auto& r : t.restricoes)
            if (r.tipo == "F" || r.tipo == "C") alvo.push_back(&r);
    }
    for (const auto& nome : c.nomes) {
        Restricao* r = t.RestricaoPeloNome(nome);
        if (!r)
            throw ErroDeBanco("Constraint '" + nome +
                                  "' does not exist.\nCould not enable or disable the constraint. "
                                  "See previous errors.",
                              4917, 16, 0);
        if (r->tipo != "F" && r->tipo != "C")
            throw ErroDeBanco("Object '" + r->nome +
                                  "' cannot be disabled or enabled. This action applies only to "
                                  "foreign key and check constraints.\nCould not enable or disable "
                                  "the constraint. See previous errors.",
                              11415, 16, 1);
        alvo.push_back(r);
    }
    bool reconstruir = false;
    std::set<std::string> pais;
    for (Restricao* r : alvo) {
        if (validar) VerificarLinhasExistentes(s_, db, t, *r);
        if (r->desabilitada == !habilitar && !validar) continue;
        if (r->tipo == "C" && r->desabilitada == habilitar) reconstruir = true;
        if (r->tipo == "F") pais.insert(r->tabelaReferida);
        r->desabilitada = !habilitar;
        // enabled without WITH CHECK it stays untrusted: the rows were not looked at
        if (!habilitar)
            r->semVerificacao = true;
        else if (validar)
            r->semVerificacao = false;
    }
    cat.GravarTabela(db, t);
    const Tabela& gravada = *cat.AcharTabela(t.nome);
    if (reconstruir)
        ReconstruirTabela(db, cat, gravada, antiga, MesmasColunas(antiga));
    else
        RecriarGatilhos(db, cat, gravada);
    for (const auto& p : pais)
        if (!IguaisCiAs(p, t.nome))
            if (Tabela* pai = cat.AcharTabela(p)) RecriarGatilhos(db, cat, *pai);
}

void Executor::ExcluirTabela(const instrucao::ExcluirTabela& c) {
    Catalogo& cat = s_.CatalogoAtual();
    Atomico([&] {
        sqlite3* db = s_.db_;
        for (const auto& nome : c.nomes) {
            Tabela* t = cat.AcharTabela(nome);
            if (!t) {
                if (c.seExistir) continue;
                throw ErroDeBanco("Cannot drop the table '" + nome +
                                      "', because it does not exist or you do not have permission.",
                                  3701, 11, 5);
            }
            for (Tabela* outra : cat.TabelasQueReferem(t->nome))
                if (outra->id != t->id)
                    for (const auto& f : outra->restricoes)
                        if (f.tipo == "F" && IguaisCiAs(f.tabelaReferida, t->nome))
                            throw ErroDeBanco(
                                "Could not drop object '" + t->nome +
                                    "' because it is referenced by a FOREIGN KEY constraint.",
                                3726, 16, 1);
            std::vector<std::string> pais;
            for (const auto& f : t->restricoes)
                if (f.tipo == "F" && !IguaisCiAs(f.tabelaReferida, t->nome))
                    pais.push_back(f.tabelaReferida);
            std::string nomeReal = t->nome;
            ExecutarSql(db, "DROP TABLE " + IdentificadorNoSqlite(nomeReal));
            if (Dobrar(nomeReal) == s_.identityInsert_) s_.identityInsert_.clear();
            cat.ExcluirTabela(db, nomeReal);
            for (const auto& p : pais)
                if (Tabela* pai = cat.AcharTabela(p)) RecriarGatilhos(db, cat, *pai);
        }
        AposDdl();
    });
    resultados_.push_back(db::Resultado{});
}

namespace {

// A column is a key of the index once, or one of its included columns once, never both.
void ExigirColunasDistintas(const instrucao::CriarIndice& i) {
    std::vector<std::string> vistas;
    auto ver = [&](const std::string& nome) {
        if (std::any_of(vistas.begin(), vistas.end(),
                        [&](const std::string& v) { return IguaisCiAs(v, nome); }))
            throw ErroDeBanco("Cannot use duplicate column names in index. Column name '" + nome +
                                  "' listed more than once.",
                              1909, 16, 1);
        vistas.push_back(nome);
    };
    for (const auto& c : i.colunasDoIndice) ver(c.nome);
    for (const auto& c : i.incluidas) ver(c);
}

}  // namespace

void Executor::CriarIndice(const instrucao::CriarIndice& c) {
    Catalogo& cat = s_.CatalogoAtual();
    Tabela* atual = cat.AcharTabela(c.objeto.Nome());
    if (!atual)
        throw ErroDeBanco("Cannot find the object \"" + c.objeto.Nome() +
                              "\" because it does not exist or you do not have permissions.",
                          1088, 16, 12);
    Tabela t = *atual;
    if (t.IndicePeloNome(c.nomeDoIndice))
        throw ErroDeBanco("The operation failed because an index or statistics with name '" +
                              c.nomeDoIndice + "' already exists on table '" + t.nome + "'.",
                          1913, 16, 1);
    Indice i;
    i.nome = c.nomeDoIndice;
    i.unico = c.unico;
    i.colunas = c.colunasDoIndice;
    i.filtro = c.filtro;
    for (const auto& coluna : i.filtro.empty() ? std::vector<std::string>{}
                                               : ColunasDaExpressao(i.filtro))
        if (!t.Coluna(coluna)) throw ErroDoServidor(207, {coluna});
    ExigirColunasDistintas(c);
    for (auto& col : i.colunas) {
        const ColunaDaTabela* cc = t.Coluna(col.nome);
        if (!cc)
            throw ErroDeBanco(
                "Column name '" + col.nome + "' does not exist in the target table or view.", 1911,
                16, 1);
        if (cc->tipo.tamanho < 0 || cc->tipo.base == TipoBase::Text ||
            cc->tipo.base == TipoBase::NText || cc->tipo.base == TipoBase::Image)
            throw ErroDeBanco(
                "Column '" + cc->nome + "' in table '" + t.nome +
                    "' is of a type that is invalid for use as a key column in an index.",
                1919, 16, 1);
        col.nome = cc->nome;
    }
    for (const auto& nome : c.incluidas) {
        const ColunaDaTabela* cc = t.Coluna(nome);
        if (!cc)
            throw ErroDeBanco(
                "Column name '" + nome + "' does not exist in the target table or view.", 1911, 16,
                1);
        i.incluidas.push_back(cc->nome);
    }
    i.indid = ProximoIndid(t, false);
    t.indices.push_back(i);
    Atomico([&] {
        cat.GravarTabela(s_.db_, t);
        CriarIndiceSqlite(s_.db_, t, i);
        AposDdl();
    });
    resultados_.push_back(db::Resultado{});
}

void Executor::ExcluirIndice(const instrucao::ExcluirIndice& c) {
    Catalogo& cat = s_.CatalogoAtual();
    Atomico([&] {
        for (const auto& [tabela, indice] : c.indices) {
            Tabela* atual = cat.AcharTabela(tabela.Nome());
            Indice* i = atual ? atual->IndicePeloNome(indice) : nullptr;
            if (!i) {
                if (c.seExistir) continue;
                throw ErroDeBanco("Cannot drop the index '" + tabela.Nome() + "." + indice +
                                      "', because it does not exist or you do not have permission.",
                                  3701, 11, 7);
            }
            if (i->restricao != 0)
                throw ErroDeBanco("An explicit DROP INDEX is not allowed on index '" + atual->nome +
                                      "." + i->nome + "'. It is being used for " +
                                      (i->primario ? "PRIMARY KEY" : "UNIQUE KEY") +
                                      " constraint enforcement.",
                                  3723, 16, 4);
            Tabela t = *atual;
            Indice removido = *i;
            t.indices.erase(
                std::remove_if(t.indices.begin(), t.indices.end(),
                               [&](const Indice& x) { return x.indid == removido.indid; }),
                t.indices.end());
            ExcluirIndiceSqlite(s_.db_, t, removido);
            cat.GravarTabela(s_.db_, t);
        }
        AposDdl();
    });
    resultados_.push_back(db::Resultado{});
}

void Executor::CriarObjeto(const instrucao::CriarObjeto& c, Faixa faixa) {
    Catalogo& cat = s_.CatalogoAtual();
    const std::string& nome = c.objeto.Nome();
    const ObjetoProgramado* existente = cat.AcharObjeto(nome);
    if (!c.alterar && cat.IdDoObjeto(nome))
        throw ErroDeBanco("There is already an object named '" + nome + "' in the database.", 2714,
                          16, 6);
    if (c.alterar && !existente)
        throw ErroDeBanco("Invalid object name '" + nome + "'.", 208, 16, 1);
    if (c.alterar && existente && (existente->tipo == "FN" || existente->tipo == "IF" ||
                                   existente->tipo == "TF"))
        ExigirFuncaoSemRestricoes(existente->nome, "ALTER");
    ObjetoProgramado o;
    o.nome = nome;
    o.tipo = c.tipoDeObjeto;
    o.texto = TextoDaFaixa(faixa);
    o.criacao = existente ? existente->criacao : FormatarDataHora(DataHoraAtual());
    if (c.tipoDeObjeto == "TR") o.pai = DonoDoGatilho(c, existente);
    ExigirTiposDoCorpo(c);
    VerificarColunasDoCorpo(c);
    Atomico([&] {
        sqlite3* db = s_.db_;
        o.id = existente ? existente->id : cat.NovoId();
        if (c.tipoDeObjeto == "V") {
            ExecutarSql(db, "DROP VIEW IF EXISTS " + IdentificadorNoSqlite(nome));
            std::string colunas;
            for (const auto& n : c.colunasDaVisao)
                colunas += (colunas.empty() ? "(" : ", ") + ComoIdentificador(n);
            std::string sql = "CREATE VIEW " + IdentificadorNoSqlite(nome) +
                              (colunas.empty() ? "" : colunas + ")") + " AS " + Reescrita(c.corpo);
            try {
                ExecutarSql(db, sql);
                Instrucao teste(db, "SELECT * FROM " + IdentificadorNoSqlite(nome) + " LIMIT 0");
                teste.Passo();
            } catch (const FalhaDoSqlite& f) {
                // "expected N columns for 'v' but got M": more names than columns
                int nomes = 0, colunasDaConsulta = 0;
                if (std::sscanf(f.what(), "expected %d columns for %*s but got %d", &nomes,
                                &colunasDaConsulta) == 2 &&
                    nomes > colunasDaConsulta)
                    throw ErroDoServidor(4502, {nome});
                FalhaTraduzida(f, 'S', "");
            }
        }
        cat.GravarObjeto(db, o);
        AposDdl();
    });
    resultados_.push_back(db::Resultado{});
}

// The table (or, for an INSTEAD OF trigger, view) a trigger is created on: at most one
// INSTEAD OF trigger of each event (2111), none on a table whose foreign keys cascade that
// event (2113).
std::int64_t Executor::DonoDoGatilho(const instrucao::CriarObjeto& c,
                                     const ObjetoProgramado* existente) {
    Catalogo& cat = s_.CatalogoAtual();
    const std::string& nome = c.tabelaDoGatilho.Nome();
    const Tabela* t = cat.AcharTabela(nome);
    const ObjetoProgramado* v = t ? nullptr : cat.AcharObjeto(nome);
    if (!t && !(v && v->tipo == "V"))
        throw ErroDeBanco("Invalid object name '" + nome + "'.", 208, 16, 1);
    if (v && !c.emVezDe) throw ErroDoServidor(8197, {nome});
    const std::int64_t dono = t ? t->id : v->id;
    if (!c.emVezDe) return dono;
    for (const auto& evento : c.eventos) {
        if (t && evento != "INSERT")
            for (const auto& r : t->restricoes)
                if (r.tipo == "F" && !(evento == "DELETE" ? r.aoExcluir : r.aoAtualizar).empty())
                    throw ErroDoServidor(2113, {c.alterar ? "ALTER" : "CREATE", c.objeto.Nome(),
                                                t->nome});
        for (const ObjetoProgramado* o : cat.GatilhosDe(dono)) {
            if (existente && o->id == existente->id) continue;
            auto plano = s_.Planejar(o->texto);
            const auto& def = std::get<instrucao::CriarObjeto>(plano->comandos.front()->instrucao);
            if (def.emVezDe &&
                std::find(def.eventos.begin(), def.eventos.end(), evento) != def.eventos.end())
                throw ErroDoServidor(2111, {c.alterar ? "alter" : "create", c.objeto.Nome(),
                                            t ? "table" : "view", t ? t->nome : v->nome, evento});
        }
    }
    return dono;
}

void Executor::ExcluirObjeto(const instrucao::ExcluirObjeto& c) {
    Catalogo& cat = s_.CatalogoAtual();
    static const std::map<std::string, std::string> nomes = {
        {"P", "procedure"}, {"TR", "trigger"}, {"V", "view"}, {"FN", "function"}};
    Atomico([&] {
        for (const auto& nome : c.nomes) {
            const ObjetoProgramado* o = cat.AcharObjeto(nome);
            bool tipoCerto =
                o && (o->tipo == c.tipoDeObjeto ||
                      (c.tipoDeObjeto == "FN" && (o->tipo == "IF" || o->tipo == "TF")));
            if (!tipoCerto) {
                if (c.seExistir) continue;
                throw ErroDeBanco("Cannot drop the " + nomes.at(c.tipoDeObjeto) + " '" + nome +
                                      "', because it does not exist or you do not have permission.",
                                  3701, 11, 5);
            }
            if (c.tipoDeObjeto == "FN") ExigirFuncaoSemRestricoes(o->nome, "DROP FUNCTION");
            if (o->tipo == "V") {
                ExecutarSql(s_.db_, "DROP VIEW IF EXISTS " + IdentificadorNoSqlite(o->nome));
                for (const ObjetoProgramado* g : cat.GatilhosDe(o->id)) {
                    const std::string gatilho = g->nome;  // its triggers go with it
                    cat.ExcluirObjeto(s_.db_, gatilho);
                }
            }
            cat.ExcluirObjeto(s_.db_, nome);
        }
        AposDdl();
    });
    resultados_.push_back(db::Resultado{});
}

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
            throw ErroDeBanco("Granted or revoked privilege " + texto::Maiusculas(p) +
                                  " is not compatible with object.",
                              4606, 16, 1);
    }
}

}  // namespace

void Executor::Conceder(const instrucao::Conceder& c) {
    Catalogo& cat = s_.CatalogoAtual();
    std::int64_t objeto = 0;
    if (!c.objeto.Vazio()) {
        auto id = cat.IdDoObjeto(c.objeto.Nome());
        if (!id)
            throw ErroDeBanco("Cannot find the object '" + c.objeto.Nome() +
                                  "', because it does not exist or you do not have permission.",
                              15151, 16, 1);
        objeto = *id;
        const ObjetoProgramado* o = cat.AcharObjeto(c.objeto.Nome());
        ExigirPermissoesCompativeis(c.permissoes, o ? o->tipo : "U");
    }
    sqlite3* db = s_.db_;
    for (const auto& p : c.principais) {
        if (!IguaisCiAs(p, "public")) {
            Instrucao q(db, "SELECT 1 FROM zv_usuarios WHERE nome=?");
            q.Ligar(1, p);
            if (!q.Passo())
                throw ErroDeBanco("Cannot find the user '" + p +
                                      "', because it does not exist or you do not have permission.",
                                  15151, 16, 1);
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
