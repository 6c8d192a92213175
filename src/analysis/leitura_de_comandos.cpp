#include "analysis/leitura_de_comandos.hpp"

#include <algorithm>
#include <cctype>

#include "comum/texto.hpp"
#include "db/tokens_sql.hpp"

namespace zolvek::analysis {

namespace {

using db::EhPalavra;
using db::EhSimbolo;
using db::TokenSql;

// A walk over the tokens of one batch.
class LeitorDeComando {
  public:
    explicit LeitorDeComando(std::string_view sql) : sql_(sql), t_(db::TokensSql(sql)) {}

    bool Fim() const { return i_ >= t_.size(); }
    bool Eh(std::string_view palavra) const { return !Fim() && EhPalavra(t_[i_], palavra); }
    bool EhSim(char c) const { return !Fim() && EhSimbolo(t_[i_], c); }
    bool Aceitar(std::string_view palavra) {
        if (!Eh(palavra)) return false;
        ++i_;
        return true;
    }
    bool AceitarAlgum(std::initializer_list<std::string_view> palavras) {
        return std::any_of(palavras.begin(), palavras.end(),
                           [&](std::string_view p) { return Aceitar(p); });
    }
    void Avancar() { ++i_; }
    const TokenSql& Atual() const { return t_[i_]; }
    std::size_t Posicao() const { return i_; }
    const std::vector<TokenSql>& Tokens() const { return t_; }

    // Past a parenthesised group that starts here.
    void PularParenteses() {
        int profundidade = 0;
        for (; !Fim(); ++i_) {
            if (EhSim('(')) ++profundidade;
            if (EhSim(')') && --profundidade == 0) {
                ++i_;
                return;
            }
        }
    }

    // A name of one or more parts ("dbo.[T]", "[T].[I]"): every part, in order.
    std::vector<std::string> Partes() {
        std::vector<std::string> partes;
        while (!Fim() && db::EhNome(Atual())) {
            partes.push_back(Atual().texto);
            ++i_;
            if (!EhSim('.')) break;
            ++i_;
        }
        return partes;
    }
    std::string Nome() {
        const auto partes = Partes();
        return partes.empty() ? "" : partes.back();
    }

    // The text from token `de` to just before token `ate` (or the end), trimmed.
    std::string Texto(std::size_t de, std::size_t ate) const {
        if (de >= t_.size() || de >= ate) return "";
        const std::size_t fim = ate < t_.size() ? t_[ate - 1].fim : t_.back().fim;
        return texto::Aparar(sql_.substr(t_[de].inicio, fim - t_[de].inicio));
    }

