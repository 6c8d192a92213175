// Procedural T-SQL: IF, WHILE, DECLARE, SET @v, cursors, RAISERROR, TRY ... CATCH, GOTO
// labels, and the checks of variables and labels SQL Server makes when it compiles.

#include <set>

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "simulador/motor/leitura/analisador.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

std::unique_ptr<Comando> Analisador::Se() {
    auto [c, x] = Novo<instrucao::Se>(i_);
    ++i_;
    x->condicao = ExpressaoDe(Condicao());
    x->entao = Filha();
    while (AceitarSimbolo(";")) {
    }
    if (Aceitar("ELSE")) x->senao = Filha();
    return c;
}

// The condition of IF and WHILE: it runs to the statement that follows it.
Faixa Analisador::Condicao() {
    std::size_t ini = i_;
    int nivel = 0;
    // a statement cannot stand for the condition; UPDATE(col) of a trigger can
    if (!Fim() && IniciaInstrucao(Atual()) && !(Palavra("UPDATE") && Simbolo("(", 1))) Erro();
    while (!Fim()) {
        if (Simbolo("("))
            ++nivel;
        else if (Simbolo(")"))
            --nivel;
        else if (nivel == 0 && IniciaInstrucao(Atual()) && i_ > ini &&
                 !(Palavra("UPDATE") && Simbolo("(", 1)))  // UPDATE(col) of a trigger
            break;
        ++i_;
    }
    if (i_ == ini || Fim()) Erro();
    return {ini, i_};
}

// A statement inside another (IF, WHILE, BEGIN ... END).
std::unique_ptr<Comando> Analisador::Filha() {
    // each level is a frame of this parser's stack: a bound keeps a hostile text from
    // exhausting it
    if (++aninhamento_ > 128) throw ErroDoServidor(191);
    auto c = Instrucao(false);
    --aninhamento_;
    return c;
}

// Statement keywords the engine knows but does not read: refused clearly inside a
// body; any other word there is bad syntax.
bool Analisador::NaoInterpretada(const Token& t) {
    static const char* palavras[] = {
        "MERGE",       "THROW",     "WAITFOR",    "GOTO",     "DBCC",   "BULK",   "CHECKPOINT",
        "RECONFIGURE", "WRITETEXT", "UPDATETEXT", "READTEXT", "REVERT", "ENABLE", "DISABLE",
        "SHUTDOWN",    "SETUSER",   "RECEIVE",    "SEND",     "GET",    "MOVE"};
    for (const char* p : palavras)
        if (EhPalavra(t, p)) return true;
    return false;
}

// DECLARE, WHILE, BREAK, CONTINUE, cursors, RETURN, RAISERROR, PRINT; null otherwise.
std::unique_ptr<Comando> Analisador::InstrucaoProcedural() {
    std::size_t inicio = i_;
    if (Palavra("DECLARE")) return Declarar();
    if (Palavra("WHILE")) {
        auto [c, x] = Novo<instrucao::Enquanto>(inicio);
        ++i_;
        x->condicao = ExpressaoDe(Condicao());
        x->corpo = Filha();
        return std::move(c);
    }
    if (Aceitar("BREAK")) return Novo<instrucao::Interromper>(inicio).first;
    if (Aceitar("CONTINUE")) return Novo<instrucao::Continuar>(inicio).first;
    if (Aceitar("OPEN")) {
        auto [c, x] = Novo<instrucao::AbrirCursor>(inicio);
        x->cursor = NomeDoCursor();
        return std::move(c);
    }
    if (Aceitar("CLOSE")) {
        auto [c, x] = Novo<instrucao::FecharCursor>(inicio);
        x->cursor = NomeDoCursor();
        return std::move(c);
    }
    if (Aceitar("DEALLOCATE")) {
        auto [c, x] = Novo<instrucao::DesalocarCursor>(inicio);
        x->cursor = NomeDoCursor();
        return std::move(c);
    }
    if (Palavra("FETCH")) return Buscar();
    if (Aceitar("RETURN")) {
        auto [c, x] = Novo<instrucao::Retornar>(inicio);
        // RETURN alone when a statement (or the end) follows
        if (!Fim() && !Simbolo(";") && !IniciaInstrucao(Atual())) {
            std::size_t fim = FimDaInstrucao(i_);
            x->valor = ExpressaoDe({i_, fim});
            i_ = fim;
        } else {
            x->semValor =
                std::make_shared<const ErroDeBanco>(ErroDeSintaxeEm(t_, x->valor.faixa.inicio));
        }
        return std::move(c);
    }
    if (Palavra("RAISERROR")) return LevantarErro();
    if (Aceitar("PRINT")) {
        auto [c, x] = Novo<instrucao::Imprimir>(inicio);
        std::size_t fim = FimDaInstrucao(i_);
        if (fim == i_) Erro();
        x->valor = ExpressaoDe({i_, fim});
        i_ = fim;
        return std::move(c);
    }
    return nullptr;
}

