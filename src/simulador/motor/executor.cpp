#include "simulador/motor/executor.hpp"

#include <sqlite3.h>

#include <cctype>
#include <cstring>
#include <optional>

#include "comum/erros.hpp"
#include "simulador/motor/colacao.hpp"
#include "simulador/motor/funcoes.hpp"
#include "simulador/motor/materializacao.hpp"
#include "simulador/motor/reescrita.hpp"
#include "simulador/motor/sessao.hpp"
#include "simulador/motor/sqlite.hpp"
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
        return db::Decimal{FormatarDecimal(sqlite3_column_double(s, c), EscalaDoCatalogo(t))};
    if (t.base == TipoBase::Float || t.base == TipoBase::Real) return sqlite3_column_double(s, c);
    if (EhDataHora(t.base)) {
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
                db::DataHora d;
                if (LerDataHora(Texto(s, c), d)) return d;
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

std::string ColunaDaMensagem(const std::string& msg, const std::string& prefixo) {
    auto p = msg.find(prefixo);
    if (p == std::string::npos) return "";
    return msg.substr(p + prefixo.size());
}

}  // namespace

namespace {

// UPDATE/DELETE with a FROM of their own: the target is a table of that FROM, named
// directly or by its alias. Splits the FROM from the WHERE and finds the target's name
// inside the FROM (its alias, or the table itself).
struct Juncao {
    Faixa de;    // FROM ... (without the keyword)
    Faixa onde;  // WHERE condition, may be empty
    std::string tabela;
    std::string apelido;
};

std::optional<Juncao> LerJuncao(const std::vector<Token>& t, Faixa resto, const std::string& alvo) {
    if (resto.Vazia() || !EhPalavra(t[resto.inicio], "FROM")) return std::nullopt;
    Juncao j;
    j.de = {resto.inicio + 1, resto.fim};
    int nivel = 0;
    for (std::size_t k = resto.inicio + 1; k < resto.fim; ++k) {
        if (EhSimbolo(t[k], "(")) ++nivel;
        if (EhSimbolo(t[k], ")")) --nivel;
        if (nivel == 0 && EhPalavra(t[k], "WHERE")) {
            j.de.fim = k;
            j.onde = {k + 1, resto.fim};
            break;
        }
    }
    j.tabela = alvo;
    j.apelido = ComoIdentificador(alvo);
    for (std::size_t k = j.de.inicio; k + 1 < j.de.fim; ++k) {
        // a table is named right after FROM, after JOIN or after a comma
        bool lugarDeTabela =
            k == j.de.inicio || EhPalavra(t[k - 1], "JOIN") || EhSimbolo(t[k - 1], ",");
        if (!lugarDeTabela || !EhNome(t[k])) continue;
        std::size_t a = k + 1;
        while (a + 1 < j.de.fim && EhSimbolo(t[a], ".") && EhNome(t[a + 1])) a += 2;  // dbo.T
        std::string tabela = t[a - 1].texto;
        if (a < j.de.fim && EhPalavra(t[a], "AS")) ++a;
        if (a < j.de.fim && EhNome(t[a]) && IguaisCiAs(t[a].texto, alvo)) {
            j.tabela = tabela;
            j.apelido = ComoIdentificador(t[a].texto);
            break;
        }
    }
    return j;
}

}  // namespace

Executor::Executor(Sessao& sessao, PlanoDeLote& plano, const std::vector<db::Valor>& parametros)
    : s_(sessao), plano_(plano), parametros_(parametros) {}

std::vector<db::Resultado> Executor::Executar() {
    for (const auto& c : plano_.comandos) {
        s_.VerificarSeFoiEliminada();
        Rodar(*c);
    }
    return std::move(resultados_);
}

std::string Executor::TextoDaFaixa(Faixa f) const {
    if (f.Vazia()) return "";
    return plano_.texto.substr(plano_.tokens[f.inicio].inicio,
                               plano_.tokens[f.fim - 1].fim - plano_.tokens[f.inicio].inicio);
}