  private:
    std::string_view sql_;
    std::vector<TokenSql> t_;
    std::size_t i_ = 0;
};

bool EhModuloProgramado(const TokenSql& t) {
    for (const char* p : {"PROC", "PROCEDURE", "TRIGGER", "FUNCTION", "VIEW"})
        if (EhPalavra(t, p)) return true;
    return false;
}

// CREATE [OR ALTER] / ALTER of a procedure, trigger, function or view: the rest of the
// batch is its body.
bool DefineModuloProgramado(const std::vector<TokenSql>& t) {
    std::size_t i = 0;
    if (t.empty() || !(EhPalavra(t[0], "CREATE") || EhPalavra(t[0], "ALTER"))) return false;
    ++i;
    if (i + 1 < t.size() && EhPalavra(t[i], "OR") && EhPalavra(t[i + 1], "ALTER")) i += 2;
    return i < t.size() && EhModuloProgramado(t[i]);
}

bool SeguidoPor(const std::vector<TokenSql>& t, std::size_t i,
                std::initializer_list<std::string_view> proximos) {
    if (i + 1 >= t.size()) return false;
    return std::any_of(proximos.begin(), proximos.end(),
                       [&](std::string_view p) { return EhPalavra(t[i + 1], p); });
}

// The procedures that only report; sp_dboption reports unless it is given a value.
bool ProcedimentoQueInforma(const std::string& nome, int argumentos) {
    const std::string n = texto::Minusculas(nome);
    for (const char* p : {"xp_msver", "sp_helpfile", "sp_helptext", "sp_who", "sp_who2",
                          "sp_helpdb", "sp_help", "sp_helpindex", "sp_spaceused"})
        if (n == p) return true;
    return n == "sp_dboption" && argumentos < 3;
}

int ContarArgumentos(const std::vector<TokenSql>& t, std::size_t de) {
    if (de >= t.size()) return 0;
    int virgulas = 0;
    for (std::size_t i = de; i < t.size(); ++i)
        if (EhSimbolo(t[i], ',')) ++virgulas;
    return virgulas + 1;
}

EspecieDeComando EspecieDeExecucao(LeitorDeComando& l) {
    l.AceitarAlgum({"EXEC", "EXECUTE"});
    const std::string nome = l.Nome();
    return ProcedimentoQueInforma(nome, ContarArgumentos(l.Tokens(), l.Posicao()))
               ? EspecieDeComando::Leitura
               : EspecieDeComando::Mudanca;
}

bool SoTransacao(LeitorDeComando& l) {
    if (l.Aceitar("BEGIN")) {
        if (!l.AceitarAlgum({"TRAN", "TRANSACTION"})) return false;
    } else if (!l.AceitarAlgum({"SAVE", "COMMIT", "ROLLBACK"})) {
        return false;
    } else {
        l.AceitarAlgum({"TRAN", "TRANSACTION", "WORK"});
    }
    if (!l.Fim() && db::EhNome(l.Atual())) l.Avancar();
    if (l.EhSim(';')) l.Avancar();
    return l.Fim();
}

}  // namespace

EspecieDeComando EspecieDoComando(std::string_view sql) {
    LeitorDeComando l(sql);
    if (l.Fim()) return EspecieDeComando::Leitura;
    if (l.Eh("EXEC") || l.Eh("EXECUTE")) return EspecieDeExecucao(l);
    {
        LeitorDeComando t(sql);
        if (SoTransacao(t)) return EspecieDeComando::Transacao;
    }
    if (!l.Eh("SELECT")) return EspecieDeComando::Mudanca;
    for (const TokenSql& t : l.Tokens())
        for (const char* p : {"INTO", "INSERT", "UPDATE", "DELETE", "EXEC", "EXECUTE", "CREATE",
                              "ALTER", "DROP", "MERGE", "TRUNCATE", "GRANT", "DENY", "REVOKE"})
            if (EhPalavra(t, p)) return EspecieDeComando::Mudanca;
    return EspecieDeComando::Leitura;
}

std::string RecusaEmTransacao(std::string_view sql) {
    const auto t = db::TokensSql(sql);
    if (DefineModuloProgramado(t)) return "";
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i].tipo != db::TipoDeToken::Palavra) continue;
        const std::string p = texto::Maiusculas(t[i].texto);
        if ((p == "ALTER" || p == "CREATE" || p == "DROP") && SeguidoPor(t, i, {"DATABASE"}))
            return p + " DATABASE";
        if ((p == "ALTER" || p == "CREATE" || p == "DROP") && SeguidoPor(t, i, {"FULLTEXT"}))
            return p + " FULLTEXT";
        if (p == "BACKUP" && SeguidoPor(t, i, {"DATABASE", "LOG"})) return "BACKUP";
        if (p == "RESTORE" &&
            SeguidoPor(
                t, i, {"DATABASE", "LOG", "VERIFYONLY", "FILELISTONLY", "HEADERONLY", "LABELONLY"}))
            return "RESTORE";
        if (p == "RECONFIGURE" || p == "KILL") return p;
    }
    return "";
}

bool EncerraTransacaoDeFora(std::string_view sql) {
    const auto t = db::TokensSql(sql);
    if (DefineModuloProgramado(t)) return false;
    int abertas = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (EhPalavra(t[i], "ROLLBACK")) return true;
        if (EhPalavra(t[i], "BEGIN") && SeguidoPor(t, i, {"TRAN", "TRANSACTION", "DISTRIBUTED"}))
            ++abertas;
        if (EhPalavra(t[i], "COMMIT") && --abertas < 0) return true;
    }
    return false;
}

