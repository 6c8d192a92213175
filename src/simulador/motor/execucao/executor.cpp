#include "simulador/motor/execucao/executor.hpp"

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
#include "simulador/motor/arvores/visitante.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/catalogo/nomes_do_motor.hpp"
#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/motor/catalogo/visoes.hpp"
#include "simulador/motor/execucao/dados.hpp"
#include "simulador/motor/execucao/definicoes.hpp"
#include "simulador/motor/execucao/funcoes_do_usuario.hpp"
#include "simulador/motor/execucao/instrucoes_do_servidor.hpp"
#include "simulador/motor/execucao/interpretador.hpp"
#include "simulador/motor/execucao/objetos_programados.hpp"
#include "simulador/motor/funcoes/funcoes.hpp"
#include "simulador/motor/funcoes/funcoes_decimais.hpp"
#include "simulador/motor/geracao/materializacao.hpp"
#include "simulador/motor/geracao/reescrita.hpp"
#include "simulador/motor/leitura/analisador_de_expressoes.hpp"
#include "simulador/motor/mensagens/falhas.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"
#include "simulador/motor/tipos/datas_com_fuso.hpp"
#include "simulador/motor/tipos/idiomas.hpp"
#include "simulador/servidor/servidor.hpp"

namespace zolvek::simulador {

namespace {

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

// A batch is read whole before any of it runs: syntax the server's version does not have
// fails it there, as that version's parser would.
void ExigirSintaxeDaVersao(const PlanoDeLote& plano, int versao) {
    for (const auto& c : plano.comandos)
        if (c->recente.versao > versao) throw ErroDoServidor(156, {c->recente.palavra});
}

}  // namespace

Executor::Executor(SessaoDeExecucao& sessao, PlanoDeLote& plano,
                   const std::vector<db::Valor>& parametros)
    : EstadoDaExecucao(plano, parametros), s_(sessao) {
    // @@ROWCOUNT of a batch's first statement: the rows the last change of the
    // connection touched
    estadoProprio_.linhas = sqlite3_changes(s_.Conexao());
    anterior_ = emCurso_;
    emCurso_ = this;
}

std::vector<db::Resultado> Executor::Executar() {
    ExigirSintaxeDaVersao(plano_, s_.ServidorAtual().Versao().maior);
    // dates in this batch read in the session's order
    DefinirOrdemDeDataAtual(s_.Opcoes().ordemDeData);
    DefinirIdiomaAtual(s_.Opcoes().idioma, s_.Opcoes().primeiroDia);
    Interpretador interpretador(*this);
    interpretador.PrepararVariaveis();
    for (const auto& c : plano_.comandos) {
        s_.VerificarSeFoiEliminada();
        interpretador.RodarNaLista(*c);
        if (fluxo_ == Fluxo::Retornar) break;  // RETURN ends the batch
    }
    // the client hears of the first error that let the batch go on when the batch ends
    if (estado_ == &estadoProprio_ && estadoProprio_.primeiroErro)
        throw *estadoProprio_.primeiroErro;
    return std::move(resultados_);
}

void Executor::CompilarCorpo(const std::function<void()>& f) {
    struct Guarda {
        bool& b;
        ~Guarda() { b = false; }
    } guarda{compilandoCorpo_};
    compilandoCorpo_ = true;
    f();
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
        return FuncoesDoUsuario(*this).Assinatura(nome);
    };
    return ctx;
}

namespace {

// Whether the statement's parameters are the literals :zvl1 to :zvlN of an INSERT's VALUES
// and nothing else: SQLite numbers them in the order they come, so that the i-th is
// :zvl<i> without asking it each name (which it finds by walking them all, each time).
bool SoLiteraisEmOrdem(sqlite3_stmt* st, int n, const std::vector<db::Valor>* literais) {
    if (!literais || n == 0 || static_cast<std::size_t>(n) != literais->size()) return false;
    const char* primeiro = sqlite3_bind_parameter_name(st, 1);
    const char* ultimo = sqlite3_bind_parameter_name(st, n);
    return primeiro && ultimo && std::strcmp(primeiro, ":zvl1") == 0 &&
           ultimo == ":zvl" + std::to_string(n);
}

}  // namespace

