#include "simulador/motor/executor.hpp"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <deque>
#include <map>
#include <optional>
#include <set>

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "simulador/motor/alvos_alteraveis.hpp"
#include "simulador/motor/analisador_de_expressoes.hpp"
#include "simulador/motor/colacao.hpp"
#include "simulador/motor/datas_com_fuso.hpp"
#include "simulador/motor/falhas.hpp"
#include "simulador/motor/formas_de_insercao.hpp"
#include "simulador/motor/funcoes.hpp"
#include "simulador/motor/funcoes_decimais.hpp"
#include "simulador/motor/idiomas.hpp"
#include "simulador/motor/materializacao.hpp"
#include "simulador/motor/nomes_do_motor.hpp"
#include "simulador/motor/reescrita.hpp"
#include "simulador/motor/sessao.hpp"
#include "simulador/motor/sqlite.hpp"
#include "simulador/motor/visitante.hpp"
#include "simulador/motor/visoes.hpp"

namespace zolvek::simulador {

namespace {

constexpr int kProcessos = 1;
constexpr int kBancos = 2;

std::string Texto(sqlite3_stmt* s, int c) {
    const unsigned char* t = sqlite3_column_text(s, c);
    return t ? std::string(reinterpret_cast<const char*>(t),
                           static_cast<std::size_t>(sqlite3_column_bytes(s, c)))
             : std::string();
}

// The value of a column of a catalog table, as the provider would give it.
db::Valor ValorTipado(sqlite3_stmt* s, int c, const TipoSql& t) {
    int tipo = sqlite3_column_type(s, c);
    if (tipo == SQLITE_NULL) return std::monostate{};
    if (EhInteiro(t.base)) {
        if (t.base == TipoBase::Bit) return sqlite3_column_int64(s, c) != 0;
        return static_cast<std::int64_t>(sqlite3_column_int64(s, c));
    }
    if (EhNumericoExato(t.base))
        return db::Decimal{TextoDecimalDoValor(sqlite3_column_value(s, c), t)};
    if (t.base == TipoBase::Float || t.base == TipoBase::Real) return sqlite3_column_double(s, c);
    // a datetimeoffset keeps its offset as its text, which a date-time field would lose
    if (EhDataHora(t.base) && t.base != TipoBase::DateTimeOffset) {
        db::DataHora d;
        if (LerDataHora(Texto(s, c), d)) return d;
        return Texto(s, c);
    }
    if (EhBinario(t.base)) {
        const auto* p = static_cast<const std::uint8_t*>(sqlite3_column_blob(s, c));
        return db::Bytes(p, p + sqlite3_column_bytes(s, c));
    }
    return Texto(s, c);
}

db::Valor ValorNatural(sqlite3_stmt* s, int c) {
    switch (sqlite3_column_type(s, c)) {
        case SQLITE_NULL:
            return std::monostate{};
        case SQLITE_INTEGER:
            return static_cast<std::int64_t>(sqlite3_column_int64(s, c));
        case SQLITE_FLOAT:
            return sqlite3_column_double(s, c);
        case SQLITE_BLOB: {
            const auto* p = static_cast<const std::uint8_t*>(sqlite3_column_blob(s, c));
            return db::Bytes(p, p + sqlite3_column_bytes(s, c));
        }
        default: {
            if (sqlite3_value_subtype(sqlite3_column_value(s, c)) == kSubtipoDataHora) {
                const std::string texto = Texto(s, c);
                std::string_view semFuso = texto;
                int fuso = 0;
                db::DataHora d;  // a datetimeoffset stays its text, offset and all
                if (!SepararFuso(semFuso, fuso) && LerDataHora(texto, d)) return d;
            }
            return Texto(s, c);
        }
    }
}

db::TipoDeCampo CategoriaNatural(const db::Valor& v) {
    using db::TipoDeCampo;
    if (std::holds_alternative<std::int64_t>(v)) {
        auto x = std::get<std::int64_t>(v);
        return (x >= INT32_MIN && x <= INT32_MAX) ? TipoDeCampo::Integer : TipoDeCampo::LargeInt;
    }
    if (std::holds_alternative<double>(v)) return TipoDeCampo::Float;
    if (std::holds_alternative<db::DataHora>(v)) return TipoDeCampo::DateTime;
    if (std::holds_alternative<db::Bytes>(v)) return TipoDeCampo::Blob;
    return TipoDeCampo::String;
}

// The type of a lone expression the generator wrote, when it knows it.
std::optional<TipoSql> Unico(const std::vector<std::optional<TipoSql>>& tipos) {
    return tipos.size() == 1 ? tipos[0] : std::nullopt;
}

std::string ColunaDaMensagem(const std::string& msg, const std::string& prefixo) {
    auto p = msg.find(prefixo);
    if (p == std::string::npos) return "";
    return msg.substr(p + prefixo.size());
}

// A table the statement names and the database does not have; an undeclared table
// variable is SQL Server's 1087.
[[noreturn]] void ObjetoInvalido(const std::string& nome) {
    if (!nome.empty() && nome[0] == '@')
        throw ErroDeBanco("Must declare the table variable \"" + nome + "\".", 1087, 15, 2);
    throw ErroDeBanco("Invalid object name '" + nome + "'.", 208, 16, 1);
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

Executor::Executor(Sessao& sessao, PlanoDeLote& plano, const std::vector<db::Valor>& parametros)
    : s_(sessao), plano_(plano), parametros_(parametros) {
    // @@ROWCOUNT of a batch's first statement: the rows the last change of the
    // connection touched
    estadoProprio_.linhas = sqlite3_changes(s_.db_);
    anterior_ = emCurso_;
    emCurso_ = this;
}

std::vector<db::Resultado> Executor::Executar() {
    DefinirOrdemDeDataAtual(s_.ordemDeData_);  // dates in this batch read in the session's order
    DefinirIdiomaAtual(s_.idioma_, s_.primeiroDia_);
    PrepararVariaveis();
    for (const auto& c : plano_.comandos) {
        s_.VerificarSeFoiEliminada();
        RodarNaLista(*c);
        if (fluxo_ == Fluxo::Retornar) break;  // RETURN ends the batch
    }
    // the client hears of the first error that let the batch go on when the batch ends
    if (estado_ == &estadoProprio_ && estadoProprio_.primeiroErro)
        throw *estadoProprio_.primeiroErro;
    return std::move(resultados_);
}

std::string Executor::TextoDaFaixa(Faixa f) const {
    if (f.Vazia()) return "";
    return plano_.texto.substr(plano_.tokens[f.inicio].inicio,
                               plano_.tokens[f.fim - 1].fim - plano_.tokens[f.inicio].inicio);
}

ContextoDeReescrita Executor::Contexto() {
    ContextoDeReescrita ctx;
    ctx.escopoPadrao = escopoAlvo_;
    ctx.variaveisSemValor = compilandoCorpo_;
    // without variables of its own a batch still reads @@ROWCOUNT and @@ERROR
    static const QuadroDeVariaveis kSemVariaveis;
    ctx.variaveis = quadro_ ? quadro_.get() : &kSemVariaveis;
    ctx.ordinais = &plano_.ordinais;
    ctx.versaoMaior = s_.ServidorAtual().Versao().maior;
    ctx.catalogo = [this] { return &s_.CatalogoAtual(); };
    ctx.esquemaDoBanco = [this](const std::string& banco) { return s_.EsquemaDoBanco(banco); };
    ctx.gatilho = gatilho_;
    ctx.funcaoDoUsuario = [this](const std::vector<std::string>& nome) {
        return AssinaturaDaFuncao(nome);
    };
    return ctx;
}

std::string Executor::Reescrita(Faixa f, int* flags, std::vector<std::optional<TipoSql>>* tipos,
                                std::vector<std::string>* atribuidas) {
    ContextoDeReescrita ctx = Contexto();
    std::string r = Reescrever(plano_.tokens, f, ctx);
    if (flags) *flags = (ctx.usaProcessos ? kProcessos : 0) | (ctx.usaBancos ? kBancos : 0);
    if (tipos) *tipos = std::move(ctx.tiposDaSelecao);
    if (atribuidas) *atribuidas = std::move(ctx.atribuidas);
    return r;
}

void Executor::Ligar(sqlite3_stmt* st) {
    int n = sqlite3_bind_parameter_count(st);
    for (int i = 1; i <= n; ++i) {
        const char* nome = sqlite3_bind_parameter_name(st, i);
        if (nome && std::strncmp(nome, ":zv", 3) == 0 && (nome[3] == 'v' || nome[3] == 's')) {
            LigarValor(st, i, ValorDeVariavel(nome));
            continue;
        }
        const bool literal = nome && std::strncmp(nome, ":zvl", 4) == 0;
        const std::vector<db::Valor>& valores = literal && literais_ ? *literais_ : parametros_;
        std::size_t k = nome ? static_cast<std::size_t>(std::atoi(nome + (literal ? 4 : 1)))
                             : static_cast<std::size_t>(i);
        if (k == 0 || k > valores.size())
            throw ErroDeBanco("No value given for one or more required parameters.");
        LigarValor(st, i, valores[k - 1]);
    }
}

// :zvvN reads the variable of slot N, :zvsN the connection's @@ROWCOUNT and the like.
db::Valor Executor::ValorDeVariavel(const char* nome) const {
    const int n = std::atoi(nome + 4);
    if (nome[3] == 's') return estado_->Valor(n);
    return quadro_ ? quadro_->ValorDoSlot(static_cast<std::size_t>(n)) : db::Valor{};
}

void Executor::LigarValor(sqlite3_stmt* st, int i, const db::Valor& v) {
    std::visit(
        [&](const auto& x) {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::monostate>)
                sqlite3_bind_null(st, i);
            else if constexpr (std::is_same_v<T, bool>)
                sqlite3_bind_int(st, i, x ? 1 : 0);
            else if constexpr (std::is_same_v<T, std::int64_t>)
                sqlite3_bind_int64(st, i, x);
            else if constexpr (std::is_same_v<T, double>)
                sqlite3_bind_double(st, i, x);
            else if constexpr (std::is_same_v<T, db::Decimal>)
                sqlite3_bind_text(st, i, x.texto.data(), static_cast<int>(x.texto.size()),
                                  SQLITE_TRANSIENT);
            else if constexpr (std::is_same_v<T, std::string>)
                sqlite3_bind_text(st, i, x.data(), static_cast<int>(x.size()), SQLITE_TRANSIENT);
            else if constexpr (std::is_same_v<T, db::Bytes>)
                sqlite3_bind_blob(st, i, x.data(), static_cast<int>(x.size()), SQLITE_TRANSIENT);
            else {
                std::string t = FormatarDataHora(x);
                sqlite3_bind_text(st, i, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
            }
        },
        v);
}

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
            throw ErroDeBanco("Lock request time out period exceeded.", 1222, 16, 45);
        case SQLITE_AUTH:
            throw ErroDeBanco("Invalid object name '" + s_.TabelaNegada() + "'.", 208, 16, 1);
        case SQLITE_INTERRUPT:
            // the client gives up waiting: no server number, ODBC's SQLSTATE
            throw ErroDeBanco("Query timeout expired", 0, 0, 0, "HYT00");
        case SQLITE_CONSTRAINT_COMMITHOOK:
            throw ErroDeBanco(
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
        throw ErroDeBanco("The " + acao +
                              " statement conflicted with the FOREIGN KEY constraint \"" + nome +
                              "\". The conflict occurred in database \"" + banco +
                              "\", table \"dbo." + r->tabelaReferida + "\", column '" +
                              (r->colunasReferidas.empty() ? "" : r->colunasReferidas[0]) + "'.",
                          547, 16, 0);
    if (r)
        throw ErroDeBanco("The " + acao + " statement conflicted with the REFERENCE constraint \"" +
                              nome + "\". The conflict occurred in database \"" + banco +
                              "\", table \"dbo." + dona->nome + "\", column '" +
                              r->colunas[0].nome + "'.",
                          547, 16, 0);
}

// SQLite names the column as "T.c".
void Executor::FalhaDeNulo(const std::string& msg, char operacao, const std::string& tabela) {
    std::string c = ColunaDaMensagem(msg, "NOT NULL constraint failed: ");
    auto ponto = c.find('.');
    std::string t = ponto == std::string::npos ? tabela : NomeDaMensagem(c.substr(0, ponto));
    std::string col = ponto == std::string::npos ? c : c.substr(ponto + 1);
    // a table variable is named alone
    throw ErroDeBanco("Cannot insert the value NULL into column '" + col + "', table '" +
                          (t.rfind('@', 0) == 0 ? t : s_.Banco() + ".dbo." + t) +
                          "'; column does not allow nulls. " +
                          (operacao == 'I' ? "INSERT" : "UPDATE") + " fails.",
                      515, 16, 2);
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
    throw ErroDeBanco("The " + verbo + " statement conflicted with the CHECK constraint \"" + c +
                          "\". The conflict occurred in database \"" + s_.Banco() +
                          "\", table \"dbo." + (dona ? dona->nome : tabela) + "\"" + coluna + ".",
                      547, 16, 0);
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
        if (!tab) throw ErroDeBanco("Cannot insert duplicate key row.", 2601, 14, 1);
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
        if (!tab)
            throw ErroDeBanco("Cannot insert duplicate key row in object 'dbo." + t + "'.", 2601,
                              14, 1);
        violado = IndiceDasColunas(*tab, cols);
    }
    if (violado) {
        chaveViolada_.clear();
        for (const auto& k : violado->colunas) chaveViolada_.push_back(k.nome);
        if (violado->primario || violado->restricao != 0)
            throw ErroDeBanco(
                std::string("Violation of ") + (violado->primario ? "PRIMARY KEY" : "UNIQUE KEY") +
                    " constraint '" + violado->nome +
                    "'. Cannot insert duplicate key in object 'dbo." + tab->nome + "'.",
                2627, 14, 1);
        throw ErroDeBanco("Cannot insert duplicate key row in object 'dbo." + tab->nome +
                              "' with unique index '" + violado->nome + "'.",
                          2601, 14, 1);
    }
    if (tab->Identidade())
        throw ErroDeBanco("Cannot insert duplicate key row in object 'dbo." + tab->nome +
                              "': the identity value already exists.",
                          2601, 14, 1);
    throw ErroDeBanco("Cannot insert duplicate key row in object 'dbo." + tab->nome + "'.", 2601,
                      14, 1);
}

// Whether the batch names a table or alias `nome` (a name not followed by "."): t.x of
// such a one is a column it lacks, not a prefix that binds to nothing.
bool Executor::NomeDeFonte(const std::string& nome) const {
    const auto& t = plano_.tokens;
    for (std::size_t k = 0; k < t.size(); ++k)
        if (EhNome(t[k]) && IguaisCiAs(t[k].texto, nome) &&
            !(k + 1 < t.size() && EhSimbolo(t[k + 1], ".")))
            return true;
    return false;
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
        throw ErroDeBanco("Invalid object name '" + c + "'.", 208, 16, 1);
    }
    if (auto c = ColunaDaMensagem(msg, "no such column: "); !c.empty()) {
        const auto ponto = c.rfind('.');
        if (ponto != std::string::npos && !NomeDeFonte(c.substr(0, ponto)))
            throw ErroDeBanco("The multi-part identifier \"" + NomeDaMensagem(c.substr(0, ponto)) +
                                  c.substr(ponto) + "\" could not be bound.",
                              4104, 16, 1);
        if (ponto != std::string::npos) c = c.substr(ponto + 1);
        throw ErroDeBanco("Invalid column name '" + c + "'.", 207, 16, 1);
    }
    if (auto c = ColunaDaMensagem(msg, "ambiguous column name: "); !c.empty())
        throw ErroDeBanco("Ambiguous column name '" + c.substr(c.rfind('.') + 1) + "'.", 209, 16,
                          1);
    if (auto c = ColunaDaMensagem(msg, "no such function: "); !c.empty())
        throw ErroDeBanco("'" + c + "' is not a recognized built-in function name.", 195, 15, 10);
    if (msg.find("syntax error") != std::string::npos) {
        auto a = msg.find("near \"");
        if (a != std::string::npos) {
            auto b = msg.find("\"", a + 6);
            throw ErroDeBanco("Incorrect syntax near '" + msg.substr(a + 6, b - a - 6) + "'.", 102,
                              15, 1);
        }
        throw ErroDeBanco("Incorrect syntax near the end of the batch.", 102, 15, 1);
    }
    if (msg.find("database is locked") != std::string::npos ||
        msg.find("database table is locked") != std::string::npos)
        throw ErroDeBanco("Lock request time out period exceeded.", 1222, 16, 1);
    if (msg.find("interrupted") != std::string::npos) {
        s_.VerificarSeFoiEliminada();
        throw ErroDeBanco("Query timeout expired");
    }
    throw ErroComoSqlServer(msg, s_.Banco());
}

namespace {
// SQLite names an expression without alias by its (rewritten) text; an alias or a
// plain name is kept.
bool EhNomeDeColuna(const std::string& nome, const std::string& sql) {
    if (nome.empty()) return false;
    if (sql.find(ComoIdentificador(nome)) != std::string::npos) return true;
    if (std::isdigit(static_cast<unsigned char>(nome[0])) || IguaisCiAs(nome, "NULL")) return false;
    for (char ch : nome)
        if (!std::isalnum(static_cast<unsigned char>(ch)) && ch != '_' && ch != '@' && ch != '#' &&
            ch != '$' && static_cast<unsigned char>(ch) < 0x80)
            return false;
    return true;
}
}  // namespace

db::Resultado Executor::Consultar(const std::string& sql, int flags, char operacao,
                                  const std::string& tabela,
                                  const std::vector<std::optional<TipoSql>>* tiposConhecidos) {
    if (flags) s_.AtualizarTabelasDoServidor(flags & kProcessos, flags & kBancos);
    Preparada preparada;
    try {
        preparada = s_.Preparar(sql);
    } catch (const FalhaDoSqlite& f) {
        FalhaTraduzida(f, operacao, tabela);
    }
    sqlite3_stmt* st = preparada.Bruta();
    Ligar(st);
    db::Resultado r;
    int ncol = sqlite3_column_count(st);
    std::vector<const TipoSql*> tipos(static_cast<std::size_t>(ncol), nullptr);
    for (int c = 0; c < ncol; ++c) {
        db::Coluna col;
        col.nome = sqlite3_column_name(st, c);
        if (!sqlite3_column_origin_name(st, c) && !EhNomeDeColuna(col.nome, sql))
            col.nome.clear();  // an expression without alias has no name on SQL Server
        const char* tab = sqlite3_column_table_name(st, c);
        const char* orig = sqlite3_column_origin_name(st, c);
        const char* esquema = sqlite3_column_database_name(st, c);
        Catalogo* catalogo = esquema ? s_.CatalogoDoEsquema(esquema) : nullptr;
        if (tab && orig && catalogo && std::strncmp(tab, "zv_", 3) != 0) {
            if (Tabela* t = catalogo->AcharTabela(tab)) {
                if (const ColunaDaTabela* cc = t->Coluna(orig)) {
                    tipos[static_cast<std::size_t>(c)] = &cc->tipo;
                    col.tipo = CategoriaDoTipo(cc->tipo);
                    col.tamanho = EhTexto(cc->tipo.base) || EhBinario(cc->tipo.base)
                                      ? std::max(0, cc->tipo.tamanho)
                                      : 0;
                    if (cc->tipo.base == TipoBase::RowVersion) col.tamanho = 8;
                    col.precisao = PrecisaoDoCatalogo(cc->tipo);
                    col.escala = EscalaDoCatalogo(cc->tipo);
                    col.anulavel = cc->anulavel;
                    col.somenteLeitura = cc->identidade || cc->tipo.base == TipoBase::RowVersion;
                    col.identidade = cc->identidade;
                    col.tabelaBase = t->nome;
                    col.colunaBase = cc->nome;
                    for (const auto& i : t->indices)
                        if (i.primario)
                            for (const auto& k : i.colunas)
                                if (IguaisCiAs(k.nome, cc->nome)) col.chave = true;
                }
            }
        }
        if (!tipos[static_cast<std::size_t>(c)] && tiposConhecidos &&
            tiposConhecidos->size() == static_cast<std::size_t>(ncol)) {
            // a decimal, date or time the query computes: its type as the generator worked
            // it out
            const auto& t = (*tiposConhecidos)[static_cast<std::size_t>(c)];
            if (t && (EhNumericoExato(t->base) || t->base == TipoBase::Date ||
                      t->base == TipoBase::Time || t->base == TipoBase::DateTime2)) {
                tipos[static_cast<std::size_t>(c)] = &*t;
                col.tipo = CategoriaDoTipo(*t);
                col.precisao = PrecisaoDoCatalogo(*t);
                col.escala = EscalaDoCatalogo(*t);
            }
        }
        r.colunas.push_back(std::move(col));
    }
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        std::vector<db::Valor> linha;
        linha.reserve(static_cast<std::size_t>(ncol));
        for (int c = 0; c < ncol; ++c) {
            const TipoSql* t = tipos[static_cast<std::size_t>(c)];
            linha.push_back(t ? ValorTipado(st, c, *t) : ValorNatural(st, c));
        }
        r.linhas.push_back(std::move(linha));
    }
    if (rc != SQLITE_DONE) {
        FalhaDoSqlite falha(sqlite3_extended_errcode(sqlite3_db_handle(st)),
                            sqlite3_errmsg(sqlite3_db_handle(st)));
        sqlite3_reset(st);
        FalhaTraduzida(falha, operacao, tabela);
    }
    sqlite3_reset(st);
    if (ncol == 0) {
        r.colunas.clear();
        r.linhasAfetadas = sqlite3_changes(sqlite3_db_handle(st));
        return r;
    }
    for (int c = 0; c < ncol; ++c) {
        auto& col = r.colunas[static_cast<std::size_t>(c)];
        if (tipos[static_cast<std::size_t>(c)]) continue;
        col.tipo = db::TipoDeCampo::String;
        for (const auto& l : r.linhas) {
            if (!db::EhNulo(l[static_cast<std::size_t>(c)])) {
                col.tipo = CategoriaNatural(l[static_cast<std::size_t>(c)]);
                break;
            }
        }
    }
    return r;
}

