#include "simulador/motor/geracao/gerador_sqlite.hpp"

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "comum/decimal.hpp"
#include "comum/erros.hpp"
#include "simulador/motor/arvores/fontes_da_consulta.hpp"
#include "simulador/motor/arvores/visitante.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/geracao/variaveis.hpp"
#include "simulador/motor/leitura/lexico.hpp"
#include "simulador/motor/mensagens/mensagens_do_servidor.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

// A value SQLite compares in its own collation: a column (its declared one), a
// parameter, a variable or a number. Texts beside anything else would compare byte by
// byte, while SQL Server compares them in the database's collation.
bool ComparaPorSi(const Expressao& e) {
    if (const auto* l = std::get_if<Literal>(&e.no)) return l->tipo != Literal::Tipo::Texto;
    return std::holds_alternative<Coluna>(e.no) || std::holds_alternative<Parametro>(e.no) ||
           std::holds_alternative<Variavel>(e.no) || std::holds_alternative<Niladica>(e.no);
}

// Operands that need parentheses to keep the tree's grouping in SQLite's text.
bool Composta(const Expressao& e) {
    return std::holds_alternative<Binaria>(e.no) || std::holds_alternative<Unaria>(e.no) ||
           std::holds_alternative<Em>(e.no) || std::holds_alternative<Entre>(e.no) ||
           std::holds_alternative<Semelhante>(e.no) || std::holds_alternative<EhNulo>(e.no);
}

// A number with more digits than a double keeps (1234567890123.4567) goes as its exact
// text: the decimal functions and decimal columns read it whole.
std::string NumeroLiteral(const std::string& n) {
    // a float literal past float's range is refused as SQL Server reads it, never Inf
    if (n.find_first_of("eE") != std::string::npos && std::isinf(std::strtod(n.c_str(), nullptr)))
        throw ErroDoServidor(168, {n, "8"});
    if (n.find_first_of("eExX") != std::string::npos) return n;
    std::size_t digitos = 0;
    bool significativo = false;
    for (char c : n) {
        if (c >= '1' && c <= '9') significativo = true;
        if (c >= '0' && c <= '9' && significativo) ++digitos;
    }
    const bool ponto = n.find('.') != std::string::npos;
    return digitos > (ponto ? 15u : 18u) ? ComoTexto(n) : n;
}

// $12.34 goes as the exact text of a money value, with its four places.
std::string MoedaLiteral(const std::string& n) {
    return ComoTexto(Decimal::Ler(n).Arredondar(4, Arredondamento::MetadeLongeDoZero).Texto());
}

std::string Variaveis(const std::string& nome) {
    std::string v = Dobrar(nome);
    if (v == "@@identity") return "zv_identity()";
    if (v == "@@rowcount") return "changes()";
    if (v == "@@version") return "zv_version()";
    if (v == "@@spid") return "zv_spid()";
    if (v == "@@servername") return "zv_servername()";
    if (v == "@@trancount") return "zv_trancount()";
    if (v == "@@error") return "0";
    if (v == "@@language") return "zv_language()";
    if (v == "@@langid") return "zv_langid()";
    if (v == "@@datefirst") return "zv_datefirst()";
    if (v == "@@max_connections") return "32767";
    if (v == "@@microsoftversion") return "zv_microsoftversion()";
    if (v == "@@fetch_status") return "-1";
    if (v == "@@nestlevel") return "0";
    throw ErroDoServidor(137, {nome});
}

}  // namespace

GeradorSqlite::GeradorSqlite(ContextoDeReescrita& ctx) : ctx_(ctx) {
    if (!ctx_.escopoPadrao.empty()) escopos_.push_back(ctx_.escopoPadrao);
}

