// The procedural statements of a batch or a procedure's body: variables, IF/WHILE
// flow, RETURN, RAISERROR, PRINT, EXEC ('text') and TRY ... CATCH.

#include <algorithm>

#include "comum/erros.hpp"
#include "simulador/motor/arvores/visitante.hpp"
#include "simulador/motor/catalogo/mensagens_do_servidor.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/funcoes/falhas.hpp"
#include "simulador/motor/geracao/gerador_sqlite.hpp"
#include "simulador/motor/leitura/analisador_de_expressoes.hpp"
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

void Executor::PrepararVariaveis() {
    if (quadro_ || !UsaVariaveis(plano_.comandos)) return;
    quadro_ = std::make_unique<QuadroDeVariaveis>();
    quadro_->DeclararDe(plano_.comandos);
}

void Executor::RodarNaLista(const Comando& c) {
    if (emFuncao_) return Rodar(c);  // any error ends the function and its caller's statement
    if (!tabelasCriadas_) CriarVariaveisDeTabela();
    try {
        Rodar(c);
    } catch (const ErroDeBanco& e) {
        estado_->erro = e.Numero();
        if (estado_->tentativas > 0) throw;  // the CATCH block takes it
        const bool abortar = AbortaATransacao(e);
        if (abortar && s_.EmTransacao()) s_.Desfazer();
        if (abortar || !EncerraSoAInstrucao(e)) {
            if (estado_ == &estadoProprio_ && estadoProprio_.primeiroErro)
                throw *estadoProprio_.primeiroErro;
            throw;
        }
        if (!estado_->primeiroErro) estado_->primeiroErro = e;
    }
}

// SET XACT_ABORT ON (always, in a trigger): an error undoes the transaction and ends the
// batch, or dooms the transaction when a CATCH block takes it; RAISERROR's do not. An
// error out of a trigger does so whatever its kind, and a conversion error whatever
// the setting.
bool Executor::AbortaATransacao(const ErroDeBanco& e) const {
    return (s_.Opcoes().xactAbort && e.Numero() < 50000 && e.Numero() != 18054) ||
           estado_->erroDeGatilho || DesfazATransacao(e);
}

void Executor::RodarProcedural(const Comando& c) {
    std::visit(Visitante{
                   [&](const instrucao::Declarar& x) { Declarar(x); },
                   [&](const instrucao::Atribuir& x) { Atribuir(x); },
                   [&](const instrucao::Enquanto& x) { Enquanto(x); },
                   [&](const instrucao::Interromper&) { fluxo_ = Fluxo::Interromper; },
                   [&](const instrucao::Continuar&) { fluxo_ = Fluxo::Continuar; },
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
                       estado_->linhas = 0;
                   },
                   [&](const instrucao::DesalocarCursor& x) {
                       CursorDeclarado(x.cursor);
                       quadro_->Cursores().erase(Dobrar(x.cursor));
                       estado_->linhas = 0;
                   },
                   [&](const auto&) { RecusarProcedural(c); },
               },
               c.instrucao);
}

// PRINT: its text (NULL prints an empty line) goes to the client as a message.
void Executor::Imprimir(const instrucao::Imprimir& x) {
    const db::Valor v = ValorConvertido(x.valor, TipoSql{TipoBase::NVarChar, 4000, 0, 0});
    estado_->linhas = 0;
    Informar(db::EhNulo(v) ? "" : ComoTextoDeValor(v));
}

// The message comes after the results the batch has so far, those of the calls it is in
// included.
void Executor::Informar(std::string texto) {
    std::size_t resultados = 0;
    for (const Executor* e = this; e; e = e->anterior_) resultados += e->resultados_.size();
    s_.Informar(resultados, std::move(texto));
}

// Statements SQL Server runs and the engine does not: refused when they run, never
// skipped.
void Executor::RecusarProcedural(const Comando& c) {
    std::string instrucao = plano_.tokens[c.faixa.inicio].texto;
    if (const auto* n = std::get_if<instrucao::NaoInterpretada>(&c.instrucao))
        instrucao = n->instrucao;
    throw ErroDeBanco("O simulador de SQL Server não interpreta a instrução " + instrucao + ".");
}