// [GLOBAL] name, or a cursor variable
std::string Analisador::NomeDoCursor() {
    if (Palavra("GLOBAL") && i_ + 1 < t_.size() && EhNome(t_[i_ + 1])) ++i_;
    if (!Fim() && Atual().tipo == TipoToken::Variavel) return t_[i_++].texto;
    return Nome();
}

// Where an item of a list ends: a ',' outside parentheses, or the statement's end.
std::size_t Analisador::FimDoItem() const {
    const std::size_t fim = FimDaInstrucao(i_);
    int nivel = 0;
    for (std::size_t k = i_; k < fim; ++k) {
        if (EhSimbolo(t_[k], "(")) ++nivel;
        if (EhSimbolo(t_[k], ")")) --nivel;
        if (nivel == 0 && EhSimbolo(t_[k], ",")) return k;
    }
    return fim;
}

std::unique_ptr<Comando> Analisador::Declarar() {
    std::size_t inicio = i_;
    ++i_;
    if (!Fim() && EhNome(Atual()) &&
        (Palavra("CURSOR", 1) || Palavra("INSENSITIVE", 1) || Palavra("SCROLL", 1)))
        return DeclararCursor(inicio);
    auto [c, x] = Novo<instrucao::Declarar>(inicio);
    do {
        x->variaveis.push_back(Variavel(false));
    } while (AceitarSimbolo(","));
    return std::move(c);
}

// @nome [AS] tipo [= valor] of DECLARE, or a parameter (with its OUTPUT and default).
instrucao::VariavelDeclarada Analisador::Variavel(bool parametro) {
    instrucao::VariavelDeclarada v;
    if (Fim() || Atual().tipo != TipoToken::Variavel || Atual().texto.rfind("@@", 0) == 0) Erro();
    v.nome = Atual().texto;
    declaracoes_.insert(i_++);
    Aceitar("AS");
    if (!parametro && Aceitar("TABLE")) {
        v.tabela = true;
        v.colunas = ColunasDaTabelaVariavel(v.restricoes);
        return v;
    }
    if (!parametro && Aceitar("CURSOR")) {  // a cursor variable
        v.cursor = true;
        return v;
    }
    v.tipo = Tipo();
    if (!IguaisCiAs(tipoDoUsuario_, "sysname")) v.tipoDoUsuario = tipoDoUsuario_;
    if (parametro) Aceitar("VARYING");
    if (AceitarSimbolo("=")) {
        std::size_t fim = FimDoItem();
        if (parametro) {  // a default (a constant) stops before OUTPUT/READONLY or the body
            std::size_t k = i_;
            while (k < fim && !EhPalavra(t_[k], "OUT") && !EhPalavra(t_[k], "OUTPUT") &&
                   !EhPalavra(t_[k], "READONLY") && !EhPalavra(t_[k], "AS") &&
                   !EhPalavra(t_[k], "WITH") && !EhPalavra(t_[k], "FOR") && !EhSimbolo(t_[k], ")"))
                ++k;
            fim = k;
        }
        if (fim == i_) Erro();
        v.valor = ExpressaoDe({i_, fim});
        i_ = fim;
    }
    if (parametro) {
        if (Aceitar("OUT") || Aceitar("OUTPUT")) v.saida = true;
        Aceitar("READONLY");
    }
    return v;
}

std::vector<DefColuna> Analisador::ColunasDaTabelaVariavel(std::vector<DefRestricao>& restricoes) {
    std::vector<DefColuna> colunas;
    EsperarSimbolo("(");
    do {
        DefRestricao r;
        std::size_t antes = i_;
        if (RestricaoDeTabela(r)) {
            restricoes.push_back(std::move(r));
        } else {
            i_ = antes;
            colunas.push_back(Coluna(false));
        }
    } while (AceitarSimbolo(","));
    EsperarSimbolo(")");
    return colunas;
}

std::unique_ptr<Comando> Analisador::DeclararCursor(std::size_t inicio) {
    auto [c, x] = Novo<instrucao::DeclararCursor>(inicio);
    x->cursor = Nome();
    LerCursor(*x);
    return std::move(c);
}