namespace {

// The operand (in parentheses or not) is a chain of the same operator that SQLite groups
// alike without them: a AND b AND c from either side, a - b - c from the left.
bool MesmaCadeia(const Expressao& e, std::string_view operador, bool aDireita) {
    const auto* b = std::get_if<Binaria>(&SemParenteses(e).no);
    if (!b || b->operador != operador) return false;
    if (operador == "AND" || operador == "OR") return true;
    return !aDireita && (operador == "-" || operador == "*" || operador == "&" || operador == "|");
}

}  // namespace

std::string GeradorSqlite::Operando(const Expr& e, std::string_view operadorDoPai, bool aDireita) {
    // a long chain written without parentheses does not run SQLite's parser out of stack
    if (MesmaCadeia(*e, operadorDoPai, aDireita)) return Gerar(SemParenteses(*e));
    std::string s = Gerar(*e);
    return Composta(*e) ? "(" + s + ")" : s;
}

std::string GeradorSqlite::Comparacao(const Binaria& b) {
    std::string op = b.operador == "!<" ? ">=" : b.operador == "!>" ? "<=" : b.operador;
    if (std::string d = ComparacaoDecimal(b, op); !d.empty()) return d;
    if (std::string c = ComparacaoConvertida(b, op); !c.empty()) return c;
    std::string l = Operando(b.esquerda), r = Operando(b.direita);
    if (EhTextoLiteral(*b.esquerda) && !ComparaPorSi(*b.direita))
        l = "(" + l + " COLLATE " + kColacao + ")";
    if (EhTextoLiteral(*b.direita) && !ComparaPorSi(*b.esquerda))
        r = "(" + r + " COLLATE " + kColacao + ")";
    return l + " " + op + " " + r;
}

std::string LiteralNoSqlite(const Literal& l) {
    switch (l.tipo) {
        case Literal::Tipo::Texto:
            return ComoTexto(l.texto);
        case Literal::Tipo::Numero:
            if (l.moeda) return MoedaLiteral(l.texto);
            return NumeroLiteral(l.texto);
        case Literal::Tipo::Binario: {
            std::string h = l.texto.substr(2);
            if (h.size() % 2) h = "0" + h;
            return "X'" + h + "'";
        }
        case Literal::Tipo::Nulo:
            break;
    }
    return "NULL";
}

namespace {

// CURRENT_TIMESTAMP, SYSTEM_USER, USER and DEFAULT, written without parentheses.
std::string NiladicaNoSqlite(const Niladica& n) {
    if (n.nome == "CURRENT_TIMESTAMP") return "zv_getdate()";
    if (n.nome == "SYSTEM_USER") return "zv_suser_sname()";
    if (n.nome == "DEFAULT")  // only a user function's argument takes it
        throw ErroDoServidor(156, {"DEFAULT"});
    return "zv_user_name()";
}

}  // namespace

std::string GeradorSqlite::Gerar(const Expressao& e) {
    if (mascarar_ && conjunto_)
        if (auto m = Mascarado(e)) return *m;
    return std::visit(Visitante{
                          [&](const Literal& l) { return LiteralNoSqlite(l); },
                          [&](const Parametro& p) { return "?" + std::to_string(p.numero); },
                          [&](const Variavel& v) { return GerarVariavel(v); },
                          [&](const Coluna& c) { return NomeDeColuna(c); },
                          [&](const Unaria& u) { return GerarUnaria(u); },
                          [&](const Binaria& b) { return RealFinito(e, b, GerarBinaria(b)); },
                          [&](const Chamada& c) { return Chamar(c); },
                          [&](const Caso& c) { return GerarCaso(c); },
                          [&](const Subconsulta& q) {
                              if (q.consulta->xml) return "(" + GerarXml(*q.consulta, true) + ")";
                              return SubconsultaEscalar(*q.consulta);
                          },
                          [&](const Existe& q) { return "EXISTS (" + Gerar(*q.consulta) + ")"; },
                          [&](const Em& em) { return GerarEm(em); },
                          [&](const Entre& b) { return GerarEntre(b); },
                          [&](const Semelhante& s) {
                              std::string r = Operando(s.valor) +
                                              (s.negado ? " NOT LIKE " : " LIKE ") +
                                              Operando(s.padrao);
                              if (s.escape) r += " ESCAPE " + Operando(s.escape);
                              return r;
                          },
                          [&](const EhNulo& n) {
                              return Operando(n.valor) + (n.negado ? " IS NOT NULL" : " IS NULL");
                          },
                          [&](const ComColacao& c) {
                              return Operando(c.valor) + " COLLATE " + ColacaoConhecida(c.colacao);
                          },
                          [&](const Parenteses& p) {
                              // ((x)) and (column) need no pair of their own: each costs SQLite's
                              // parser
                              const Expressao& d = *p.dentro;
                              if (std::holds_alternative<Parenteses>(d.no) ||
                                  std::holds_alternative<Coluna>(d.no))
                                  return Gerar(d);
                              return "(" + Gerar(d) + ")";
                          },
                          [&](const Niladica& n) { return NiladicaNoSqlite(n); },
                      },
                      e.no);
}