std::string Executor::Reescrita(Faixa f, int* flags) {
    ContextoDeReescrita ctx;
    ctx.ordinais = &plano_.ordinais;
    std::string r = Reescrever(plano_.tokens, f, ctx);
    if (flags) *flags = (ctx.usaProcessos ? kProcessos : 0) | (ctx.usaBancos ? kBancos : 0);
    return r;
}

void Executor::Ligar(sqlite3_stmt* st) {
    int n = sqlite3_bind_parameter_count(st);
    for (int i = 1; i <= n; ++i) {
        const char* nome = sqlite3_bind_parameter_name(st, i);
        std::size_t k =
            nome ? static_cast<std::size_t>(std::atoi(nome + 1)) : static_cast<std::size_t>(i);
        if (k == 0 || k > parametros_.size())
            throw ErroDeBanco("No value given for one or more required parameters.");
        const db::Valor& v = parametros_[k - 1];
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
                    sqlite3_bind_double(st, i, std::atof(x.texto.c_str()));
                else if constexpr (std::is_same_v<T, std::string>)
                    sqlite3_bind_text(st, i, x.data(), static_cast<int>(x.size()),
                                      SQLITE_TRANSIENT);
                else if constexpr (std::is_same_v<T, db::Bytes>)
                    sqlite3_bind_blob(st, i, x.data(), static_cast<int>(x.size()),
                                      SQLITE_TRANSIENT);
                else {
                    std::string t = FormatarDataHora(x);
                    sqlite3_bind_text(st, i, t.data(), static_cast<int>(t.size()),
                                      SQLITE_TRANSIENT);
                }
            },
            v);
    }
}