void Executor::Atomico(const std::function<void()>& f) {
    if (emFuncao_) return AtomicoNaFuncao(f);
    sqlite3* db = s_.db_;
    // Outside a transaction the statement takes the write lock up front, so that another
    // process writing meanwhile makes it wait instead of failing.
    bool proprio = s_.nivelDeTransacao_ == 0;
    if (!proprio) s_.GarantirEscrita();
    ExecutarSql(db, proprio ? "BEGIN IMMEDIATE" : "SAVEPOINT zv_instrucao");
    try {
        f();
        ExecutarSql(db, proprio ? "COMMIT" : "RELEASE zv_instrucao");
    } catch (...) {
        sqlite3_exec(db, "PRAGMA ignore_check_constraints = OFF", nullptr, nullptr, nullptr);
        if (proprio) {
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        } else {
            sqlite3_exec(db, "ROLLBACK TO zv_instrucao", nullptr, nullptr, nullptr);
            sqlite3_exec(db, "RELEASE zv_instrucao", nullptr, nullptr, nullptr);
        }
        s_.EsquecerCatalogo();
        s_.planos_.clear();
        s_.EsquecerPreparadas();
        throw;
    }
}

void Executor::AposDdl() {
    s_.MarcarCatalogoAlterado();
}

bool Executor::Condicao(Faixa f) {
    int flags = 0;
    std::string sql = "SELECT CASE WHEN (" + Reescrita(f, &flags) + ") THEN 1 ELSE 0 END";
    db::Resultado r = Consultar(sql, flags, 'S', "");
    return !r.linhas.empty() && std::holds_alternative<std::int64_t>(r.linhas[0][0]) &&
           std::get<std::int64_t>(r.linhas[0][0]) != 0;
}

