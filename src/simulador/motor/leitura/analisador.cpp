#include <string_view>
#include <unordered_set>
#include <utility>

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "simulador/motor/leitura/analisador.hpp"
#include "simulador/motor/leitura/lote.hpp"
#include "simulador/motor/leitura/verificacao_do_corpo.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"

namespace zolvek::simulador {

bool IniciaInstrucao(const Token& t) {
    static const char* palavras[] = {
        "INSERT", "UPDATE",     "DELETE",    "CREATE", "ALTER",    "DROP",   "IF",
        "ELSE",   "EXEC",       "EXECUTE",   "GRANT",  "DENY",     "REVOKE", "BEGIN",
        "COMMIT", "ROLLBACK",   "DECLARE",   "PRINT",  "USE",      "BACKUP", "RESTORE",
        "WHILE",  "RETURN",     "TRUNCATE",  "SET",    "END",      "SELECT", "KILL",
        "WITH",   "MERGE",      "SAVE",      "BREAK",  "CONTINUE", "OPEN",   "FETCH",
        "CLOSE",  "DEALLOCATE", "RAISERROR", "GOTO",   "WAITFOR",  "THROW",  "CHECKPOINT",
        "DBCC"};
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
        r.back()->recente = std::exchange(recente_, {});
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
    throw ErroDoServidor(102, {"'('"});
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

// One statement of the batch, read by the first reader whose keyword it starts with. The
// readers are tried in a fixed order: a label, procedural T-SQL, data, definitions,
// control of flow and transactions, then the administrative statements.
std::unique_ptr<Comando> Analisador::Instrucao(bool primeiro) {
    std::size_t inicio = i_;
    primeiro_ = primeiro;
    if (emCorpo_ && Palavra("USE")) throw ErroDoServidor(154);
    std::unique_ptr<Comando> c;
    if (EhRotulo(i_)) {  // a GOTO's label: nothing to run
        c = Novo<instrucao::Ignorado>(inicio).first;
        rotulos_.push_back(i_);
        i_ += 2;
    } else {
        c = InstrucaoProcedural();
        if (!c) c = InstrucaoDeDados(inicio);
        if (!c) c = InstrucaoDeDefinicao();
        if (!c) c = InstrucaoDeControle(inicio);
        if (!c) c = InstrucaoAdministrativa(inicio);
        if (!c) c = InstrucaoSemPalavraConhecida(inicio, primeiro);
    }
    c->faixa.fim = i_;
    return c;
}

// CREATE, ALTER and DROP; null for any other statement.
std::unique_ptr<Comando> Analisador::InstrucaoDeDefinicao() {
    if (Palavra("CREATE")) return Criar();
    if (Palavra("ALTER")) return Alterar();
    if (Palavra("DROP")) return Soltar();
    return nullptr;
}

// IF, BEGIN, COMMIT, ROLLBACK, SAVE and EXEC; null for any other statement.
std::unique_ptr<Comando> Analisador::InstrucaoDeControle(std::size_t inicio) {
    if (Palavra("IF")) return Se();
    if (Palavra("BEGIN")) return Iniciar();
    if (Palavra("COMMIT")) return ConfirmarTransacao(inicio);
    if (Palavra("ROLLBACK")) return DesfazerTransacao(inicio);
    if (Palavra("SAVE")) return SalvarTransacao(inicio);
    if (Palavra("EXEC") || Palavra("EXECUTE")) {
        ++i_;
        return Executar(inicio);
    }
    return nullptr;
}

// SET, GRANT, DENY, REVOKE, BACKUP, RESTORE, USE, KILL, WAITFOR, CHECKPOINT and the DBCC
// commands the engine runs; null for any other statement.
std::unique_ptr<Comando> Analisador::InstrucaoAdministrativa(std::size_t inicio) {
    if (Palavra("SET")) return Definir();
    if (Palavra("GRANT") || Palavra("DENY") || Palavra("REVOKE")) return Conceder();
    if (Palavra("BACKUP")) return Backup();
    if (Palavra("RESTORE")) return Restaurar();
    if (Palavra("USE")) return Usar(inicio);
    if (Palavra("KILL")) return Matar(inicio);
    if (Palavra("WAITFOR") && (Palavra("DELAY", 1) || Palavra("TIME", 1))) return Aguardar(inicio);
    if (Palavra("CHECKPOINT")) return PontoDeControle(inicio);
    if (Palavra("DBCC") && (Palavra("CHECKIDENT", 1) || Palavra("CHECKDB", 1))) return Dbcc(inicio);
    return nullptr;
}

// What no reader took: a statement the engine refuses, a procedure called without EXEC,
// or bad syntax.
std::unique_ptr<Comando> Analisador::InstrucaoSemPalavraConhecida(std::size_t inicio,
                                                                  bool primeiro) {
    if (!emCorpo_ && (Palavra("ENABLE") || Palavra("DISABLE")) && Palavra("TRIGGER", 1))
        throw Recusa("O simulador de SQL Server não interpreta a instrução " +
                     texto::Maiusculas(Atual().texto) + " TRIGGER.");
    if (!Fim() && NaoInterpretada(Atual())) {
        // SQL Server accepts it; it is refused when it runs
        auto [n, x] = Novo<instrucao::NaoInterpretada>(inicio);
        x->instrucao = texto::Maiusculas(Atual().texto);
        if (x->instrucao == "GOTO") {
            if (i_ + 1 >= t_.size() || !EhNome(t_[i_ + 1])) ErroDeSintaxe(t_, i_ + 1);
            destinos_.push_back(i_ + 1);
        }
        i_ = FimDaInstrucao(i_ + 1);
        return n;
    }
    if (primeiro && !Fim() && EhNome(Atual()) && !IniciaInstrucao(Atual())) {
        // A procedure called without EXEC, allowed as a batch's first statement.
        return Executar(inicio);
    }
    if (!Fim() && Atual().tipo == TipoToken::Palavra && !EhPalavra(Atual(), "GO") &&
        !(emCorpo_ && !NaoInterpretada(Atual()))) {
        // GO separates batches for the tools; to the server it is bad syntax (Erro)
        throw Recusa("O simulador de SQL Server não interpreta a instrução " + Atual().texto + ".");
    }
    Erro();
}

std::unique_ptr<Comando> Analisador::Usar(std::size_t inicio) {
    ++i_;
    auto [c, x] = Novo<instrucao::Usar>(inicio);
    x->objeto.partes.push_back(Nome());
    return c;
}

std::unique_ptr<Comando> Analisador::Matar(std::size_t inicio) {
    ++i_;
    auto [c, x] = Novo<instrucao::Matar>(inicio);
    if (Fim() || (Atual().tipo != TipoToken::Numero && Atual().tipo != TipoToken::Texto &&
                  Atual().tipo != TipoToken::TextoN))
        Erro();
    if (Atual().tipo == TipoToken::Numero) {
        const std::string& n = Atual().texto;
        if (n.find_first_not_of("0123456789") != std::string::npos) Erro();
        x->sessao = n.size() > 10 ? INT64_MAX : std::stoll(n);
    }
    ++i_;
    return c;
}

// WAITFOR DELAY or TIME, and the text or variable that says how long or until when.
std::unique_ptr<Comando> Analisador::Aguardar(std::size_t inicio) {
    auto [c, x] = Novo<instrucao::Esperar>(inicio);
    x->hora = Palavra("TIME", 1);
    i_ += 2;
    if (Fim() || (Atual().tipo != TipoToken::Texto && Atual().tipo != TipoToken::TextoN &&
                  Atual().tipo != TipoToken::Variavel))
        Erro();
    x->valor = ExpressaoDe({i_, i_ + 1});
    ++i_;
    return c;
}

std::unique_ptr<Comando> Analisador::PontoDeControle(std::size_t inicio) {
    auto c = Novo<instrucao::PontoDeControle>(inicio).first;
    ++i_;
    if (!Fim() && Atual().tipo == TipoToken::Numero) ++i_;
    return c;
}

std::unique_ptr<Comando> Analisador::Executar(std::size_t inicio) {
    auto [c, x] = Novo<instrucao::ExecutarProcedimento>(inicio);
    if (Fim()) Erro();
    if (Atual().tipo == TipoToken::Variavel && Simbolo("=", 1)) {  // @ret =
        x->retorno = Atual().texto;
        i_ += 2;
    }
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
        const bool saida =
            f > ini && (EhPalavra(t_[f - 1], "OUTPUT") || EhPalavra(t_[f - 1], "OUT"));
        if (saida) --f;
        x->argumentos.push_back(Argumento(std::move(nome), Faixa{ini, f}, saida));
        if (!AceitarSimbolo(",")) break;
    }
    i_ = fim;
    return c;
}

// A value of EXEC proc, read now; OUTPUT takes only a variable.
instrucao::ArgumentoDaChamada Analisador::Argumento(std::string nome, Faixa f, bool saida) {
    instrucao::ArgumentoDaChamada a;
    a.nome = std::move(nome);
    if (f.Vazia()) return a;
    const Token& t = t_[f.inicio];
    const bool sozinho = f.fim == f.inicio + 1;
    if (saida && !(sozinho && t.tipo == TipoToken::Variavel)) throw ErroDoServidor(179);
    if (saida) a.saida = t.texto;
    a.textoSemN = t.tipo == TipoToken::Texto;
    a.padrao = sozinho && EhPalavra(t, "DEFAULT");
    a.valor = a.padrao ? ExpressaoLida{f, nullptr, nullptr} : ExpressaoOuPalavra(f);
    return a;
}

namespace {

// The names a batch may give a table or alias: those not followed by ".".
std::vector<std::string> NomesDeFontes(const std::vector<Token>& t) {
    std::vector<std::string> r;
    std::unordered_set<std::string_view> vistos;
    for (std::size_t k = 0; k < t.size(); ++k)
        if (EhNome(t[k]) && !(k + 1 < t.size() && EhSimbolo(t[k + 1], ".")) &&
            vistos.insert(t[k].texto).second)
            r.push_back(t[k].texto);
    return r;
}

}  // namespace

LoteLido AnalisarLote(const std::vector<Token>& tokens, const std::string& texto) {
    LoteLido lido;
    lido.comandos = Analisador(tokens, texto).Lote();
    lido.fontes = NomesDeFontes(tokens);
    return lido;
}

}  // namespace zolvek::simulador
