// Queries: WITH's named queries, SELECT and its set operators, ORDER BY ... OFFSET, the
// select list, and the FROM list with its joins, derived tables, table values and hints.

#include <optional>

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "simulador/motor/leitura/analisador_de_expressoes.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

// Table hints: locking hints change nothing on the engine's single writer.
bool EhDica(const Token& t) {
    static const char* dicas[] = {
        "NOLOCK",       "READUNCOMMITTED", "ROWLOCK", "UPDLOCK",      "HOLDLOCK", "TABLOCK",
        "TABLOCKX",     "READPAST",        "XLOCK",   "PAGLOCK",      "NOWAIT",   "READCOMMITTED",
        "SERIALIZABLE", "REPEATABLEREAD",  "INDEX",   "FASTFIRSTROW", "NOEXPAND", "FORCESEEK"};
    for (const char* d : dicas)
        if (EhPalavra(t, d)) return true;
    return false;
}

}  // namespace

std::vector<ConsultaNomeada> LeitorDeExpressoes::LerCom() {
    std::vector<ConsultaNomeada> com;
    // before a data change its queries are no statement's own: SELECT ... INTO is refused
    std::optional<Nivel> n;
    if (profundidade_ == 0) n.emplace(profundidade_);
    Esperar("WITH");
    do {
        ConsultaNomeada cte;
        if (Fim() || !EhNome(t_[i_])) Erro();
        cte.nome = t_[i_++].texto;
        if (AceitarSimbolo("(")) {
            do {
                if (Fim() || !EhNome(t_[i_])) Erro();
                cte.colunas.push_back(t_[i_++].texto);
            } while (AceitarSimbolo(","));
            EsperarSimbolo(")");
        }
        Esperar("AS");
        EsperarSimbolo("(");
        cte.consulta = LerConsulta();
        EsperarSimbolo(")");
        com.push_back(std::move(cte));
    } while (AceitarSimbolo(","));
    return com;
}

std::unique_ptr<Consulta> LeitorDeExpressoes::LerConsulta() {
    Nivel n(profundidade_);
    // the query's height is its expressions' (AlturaDoNo); the enclosing query's counts them too
    struct Altura {
        int fora = TomarMaiorAltura();
        int dentro = 0;
        ~Altura() { TomarMaiorAltura(std::max(fora, dentro)); }
    } altura;
    auto q = std::make_unique<Consulta>();
    if (Palavra("WITH")) q->com = LerCom();
    for (;;) {
        Ramo r;
        if (AceitarSimbolo("(")) {
            r.consulta = LerConsulta();
            EsperarSimbolo(")");
        } else {
            r.selecao = LerSelecao();
        }
        q->ramos.push_back(std::move(r));
        std::string op;
        if (Aceitar("UNION"))
            op = Aceitar("ALL") ? "UNION ALL" : "UNION";
        else if (Aceitar("EXCEPT"))
            op = "EXCEPT";
        else if (Aceitar("INTERSECT"))
            op = "INTERSECT";
        else
            break;
        q->operadores.push_back(op);
    }
    if (Aceitar("ORDER")) {
        q->ordem = LerOrdem();
        if (Aceitar("OFFSET")) {
            q->deslocamento = Soma();
            if (!Aceitar("ROWS")) Esperar("ROW");
            if (Aceitar("FETCH")) {
                if (!Aceitar("NEXT")) Esperar("FIRST");
                q->busca = Soma();
                if (!Aceitar("ROWS")) Esperar("ROW");
                Esperar("ONLY");
            }
        }
    }
    if (Palavra("FOR") && (Palavra("XML", 1) || Palavra("JSON", 1) || Palavra("BROWSE", 1)))
        q->xml = LerParaXml();
    altura.dentro = q->altura = TomarMaiorAltura();
    return q;
}