db::Valor Executor::Avaliar(Faixa f) {
    if (f.Vazia()) return std::monostate{};
    const Token& t = plano_.tokens[f.inicio];
    // EXEC takes bare words as texts (sp_dboption EMPRESA, ...), NULL as nothing
    if (f.fim == f.inicio + 1 && EhPalavra(t, "NULL")) return std::monostate{};
    if (f.fim == f.inicio + 1 && EhNome(t) && t.tipo != TipoToken::Aspas) return t.texto;
    int flags = 0;
    db::Resultado r = Consultar("SELECT " + Reescrita(f, &flags), flags, 'S', "");
    return r.linhas.empty() ? db::Valor{} : r.linhas[0][0];
}

namespace {

// INSERT ... VALUES (or DEFAULT VALUES) without a query inside: short work, that may share
// its transaction with the next ones.
bool EhInsercaoDeValores(const Comando& c, const std::vector<Token>& tokens) {
    const auto* x = std::get_if<instrucao::Inserir>(&c.instrucao);
    if (!x || (x->valores.empty() && !x->valoresPadrao) || x->saida) return false;
    for (std::size_t k = c.faixa.inicio; k < c.faixa.fim && k < tokens.size(); ++k)
        if (EhPalavra(tokens[k], "SELECT") || EhPalavra(tokens[k], "EXEC") ||
            EhPalavra(tokens[k], "EXECUTE"))
            return false;
    return true;
}

// A transaction's or savepoint's name; one held in a variable waits for variables.
const std::string& NomeSalvo(const std::string& nome) {
    if (!nome.empty() && nome[0] == '@')
        throw ErroDeBanco("O simulador de SQL Server não interpreta variáveis (" + nome + ").");
    return nome;
}

}  // namespace