// [options] CURSOR [options] FOR select [FOR READ ONLY | FOR UPDATE [OF ...]]
void Analisador::LerCursor(instrucao::DeclararCursor& x) {
    static const char* opcoes[] = {"LOCAL",      "GLOBAL",       "FORWARD_ONLY", "SCROLL",
                                   "STATIC",     "KEYSET",       "DYNAMIC",      "FAST_FORWARD",
                                   "READ_ONLY",  "SCROLL_LOCKS", "OPTIMISTIC",   "TYPE_WARNING",
                                   "INSENSITIVE"};
    auto opcao = [&] {
        for (const char* p : opcoes)
            if (Palavra(p)) {
                x.opcoes.push_back(p);
                ++i_;
                return true;
            }
        return false;
    };
    while (!Palavra("CURSOR"))
        if (!opcao()) Erro();
    ++i_;
    while (!Palavra("FOR"))
        if (!opcao()) Erro();
    ++i_;
    if (!(Palavra("SELECT") || Palavra("WITH") || Simbolo("("))) Erro();
    const std::size_t ini = i_;
    i_ = FimDaInstrucao(i_ + 1, Palavra("WITH") ? 1 : 0);
    std::size_t fim = i_;
    // FOR READ ONLY / FOR UPDATE [OF a, b] close the cursor's query
    if (fim >= ini + 3 && EhPalavra(t_[fim - 3], "FOR") && EhPalavra(t_[fim - 2], "READ") &&
        EhPalavra(t_[fim - 1], "ONLY")) {
        fim -= 3;
    } else if (fim > ini && EhPalavra(t_[fim - 1], "FOR") && Aceitar("UPDATE")) {
        --fim;
        if (Aceitar("OF")) do {
                Nome();
            } while (AceitarSimbolo(","));
    }
    x.selecao = ConsultaDe({ini, fim});
}

// FETCH [NEXT|PRIOR|FIRST|LAST|ABSOLUTE n|RELATIVE n FROM] cursor [INTO @a, ...]
std::unique_ptr<Comando> Analisador::Buscar() {
    auto [c, x] = Novo<instrucao::BuscarCursor>(i_);
    ++i_;
    x->direcao = "NEXT";
    for (const char* d : {"NEXT", "PRIOR", "FIRST", "LAST", "ABSOLUTE", "RELATIVE"}) {
        if (!Palavra(d)) continue;
        x->direcao = d;
        ++i_;
        if (x->direcao == "ABSOLUTE" || x->direcao == "RELATIVE") {
            if (Fim() || (Atual().tipo != TipoToken::Numero &&
                          Atual().tipo != TipoToken::Variavel && !Simbolo("-")))
                Erro();
            if (AceitarSimbolo("-") && (Fim() || Atual().tipo != TipoToken::Numero)) Erro();
            ++i_;
        }
        Esperar("FROM");
        break;
    }
    Aceitar("FROM");
    x->cursor = NomeDoCursor();
    if (Aceitar("INTO")) do {
            if (Fim() || Atual().tipo != TipoToken::Variavel) Erro();
            x->destinos.push_back(t_[i_++].texto);
        } while (AceitarSimbolo(","));
    return std::move(c);
}

// The items of the parenthesised list at i_, split at `separador` outside inner
// parentheses; i_ stops on the closing ')'.
std::vector<Faixa> Analisador::ItensEntreParenteses(const char* separador) {
    if (!Simbolo("(")) Erro();
    const std::size_t fecho = Fecho(i_);
    ++i_;
    std::vector<Faixa> itens;
    while (i_ < fecho) {
        std::size_t ini = i_;
        int nivel = 0;
        while (i_ < fecho && !(nivel == 0 && Simbolo(separador))) {
            if (Simbolo("(")) ++nivel;
            if (Simbolo(")")) --nivel;
            ++i_;
        }
        if (i_ == ini) Erro();
        itens.push_back({ini, i_});
        if (i_ < fecho && ++i_ == fecho) Erro();  // a separator before ')'
    }
    return itens;
}

// RAISERROR (mensagem, severidade, estado [, argumento ...]) [WITH NOWAIT|LOG|SETERROR]
std::unique_ptr<Comando> Analisador::LevantarErro() {
    auto [c, x] = Novo<instrucao::LevantarErro>(i_);
    ++i_;
    const std::vector<Faixa> itens = ItensEntreParenteses(",");
    if (itens.size() < 3) Erro();  // names the ')'
    for (Faixa f : itens) x->argumentos.push_back(ExpressaoOuPalavra(f));
    ++i_;
    if (Aceitar("WITH")) do {
            if (!(Palavra("NOWAIT") || Palavra("LOG") || Palavra("SETERROR"))) Erro();
            x->opcoes.push_back(texto::Maiusculas(t_[i_++].texto));
        } while (AceitarSimbolo(","));
    return std::move(c);
}