std::unique_ptr<Selecao> LeitorDeExpressoes::LerSelecao() {
    Esperar("SELECT");
    auto s = std::make_unique<Selecao>();
    if (Aceitar("DISTINCT"))
        s->distinto = true;
    else
        Aceitar("ALL");
    if (Aceitar("TOP")) {
        if (Simbolo("(") && ConsultaEntreParenteses(i_)) {
            s->topo = Primario();  // TOP (SELECT ...): the subquery's value
        } else if (AceitarSimbolo("(")) {
            s->topo = Expressao();
            EsperarSimbolo(")");
        } else {
            s->topo = Primario();
        }
        s->porcento = Aceitar("PERCENT");
        if (Aceitar("WITH")) {
            Esperar("TIES");
            s->comEmpates = true;
        }
    }
    do s->itens.push_back(LerItem());
    while (AceitarSimbolo(","));
    // SELECT ... INTO t: only the statement's own query makes a table (the generator
    // refuses it elsewhere)
    if (Palavra("INTO") && profundidade_ == 1) {
        ++i_;
        // a table variable is no table SELECT ... INTO makes
        if (Fim() || !EhNome(t_[i_]) || t_[i_].tipo == TipoToken::Variavel) Erro();
        s->destino = NomeComPartes();
        if (s->destino.back() == "*") Erro();
    }
    if (Aceitar("FROM")) s->de = LerFontes();
    if (Aceitar("WHERE")) s->onde = Expressao();
    if (Aceitar("GROUP")) {
        Esperar("BY");
        LerAgrupamento(*s);
    }
    if (Aceitar("HAVING")) s->tendo = Expressao();
    return s;
}

ItemDaSelecao LeitorDeExpressoes::LerItem() {
    ItemDaSelecao item;
    // T-SQL's "Nome = expressao" names the column as "expressao AS Nome" does
    bool nomeComIgual =
        i_ + 1 < fim_ &&
        (NomeLivre() || t_[i_].tipo == TipoToken::Texto || t_[i_].tipo == TipoToken::TextoN) &&
        EhSimbolo(t_[i_ + 1], "=");
    // SELECT @v = expressao assigns the variable instead of returning a column
    if (i_ + 1 < fim_ && t_[i_].tipo == TipoToken::Variavel && EhSimbolo(t_[i_ + 1], "=")) {
        item.variavel = t_[i_].texto;
        i_ += 2;
        item.expressao = Escalar();
        return item;
    }
    if (nomeComIgual) {
        item.apelido = t_[i_].texto;
        i_ += 2;
        item.expressao = Escalar();
        return item;
    }
    item.expressao = Escalar();
    item.apelido = Apelido();
    return item;
}

std::vector<Juncao> LeitorDeExpressoes::LerFontes() {
    std::vector<Juncao> r;
    r.push_back({"", LerFonte(), nullptr});
    for (;;) {
        std::string tipo;
        if (AceitarSimbolo(",")) {
            tipo = ",";
        } else if (Aceitar("CROSS")) {
            if (!Aceitar("APPLY")) Esperar("JOIN");
            tipo = EhPalavra(t_[i_ - 1], "APPLY") ? "CROSS APPLY" : "CROSS JOIN";
        } else if (Aceitar("INNER") || Palavra("JOIN")) {
            Esperar("JOIN");
            tipo = "JOIN";
        } else if (Palavra("LEFT") || Palavra("RIGHT") || Palavra("FULL")) {
            tipo = texto::Maiusculas(t_[i_++].texto) + " JOIN";
            Aceitar("OUTER");
            Esperar("JOIN");
        } else if (Palavra("OUTER") && Palavra("APPLY", 1)) {
            i_ += 2;
            tipo = "OUTER APPLY";
        } else {
            return r;
        }
        Juncao j{tipo, LerFonte(), nullptr};
        if (tipo != "," && tipo != "CROSS JOIN" && tipo != "CROSS APPLY" && tipo != "OUTER APPLY") {
            Esperar("ON");
            j.condicao = Expressao();
        }
        r.push_back(std::move(j));
    }
}