void Executor::FalhaTraduzida(const std::string& msg, char operacao, const std::string& tabela) {
    const std::string& banco = s_.Banco();
    std::string verbo = operacao == 'U'   ? "UPDATE"
                        : operacao == 'D' ? "DELETE"
                        : operacao == 'A' ? "ALTER TABLE"
                                          : "INSERT";
    if (msg.rfind("zvfk|", 0) == 0 || msg.rfind("zvref|", 0) == 0) {
        bool fk = msg.rfind("zvfk|", 0) == 0;
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
                              (r->colunasReferidas.empty() ? "" : r->colunasReferidas[0]) + "'.");
        if (r)
            throw ErroDeBanco(
                "The " + acao + " statement conflicted with the REFERENCE constraint \"" + nome +
                "\". The conflict occurred in database \"" + banco + "\", table \"dbo." +
                dona->nome + "\", column '" + r->colunas[0].nome + "'.");
    }
    if (auto c = ColunaDaMensagem(msg, "NOT NULL constraint failed: "); !c.empty()) {
        auto ponto = c.find('.');
        std::string t = ponto == std::string::npos ? tabela : c.substr(0, ponto);
        std::string col = ponto == std::string::npos ? c : c.substr(ponto + 1);
        throw ErroDeBanco("Cannot insert the value NULL into column '" + col + "', table '" +
                          banco + ".dbo." + t + "'; column does not allow nulls. " +
                          (operacao == 'I' ? "INSERT" : "UPDATE") + " fails.");
    }
    if (auto c = ColunaDaMensagem(msg, "CHECK constraint failed: "); !c.empty()) {
        Tabela* dona = s_.CatalogoAtual().TabelaDaRestricao(c);
        std::string coluna;
        if (dona)
            if (const Restricao* r = dona->RestricaoPeloNome(c); r && !r->colunas.empty())
                coluna = ", column '" + r->colunas[0].nome + "'";
        throw ErroDeBanco("The " + verbo + " statement conflicted with the CHECK constraint \"" +
                          c + "\". The conflict occurred in database \"" + banco +
                          "\", table \"dbo." + (dona ? dona->nome : tabela) + "\"" + coluna + ".");
    }
    if (auto c = ColunaDaMensagem(msg, "UNIQUE constraint failed: "); !c.empty()) {
        // "T.a, T.b": find the index over those columns
        std::vector<std::string> cols;
        std::string t;
        std::size_t i = 0;
        while (i < c.size()) {
            std::size_t f = c.find(", ", i);
            if (f == std::string::npos) f = c.size();
            std::string item = c.substr(i, f - i);
            auto ponto = item.find('.');
            t = item.substr(0, ponto);
            cols.push_back(item.substr(ponto + 1));
            i = f + 2;
        }
        Tabela* tab = s_.CatalogoAtual().AcharTabela(t);
        if (tab) {
            for (const auto& ind : tab->indices) {
                if (!ind.unico || ind.colunas.size() != cols.size()) continue;
                bool iguais = true;
                for (std::size_t k = 0; k < cols.size(); ++k)
                    if (!IguaisCiAs(ind.colunas[k].nome, cols[k])) iguais = false;
                if (!iguais) continue;
                if (ind.primario)
                    throw ErroDeBanco("Violation of PRIMARY KEY constraint '" + ind.nome +
                                      "'. Cannot insert duplicate key in object 'dbo." + tab->nome +
                                      "'.");
                if (ind.restricao != 0)
                    throw ErroDeBanco("Violation of UNIQUE KEY constraint '" + ind.nome +
                                      "'. Cannot insert duplicate key in object 'dbo." + tab->nome +
                                      "'.");
                throw ErroDeBanco("Cannot insert duplicate key row in object 'dbo." + tab->nome +
                                  "' with unique index '" + ind.nome + "'.");
            }
            if (tab->Identidade())
                throw ErroDeBanco("Cannot insert duplicate key row in object 'dbo." + tab->nome +
                                  "': the identity value already exists.");
        }
        throw ErroDeBanco("Cannot insert duplicate key row in object 'dbo." + t + "'.");
    }
    if (auto c = ColunaDaMensagem(msg, "no such table: "); !c.empty()) {
        auto ponto = c.find('.');
        if (ponto != std::string::npos) c = c.substr(ponto + 1);
        throw ErroDeBanco("Invalid object name '" + c + "'.");
    }
    if (auto c = ColunaDaMensagem(msg, "no such column: "); !c.empty()) {
        if (c.find('.') != std::string::npos)
            throw ErroDeBanco("The multi-part identifier \"" + c + "\" could not be bound.");
        throw ErroDeBanco("Invalid column name '" + c + "'.");
    }
    if (auto c = ColunaDaMensagem(msg, "ambiguous column name: "); !c.empty())
        throw ErroDeBanco("Ambiguous column name '" + c + "'.");
    if (auto c = ColunaDaMensagem(msg, "no such function: "); !c.empty())
        throw ErroDeBanco("'" + c + "' is not a recognized built-in function name.");
    if (msg.find("syntax error") != std::string::npos) {
        auto a = msg.find("near \"");
        if (a != std::string::npos) {
            auto b = msg.find("\"", a + 6);
            throw ErroDeBanco("Incorrect syntax near '" + msg.substr(a + 6, b - a - 6) + "'.");
        }
        throw ErroDeBanco("Incorrect syntax near the end of the batch.");
    }
    if (msg.find("database is locked") != std::string::npos ||
        msg.find("database table is locked") != std::string::npos)
        throw ErroDeBanco("Lock request time out period exceeded.");
    if (msg.find("interrupted") != std::string::npos) {
        s_.VerificarSeFoiEliminada();
        throw ErroDeBanco("Query timeout expired");
    }
    throw ErroDeBanco(msg);
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
                                  const std::string& tabela) {
    if (flags) s_.AtualizarTabelasDoServidor(flags & kProcessos, flags & kBancos);
    sqlite3_stmt* st = nullptr;
    try {
        st = s_.Preparar(sql);
    } catch (const ErroDeBanco& e) {
        FalhaTraduzida(e.what(), operacao, tabela);
    }
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
        if (tab && orig && std::strncmp(tab, "zv_", 3) != 0) {
            if (Tabela* t = s_.CatalogoAtual().AcharTabela(tab)) {
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
        std::string msg = sqlite3_errmsg(sqlite3_db_handle(st));
        sqlite3_reset(st);
        FalhaTraduzida(msg, operacao, tabela);
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
    sqlite3* db = s_.db_;
    // Outside a transaction the statement takes the write lock up front, so that another
    // process writing meanwhile makes it wait instead of failing.
    bool proprio = s_.nivelDeTransacao_ == 0;
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
        s_.catalogo_.Carregar(db);
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

void Executor::Rodar(const Comando& c) {
    ExigirDireitos(c);
    switch (c.tipo) {
        case TipoComando::Selecionar:
            return Selecionar(c);
        case TipoComando::Inserir:
            return Inserir(c);
        case TipoComando::Atualizar:
            return Atualizar(c);
        case TipoComando::Excluir:
            return Excluir(c);
        case TipoComando::CriarTabela:
            return CriarTabela(c);
        case TipoComando::AlterarTabela:
            return AlterarTabela(c);
        case TipoComando::ExcluirTabela:
            return ExcluirTabela(c);
        case TipoComando::CriarIndice:
            return CriarIndice(c);
        case TipoComando::ExcluirIndice:
            return ExcluirIndice(c);
        case TipoComando::CriarObjeto:
            return CriarObjeto(c);
        case TipoComando::ExcluirObjeto:
            return ExcluirObjeto(c);
        case TipoComando::Conceder:
            return Conceder(c);
        case TipoComando::ExecutarProcedimento:
            return ExecutarComando(c);
        case TipoComando::IdentityInsert:
            return IdentityInsert(c);
        case TipoComando::TempoDeBloqueio: {
            const long long n =
                std::strtoll(plano_.tokens[c.numero.inicio].texto.c_str(), nullptr, 10);
            return s_.DefinirTempoDeBloqueio(
                c.ligado || n < 0 || n > 2147483647 ? -1 : static_cast<int>(n));
        }
        case TipoComando::Ignorado:
            return;
        case TipoComando::Se:
            if (Condicao(c.condicao))
                Rodar(*c.entao);
            else if (c.senao)
                Rodar(*c.senao);
            return;
        case TipoComando::Bloco:
            for (const auto& f : c.filhos) Rodar(*f);
            return;
        case TipoComando::IniciarTransacao:
            return s_.IniciarTransacao();
        case TipoComando::ConfirmarTransacao:
            if (!s_.EmTransacao())
                throw ErroDeBanco(
                    "The COMMIT TRANSACTION request has no corresponding BEGIN TRANSACTION.");
            return s_.Confirmar();
        case TipoComando::DesfazerTransacao:
            if (!s_.EmTransacao())
                throw ErroDeBanco(
                    "The ROLLBACK TRANSACTION request has no corresponding BEGIN TRANSACTION.");
            return s_.Desfazer();
        case TipoComando::CriarLogin:
        case TipoComando::CriarUsuario:
        case TipoComando::ExcluirUsuario:
        case TipoComando::CriarPapel:
        case TipoComando::AlterarPapel:
            return ComandoDeUsuario(c);
        default:
            return ComandoDeServidor(c);
    }
}

void Executor::Selecionar(const Comando& c) {
    auto it = plano_.compilados.find(&c);
    if (it == plano_.compilados.end()) {
        int flags = 0;
        std::string sql = Reescrita(c.selecao, &flags);
        plano_.flags[&c] = flags;
        it = plano_.compilados.emplace(&c, std::move(sql)).first;
    }
    resultados_.push_back(Consultar(it->second, plano_.flags[&c], 'S', ""));
}

void Executor::Inserir(const Comando& c) {
    Tabela* t = s_.CatalogoAtual().AcharTabela(c.objeto.Nome());
    if (!t) {
        if (s_.CatalogoAtual().AcharObjeto(c.objeto.Nome()))
            throw ErroDeBanco("O simulador de SQL Server não grava por meio de visões.");
        throw ErroDeBanco("Invalid object name '" + c.objeto.Nome() + "'.");
    }
    bool identityLigado = !s_.identityInsert_.empty() && s_.identityInsert_ == Dobrar(t->nome);
    auto it = plano_.compilados.find(&c);
    if (it == plano_.compilados.end()) {
        std::vector<const ColunaDaTabela*> alvo;
        if (c.colunasAlvo.empty()) {
            if (identityLigado && t->Identidade())
                throw ErroDeBanco("An explicit value for the identity column in table '" + t->nome +
                                  "' can only be specified when a column list is used and "
                                  "IDENTITY_INSERT is ON.");
            for (const auto& col : t->colunas)
                if (!col.identidade && col.tipo.base != TipoBase::RowVersion) alvo.push_back(&col);
        } else {
            for (const auto& n : c.colunasAlvo) {
                const ColunaDaTabela* col = t->Coluna(n);
                if (!col) throw ErroDeBanco("Invalid column name '" + n + "'.");
                alvo.push_back(col);
            }
        }
        bool temIdentidade = false;
        for (const auto* col : alvo) {
            if (col->identidade) temIdentidade = true;
            if (col->tipo.base == TipoBase::RowVersion)
                throw ErroDeBanco(
                    "Cannot insert an explicit value into a timestamp column. Use INSERT with a "
                    "column "
                    "list to exclude the timestamp column, or insert a DEFAULT into a timestamp "
                    "column.");
        }
        if (temIdentidade && !identityLigado)
            throw ErroDeBanco("Cannot insert explicit value for identity column in table '" +
                              t->nome + "' when IDENTITY_INSERT is set to OFF.");
        if (!temIdentidade && identityLigado && t->Identidade())
            throw ErroDeBanco("Explicit value must be specified for identity column in table '" +
                              t->nome +
                              "' either when IDENTITY_INSERT is set to ON or when a replication "
                              "user is inserting "
                              "into a NOT FOR REPLICATION identity column.");
        std::string colunas;
        for (const auto* col : alvo)
            colunas += (colunas.empty() ? "" : ", ") + ComoIdentificador(col->nome);
        std::string sql;
        if (c.valoresPadrao) {
            sql = "INSERT INTO " + ComoIdentificador(t->nome) + " DEFAULT VALUES";
        } else if (!c.valores.empty()) {
            sql = "INSERT INTO " + ComoIdentificador(t->nome) + " (" + colunas + ") VALUES ";
            bool primeira = true;
            for (const auto& linha : c.valores) {
                if (linha.size() > alvo.size())
                    throw ErroDeBanco(
                        "There are fewer columns in the INSERT statement than values specified in "
                        "the "
                        "VALUES clause. The number of values in the VALUES clause must match the "
                        "number "
                        "of columns specified in the INSERT statement.");
                if (linha.size() < alvo.size())
                    throw ErroDeBanco(
                        "There are more columns in the INSERT statement than values specified in "
                        "the "
                        "VALUES clause. The number of values in the VALUES clause must match the "
                        "number "
                        "of columns specified in the INSERT statement.");
                sql += primeira ? "(" : ", (";
                primeira = false;
                for (std::size_t k = 0; k < linha.size(); ++k) {
                    if (k) sql += ", ";
                    const ColunaDaTabela* col = alvo[k];
                    if (linha[k].fim == linha[k].inicio + 1 &&
                        EhPalavra(plano_.tokens[linha[k].inicio], "DEFAULT")) {
                        const Restricao* d = t->PadraoDaColuna(col->nome);
                        sql += d ? ChamadaDeConversao(ExpressaoParaSqlite(d->texto), col->tipo)
                                 : "NULL";
                        continue;
                    }
                    std::string e = Reescrita(linha[k]);
                    sql += col->identidade ? e : ChamadaDeConversao(e, col->tipo);
                }
                sql += ")";
            }
        } else {
            std::string nomes, conv;
            for (std::size_t k = 0; k < alvo.size(); ++k) {
                std::string n = "c" + std::to_string(k + 1);
                nomes += (k ? ", " : "") + n;
                conv += (k ? ", " : "") +
                        (alvo[k]->identidade ? n : ChamadaDeConversao(n, alvo[k]->tipo));
            }
            sql = "WITH zv_fonte(" + nomes + ") AS (" + Reescrita(c.selecao) + ") INSERT INTO " +
                  ComoIdentificador(t->nome) + " (" + colunas + ") SELECT " + conv +
                  " FROM zv_fonte";
        }
        it = plano_.compilados.emplace(&c, std::move(sql)).first;
    } else if (identityLigado && c.colunasAlvo.empty() && t->Identidade()) {
        throw ErroDeBanco(
            "An explicit value for the identity column in table '" + t->nome +
            "' can only be specified when a column list is used and IDENTITY_INSERT is ON.");
    }
    resultados_.push_back(Consultar(it->second, 0, 'I', t->nome));
    // SQLite's last rowid moves with any table; @@IDENTITY only with identity tables.
    if (t->Identidade() && resultados_.back().linhasAfetadas > 0)
        s_.ultimaIdentidade_ = sqlite3_last_insert_rowid(s_.db_);
}

void Executor::Atualizar(const Comando& c) {
    auto juncao = LerJuncao(plano_.tokens, c.resto, c.objeto.Nome());
    Tabela* t = s_.CatalogoAtual().AcharTabela(juncao ? juncao->tabela : c.objeto.Nome());
    if (!t) throw ErroDeBanco("Invalid object name '" + c.objeto.Nome() + "'.");
    auto it = plano_.compilados.find(&c);
    if (it == plano_.compilados.end()) {
        std::string sql = "UPDATE " + ComoIdentificador(t->nome) + " SET ";
        bool primeiro = true;
        for (const auto& [nome, expr] : c.atribuicoes) {
            const ColunaDaTabela* col = t->Coluna(nome);
            if (!col) throw ErroDeBanco("Invalid column name '" + nome + "'.");
            if (col->identidade)
                throw ErroDeBanco("Cannot update identity column '" + col->nome + "'.");
            if (col->tipo.base == TipoBase::RowVersion)
                throw ErroDeBanco("Cannot update a timestamp column.");
            if (!primeiro) sql += ", ";
            primeiro = false;
            std::string valor;
            if (expr.fim == expr.inicio + 1 && EhPalavra(plano_.tokens[expr.inicio], "DEFAULT")) {
                const Restricao* d = t->PadraoDaColuna(col->nome);
                valor = d ? ChamadaDeConversao(ExpressaoParaSqlite(d->texto), col->tipo) : "NULL";
            } else if (juncao) {
                // the value comes from the joined row of the target
                valor = "(SELECT " + ChamadaDeConversao(Reescrita(expr), col->tipo) + " FROM " +
                        Reescrita(juncao->de) + " WHERE " + juncao->apelido +
                        ".rowid = zv_alvo.rowid" +
                        (juncao->onde.Vazia() ? "" : " AND (" + Reescrita(juncao->onde) + ")") +
                        " LIMIT 1)";
            } else {
                valor = ChamadaDeConversao(Reescrita(expr), col->tipo);
            }
            sql += ComoIdentificador(col->nome) + " = " + valor;
        }
        if (juncao) {
            sql.replace(0, 7 + ComoIdentificador(t->nome).size(),
                        "UPDATE " + ComoIdentificador(t->nome) + " AS zv_alvo");
            sql += " WHERE zv_alvo.rowid IN (SELECT " + juncao->apelido + ".rowid FROM " +
                   Reescrita(juncao->de) +
                   (juncao->onde.Vazia() ? "" : " WHERE " + Reescrita(juncao->onde)) + ")";
        } else if (!c.resto.Vazia()) {
            sql += " " + Reescrita(c.resto);
        }
        it = plano_.compilados.emplace(&c, std::move(sql)).first;
    }
    resultados_.push_back(Consultar(it->second, 0, 'U', t->nome));
}

void Executor::Excluir(const Comando& c) {
    auto juncao = LerJuncao(plano_.tokens, c.resto, c.objeto.Nome());
    Tabela* t = s_.CatalogoAtual().AcharTabela(juncao ? juncao->tabela : c.objeto.Nome());
    if (!t) throw ErroDeBanco("Invalid object name '" + c.objeto.Nome() + "'.");
    if (c.truncar)
        for (Tabela* outra : s_.CatalogoAtual().Tabelas())
            for (const auto& r : outra->restricoes)
                if (r.tipo == "F" && IguaisCiAs(r.tabelaReferida, t->nome))
                    throw ErroDeBanco("Cannot truncate table '" + t->nome +
                                      "' because it is being referenced by a FOREIGN KEY "
                                      "constraint.");
    auto it = plano_.compilados.find(&c);
    if (it == plano_.compilados.end()) {
        std::string sql = "DELETE FROM " + ComoIdentificador(t->nome);
        if (juncao)
            sql += " WHERE rowid IN (SELECT " + juncao->apelido + ".rowid FROM " +
                   Reescrita(juncao->de) +
                   (juncao->onde.Vazia() ? "" : " WHERE " + Reescrita(juncao->onde)) + ")";
        else if (!c.resto.Vazia())
            sql += " " + Reescrita(c.resto);
        it = plano_.compilados.emplace(&c, std::move(sql)).first;
    }
    resultados_.push_back(Consultar(it->second, 0, 'D', t->nome));
    if (const ColunaDaTabela* id = c.truncar ? t->Identidade() : nullptr) {
        // the next row takes the seed again
        Instrucao(s_.db_, "DELETE FROM main.sqlite_sequence WHERE name=?")
            .Ligar(1, t->nome)
            .Executar();
        if (id->semente != 1)
            Instrucao(s_.db_, "INSERT INTO main.sqlite_sequence(name, seq) VALUES (?, ?)")
                .Ligar(1, t->nome)
                .Ligar(2, id->semente - 1)
                .Executar();
    }
}

void Executor::IdentityInsert(const Comando& c) {
    Tabela* t = s_.CatalogoAtual().AcharTabela(c.objeto.Nome());
    if (!t)
        throw ErroDeBanco("Cannot find the object \"" + c.objeto.Nome() +
                          "\" because it does not exist or you do not have permissions.");
    if (!t->Identidade())
        throw ErroDeBanco("Table '" + t->nome +
                          "' does not have the identity property. Cannot perform SET operation.");
    std::string chave = Dobrar(t->nome);
    if (c.ligado) {
        if (!s_.identityInsert_.empty() && s_.identityInsert_ != chave) {
            Tabela* outra = s_.CatalogoAtual().AcharTabela(s_.identityInsert_);
            throw ErroDeBanco("IDENTITY_INSERT is already ON for table '" + s_.Banco() + ".dbo." +
                              (outra ? outra->nome : s_.identityInsert_) +
                              "'. Cannot perform SET operation for table '" + t->nome + "'.");
        }
        s_.identityInsert_ = chave;
    } else if (s_.identityInsert_ == chave) {
        s_.identityInsert_.clear();
    }
}

}  // namespace zolvek::simulador