void Executor::Rodar(const Comando& c) {
    ExigirDireitos(c);
    ExigirBancoAtual(c);
    ExigirTransacaoGravavel(c);
    if (emFuncao_) ExigirLeituraNaFuncao(c);
    // a function's body runs inside its caller's statement, which may be a grouped INSERT
    if (!emFuncao_) {
        if (s_.PodeAgrupar() && EhInsercaoDeValores(c, plano_.tokens) && !InsercaoComGatilhos(c)) {
            s_.RodarAgrupada([&] { Inserir(std::get<instrucao::Inserir>(c.instrucao), c.faixa); });
            return;
        }
        s_.FecharGrupo();
    }
    std::visit(
        Visitante{
            [&](const instrucao::Selecionar& x) { Selecionar(x); },
            [&](const instrucao::Inserir& x) { Inserir(x, c.faixa); },
            [&](const instrucao::Atualizar& x) { Atualizar(x); },
            [&](const instrucao::Excluir& x) { Excluir(x); },
            [&](const instrucao::Mesclar& x) { Mesclar(x); },
            [&](const instrucao::CriarTabela& x) { CriarTabela(x); },
            [&](const instrucao::AlterarTabela& x) { AlterarTabela(x); },
            [&](const instrucao::ExcluirTabela& x) { ExcluirTabela(x); },
            [&](const instrucao::CriarIndice& x) { CriarIndice(x); },
            [&](const instrucao::ExcluirIndice& x) { ExcluirIndice(x); },
            [&](const instrucao::CriarObjeto& x) { CriarObjeto(x, c.faixa); },
            [&](const instrucao::ExcluirObjeto& x) { ExcluirObjeto(x); },
            [&](const instrucao::Conceder& x) { Conceder(x); },
            [&](const instrucao::ExecutarProcedimento& x) { ExecutarComando(x, c.faixa); },
            [&](const instrucao::IdentityInsert& x) { IdentityInsert(x); },
            [&](const instrucao::Esperar& x) { Esperar(x); },
            [&](const instrucao::Ignorado&) { LerOpcaoDaSessao(c); },
            [&](const instrucao::TempoDeBloqueio& x) {
                const long long n =
                    std::strtoll(plano_.tokens[x.numero.inicio].texto.c_str(), nullptr, 10);
                s_.DefinirTempoDeBloqueio(
                    x.semLimite || n < 0 || n > 2147483647 ? -1 : static_cast<int>(n));
            },
            [&](const instrucao::DefinirFormatoDeData& x) {
                if (x.ordem) s_.ordemDeData_ = *x.ordem;
                if (!x.idioma.empty()) s_.idioma_ = x.idioma;
                if (x.primeiroDia) s_.primeiroDia_ = x.primeiroDia;
                DefinirOrdemDeDataAtual(s_.ordemDeData_);
                DefinirIdiomaAtual(s_.idioma_, s_.primeiroDia_);
            },
            [&](const instrucao::Se& x) {
                if (Condicao(x.condicao))
                    Rodar(*x.entao);
                else if (x.senao)
                    Rodar(*x.senao);
            },
            [&](const instrucao::Bloco& x) {
                for (const auto& f : x.filhos) {
                    RodarNaLista(*f);
                    if (fluxo_ != Fluxo::Seguir) break;  // BREAK, CONTINUE, RETURN
                }
            },
            [&](const instrucao::IniciarTransacao& x) { s_.IniciarTransacao(NomeSalvo(x.nome)); },
            [&](const instrucao::SalvarTransacao& x) { s_.SalvarPonto(NomeSalvo(x.nome)); },
            [&](const instrucao::ConfirmarTransacao&) {
                if (!s_.EmTransacao())
                    throw ErroDeBanco(
                        "The COMMIT TRANSACTION request has no corresponding BEGIN TRANSACTION.",
                        3902, 16, 1);
                s_.Confirmar();
                FecharCursoresNoFimDaTransacao();
            },
            [&](const instrucao::DesfazerTransacao& x) {
                if (estado_->insercoesExec > 0)
                    throw ErroDeBanco(
                        "Cannot use the ROLLBACK statement within an INSERT-EXEC statement.", 3915,
                        16, 1);
                s_.Desfazer(NomeSalvo(x.nome));
                FecharCursoresNoFimDaTransacao();
            },
            [&](const instrucao::RestaurarLista& x) { ComandoDeServidor(x); },
            [&](const instrucao::CriarTipo& x) {
                ComandoDeTipo(x);
                resultados_.push_back(db::Resultado{});
            },
            [&](const instrucao::ExcluirTipo& x) {
                ComandoDeTipo(x);
                resultados_.push_back(db::Resultado{});
            },
            [&](const instrucao::CriarLogin& x) {
                ComandoDeUsuario(x);
                resultados_.push_back(db::Resultado{});
            },
            [&](const instrucao::CriarUsuario& x) {
                ComandoDeUsuario(x);
                resultados_.push_back(db::Resultado{});
            },
            [&](const instrucao::ExcluirUsuario& x) {
                ComandoDeUsuario(x);
                resultados_.push_back(db::Resultado{});
            },
            [&](const instrucao::CriarPapel& x) {
                ComandoDeUsuario(x);
                resultados_.push_back(db::Resultado{});
            },
            [&](const instrucao::AlterarPapel& x) {
                ComandoDeUsuario(x);
                resultados_.push_back(db::Resultado{});
            },
            [&](const auto& x) {
                if constexpr (InstrucaoProcedural<std::decay_t<decltype(x)>> ||
                              std::is_same_v<std::decay_t<decltype(x)>, instrucao::Imprimir>) {
                    RodarProcedural(c);
                } else {
                    ComandoDeServidor(x);
                    resultados_.push_back(db::Resultado{});
                }
            },
        },
        c.instrucao);
    estado_->erro = 0;  // @@ERROR tells of the statement just before
    // SET, USE and the transaction statements count no rows (@@ROWCOUNT is 0 after them);
    // SET NOCOUNT keeps the count, so a trigger or procedure may begin with it
    if ((std::holds_alternative<instrucao::Ignorado>(c.instrucao) &&
         !(c.faixa.fim > c.faixa.inicio + 1 &&
           EhPalavra(plano_.tokens[c.faixa.inicio + 1], "NOCOUNT"))) ||
        std::holds_alternative<instrucao::Usar>(c.instrucao) ||
        std::holds_alternative<instrucao::IniciarTransacao>(c.instrucao) ||
        std::holds_alternative<instrucao::ConfirmarTransacao>(c.instrucao) ||
        std::holds_alternative<instrucao::DesfazerTransacao>(c.instrucao) ||
        std::holds_alternative<instrucao::SalvarTransacao>(c.instrucao))
        estado_->linhas = 0;
}