std::string GeradorSqlite::GerarVariavel(const Variavel& v) {
    if (ctx_.valoresDosParametros)
        if (auto it = ctx_.valoresDosParametros->find(Dobrar(v.nome));
            it != ctx_.valoresDosParametros->end())
            return it->second;
    if (ctx_.variaveisSemValor && v.nome.rfind("@@", 0) != 0) return "NULL";
    if (ctx_.variaveis)
        if (std::string s = ctx_.variaveis->Sqlite(v.nome); !s.empty()) return s;
    return Variaveis(v.nome);
}

std::string GeradorSqlite::GerarUnaria(const Unaria& u) {
    std::string x = Operando(u.operando);
    if (u.operador == "NOT") return "NOT " + x;
    if (u.operador == "+") return x;
    if (std::string d = NegacaoDecimal(u); !d.empty()) return d;
    if (!x.empty() && x[0] == '-') x = "(" + x + ")";  // "--" would open a comment
    return u.operador + x;
}

// % takes integers, money and decimals: SQL Server refuses a float or real beside it, which
// SQLite would cut to an integer.
void GeradorSqlite::RecusarModuloReal(const Binaria& b) const {
    const auto l = TipoDe(*b.esquerda), r = TipoDe(*b.direita);
    if (l && r && (EhAproximado(l->base) || EhAproximado(r->base)))
        throw ErroDoServidor(402, {NomeDoTipo(l->base), NomeDoTipo(r->base), "modulo"});
}

// Float arithmetic past float's range is SQL Server's overflow (8115), never SQLite's Inf.
std::string GeradorSqlite::RealFinito(const Expressao& e, const Binaria& b, std::string sql) {
    if (b.operador != "+" && b.operador != "-" && b.operador != "*" && b.operador != "/")
        return sql;
    const auto t = TipoDe(e);
    if (!t || (t->base != TipoBase::Float && t->base != TipoBase::Real)) return sql;
    return (t->base == TipoBase::Real ? "zv_real4_finito(" : "zv_real_finito(") + sql + ")";
}

std::string GeradorSqlite::GerarBinaria(const Binaria& b) {
    if (b.operador == "%") RecusarModuloReal(b);
    if (std::string a = AritmeticaComTexto(b); !a.empty()) return a;
    if (std::string a = Aritmetica(b); !a.empty()) return a;
    if (std::string l = Logica(b); !l.empty()) return l;
    std::string il = BinarioComoInteiro(*b.esquerda), ir = BinarioComoInteiro(*b.direita);
    std::string l = Operando(b.esquerda, b.operador), r = Operando(b.direita, b.operador, true);
    bool aritmetica = b.operador != "AND" && b.operador != "OR" &&
                      b.operador.find_first_of("=<>") == std::string::npos;
    if (aritmetica && !il.empty() && !ir.empty())
        throw ErroDoServidor(402, {"varbinary", "varbinary", "'" + b.operador + "'"});
    if (aritmetica && !il.empty()) l = il;
    if (aritmetica && !ir.empty()) r = ir;
    if (b.operador == "^") return "((" + l + " | " + r + ") - (" + l + " & " + r + "))";
    if (b.operador == "/" || b.operador == "%")
        return l + " " + b.operador + " zv_divisor(" + r + ")";
    if (b.operador == "AND" || b.operador == "OR" || b.operador == "-" || b.operador == "*" ||
        b.operador == "&" || b.operador == "|")
        return l + " " + b.operador + " " + r;
    return Comparacao(b);
}

