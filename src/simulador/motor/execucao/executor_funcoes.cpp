// User functions: what a query needs of one it calls, and the run of a scalar one's body
// from inside SQLite (zv_funcao), once for each row. The body runs through the procedural
// interpreter on the same connection, which it only reads: SQL Server lets a function
// change nothing outside itself, and refuses such bodies when they are created.

#include <sqlite3.h>

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/execucao/funcoes_de_tabela.hpp"
#include "simulador/motor/funcoes/funcoes.hpp"
#include "simulador/motor/geracao/gerador_sqlite.hpp"
#include "simulador/motor/leitura/lexico.hpp"
#include "simulador/motor/leitura/textos_guardados.hpp"
#include "simulador/motor/mensagens/falhas.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

thread_local Executor* Executor::emCurso_ = nullptr;

db::Valor ValorDoSqlite(sqlite3_value* v) {
    switch (sqlite3_value_type(v)) {
        case SQLITE_NULL:
            return std::monostate{};
        case SQLITE_INTEGER:
            return static_cast<std::int64_t>(sqlite3_value_int64(v));
        case SQLITE_FLOAT:
            return sqlite3_value_double(v);
        case SQLITE_BLOB: {
            const auto* p = static_cast<const std::uint8_t*>(sqlite3_value_blob(v));
            return db::Bytes(p, p + sqlite3_value_bytes(v));
        }
        default:
            return std::string(reinterpret_cast<const char*>(sqlite3_value_text(v)),
                               static_cast<std::size_t>(sqlite3_value_bytes(v)));
    }
}

namespace {

void ResultadoDoValor(sqlite3_context* c, const db::Valor& valor) {
    std::visit(
        [&](const auto& x) {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::monostate>)
                sqlite3_result_null(c);
            else if constexpr (std::is_same_v<T, bool>)
                sqlite3_result_int(c, x ? 1 : 0);
            else if constexpr (std::is_same_v<T, std::int64_t>)
                sqlite3_result_int64(c, x);
            else if constexpr (std::is_same_v<T, double>)
                sqlite3_result_double(c, x);
            else if constexpr (std::is_same_v<T, db::Decimal>)
                sqlite3_result_text(c, x.texto.data(), static_cast<int>(x.texto.size()),
                                    SQLITE_TRANSIENT);
            else if constexpr (std::is_same_v<T, std::string>)
                sqlite3_result_text(c, x.data(), static_cast<int>(x.size()), SQLITE_TRANSIENT);
            else if constexpr (std::is_same_v<T, db::Bytes>)
                sqlite3_result_blob(c, x.data(), static_cast<int>(x.size()), SQLITE_TRANSIENT);
            else {
                const std::string t = FormatarDataHora(x);
                sqlite3_result_text(c, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
            }
        },
        valor);
}

// zv_funcao('nome', 'padroes', argumentos...)
void FnFuncao(sqlite3_context* c, int n, sqlite3_value** v) {
    Executor* executor = Executor::EmCurso();
    if (!executor || n < 2)
        return FalharNaFuncao(
            c, Recusa("O simulador de SQL Server não executa funções do usuário aqui."));
    const auto texto = [](sqlite3_value* x) {
        const auto* t = sqlite3_value_text(x);
        return t ? std::string(reinterpret_cast<const char*>(t)) : std::string();
    };
    std::vector<db::Valor> argumentos;
    argumentos.reserve(static_cast<std::size_t>(n - 2));
    for (int k = 2; k < n; ++k) argumentos.push_back(ValorDoSqlite(v[k]));
    try {
        ResultadoDoValor(c, executor->ChamarFuncao(texto(v[0]), texto(v[1]), argumentos));
    } catch (const ErroDeBanco& e) {
        GuardarErroDeFuncao(e);  // the statement fails with the body's own error
        sqlite3_result_error(c, e.what(), -1);
    }
}

}  // namespace

void RegistrarFuncoesDoUsuario(sqlite3* db) {
    // not deterministic: a body may read tables, so SQLite must call it for every row
    sqlite3_create_function(db, "zv_funcao", -1, SQLITE_UTF8, nullptr, FnFuncao, nullptr, nullptr);
}

// dbo.f or DB.dbo.f of this database; another database's functions are not run.
std::optional<AssinaturaDeFuncao> Executor::AssinaturaDaFuncao(
    const std::vector<std::string>& nome) {
    if (nome.size() < 2 || nome.size() > 3) return std::nullopt;
    const std::string& esquema = nome[nome.size() - 2];
    if (!esquema.empty() && !IguaisCiAs(esquema, "dbo")) return std::nullopt;
    if (nome.size() == 3 && !IguaisCiAs(nome[0], s_.Banco()))
        throw Recusa("O simulador de SQL Server não executa funções de outro banco ('" + nome[0] +
                     "." + esquema + "." + nome[2] + "').");
    const ObjetoProgramado* o = s_.CatalogoAtual().AcharObjeto(nome.back());
    if (!o || (o->tipo != "FN" && o->tipo != "IF" && o->tipo != "TF")) return std::nullopt;
    auto plano = s_.Planejar(o->texto);
    const auto* def =
        plano->comandos.empty()
            ? nullptr
            : std::get_if<instrucao::CriarObjeto>(&plano->comandos.front()->instrucao);
    if (!def) return std::nullopt;
    AssinaturaDeFuncao f;
    f.nome = o->nome;
    f.tipo = o->tipo;
    for (const auto& p : def->parametros) {
        f.parametros.push_back(p.nome);
        f.tipos.push_back(TipoDeclarado(p));
        f.comPadrao.push_back(!p.valor.Vazia());
        f.padroes.push_back(p.valor);
    }
    if (o->tipo == "FN" && !def->retorno.empty()) f.retorno = def->retorno.front().tipo;
    if (o->tipo == "TF") PrepararFuncaoDeTabela(*o, *def, f);
    f.corpo = def->corpo;
    f.dono = std::move(plano);
    return f;
}