namespace {

// A statement that writes a database file (its tables or its catalog); table variables
// live apart, and a procedure's or a block's own statements answer for themselves.
bool GravaNoBanco(const Comando& c) {
    auto emTabela = [](const NomeComposto& n) { return n.Nome().rfind('@', 0) != 0; };
    return std::visit(Visitante{
                          [&](const instrucao::Inserir& x) { return emTabela(x.objeto); },
                          [&](const instrucao::Atualizar& x) { return emTabela(x.objeto); },
                          [&](const instrucao::Excluir& x) { return emTabela(x.objeto); },
                          [&](const instrucao::Mesclar& x) { return emTabela(x.objeto); },
                          [](const instrucao::Selecionar& x) { return x.para; },
                          [](const instrucao::CriarTabela&) { return true; },
                          [](const instrucao::AlterarTabela&) { return true; },
                          [](const instrucao::ExcluirTabela&) { return true; },
                          [](const instrucao::CriarIndice&) { return true; },
                          [](const instrucao::ExcluirIndice&) { return true; },
                          [](const instrucao::CriarObjeto&) { return true; },
                          [](const instrucao::ExcluirObjeto&) { return true; },
                          [](const instrucao::Conceder&) { return true; },
                          [](const instrucao::CriarUsuario&) { return true; },
                          [](const instrucao::ExcluirUsuario&) { return true; },
                          [](const instrucao::CriarPapel&) { return true; },
                          [](const instrucao::AlterarPapel&) { return true; },
                          [](const auto&) { return false; },
                      },
                      c.instrucao);
}

}  // namespace

void Executor::ExigirTransacaoGravavel(const Comando& c) {
    if (!GravaNoBanco(c)) return;
    if (s_.TransacaoCondenada()) throw ErroDeTransacaoCondenada();
    if (!emFuncao_) s_.GarantirEscrita();
}

// Statements that write name their object in the current database: another one's
// (ORIGEM.dbo.T) is read by queries only.
void Executor::ExigirBancoAtual(const Comando& c) {
    const NomeComposto* objeto =
        std::visit(Visitante{
                       [](const instrucao::Inserir& x) { return &x.objeto; },
                       [](const instrucao::Atualizar& x) { return &x.objeto; },
                       [](const instrucao::Excluir& x) { return &x.objeto; },
                       [](const instrucao::Mesclar& x) { return &x.objeto; },
                       [](const instrucao::CriarTabela& x) { return &x.objeto; },
                       [](const instrucao::AlterarTabela& x) { return &x.objeto; },
                       [](const instrucao::CriarObjeto& x) { return &x.objeto; },
                       [](const instrucao::IdentityInsert& x) { return &x.objeto; },
                       [](const auto&) -> const NomeComposto* { return nullptr; },
                   },
                   c.instrucao);
    if (!objeto) return;
    const std::string banco = BancoDoNome(objeto->partes);
    if (banco.empty() || s_.EsquemaDoBanco(banco).empty()) return;
    throw ErroDeBanco("O simulador de SQL Server não altera objetos de outro banco ('" + banco +
                      ".dbo." + objeto->Nome() + "'); use USE " + banco + ".");
}

void Executor::Selecionar(const instrucao::Selecionar& c) {
    if (c.para) return SelecionarPara(c);
    if (!c.compilado.pronto) {
        c.compilado.sql =
            Reescrita(c.selecao, &c.compilado.flags, &c.compilado.tipos, &c.compilado.atribuidas);
        c.compilado.pronto = true;
    }
    db::Resultado r = Consultar(c.compilado.sql, c.compilado.flags, 'S', "", &c.compilado.tipos);
    if (s_.limiteDeLinhas_ > 0 && r.linhas.size() > static_cast<std::size_t>(s_.limiteDeLinhas_))
        r.linhas.resize(static_cast<std::size_t>(s_.limiteDeLinhas_));  // SET ROWCOUNT
    estado_->linhas = static_cast<std::int64_t>(r.linhas.size());
    if (!c.compilado.atribuidas.empty())
        return AtribuirDaConsulta(c.compilado.atribuidas, r, c.selecao);
    resultados_.push_back(std::move(r));
}

namespace {

// Literals of a short INSERT ... VALUES are bound instead of written, so that the next
// INSERTs of the same shape find it prepared (the texts differ only in their values).
constexpr std::size_t kLiteraisLigados = 64;
// INSERT forms a session keeps (formas_de_insercao.hpp).
constexpr std::size_t kFormasGuardadas = 256;

// The value of an SQLite literal the rewrite wrote: an integer that fits, or a text.
std::optional<db::Valor> ValorDoLiteral(const std::string& e) {
    if (e.size() >= 2 && e.front() == '\'' && e.back() == '\'') {
        std::string texto;
        for (std::size_t k = 1; k + 1 < e.size(); ++k) {
            if (e[k] == '\'') {
                if (e[k + 1] != '\'' || k + 2 >= e.size()) return std::nullopt;
                ++k;
            }
            texto += e[k];
        }
        return texto;
    }
    const std::size_t inicio = !e.empty() && e[0] == '-' ? 1 : 0;
    if (e.size() <= inicio || e.size() - inicio > 18) return std::nullopt;
    for (std::size_t k = inicio; k < e.size(); ++k)
        if (!std::isdigit(static_cast<unsigned char>(e[k]))) return std::nullopt;
    return static_cast<std::int64_t>(std::strtoll(e.c_str(), nullptr, 10));
}

}  // namespace

namespace {

// A row of VALUES has one value for each column of the INSERT.
void ExigirValoresDasColunas(std::size_t valores, std::size_t colunas) {
    if (valores > colunas)
        throw ErroDeBanco(
            "There are fewer columns in the INSERT statement than values specified in the "
            "VALUES clause. The number of values in the VALUES clause must match the number "
            "of columns specified in the INSERT statement.",
            110, 15, 1);
    if (valores < colunas)
        throw ErroDeBanco(
            "There are more columns in the INSERT statement than values specified in the "
            "VALUES clause. The number of values in the VALUES clause must match the number "
            "of columns specified in the INSERT statement.",
            109, 15, 1);
}

// The conversions of the values of an INSERT's columns, each written once for each type
// of value the column gets (a long VALUES list brings few types).
class ConversoesDasColunas {
  public:
    ConversoesDasColunas(const Tabela& t, const std::vector<const ColunaDaTabela*>& alvo,
                         const std::string& marca)
        : t_(t), alvo_(alvo), marca_(marca), feitas_(alvo.size()) {}

    const std::string& Da(std::size_t coluna, const std::optional<TipoSql>& origem) {
        auto& feitas = feitas_[coluna];
        for (const auto& [tipo, conversao] : feitas)
            if (tipo == origem) return *conversao;
        const std::string& nova = Guardar(GuardaDaChave(
            t_, *alvo_[coluna], ChamadaDeConversao(marca_, alvo_[coluna]->tipo, origem)));
        if (feitas.size() < kTiposPorColuna) feitas.emplace_back(origem, &nova);
        return nova;
    }
    const std::string& Guardar(std::string conversao) {
        return textos_.emplace_back(std::move(conversao));
    }

  private:
    static constexpr std::size_t kTiposPorColuna = 16;
    const Tabela& t_;
    const std::vector<const ColunaDaTabela*>& alvo_;
    const std::string& marca_;
    std::deque<std::string> textos_;
    std::vector<std::vector<std::pair<std::optional<TipoSql>, const std::string*>>> feitas_;
};

}  // namespace

// A value of INSERT ... VALUES in SQLite's text, and its type where known. A lone literal
// is written as the rewrite writes it, without reading it as a whole expression.
std::string Executor::ValorEscrito(Faixa f, std::optional<TipoSql>& tipo) {
    if (f.fim == f.inicio + 1) {
        if (Expr e = LiteralDoToken(plano_.tokens[f.inicio])) {
            ContextoDeReescrita ctx;  // a literal reads nothing of it
            GeradorSqlite gerador(ctx);
            std::string sql = gerador.Gerar(*e);
            tipo = gerador.TipoDe(*e);
            return sql;
        }
    }
    std::vector<std::optional<TipoSql>> tipos;
    std::string sql = Reescrita(f, nullptr, &tipos);
    tipo = Unico(tipos);
    return sql;
}

