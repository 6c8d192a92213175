// User functions: what a query needs of one it calls, and the run of a scalar one's body
// from inside SQLite (zv_funcao), once for each row. The body runs through the procedural
// interpreter on the same connection, which it only reads: SQL Server lets a function
// change nothing outside itself, and refuses such bodies when they are created.

#include <sqlite3.h>

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/execucao/funcoes_de_tabela.hpp"
#include "simulador/motor/execucao/funcoes_do_usuario.hpp"
#include "simulador/motor/execucao/interpretador.hpp"
#include "simulador/motor/funcoes/funcoes.hpp"
#include "simulador/motor/geracao/gerador_sqlite.hpp"
#include "simulador/motor/leitura/lexico.hpp"
#include "simulador/motor/mensagens/falhas.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

FuncoesDoUsuario::FuncoesDoUsuario(Executor& execucao)
    : execucao_(execucao), e_(execucao.Estado()), s_(execucao.Sessao()) {}

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
        ResultadoDoValor(c,
                         FuncoesDoUsuario(*executor).Chamar(texto(v[0]), texto(v[1]), argumentos));
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
std::optional<AssinaturaDeFuncao> FuncoesDoUsuario::Assinatura(
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
    return
        [e](const std::vector<std::string>& nome) { return FuncoesDoUsuario(*e).Assinatura(nome); };
}

void FuncoesDoUsuario::ExigirAninhamento() const {
    if (e_.estado_->aninhamento >= kAninhamentoMaximo) throw ErroDoServidor(217);
}

// The body's executor, on the caller's state, with the parameters' values: the call's
// arguments, or their defaults where `padroes` marks a '1'.
std::unique_ptr<Executor> FuncoesDoUsuario::Corpo(PlanoDeLote& plano,
                                                  const instrucao::CriarObjeto& def,
                                                  const std::string& padroes,
                                                  const std::vector<db::Valor>& argumentos) {
    auto corpo = std::make_unique<Executor>(s_, plano, kSemParametros);
    EstadoDaExecucao& estado = corpo->Estado();
    estado.estado_ = e_.estado_;
    estado.emFuncao_ = true;
    estado.quadro_ = std::make_unique<QuadroDeVariaveis>();
    for (const auto& p : def.parametros) estado.quadro_->Declarar(p);
    estado.quadro_->DeclararDe(def.instrucoes);
    for (std::size_t k = 0, dado = 0; k < def.parametros.size(); ++k) {
        const auto& p = def.parametros[k];
        VariavelDoLote& v = *estado.quadro_->Achar(p.nome);
        v.valor = padroes[k] == '1' ? Interpretador(*corpo).ValorConvertido(p.valor, v.tipo)
                                    : argumentos.at(dado++);  // converted by the statement
    }
    return corpo;
}

void FuncoesDoUsuario::RodarCorpo(Executor& corpo, const instrucao::CriarObjeto& def) {
    ++e_.estado_->aninhamento;
    struct Saida {
        int& n;
        ~Saida() { --n; }
    } saida{e_.estado_->aninhamento};
    for (const auto& c : def.instrucoes) {
        corpo.Rodar(*c);
        if (corpo.Estado().fluxo_ == Fluxo::Retornar) break;
    }
}

FuncoesDoUsuario::FuncaoLida FuncoesDoUsuario::LerFuncao(const std::string& nome, const char* tipo,
                                                         const std::string& padroes) {
    FuncaoLida f;
    f.objeto = s_.CatalogoAtual().AcharObjeto(nome);
    if (f.objeto && f.objeto->tipo == tipo) f.plano = s_.Planejar(f.objeto->texto);
    if (f.plano && !f.plano->comandos.empty())
        f.def = std::get_if<instrucao::CriarObjeto>(&f.plano->comandos.front()->instrucao);
    if (!f.def || f.def->retorno.empty() || padroes.size() != f.def->parametros.size())
        throw Recusa("O simulador de SQL Server não leu o corpo de '" + nome + "'.");
    return f;
}

db::Valor FuncoesDoUsuario::Chamar(const std::string& nome, const std::string& padroes,
                                   const std::vector<db::Valor>& argumentos) {
    ExigirAninhamento();
    const FuncaoLida f = LerFuncao(nome, "FN", padroes);
    auto corpo = Corpo(*f.plano, *f.def, padroes, argumentos);
    corpo->Estado().tipoDoRetorno_ = &f.def->retorno.front().tipo;
    RodarCorpo(*corpo, *f.def);
    return corpo->Estado().valorRetornado_;
}

}  // namespace zolvek::simulador