void Executor::Ligar(sqlite3_stmt* st) {
    int n = sqlite3_bind_parameter_count(st);
    if (SoLiteraisEmOrdem(st, n, literais_)) {
        for (int i = 1; i <= n; ++i)
            LigarValor(st, i, (*literais_)[static_cast<std::size_t>(i - 1)]);
        return;
    }
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

// SQLite names the columns of a parenthesized join as a subquery's, the second "id" as
// "id:1"; SQL Server keeps the column's name (an alias written so stays as it is).
std::string SemSufixoDoSqlite(const std::string& nome, const char* origem, const std::string& sql) {
    const auto dois = nome.rfind(':');
    if (!origem || dois == std::string::npos || dois + 1 == nome.size() ||
        !IguaisCiAs(nome.substr(0, dois), origem) ||
        sql.find(ComoIdentificador(nome)) != std::string::npos)
        return nome;
    for (std::size_t k = dois + 1; k < nome.size(); ++k)
        if (!std::isdigit(static_cast<unsigned char>(nome[k]))) return nome;
    return nome.substr(0, dois);
}

// The columns whose type no table or generator tells: that of their first non-NULL value.
void TiparPelosValores(db::Resultado& r, const std::vector<const TipoSql*>& tipos) {
    const int ncol = static_cast<int>(r.colunas.size());
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
}

}  // namespace