// INSERT ... VALUES in SQLite's text. Rows whose values each column converts alike get the
// conversion once per column, over a VALUES of the bare values: SQLite then generates
// code for one conversion a column instead of one a value. `literais`: where the bound
// literals go (none when null).
std::string Executor::CompilarValores(const instrucao::Inserir& c, const Tabela& t,
                                      const std::vector<const ColunaDaTabela*>& alvo,
                                      const std::string& colunas, std::vector<db::Valor>* literais,
                                      std::vector<int>* ligados) {
    const std::string marca = "\x01";  // where the value goes in a conversion
    auto juntarComValor = [&](std::string& destino, const std::string& conversao,
                              const std::string& valor) {
        const auto p = conversao.find(marca);
        if (p == std::string::npos) {
            destino += conversao;
            return;
        }
        destino.append(conversao, 0, p);
        destino += valor;
        destino.append(conversao, p + marca.size());
    };
    ConversoesDasColunas conversoesDasColunas(t, alvo, marca);
    std::vector<std::string> textos;             // of each value, row after row
    std::vector<const std::string*> conversoes;  // of each value
    textos.reserve(c.valores.size() * alvo.size());
    conversoes.reserve(c.valores.size() * alvo.size());
    bool fatorar = c.valores.size() > 1;
    for (const auto& linha : c.valores) {
        ExigirValoresDasColunas(linha.size(), alvo.size());
        const bool primeira = conversoes.empty();
        for (std::size_t k = 0; k < linha.size(); ++k) {
            const ColunaDaTabela* col = alvo[k];
            std::string e;
            const std::string* conversao = nullptr;
            int ligado = -1;
            if (linha[k].fim == linha[k].inicio + 1 &&
                EhPalavra(plano_.tokens[linha[k].inicio], "DEFAULT")) {
                const Restricao* d = t.PadraoDaColuna(col->nome);
                conversao = &conversoesDasColunas.Guardar(GuardaDaChave(
                    t, *col,
                    d ? ChamadaDeConversao(ExpressaoParaSqlite(d->texto), col->tipo) : "NULL"));
                fatorar = false;
            } else {
                std::optional<TipoSql> tipo;
                e = ValorEscrito(linha[k], tipo);
                if (auto v = literais ? ValorDoLiteral(e) : std::nullopt) {
                    literais->push_back(std::move(*v));
                    e = ":zvl" + std::to_string(literais->size());
                    ligado = static_cast<int>(literais->size()) - 1;
                }
                conversao = &conversoesDasColunas.Da(k, tipo);
            }
            if (ligados) ligados->push_back(ligado);
            if (!primeira && conversao != conversoes[k] && *conversao != *conversoes[k])
                fatorar = false;
            textos.push_back(std::move(e));
            conversoes.push_back(conversao);
        }
    }
    const std::size_t n = alvo.size();
    std::string sql = "INSERT INTO " + IdentificadorNoSqlite(t.nome) + " (" + colunas + ") ";
    if (fatorar) {
        sql += "SELECT ";
        for (std::size_t k = 0; k < n; ++k) {
            if (k) sql += ", ";
            juntarComValor(sql, *conversoes[k], "column" + std::to_string(k + 1));
        }
        sql += " FROM (VALUES ";
    } else {
        sql += "VALUES ";
    }
    for (std::size_t r = 0; r < c.valores.size(); ++r) {
        sql += r ? ", (" : "(";
        for (std::size_t k = 0; k < n; ++k) {
            const std::size_t v = r * n + k;
            if (k) sql += ", ";
            if (fatorar)
                sql += textos[v];
            else
                juntarComValor(sql, *conversoes[v], textos[v]);
        }
        sql += ")";
    }
    if (fatorar) sql += ")";
    return sql;
}

void Executor::CompilarComForma(const instrucao::Inserir& c, const Tabela& t, bool identityLigado,
                                Faixa faixa) {
    // a body being compiled reads its variables as NULL, a trigger's statements see
    // inserted and deleted: their texts are their own
    const bool compartilhavel = !compilandoCorpo_ && pseudoTabelas_.empty() && !c.valores.empty();
    std::string chave =
        compartilhavel ? ChaveDaForma(plano_.tokens, faixa, identityLigado) : std::string();
    if (!chave.empty()) {
        if (auto it = s_.formas_.find(chave); it != s_.formas_.end()) {
            if (!it->second.reutilizavel) return CompilarInsercao(c, t, identityLigado, nullptr);
            c.compilado.sql = it->second.sql;
            c.compilado.literais = LiteraisDaForma(it->second, plano_.tokens, faixa);
            c.compilado.pronto = true;
            return;
        }
    }
    std::vector<int> ligados;
    CompilarInsercao(c, t, identityLigado, &ligados);
    if (chave.empty()) return;
    if (s_.formas_.size() >= kFormasGuardadas) s_.formas_.clear();
    s_.formas_.emplace(std::move(chave), FormaCompilada(plano_.tokens, faixa, c, c.compilado.sql,
                                                        c.compilado.literais, ligados));
}

// The columns an INSERT writes: those it names, or all but the identity and timestamp.
std::vector<const ColunaDaTabela*> Executor::ColunasDaInsercao(const instrucao::Inserir& c,
                                                               const Tabela& t,
                                                               bool identityLigado) {
    std::vector<const ColunaDaTabela*> alvo;
    if (c.colunasAlvo.empty()) {
        if (identityLigado && t.Identidade())
            throw ErroDeBanco("An explicit value for the identity column in table '" + t.nome +
                                  "' can only be specified when a column list is used and "
                                  "IDENTITY_INSERT is ON.",
                              8101, 16, 1);
        for (const auto& col : t.colunas)
            if (!col.identidade && col.tipo.base != TipoBase::RowVersion && col.calculo.empty())
                alvo.push_back(&col);
    } else {
        for (const auto& n : c.colunasAlvo) {
            const ColunaDaTabela* col = t.Coluna(n);
            if (!col) throw ErroDeBanco("Invalid column name '" + n + "'.", 207, 16, 1);
            ExigirColunaGravavel(*col);
            alvo.push_back(col);
        }
    }
    bool temIdentidade = false;
    for (const auto* col : alvo) {
        if (col->identidade) temIdentidade = true;
        if (col->tipo.base == TipoBase::RowVersion)
            throw ErroDeBanco(
                "Cannot insert an explicit value into a timestamp column. Use INSERT with a "
                "column list to exclude the timestamp column, or insert a DEFAULT into the "
                "timestamp column.",
                273, 16, 1);
    }
    if (temIdentidade && !identityLigado)
        throw ErroDeBanco("Cannot insert explicit value for identity column in table '" + t.nome +
                              "' when IDENTITY_INSERT is set to OFF.",
                          544, 16, 1);
    if (!temIdentidade && identityLigado && t.Identidade())
        throw ErroDeBanco("Explicit value must be specified for identity column in table '" +
                              t.nome +
                              "' either when IDENTITY_INSERT is set to ON or when a replication "
                              "user is inserting "
                              "into a NOT FOR REPLICATION identity column.",
                          545, 16, 1);
    return alvo;
}

void Executor::CompilarInsercao(const instrucao::Inserir& c, const Tabela& t, bool identityLigado,
                                std::vector<int>* ligados) {
    const std::vector<const ColunaDaTabela*> alvo = ColunasDaInsercao(c, t, identityLigado);
    std::string colunas;
    for (const auto* col : alvo)
        colunas += (colunas.empty() ? "" : ", ") + ComoIdentificador(col->nome);
    // a row key left out takes NULL (it has no default): refused for each row written
    const ColunaDaTabela* chave = ChaveNaLinha(t);
    if (chave && (c.valoresPadrao || std::find(alvo.begin(), alvo.end(), chave) == alvo.end())) {
        if (!c.valores.empty() || c.valoresPadrao)
            throw ErroDeBanco(MensagemDeNulo(s_.Banco(), t, chave->nome, 'I'), 515, 16, 2);
    } else {
        chave = nullptr;
    }
    std::string sql;
    std::vector<db::Valor> literais;
    // SQLite would give :zvl1 and a parameter ?1 of the caller the same slot
    bool ligarLiterais = c.valores.size() * alvo.size() <= kLiteraisLigados;
    for (const auto& linha : c.valores)
        for (const Faixa& f : linha)
            for (std::size_t k = f.inicio; k < f.fim; ++k)
                if (plano_.tokens[k].tipo == TipoToken::Parametro) ligarLiterais = false;
    if (c.valoresPadrao) {
        sql = "INSERT INTO " + IdentificadorNoSqlite(t.nome) + " DEFAULT VALUES";
    } else if (!c.valores.empty()) {
        sql = CompilarValores(c, t, alvo, colunas, ligarLiterais ? &literais : nullptr, ligados);
    } else {
        std::vector<std::optional<TipoSql>> tipos;
        const std::string selecao = Reescrita(c.selecao, nullptr, &tipos);
        tipos.resize(alvo.size());
        std::string nomes, conv;
        for (std::size_t k = 0; k < alvo.size(); ++k) {
            std::string n = "c" + std::to_string(k + 1);
            nomes += (k ? ", " : "") + n;
            conv += (k ? ", " : "") +
                    GuardaDaChave(t, *alvo[k], ChamadaDeConversao(n, alvo[k]->tipo, tipos[k]));
        }
        const std::string todas = chave ? colunas + ", " + ComoIdentificador(chave->nome) : colunas;
        if (chave) conv += ", " + GuardaDaChave(t, *chave, "NULL");
        const std::string prefixo = PrefixoCom(c.com, nullptr);
        sql = (prefixo.empty() ? "WITH " : prefixo + ", ") + "zv_fonte(" + nomes + ") AS (" +
              selecao + ") INSERT INTO " + IdentificadorNoSqlite(t.nome) + " (" + todas +
              ") SELECT " + conv + " FROM zv_fonte" + LimiteDaInsercao(c);
    }
    const bool deValores = !c.valores.empty() || c.valoresPadrao;
    if (deValores && c.topo)
        throw ErroDeBanco("O simulador de SQL Server não aceita INSERT TOP com VALUES.");
    if (deValores && c.com) sql = PrefixoCom(c.com, nullptr) + sql;
    c.compilado.sql = std::move(sql);
    c.compilado.literais = std::move(literais);
    c.compilado.pronto = !c.topo && s_.limiteDeLinhas_ <= 0;  // TOP, ROWCOUNT: each run
}

