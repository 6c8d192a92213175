// The procedural statements of a batch or a procedure's body: variables, IF/WHILE
// flow, RETURN, RAISERROR, PRINT, EXEC ('text') and TRY ... CATCH.

#include <algorithm>
#include "simulador/motor/execucao/interpretador.hpp"

#include "comum/erros.hpp"
#include "simulador/motor/arvores/visitante.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/execucao/formatacao_de_mensagens.hpp"
#include "simulador/motor/geracao/gerador_sqlite.hpp"
#include "simulador/motor/leitura/analisador_de_expressoes.hpp"
#include "simulador/motor/mensagens/falhas.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

std::int64_t ComoInteiro(const db::Valor& v) {
    if (const auto* i = std::get_if<std::int64_t>(&v)) return *i;
    if (const auto* b = std::get_if<bool>(&v)) return *b ? 1 : 0;
    if (const auto* d = std::get_if<double>(&v)) return static_cast<std::int64_t>(*d);
    if (db::EhNulo(v)) return 0;
    return std::strtoll(ComoTextoDeValor(v).c_str(), nullptr, 10);
}

}  // namespace

void Executor::Procedimento(const std::string& nome, const Argumentos& args) {
    Interpretador(*this).Procedimento(nome, args);
}

Interpretador::Interpretador(Executor& execucao)
    : execucao_(execucao), e_(execucao.Estado()), s_(execucao.Sessao()) {}

void Interpretador::PrepararVariaveis() {
    if (e_.quadro_ || !UsaVariaveis(e_.plano_.comandos)) return;
    e_.quadro_ = std::make_unique<QuadroDeVariaveis>();
    e_.quadro_->DeclararDe(e_.plano_.comandos);
}

void Interpretador::RodarNaLista(const Comando& c) {
    // any error ends the function and its caller's statement
    if (e_.emFuncao_) return execucao_.Rodar(c);
    execucao_.CriarVariaveisDeTabela();
    EstadoProcedural& estado = *e_.estado_;
    try {
        execucao_.Rodar(c);
    } catch (const ErroDeBanco& e) {
        estado.erro = e.Numero();
        if (estado.tentativas > 0) throw;  // the CATCH block takes it
        const bool abortar = AbortaATransacao(e);
        if (abortar && s_.EmTransacao()) s_.Desfazer();
        if (abortar || !EncerraSoAInstrucao(e)) {
            if (&estado == &e_.estadoProprio_ && estado.primeiroErro) throw *estado.primeiroErro;
            throw;
        }
        if (!estado.primeiroErro) estado.primeiroErro = e;
    }
}

void Interpretador::RodarControle(const instrucao::Se& x) {
    if (execucao_.Condicao(x.condicao))
        execucao_.Rodar(*x.entao);
    else if (x.senao)
        execucao_.Rodar(*x.senao);
}

void Interpretador::RodarControle(const instrucao::Bloco& x) {
    for (const auto& f : x.filhos) {
        RodarNaLista(*f);
        if (e_.fluxo_ != Fluxo::Seguir) break;  // BREAK, CONTINUE, RETURN
    }
}

// SET XACT_ABORT ON (always, in a trigger): an error undoes the transaction and ends the
// batch, or dooms the transaction when a CATCH block takes it; RAISERROR's do not. An
// error out of a trigger does so whatever its kind, and a conversion error whatever
// the setting.
bool Interpretador::AbortaATransacao(const ErroDeBanco& e) const {
    return (s_.Opcoes().xactAbort && e.Numero() < 50000 && e.Numero() != 18054) ||
           e_.estado_->erroDeGatilho || DesfazATransacao(e);
}