std::string TipoNormalizado(std::string_view tipo) {
    std::string r;
    for (char c : tipo)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            r += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (const auto identidade = r.find("IDENTITY"); identidade != std::string::npos)
        r.erase(identidade);
    auto trocarInicio = [&](std::string_view de, std::string_view para) {
        if (r.rfind(de, 0) == 0 && (r.size() == de.size() || r[de.size()] == '('))
            r = std::string(para) + r.substr(de.size());
    };
    trocarInicio("DEC", "DECIMAL");
    trocarInicio("NUMERIC", "DECIMAL");
    trocarInicio("TIMESTAMP", "ROWVERSION");
    if (r == "DECIMAL") r = "DECIMAL(18,0)";
    if (const auto max = r.find("(MAX)"); max != std::string::npos) r.replace(max, 5, "(max)");
    return r;
}

namespace {

// "name type ..." pieces of a column list, split at its top-level commas, from token
// `de` to `ate`; pieces that declare a constraint are left out.
std::vector<std::pair<std::string, std::string>> ColunasDaDefinicao(const LeitorDeComando& l,
                                                                    std::size_t de,
                                                                    std::size_t ate) {
    std::vector<std::pair<std::string, std::string>> colunas;
    const auto& t = l.Tokens();
    std::size_t inicio = de;
    int profundidade = 0;
    auto fechar = [&](std::size_t fim) {
        if (inicio >= fim || !db::EhNome(t[inicio])) return;
        for (const char* p : {"CONSTRAINT", "PRIMARY", "UNIQUE", "CHECK", "FOREIGN", "INDEX"})
            if (EhPalavra(t[inicio], p)) return;
        colunas.emplace_back(t[inicio].texto, l.Texto(inicio + 1, fim));
    };
    for (std::size_t i = de; i < ate && i < t.size(); ++i) {
        if (EhSimbolo(t[i], '(')) ++profundidade;
        if (EhSimbolo(t[i], ')')) --profundidade;
        if (profundidade == 0 && EhSimbolo(t[i], ',')) {
            fechar(i);
            inicio = i + 1;
        }
    }
    fechar(std::min(ate, t.size()));
    return colunas;
}

void LerAlterarColuna(LeitorDeComando& l, Mudanca& m) {
    m.tipo = TipoDeMudanca::AlterarColuna;
    m.objeto = l.Nome();
    const std::size_t de = l.Posicao();
    while (!l.Fim() && !l.Eh("NULL") && !l.Eh("NOT") && !l.Eh("COLLATE")) {
        if (l.EhSim('('))
            l.PularParenteses();
        else
            l.Avancar();
    }
    m.especie = l.Texto(de, l.Posicao());
    if (l.Aceitar("NOT")) m.nulo = false;
    if (!m.nulo && l.Aceitar("NULL")) m.nulo = true;
}

std::string EspecieDaRestricao(LeitorDeComando& l) {
    if (l.Aceitar("PRIMARY")) return "PRIMARY KEY";
    if (l.Aceitar("FOREIGN")) return "FOREIGN KEY";
    if (l.Fim()) return "";
    return texto::Maiusculas(l.Atual().texto);  // DEFAULT, CHECK, UNIQUE
}

Mudanca LerAlterarTabela(LeitorDeComando& l) {
    Mudanca m;
    m.tabela = l.Nome();
    if (l.Aceitar("WITH")) l.AceitarAlgum({"CHECK", "NOCHECK"});
    if (l.Aceitar("ADD")) {
        if (l.Aceitar("CONSTRAINT")) {
            m.tipo = TipoDeMudanca::CriarRestricao;
            m.objeto = l.Nome();
            m.especie = EspecieDaRestricao(l);
        } else {
            m.tipo = TipoDeMudanca::AcrescentarColunas;
            m.colunas = ColunasDaDefinicao(l, l.Posicao(), l.Tokens().size());
        }
    } else if (l.Aceitar("ALTER") && l.Aceitar("COLUMN")) {
        LerAlterarColuna(l, m);
    } else if (l.Aceitar("DROP") && l.Aceitar("CONSTRAINT")) {
        m.tipo = TipoDeMudanca::RemoverRestricao;
        m.objeto = l.Nome();
    }
    return m;
}

Mudanca LerCriar(LeitorDeComando& l) {
    Mudanca m;
    if (l.Aceitar("OR")) l.Aceitar("ALTER");
    if (l.Aceitar("TABLE")) {
        m.tipo = TipoDeMudanca::CriarTabela;
        m.tabela = l.Nome();
        if (l.EhSim('(')) {
            const std::size_t de = l.Posicao() + 1;
            l.PularParenteses();
            m.colunas = ColunasDaDefinicao(l, de, l.Posicao() - 1);
        }
        return m;
    }
    if (!l.Fim() && EhModuloProgramado(l.Atual())) {
        m.tipo = TipoDeMudanca::CriarObjeto;
        m.especie = texto::Minusculas(l.Atual().texto);
        if (m.especie == "proc") m.especie = "procedure";
        l.Avancar();
        m.objeto = l.Nome();
        if (m.especie == "trigger" && l.Aceitar("ON")) m.tabela = l.Nome();
        return m;
    }
    l.Aceitar("UNIQUE");
    l.AceitarAlgum({"CLUSTERED", "NONCLUSTERED"});
    if (l.Aceitar("INDEX")) {
        m.tipo = TipoDeMudanca::CriarIndice;
        m.objeto = l.Nome();
        if (l.Aceitar("ON")) m.tabela = l.Nome();
    }
    return m;
}

Mudanca LerRemover(LeitorDeComando& l) {
    Mudanca m;
    if (l.Aceitar("INDEX")) {
        m.tipo = TipoDeMudanca::RemoverIndice;
        auto partes = l.Partes();
        if (l.Aceitar("ON")) {  // DROP INDEX i ON t
            m.objeto = partes.empty() ? "" : partes.back();
            m.tabela = l.Nome();
        } else if (partes.size() >= 2) {  // DROP INDEX t.i
            m.objeto = partes.back();
            m.tabela = partes[partes.size() - 2];
        }
        return m;
    }
    if (!l.Fim() && EhModuloProgramado(l.Atual())) {
        m.tipo = TipoDeMudanca::RemoverObjeto;
        m.especie = texto::Minusculas(l.Atual().texto);
        if (m.especie == "proc") m.especie = "procedure";
        l.Avancar();
        m.objeto = l.Nome();
    }
    return m;
}

// The words that open the batch, for a change of no known kind.
std::string AberturaDoComando(const LeitorDeComando& l) {
    std::string r;
    const auto& t = l.Tokens();
    for (std::size_t i = 0; i < t.size() && i < 3 && t[i].tipo == db::TipoDeToken::Palavra; ++i)
        r += r.empty() ? texto::Maiusculas(t[i].texto) : " " + t[i].texto;
    return r;
}

Mudanca LerComando(LeitorDeComando& l) {
    Mudanca m;
    if (l.Aceitar("CREATE")) return LerCriar(l);
    if (l.Aceitar("ALTER")) {
        if (l.Aceitar("TABLE")) return LerAlterarTabela(l);
        if (!l.Fim() && EhModuloProgramado(l.Atual())) return LerCriar(l);
        return m;
    }
    if (l.Aceitar("DROP")) return LerRemover(l);
    if (l.Aceitar("GRANT")) {
        while (!l.Fim() && !l.Eh("ON")) l.Avancar();
        if (l.Aceitar("ON")) {
            m.tipo = TipoDeMudanca::Permissao;
            m.tabela = l.Nome();
        }
        return m;
    }
    if (l.Aceitar("INSERT")) {
        l.Aceitar("INTO");
        m.tipo = TipoDeMudanca::DadosIniciais;
        m.tabela = l.Nome();
        return m;
    }
    if (l.Aceitar("UPDATE")) {
        m.tipo = TipoDeMudanca::Preenchimento;
        m.tabela = l.Nome();
        if (l.Aceitar("SET")) m.objeto = l.Nome();
    }
    return m;
}

}  // namespace

Mudanca ClassificarMudanca(std::string_view sql) {
    LeitorDeComando l(sql);
    bool seNaoExistir = false;
    if (l.Aceitar("IF")) {
        seNaoExistir = l.Aceitar("NOT");
        l.Aceitar("EXISTS");
        l.PularParenteses();
    }
    Mudanca m = LerComando(l);
    if (m.tipo == TipoDeMudanca::DadosIniciais && seNaoExistir && l.Aceitar("DEFAULT"))
        m.tipo = TipoDeMudanca::LinhaDeParametro;
    if (m.tipo == TipoDeMudanca::Outra) m.objeto = AberturaDoComando(l);
    return m;
}

}  // namespace zolvek::analysis