// SET @v = valor, SET @v += valor
std::unique_ptr<Comando> Analisador::Atribuir(std::size_t inicio) {
    if (Simbolo("=", 1) && Palavra("CURSOR", 2)) {  // SET @c = CURSOR ... FOR select
        auto [c, x] = Novo<instrucao::DeclararCursor>(inicio);
        x->cursor = t_[i_].texto;
        i_ += 2;
        LerCursor(*x);
        return std::move(c);
    }
    auto [c, x] = Novo<instrucao::Atribuir>(inicio);
    if (Atual().texto.rfind("@@", 0) == 0) Erro();
    x->variavel = t_[i_++].texto;
    if (AceitarSimbolo("=")) {
        x->operador = "=";
    } else {
        for (const char* op : {"+", "-", "*", "/", "%", "&", "|", "^"}) {
            if (Simbolo(op) && Simbolo("=", 1)) {
                x->operador = std::string(op) + "=";
                i_ += 2;
                break;
            }
            if (Simbolo(std::string(op) + "=")) {
                x->operador = std::string(op) + "=";
                ++i_;
                break;
            }
        }
        if (x->operador.empty()) Erro();
    }
    std::size_t fim = FimDaInstrucao(i_);
    if (fim == i_) Erro();
    x->valor = ExpressaoDe({i_, fim}, x->variavel, x->operador == "=" ? "" : x->operador);
    i_ = fim;
    return std::move(c);
}

// EXEC ('texto' + @x): the parts of the text, joined when it runs.
std::unique_ptr<Comando> Analisador::ExecutarTexto(std::size_t inicio) {
    auto [c, x] = Novo<instrucao::ExecutarTexto>(inicio);
    for (Faixa f : ItensEntreParenteses("+")) x->partes.push_back(ExpressaoOuPalavra(f));
    if (x->partes.empty()) Erro();
    ++i_;
    return std::move(c);
}

// BEGIN TRY ... END TRY BEGIN CATCH ... END CATCH
std::unique_ptr<Comando> Analisador::TentarCapturar(std::size_t inicio) {
    auto [c, x] = Novo<instrucao::TentarCapturar>(inicio);
    ++i_;  // TRY
    x->tentar = BlocoAte("TRY", true);
    Esperar("BEGIN");
    Esperar("CATCH");
    x->capturar = BlocoAte("CATCH", false);
    return std::move(c);
}

std::unique_ptr<Comando> Analisador::BlocoAte(const char* fecho, bool exigeInstrucao) {
    auto [c, x] = Novo<instrucao::Bloco>(i_);
    while (!(Palavra("END") && Palavra(fecho, 1))) {
        if (Fim()) Erro();
        if (AceitarSimbolo(";")) continue;
        x->filhos.push_back(Filha());
    }
    if (exigeInstrucao && x->filhos.empty()) Erro();
    i_ += 2;
    c->faixa.fim = i_;
    return std::move(c);
}

// Every @variable is declared before it is used, and only once (parameters count
// as declared). SQL Server checks this when it compiles the batch or the body.
void Analisador::VerificarVariaveis() const {
    std::set<std::string> declaradas;
    for (std::size_t k = 0; k < t_.size(); ++k) {
        const Token& t = t_[k];
        if (t.tipo != TipoToken::Variavel || t.texto.rfind("@@", 0) == 0) continue;
        if (nomesDeArgumento_.count(k)) continue;
        const std::string nome = Dobrar(t.texto);
        if (declaracoes_.count(k)) {
            if (!declaradas.insert(nome).second) throw ErroDoServidor(134, {t.texto});
        } else if (!declaradas.count(nome)) {
            if (k > 0 && EmLugarDeTabela(t_[k - 1])) throw ErroDoServidor(1087, {t.texto});
            throw ErroDoServidor(137, {t.texto});
        }
    }
}

// A variable after these words names a table.
bool Analisador::EmLugarDeTabela(const Token& anterior) {
    for (const char* p : {"FROM", "JOIN", "INTO", "UPDATE", "DELETE", "TABLE"})
        if (EhPalavra(anterior, p)) return true;
    return false;
}

// `name:` where a statement starts: a label GOTO jumps to.
bool Analisador::EhRotulo(std::size_t k) const {
    return k + 1 < t_.size() && t_[k].tipo == TipoToken::Palavra && !IniciaInstrucao(t_[k]) &&
           EhSimbolo(t_[k + 1], ":");
}

// Labels are unique in a batch or body, and every GOTO names one of them.
void Analisador::VerificarRotulos() const {
    std::set<std::string> rotulos;
    for (std::size_t k : rotulos_)
        if (!rotulos.insert(Dobrar(t_[k].texto)).second) throw ErroDoServidor(132, {t_[k].texto});
    for (std::size_t k : destinos_)
        if (!rotulos.count(Dobrar(t_[k].texto))) throw ErroDoServidor(133, {t_[k].texto});
}

}  // namespace zolvek::simulador
