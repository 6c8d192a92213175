#include <algorithm>
#include <cctype>
#include <set>
#include <utility>

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "simulador/motor/analisador.hpp"
#include "simulador/motor/colacao.hpp"
#include "simulador/motor/idiomas.hpp"
#include "simulador/motor/reescrita.hpp"
#include "simulador/motor/verificacao_do_corpo.hpp"
#include "simulador/motor/visitante.hpp"

namespace zolvek::simulador {

bool IniciaInstrucao(const Token& t) {
    static const char* palavras[] = {
        "INSERT", "UPDATE",     "DELETE",    "CREATE", "ALTER",    "DROP",   "IF",
        "ELSE",   "EXEC",       "EXECUTE",   "GRANT",  "DENY",     "REVOKE", "BEGIN",
        "COMMIT", "ROLLBACK",   "DECLARE",   "PRINT",  "USE",      "BACKUP", "RESTORE",
        "WHILE",  "RETURN",     "TRUNCATE",  "SET",    "END",      "SELECT", "KILL",
        "WITH",   "MERGE",      "SAVE",      "BREAK",  "CONTINUE", "OPEN",   "FETCH",
        "CLOSE",  "DEALLOCATE", "RAISERROR", "GOTO",   "WAITFOR",  "THROW"};
    if (t.tipo != TipoToken::Palavra) return false;
    for (const char* p : palavras)
        if (EhPalavra(t, p)) return true;
    return false;
}

std::vector<std::unique_ptr<Comando>> Analisador::Lote() {
    std::vector<std::unique_ptr<Comando>> r;
    bool primeiro = true;
    while (!Fim()) {
        if (Simbolo(";")) {
            ++i_;
            continue;
        }
        r.push_back(Instrucao(primeiro));
        primeiro = false;
    }
    VerificarVariaveis();
    VerificarRotulos();
    // SQL Server compiles the whole batch before it runs any of it
    VerificarCorpo(t_, r, false);
    return r;
}

std::string Analisador::Nome() {
    if (Fim() || !EhNome(Atual())) Erro();
    return t_[i_++].texto;
}

// a, a.b, a.b.c, a..c
NomeComposto Analisador::NomeDeObjeto() {
    NomeComposto n;
    if (!Fim() && Atual().tipo == TipoToken::Variavel) {  // a table variable
        n.partes.push_back(t_[i_++].texto);
        return n;
    }
    n.partes.push_back(Nome());
    while (Simbolo(".")) {
        ++i_;
        if (Simbolo(".")) {
            n.partes.push_back("");
            continue;
        }
        n.partes.push_back(Nome());
    }
    return n;
}

std::string Analisador::TextoOuNome() {
    if (Fim()) Erro();
    const Token& t = Atual();
    if (t.tipo == TipoToken::Texto || t.tipo == TipoToken::TextoN || EhNome(t)) {
        ++i_;
        return t.texto;
    }
    Erro();
}

// Index of the matching ')' of the '(' at i.
std::size_t Analisador::Fecho(std::size_t i) const {
    int nivel = 0;
    for (std::size_t k = i; k < t_.size(); ++k) {
        if (EhSimbolo(t_[k], "("))
            ++nivel;
        else if (EhSimbolo(t_[k], ")") && --nivel == 0)
            return k;
    }
    throw ErroDeBanco("Incorrect syntax near '('.", 102, 15, 1);
}

// Where a statement that began at `inicio` ends: ';', or a keyword that starts a
// statement at the outer level. `selectsAceitos` SELECTs and `setsAceitos` SETs
// still belong to it (INSERT ... SELECT, UPDATE ... SET).
std::size_t Analisador::FimDaInstrucao(std::size_t k, int selectsAceitos, int setsAceitos) const {
    int nivel = 0, casos = 0;
    for (; k < t_.size(); ++k) {
        const Token& t = t_[k];
        if (EhSimbolo(t, "(")) {
            ++nivel;
            continue;
        }
        if (EhSimbolo(t, ")")) {
            if (nivel == 0) return k;
            --nivel;
            continue;
        }
        if (nivel > 0) continue;
        if (EhSimbolo(t, ";") || EhRotulo(k)) return k;
        if (EhPalavra(t, "CASE")) {
            ++casos;
            continue;
        }
        if (casos > 0 && EhPalavra(t, "END")) {
            --casos;
            continue;
        }
        if (casos > 0 && EhPalavra(t, "ELSE")) continue;
        if (!IniciaInstrucao(t)) continue;
        if (EhPalavra(t, "SELECT")) {
            const Token* ant = k > 0 ? &t_[k - 1] : nullptr;
            if (ant &&
                (EhPalavra(*ant, "UNION") || EhPalavra(*ant, "ALL") || EhPalavra(*ant, "EXCEPT") ||
                 EhPalavra(*ant, "INTERSECT") || EhPalavra(*ant, "AS") || EhSimbolo(*ant, "(")))
                continue;
            if (selectsAceitos > 0) {
                --selectsAceitos;
                continue;
            }
        }
        if (EhPalavra(t, "SET") && setsAceitos > 0) {
            --setsAceitos;
            continue;
        }
        if (EhPalavra(t, "WITH") && k + 1 < t_.size() &&
            (EhSimbolo(t_[k + 1], "(") || EhPalavra(t_[k + 1], "TIES") ||
             EhPalavra(t_[k + 1], "ROLLUP") || EhPalavra(t_[k + 1], "CUBE")))
            continue;
        if (EhPalavra(t, "FETCH") && k > 0 &&
            (EhPalavra(t_[k - 1], "ROWS") || EhPalavra(t_[k - 1], "ROW")))
            continue;
        return k;
    }
    return k;
}

// SELECT ... INTO outside parentheses: the statement makes a table.
bool Analisador::TemInto(Faixa f) const {
    int nivel = 0;
    for (std::size_t k = f.inicio; k < f.fim; ++k) {
        if (EhSimbolo(t_[k], "(")) ++nivel;
        if (EhSimbolo(t_[k], ")")) --nivel;
        if (nivel == 0 && EhPalavra(t_[k], "INTO")) return true;
    }
    return false;
}

std::unique_ptr<Comando> Analisador::Instrucao(bool primeiro) {
    std::size_t inicio = i_;
    primeiro_ = primeiro;
    if (emCorpo_ && Palavra("USE"))
        throw ErroDeBanco(
            "a USE database statement is not allowed in a procedure, function or trigger.", 154, 15,
            1);
    std::unique_ptr<Comando> c;
    if (EhRotulo(i_)) {  // a GOTO's label: nothing to run
        c = Novo<instrucao::Ignorado>(inicio).first;
        rotulos_.push_back(i_);
        i_ += 2;
    } else if (auto procedural = InstrucaoProcedural()) {
        c = std::move(procedural);
    } else if (Palavra("WITH") && ComAntesDeAlteracao()) {
        c = AlteracaoComConsultas();
    } else if (Palavra("SELECT") || Palavra("WITH") || Simbolo("(")) {
        auto [n, x] = Novo<instrucao::Selecionar>(inicio);
        // WITH names its queries first; the statement's own SELECT follows them
        i_ = FimDaInstrucao(i_ + 1, Palavra("WITH") ? 1 : 0);
        if (Simbolo(")") && inicio < i_ && EhSimbolo(t_[inicio], "(")) ++i_;
        x->selecao = {inicio, i_};
        x->para = TemInto(x->selecao);
        c = std::move(n);
    } else if (Palavra("INSERT")) {
        c = Inserir();
    } else if (Palavra("UPDATE")) {
        c = Atualizar();
    } else if (Palavra("DELETE")) {
        c = Excluir();
    } else if (Palavra("MERGE")) {
        c = Mesclar();
    } else if (Palavra("TRUNCATE")) {
        ++i_;
        Esperar("TABLE");
        auto [n, x] = Novo<instrucao::Excluir>(inicio);
        x->objeto = NomeDeObjeto();
        x->resto = {i_, i_};
        x->truncar = true;
        c = std::move(n);
    } else if (Palavra("CREATE")) {
        c = Criar();
    } else if (Palavra("ALTER")) {
        c = Alterar();
    } else if (Palavra("DROP")) {
        c = Soltar();
    } else if (Palavra("IF")) {
        c = Se();
    } else if (Palavra("BEGIN")) {
        c = Iniciar();
    } else if (Palavra("COMMIT")) {
        c = Novo<instrucao::ConfirmarTransacao>(inicio).first;
        ++i_;
        if (Aceitar("TRAN") || Aceitar("TRANSACTION") || Aceitar("WORK")) NomeDaTransacao();
    } else if (Palavra("ROLLBACK")) {
        auto [n, x] = Novo<instrucao::DesfazerTransacao>(inicio);
        c = std::move(n);
        ++i_;
        if (Aceitar("TRAN") || Aceitar("TRANSACTION"))
            x->nome = NomeDaTransacao();
        else
            Aceitar("WORK");
    } else if (Palavra("SAVE")) {
        auto [n, x] = Novo<instrucao::SalvarTransacao>(inicio);
        c = std::move(n);
        ++i_;
        if (!Aceitar("TRAN") && !Aceitar("TRANSACTION")) Erro();
        x->nome = NomeDaTransacao();
        if (x->nome.empty()) Erro();
    } else if (Palavra("EXEC") || Palavra("EXECUTE")) {
        ++i_;
        c = Executar(inicio);
    } else if (Palavra("SET")) {
        c = Definir();
    } else if (Palavra("GRANT") || Palavra("DENY") || Palavra("REVOKE")) {
        c = Conceder();
    } else if (Palavra("BACKUP")) {
        c = Backup();
    } else if (Palavra("RESTORE")) {
        c = Restaurar();
    } else if (Palavra("USE")) {
        ++i_;
        auto [n, x] = Novo<instrucao::Usar>(inicio);
        x->objeto.partes.push_back(Nome());
        c = std::move(n);
    } else if (Palavra("KILL")) {
        ++i_;
        auto [n, x] = Novo<instrucao::Matar>(inicio);
        x->numero = {i_, i_ + 1};
        c = std::move(n);
        if (Fim()) Erro();
        ++i_;
    } else if (Palavra("WAITFOR") && (Palavra("DELAY", 1) || Palavra("TIME", 1))) {
        auto [n, x] = Novo<instrucao::Esperar>(inicio);
        x->hora = Palavra("TIME", 1);
        i_ += 2;
        if (Fim() || (Atual().tipo != TipoToken::Texto && Atual().tipo != TipoToken::TextoN &&
                      Atual().tipo != TipoToken::Variavel))
            Erro();
        x->valor = {i_, i_ + 1};
        ++i_;
        c = std::move(n);
    } else if (Palavra("CHECKPOINT")) {
        c = Novo<instrucao::PontoDeControle>(inicio).first;
        ++i_;
        if (!Fim() && Atual().tipo == TipoToken::Numero) ++i_;
    } else if (Palavra("DBCC") && (Palavra("CHECKIDENT", 1) || Palavra("CHECKDB", 1))) {
        c = Dbcc(inicio);
    } else if (!emCorpo_ && (Palavra("ENABLE") || Palavra("DISABLE")) && Palavra("TRIGGER", 1)) {
        throw ErroDeBanco("O simulador de SQL Server não interpreta a instrução " +
                          texto::Maiusculas(Atual().texto) + " TRIGGER.");
    } else if (!Fim() && NaoInterpretada(Atual())) {
        // SQL Server accepts it; it is refused when it runs
        auto [n, x] = Novo<instrucao::NaoInterpretada>(inicio);
        x->instrucao = texto::Maiusculas(Atual().texto);
        if (x->instrucao == "GOTO") {
            if (i_ + 1 >= t_.size() || !EhNome(t_[i_ + 1])) ErroDeSintaxe(t_, i_ + 1);
            destinos_.push_back(i_ + 1);
        }
        i_ = FimDaInstrucao(i_ + 1);
        c = std::move(n);
    } else if (primeiro && !Fim() && EhNome(Atual()) && !IniciaInstrucao(Atual())) {
        // A procedure called without EXEC, allowed as a batch's first statement.
        c = Executar(inicio);
    } else if (!Fim() && Atual().tipo == TipoToken::Palavra && !EhPalavra(Atual(), "GO") &&
               !(emCorpo_ && !NaoInterpretada(Atual()))) {
        // GO separates batches for the tools; to the server it is bad syntax (Erro)
        throw ErroDeBanco("O simulador de SQL Server não interpreta a instrução " + Atual().texto +
                          ".");
    } else {
        Erro();
    }
    c->faixa.fim = i_;
    return c;
}

// Where the named queries of a WITH that starts at `k` end: the token after the last ')'.
std::size_t Analisador::FimDoCom(std::size_t k) const {
    ++k;  // WITH
    for (;;) {
        if (k >= t_.size() || !EhNome(t_[k])) return k;
        ++k;
        if (k < t_.size() && EhSimbolo(t_[k], "(")) k = Fecho(k) + 1;
        if (k >= t_.size() || !EhPalavra(t_[k], "AS")) return k;
        if (++k >= t_.size() || !EhSimbolo(t_[k], "(")) return k;
        k = Fecho(k) + 1;
        if (k >= t_.size() || !EhSimbolo(t_[k], ",")) return k;
        ++k;
    }
}

// WITH x AS (...) followed by INSERT, UPDATE, DELETE or MERGE instead of a SELECT.
bool Analisador::ComAntesDeAlteracao() const {
    const std::size_t k = FimDoCom(i_);
    return k < t_.size() && (EhPalavra(t_[k], "INSERT") || EhPalavra(t_[k], "UPDATE") ||
                             EhPalavra(t_[k], "DELETE") || EhPalavra(t_[k], "MERGE"));
}

// The data change that follows a WITH, with its named queries read into their trees.
std::unique_ptr<Comando> Analisador::AlteracaoComConsultas() {
    const std::size_t inicio = i_, fim = FimDoCom(i_);
    if (ordinais_.empty()) ordinais_ = NumerarParametros(t_);
    LeitorDeExpressoes leitor(t_, inicio, fim, &ordinais_);
    auto com = std::make_shared<const std::vector<ConsultaNomeada>>(leitor.LerCom());
    leitor.ExigirFim();
    i_ = fim;
    if (Palavra("MERGE"))
        throw ErroDeBanco("O simulador de SQL Server não aceita WITH antes de MERGE.");
    std::unique_ptr<Comando> c = Palavra("INSERT")   ? Inserir()
                                 : Palavra("UPDATE") ? Atualizar()
                                                     : Excluir();
    std::visit(Visitante{
                   [&](instrucao::Inserir& x) { x.com = com; },
                   [&](instrucao::Atualizar& x) { x.com = com; },
                   [&](instrucao::Excluir& x) { x.com = com; },
                   [](auto&) {},
               },
               c->instrucao);
    c->faixa.inicio = inicio;
    return c;
}

// TOP (n) [PERCENT] after INSERT, UPDATE or DELETE: the parentheses are required there.
std::optional<instrucao::Topo> Analisador::TopoDaAlteracao() {
    if (!Aceitar("TOP")) return std::nullopt;
    if (!Simbolo("(")) Erro();
    const std::size_t fecho = Fecho(i_);
    if (ordinais_.empty()) ordinais_ = NumerarParametros(t_);
    LeitorDeExpressoes leitor(t_, i_ + 1, fecho, &ordinais_);
    instrucao::Topo topo;
    topo.quantidade = leitor.Expressao();
    leitor.ExigirFim();
    i_ = fecho + 1;
    topo.porcento = Aceitar("PERCENT");
    return topo;
}

std::unique_ptr<Comando> Analisador::Inserir() {
    auto [c, x] = Novo<instrucao::Inserir>(i_);
    ++i_;
    x->topo = TopoDaAlteracao();
    Aceitar("INTO");
    x->objeto = NomeDeObjeto();
    if (Palavra("WITH") && Simbolo("(", 1)) i_ = Fecho(i_ + 1) + 1;
    if (Simbolo("(") && !(Palavra("SELECT", 1) || Palavra("WITH", 1))) {
        ++i_;
        do {
            // a bare column name, as a script writes them, without a NomeComposto of its own
            if (!Fim() && EhNome(Atual()) && !Simbolo(".", 1))
                x->colunasAlvo.push_back(t_[i_++].texto);
            else
                x->colunasAlvo.push_back(NomeDeObjeto().Nome());
        } while (AceitarSimbolo(","));
        EsperarSimbolo(")");
    }
    x->saida = Saida();
    if (Aceitar("DEFAULT")) {
        Esperar("VALUES");
        x->valoresPadrao = true;
    } else if (Aceitar("VALUES")) {
        do {
            if (!Simbolo("(")) Erro();
            std::size_t fecho = Fecho(i_);
            ++i_;
            std::vector<Faixa> linha;
            while (i_ < fecho) {
                std::size_t ini = i_;
                int nivel = 0;
                while (i_ < fecho && !(nivel == 0 && Simbolo(","))) {
                    if (Simbolo("(")) ++nivel;
                    if (Simbolo(")")) --nivel;
                    ++i_;
                }
                if (i_ == ini) Erro();
                linha.push_back({ini, i_});
                if (i_ < fecho) ++i_;
            }
            i_ = fecho + 1;
            x->valores.push_back(std::move(linha));
        } while (AceitarSimbolo(","));
    } else if (Palavra("SELECT") || Palavra("WITH") || Simbolo("(")) {
        std::size_t ini = i_;
        i_ = FimDaInstrucao(i_ + 1);
        x->selecao = {ini, i_};
    } else if (Palavra("EXEC") || Palavra("EXECUTE")) {
        const std::size_t exec = i_++;
        x->execucao = Executar(exec);
        x->execucao->faixa.fim = i_;
    } else {
        Erro();
    }
    return c;
}

// OUTPUT inserted.x, deleted.y [INTO T [(colunas)]] of INSERT, UPDATE and DELETE: the list
// runs to INTO or to the clause that follows it (VALUES, SELECT, FROM, WHERE...).
std::optional<instrucao::ClausulaDeSaida> Analisador::Saida() {
    if (!Aceitar("OUTPUT")) return std::nullopt;
    instrucao::ClausulaDeSaida s;
    const std::size_t ini = i_;
    const std::size_t fim = FimDaInstrucao(i_);
    int nivel = 0;
    for (; i_ < fim; ++i_) {
        if (Simbolo("(")) ++nivel;
        if (Simbolo(")")) --nivel;
        if (nivel == 0 && (Palavra("INTO") || Palavra("VALUES") || Palavra("DEFAULT") ||
                           Palavra("FROM") || Palavra("WHERE") || Palavra("OPTION") ||
                           Palavra("EXEC") || Palavra("EXECUTE") || Palavra("SELECT")))
            break;
    }
    if (i_ == ini) Erro();
    s.lista = {ini, i_};
    if (Aceitar("INTO")) {
        s.destino = NomeDeObjeto();
        if (Simbolo("(") && !(Palavra("SELECT", 1) || Palavra("WITH", 1)))
            s.colunasDoDestino = ListaDeNomes();
    }
    return s;
}

// Moves to the first ',' (when `virgula`) or word of `paradas` outside parentheses and
// CASE ... END, before `fim`.
void Analisador::IrAte(std::size_t fim, std::initializer_list<std::string_view> paradas,
                       bool virgula) {
    int nivel = 0, casos = 0;
    for (; i_ < fim; ++i_) {
        if (Simbolo("(")) ++nivel;
        if (Simbolo(")")) --nivel;
        if (nivel == 0 && Palavra("CASE")) ++casos;
        if (nivel == 0 && casos > 0 && Palavra("END")) --casos;
        if (nivel != 0 || casos != 0) continue;
        if (virgula && Simbolo(",")) return;
        for (auto p : paradas)
            if (Palavra(p)) return;
    }
}

// col = value, ... of UPDATE SET (and MERGE's): each value runs to a ',' or a word of
// `paradas`.
std::vector<std::pair<std::string, Faixa>> Analisador::Atribuicoes(
    std::size_t fim, std::initializer_list<std::string_view> paradas) {
    std::vector<std::pair<std::string, Faixa>> r;
    do {
        NomeComposto coluna = NomeDeObjeto();
        if (coluna.Nome().empty()) Erro();
        EsperarSimbolo("=");
        const std::size_t ini = i_;
        IrAte(fim, paradas, true);
        if (i_ == ini) Erro();
        r.emplace_back(coluna.Nome(), Faixa{ini, i_});
    } while (AceitarSimbolo(","));
    return r;
}

std::unique_ptr<Comando> Analisador::Atualizar() {
    auto [c, x] = Novo<instrucao::Atualizar>(i_);
    ++i_;
    x->topo = TopoDaAlteracao();
    x->objeto = NomeDeObjeto();
    if (Palavra("WITH") && Simbolo("(", 1)) i_ = Fecho(i_ + 1) + 1;
    Esperar("SET");
    std::size_t fim = FimDaInstrucao(i_);
    x->atribuicoes = Atribuicoes(fim, {"FROM", "WHERE", "OPTION", "OUTPUT"});
    x->saida = Saida();
    x->resto = {i_, fim};
    i_ = fim;
    return c;
}

std::unique_ptr<Comando> Analisador::Excluir() {
    auto [c, x] = Novo<instrucao::Excluir>(i_);
    ++i_;
    x->topo = TopoDaAlteracao();
    Aceitar("FROM");
    x->objeto = NomeDeObjeto();
    if (Palavra("WITH") && Simbolo("(", 1)) i_ = Fecho(i_ + 1) + 1;
    if (Simbolo("(") && Palavra("NOLOCK", 1)) i_ = Fecho(i_) + 1;
    x->saida = Saida();
    std::size_t fim = FimDaInstrucao(i_);
    x->resto = {i_, fim};
    i_ = fim;
    return c;
}

// A DEFAULT value: a parenthesised expression, a literal or a (user) function's call.
std::string Analisador::Expressao() {
    std::size_t ini = i_;
    if (Simbolo("(")) {
        i_ = Fecho(i_) + 1;
    } else {
        if (Simbolo("-") || Simbolo("+")) ++i_;
        if (Fim()) Erro();
        ++i_;
        // a user function: dbo.f()
        while (Simbolo(".") && i_ + 1 < t_.size() && EhNome(t_[i_ + 1])) i_ += 2;
        if (Simbolo("(")) i_ = Fecho(i_) + 1;
    }
    return TextoEntre(ini, i_);
}

std::string Analisador::EntreParenteses(const std::string& s) {
    if (s.size() >= 2 && s.front() == '(' && s.back() == ')') {
        // Only when the outer pair matches.
        int nivel = 0;
        for (std::size_t k = 0; k < s.size(); ++k) {
            if (s[k] == '(') ++nivel;
            if (s[k] == ')' && --nivel == 0 && k + 1 < s.size()) return "(" + s + ")";
        }
        return s;
    }
    return "(" + s + ")";
}

TipoSql Analisador::Tipo() {
    std::string nome = Nome();
    if (Simbolo(".")) {  // dbo.type
        ++i_;
        nome = Nome();
    }
    tipoDoUsuario_.clear();
    auto base = TipoPeloNome(nome);
    if (!base) {  // an alias type: the executor finds it in the catalog
        tipoDoUsuario_ = nome;
        return TipoSql{TipoBase::SqlVariant, 0, 0, 0};
    }
    if (IguaisCiAs(nome, "sysname")) tipoDoUsuario_ = "sysname";
    int tamanho = 0, precisao = 0, escala = 0;
    bool informado = false;
    if (Aceitar("VARYING")) {
        if (*base == TipoBase::Char) base = TipoBase::VarChar;
    }
    if (AceitarSimbolo("(")) {
        informado = true;
        if (Aceitar("MAX")) {
            tamanho = -1;
        } else {
            if (Fim() || Atual().tipo != TipoToken::Numero) Erro();
            tamanho = precisao = std::stoi(t_[i_++].texto);
            if (AceitarSimbolo(",")) {
                if (Fim() || Atual().tipo != TipoToken::Numero) Erro();
                escala = std::stoi(t_[i_++].texto);
            }
        }
        EsperarSimbolo(")");
    }
    TipoSql t = CompletarTipo(*base, tamanho, precisao, escala, informado);
    if (IguaisCiAs(nome, "sysname")) {
        if (informado)
            throw ErroDeBanco(
                "Column, parameter, or variable #1: Cannot specify a column width on data "
                "type sysname.",
                2716, 16, 1);
        t.tamanho = 128;
    }
    if (t.base == TipoBase::Time || t.base == TipoBase::DateTime2 ||
        t.base == TipoBase::DateTimeOffset) {
        if (informado && (tamanho < 0 || tamanho > 7))
            throw ErroDeBanco("Specified scale " + std::to_string(tamanho) + " is invalid.", 1002,
                              16, 1);
        return t;
    }
    if (tamanho == -1 && !(t.base == TipoBase::VarChar || t.base == TipoBase::NVarChar ||
                           t.base == TipoBase::VarBinary))
        throw ErroDeBanco("Incorrect syntax near 'max'.");
    if ((t.base == TipoBase::VarChar || t.base == TipoBase::Char || t.base == TipoBase::VarBinary ||
         t.base == TipoBase::Binary) &&
        t.tamanho > 8000)
        throw ErroDeBanco("The size (" + std::to_string(t.tamanho) + ") given to the type '" +
                          NomeDoTipo(t.base) +
                          "' exceeds the maximum allowed for any data type (8000).");
    if ((t.base == TipoBase::NVarChar || t.base == TipoBase::NChar) && t.tamanho > 4000)
        throw ErroDeBanco("The size (" + std::to_string(t.tamanho) + ") given to the parameter '" +
                          NomeDoTipo(t.base) + "' exceeds the maximum allowed (4000).");
    if ((t.base == TipoBase::Decimal || t.base == TipoBase::Numeric) &&
        (t.precisao < 1 || t.precisao > 38 || t.escala > t.precisao))
        throw ErroDeBanco("The scale (" + std::to_string(t.escala) +
                          ") for column must be within the range 0 to " +
                          std::to_string(t.precisao) + ".");
    if (t.tamanho == 0 && informado && !EhNumericoExato(t.base) && t.base != TipoBase::Float)
        throw ErroDeBanco("The size (0) given to the type '" + NomeDoTipo(t.base) +
                          "' exceeds the maximum allowed for any data type (8000).");
    return t;
}

std::vector<ColunaDeIndice> Analisador::ColunasDeIndice() {
    EsperarSimbolo("(");
    std::vector<ColunaDeIndice> r;
    do {
        ColunaDeIndice c;
        c.nome = Nome();
        if (Aceitar("DESC"))
            c.decrescente = true;
        else
            Aceitar("ASC");
        r.push_back(c);
    } while (AceitarSimbolo(","));
    EsperarSimbolo(")");
    return r;
}

std::vector<std::string> Analisador::ListaDeNomes() {
    EsperarSimbolo("(");
    std::vector<std::string> r;
    do {
        r.push_back(Nome());
    } while (AceitarSimbolo(","));
    EsperarSimbolo(")");
    return r;
}

void Analisador::OpcoesDeIndice() {
    while (Palavra("CLUSTERED") || Palavra("NONCLUSTERED")) ++i_;
}

void Analisador::AcoesReferenciais(DefRestricao& r) {
    while (Palavra("ON") && (Palavra("DELETE", 1) || Palavra("UPDATE", 1))) {
        std::string& acao = Palavra("DELETE", 1) ? r.aoExcluir : r.aoAtualizar;
        i_ += 2;
        if (Aceitar("NO")) {
            Esperar("ACTION");
            acao.clear();
        } else if (Aceitar("CASCADE")) {
            acao = "CASCADE";
        } else if (Aceitar("SET")) {
            if (!Aceitar("NULL")) Esperar("DEFAULT");
            acao = EhPalavra(t_[i_ - 1], "NULL") ? "SET NULL" : "SET DEFAULT";
        } else {
            Erro();
        }
    }
    if (Palavra("NOT") && Palavra("FOR", 1)) {
        i_ += 3;  // NOT FOR REPLICATION
    }
}

// A table-level constraint, after an optional CONSTRAINT name. False when the
// tokens are not a constraint.
bool Analisador::RestricaoDeTabela(DefRestricao& r) {
    if (Aceitar("CONSTRAINT")) r.nome = Nome();
    if (Palavra("PRIMARY")) {
        ++i_;
        Esperar("KEY");
        OpcoesDeIndice();
        r.tipo = "PK";
        r.colunas = ColunasDeIndice();
        PularWithOn();
    } else if (Aceitar("UNIQUE")) {
        OpcoesDeIndice();
        r.tipo = "UQ";
        r.colunas = ColunasDeIndice();
        PularWithOn();
    } else if (Aceitar("FOREIGN")) {
        Esperar("KEY");
        r.tipo = "F";
        for (const auto& n : ListaDeNomes()) r.colunas.push_back({n, false});
        Esperar("REFERENCES");
        r.tabelaReferida = NomeDeObjeto().Nome();
        if (Simbolo("(")) r.colunasReferidas = ListaDeNomes();
        AcoesReferenciais(r);
    } else if (Aceitar("CHECK")) {
        if (Palavra("NOT") && Palavra("FOR", 1)) i_ += 3;
        r.tipo = "C";
        if (!Simbolo("(")) Erro();
        std::size_t f = Fecho(i_);
        r.texto = TextoEntre(i_, f + 1);
        i_ = f + 1;
    } else if (Aceitar("DEFAULT")) {
        r.tipo = "D";
        r.texto = EntreParenteses(Expressao());
        Esperar("FOR");
        r.colunas.push_back({Nome(), false});
        Aceitar("WITH") && Aceitar("VALUES");
    } else {
        return false;
    }
    return true;
}

void Analisador::PularWithOn() {
    if (Palavra("WITH") && Simbolo("(", 1)) i_ = Fecho(i_ + 1) + 1;
    if (Palavra("ON") && !Fim() && i_ + 1 < t_.size() && EhNome(t_[i_ + 1])) i_ += 2;
}

DefColuna Analisador::Coluna(bool soTipo) {
    DefColuna c;
    c.nome = Nome();
    // sysname is nvarchar(128) NOT NULL unless the column says NULL
    bool sysname = false;
    if (!soTipo && Aceitar("AS")) {
        LerCalculo(c);
    } else {
        sysname = EhPalavra(Atual(), "sysname");
        c.tipo = Tipo();
        c.tipoDoUsuario = tipoDoUsuario_;
    }
    for (;;) {
        if (Fim() || Simbolo(",") || Simbolo(")") || Simbolo(";")) break;
        if (Palavra("WITH") && Palavra("VALUES", 1)) {
            i_ += 2;
            c.comValores = true;
            continue;
        }
        // ALTER TABLE ... ADD ends where the batch's next statement begins
        if (IniciaInstrucao(Atual())) break;
        if (Palavra("IDENTITY")) {
            ++i_;
            c.identidade = true;
            if (AceitarSimbolo("(")) {
                c.semente = std::stoll(Numero());
                EsperarSimbolo(",");
                c.incremento = std::stoll(Numero());
                EsperarSimbolo(")");
            }
        } else if (Palavra("NOT") && Palavra("NULL", 1)) {
            i_ += 2;
            c.anulavel = false;
        } else if (Aceitar("NULL")) {
            c.anulavel = true;
        } else if (Aceitar("COLLATE")) {
            ColacaoConhecida(Nome());
        } else if (!c.calculo.empty() && Aceitar("PERSISTED")) {
            c.persistida = true;
        } else if (Aceitar("ROWGUIDCOL") || Aceitar("SPARSE")) {
        } else if (Palavra("NOT") && Palavra("FOR", 1)) {
            i_ += 3;
        } else if (soTipo) {
            break;
        } else {
            DefRestricao r;
            std::string nome;
            if (Aceitar("CONSTRAINT")) nome = Nome();
            r.nome = nome;
            if (Aceitar("DEFAULT")) {
                r.tipo = "D";
                r.texto = EntreParenteses(Expressao());
                r.colunas.push_back({c.nome, false});
            } else if (Palavra("PRIMARY")) {
                i_ += 1;
                Esperar("KEY");
                OpcoesDeIndice();
                r.tipo = "PK";
                r.colunas.push_back({c.nome, Aceitar("DESC")});
                Aceitar("ASC");
            } else if (Aceitar("UNIQUE")) {
                OpcoesDeIndice();
                r.tipo = "UQ";
                r.colunas.push_back({c.nome, false});
            } else if (Palavra("FOREIGN") || Palavra("REFERENCES")) {
                if (Aceitar("FOREIGN")) Esperar("KEY");
                Esperar("REFERENCES");
                r.tipo = "F";
                r.colunas.push_back({c.nome, false});
                r.tabelaReferida = NomeDeObjeto().Nome();
                if (Simbolo("(")) r.colunasReferidas = ListaDeNomes();
                AcoesReferenciais(r);
            } else if (Aceitar("CHECK")) {
                r.tipo = "C";
                if (!Simbolo("(")) Erro();
                std::size_t f = Fecho(i_);
                r.texto = TextoEntre(i_, f + 1);
                i_ = f + 1;
                r.colunas.push_back({c.nome, false});
            } else {
                Erro();
            }
            c.restricoes.push_back(std::move(r));
        }
    }
    if (sysname && !c.anulavel) c.anulavel = false;
    return c;
}

// WHERE of a filtered index, up to WITH (...) or ON: SQL Server keeps it as "([a]>(0) AND
// [b] IS NULL)", its names in brackets and its numbers in parentheses.
std::string Analisador::FiltroDoIndice() {
    const std::size_t inicio = i_;
    int nivel = 0;
    for (; !Fim() && !Simbolo(";"); ++i_) {
        if (Simbolo("(")) ++nivel;
        if (Simbolo(")")) --nivel;
        if (nivel == 0 && (Palavra("WITH") || Palavra("ON") || IniciaInstrucao(Atual()))) break;
    }
    if (i_ == inicio) Erro();
    LeitorDeExpressoes leitor(t_, inicio, i_);
    leitor.Expressao();
    leitor.ExigirFim();
    std::string s;
    for (std::size_t k = inicio; k < i_; ++k) {
        const Token& t = t_[k];
        const bool operador = t.tipo == TipoToken::Simbolo && t.texto != "(" && t.texto != ")";
        const bool anterior =
            k > inicio && t_[k - 1].tipo == TipoToken::Simbolo && t_[k - 1].texto != ")";
        if (k > inicio && !operador && !anterior && !EhSimbolo(t, ")")) s += " ";
        if (t.tipo == TipoToken::Numero)
            s += "(" + t.texto + ")";
        else if (EhNome(t) && !PalavraReservada(t))
            s += "[" + t.texto + "]";
        else if (t.tipo == TipoToken::Palavra)
            s += texto::Maiusculas(t.texto);
        else
            s += TextoEntre(k, k + 1);
    }
    return "(" + s + ")";
}

// nome AS expressão [PERSISTED [NOT NULL]]: a computed column. The expression runs to the
// column's end, or to PERSISTED or a constraint.
void Analisador::LerCalculo(DefColuna& c) {
    const std::size_t inicio = i_;
    int nivel = 0, casos = 0;
    for (; !Fim(); ++i_) {
        if (Simbolo("(")) ++nivel;
        if (Simbolo(")") && --nivel < 0) break;
        if (nivel > 0) continue;
        if (Palavra("CASE")) ++casos;
        if (casos > 0 && Palavra("END")) --casos;
        if (casos > 0) continue;
        if (Simbolo(",") || Palavra("PERSISTED") || Palavra("CONSTRAINT") || Palavra("PRIMARY") ||
            Palavra("UNIQUE") || Palavra("CHECK") || Palavra("REFERENCES") || Palavra("FOREIGN") ||
            IniciaInstrucao(Atual()))
            break;
    }
    if (i_ == inicio) Erro();
    LeitorDeExpressoes leitor(t_, inicio, i_);
    leitor.Expressao();
    leitor.ExigirFim();
    c.calculo = EntreParenteses(TextoEntre(inicio, i_));
}

std::string Analisador::Numero() {
    bool negativo = AceitarSimbolo("-");
    if (Fim() || Atual().tipo != TipoToken::Numero) Erro();
    return (negativo ? "-" : "") + t_[i_++].texto;
}

std::unique_ptr<Comando> Analisador::Criar() {
    std::size_t inicio = i_;
    ++i_;
    if (Aceitar("TABLE")) {
        auto [c, x] = Novo<instrucao::CriarTabela>(inicio);
        x->objeto = NomeDeObjeto();
        EsperarSimbolo("(");
        do {
            if (Simbolo(")")) break;
            DefRestricao r;
            std::size_t antes = i_;
            if (RestricaoDeTabela(r)) {
                x->restricoes.push_back(std::move(r));
            } else {
                i_ = antes;
                x->colunas.push_back(Coluna(false));
            }
        } while (AceitarSimbolo(","));
        EsperarSimbolo(")");
        PularWithOn();
        if (Aceitar("TEXTIMAGE_ON")) Nome();
        return c;
    }
    if (Palavra("UNIQUE") || Palavra("INDEX") || Palavra("CLUSTERED") || Palavra("NONCLUSTERED")) {
        auto [c, x] = Novo<instrucao::CriarIndice>(inicio);
        x->unico = Aceitar("UNIQUE");
        OpcoesDeIndice();
        Esperar("INDEX");
        x->nomeDoIndice = Nome();
        Esperar("ON");
        x->objeto = NomeDeObjeto();
        x->colunasDoIndice = ColunasDeIndice();
        if (Aceitar("INCLUDE")) x->incluidas = ListaDeNomes();
        if (Aceitar("WHERE")) x->filtro = FiltroDoIndice();
        PularWithOn();
        return c;
    }
    if (Palavra("PROC") || Palavra("PROCEDURE") || Palavra("TRIGGER") || Palavra("VIEW") ||
        Palavra("FUNCTION"))
        return ObjetoProgramado(inicio, false);
    if (Aceitar("DATABASE")) return CriarBanco(inicio);
    if (Aceitar("TYPE")) return CriarTipo(inicio);
    if (Aceitar("LOGIN")) return CriarLogin(inicio);
    if (Aceitar("USER")) {
        auto [c, x] = Novo<instrucao::CriarUsuario>(inicio);
        x->objeto.partes.push_back(Nome());
        if (Aceitar("FOR") || Aceitar("FROM")) {
            Esperar("LOGIN");
            x->login = Nome();
        } else if (Aceitar("WITHOUT")) {
            Esperar("LOGIN");
            x->semLogin = true;
        } else {
            x->login = x->objeto.Nome();
        }
        i_ = FimDaInstrucao(i_);
        return c;
    }
    if (Aceitar("ROLE")) {
        auto [c, x] = Novo<instrucao::CriarPapel>(inicio);
        x->objeto.partes.push_back(Nome());
        i_ = FimDaInstrucao(i_);
        return c;
    }
    Erro();
}

ArquivoDeclarado Analisador::Arquivo() {
    ArquivoDeclarado a;
    EsperarSimbolo("(");
    while (!Simbolo(")")) {
        std::string chave = Nome();
        EsperarSimbolo("=");
        std::string k = Dobrar(chave);
        if (k == "name") {
            a.nomeLogico = TextoOuNome();
        } else if (k == "filename") {
            a.nomeFisico = TextoOuNome();
        } else {
            bool ilimitado = false;
            std::int64_t v = 0;
            bool porcento = false;
            if (Aceitar("UNLIMITED")) {
                ilimitado = true;
            } else {
                v = std::stoll(Numero());
                std::int64_t fator = 1024;
                if (Aceitar("KB"))
                    fator = 1;
                else if (Aceitar("MB"))
                    fator = 1024;
                else if (Aceitar("GB"))
                    fator = 1024 * 1024;
                else if (Aceitar("TB"))
                    fator = 1024LL * 1024 * 1024;
                else if (AceitarSimbolo("%"))
                    porcento = true;
                if (!porcento) v *= fator;
            }
            if (k == "size")
                a.tamanhoKb = v;
            else if (k == "maxsize")
                a.maximoKb = ilimitado ? -1 : v;
            else if (k == "filegrowth") {
                a.crescimento = v;
                a.emPorcentagem = porcento;
            }
        }
        AceitarSimbolo(",");
    }
    EsperarSimbolo(")");
    return a;
}

std::unique_ptr<Comando> Analisador::CriarBanco(std::size_t inicio) {
    auto [c, x] = Novo<instrucao::CriarBanco>(inicio);
    x->objeto.partes.push_back(Nome());
    if (Aceitar("ON")) {
        Aceitar("PRIMARY");
        do {
            x->arquivosDeDados.push_back(Arquivo());
        } while (AceitarSimbolo(","));
    }
    if (Aceitar("LOG")) {
        Esperar("ON");
        do {
            x->arquivosDeLog.push_back(Arquivo());
        } while (AceitarSimbolo(","));
    }
    if (Aceitar("COLLATE")) ColacaoConhecida(Nome());
    i_ = FimDaInstrucao(i_);
    return c;
}

std::unique_ptr<Comando> Analisador::Alterar() {
    std::size_t inicio = i_;
    ++i_;
    if (Aceitar("TABLE")) {
        auto [c, x] = Novo<instrucao::AlterarTabela>(inicio);
        x->objeto = NomeDeObjeto();
        if (Palavra("WITH") && (Palavra("CHECK", 1) || Palavra("NOCHECK", 1))) {
            x->comVerificacao = Palavra("CHECK", 1);
            i_ += 2;
        }
        if (Aceitar("ADD")) {
            x->acao = AcaoAlterar::Adicionar;
            do {
                DefRestricao r;
                std::size_t antes = i_;
                if (RestricaoDeTabela(r)) {
                    x->restricoes.push_back(std::move(r));
                } else {
                    i_ = antes;
                    x->colunas.push_back(Coluna(false));
                }
            } while (AceitarSimbolo(","));
        } else if (Palavra("ALTER") && Palavra("COLUMN", 1)) {
            i_ += 2;
            x->acao = AcaoAlterar::AlterarColuna;
            x->colunas.push_back(Coluna(true));
        } else if (Aceitar("DROP")) {
            if (Aceitar("COLUMN")) {
                x->acao = AcaoAlterar::ExcluirColuna;
            } else {
                Aceitar("CONSTRAINT");
                x->acao = AcaoAlterar::ExcluirRestricao;
            }
            do {
                if (x->acao == AcaoAlterar::ExcluirRestricao && Aceitar("COLUMN")) Erro();
                x->nomes.push_back(Nome());
            } while (AceitarSimbolo(","));
        } else if (Palavra("CHECK") || Palavra("NOCHECK")) {
            x->acao = AcaoAlterar::Verificacao;
            x->ligado = Palavra("CHECK");  // CHECK enables, NOCHECK disables
            ++i_;
            Esperar("CONSTRAINT");
            if (!Aceitar("ALL")) do {
                    x->nomes.push_back(Nome());
                } while (AceitarSimbolo(","));
        } else if ((Palavra("ENABLE") || Palavra("DISABLE")) && Palavra("TRIGGER", 1)) {
            throw ErroDeBanco("O simulador de SQL Server não interpreta a instrução " +
                              texto::Maiusculas(Atual().texto) + " TRIGGER.");
        } else {
            Erro();
        }
        return c;
    }
    if (Palavra("PROC") || Palavra("PROCEDURE") || Palavra("TRIGGER") || Palavra("VIEW") ||
        Palavra("FUNCTION"))
        return ObjetoProgramado(inicio, true);
    if (Aceitar("DATABASE")) {
        auto [c, x] = Novo<instrucao::AlterarBanco>(inicio);
        x->objeto.partes.push_back(Nome());
        Esperar("SET");
        if (Aceitar("SINGLE_USER")) {
            x->modo = "SINGLE_USER";
        } else if (Aceitar("MULTI_USER")) {
            x->modo = "MULTI_USER";
        } else if (Aceitar("RECOVERY")) {
            x->modo = "RECOVERY";
            x->valor = PalavraEntre({"FULL", "BULK_LOGGED", "SIMPLE"});
        } else if (Aceitar("AUTO_SHRINK")) {
            x->modo = "AUTO_SHRINK";
            x->valor = PalavraEntre({"ON", "OFF"});
        } else {
            // an option whose effect the stand-in would not show is refused, not ignored
            if (Fim()) Erro();
            throw ErroDeBanco("O simulador de SQL Server não interpreta a opção '" + Atual().texto +
                              "' de ALTER DATABASE.");
        }
        if (Aceitar("WITH")) {
            if (Aceitar("ROLLBACK")) {
                x->comRollback = true;
                if (!Aceitar("IMMEDIATE")) {
                    Aceitar("AFTER");
                    if (!Fim()) ++i_;
                    Aceitar("SECONDS");
                }
            } else {
                Aceitar("NO_WAIT");
            }
        }
        i_ = FimDaInstrucao(i_);
        return c;
    }
    if (Aceitar("ROLE")) {
        auto [c, x] = Novo<instrucao::AlterarPapel>(inicio);
        x->papel = Nome();
        if (Aceitar("ADD"))
            x->adicionarMembro = true;
        else {
            Esperar("DROP");
            x->adicionarMembro = false;
        }
        Esperar("MEMBER");
        x->membro = Nome();
        return c;
    }
    if (Aceitar("LOGIN")) return AlterarLogin(inicio);
    if (Palavra("SERVER") && Palavra("ROLE", 1)) return AlterarPapelDoServidor(inicio);
    if (Palavra("USER")) {
        // Users keep their only schema, dbo, and no login change: refused when run,
        // never skipped.
        auto [c, x] = Novo<instrucao::NaoInterpretada>(inicio);
        x->instrucao = "ALTER USER";
        ++i_;
        Nome();
        if (Aceitar("WITH")) {
            do {  // NAME = ..., DEFAULT_SCHEMA = ..., LOGIN = ...
                Nome();
                EsperarSimbolo("=");
                if (Fim()) Erro();
                ++i_;
            } while (AceitarSimbolo(","));
        }
        return c;
    }
    Erro();
}

std::unique_ptr<Comando> Analisador::Soltar() {
    std::size_t inicio = i_;
    ++i_;
    auto seExistir = [&]() {
        if (Palavra("IF") && Palavra("EXISTS", 1)) {
            i_ += 2;
            return true;
        }
        return false;
    };
    if (Aceitar("TYPE")) {
        auto [c, x] = Novo<instrucao::ExcluirTipo>(inicio);
        x->seExistir = seExistir();
        x->objeto = NomeDeObjeto();
        return c;
    }
    if (Aceitar("TABLE")) {
        auto [c, x] = Novo<instrucao::ExcluirTabela>(inicio);
        x->seExistir = seExistir();
        do {
            x->nomes.push_back(NomeDeObjeto().Nome());
        } while (AceitarSimbolo(","));
        return c;
    }
    if (Aceitar("INDEX")) {
        auto [c, x] = Novo<instrucao::ExcluirIndice>(inicio);
        x->seExistir = seExistir();
        do {
            NomeComposto n = NomeDeObjeto();
            if (Aceitar("ON")) {
                NomeComposto t = NomeDeObjeto();
                x->indices.emplace_back(t, n.Nome());
            } else {
                if (n.partes.size() < 2)
                    throw ErroDeBanco("Incorrect syntax near '" + n.Nome() + "'.");
                std::string indice = n.partes.back();
                n.partes.pop_back();
                x->indices.emplace_back(n, indice);
            }
        } while (AceitarSimbolo(","));
        return c;
    }
    if (Palavra("PROC") || Palavra("PROCEDURE") || Palavra("TRIGGER") || Palavra("VIEW") ||
        Palavra("FUNCTION")) {
        auto [c, x] = Novo<instrucao::ExcluirObjeto>(inicio);
        if (Aceitar("PROC") || Aceitar("PROCEDURE"))
            x->tipoDeObjeto = "P";
        else if (Aceitar("TRIGGER"))
            x->tipoDeObjeto = "TR";
        else if (Aceitar("VIEW"))
            x->tipoDeObjeto = "V";
        else if (Aceitar("FUNCTION"))
            x->tipoDeObjeto = "FN";
        x->seExistir = seExistir();
        do {
            x->nomes.push_back(NomeDeObjeto().Nome());
        } while (AceitarSimbolo(","));
        return c;
    }
    if (Aceitar("DATABASE")) {
        auto [c, x] = Novo<instrucao::ExcluirBanco>(inicio);
        x->seExistir = seExistir();
        x->objeto.partes.push_back(Nome());
        return c;
    }
    if (Aceitar("USER")) {
        auto [c, x] = Novo<instrucao::ExcluirUsuario>(inicio);
        x->seExistir = seExistir();
        x->objeto.partes.push_back(Nome());
        return c;
    }
    Erro();
}

// The optional name after BEGIN/COMMIT/ROLLBACK/SAVE TRAN: a name or a variable.
std::string Analisador::NomeDaTransacao() {
    if (Fim()) return "";
    const Token& t = Atual();
    if (t.tipo == TipoToken::Variavel || (EhNome(t) && !IniciaInstrucao(t))) {
        ++i_;
        return t.texto;
    }
    return "";
}

std::unique_ptr<Comando> Analisador::Iniciar() {
    std::size_t inicio = i_;
    ++i_;
    if (Palavra("TRY")) return TentarCapturar(inicio);
    if (Aceitar("TRAN") || Aceitar("TRANSACTION") || (Palavra("DISTRIBUTED") && (i_ += 2))) {
        auto [c, x] = Novo<instrucao::IniciarTransacao>(inicio);
        x->nome = NomeDaTransacao();
        return std::move(c);
    }
    auto [c, x] = Novo<instrucao::Bloco>(inicio);
    while (!Palavra("END")) {
        if (Fim()) Erro();
        if (AceitarSimbolo(";")) continue;
        x->filhos.push_back(Filha());
    }
    if (x->filhos.empty()) Erro();  // BEGIN END holds at least one statement
    ++i_;
    return c;
}

std::unique_ptr<Comando> Analisador::Executar(std::size_t inicio) {
    auto [c, x] = Novo<instrucao::ExecutarProcedimento>(inicio);
    if (Fim()) Erro();
    if (Atual().tipo == TipoToken::Variavel && Simbolo("=", 1)) i_ += 2;  // @ret =
    if (Simbolo("(")) return ExecutarTexto(inicio);
    x->objeto = NomeDeObjeto();
    std::size_t fim = FimDaInstrucao(i_);
    while (i_ < fim) {
        std::string nome;
        if (Atual().tipo == TipoToken::Variavel && Simbolo("=", 1)) {
            nome = Atual().texto.substr(1);
            nomesDeArgumento_.insert(i_);  // the procedure's parameter, not a variable
            i_ += 2;
        }
        std::size_t ini = i_;
        int nivel = 0;
        while (i_ < fim && !(nivel == 0 && Simbolo(","))) {
            if (Simbolo("(")) ++nivel;
            if (Simbolo(")")) --nivel;
            ++i_;
        }
        std::size_t f = i_;
        if (f > ini && (EhPalavra(t_[f - 1], "OUTPUT") || EhPalavra(t_[f - 1], "OUT"))) --f;
        x->argumentos.emplace_back(nome, Faixa{ini, f});
        if (!AceitarSimbolo(",")) break;
    }
    i_ = fim;
    return c;
}

std::unique_ptr<Comando> Analisador::Definir() {
    std::size_t inicio = i_;
    ++i_;
    if (Aceitar("IDENTITY_INSERT")) {
        auto [c, x] = Novo<instrucao::IdentityInsert>(inicio);
        x->objeto = NomeDeObjeto();
        if (Aceitar("ON"))
            x->ligado = true;
        else
            Esperar("OFF");
        return c;
    }
    if (Aceitar("LOCK_TIMEOUT")) {
        auto [c, x] = Novo<instrucao::TempoDeBloqueio>(inicio);
        x->semLimite = AceitarSimbolo("-");  // negative: wait without limit
        if (Fim() || Atual().tipo != TipoToken::Numero) Erro();
        x->numero = {i_, i_ + 1};
        ++i_;
        return c;
    }
    if (Aceitar("DATEFORMAT")) {
        auto [c, x] = Novo<instrucao::DefinirFormatoDeData>(inicio);
        std::string nome = TextoOuNome();
        auto ordem = OrdemDeDataPeloNome(nome);
        if (!ordem) throw ErroDeBanco("SET DATEFORMAT date order '" + nome + "' is invalid.");
        x->ordem = *ordem;
        return c;
    }
    if (Aceitar("LANGUAGE")) {
        auto [c, x] = Novo<instrucao::DefinirFormatoDeData>(inicio);
        std::string nome = TextoOuNome();
        const Idioma* idioma = AcharIdioma(nome);
        if (!idioma)
            throw ErroDeBanco("O simulador de SQL Server não conhece o idioma '" + nome + "'.");
        x->ordem = idioma->ordem;
        x->idioma = idioma->nome;
        x->primeiroDia = idioma->primeiroDia;
        return c;
    }
    if (Aceitar("DATEFIRST")) {
        auto [c, x] = Novo<instrucao::DefinirFormatoDeData>(inicio);
        if (Fim() || Atual().tipo != TipoToken::Numero) Erro();
        const std::string n = Atual().texto;
        ++i_;
        x->primeiroDia = n.size() == 1 && n[0] >= '1' && n[0] <= '7' ? n[0] - '0' : 0;
        if (!x->primeiroDia)
            throw ErroDeBanco("SET DATEFIRST " + n + " is out of range.", 2741, 16, 1);
        return c;
    }
    if (!Fim() && Atual().tipo == TipoToken::Variavel) return Atribuir(inicio);
    auto c = Novo<instrucao::Ignorado>(inicio).first;
    i_ = FimDaInstrucao(i_, 0, 0);
    return c;
}

std::unique_ptr<Comando> Analisador::Conceder() {
    auto [c, x] = Novo<instrucao::Conceder>(i_);
    x->estado = Dobrar(Atual().texto) == "grant"  ? "GRANT"
                : Dobrar(Atual().texto) == "deny" ? "DENY"
                                                  : "REVOKE";
    ++i_;
    while (!Fim() && !Palavra("ON") && !Palavra("TO") && !Palavra("FROM")) {
        if (Simbolo(",")) {
            ++i_;
            continue;
        }
        std::string p = Nome();
        while (!Fim() && Atual().tipo == TipoToken::Palavra && !Palavra("ON") && !Palavra("TO") &&
               !Palavra("FROM") && !Simbolo(","))
            p += " " + t_[i_++].texto;
        if (Simbolo("(")) i_ = Fecho(i_) + 1;  // column list
        x->permissoes.push_back(p);
    }
    if (Aceitar("ON")) {
        if (Palavra("OBJECT") && Simbolo("::", 1)) i_ += 2;
        x->objeto = NomeDeObjeto();
    }
    if (!Aceitar("TO")) Esperar("FROM");
    do {
        x->principais.push_back(Nome());
    } while (AceitarSimbolo(","));
    i_ = FimDaInstrucao(i_);
    return c;
}

Faixa Analisador::Disco() {
    Esperar("DISK");
    EsperarSimbolo("=");
    std::size_t ini = i_;
    if (Fim()) Erro();
    ++i_;
    return {ini, i_};
}

std::unique_ptr<Comando> Analisador::Backup() {
    auto [c, x] = Novo<instrucao::Backup>(i_);
    ++i_;
    Esperar("DATABASE");
    x->objeto.partes.push_back(Nome());
    Esperar("TO");
    x->disco = Disco();
    if (Aceitar("WITH")) {
        do {
            if (Aceitar("INIT")) {
                x->iniciar = true;
            } else if (Aceitar("NOINIT")) {
                x->iniciar = false;
            } else if (Aceitar("FORMAT")) {
                x->formatar = true;
            } else if (Aceitar("NOFORMAT")) {
                x->formatar = false;
            } else {
                OpcaoIgnorada();  // NAME = ..., SKIP, STATS, CHECKSUM ...
            }
        } while (AceitarSimbolo(","));
    }
    i_ = FimDaInstrucao(i_);
    return c;
}

// One of the words an option takes, in upper case.
std::string Analisador::PalavraEntre(std::initializer_list<const char*> palavras) {
    for (const char* p : palavras)
        if (Aceitar(p)) return p;
    Erro();
}

// An option of BACKUP/RESTORE that changes nothing here: a word, "= value" maybe.
void Analisador::OpcaoIgnorada() {
    if (Fim() || Atual().tipo != TipoToken::Palavra) Erro();
    ++i_;
    if (AceitarSimbolo("=")) {
        if (Fim()) Erro();
        ++i_;
    }
}

// WITH FILE = n, the only option of FILELISTONLY and VERIFYONLY that matters here.
Faixa Analisador::OpcoesDeLeitura() {
    Faixa conjunto;
    if (!Aceitar("WITH")) return conjunto;
    do {
        if (Aceitar("FILE")) {
            EsperarSimbolo("=");
            if (Fim()) Erro();
            conjunto = {i_, i_ + 1};
            ++i_;
        } else {
            OpcaoIgnorada();  // NOUNLOAD, CHECKSUM, LOADHISTORY ...
        }
    } while (AceitarSimbolo(","));
    return conjunto;
}

std::unique_ptr<Comando> Analisador::Restaurar() {
    std::size_t inicio = i_;
    ++i_;
    if (Aceitar("FILELISTONLY")) {
        auto [c, x] = Novo<instrucao::RestaurarLista>(inicio);
        Esperar("FROM");
        x->disco = Disco();
        x->conjunto = OpcoesDeLeitura();
        i_ = FimDaInstrucao(i_);
        return c;
    }
    if (Aceitar("VERIFYONLY")) {
        auto [c, x] = Novo<instrucao::VerificarBackup>(inicio);
        Esperar("FROM");
        x->disco = Disco();
        x->conjunto = OpcoesDeLeitura();
        i_ = FimDaInstrucao(i_);
        return c;
    }
    Esperar("DATABASE");
    auto [c, x] = Novo<instrucao::Restaurar>(inicio);
    x->objeto.partes.push_back(Nome());
    Esperar("FROM");
    x->disco = Disco();
    if (Aceitar("WITH")) {
        do {
            if (Aceitar("REPLACE")) {
                x->substituir = true;
            } else if (Aceitar("MOVE")) {
                std::size_t a = i_++;
                Esperar("TO");
                std::size_t b = i_++;
                x->movimentos.emplace_back(Faixa{a, a + 1}, Faixa{b, b + 1});
            } else if (Aceitar("FILE")) {
                EsperarSimbolo("=");
                if (Fim()) Erro();
                x->conjunto = {i_, i_ + 1};
                ++i_;
            } else {
                OpcaoIgnorada();  // NOUNLOAD, RECOVERY, STATS ...
            }
        } while (AceitarSimbolo(","));
    }
    i_ = FimDaInstrucao(i_);
    return c;
}

std::vector<std::unique_ptr<Comando>> AnalisarLote(const std::vector<Token>& tokens,
                                                   const std::string& texto) {
    return Analisador(tokens, texto).Lote();
}

}  // namespace zolvek::simulador