void Executor::Inserir(const instrucao::Inserir& c, Faixa faixa) {
    if (auto g = GatilhoEmVezDe(c.objeto.Nome(), "INSERT")) return InserirEmVezDe(c, *g);
    if (c.execucao) return InserirDaExecucao(c);
    Tabela* t = s_.CatalogoAtual().AcharTabela(c.objeto.Nome());
    if (!t || c.com) {
        if (auto alvo = AlvoPorVisao(c.objeto.partes, c.com, 'I', c.colunasAlvo))
            return InserirPelaVisao(c, *alvo, faixa);
        if (!t) ObjetoInvalido(c.objeto.Nome());
    }
    bool identityLigado = !s_.identityInsert_.empty() && s_.identityInsert_ == Dobrar(t->nome);
    if (!c.compilado.pronto) {
        CompilarComForma(c, *t, identityLigado, faixa);
    } else if (identityLigado && c.colunasAlvo.empty() && t->Identidade()) {
        throw ErroDeBanco(
            "An explicit value for the identity column in table '" + t->nome +
                "' can only be specified when a column list is used and IDENTITY_INSERT is ON.",
            8101, 16, 1);
    }
    db::Resultado r;
    struct Literais {
        const std::vector<db::Valor>*& l;
        ~Literais() { l = nullptr; }
    } literais{literais_ = &c.compilado.literais};
    // SQLite's last rowid moves with any table; @@IDENTITY only with identity tables.
    const bool identidade = t->Identidade() != nullptr;
    auto feita = [&](const db::Resultado& x) {
        if (identidade && x.linhasAfetadas > 0)
            s_.ultimaIdentidade_ = sqlite3_last_insert_rowid(s_.db_);
    };
    try {
        chaveViolada_.clear();
        if (!MudarComGatilhos(*t, "INSERT", c.compilado.sql, {}, {}, 'I', r, feita,
                              SaidaDe(c.saida, c.objeto, *t, "INSERT"))) {
            r = Consultar(c.compilado.sql, 0, 'I', t->nome);
            feita(r);
        }
    } catch (const ErroDeBanco& e) {
        if ((e.Numero() != 2627 && e.Numero() != 2601) || estado_->erroDeGatilho) throw;
        throw ErroDeBanco(std::string(e.what()) + ValorDuplicado(c.compilado.sql, *t), e.Numero(),
                          e.Severidade(), e.Estado());
    }
    Contar(std::move(r), c.saida);
}

// SET NOCOUNT ON|OFF; the other SET options the parser lets through change nothing here.
namespace {

// ON/OFF options the engine keeps as SQL Server's defaults, with the values that change
// nothing it answers: "*" any value. Others would change results, and are refused.
const std::map<std::string, std::string>& OpcoesSemEfeito() {
    static const std::map<std::string, std::string> m = {
        {"ANSI_NULLS", "ON"},
        {"ANSI_PADDING", "ON"},
        {"ANSI_WARNINGS", "ON"},
        {"ANSI_NULL_DFLT_ON", "ON"},
        {"ANSI_NULL_DFLT_OFF", "OFF"},
        {"ARITHABORT", "*"},
        {"ARITHIGNORE", "*"},
        {"CONCAT_NULL_YIELDS_NULL", "ON"},
        {"CURSOR_CLOSE_ON_COMMIT", "*"},  // ON: the end of a transaction closes the cursors
        {"FMTONLY", "OFF"},
        {"FORCEPLAN", "*"},
        {"IMPLICIT_TRANSACTIONS", "OFF"},
        {"NO_BROWSETABLE", "*"},
        {"NOCOUNT", "*"},
        {"NOEXEC", "OFF"},
        {"NUMERIC_ROUNDABORT", "OFF"},
        {"PARSEONLY", "OFF"},
        {"QUOTED_IDENTIFIER", "ON"},
        {"REMOTE_PROC_TRANSACTIONS", "OFF"},
        {"SHOWPLAN_ALL", "OFF"},
        {"SHOWPLAN_TEXT", "OFF"},
        {"SHOWPLAN_XML", "OFF"},
        {"XACT_ABORT", "*"},
    };
    return m;
}

// SET options that take a value other than ON/OFF, and the values that change nothing.
bool ValorSemEfeito(const std::string& opcao, const std::string& valor) {
    if (opcao == "TRANSACTION" || opcao == "DEADLOCK_PRIORITY" || opcao == "CONTEXT_INFO" ||
        opcao == "TEXTSIZE" || opcao == "QUERY_GOVERNOR_COST_LIMIT")
        return true;
    if (opcao == "DATEFIRST") return valor == "7";
    return false;
}

bool OpcaoConhecida(const std::string& o) {
    static const std::set<std::string> outras = {"ANSI_DEFAULTS",
                                                 "CONTEXT_INFO",
                                                 "DATEFIRST",
                                                 "DEADLOCK_PRIORITY",
                                                 "FIPS_FLAGGER",
                                                 "OFFSETS",
                                                 "QUERY_GOVERNOR_COST_LIMIT",
                                                 "ROWCOUNT",
                                                 "TEXTSIZE",
                                                 "TRANSACTION"};
    return OpcoesSemEfeito().count(o) > 0 || outras.count(o) > 0 || o.rfind("STATISTICS ", 0) == 0;
}

}  // namespace

// SET NOCOUNT, XACT_ABORT and the options that leave the engine's answers as SQL Server's.
void Executor::LerOpcaoDaSessao(const Comando& c) {
    const auto& t = plano_.tokens;
    if (c.faixa.fim > c.faixa.inicio + 2 && EhPalavra(t[c.faixa.inicio + 1], "ROWCOUNT"))
        return DefinirLimiteDeLinhas({c.faixa.inicio + 2, c.faixa.fim});
    std::vector<std::string> opcoes;
    std::size_t k = c.faixa.inicio + 1;
    for (; k < c.faixa.fim; ++k) {
        if (EhSimbolo(t[k], ",")) continue;
        if (EhPalavra(t[k], "ON") || EhPalavra(t[k], "OFF")) break;
        std::string o = t[k].texto;
        if (Dobrar(o) == "statistics" && k + 1 < c.faixa.fim)  // STATISTICS IO, TIME, XML...
            o += " " + t[++k].texto;
        o = texto::Maiusculas(o);
        if (!OpcaoConhecida(o))
            throw ErroDeBanco("'" + t[k].texto + "' is not a recognized SET option.", 195, 15, 1);
        opcoes.push_back(o);
        if (OpcoesSemEfeito().count(o) == 0 && o.rfind("STATISTICS ", 0) != 0) break;
    }
    const bool comValor = k < c.faixa.fim && (EhPalavra(t[k], "ON") || EhPalavra(t[k], "OFF"));
    const std::string valorMaiusculo = comValor ? texto::Maiusculas(t[k].texto) : "";
    for (const auto& o : opcoes) {
        auto it = OpcoesSemEfeito().find(o);
        bool aceita = false;
        if (comValor && it != OpcoesSemEfeito().end())
            aceita = it->second == "*" || it->second == valorMaiusculo;
        else if (comValor && o.rfind("STATISTICS ", 0) == 0)
            aceita = o == "STATISTICS IO" || o == "STATISTICS TIME" || valorMaiusculo == "OFF";
        else if (!comValor && opcoes.size() == 1)
            aceita = ValorSemEfeito(o, TextoDaFaixa({k + 1, c.faixa.fim}));
        if (!aceita)
            throw ErroDeBanco("O simulador de SQL Server não aceita " + TextoDaFaixa(c.faixa) +
                              ".");
        if (o == "NOCOUNT") s_.semContagem_ = valorMaiusculo == "ON";
        if (o == "XACT_ABORT") s_.xactAbort_ = valorMaiusculo == "ON";
        if (o == "CURSOR_CLOSE_ON_COMMIT") s_.fecharCursoresNoFim_ = valorMaiusculo == "ON";
    }
}

