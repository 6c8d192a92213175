#include "simulador/motor/leitura/analisador_de_expressoes.hpp"

#include <algorithm>
#include <cctype>
#include <optional>

#include "comum/erros.hpp"
#include "simulador/motor/mensagens/falhas.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"
#include "simulador/motor/tipos/registro_das_funcoes.hpp"

namespace zolvek::simulador {

namespace {

// SQL Server refuses deeper nesting (parentheses, calls, subqueries, CASE); the limit also
// keeps the reader's recursion off the stack's end. A flat chain (a + b + c ..., x = 1 OR
// x = 2 ...) is read in a loop and costs no nesting; the height of the tree it makes has
// a limit of its own (AlturaDoNo).
constexpr int kProfundidadeMaxima = 256;

bool EhComparacao(const Token& t) {
    if (t.tipo != TipoToken::Simbolo) return false;
    for (const char* op : {"=", "<>", "!=", "<", ">", "<=", ">=", "!<", "!>"})
        if (t.texto == op) return true;
    return false;
}

// $12.34, $-5: a money constant; "-" or "+" with no digits is no number.
Expr LiteralDeMoeda(std::string digitos) {
    if (!digitos.empty() && digitos[0] == '+') digitos.erase(0, 1);
    if (digitos.find_first_of("0123456789") == std::string::npos)
        throw ErroDoServidor(102, {"'$'"});
    Literal l{Literal::Tipo::Numero, std::move(digitos), false};
    l.moeda = true;
    return Nova(std::move(l));
}

}  // namespace

LeitorDeExpressoes::Nivel::Nivel(int& n) : n_(n) {
    if (++n_ > kProfundidadeMaxima) throw ErroDeAninhamento();
}

LeitorDeExpressoes::Nivel::~Nivel() {
    --n_;
}

LeitorDeExpressoes::LeitorDeExpressoes(const std::vector<Token>& tokens, std::size_t inicio,
                                       std::size_t fim, const std::vector<int>* ordinais)
    : t_(tokens), i_(inicio), fim_(std::min(fim, tokens.size())), ordinais_(ordinais) {}

bool LeitorDeExpressoes::Palavra(const char* p, std::size_t k) const {
    return i_ + k < fim_ && EhPalavra(t_[i_ + k], p);
}

bool LeitorDeExpressoes::Simbolo(const char* s, std::size_t k) const {
    return i_ + k < fim_ && EhSimbolo(t_[i_ + k], s);
}

bool LeitorDeExpressoes::Aceitar(const char* p) {
    if (!Palavra(p)) return false;
    ++i_;
    return true;
}

bool LeitorDeExpressoes::AceitarSimbolo(const char* s) {
    if (!Simbolo(s)) return false;
    ++i_;
    return true;
}

void LeitorDeExpressoes::Esperar(const char* p) {
    if (!Aceitar(p)) Erro();
}

void LeitorDeExpressoes::EsperarSimbolo(const char* s) {
    if (!AceitarSimbolo(s)) Erro();
}

void LeitorDeExpressoes::Erro() const {
    // past the run, the token that follows it in the batch is the one SQL Server names
    ErroDeSintaxe(t_, i_);
}

ErroDeBanco ErroDeSintaxeEm(const std::vector<Token>& tokens, std::size_t i) {
    if (i >= tokens.size()) return ErroDoServidor(102, {"the end of the batch"});
    const Token& t = tokens[i];
    if (t.tipo == TipoToken::Palavra && PalavraReservada(t)) return ErroDoServidor(156, {t.texto});
    return ErroDoServidor(102, {std::string("'") + t.texto + "'"});
}

void ErroDeSintaxe(const std::vector<Token>& tokens, std::size_t i) {
    throw ErroDeSintaxeEm(tokens, i);
}

bool LeitorDeExpressoes::NoFim() const {
    std::size_t k = i_;
    while (k < fim_ && EhSimbolo(t_[k], ";")) ++k;
    return k >= fim_;
}

void LeitorDeExpressoes::ExigirFim() {
    if (!NoFim()) Erro();
    i_ = fim_;
}

bool LeitorDeExpressoes::NomeLivre(std::size_t k) const {
    return i_ + k < fim_ && EhNome(t_[i_ + k]) && !PalavraReservada(t_[i_ + k]);
}

// a, a.b, a.b.c, a..c (the empty part stands for dbo), t.*
std::vector<std::string> LeitorDeExpressoes::NomeComPartes() {
    std::vector<std::string> partes;
    if (!NomeLivre()) Erro();
    partes.push_back(t_[i_++].texto);
    while (Simbolo(".")) {
        ++i_;
        if (Simbolo(".")) {
            partes.emplace_back();
            continue;
        }
        if (Simbolo("*")) {
            partes.emplace_back("*");
            ++i_;
            break;
        }
        if (Fim() || !EhNome(t_[i_])) Erro();
        partes.push_back(t_[i_++].texto);
    }
    return partes;
}

// AS x, x, AS 'x', 'x' (a text names a column too)
std::string LeitorDeExpressoes::Apelido() {
    bool como = Aceitar("AS");
    if (!Fim() && (t_[i_].tipo == TipoToken::Texto || t_[i_].tipo == TipoToken::TextoN))
        return t_[i_++].texto;
    if (NomeLivre()) return t_[i_++].texto;
    if (como) Erro();
    return "";
}

// Whether the parentheses at k hold a query, ((SELECT ...)) and (SELECT ...) UNION (...)
// included, rather than a join of table sources.
bool LeitorDeExpressoes::ConsultaEntreParenteses(std::size_t k) const {
    if (k + 1 >= fim_) return false;
    if (EhPalavra(t_[k + 1], "SELECT") || EhPalavra(t_[k + 1], "WITH")) return true;
    if (!EhSimbolo(t_[k + 1], "(") || !ConsultaEntreParenteses(k + 1)) return false;
    int nivel = 0;
    std::size_t j = k + 1;
    for (; j < fim_; ++j) {
        if (EhSimbolo(t_[j], "(")) ++nivel;
        if (EhSimbolo(t_[j], ")") && --nivel == 0) break;
    }
    return j + 1 < fim_ && (EhSimbolo(t_[j + 1], ")") || EhPalavra(t_[j + 1], "UNION") ||
                            EhPalavra(t_[j + 1], "EXCEPT") || EhPalavra(t_[j + 1], "INTERSECT") ||
                            EhPalavra(t_[j + 1], "ORDER"));
}

bool LeitorDeExpressoes::IniciaConsulta() const {
    std::size_t k = i_;
    while (k < fim_ && EhSimbolo(t_[k], "(")) ++k;
    return k < fim_ && (EhPalavra(t_[k], "SELECT") || EhPalavra(t_[k], "WITH"));
}

Expr LeitorDeExpressoes::Expressao() {
    return Ou();
}

Expr LeitorDeExpressoes::Ou() {
    Expr e = E();
    while (Aceitar("OR")) e = Nova(Binaria{"OR", std::move(e), E()});
    return e;
}

Expr LeitorDeExpressoes::E() {
    Expr e = Nao();
    while (Aceitar("AND")) e = Nova(Binaria{"AND", std::move(e), Nao()});
    return e;
}

Expr LeitorDeExpressoes::Nao() {
    if (Aceitar("NOT")) {
        Nivel n(profundidade_);
        return Nova(Unaria{"NOT", Nao()});
    }
    return Predicado();
}

Expr LeitorDeExpressoes::Predicado() {
    if (Aceitar("EXISTS")) {
        Nivel n(profundidade_);
        EsperarSimbolo("(");
        auto q = LerConsulta();
        EsperarSimbolo(")");
        return Nova(Existe{std::move(q)});
    }
    Expr e = Soma();
    for (;;) {
        if (!Fim() && EhComparacao(t_[i_])) {
            std::string op = t_[i_++].texto;
            if (Palavra("ALL") || Palavra("ANY") || Palavra("SOME")) {
                e = Quantificada(std::move(e), std::move(op));
                continue;
            }
            e = Nova(Binaria{op, std::move(e), Soma()});
            continue;
        }
        if (Aceitar("IS")) {
            bool negado = Aceitar("NOT");
            Esperar("NULL");
            e = Nova(EhNulo{std::move(e), negado});
            continue;
        }
        bool negado =
            Palavra("NOT") && (Palavra("IN", 1) || Palavra("LIKE", 1) || Palavra("BETWEEN", 1));
        if (negado) ++i_;
        if (Aceitar("IN")) {
            Nivel n(profundidade_);
            Em em{std::move(e), negado, {}, nullptr, {}, false};
            EsperarSimbolo("(");
            if (IniciaConsulta()) {
                em.consulta = LerConsulta();
            } else {
                do em.lista.push_back(Expressao());
                while (AceitarSimbolo(","));
            }
            EsperarSimbolo(")");
            e = Nova(std::move(em));
        } else if (Aceitar("LIKE")) {
            Semelhante s{std::move(e), Soma(), nullptr, negado};
            if (Aceitar("ESCAPE")) s.escape = Soma();
            e = Nova(std::move(s));
        } else if (Aceitar("BETWEEN")) {
            Expr de = Soma();
            Esperar("AND");
            e = Nova(Entre{std::move(e), std::move(de), Soma(), negado});
        } else {
            return e;
        }
    }
}

// x op ALL|ANY|SOME (SELECT ...), the comparison read up to its quantifier.
Expr LeitorDeExpressoes::Quantificada(Expr valor, std::string comparacao) {
    Nivel n(profundidade_);
    Em em{std::move(valor), false, {}, nullptr, std::move(comparacao), Palavra("ALL")};
    ++i_;
    EsperarSimbolo("(");
    if (!IniciaConsulta()) Erro();
    em.consulta = LerConsulta();
    EsperarSimbolo(")");
    return Nova(std::move(em));
}

// A value where T-SQL takes no condition (a select item): a comparison, IS, IN, LIKE,
// BETWEEN, NOT, AND or OR after it is a syntax error there, as EXISTS before it is.
Expr LeitorDeExpressoes::Escalar() {
    Expr e = Soma();
    if (!Fim() && (EhComparacao(t_[i_]) || Palavra("IS") || Palavra("IN") || Palavra("LIKE") ||
                   Palavra("BETWEEN") || Palavra("NOT") || Palavra("AND") || Palavra("OR")))
        Erro();
    return e;
}

Expr LeitorDeExpressoes::Soma() {
    Expr e = Produto();
    for (;;) {
        const char* op = nullptr;
        for (const char* s : {"+", "-", "&", "|", "^"})
            if (Simbolo(s)) op = s;
        if (!op) return e;
        ++i_;
        e = Nova(Binaria{op, std::move(e), Produto()});
    }
}

Expr LeitorDeExpressoes::Produto() {
    Expr e = Unario();
    for (;;) {
        const char* op = nullptr;
        for (const char* s : {"*", "/", "%"})
            if (Simbolo(s)) op = s;
        if (!op) return e;
        ++i_;
        e = Nova(Binaria{op, std::move(e), Unario()});
    }
}

Expr LeitorDeExpressoes::Unario() {
    for (const char* op : {"-", "+", "~"}) {
        if (AceitarSimbolo(op)) {
            Nivel n(profundidade_);
            return Nova(Unaria{op, Unario()});
        }
    }
    Expr e = Primario();
    while (Aceitar("COLLATE")) {
        if (Fim() || !EhNome(t_[i_])) Erro();
        e = Nova(ComColacao{std::move(e), t_[i_++].texto});
    }
    return e;
}

std::optional<Literal> LiteralDe(const Token& t) {
    switch (t.tipo) {
        case TipoToken::Texto:
        case TipoToken::TextoN:
            return Literal{Literal::Tipo::Texto, t.texto, t.tipo == TipoToken::TextoN};
        case TipoToken::Numero:
            if (t.texto.empty() || t.texto[0] == '$') return std::nullopt;
            return Literal{Literal::Tipo::Numero, t.texto, false};
        case TipoToken::Binario:
            return Literal{Literal::Tipo::Binario, t.texto, false};
        default:
            return std::nullopt;
    }
}

Expr LiteralDoToken(const Token& t) {
    auto l = LiteralDe(t);
    return l ? Nova(std::move(*l)) : nullptr;
}

Expr LeitorDeExpressoes::Primario() {
    if (Fim()) Erro();
    Nivel n(profundidade_);
    const Token& tk = t_[i_];
    switch (tk.tipo) {
        case TipoToken::Texto:
        case TipoToken::TextoN:
        case TipoToken::Binario:
            ++i_;
            return LiteralDoToken(tk);
        case TipoToken::Numero:
            ++i_;
            if (tk.texto[0] == '$') return LiteralDeMoeda(tk.texto.substr(1));
            return LiteralDoToken(tk);
        case TipoToken::Parametro: {
            std::size_t k = i_++;
            int numero = ordinais_ && k < ordinais_->size() ? (*ordinais_)[k] : 1;
            return Nova(Parametro{numero});
        }
        case TipoToken::Variavel:
            ++i_;
            return Nova(Variavel{tk.texto});
        case TipoToken::Simbolo:
            if (tk.texto == "(") {
                ++i_;
                if (IniciaConsulta()) {
                    auto q = LerConsulta();
                    EsperarSimbolo(")");
                    Expr sub = Nova(Subconsulta{std::move(q)});
                    if (Simbolo(".") && i_ + 1 < fim_ && t_[i_ + 1].tipo == TipoToken::Palavra)
                        return LerMetodoXml(std::move(sub));
                    return sub;
                }
                Expr dentro = Expressao();
                EsperarSimbolo(")");
                return Nova(Parenteses{std::move(dentro)});
            }
            if (tk.texto == "*") {
                ++i_;
                return Nova(Coluna{{"*"}, false});
            }
            Erro();
        case TipoToken::Palavra:
        case TipoToken::Colchete:
        case TipoToken::Aspas:
            break;
    }
    if (EhPalavra(tk, "NULL")) {
        ++i_;
        return Nova(Literal{Literal::Tipo::Nulo, "NULL", false});
    }
    if (EhPalavra(tk, "CASE")) return LerCaso();
    for (const char* p : {"CURRENT_TIMESTAMP", "SYSTEM_USER", "CURRENT_USER", "SESSION_USER"}) {
        if (EhPalavra(tk, p)) {
            ++i_;
            return Nova(Niladica{p});
        }
    }
    // reserved words that are also functions
    // UPDATE(col) tells a trigger whether the statement set the column
    if ((EhPalavra(tk, "LEFT") || EhPalavra(tk, "RIGHT") || EhPalavra(tk, "CONVERT") ||
         EhPalavra(tk, "USER") || EhPalavra(tk, "UPDATE")) &&
        Simbolo("(", 1)) {
        ++i_;
        return Chamar({tk.texto});
    }
    return NomeOuChamada();
}

Expr LeitorDeExpressoes::NomeOuChamada() {
    bool citada = t_[i_].tipo != TipoToken::Palavra;
    std::vector<std::string> partes = NomeComPartes();
    if (partes.back() != "*" && Simbolo("(")) return Chamar(std::move(partes));
    return Nova(Coluna{std::move(partes), citada});
}

Expr LeitorDeExpressoes::Chamar(std::vector<std::string> nome) {
    EsperarSimbolo("(");
    Chamada c;
    std::string chave = Dobrar(nome.back());
    const FuncaoEmbutida* f = nome.size() == 1 ? FuncaoEmbutidaDe(chave) : nullptr;
    const FormaDaChamada forma = f ? f->forma : FormaDaChamada::Comum;
    if (forma == FormaDaChamada::ParteDeData) {
        if (Fim() || !EhNome(t_[i_])) Erro();
        c.parteDeData = Dobrar(t_[i_++].texto);
        if (!Simbolo(")")) EsperarSimbolo(",");
    }
    const bool comoCast = forma == FormaDaChamada::TipoAoFim;
    if (forma == FormaDaChamada::TipoPrimeiro) {
        c.tipo = LerTipo();
        EsperarSimbolo(",");
    }
    if (Simbolo("*")) {
        ++i_;
        c.estrela = true;
    } else if (!Simbolo(")")) {
        if (Aceitar("DISTINCT"))
            c.distinto = true;
        else
            Aceitar("ALL");
        do {
            // dbo.f(1, DEFAULT): a user function's parameter takes its default
            if (nome.size() > 1 && Palavra("DEFAULT") && (Simbolo(",", 1) || Simbolo(")", 1))) {
                ++i_;
                c.argumentos.push_back(Nova(Niladica{"DEFAULT"}));
            } else {
                c.argumentos.push_back(Expressao());
            }
        } while (AceitarSimbolo(","));
        if (comoCast) {
            Esperar("AS");
            c.tipo = LerTipo();
            // PARSE(texto AS tipo USING 'pt-BR'): the culture is a second argument
            if ((chave == "parse" || chave == "try_parse") && Aceitar("USING"))
                c.argumentos.push_back(Expressao());
        }
    }
    EsperarSimbolo(")");
    if (comoCast && c.tipo.empty()) Erro();
    if (Palavra("WITHIN") && Palavra("GROUP", 1)) {
        i_ += 2;
        EsperarSimbolo("(");
        Esperar("ORDER");
        c.noGrupo = LerOrdem();
        EsperarSimbolo(")");
    }
    if (Aceitar("OVER")) c.sobre = LerJanela();
    c.nome = std::move(nome);
    return Nova(std::move(c));
}

// int, decimal(18, 4), nvarchar(max), [varchar](10): written without blanks
std::string LeitorDeExpressoes::LerTipo() {
    if (Fim() || !EhNome(t_[i_])) Erro();
    std::string tipo = t_[i_++].texto;
    while (NomeLivre() && !Simbolo("(") && !EhPalavra(t_[i_], "USING"))
        tipo += " " + t_[i_++].texto;  // double precision
    if (AceitarSimbolo("(")) {
        tipo += "(";
        for (bool primeiro = true; !AceitarSimbolo(")"); primeiro = false) {
            if (!primeiro) {
                EsperarSimbolo(",");
                tipo += ",";
            }
            if (Fim() || (t_[i_].tipo != TipoToken::Numero && !EhPalavra(t_[i_], "MAX"))) Erro();
            tipo += t_[i_++].texto;
        }
        tipo += ")";
    }
    return tipo;
}

std::unique_ptr<Janela> LeitorDeExpressoes::LerJanela() {
    auto j = std::make_unique<Janela>();
    EsperarSimbolo("(");
    if (Aceitar("PARTITION")) {
        Esperar("BY");
        do j->particao.push_back(Expressao());
        while (AceitarSimbolo(","));
    }
    if (Aceitar("ORDER")) j->ordem = LerOrdem();
    if (Palavra("ROWS") || Palavra("RANGE")) LerMoldura(*j);
    EsperarSimbolo(")");
    return j;
}

// after ORDER: BY a [ASC|DESC], ...
std::vector<OrdemDe> LeitorDeExpressoes::LerOrdem() {
    Esperar("BY");
    std::vector<OrdemDe> ordem;
    do {
        OrdemDe o{Expressao(), false};
        if (Aceitar("DESC"))
            o.decrescente = true;
        else
            Aceitar("ASC");
        ordem.push_back(std::move(o));
    } while (AceitarSimbolo(","));
    return ordem;
}

Expr LeitorDeExpressoes::LerCaso() {
    Esperar("CASE");
    Caso c;
    if (!Palavra("WHEN")) c.base = Expressao();
    if (!Palavra("WHEN")) Erro();
    while (Aceitar("WHEN")) {
        Expr quando = Expressao();
        Esperar("THEN");
        c.ramos.emplace_back(std::move(quando), Expressao());
    }
    if (Aceitar("ELSE")) c.senao = Expressao();
    Esperar("END");
    return Nova(std::move(c));
}

}  // namespace zolvek::simulador