void Interpretador::Rodar(const Comando& c) {
    std::visit(Visitante{
                   [&](const instrucao::Declarar& x) { Declarar(x); },
                   [&](const instrucao::Atribuir& x) { Atribuir(x); },
                   [&](const instrucao::Enquanto& x) { Enquanto(x); },
                   [&](const instrucao::Interromper&) { e_.fluxo_ = Fluxo::Interromper; },
                   [&](const instrucao::Continuar&) { e_.fluxo_ = Fluxo::Continuar; },
                   [&](const instrucao::Retornar& x) { Retornar(x); },
                   [&](const instrucao::LevantarErro& x) { LevantarErro(x); },
                   [&](const instrucao::Imprimir& x) { Imprimir(x); },
                   [&](const instrucao::ExecutarTexto& x) { ExecutarTexto(x); },
                   [&](const instrucao::TentarCapturar& x) { TentarCapturar(x); },
                   [&](const instrucao::DeclararCursor& x) { DeclararCursor(x); },
                   [&](const instrucao::AbrirCursor& x) { AbrirCursor(x); },
                   [&](const instrucao::BuscarCursor& x) { BuscarCursor(x); },
                   [&](const instrucao::FecharCursor& x) {
                       CursorAberto(x.cursor).aberto = false;
                       e_.estado_->linhas = 0;
                   },
                   [&](const instrucao::DesalocarCursor& x) {
                       CursorDeclarado(x.cursor);
                       e_.quadro_->Cursores().erase(Dobrar(x.cursor));
                       e_.estado_->linhas = 0;
                   },
                   [&](const auto&) { RecusarProcedural(c); },
               },
               c.instrucao);
}

// PRINT: its text (NULL prints an empty line) goes to the client as a message.
void Interpretador::Imprimir(const instrucao::Imprimir& x) {
    const db::Valor v = ValorConvertido(x.valor, TipoSql{TipoBase::NVarChar, 4000, 0, 0});
    e_.estado_->linhas = 0;
    Informar(db::EhNulo(v) ? "" : ComoTextoDeValor(v));
}

// The message comes after the results the batch has so far, those of the calls it is in
// included. SQL Server hands a severity of 10 to the client as 0.
void Interpretador::Informar(std::string texto, int numero, int severidade, int estado) {
    s_.Informar({execucao_.ResultadosAteAqui(), std::move(texto), numero,
                 severidade == 10 ? 0 : severidade, estado});
}

// Statements SQL Server runs and the engine does not: refused when they run, never
// skipped.
void Interpretador::RecusarProcedural(const Comando& c) {
    std::string instrucao = c.palavra;
    if (const auto* n = std::get_if<instrucao::NaoInterpretada>(&c.instrucao))
        instrucao = n->instrucao;
    throw Recusa("O simulador de SQL Server não interpreta a instrução " + instrucao + ".");
}

VariavelDoLote& Interpretador::VariavelDeclarada(const std::string& nome) {
    VariavelDoLote* v = e_.quadro_ ? e_.quadro_->Achar(nome) : nullptr;
    if (!v) throw ErroDoServidor(137, {nome});
    return *v;
}

// DECLARE @a int = 1, @b varchar(10): the slots exist since the batch began; a value
// given here is assigned each time the DECLARE runs.
void Interpretador::Declarar(const instrucao::Declarar& x) {
    for (const auto& v : x.variaveis)
        if (v.cursor) throw Recusa("O simulador de SQL Server não interpreta variáveis de cursor.");
    for (const auto& v : x.variaveis) {
        if (v.tabela || v.valor.Vazia()) continue;  // a table variable exists already
        VariavelDoLote& destino = VariavelDeclarada(v.nome);
        destino.valor = ValorConvertido(v.valor, destino.tipo);
    }
}

db::Valor Interpretador::ValorConvertido(const ExpressaoLida& e, const TipoSql& tipo) {
    return ValorConvertido(ArvoreDe(e), tipo);
}

db::Valor Interpretador::ValorConvertido(const Expressao& e, const TipoSql& tipo) {
    ContextoDeReescrita ctx = execucao_.Contexto();
    GeradorSqlite gerador(ctx);
    const std::string sql = "SELECT " + gerador.Convertido(e, tipo);
    const std::vector<std::optional<TipoSql>> tipos{tipo};
    db::Resultado r = execucao_.Consultar(sql, ctx.tabelasDoServidor, 'S', "", &tipos);
    return r.linhas.empty() ? db::Valor{} : r.linhas[0][0];
}