// SET ROWCOUNT n (or @n): SELECT, INSERT, UPDATE and DELETE stop after n rows; 0 for all.
void Executor::DefinirLimiteDeLinhas(Faixa valor) {
    const db::Valor v = Avaliar(valor);
    std::int64_t n = 0;
    if (const auto* i = std::get_if<std::int64_t>(&v))
        n = *i;
    else if (const auto* d = std::get_if<db::Decimal>(&v))
        n = std::strtoll(d->texto.c_str(), nullptr, 10);
    else if (const auto* x = std::get_if<std::string>(&v))
        n = std::strtoll(x->c_str(), nullptr, 10);
    else if (!db::EhNulo(v))
        throw ErroDeBanco("Incorrect syntax near 'ROWCOUNT'.", 102, 15, 1);
    s_.limiteDeLinhas_ = n > 0 ? n : 0;
}

// SET CURSOR_CLOSE_ON_COMMIT ON: the end of the transaction closes the open cursors of
// the batch and of the calls it is in.
void Executor::FecharCursoresNoFimDaTransacao() {
    if (!s_.fecharCursoresNoFim_ || s_.EmTransacao()) return;
    for (Executor* e = this; e; e = e->anterior_)
        if (e->quadro_)
            for (auto& [nome, cursor] : e->quadro_->Cursores()) cursor.aberto = false;
}

// The row count of a data change reaches the client unless SET NOCOUNT is ON.
void Executor::Contar(db::Resultado r) {
    estado_->linhas = r.linhasAfetadas;
    if (!s_.semContagem_) resultados_.push_back(std::move(r));
}

namespace {

// A key value as SQL Server shows it in "The duplicate key value is (...)".
std::string TextoDaChave(const db::Valor& v) {
    return db::EhNulo(v) ? "<NULL>" : ComoTextoDeValor(v);
}

}  // namespace

// " The duplicate key value is (...)." for the INSERT that broke the key just named: the
// first new row whose key is already in the table or comes twice among the new rows.
// The rows are those of the statement's own text (VALUES or its query), run again.
std::string Executor::ValorDuplicado(const std::string& insercao, const Tabela& t) {
    const std::string inicio = "INSERT INTO " + IdentificadorNoSqlite(t.nome) + " (";
    const auto p = insercao.find(inicio);
    const auto fimDasColunas = p == std::string::npos ? p : insercao.find(") ", p);
    if (chaveViolada_.empty() || fimDasColunas == std::string::npos) return "";
    const std::string colunas =
        insercao.substr(p + inicio.size(), fimDasColunas - p - inicio.size());
    // a key column the statement does not write (identity, default) is not known here
    for (const auto& k : chaveViolada_)
        if (colunas.find(ComoIdentificador(k)) == std::string::npos) return "";
    std::string antes = insercao.substr(0, p);
    while (!antes.empty() && antes.back() == ' ') antes.pop_back();
    const std::string novas =
        "zv_novas(" + colunas + ") AS (" + insercao.substr(fimDasColunas + 2) + ")";
    return BuscarValorDuplicado(antes.empty() ? "WITH " + novas : antes + ", " + novas, "", t);
}

// The same for an UPDATE: the rows it changes, with their new keys, against the rows it
// leaves as they are and against each other.
std::string Executor::ValorDuplicado(const PartesDaAtualizacao& p, const Tabela& t) {
    if (chaveViolada_.empty()) return "";
    std::string colunas, valores;
    for (const auto& k : chaveViolada_) {
        std::string valor = (p.alvo.find(" AS zv_alvo") == std::string::npos ? "" : "zv_alvo.") +
                            ComoIdentificador(k);
        for (const auto& [coluna, novo] : p.valores)
            if (IguaisCiAs(coluna, k)) valor = novo;
        colunas += ComoIdentificador(k) + ", ";
        valores += valor + ", ";
    }
    const std::string novas = (p.prefixo.empty() ? "WITH " : p.prefixo + ", ") + "zv_novas(" +
                              colunas + "zv_linha) AS (SELECT " + valores +
                              (p.alvo.find(" AS zv_alvo") == std::string::npos ? "" : "zv_alvo.") +
                              ColunaDaLinha(t) + " FROM " + p.alvo + p.onde + ")";
    return BuscarValorDuplicado(
        novas, " AND x." + ColunaDaLinha(t) + " NOT IN (SELECT zv_linha FROM zv_novas)", t);
}

// Runs `novas` (a WITH that names the new rows zv_novas) and tells the first new key that
// is already in the table (in a row that `outras` leaves) or comes twice among the new.
std::string Executor::BuscarValorDuplicado(const std::string& novas, const std::string& outras,
                                           const Tabela& t) {
    std::string chave, iguaisNaTabela, iguaisNasNovas;
    for (const auto& k : chaveViolada_) {
        const std::string id = ComoIdentificador(k);
        if (!chave.empty()) {
            chave += ", ";
            iguaisNaTabela += " AND ";
            iguaisNasNovas += " AND ";
        }
        chave += "n." + id;
        // a NULL is a key value as any other
        iguaisNaTabela += "x." + id + " IS n." + id;
        iguaisNasNovas += "m." + id + " IS n." + id;
    }
    const std::string sql =
        novas + " SELECT " + chave + " FROM zv_novas n WHERE EXISTS (SELECT 1 FROM " +
        (t.id < 0 ? "temp." : "main.") +  // a table variable's are in the temp schema
        IdentificadorNoSqlite(t.nome) + " x WHERE " + iguaisNaTabela + outras +
        ") OR (SELECT count(*) FROM zv_novas m WHERE " + iguaisNasNovas + ") > 1 LIMIT 1";
    try {
        db::Resultado r = Consultar(sql, 0, 'S', "");
        if (r.linhas.empty()) return "";
        std::string valores;
        for (const auto& v : r.linhas[0])
            valores += (valores.empty() ? "" : ", ") + TextoDaChave(v);
        return " The duplicate key value is (" + valores + ").";
    } catch (const ErroDeBanco&) {
        return "";  // the message stands without the value
    }
}

void Executor::IdentityInsert(const instrucao::IdentityInsert& c) {
    Tabela* t = s_.CatalogoAtual().AcharTabela(c.objeto.Nome());
    if (!t)
        throw ErroDeBanco("Cannot find the object \"" + c.objeto.Nome() +
                              "\" because it does not exist or you do not have permissions.",
                          1088, 16, 11);
    if (!t->Identidade())
        throw ErroDeBanco(
            "Table '" + t->nome +
                "' does not have the identity property. Cannot perform SET operation.",
            8106, 16, 1);
    std::string chave = Dobrar(t->nome);
    if (c.ligado) {
        if (!s_.identityInsert_.empty() && s_.identityInsert_ != chave) {
            Tabela* outra = s_.CatalogoAtual().AcharTabela(s_.identityInsert_);
            throw ErroDeBanco("IDENTITY_INSERT is already ON for table '" + s_.Banco() + ".dbo." +
                                  (outra ? outra->nome : s_.identityInsert_) +
                                  "'. Cannot perform SET operation for table '" + t->nome + "'.",
                              8107, 16, 1);
        }
        s_.identityInsert_ = chave;
    } else if (s_.identityInsert_ == chave) {
        s_.identityInsert_.clear();
    }
}

}  // namespace zolvek::simulador