VariavelDoLote& Executor::VariavelDeclarada(const std::string& nome) {
    VariavelDoLote* v = quadro_ ? quadro_->Achar(nome) : nullptr;
    if (!v) throw ErroDoServidor(137, {nome});
    return *v;
}

// DECLARE @a int = 1, @b varchar(10): the slots exist since the batch began; a value
// given here is assigned each time the DECLARE runs.
void Executor::Declarar(const instrucao::Declarar& x) {
    for (const auto& v : x.variaveis)
        if (v.cursor)
            throw ErroDeBanco("O simulador de SQL Server não interpreta variáveis de cursor.");
    for (const auto& v : x.variaveis) {
        if (v.tabela || v.valor.Vazia()) continue;  // a table variable exists already
        VariavelDoLote& destino = VariavelDeclarada(v.nome);
        destino.valor = ValorConvertido(v.valor, destino.tipo);
    }
}

db::Valor Executor::ValorConvertido(const ExpressaoLida& e, const TipoSql& tipo) {
    return ValorConvertido(ArvoreDe(e), tipo);
}

db::Valor Executor::ValorConvertido(Faixa f, const TipoSql& tipo) {
    LeitorDeExpressoes leitor(plano_.tokens, f.inicio, f.fim, &plano_.ordinais);
    Expr e = leitor.Expressao();
    leitor.ExigirFim();
    return ValorConvertido(*e, tipo);
}

db::Valor Executor::ValorConvertido(const Expressao& e, const TipoSql& tipo) {
    ContextoDeReescrita ctx = Contexto();
    GeradorSqlite gerador(ctx);
    const std::string sql = "SELECT " + gerador.Convertido(e, tipo);
    const std::vector<std::optional<TipoSql>> tipos{tipo};
    const int flags = (ctx.usaProcessos ? 1 : 0) | (ctx.usaBancos ? 2 : 0);
    db::Resultado r = Consultar(sql, flags, 'S', "", &tipos);
    return r.linhas.empty() ? db::Valor{} : r.linhas[0][0];
}

void Executor::AtribuirValor(VariavelDoLote& v, const db::Valor& valor) {
    v.valor = valor;
    const std::vector<std::optional<TipoSql>> tipos{v.tipo};
    db::Resultado r = Consultar("SELECT " + quadro_->Sqlite(v.nome), 0, 'S', "", &tipos);
    v.valor = r.linhas.empty() ? db::Valor{} : r.linhas[0][0];
}

// SET @v = x, SET @v += x
void Executor::Atribuir(const instrucao::Atribuir& x) {
    VariavelDoLote& v = VariavelDeclarada(x.variavel);
    v.valor = ValorConvertido(x.valor, v.tipo);
    estado_->linhas = 1;
}

// SELECT @a = x, @b = y FROM ...: each row assigns in turn, so the last one's values
// stay; no row leaves the variables as they were.
void Executor::AtribuirDaConsulta(const std::vector<std::string>& variaveis, const db::Resultado& r,
                                  const std::vector<std::string>& repetidas) {
    if (r.linhas.empty()) return;
    // SELECT @s = @s + x FROM ...: SQL Server carries each row's value into the next;
    // the query read them all with the value from before it
    if (r.linhas.size() > 1)
        for (const auto& v : variaveis) {
            if (std::any_of(repetidas.begin(), repetidas.end(),
                            [&](const std::string& r) { return IguaisCiAs(r, v); }))
                throw ErroDeBanco(
                    "O simulador de SQL Server não acumula variáveis linha a linha (SELECT " + v +
                    " = " + v + " ... de várias linhas).");
        }
    const auto& linha = r.linhas.back();
    for (std::size_t k = 0; k < variaveis.size() && k < linha.size(); ++k)
        VariavelDeclarada(variaveis[k]).valor = linha[k];
}

void Executor::Enquanto(const instrucao::Enquanto& x) {
    while (Condicao(x.condicao)) {
        s_.VerificarSeFoiEliminada();
        RodarNaLista(*x.corpo);
        if (fluxo_ == Fluxo::Retornar) return;
        const bool parar = fluxo_ == Fluxo::Interromper;
        fluxo_ = Fluxo::Seguir;
        if (parar) return;
    }
}

