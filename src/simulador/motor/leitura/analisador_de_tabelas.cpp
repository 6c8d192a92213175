// The pieces of CREATE TABLE and ALTER TABLE: columns, their types' DEFAULT values,
// constraints, computed columns and the indexes they make.

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "simulador/motor/leitura/analisador.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

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

// One item of the list of CREATE TABLE or ALTER TABLE ADD: a table's constraint, or else a
// column, read again from the item's start.
void Analisador::ColunaOuRestricao(std::vector<DefColuna>& colunas,
                                   std::vector<DefRestricao>& restricoes) {
    DefRestricao r;
    std::size_t antes = i_;
    if (RestricaoDeTabela(r)) {
        restricoes.push_back(std::move(r));
    } else {
        i_ = antes;
        colunas.push_back(Coluna(false));
    }
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
            c.restricoes.push_back(RestricaoDeColuna(c.nome));
        }
    }
    if (sysname && !c.anulavel) c.anulavel = false;
    return c;
}

// A constraint written with its column ([CONSTRAINT nome] DEFAULT, PRIMARY KEY, UNIQUE,
// REFERENCES or CHECK), which applies to that column alone.
DefRestricao Analisador::RestricaoDeColuna(const std::string& coluna) {
    DefRestricao r;
    std::string nome;
    if (Aceitar("CONSTRAINT")) nome = Nome();
    r.nome = nome;
    if (Aceitar("DEFAULT")) {
        r.tipo = "D";
        r.texto = EntreParenteses(Expressao());
        r.colunas.push_back({coluna, false});
    } else if (Palavra("PRIMARY")) {
        i_ += 1;
        Esperar("KEY");
        OpcoesDeIndice();
        r.tipo = "PK";
        r.colunas.push_back({coluna, Aceitar("DESC")});
        Aceitar("ASC");
    } else if (Aceitar("UNIQUE")) {
        OpcoesDeIndice();
        r.tipo = "UQ";
        r.colunas.push_back({coluna, false});
    } else if (Palavra("FOREIGN") || Palavra("REFERENCES")) {
        if (Aceitar("FOREIGN")) Esperar("KEY");
        Esperar("REFERENCES");
        r.tipo = "F";
        r.colunas.push_back({coluna, false});
        r.tabelaReferida = NomeDeObjeto().Nome();
        if (Simbolo("(")) r.colunasReferidas = ListaDeNomes();
        AcoesReferenciais(r);
    } else if (Aceitar("CHECK")) {
        r.tipo = "C";
        if (!Simbolo("(")) Erro();
        std::size_t f = Fecho(i_);
        r.texto = TextoEntre(i_, f + 1);
        i_ = f + 1;
        r.colunas.push_back({coluna, false});
    } else {
        Erro();
    }
    return r;
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

}  // namespace zolvek::simulador