std::function<std::optional<AssinaturaDeFuncao>(const std::vector<std::string>&)>
FuncoesDoUsuarioEmCurso() {
    Executor* e = Executor::EmCurso();
    if (!e) return {};
    return [e](const std::vector<std::string>& nome) { return e->AssinaturaDaFuncao(nome); };
}

void Executor::ExigirFuncaoSemRestricoes(const std::string& nome, const std::string& acao) {
    for (const Tabela* t : s_.CatalogoAtual().Tabelas())
        for (const auto& r : t->restricoes)
            if ((r.tipo == "C" || r.tipo == "D") && ChamaAFuncao(r.texto, nome))
                throw ErroDoServidor(3729, {acao, nome, r.nome});
}

void Executor::ExigirLeituraNaFuncao(const Comando& c) {
    if (std::holds_alternative<instrucao::ExecutarProcedimento>(c.instrucao))
        throw ErroDoServidor(557);
    // its caller's statement is running: no table can be made for a table variable now
    if (const auto* d = std::get_if<instrucao::Declarar>(&c.instrucao))
        for (const auto& v : d->variaveis)
            if (v.tabela)
                throw Recusa(
                    "O simulador de SQL Server não interpreta variáveis de tabela em funções "
                    "(DECLARE " +
                    v.nome + " TABLE).");
    // a table function's body fills its return table (its only table: created so)
    const bool muda = funcaoDeTabela_;
    const bool le = std::visit(
        [muda](const auto& x) {
            using T = std::decay_t<decltype(x)>;
            return InstrucaoProcedural<T> || std::is_same_v<T, instrucao::Selecionar> ||
                   std::is_same_v<T, instrucao::Se> || std::is_same_v<T, instrucao::Bloco> ||
                   (muda && (std::is_same_v<T, instrucao::Inserir> ||
                             std::is_same_v<T, instrucao::Atualizar> ||
                             std::is_same_v<T, instrucao::Excluir>));
        },
        c.instrucao);
    if (!le)
        throw Recusa("O simulador de SQL Server não interpreta a instrução " + c.palavra +
                     " numa função.");
}

void Executor::ExigirAninhamentoDaFuncao() const {
    if (estado_->aninhamento >= kAninhamentoMaximo) throw ErroDoServidor(217);
}

// The body's executor, on the caller's state, with the parameters' values: the call's
// arguments, or their defaults where `padroes` marks a '1'.
std::unique_ptr<Executor> Executor::CorpoDaFuncao(PlanoDeLote& plano,
                                                  const instrucao::CriarObjeto& def,
                                                  const std::string& padroes,
                                                  const std::vector<db::Valor>& argumentos) {
    auto corpo = std::make_unique<Executor>(s_, plano, kSemParametros);
    corpo->estado_ = estado_;
    corpo->emFuncao_ = true;
    corpo->quadro_ = std::make_unique<QuadroDeVariaveis>();
    for (const auto& p : def.parametros) corpo->quadro_->Declarar(p);
    corpo->quadro_->DeclararDe(def.instrucoes);
    for (std::size_t k = 0, dado = 0; k < def.parametros.size(); ++k) {
        const auto& p = def.parametros[k];
        VariavelDoLote& v = *corpo->quadro_->Achar(p.nome);
        v.valor = padroes[k] == '1' ? corpo->ValorConvertido(p.valor, v.tipo)
                                    : argumentos.at(dado++);  // converted by the statement
    }
    return corpo;
}

void Executor::RodarCorpoDaFuncao(Executor& corpo, const instrucao::CriarObjeto& def) {
    ++estado_->aninhamento;
    struct Saida {
        int& n;
        ~Saida() { --n; }
    } saida{estado_->aninhamento};
    for (const auto& c : def.instrucoes) {
        corpo.Rodar(*c);
        if (corpo.fluxo_ == Fluxo::Retornar) break;
    }
}

db::Valor Executor::ChamarFuncao(const std::string& nome, const std::string& padroes,
                                 const std::vector<db::Valor>& argumentos) {
    ExigirAninhamentoDaFuncao();
    const ObjetoProgramado* o = s_.CatalogoAtual().AcharObjeto(nome);
    auto plano = o && o->tipo == "FN" ? s_.Planejar(o->texto) : nullptr;
    const auto* def = plano && !plano->comandos.empty()
                          ? std::get_if<instrucao::CriarObjeto>(&plano->comandos.front()->instrucao)
                          : nullptr;
    if (!def || def->retorno.empty() || padroes.size() != def->parametros.size())
        throw Recusa("O simulador de SQL Server não leu o corpo de '" + nome + "'.");
    auto corpo = CorpoDaFuncao(*plano, *def, padroes, argumentos);
    corpo->tipoDoRetorno_ = &def->retorno.front().tipo;
    RodarCorpoDaFuncao(*corpo, *def);
    return corpo->valorRetornado_;
}

}  // namespace zolvek::simulador