Fonte LeitorDeExpressoes::LerFonte() {
    Nivel n(profundidade_);
    Fonte f;
    if (Simbolo("(") && !Palavra("VALUES", 1) && !ConsultaEntreParenteses(i_)) {
        // (a JOIN b ON ...): a join of its own, with no name
        ++i_;
        f.juncoes = LerFontes();
        EsperarSimbolo(")");
        return f;
    }
    if (AceitarSimbolo("(")) {
        if (Aceitar("VALUES")) {
            LerValores(f);
            EsperarSimbolo(")");
        } else {
            f.derivada = LerConsulta();
            EsperarSimbolo(")");
        }
    } else if (!Fim() && t_[i_].tipo == TipoToken::Variavel) {  // a table variable
        f.nome = {t_[i_++].texto};
    } else {
        f.nome = NomeComPartes();
        if (f.nome.back() == "*") Erro();
        if (Simbolo("(")) {
            // T(NOLOCK) and [T] (NOLOCK) are hints; anything else is a function's rows
            if (i_ + 1 < fim_ && EhDica(t_[i_ + 1])) {
                LerDicas();
            } else {
                f.funcao = Chamar(std::move(f.nome));
                f.nome.clear();
            }
        }
    }
    RecusarAmostra();
    f.apelido = Apelido();
    // a derived table goes by a name; at the end of the batch SQL Server names its ')'
    if (f.derivada && f.apelido.empty()) ErroDeSintaxe(t_, i_ < t_.size() ? i_ : i_ - 1);
    RecusarAmostra();
    if (!f.apelido.empty() && f.nome.empty() && AceitarSimbolo("(")) {
        do {
            if (Fim() || !EhNome(t_[i_])) Erro();
            for (const auto& nome : f.colunasDoApelido)
                if (IguaisCiAs(nome, t_[i_].texto))
                    throw ErroDoServidor(8156, {t_[i_].texto, f.apelido});
            f.colunasDoApelido.push_back(t_[i_++].texto);
        } while (AceitarSimbolo(","));
        EsperarSimbolo(")");
    }
    if (!f.valores.empty()) ExigirNomesDosValores(f);
    if (Aceitar("WITH")) {
        if (!Simbolo("(")) Erro();
        LerDicas();
    } else if (Simbolo("(") && !f.nome.empty()) {
        LerDicas();
    }
    if (Palavra("PIVOT") || Palavra("UNPIVOT")) f.pivo = LerPivo();
    return f;
}

// TABLESAMPLE picks rows at random by pages, which SQLite has not: no sample is made up.
void LeitorDeExpressoes::RecusarAmostra() const {
    if (Palavra("TABLESAMPLE")) throw Recusa("O simulador de SQL Server não aceita TABLESAMPLE.");
}

// (VALUES (a, b), (c, d)): rows of values, each of as many as the first.
void LeitorDeExpressoes::LerValores(Fonte& f) {
    do {
        EsperarSimbolo("(");
        std::vector<Expr> linha;
        do linha.push_back(Escalar());
        while (AceitarSimbolo(","));
        EsperarSimbolo(")");
        if (!f.valores.empty() && linha.size() != f.valores[0].size()) throw ErroDoServidor(10709);
        f.valores.push_back(std::move(linha));
    } while (AceitarSimbolo(","));
}

// A table of values is named, and so is each of its columns.
void LeitorDeExpressoes::ExigirNomesDosValores(const Fonte& f) const {
    if (f.apelido.empty()) Erro();
    const std::size_t n = f.valores[0].size();
    if (f.colunasDoApelido.empty()) throw ErroDoServidor(8155, {"1", f.apelido});
    if (f.colunasDoApelido.size() < n) throw ErroDoServidor(8158, {f.apelido});
    if (f.colunasDoApelido.size() > n) throw ErroDoServidor(8159, {f.apelido});
}

// (NOLOCK, READUNCOMMITTED, INDEX(x), ...): locking hints change nothing on one connection
void LeitorDeExpressoes::LerDicas() {
    EsperarSimbolo("(");

    do {
        if (Fim() || !EhDica(t_[i_])) Erro();
        bool indice = Palavra("INDEX");
        ++i_;
        if (indice) {
            if (AceitarSimbolo("=")) {
                ++i_;
            } else {
                EsperarSimbolo("(");
                while (!Fim() && !Simbolo(")")) ++i_;
                EsperarSimbolo(")");
            }
        }
    } while (AceitarSimbolo(","));
    EsperarSimbolo(")");
}

Clausulas LeitorDeExpressoes::LerClausulas() {
    Clausulas c;
    if (Aceitar("FROM")) c.de = LerFontes();
    if (Aceitar("WHERE")) c.onde = Expressao();
    return c;
}
}  // namespace zolvek::simulador