// Column `c` of a query's result: named and typed as its table's column when it reads one,
// else by the type the generator worked out; `tipo` receives the type that reads its values.
db::Coluna Executor::ColunaDaConsulta(sqlite3_stmt* st, int c, const std::string& sql,
                                      const std::vector<std::optional<TipoSql>>* tiposConhecidos,
                                      const TipoSql*& tipo) {
    db::Coluna col;
    col.nome = sqlite3_column_name(st, c);
    if (!sqlite3_column_origin_name(st, c) && !EhNomeDeColuna(col.nome, sql))
        col.nome.clear();  // an expression without alias has no name on SQL Server
    else
        col.nome = SemSufixoDoSqlite(col.nome, sqlite3_column_origin_name(st, c), sql);
    const char* tab = sqlite3_column_table_name(st, c);
    const char* orig = sqlite3_column_origin_name(st, c);
    const char* esquema = sqlite3_column_database_name(st, c);
    Catalogo* catalogo = esquema ? s_.CatalogoDoEsquema(esquema) : nullptr;
    if (tab && orig && catalogo && std::strncmp(tab, "zv_", 3) != 0) {
        if (Tabela* t = catalogo->AcharTabela(tab)) {
            if (const ColunaDaTabela* cc = t->Coluna(orig)) {
                tipo = &cc->tipo;
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
    if (!tipo && tiposConhecidos &&
        tiposConhecidos->size() == static_cast<std::size_t>(sqlite3_column_count(st))) {
        // a decimal, date or time the query computes: its type as the generator worked
        // it out
        const auto& t = (*tiposConhecidos)[static_cast<std::size_t>(c)];
        if (t && (EhNumericoExato(t->base) || t->base == TipoBase::Date ||
                  t->base == TipoBase::Time || t->base == TipoBase::DateTime2)) {
            tipo = &*t;
            col.tipo = CategoriaDoTipo(*t);
            col.precisao = PrecisaoDoCatalogo(*t);
            col.escala = EscalaDoCatalogo(*t);
        }
    }
    return col;
}

db::Resultado Executor::Consultar(const std::string& sql, int flags, char operacao,
                                  const std::string& tabela,
                                  const std::vector<std::optional<TipoSql>>* tiposConhecidos) {
    if (flags) s_.AtualizarTabelasDoServidor(flags);
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
    for (int c = 0; c < ncol; ++c)
        r.colunas.push_back(
            ColunaDaConsulta(st, c, sql, tiposConhecidos, tipos[static_cast<std::size_t>(c)]));
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
    TiparPelosValores(r, tipos);
    return r;
}

void Executor::Atomico(const std::function<void()>& f) {
    if (emFuncao_) return AtomicoNaFuncao(f);
    sqlite3* db = s_.Conexao();
    // Outside a transaction the statement takes the write lock up front, so that another
    // process writing meanwhile makes it wait instead of failing.
    bool proprio = s_.NivelDeTransacao() == 0;
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
        s_.EsquecerEstrutura();
        throw;
    }
}

void Executor::AposDdl() {
    s_.MarcarCatalogoAlterado();
}

template <class T>
std::string Executor::Gerada(const T& arvore, int* flags,
                             std::vector<std::optional<TipoSql>>* tipos,
                             std::vector<std::string>* atribuidas) {
    ContextoDeReescrita ctx = Contexto();
    GeradorSqlite gerador(ctx);
    std::string sql = gerador.Gerar(arvore);
    if (flags) *flags = ctx.tabelasDoServidor;
    // an expression's own type, where the generator knows it
    if constexpr (std::is_same_v<T, Expressao>)
        if (tipos) ctx.tiposDaSelecao.assign(1, gerador.TipoDe(arvore));
    if (tipos) *tipos = std::move(ctx.tiposDaSelecao);
    if (atribuidas) *atribuidas = std::move(ctx.atribuidas);
    return sql;
}
template std::string Executor::Gerada(const Expressao&, int*, std::vector<std::optional<TipoSql>>*,
                                      std::vector<std::string>*);
template std::string Executor::Gerada(const Consulta&, int*, std::vector<std::optional<TipoSql>>*,
                                      std::vector<std::string>*);
template std::string Executor::Gerada(const Clausulas&, int*, std::vector<std::optional<TipoSql>>*,
                                      std::vector<std::string>*);
template std::string Executor::Gerada(const std::vector<Juncao>&, int*,
                                      std::vector<std::optional<TipoSql>>*,
                                      std::vector<std::string>*);

bool Executor::Condicao(const ExpressaoLida& e) {
    int flags = 0;
    std::string sql = "SELECT CASE WHEN (" + Gerada(ArvoreDe(e), &flags) + ") THEN 1 ELSE 0 END";
    db::Resultado r = Consultar(sql, flags, 'S', "");
    return !r.linhas.empty() && std::holds_alternative<std::int64_t>(r.linhas[0][0]) &&
           std::get<std::int64_t>(r.linhas[0][0]) != 0;
}

db::Valor Executor::Avaliar(const ExpressaoLida& e) {
    if (e.Vazia()) return std::monostate{};
    const Expressao& x = ArvoreDe(e);
    if (const auto* l = std::get_if<Literal>(&x.no)) {  // a text or NULL needs no query
        if (l->tipo == Literal::Tipo::Nulo) return std::monostate{};
        if (l->tipo == Literal::Tipo::Texto) return l->texto;
    }
    int flags = 0;
    db::Resultado r = Consultar("SELECT " + Gerada(x, &flags), flags, 'S', "");
    return r.linhas.empty() ? db::Valor{} : r.linhas[0][0];
}

namespace {

// INSERT ... VALUES (or DEFAULT VALUES) without a query inside: short work, that may share
// its transaction with the next ones.
bool EhInsercaoDeValores(const Comando& c) {
    const auto* x = std::get_if<instrucao::Inserir>(&c.instrucao);
    return x && (!x->valores.empty() || x->valoresPadrao) && !x->saida && !x->com &&
           !x->valoresComConsulta;
}

// A transaction's or savepoint's name; one held in a variable waits for variables.
const std::string& NomeSalvo(const std::string& nome) {
    if (!nome.empty() && nome[0] == '@')
        throw Recusa("O simulador de SQL Server não interpreta variáveis (" + nome + ").");
    return nome;
}

// SET, USE and the transaction statements count no rows (@@ROWCOUNT is 0 after them);
// SET NOCOUNT keeps the count, so a trigger or procedure may begin with it.
bool NaoContaLinhas(const Comando& c) {
    // SET NOCOUNT keeps @@ROWCOUNT; the other SET options and labels clear it
    const auto* ignorado = std::get_if<instrucao::Ignorado>(&c.instrucao);
    const bool semContagem =
        ignorado && !ignorado->opcoes.empty() && IguaisCiAs(ignorado->opcoes.front(), "NOCOUNT");
    return (ignorado && !semContagem) || std::holds_alternative<instrucao::Usar>(c.instrucao) ||
           std::holds_alternative<instrucao::IniciarTransacao>(c.instrucao) ||
           std::holds_alternative<instrucao::ConfirmarTransacao>(c.instrucao) ||
           std::holds_alternative<instrucao::DesfazerTransacao>(c.instrucao) ||
           std::holds_alternative<instrucao::SalvarTransacao>(c.instrucao);
}

}  // namespace

void Executor::Rodar(const Comando& c) {
    ExigirDireitos(c);
    ExigirBancoAtual(c);
    ExigirTransacaoGravavel(c);
    if (emFuncao_) ExigirLeituraNaFuncao(c);
    // a function's body runs inside its caller's statement, which may be a grouped INSERT
    if (!emFuncao_) {
        if (s_.PodeAgrupar() && EhInsercaoDeValores(c)) {
            const auto& x = std::get<instrucao::Inserir>(c.instrucao);
            if (!AlteracoesDeDados(*this).InsercaoComGatilhos(x)) {
                s_.RodarAgrupada([&] { AlteracoesDeDados(*this).Inserir(x); });
                return;
            }
        }
        s_.FecharGrupo();
    }
    RodarInstrucao(c);
    estado_->erro = 0;  // @@ERROR tells of the statement just before
    if (NaoContaLinhas(c)) estado_->linhas = 0;
}

// Each statement to what runs its family: data, schema, session, transactions, control of
// flow, types and principals, the server's and the procedural ones.
void Executor::RodarInstrucao(const Comando& c) {
    std::visit(
        Visitante{
            [&](const instrucao::Selecionar& x) { Selecionar(x); },
            [&](const instrucao::Inserir& x) { AlteracoesDeDados(*this).Inserir(x); },
            [&](const instrucao::Atualizar& x) { AlteracoesDeDados(*this).Atualizar(x); },
            [&](const instrucao::Excluir& x) { AlteracoesDeDados(*this).Excluir(x); },
            [&](const instrucao::Mesclar& x) { AlteracoesDeDados(*this).Mesclar(x); },
            [&](const instrucao::CriarTabela& x) { Definicoes(*this).CriarTabela(x); },
            [&](const instrucao::AlterarTabela& x) { Definicoes(*this).AlterarTabela(x); },
            [&](const instrucao::ExcluirTabela& x) { Definicoes(*this).ExcluirTabela(x); },
            [&](const instrucao::CriarIndice& x) { Definicoes(*this).CriarIndice(x); },
            [&](const instrucao::ExcluirIndice& x) { Definicoes(*this).ExcluirIndice(x); },
            [&](const instrucao::CriarObjeto& x) { ObjetosProgramados(*this).Criar(x); },
            [&](const instrucao::ExcluirObjeto& x) { ObjetosProgramados(*this).Excluir(x); },
            [&](const instrucao::Conceder& x) { Definicoes(*this).Conceder(x); },
            [&](const instrucao::ExecutarProcedimento& x) { Interpretador(*this).Executar(x); },
            [&](const instrucao::IdentityInsert& x) { IdentityInsert(x); },
            [&](const instrucao::Esperar& x) { InstrucoesDoServidor(*this).Rodar(x); },
            [&](const instrucao::Ignorado& x) { LerOpcaoDaSessao(x); },
            [&](const instrucao::TempoDeBloqueio& x) { ComandoDeSessao(x); },
            [&](const instrucao::DefinirFormatoDeData& x) { ComandoDeSessao(x); },
            [&](const instrucao::Se& x) { Interpretador(*this).RodarControle(x); },
            [&](const instrucao::Bloco& x) { Interpretador(*this).RodarControle(x); },
            [&](const instrucao::IniciarTransacao& x) { ComandoDeTransacao(x); },
            [&](const instrucao::SalvarTransacao& x) { ComandoDeTransacao(x); },
            [&](const instrucao::ConfirmarTransacao& x) { ComandoDeTransacao(x); },
            [&](const instrucao::DesfazerTransacao& x) { ComandoDeTransacao(x); },
            [&](const instrucao::RestaurarLista& x) {
                resultados_.push_back(InstrucoesDoServidor(*this).Rodar(x));
            },
            [&](const instrucao::AlterarLogin& x) {
                Definicoes(*this).ComandoDeServidor(x);
                resultados_.push_back(db::Resultado{});
            },
            [&](const instrucao::AlterarPapelDoServidor& x) {
                Definicoes(*this).ComandoDeServidor(x);
                resultados_.push_back(db::Resultado{});
            },
            [&](const instrucao::CriarTipo&) { ComandoDeTipoOuPrincipal(c); },
            [&](const instrucao::ExcluirTipo&) { ComandoDeTipoOuPrincipal(c); },
            [&](const instrucao::CriarLogin&) { ComandoDeTipoOuPrincipal(c); },
            [&](const instrucao::CriarUsuario&) { ComandoDeTipoOuPrincipal(c); },
            [&](const instrucao::ExcluirUsuario&) { ComandoDeTipoOuPrincipal(c); },
            [&](const instrucao::CriarPapel&) { ComandoDeTipoOuPrincipal(c); },
            [&](const instrucao::AlterarPapel&) { ComandoDeTipoOuPrincipal(c); },
            [&](const auto& x) {
                if constexpr (InstrucaoProcedural<std::decay_t<decltype(x)>> ||
                              std::is_same_v<std::decay_t<decltype(x)>, instrucao::Imprimir>) {
                    Interpretador(*this).Rodar(c);
                } else {
                    InstrucoesDoServidor(*this).Rodar(x);
                    resultados_.push_back(db::Resultado{});
                }
            },
        },
        c.instrucao);
}

void Executor::ComandoDeSessao(const instrucao::TempoDeBloqueio& x) {
    s_.DefinirTempoDeBloqueio(x.milissegundos);
}

void Executor::ComandoDeSessao(const instrucao::DefinirFormatoDeData& x) {
    if (x.ordem) s_.Opcoes().ordemDeData = *x.ordem;
    if (!x.idioma.empty()) s_.Opcoes().idioma = x.idioma;
    if (x.primeiroDia) s_.Opcoes().primeiroDia = x.primeiroDia;
    DefinirOrdemDeDataAtual(s_.Opcoes().ordemDeData);
    DefinirIdiomaAtual(s_.Opcoes().idioma, s_.Opcoes().primeiroDia);
}

void Executor::ComandoDeTransacao(const instrucao::IniciarTransacao& x) {
    s_.IniciarTransacao(NomeSalvo(x.nome));
}

void Executor::ComandoDeTransacao(const instrucao::SalvarTransacao& x) {
    s_.SalvarPonto(NomeSalvo(x.nome));
}

void Executor::ComandoDeTransacao(const instrucao::ConfirmarTransacao&) {
    if (!s_.EmTransacao()) throw ErroDoServidor(3902);
    s_.Confirmar();
    FecharCursoresNoFimDaTransacao();
}

void Executor::ComandoDeTransacao(const instrucao::DesfazerTransacao& x) {
    if (estado_->insercoesExec > 0) throw ErroDoServidor(3915);
    s_.Desfazer(NomeSalvo(x.nome));
    FecharCursoresNoFimDaTransacao();
}

// Alias types, logins, users and roles: done, they give an empty result.
void Executor::ComandoDeTipoOuPrincipal(const Comando& c) {
    std::visit(
        Visitante{
            [&](const instrucao::CriarTipo& x) { Definicoes(*this).ComandoDeTipo(x); },
            [&](const instrucao::ExcluirTipo& x) { Definicoes(*this).ComandoDeTipo(x); },
            [&](const instrucao::CriarLogin& x) { Definicoes(*this).ComandoDeUsuario(x); },
            [&](const instrucao::CriarUsuario& x) { Definicoes(*this).ComandoDeUsuario(x); },
            [&](const instrucao::ExcluirUsuario& x) { Definicoes(*this).ComandoDeUsuario(x); },
            [&](const instrucao::CriarPapel& x) { Definicoes(*this).ComandoDeUsuario(x); },
            [&](const instrucao::AlterarPapel& x) { Definicoes(*this).ComandoDeUsuario(x); },
            [](const auto&) {},
        },
        c.instrucao);
    resultados_.push_back(db::Resultado{});
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
                          [](const instrucao::AtualizarEstatisticas&) { return true; },
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
                       [](const instrucao::AtualizarEstatisticas& x) { return &x.objeto; },
                       [](const auto&) -> const NomeComposto* { return nullptr; },
                   },
                   c.instrucao);
    if (!objeto) return;
    const std::string banco = BancoDoNome(objeto->partes);
    if (banco.empty() || s_.EsquemaDoBanco(banco).empty()) return;
    throw RecusaDeOutroBanco(banco, objeto->Nome());
}