void Interpretador::AtribuirValor(VariavelDoLote& v, const db::Valor& valor) {
    v.valor = valor;
    const std::vector<std::optional<TipoSql>> tipos{v.tipo};
    db::Resultado r =
        execucao_.Consultar("SELECT " + e_.quadro_->Sqlite(v.nome), 0, 'S', "", &tipos);
    v.valor = r.linhas.empty() ? db::Valor{} : r.linhas[0][0];
}

// SET @v = x, SET @v += x
void Interpretador::Atribuir(const instrucao::Atribuir& x) {
    VariavelDoLote& v = VariavelDeclarada(x.variavel);
    v.valor = ValorConvertido(x.valor, v.tipo);
    e_.estado_->linhas = 1;
}

// SELECT @a = x, @b = y FROM ...: each row assigns in turn, so the last one's values
// stay; no row leaves the variables as they were.
void Interpretador::AtribuirDaConsulta(const std::vector<std::string>& variaveis,
                                       const db::Resultado& r,
                                       const std::vector<std::string>& repetidas) {
    if (r.linhas.empty()) return;
    // SELECT @s = @s + x FROM ...: SQL Server carries each row's value into the next;
    // the query read them all with the value from before it
    if (r.linhas.size() > 1)
        for (const auto& v : variaveis) {
            if (std::any_of(repetidas.begin(), repetidas.end(),
                            [&](const std::string& r) { return IguaisCiAs(r, v); }))
                throw Recusa(
                    "O simulador de SQL Server não acumula variáveis linha a linha (SELECT " + v +
                    " = " + v + " ... de várias linhas).");
        }
    const auto& linha = r.linhas.back();
    for (std::size_t k = 0; k < variaveis.size() && k < linha.size(); ++k)
        VariavelDeclarada(variaveis[k]).valor = linha[k];
}

void Interpretador::Enquanto(const instrucao::Enquanto& x) {
    while (execucao_.Condicao(x.condicao)) {
        s_.VerificarSeFoiEliminada();
        RodarNaLista(*x.corpo);
        if (e_.fluxo_ == Fluxo::Retornar) return;
        const bool parar = e_.fluxo_ == Fluxo::Interromper;
        e_.fluxo_ = Fluxo::Seguir;
        if (parar) return;
    }
}

void Interpretador::Retornar(const instrucao::Retornar& x) {
    e_.retorno_ = 0;
    if (const TipoSql* tipo = e_.tipoDoRetorno_) {  // a scalar function's, of its RETURNS type
        if (x.valor.Vazia()) throw *x.semValor;
        e_.valorRetornado_ = ValorConvertido(x.valor, *tipo);
    } else if (!x.valor.Vazia()) {
        if (!e_.emProcedimento_) throw ErroDoServidor(178);
        e_.retorno_ = ComoInteiro(ValorConvertido(x.valor, TipoSql{TipoBase::Int, 0, 10, 0}));
    }
    e_.fluxo_ = Fluxo::Retornar;
}

// RAISERROR (message or msg id, severity, state [, arguments]): severity 10 or less is
// a message, not an error; above 18 only a sysadmin WITH LOG may raise it.
void Interpretador::LevantarErro(const instrucao::LevantarErro& x) {
    std::vector<db::Valor> valores;
    for (const ExpressaoLida& a : x.argumentos) valores.push_back(execucao_.Avaliar(a));
    const std::int64_t severidade = std::max<std::int64_t>(0, ComoInteiro(valores[1]));
    const std::int64_t estado = std::clamp<std::int64_t>(ComoInteiro(valores[2]), 0, 255);
    const bool comLog =
        std::find(x.opcoes.begin(), x.opcoes.end(), std::string("LOG")) != x.opcoes.end();
    if (severidade > 18 && !(comLog && s_.Sysadmin())) throw ErroDoServidor(2754);
    std::string mensagem;
    int numero = 50000;
    if (std::holds_alternative<std::int64_t>(valores[0])) {
        const std::int64_t id = std::get<std::int64_t>(valores[0]);
        if (id < 13000 || id == 50000) throw ErroDoServidor(2732, {std::to_string(id)});
        // the server has no user messages (sp_addmessage): SQL Server says so
        mensagem = "Error " + std::to_string(id) + ", severity " + std::to_string(severidade) +
                   ", state " + std::to_string(estado) +
                   " was raised, but no message with that error number was found in "
                   "sys.messages. If error is larger than 50000, make sure the user-defined "
                   "message is added using sp_addmessage.";
        numero = 18054;
    } else {
        mensagem = FormatarMensagem(db::EhNulo(valores[0]) ? "" : ComoTextoDeValor(valores[0]),
                                    {valores.begin() + 3, valores.end()});
    }
    e_.estado_->linhas = 0;
    const bool comSetError =
        std::find(x.opcoes.begin(), x.opcoes.end(), std::string("SETERROR")) != x.opcoes.end();
    if (severidade <= 10 && comSetError)
        throw Recusa(
            "O simulador de SQL Server não interpreta RAISERROR ... WITH SETERROR de severidade "
            "até 10.");
    if (severidade <= 10)
        return Informar(mensagem, numero, static_cast<int>(severidade), static_cast<int>(estado));
    throw ErroDeBanco(mensagem, numero, static_cast<int>(severidade), static_cast<int>(estado));
}

