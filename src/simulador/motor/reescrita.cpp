#include "simulador/motor/reescrita.hpp"

#include <map>

#include "comum/erros.hpp"
#include "simulador/motor/colacao.hpp"

namespace zolvek::simulador {

namespace {

bool EhDica(const Token& t) {
    static const char* dicas[] = {"NOLOCK",       "READUNCOMMITTED", "ROWLOCK",  "UPDLOCK",
                                  "HOLDLOCK",     "TABLOCK",         "TABLOCKX", "READPAST",
                                  "XLOCK",        "PAGLOCK",         "NOWAIT",   "READCOMMITTED",
                                  "SERIALIZABLE", "REPEATABLEREAD"};
    for (const char* d : dicas)
        if (EhPalavra(t, d)) return true;
    return false;
}

const std::map<std::string, std::string>& Funcoes() {
    static const std::map<std::string, std::string> f = {
        {"getdate", "zv_getdate"},
        {"getutcdate", "zv_getutcdate"},
        {"sysdatetime", "zv_getdate"},
        {"current_timestamp", "zv_getdate"},
        {"suser_sname", "zv_suser_sname"},
        {"suser_name", "zv_suser_sname"},
        {"user_name", "zv_user_name"},
        {"is_member", "zv_is_member"},
        {"is_srvrolemember", "zv_is_srvrolemember"},
        {"object_id", "zv_object_id"},
        {"objectproperty", "zv_objectproperty"},
        {"object_name", "zv_object_name"},
        {"db_name", "zv_db_name"},
        {"db_id", "zv_db_id"},
        {"host_name", "zv_host_name"},
        {"app_name", "zv_app_name"},
        {"datediff", "zv_datediff"},
        {"dateadd", "zv_dateadd"},
        {"datepart", "zv_datepart"},
        {"year", "zv_year"},
        {"month", "zv_month"},
        {"day", "zv_day"},
        {"isnull", "ifnull"},
        {"len", "zv_len"},
        {"datalength", "length"},
        {"substring", "substr"},
        {"charindex", "zv_charindex"},
        {"left", "zv_left"},
        {"right", "zv_right"},
        {"ceiling", "zv_ceiling"},
        {"floor", "zv_floor"},
        {"power", "zv_power"},
        {"space", "zv_space"},
        {"replicate", "zv_replicate"},
        {"newid", "zv_newid"},
        {"serverproperty", "zv_serverproperty"},
        {"isnumeric", "zv_isnumeric"},
        {"upper", "zv_upper"},
        {"lower", "zv_lower"},
        {"scope_identity", "zv_identity"},
        {"count_big", "count"},
        {"ident_current", "zv_ident_current"},
        {"quotename", "zv_quotename"},
        {"str", "zv_str"},
        {"round", "zv_round"},
        {"convert", "zv_convert"},
        {"cast", "zv_cast"},
        {"has_dbaccess", "zv_has_dbaccess"},
        {"square", "zv_square"},
    };
    return f;
}

std::string NomeDeCatalogoLocal(const std::vector<std::string>& partes, ContextoDeReescrita& ctx);

// The SQLite name of a catalog view or table named with several parts. The views show
// this database's catalog: another database's is refused rather than shown wrong.
std::string NomeDeCatalogo(const std::vector<std::string>& partes, ContextoDeReescrita& ctx) {
    std::string nome = NomeDeCatalogoLocal(partes, ctx);
    const std::string ultimo = Dobrar(partes.back());
    const bool doServidor = ultimo == "sysprocesses" || ultimo == "sysdatabases" ||
                            ultimo == "databases" || ultimo == "dm_exec_sessions";
    const std::string banco = partes.size() >= 3 ? partes[partes.size() - 3] : "";
    if (!nome.empty() && !doServidor && !banco.empty() && ctx.esquemaDoBanco &&
        !ctx.esquemaDoBanco(banco).empty())
        throw ErroDeBanco("O simulador de SQL Server não lê o catálogo de outro banco ('" + banco +
                          "." + partes[partes.size() - 2] + "." + partes.back() + "'); use USE " +
                          banco + ".");
    return nome;
}

std::string NomeDeCatalogoLocal(const std::vector<std::string>& partes, ContextoDeReescrita& ctx) {
    std::vector<std::string> p;
    for (const auto& s : partes) p.push_back(Dobrar(s));
    const std::string& ultimo = p.back();
    if (ultimo == "sysprocesses") {
        ctx.usaProcessos = true;
        return "zv_sysprocesses";
    }
    if (ultimo == "sysdatabases") {
        ctx.usaBancos = true;
        return "zv_sysdatabases";
    }
    if (p.size() >= 2 && p[p.size() - 2] == "sys") {
        if (ultimo == "databases") ctx.usaBancos = true;
        if (ultimo == "sysprocesses" || ultimo == "dm_exec_sessions") ctx.usaProcessos = true;
        return "zv_sys_" + ultimo;
    }
    if (p.size() >= 2 && p[p.size() - 2] == "information_schema") return "zv_is_" + ultimo;
    return "";
}

// Tokens that end a run of terms joined by + (and so start a new one).
bool Terminador(const Token& t) {
    if (t.tipo == TipoToken::Simbolo)
        return t.texto == "," || t.texto == "=" || t.texto == "<" || t.texto == ">" ||
               t.texto == "<=" || t.texto == ">=" || t.texto == "<>" || t.texto == "!=" ||
               t.texto == "!<" || t.texto == "!>" || t.texto == ";";
    static const char* palavras[] = {
        "AND",    "OR",     "NOT",      "WHEN",   "THEN",   "ELSE",      "FROM",    "WHERE",
        "AS",     "ON",     "JOIN",     "IS",     "IN",     "LIKE",      "BETWEEN", "BY",
        "HAVING", "UNION",  "ALL",      "ASC",    "DESC",   "SET",       "VALUES",  "INTO",
        "EXISTS", "SELECT", "DISTINCT", "ESCAPE", "EXCEPT", "INTERSECT", "INNER",   "OUTER",
        "FULL",   "CROSS",  "GROUP",    "ORDER",  "COLLATE"};
    if (t.tipo != TipoToken::Palavra) return false;
    for (const char* p : palavras)
        if (EhPalavra(t, p)) return true;
    return false;
}

bool Comparacao(const Token& t) {
    if (t.tipo != TipoToken::Simbolo) return false;
    for (const char* op : {"=", "<>", "!=", "<", ">", "<=", ">=", "!<", "!>"})
        if (t.texto == op) return true;
    return false;
}

// A text literal compared with something that is not a plain column (a function's
// result, another literal, CASE ... END) would compare byte by byte in SQLite, which
// gives no collation to such values; SQL Server compares it in the database's
// collation. Beside a column the column's own collation (texts or dates) must win.
bool ComparadoSemColuna(const std::vector<Token>& t, std::size_t k, Faixa faixa) {
    auto semColuna = [&](const Token& x) {
        return x.tipo == TipoToken::Texto || x.tipo == TipoToken::TextoN ||
               (x.tipo == TipoToken::Simbolo && x.texto == ")") || EhPalavra(x, "END");
    };
    if (k >= faixa.inicio + 2 && Comparacao(t[k - 1]) && semColuna(t[k - 2])) return true;
    if (k + 2 < faixa.fim && Comparacao(t[k + 1])) {
        const Token& x = t[k + 2];
        if (x.tipo == TipoToken::Texto || x.tipo == TipoToken::TextoN) return true;
        if (x.tipo == TipoToken::Simbolo && x.texto == "(") return true;
        if (x.tipo == TipoToken::Palavra && k + 3 < faixa.fim && t[k + 3].texto == "(") return true;
    }
    return false;
}

struct Escopo {
    int nivel = 0;
    std::string limite;
};

}  // namespace

std::string BancoDoNome(const std::vector<std::string>& partes) {
    if (partes.size() < 3) return "";
    const std::string& banco = partes[partes.size() - 3];
    const std::string esquema = Dobrar(partes[partes.size() - 2]);
    // schema.table.column reads as a column; only dbo (or nothing) stands for a schema
    if (banco.empty() || Dobrar(banco) == "dbo" || !(esquema.empty() || esquema == "dbo"))
        return "";
    return banco;
}

std::vector<int> NumerarParametros(const std::vector<Token>& tokens) {
    std::vector<int> r(tokens.size(), -1);
    int n = 0;
    for (std::size_t k = 0; k < tokens.size(); ++k)
        if (tokens[k].tipo == TipoToken::Parametro) r[k] = ++n;
    return r;
}

namespace {

std::string ReescreverFaixa(const std::vector<Token>& t, Faixa faixa, ContextoDeReescrita& ctx);

bool EncerraItemDaSelecao(const Token& x) {
    for (const char* p :
         {"FROM", "INTO", "WHERE", "GROUP", "HAVING", "ORDER", "UNION", "EXCEPT", "INTERSECT"})
        if (EhPalavra(x, p)) return true;
    return false;
}

// T-SQL's "SELECT Nome = expressao": the same as "expressao AS Nome". Returns the
// tokens in that order, with the parameter number of each, or false when there is
// none of these items.
bool ApelidosComIgual(const std::vector<Token>& t, Faixa faixa, const std::vector<int>* ordinais,
                      std::vector<Token>& saida, std::vector<int>& numeros) {
    bool achou = false;
    saida.clear();
    numeros.clear();
    std::vector<bool> naSelecao{false};  // per parenthesis level
    auto copiar = [&](std::size_t k) {
        saida.push_back(t[k]);
        numeros.push_back(ordinais && k < ordinais->size() ? (*ordinais)[k] : -1);
    };
    for (std::size_t k = faixa.inicio; k < faixa.fim; ++k) {
        const Token& x = t[k];
        bool inicioDeItem = false;
        if (x.tipo == TipoToken::Simbolo && x.texto == "(") {
            naSelecao.push_back(false);
        } else if (x.tipo == TipoToken::Simbolo && x.texto == ")") {
            if (naSelecao.size() > 1) naSelecao.pop_back();
        } else if (EhPalavra(x, "SELECT")) {
            naSelecao.back() = true;
            inicioDeItem = true;
        } else if (naSelecao.back() && EncerraItemDaSelecao(x)) {
            naSelecao.back() = false;
        } else if (naSelecao.back() && x.tipo == TipoToken::Simbolo && x.texto == ",") {
            inicioDeItem = true;
        }
        copiar(k);
        if (!inicioDeItem) continue;
        std::size_t j = k + 1;
        // DISTINCT and TOP n / TOP (n) come before the first item
        if (EhPalavra(x, "SELECT")) {
            if (j < faixa.fim && (EhPalavra(t[j], "DISTINCT") || EhPalavra(t[j], "ALL"))) {
                copiar(j);
                ++j;
            }
            if (j < faixa.fim && EhPalavra(t[j], "TOP")) {
                copiar(j++);
                if (j < faixa.fim && t[j].tipo == TipoToken::Simbolo && t[j].texto == "(") {
                    while (j < faixa.fim && !(t[j].tipo == TipoToken::Simbolo && t[j].texto == ")"))
                        copiar(j++);
                }
                if (j < faixa.fim) copiar(j++);
            }
        }
        bool nome = j + 1 < faixa.fim &&
                    (t[j].tipo == TipoToken::Palavra || t[j].tipo == TipoToken::Colchete ||
                     t[j].tipo == TipoToken::Aspas || t[j].tipo == TipoToken::Texto) &&
                    t[j + 1].tipo == TipoToken::Simbolo && t[j + 1].texto == "=";
        if (!nome) {
            k = j - 1;
            continue;
        }
        // the expression runs to the next comma or clause at this level
        std::size_t fimDoItem = j + 2;
        int nivel = 0;
        for (; fimDoItem < faixa.fim; ++fimDoItem) {
            const Token& y = t[fimDoItem];
            if (y.tipo == TipoToken::Simbolo && y.texto == "(") ++nivel;
            if (y.tipo == TipoToken::Simbolo && y.texto == ")") {
                if (nivel == 0) break;
                --nivel;
            }
            if (nivel == 0 &&
                ((y.tipo == TipoToken::Simbolo && y.texto == ",") || EncerraItemDaSelecao(y)))
                break;
        }
        for (std::size_t m = j + 2; m < fimDoItem; ++m) copiar(m);
        Token como{TipoToken::Palavra, "AS", t[j].inicio, t[j].inicio};
        saida.push_back(como);
        numeros.push_back(-1);
        Token apelido = t[j];
        if (apelido.tipo == TipoToken::Texto) apelido.tipo = TipoToken::Colchete;
        saida.push_back(apelido);
        numeros.push_back(-1);
        achou = true;
        k = fimDoItem - 1;
    }
    return achou;
}

}  // namespace

std::string Reescrever(const std::vector<Token>& t, Faixa faixa, ContextoDeReescrita& ctx) {
    std::vector<Token> u;
    std::vector<int> numeros;
    if (!ApelidosComIgual(t, faixa, ctx.ordinais, u, numeros))
        return ReescreverFaixa(t, faixa, ctx);
    ContextoDeReescrita outro = ctx;
    outro.ordinais = &numeros;
    std::string s = ReescreverFaixa(u, Faixa{0, u.size()}, outro);
    ctx.usaProcessos = outro.usaProcessos;
    ctx.usaBancos = outro.usaBancos;
    return s;
}

namespace {

std::string ReescreverFaixa(const std::vector<Token>& t, Faixa faixa, ContextoDeReescrita& ctx) {
    std::string s;
    auto emitir = [&](const std::string& x) {
        if (!s.empty() && s.back() != '(' && x != ")" && x != "," && x != "." && !(s.back() == '.'))
            s += ' ';
        s += x;
    };
    std::vector<Escopo> escopos;
    std::vector<int> casts;  // paren levels of open CAST( calls
    int nivel = 0;
    auto fecharEscopos = [&](int ate) {
        while (!escopos.empty() && escopos.back().nivel >= ate) {
            if (!escopos.back().limite.empty()) emitir("LIMIT " + escopos.back().limite);
            escopos.pop_back();
        }
    };
    const std::size_t fim = faixa.fim;
    // T-SQL's + adds numbers and joins texts: each run of terms joined by + at one level
    // becomes zv_mais(zv_mais(a, b), c).
    struct Soma {
        std::size_t inicio;
        int pendentes = 0;
        bool caso = false;
    };
    std::vector<Soma> somas{{0, 0, false}};
    auto fecharSomas = [&]() {
        for (; somas.back().pendentes > 0; --somas.back().pendentes) s += ')';
    };
    auto operando = [&](std::size_t k) {
        if (k <= faixa.inicio) return false;
        const Token& a = t[k - 1];
        return a.tipo != TipoToken::Simbolo
                   ? !(a.tipo == TipoToken::Palavra && Terminador(a)) || EhPalavra(a, "END")
                   : a.texto == ")";
    };
    auto corpo = [&](std::size_t& k) {
        const Token& tk = t[k];
        switch (tk.tipo) {
            case TipoToken::Texto:
            case TipoToken::TextoN:
                if (ComparadoSemColuna(t, k, faixa))
                    emitir("(" + ComoTexto(tk.texto) + " COLLATE " + kColacao + ")");
                else
                    emitir(ComoTexto(tk.texto));
                return;
            case TipoToken::Numero:
                emitir(tk.texto);
                return;
            case TipoToken::Binario:
                emitir("X'" + tk.texto.substr(2) + "'");
                return;
            case TipoToken::Parametro:
                emitir("?" + std::to_string(ctx.ordinais ? (*ctx.ordinais)[k] : 1));
                return;
            case TipoToken::Variavel: {
                std::string v = Dobrar(tk.texto);
                if (v == "@@identity")
                    emitir("zv_identity()");
                else if (v == "@@rowcount")
                    emitir("changes()");
                else if (v == "@@version")
                    emitir("zv_version()");
                else if (v == "@@spid")
                    emitir("zv_spid()");
                else if (v == "@@servername")
                    emitir("zv_servername()");
                else if (v == "@@trancount")
                    emitir("zv_trancount()");
                else if (v == "@@error")
                    emitir("0");
                else
                    throw ErroDeBanco("Must declare the scalar variable \"" + tk.texto + "\".");
                return;
            }
            case TipoToken::Simbolo: {
                if (tk.texto == "(") {
                    ++nivel;
                    emitir("(");
                } else if (tk.texto == ")") {
                    fecharEscopos(nivel);
                    if (!casts.empty() && casts.back() == nivel) casts.pop_back();
                    --nivel;
                    emitir(")");
                } else if (tk.texto == "!<") {
                    emitir(">=");
                } else if (tk.texto == "!>") {
                    emitir("<=");
                } else if (tk.texto == ".") {
                    s += '.';
                } else if (tk.texto == ";") {
                    // statement ends: nothing to send
                } else {
                    emitir(tk.texto);
                }
                return;
            }
            case TipoToken::Colchete:
            case TipoToken::Aspas:
            case TipoToken::Palavra:
                break;
        }
        // Names and keywords.
        if (tk.tipo == TipoToken::Palavra) {
            if (EhPalavra(tk, "SELECT")) {
                emitir(tk.texto);
                escopos.push_back({nivel, ""});
                std::size_t j = k + 1;
                if (j < fim && (EhPalavra(t[j], "DISTINCT") || EhPalavra(t[j], "ALL"))) {
                    emitir(t[j].texto);
                    ++j;
                }
                if (j < fim && EhPalavra(t[j], "TOP")) {
                    ++j;
                    std::string limite;
                    if (j < fim && EhSimbolo(t[j], "(")) {
                        int n = 0;
                        std::size_t a = j;
                        for (; j < fim; ++j) {
                            if (EhSimbolo(t[j], "(")) ++n;
                            if (EhSimbolo(t[j], ")") && --n == 0) break;
                        }
                        ContextoDeReescrita sub = ctx;
                        limite = Reescrever(t, {a, j + 1}, sub);
                        ++j;
                    } else if (j < fim) {
                        ContextoDeReescrita sub = ctx;
                        limite = Reescrever(t, {j, j + 1}, sub);
                        ++j;
                    }
                    if (j < fim && EhPalavra(t[j], "PERCENT")) ++j;
                    if (j + 1 < fim && EhPalavra(t[j], "WITH") && EhPalavra(t[j + 1], "TIES"))
                        j += 2;
                    escopos.back().limite = limite;
                }
                k = j - 1;
                return;
            }
            if (EhPalavra(tk, "UNION") || EhPalavra(tk, "EXCEPT") || EhPalavra(tk, "INTERSECT")) {
                fecharEscopos(nivel);
                emitir(tk.texto);
                return;
            }
            if (EhPalavra(tk, "WITH") && k + 2 < fim && EhSimbolo(t[k + 1], "(") &&
                EhDica(t[k + 2])) {
                int n = 0;
                for (++k; k < fim; ++k) {
                    if (EhSimbolo(t[k], "(")) ++n;
                    if (EhSimbolo(t[k], ")") && --n == 0) break;
                }
                return;
            }
            if (EhPalavra(tk, "AS") && !casts.empty() && casts.back() == nivel) {
                // CAST(x AS type): the type goes as the second argument
                std::size_t a = k + 1, j = a;
                int n = 0;
                for (; j < fim; ++j) {
                    if (EhSimbolo(t[j], "(")) ++n;
                    if (EhSimbolo(t[j], ")")) {
                        if (n == 0) break;
                        --n;
                    }
                }
                std::string tipo;
                for (std::size_t q = a; q < j; ++q) tipo += t[q].texto;
                emitir(",");
                emitir(ComoTexto(tipo));
                k = j - 1;
                return;
            }
            if (EhPalavra(tk, "CURRENT_TIMESTAMP")) {
                emitir("zv_getdate()");
                return;
            }
            if (EhPalavra(tk, "SYSTEM_USER")) {
                emitir("zv_suser_sname()");
                return;
            }
            if (EhPalavra(tk, "CURRENT_USER")) {
                emitir("zv_user_name()");
                return;
            }
        }
        // A name of one or more parts.
        std::vector<std::string> partes{tk.texto};
        std::size_t j = k + 1;
        while (j + 1 < fim && EhSimbolo(t[j], ".")) {
            if (EhSimbolo(t[j + 1], ".")) {
                partes.push_back("");
                ++j;
                continue;
            }
            if (!EhNome(t[j + 1]) && !EhSimbolo(t[j + 1], "*")) break;
            partes.push_back(t[j + 1].texto);
            j += 2;
        }
        bool chamada = j < fim && EhSimbolo(t[j], "(") && tk.tipo == TipoToken::Palavra;
        if (chamada && j + 1 < fim && EhDica(t[j + 1])) {
            // T(NOLOCK), ORIGEM..T(NOLOCK)
            std::string nome = NomeDeCatalogo(partes, ctx);
            std::string esquema;
            if (const std::string banco = BancoDoNome(partes);
                nome.empty() && !banco.empty() && ctx.esquemaDoBanco)
                esquema = ctx.esquemaDoBanco(banco);
            emitir(!nome.empty()     ? nome
                   : esquema.empty() ? ComoIdentificador(partes.back())
                                     : esquema + "." + ComoIdentificador(partes.back()));
            int n = 0;
            for (k = j; k < fim; ++k) {
                if (EhSimbolo(t[k], "(")) ++n;
                if (EhSimbolo(t[k], ")") && --n == 0) break;
            }
            return;
        }
        if (chamada) {
            std::string nome = Dobrar(partes.back());
            auto it = Funcoes().find(nome);
            std::string sq = it == Funcoes().end() ? partes.back() : it->second;
            emitir(sq);
            s += '(';
            ++nivel;
            k = j;
            if (nome == "datediff" || nome == "dateadd" || nome == "datepart") {
                if (k + 1 < fim && EhNome(t[k + 1])) {
                    s += ComoTexto(Dobrar(t[k + 1].texto));
                    ++k;
                }
            } else if (nome == "convert") {
                std::size_t a = k + 1, q = a;
                int n = 0;
                std::string tipo;
                for (; q < fim; ++q) {
                    if (EhSimbolo(t[q], "(")) ++n;
                    if (EhSimbolo(t[q], ")")) --n;
                    if (n == 0 && EhSimbolo(t[q], ",")) break;
                    tipo += t[q].texto;
                }
                s += ComoTexto(tipo);
                k = q - 1;
            } else if (nome == "cast") {
                casts.push_back(nivel);
            }
            return;
        }
        std::string catalogo = NomeDeCatalogo(partes, ctx);
        if (!catalogo.empty()) {
            emitir(catalogo);
        } else {
            // dbo.T names a table of this database, DB.dbo.T and DB..T one of DB (this
            // one or another, attached under its own schema); a.b is alias.column
            std::size_t primeiro = 0;
            std::string esquema;
            if (partes.size() >= 3) {
                primeiro = partes.size() - 1;
                const std::string banco = BancoDoNome(partes);
                if (!banco.empty() && ctx.esquemaDoBanco) esquema = ctx.esquemaDoBanco(banco);
            } else if (partes.size() == 2 && Dobrar(partes[0]) == "dbo")
                primeiro = 1;
            std::string nome;
            for (std::size_t q = primeiro; q < partes.size(); ++q) {
                if (!nome.empty()) nome += '.';
                if (partes[q] == "*")
                    nome += "*";
                else if (tk.tipo == TipoToken::Palavra && partes.size() == 1)
                    nome += partes[q];
                else
                    nome += ComoIdentificador(partes[q]);
            }
            emitir(esquema.empty() ? nome : esquema + "." + nome);
        }
        k = j - 1;
    };
    for (std::size_t k = faixa.inicio; k < fim; ++k) {
        const Token& tk = t[k];
        bool binario = operando(k);
        if (EhSimbolo(tk, "+") && binario) {
            fecharSomas();
            std::size_t p = somas.back().inicio;
            bool junto = p == 0 || s[p - 1] == '(' || s[p - 1] == ' ';
            s.insert(p, junto ? "zv_mais(" : " zv_mais(");
            s += ',';
            ++somas.back().pendentes;
            continue;
        }
        if (EhSimbolo(tk, ")") || (EhPalavra(tk, "END") && somas.back().caso)) {
            fecharSomas();
            if (somas.size() > 1) somas.pop_back();
        } else if ((EhSimbolo(tk, "-") && binario) || Terminador(tk)) {
            fecharSomas();
        }
        int antes = nivel;
        std::size_t inicial = k;
        corpo(k);
        for (int n = antes; n < nivel; ++n) somas.push_back({s.size(), 0, false});
        if (EhPalavra(t[inicial], "CASE")) somas.push_back({s.size(), 0, true});
        if (Terminador(t[inicial]) || EhPalavra(t[inicial], "SELECT"))
            somas.back().inicio = s.size();
    }
    while (!somas.empty()) {
        fecharSomas();
        somas.pop_back();
    }
    fecharEscopos(0);
    return s;
}

}  // namespace

}  // namespace zolvek::simulador