void Executor::Selecionar(const instrucao::Selecionar& c) {
    if (c.para) return AlteracoesDeDados(*this).SelecionarPara(c);
    if (!c.compilado.pronto) {
        c.compilado.sql = Gerada(ArvoreDe(c.selecao), &c.compilado.flags, &c.compilado.tipos,
                                 &c.compilado.atribuidas);
        c.compilado.pronto = true;
    }
    db::Resultado r = Consultar(c.compilado.sql, c.compilado.flags, 'S', "", &c.compilado.tipos);
    if (s_.Opcoes().limiteDeLinhas > 0 &&
        r.linhas.size() > static_cast<std::size_t>(s_.Opcoes().limiteDeLinhas))
        r.linhas.resize(static_cast<std::size_t>(s_.Opcoes().limiteDeLinhas));  // SET ROWCOUNT
    estado_->linhas = static_cast<std::int64_t>(r.linhas.size());
    if (!c.compilado.atribuidas.empty())
        return Interpretador(*this).AtribuirDaConsulta(c.compilado.atribuidas, r,
                                                       c.variaveisRepetidas);
    resultados_.push_back(std::move(r));
}

// SET CURSOR_CLOSE_ON_COMMIT ON: the end of the transaction closes the open cursors of
// the batch and of the calls it is in.
void Executor::FecharCursoresNoFimDaTransacao() {
    if (!s_.Opcoes().fecharCursoresNoFim || s_.EmTransacao()) return;
    for (Executor* e = this; e; e = e->anterior_)
        if (e->quadro_)
            for (auto& [nome, cursor] : e->quadro_->Cursores()) cursor.aberto = false;
}

std::size_t Executor::ResultadosAteAqui() const {
    std::size_t n = 0;
    for (const Executor* e = this; e; e = e->anterior_) n += e->resultados_.size();
    return n;
}

}  // namespace zolvek::simulador