// EXEC ('texto' + @x): the text runs as a batch of its own, which does not see the
// caller's variables.
void Interpretador::ExecutarTexto(const instrucao::ExecutarTexto& x) {
    std::string texto;
    for (const ExpressaoLida& p : x.partes) {
        const db::Valor v = execucao_.Avaliar(p);
        if (!db::EhNulo(v)) texto += ComoTextoDeValor(v);
    }
    if (texto.find_first_not_of(" \t\r\n") == std::string::npos) return;
    auto plano = s_.Planejar(texto);
    Executor interno(s_, *plano, kSemParametros);
    interno.Estado().estado_ = e_.estado_;
    CadeiaDeDono cadeia(s_, false);
    for (auto& r : interno.Executar()) e_.resultados_.push_back(std::move(r));
}

// BEGIN TRY ... END TRY BEGIN CATCH ... END CATCH: an error of severity 11 to 19 runs
// the CATCH block, where ERROR_NUMBER() and the like tell it. A name the batch itself
// cannot resolve is not caught at its own level, as on SQL Server; one inside a called
// procedure is.
void Interpretador::TentarCapturar(const instrucao::TentarCapturar& x) {
    e_.erroDeChamada_ = false;
    EstadoProcedural& estado = *e_.estado_;
    std::optional<ErroDeBanco> capturado;
    {
        ++estado.tentativas;
        struct Fim {
            int& n;
            ~Fim() { --n; }
        } fim{estado.tentativas};
        try {
            execucao_.Rodar(*x.tentar);
        } catch (const ErroDeBanco& e) {
            const int n = e.Numero();
            const bool deResolucao = n == 208 || n == 207 || n == 4104;
            if (n == 0 || e.Severidade() < 11 || e.Severidade() > 19 || s_.FoiEliminada() ||
                (deResolucao && !e_.erroDeChamada_))
                throw;
            capturado = e;
            if (AbortaATransacao(e)) s_.CondenarTransacao();
            estado.erroDeGatilho = false;
        }
    }
    if (capturado) {
        const ErroDeBanco& e = *capturado;
        const int n = e.Numero();
        EstadoProcedural anterior = estado;
        estado.emCaptura = true;
        estado.numeroDoErro = n;
        estado.mensagemDoErro = e.what();
        estado.severidadeDoErro = e.Severidade();
        estado.estadoDoErro = e.Estado();
        estado.erro = n;
        e_.fluxo_ = Fluxo::Seguir;
        struct Restaurar {
            EstadoProcedural& atual;
            const EstadoProcedural& antes;
            ~Restaurar() {
                atual.emCaptura = antes.emCaptura;
                atual.numeroDoErro = antes.numeroDoErro;
                atual.mensagemDoErro = antes.mensagemDoErro;
                atual.severidadeDoErro = antes.severidadeDoErro;
                atual.estadoDoErro = antes.estadoDoErro;
            }
        } restaurar{estado, anterior};
        execucao_.Rodar(*x.capturar);
    }
}

}  // namespace zolvek::simulador