std::string GeradorSqlite::GerarCaso(const Caso& c) {
    const auto alvo = AlvoDosResultados(c);
    std::string s = "CASE";
    if (c.base) s += " " + Operando(c.base);
    for (const auto& [quando, entao] : c.ramos)
        s += " WHEN " + Gerar(*quando) + " THEN " + ResultadoConvertido(*entao, alvo);
    if (c.senao) s += " ELSE " + ResultadoConvertido(*c.senao, alvo);
    return s + " END";
}

std::string GeradorSqlite::GerarEm(const Em& em) {
    if (!em.comparacao.empty()) return GerarQuantificada(em);
    if (std::string d = EmDecimal(em); !d.empty()) return d;
    std::vector<const Expressao*> valores{em.valor.get()};
    for (const auto& x : em.lista) valores.push_back(x.get());
    const auto alvo = em.consulta ? std::nullopt : AlvoDosValores(valores);
    std::string s = ValorConvertido(em.valor, alvo) + (em.negado ? " NOT IN (" : " IN (");
    if (em.consulta) return s + Gerar(*em.consulta) + ")";
    for (std::size_t k = 0; k < em.lista.size(); ++k)
        s += (k ? ", " : "") + ValorConvertido(em.lista[k], alvo);
    return s + ")";
}

std::string GeradorSqlite::GerarEntre(const Entre& b) {
    if (std::string d = EntreDecimal(b); !d.empty()) return d;
    const auto alvo = AlvoDosValores({b.valor.get(), b.de.get(), b.ate.get()});
    return ValorConvertido(b.valor, alvo) + (b.negado ? " NOT BETWEEN " : " BETWEEN ") +
           ValorConvertido(b.de, alvo) + " AND " + ValorConvertido(b.ate, alvo);
}

// The tables of a SELECT's FROM, by alias or name: the catalog's, and derived tables and
// WITH queries typed from their own SELECT, so that their decimal columns stay exact.
std::vector<std::pair<std::string, Tabela*>> GeradorSqlite::EscopoDe(const Selecao& s) {
    std::vector<std::pair<std::string, Tabela*>> escopo;
    ParaCadaFonte(s.de, [&](const Fonte& f) {
        if (f.pivo) {
            escopo.emplace_back(f.pivo->apelido, GerarPivo(f).tabela);
            return;
        }
        if (f.derivada) {
            if (!f.apelido.empty())
                escopo.emplace_back(f.apelido, TabelaDerivada(*f.derivada, f.colunasDoApelido));
            return;
        }
        if (FuncaoDeTabela(f)) {
            // applied, its arguments may read the sources before it
            const bool aplicada = FonteAplicada(s.de, f);
            if (aplicada) escopos_.push_back(escopo);
            Tabela* t = nullptr;
            try {
                t = ExpandirFuncao(f).tabela;
            } catch (...) {
                if (aplicada) escopos_.pop_back();
                throw;
            }
            if (aplicada) escopos_.pop_back();
            escopo.emplace_back(f.apelido.empty() ? NomeDaFuncao(f) : f.apelido, t);
            return;
        }
        if (!f.valores.empty()) {
            escopo.emplace_back(f.apelido, TabelaDosValores(f));
            return;
        }
        if (f.nome.empty()) return;
        const std::string& nome = f.apelido.empty() ? f.nome.back() : f.apelido;
        Tabela* t = nullptr;
        if (f.nome.size() == 1)
            for (auto it = nomeadas_.rbegin(); it != nomeadas_.rend() && !t; ++it)
                if (IguaisCiAs(it->first, f.nome[0])) t = it->second;
        if (!t && ctx_.gatilho && f.nome.size() == 1 &&
            (IguaisCiAs(f.nome[0], "inserted") || IguaisCiAs(f.nome[0], "deleted")))
            t = ctx_.gatilho->tabela;
        if (!t && ctx_.catalogo) t = ctx_.catalogo()->AcharTabela(f.nome.back());
        escopo.emplace_back(nome, t);
    });
    return escopo;
}