void Executor::Retornar(const instrucao::Retornar& x) {
    retorno_ = 0;
    if (tipoDoRetorno_) {  // a scalar function's RETURN value, of its RETURNS type
        // RETURN alone reads its empty run of tokens, which tells the syntax error
        valorRetornado_ = x.valor.Vazia() ? ValorConvertido(x.valor.faixa, *tipoDoRetorno_)
                                          : ValorConvertido(x.valor, *tipoDoRetorno_);
    } else if (!x.valor.Vazia()) {
        if (!emProcedimento_) throw ErroDoServidor(178);
        retorno_ = ComoInteiro(ValorConvertido(x.valor, TipoSql{TipoBase::Int, 0, 10, 0}));
    }
    fluxo_ = Fluxo::Retornar;
}

// RAISERROR (message or msg id, severity, state [, arguments]): severity 10 or less is
// a message, not an error; above 18 only a sysadmin WITH LOG may raise it.
void Executor::LevantarErro(const instrucao::LevantarErro& x) {
    std::vector<db::Valor> valores;
    for (const ExpressaoLida& a : x.argumentos) valores.push_back(Avaliar(a));
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
    estado_->linhas = 0;
    const bool comSetError =
        std::find(x.opcoes.begin(), x.opcoes.end(), std::string("SETERROR")) != x.opcoes.end();
    if (severidade <= 10 && comSetError)
        throw ErroDeBanco(
            "O simulador de SQL Server não interpreta RAISERROR ... WITH SETERROR de severidade "
            "até 10.");
    if (severidade <= 10) return Informar(mensagem);
    throw ErroDeBanco(mensagem, numero, static_cast<int>(severidade), static_cast<int>(estado));
}

// EXEC ('texto' + @x): the text runs as a batch of its own, which does not see the
// caller's variables.
void Executor::ExecutarTexto(const instrucao::ExecutarTexto& x) {
    std::string texto;
    for (const ExpressaoLida& p : x.partes) {
        const db::Valor v = Avaliar(p);
        if (!db::EhNulo(v)) texto += ComoTextoDeValor(v);
    }
    if (texto.find_first_not_of(" \t\r\n") == std::string::npos) return;
    auto plano = s_.Planejar(texto);
    Executor interno(s_, *plano, kSemParametros);
    interno.estado_ = estado_;
    CadeiaDeDono cadeia(s_, false);
    for (auto& r : interno.Executar()) resultados_.push_back(std::move(r));
}

// BEGIN TRY ... END TRY BEGIN CATCH ... END CATCH: an error of severity 11 to 19 runs
// the CATCH block, where ERROR_NUMBER() and the like tell it. A name the batch itself
// cannot resolve is not caught at its own level, as on SQL Server; one inside a called
// procedure is.
void Executor::TentarCapturar(const instrucao::TentarCapturar& x) {
    erroDeChamada_ = false;
    std::optional<ErroDeBanco> capturado;
    {
        ++estado_->tentativas;
        struct Fim {
            int& n;
            ~Fim() { --n; }
        } fim{estado_->tentativas};
        try {
            Rodar(*x.tentar);
        } catch (const ErroDeBanco& e) {
            const int n = e.Numero();
            const bool deResolucao = n == 208 || n == 207 || n == 4104;
            if (n == 0 || e.Severidade() < 11 || e.Severidade() > 19 || s_.FoiEliminada() ||
                (deResolucao && !erroDeChamada_))
                throw;
            capturado = e;
            if (AbortaATransacao(e)) s_.CondenarTransacao();
            estado_->erroDeGatilho = false;
        }
    }
    if (capturado) {
        const ErroDeBanco& e = *capturado;
        const int n = e.Numero();
        EstadoProcedural anterior = *estado_;
        estado_->emCaptura = true;
        estado_->numeroDoErro = n;
        estado_->mensagemDoErro = e.what();
        estado_->severidadeDoErro = e.Severidade();
        estado_->estadoDoErro = e.Estado();
        estado_->erro = n;
        fluxo_ = Fluxo::Seguir;
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
        } restaurar{*estado_, anterior};
        Rodar(*x.capturar);
    }
}

}  // namespace zolvek::simulador