// A derived table's (or WITH query's) columns with the types of its first SELECT's items;
// `nomes` are the names a WITH gives them.
Tabela* GeradorSqlite::TabelaDerivada(const Consulta& q, const std::vector<std::string>& nomes) {
    if (q.ramos.empty() || !q.ramos[0].selecao) return nullptr;
    const Selecao& s = *q.ramos[0].selecao;
    escopos_.push_back(EscopoDe(s));
    struct Saida {
        std::vector<std::vector<std::pair<std::string, Tabela*>>>& e;
        ~Saida() { e.pop_back(); }
    } saida{escopos_};
    auto t = std::make_unique<Tabela>();
    std::size_t posicao = 0;  // of the item's first column: a * may stand for several
    for (std::size_t k = 0; k < s.itens.size(); ++k, ++posicao) {
        const Expressao& e = *s.itens[k].expressao;
        const auto* c = std::get_if<Coluna>(&e.no);
        if (c && c->partes.back() == "*" && !nomes.empty()) {
            const auto depois = AcrescentarEstrela(*t, *c, nomes, posicao);
            if (!depois) break;
            posicao = *depois - 1;
            continue;
        }
        std::string nome = posicao < nomes.size() ? nomes[posicao] : s.itens[k].apelido;
        if (nome.empty() && c) nome = c->partes.back();
        if (nome.empty() || nome == "*") continue;
        if (auto tipo = TipoDe(e)) t->colunas.push_back({nome, *tipo, !NaoNulo(e, s)});
    }
    derivadas_.push_back(std::move(t));
    return derivadas_.back().get();
}

// The column a name stands for in the tables of the SELECTs being written.
const ColunaDaTabela* GeradorSqlite::ColunaDoEscopo(const Coluna& c) const {
    if (c.partes.back() == "*") return nullptr;
    std::string dono = c.partes.size() >= 2 ? c.partes[c.partes.size() - 2] : "";
    for (auto it = escopos_.rbegin(); it != escopos_.rend(); ++it) {
        for (const auto& [nome, tabela] : *it) {
            if (!tabela || (!dono.empty() && !IguaisCiAs(dono, nome))) continue;
            if (const ColunaDaTabela* col = tabela->Coluna(c.partes.back())) return col;
        }
    }
    return nullptr;
}

// A national text (nchar, nvarchar, ntext, N'...'): two bytes a character.
bool GeradorSqlite::Nacional(const Expressao& e) const {
    if (const auto* l = std::get_if<Literal>(&e.no)) return l->nacional;
    std::optional<TipoSql> tipo;
    if (const auto* c = std::get_if<Coluna>(&e.no))
        if (const ColunaDaTabela* col = ColunaDoEscopo(*c)) tipo = col->tipo;
    if (const auto* v = std::get_if<Variavel>(&e.no); v && ctx_.variaveis)
        tipo = ctx_.variaveis->Tipo(v->nome);
    if (!tipo) return false;
    return tipo->base == TipoBase::NChar || tipo->base == TipoBase::NVarChar ||
           tipo->base == TipoBase::NText;
}

}  // namespace zolvek::simulador
