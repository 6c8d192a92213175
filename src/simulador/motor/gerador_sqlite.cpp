#include "simulador/motor/gerador_sqlite.hpp"

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>

#include "comum/decimal.hpp"
#include "comum/erros.hpp"
#include "simulador/motor/argumentos_das_funcoes.hpp"
#include "simulador/motor/catalogo.hpp"
#include "simulador/motor/colacao.hpp"
#include "simulador/motor/fontes_da_consulta.hpp"
#include "simulador/motor/funcoes.hpp"
#include "simulador/motor/lexico.hpp"
#include "simulador/motor/mensagens_do_servidor.hpp"
#include "simulador/motor/nomes_do_motor.hpp"
#include "simulador/motor/reescrita.hpp"
#include "simulador/motor/variaveis.hpp"
#include "simulador/motor/visitante.hpp"
#include "simulador/motor/visoes.hpp"

namespace zolvek::simulador {

namespace {

const std::map<std::string, std::string>& Funcoes() {
    static const std::map<std::string, std::string> f = {
        {"getdate", "zv_getdate"},
        {"getutcdate", "zv_getutcdate"},
        {"sysdatetime", "zv_sysdatetime"},
        {"sysdatetimeoffset", "zv_sysdatetimeoffset"},
        {"todatetimeoffset", "zv_todatetimeoffset"},
        {"switchoffset", "zv_switchoffset"},
        {"sysutcdatetime", "zv_sysutcdatetime"},
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
        {"datalength", "zv_datalength"},
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
        {"isdate", "zv_isdate"},
        {"reverse", "zv_reverse"},
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
        {"user", "zv_user_name"},
        {"datename", "zv_datename"},
        {"datefromparts", "zv_datefromparts"},
        {"eomonth", "zv_eomonth"},
        {"stuff", "zv_stuff"},
        {"ascii", "zv_ascii"},
        {"unicode", "zv_unicode"},
        {"char", "zv_char"},
        {"nchar", "zv_nchar"},
        {"patindex", "zv_patindex"},
        {"soundex", "zv_soundex"},
        {"difference", "zv_difference"},
        {"format", "zv_format"},
        {"col_length", "zv_col_length"},
        {"col_name", "zv_col_name"},
        {"columnproperty", "zv_columnproperty"},
        {"type_id", "zv_type_id"},
        {"type_name", "zv_type_name"},
        {"object_definition", "zv_object_definition"},
        {"object_schema_name", "zv_object_schema_name"},
        {"schema_name", "zv_schema_name"},
        {"schema_id", "zv_schema_id"},
        {"ident_seed", "zv_ident_seed"},
        {"ident_incr", "zv_ident_incr"},
        {"choose", "zv_choose"},
        {"stdev", "zv_stdev"},
        {"stdevp", "zv_stdevp"},
        {"var", "zv_var"},
        {"varp", "zv_varp"},
        {"rand", "zv_rand"},
        {"hashbytes", "zv_hashbytes"},
        {"try_cast", "zv_try_cast"},
        {"try_convert", "zv_try_convert"},
    };
    return f;
}

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
    throw ErroDeBanco("Must declare the scalar variable \"" + nome + "\".");
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

std::string GeradorSqlite::Gerar(const Expressao& e) {
    if (mascarar_ && conjunto_)
        if (auto m = Mascarado(e)) return *m;
    return std::visit(
        Visitante{
            [&](const Literal& l) -> std::string {
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
            },
            [&](const Parametro& p) { return "?" + std::to_string(p.numero); },
            [&](const Variavel& v) -> std::string {
                if (ctx_.valoresDosParametros)
                    if (auto it = ctx_.valoresDosParametros->find(Dobrar(v.nome));
                        it != ctx_.valoresDosParametros->end())
                        return it->second;
                if (ctx_.variaveisSemValor && v.nome.rfind("@@", 0) != 0) return "NULL";
                if (ctx_.variaveis)
                    if (std::string s = ctx_.variaveis->Sqlite(v.nome); !s.empty()) return s;
                return Variaveis(v.nome);
            },
            [&](const Coluna& c) { return NomeDeColuna(c); },
            [&](const Unaria& u) -> std::string {
                std::string x = Operando(u.operando);
                if (u.operador == "NOT") return "NOT " + x;
                if (u.operador == "+") return x;
                if (std::string d = NegacaoDecimal(u); !d.empty()) return d;
                if (!x.empty() && x[0] == '-') x = "(" + x + ")";  // "--" would open a comment
                return u.operador + x;
            },
            [&](const Binaria& b) -> std::string {
                if (std::string a = Aritmetica(b); !a.empty()) return a;
                if (std::string l = Logica(b); !l.empty()) return l;
                std::string il = BinarioComoInteiro(*b.esquerda), ir = BinarioComoInteiro(*b.direita);
                std::string l = Operando(b.esquerda, b.operador),
                            r = Operando(b.direita, b.operador, true);
                bool aritmetica = b.operador != "AND" && b.operador != "OR" &&
                                  b.operador.find_first_of("=<>") == std::string::npos;
                if (aritmetica && !il.empty() && !ir.empty())
                    throw ErroDeBanco(
                        "The data types varbinary and varbinary are incompatible in "
                        "the '" +
                        b.operador + "' operator.");
                if (aritmetica && !il.empty()) l = il;
                if (aritmetica && !ir.empty()) r = ir;
                if (b.operador == "^") return "((" + l + " | " + r + ") - (" + l + " & " + r + "))";
                if (b.operador == "/" || b.operador == "%")
                    return l + " " + b.operador + " zv_divisor(" + r + ")";
                if (b.operador == "AND" || b.operador == "OR" || b.operador == "-" ||
                    b.operador == "*" || b.operador == "&" || b.operador == "|")
                    return l + " " + b.operador + " " + r;
                return Comparacao(b);
            },
            [&](const Chamada& c) { return Chamar(c); },
            [&](const Caso& c) {
                const auto alvo = AlvoDosResultados(c);
                std::string s = "CASE";
                if (c.base) s += " " + Operando(c.base);
                for (const auto& [quando, entao] : c.ramos)
                    s += " WHEN " + Gerar(*quando) + " THEN " + ResultadoConvertido(*entao, alvo);
                if (c.senao) s += " ELSE " + ResultadoConvertido(*c.senao, alvo);
                return s + " END";
            },
            [&](const Subconsulta& q) {
                if (q.consulta->xml) return "(" + GerarXml(*q.consulta, true) + ")";
                return SubconsultaEscalar(*q.consulta);
            },
            [&](const Existe& q) { return "EXISTS (" + Gerar(*q.consulta) + ")"; },
            [&](const Em& em) {
                if (std::string d = EmDecimal(em); !d.empty()) return d;
                std::vector<const Expressao*> valores{em.valor.get()};
                for (const auto& x : em.lista) valores.push_back(x.get());
                const auto alvo = em.consulta ? std::nullopt : AlvoDosValores(valores);
                std::string s =
                    ValorConvertido(em.valor, alvo) + (em.negado ? " NOT IN (" : " IN (");
                if (em.consulta) return s + Gerar(*em.consulta) + ")";
                for (std::size_t k = 0; k < em.lista.size(); ++k)
                    s += (k ? ", " : "") + ValorConvertido(em.lista[k], alvo);
                return s + ")";
            },
            [&](const Entre& b) {
                if (std::string d = EntreDecimal(b); !d.empty()) return d;
                const auto alvo = AlvoDosValores({b.valor.get(), b.de.get(), b.ate.get()});
                return ValorConvertido(b.valor, alvo) + (b.negado ? " NOT BETWEEN " : " BETWEEN ") +
                       ValorConvertido(b.de, alvo) + " AND " + ValorConvertido(b.ate, alvo);
            },
            [&](const Semelhante& s) {
                std::string r =
                    Operando(s.valor) + (s.negado ? " NOT LIKE " : " LIKE ") + Operando(s.padrao);
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
                // ((x)) and (column) need no pair of their own: each costs SQLite's parser
                const Expressao& d = *p.dentro;
                if (std::holds_alternative<Parenteses>(d.no) ||
                    std::holds_alternative<Coluna>(d.no))
                    return Gerar(d);
                return "(" + Gerar(d) + ")";
            },
            [&](const Niladica& n) -> std::string {
                if (n.nome == "CURRENT_TIMESTAMP") return "zv_getdate()";
                if (n.nome == "SYSTEM_USER") return "zv_suser_sname()";
                if (n.nome == "DEFAULT")  // only a user function's argument takes it
                    throw ErroDeBanco("Incorrect syntax near the keyword 'DEFAULT'.", 156, 15, 1);
                return "zv_user_name()";
            },
        },
        e.no);
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
            if (!f.apelido.empty()) escopo.emplace_back(f.apelido, TabelaDerivada(*f.derivada));
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
    for (std::size_t k = 0; k < s.itens.size(); ++k) {
        const Expressao& e = *s.itens[k].expressao;
        std::string nome = k < nomes.size() ? nomes[k] : s.itens[k].apelido;
        if (const auto* c = std::get_if<Coluna>(&e.no); nome.empty() && c) nome = c->partes.back();
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

// The most characters a text's type holds where SQL Server cuts what REPLICATE makes of
// it: 8 000 bytes, so 4 000 national characters; 0 for the max types, which it does not
// cut.
int GeradorSqlite::LimiteDeReplicacao(const Expressao& e) const {
    if (const auto* p = std::get_if<Parenteses>(&e.no)) return LimiteDeReplicacao(*p->dentro);
    if (const auto* f = std::get_if<Chamada>(&e.no)) {
        const std::string chave = Dobrar(f->nome.back());
        if ((chave == "cast" || chave == "convert") &&
            Dobrar(f->tipo).find("max") != std::string::npos)
            return 0;
    }
    if (const auto* c = std::get_if<Coluna>(&e.no))
        if (const ColunaDaTabela* col = ColunaDoEscopo(*c))
            if (col->tipo.tamanho == -1 || col->tipo.base == TipoBase::Text ||
                col->tipo.base == TipoBase::NText)
                return 0;
    return Nacional(e) ? 4000 : 8000;
}

// "|int", "|numeric", "|money" or "|float" after the type of a CAST or CONVERT of a number
// to text: a result too long for the text is '*' or an error by the number's type.
std::string GeradorSqlite::OrigemNumerica(const Chamada& c, std::size_t valor) const {
    if (valor >= c.argumentos.size()) return "";
    const auto alvo = LerTextoDeTipo(c.tipo);
    const auto t = TipoDe(*c.argumentos[valor]);
    if (alvo && t && EhDataHora(alvo->base) && (EhDataHora(t->base) || EhTexto(t->base)))
        return "|" + TextoDoTipo(*t);  // a text and a stored date-time read differently
    if (!alvo || !t || !EhTexto(alvo->base)) return "";
    if (EhInteiro(t->base) && t->base != TipoBase::Bit) return "|int";
    if (t->base == TipoBase::Money || t->base == TipoBase::SmallMoney) return "|money";
    if (EhNumericoExato(t->base)) return "|numeric";
    if (t->base == TipoBase::Float || t->base == TipoBase::Real) return "|float";
    // a date, time or datetime2 shows its own fraction, unlike a datetime
    if (t->base == TipoBase::Date || t->base == TipoBase::Time || t->base == TipoBase::DateTime2 ||
        t->base == TipoBase::DateTimeOffset)
        return "|" + TextoDoTipo(*t);
    return "";
}

std::string GeradorSqlite::Chamar(const Chamada& c) {
    if (c.nome.size() == 1 && c.nome[0] == ".value") return ChamarValorXml(c);
    std::string chave = Dobrar(c.nome.back());
    if (c.nome.size() == 1 && c.argumentos.empty())
        if (std::string f = SqliteDaFuncaoDeErro(chave, ctx_.variaveis); !f.empty()) return f;
    // a user's function may have any name, the engine's own included (dbo.zv_len)
    const bool doUsuario = c.nome.size() > 1 && ctx_.funcaoDoUsuario;
    if (doUsuario)
        if (auto f = FuncaoDoUsuario(c)) return ChamarFuncaoDoUsuario(c, *f);
    if (EhFuncaoDoMotor(chave) && (c.nome.size() > 1 || !Funcoes().count(chave))) {
        std::string nome;
        for (const auto& p : c.nome) nome += (nome.empty() ? "" : ".") + p;
        if (c.nome.size() == 1)
            throw ErroDeBanco("'" + nome + "' is not a recognized built-in function name.", 195, 15,
                              10);
        throw ErroDeBanco("Cannot find either column \"" + c.nome.front() +
                              "\" or the user-defined function or aggregate \"" + nome +
                              "\", or the name is ambiguous.",
                          4121, 16, 1);
    }
    if (doUsuario) {
        // a body may call a function made after it
        if (!ctx_.variaveisSemValor && c.nome.size() <= 3) {
            std::string nome;
            for (const auto& p : c.nome) nome += (nome.empty() ? "" : ".") + p;
            throw ErroDeBanco("Cannot find either column \"" + c.nome[c.nome.size() - 2] +
                                  "\" or the user-defined function or aggregate \"" + nome +
                                  "\", or the name is ambiguous.",
                              4121, 16, 1);
        }
    }
    static const std::set<std::string> kDe2012 = {"concat",
                                                  "iif",
                                                  "choose",
                                                  "eomonth",
                                                  "format",
                                                  "try_convert",
                                                  "try_cast",
                                                  "try_parse",
                                                  "parse",
                                                  "datefromparts",
                                                  "lag",
                                                  "lead",
                                                  "first_value",
                                                  "last_value",
                                                  "cume_dist",
                                                  "percent_rank",
                                                  "percentile_cont",
                                                  "percentile_disc"};
    if (c.nome.size() == 1 && ctx_.versaoMaior < 11 && kDe2012.count(chave))
        throw ErroDeBanco("'" + c.nome[0] + "' is not a recognized built-in function name.", 195,
                          15, 10);
    // SQL Server's hash of these is its own: a value of another would be a wrong answer
    if (c.nome.size() == 1 &&
        (chave == "checksum" || chave == "binary_checksum" || chave == "checksum_agg"))
        throw ErroDeBanco("O simulador de SQL Server não calcula " + c.nome[0] +
                          ": os valores de SQL Server para ela não se reproduzem aqui.");
    if (chave == "update" && c.nome.size() == 1) return ColunaAtualizada(c);
    if (c.nome.size() == 1) VerificarJanela(c, chave);
    if (c.nome.size() == 1 && (chave == "grouping" || chave == "grouping_id"))
        return Agrupando(c, chave);
    if (c.nome.size() == 1)
        ExigirArgumentos(
            chave, c.argumentos.size() + (c.parteDeData.empty() ? 0 : 1) + (c.estrela ? 1 : 0));
    if (chave == "datalength" && c.nome.size() == 1 && c.argumentos.size() == 1 &&
        Nacional(*c.argumentos[0]))
        return "(zv_datalength(" + Gerar(*c.argumentos[0]) + ") * 2)";
    VerificarOperandoDoAgregado(c, chave);
    if (chave == "concat" && c.nome.size() == 1) return Concatenar(c);
    if ((chave == "parse" || chave == "try_parse") && c.nome.size() == 1) {
        // the culture's text made the invariant one, then converted as CAST converts it
        const std::string tentar = chave == "try_parse" ? "1" : "0";
        return std::string(chave == "try_parse" ? "zv_try_cast" : "zv_cast") + "(zv_parse(" +
               Gerar(*c.argumentos[0]) + ", " + ComoTexto(c.tipo) + ", " +
               (c.argumentos.size() > 1 ? Gerar(*c.argumentos[1]) : "''") + ", " + tentar + "), " +
               ComoTexto(c.tipo) + ")";
    }
    if ((chave == "cast" || chave == "convert") && c.nome.size() == 1 &&
        (chave == "cast" || c.argumentos.size() == 1))
        if (auto alvo = LerTextoDeTipo(c.tipo); alvo && EhBinario(alvo->base)) {
            // a text becomes the bytes its own type keeps: nvarchar's are UTF-16
            const std::string x = "zv_bytes(" + Gerar(*c.argumentos[0]) + ", " +
                                  (Nacional(*c.argumentos[0]) ? "1" : "0") + ")";
            return chave == "cast" ? "zv_cast(" + x + ", " + ComoTexto(c.tipo) + ")"
                                   : "zv_convert(" + ComoTexto(c.tipo) + ", " + x + ")";
        }
    if (chave == "hashbytes" && c.nome.size() == 1)
        return "zv_hashbytes(" + Gerar(*c.argumentos[0]) + ", " + Gerar(*c.argumentos[1]) + ", " +
               (Nacional(*c.argumentos[1]) ? "1" : "0") + ")";
    if (std::string d = ChamadaDecimal(c, chave); !d.empty()) return d;
    auto it = c.nome.size() == 1 ? Funcoes().find(chave) : Funcoes().end();
    std::string s = (it == Funcoes().end() ? c.nome.back() : it->second) + "(";
    std::vector<std::string> args;
    if (!c.parteDeData.empty()) args.push_back(ComoTexto(c.parteDeData));
    const bool comoConvert = chave == "convert" || chave == "try_convert";
    const bool comoCast = chave == "cast" || chave == "try_cast";
    const std::string tipo =
        (comoConvert || comoCast) && c.nome.size() == 1 ? c.tipo + OrigemNumerica(c, 0) : c.tipo;
    if (comoConvert && c.nome.size() == 1) args.push_back(ComoTexto(tipo));
    if (auto convertidos =
            c.nome.size() == 1 ? ArgumentosConvertidos(c, chave) : std::vector<std::string>{};
        !convertidos.empty())
        args.insert(args.end(), convertidos.begin(), convertidos.end());
    else
        for (const auto& a : c.argumentos) args.push_back(Gerar(*a));
    if ((comoCast || comoConvert) && c.nome.size() == 1 && !c.argumentos.empty()) {
        // a date-time column's stored text is written in the style asked for, as any date-time
        const auto t = TipoDe(*c.argumentos[0]);
        if (t && (t->base == TipoBase::DateTime || t->base == TipoBase::SmallDateTime))
            args[comoConvert ? 1 : 0] = "zv_dt(" + args[comoConvert ? 1 : 0] + ")";
    }
    if (comoCast && c.nome.size() == 1) args.push_back(ComoTexto(tipo));
    if ((chave == "todatetimeoffset" || chave == "switchoffset") && c.nome.size() == 1 &&
        c.argumentos.size() == 2) {
        // the result keeps the fraction digits of the value's type
        const auto t = TipoDe(*c.argumentos[0]);
        args.push_back(ComoTexto(t && EhDataHora(t->base) ? TextoDoTipo(*t) : ""));
    }
    if (chave == "datediff" && c.nome.size() == 1)  // a datetimeoffset counts in UTC
        for (std::size_t k = 0; k < c.argumentos.size(); ++k)
            if (const auto t = TipoDe(*c.argumentos[k]); t && t->base == TipoBase::DateTimeOffset)
                args[k + 1] = "zv_dto_utc(" + args[k + 1] + ")";
    if (chave == "dateadd" && c.nome.size() == 1 && c.argumentos.size() == 2) {
        // the sum keeps the date's type, whose parts it must have
        const auto t = TipoDe(*c.argumentos[1]);
        args.push_back(ComoTexto(t && EhDataHora(t->base) ? TextoDoTipo(*t) : ""));
    }
    if (chave == "replicate" && c.nome.size() == 1 && c.argumentos.size() == 2)
        args.push_back(std::to_string(LimiteDeReplicacao(*c.argumentos[0])));
    if (chave == "choose" && c.nome.size() == 1 && !args.empty())
        args[0] = "zv_cast(" + args[0] + ", 'int')";  // CHOOSE(2.7, ...) is CHOOSE(2, ...)
    if (c.estrela) args.push_back("*");
    if (c.distinto) s += "DISTINCT ";
    for (std::size_t k = 0; k < args.size(); ++k) s += (k ? ", " : "") + args[k];
    return s + ")" + Sobre(c);
}

// UPDATE(col) in a trigger: whether the statement that fired it set the column (an
// INSERT sets them all).
std::string GeradorSqlite::ColunaAtualizada(const Chamada& c) {
    const auto* col =
        c.argumentos.size() == 1 ? std::get_if<Coluna>(&c.argumentos[0]->no) : nullptr;
    if (!col || col->partes.size() != 1)
        throw ErroDeBanco("Incorrect syntax near 'UPDATE'.", 102, 15, 1);
    if (ctx_.variaveisSemValor) return "0";  // a body being compiled
    if (!ctx_.gatilho)
        throw ErroDeBanco("O simulador de SQL Server não avalia UPDATE(" + col->partes[0] +
                          ") fora de uma trigger.");
    if (ctx_.gatilho->tabela && !ctx_.gatilho->tabela->Coluna(col->partes[0]))
        throw ErroDeBanco("Invalid column name '" + col->partes[0] + "'.", 207, 16, 1);
    for (const auto& a : ctx_.gatilho->atualizadas)
        if (IguaisCiAs(a, col->partes[0])) return "1";
    return "0";
}

// " OVER (...)" of a window function; "" for any other call.
std::string GeradorSqlite::Sobre(const Chamada& c) {
    if (!c.sobre) return "";
    std::string s = " OVER (";
    if (!c.sobre->particao.empty()) {
        s += "PARTITION BY ";
        for (std::size_t k = 0; k < c.sobre->particao.size(); ++k)
            s += (k ? ", " : "") + Gerar(*c.sobre->particao[k]);
    }
    if (!c.sobre->ordem.empty())
        s += std::string(c.sobre->particao.empty() ? "" : " ") + Ordem(c.sobre->ordem);
    if (!c.sobre->moldura.empty()) s += " " + c.sobre->moldura;
    return s + ")";
}

std::string GeradorSqlite::Ordem(const std::vector<OrdemDe>& ordem) {
    std::string s = "ORDER BY ";
    for (std::size_t k = 0; k < ordem.size(); ++k)
        s += (k ? ", " : "") + ComColacaoDecimal(*ordem[k].expressao, Gerar(*ordem[k].expressao)) +
             (ordem[k].decrescente ? " DESC" : "");
    return s;
}

// Two tables of one FROM without an alias are told apart by nothing: SQL Server refuses
// them (SQLite would take both and fail on, or pick one for, each column they share).
void GeradorSqlite::ExigirNomesExpostosDistintos(const Selecao& s) {
    auto escrito = [](const std::vector<std::string>& partes) {
        std::string nome;
        for (const auto& p : partes) nome += (nome.empty() ? "" : ".") + p;
        return nome;
    };
    std::vector<const Fonte*> fontes;
    ParaCadaFonte(s.de, [&](const Fonte& f) { fontes.push_back(&f); });
    for (std::size_t a = 0; a < fontes.size(); ++a) {
        const Fonte& x = *fontes[a];
        if (x.nome.empty() || !x.apelido.empty()) continue;
        for (std::size_t b = a + 1; b < fontes.size(); ++b) {
            const Fonte& y = *fontes[b];
            if (!y.nome.empty() && y.apelido.empty() && IguaisCiAs(x.nome.back(), y.nome.back()))
                throw ErroDeBanco("The objects \"" + escrito(x.nome) + "\" and \"" +
                                      escrito(y.nome) +
                                      "\" in the FROM clause have the same exposed names. Use "
                                      "correlation names to distinguish them.",
                                  1013, 16, 1);
        }
    }
}

// An ORDER BY names a position of the select list or an expression; a constant that is
// no position is refused as SQL Server does, and so is SQLite's hidden rowid.
void GeradorSqlite::VerificarOrdem(const Consulta& q) {
    const Selecao* s = q.ramos.empty() ? nullptr : q.ramos[0].selecao.get();
    const bool contavel =
        s && std::none_of(s->itens.begin(), s->itens.end(), [](const ItemDaSelecao& i) {
            const auto* c = std::get_if<Coluna>(&i.expressao->no);
            return c && c->partes.back() == "*";
        });
    for (std::size_t k = 0; k < q.ordem.size(); ++k) {
        if (const auto* c = std::get_if<Coluna>(&q.ordem[k].expressao->no); c && s) {
            const bool apelido = std::any_of(s->itens.begin(), s->itens.end(), [&](const auto& i) {
                return c->partes.size() == 1 && IguaisCiAs(i.apelido, c->partes[0]);
            });
            escopos_.push_back(EscopoDe(*s));
            const bool oculta = !apelido && ColunaOcultaDoSqlite(*c);
            escopos_.pop_back();
            if (oculta)
                throw ErroDeBanco("Invalid column name '" + c->partes.back() + "'.", 207, 16, 1);
        }
        const auto* l = std::get_if<Literal>(&q.ordem[k].expressao->no);
        if (!l) continue;
        const bool posicao = l->tipo == Literal::Tipo::Numero && !l->moeda && !l->texto.empty() &&
                             l->texto.find_first_not_of("0123456789") == std::string::npos;
        if (!posicao)
            throw ErroDeBanco(
                "A constant expression was encountered in the ORDER BY list, position " +
                    std::to_string(k + 1) + ".",
                408, 16, 1);
        const std::string numero =
            l->texto.substr(std::min(l->texto.find_first_not_of('0'), l->texto.size() - 1));
        if (contavel &&
            (numero == "0" || numero.size() > 9 || std::stoul(numero) > s->itens.size()))
            throw ErroDeBanco("The ORDER BY position number " + numero +
                                  " is out of range of the number of items in the select list.",
                              108, 16, 1);
    }
}

// The SQLite name of a catalog view or table named with several parts. dbo.T names a
// table of this database, DB.dbo.T and DB..T one of DB (this one or another, attached
// under its own schema). The catalog views show this database's catalog: another
// database's is refused rather than shown wrong.
std::string GeradorSqlite::NomeDeTabela(const std::vector<std::string>& partes) {
    if (ctx_.gatilho && partes.size() == 1) {
        if (IguaisCiAs(partes[0], "inserted")) return ctx_.gatilho->inseridas;
        if (IguaisCiAs(partes[0], "deleted")) return ctx_.gatilho->excluidas;
    }
    if (std::string catalogo = NomeDeCatalogo(partes); !catalogo.empty()) {
        const std::string ultimo = Dobrar(partes.back());
        const bool doServidor = ultimo == "sysprocesses" || ultimo == "sysdatabases" ||
                                ultimo == "databases" || ultimo == "dm_exec_sessions" ||
                                ultimo == "dm_exec_requests";
        const std::string banco = partes.size() >= 3 ? partes[partes.size() - 3] : "";
        if (!doServidor && !banco.empty() && ctx_.esquemaDoBanco &&
            !ctx_.esquemaDoBanco(banco).empty())
            throw ErroDeBanco("O simulador de SQL Server não lê o catálogo de outro banco ('" +
                              banco + "." + partes[partes.size() - 2] + "." + partes.back() +
                              "'); use USE " + banco + ".");
        return catalogo;
    }
    const std::size_t n = partes.size();
    if (n == 1 && !partes[0].empty() && partes[0][0] == '@' &&
        !(ctx_.catalogo && ctx_.catalogo()->AcharTabela(partes[0])))
        throw ErroDeBanco("Must declare the table variable \"" + partes[0] + "\".", 1087, 15, 2);
    // SQLite's schemas are no names of SQL Server's, and the engine's own tables are
    // reached by none: a name of the engine's is a user's object or unknown.
    bool desconhecido = n == 2 && Dobrar(partes[0]) != "dbo";
    if (!desconhecido && EhTabelaDoMotor(partes.back()) && BancoDoNome(partes).empty())
        desconhecido = !ObjetoDoUsuario(partes);
    if (desconhecido) {
        std::string nome;
        for (const auto& p : partes) nome += (nome.empty() ? "" : ".") + p;
        throw ErroDeBanco("Invalid object name '" + nome + "'.", 208, 16, 1);
    }
    const std::string banco = BancoDoNome(partes);
    // sysobjects is the catalog's (or a WITH query's); dbo.sysobjects the user's table,
    // if there is one
    const std::string visao = Dobrar(partes.back());
    if (banco.empty() && visao.rfind("zv_", 0) != 0 && EhVisaoDoCatalogo(visao)) {
        const bool daConsulta =
            n == 1 && std::any_of(nomeadas_.begin(), nomeadas_.end(),
                                  [&](const auto& c) { return IguaisCiAs(c.first, visao); });
        if (!daConsulta && (n == 1 || !ObjetoDoUsuario(partes))) return visao;
    }
    std::string esquema;
    if (!banco.empty() && ctx_.esquemaDoBanco) esquema = ctx_.esquemaDoBanco(banco);
    const std::string nome = IdentificadorNoSqlite(partes.back());
    return esquema.empty() ? nome : esquema + "." + nome;
}

// A table, view or WITH query of this database has that name.
bool GeradorSqlite::ObjetoDoUsuario(const std::vector<std::string>& partes) {
    if (partes.size() == 1)
        for (const auto& [nome, tabela] : nomeadas_)
            if (IguaisCiAs(nome, partes[0])) return true;
    Catalogo* catalogo = ctx_.catalogo ? ctx_.catalogo() : nullptr;
    return catalogo &&
           (catalogo->AcharTabela(partes.back()) || catalogo->AcharObjeto(partes.back()));
}

// The SQLite name of a catalog view; "" for any other name.
std::string GeradorSqlite::NomeDeCatalogo(const std::vector<std::string>& partes) {
    const std::string escrito = Dobrar(partes.back());
    // systypes and the views of columns read the alias types, put there as the catalog loads
    if (ctx_.catalogo && (escrito == "systypes" || escrito == "types" || escrito == "syscolumns" ||
                          escrito == "columns"))
        ctx_.catalogo();
    std::vector<std::string> p;
    for (const auto& s : partes) p.push_back(Dobrar(s));
    const std::string& ultimo = p.back();
    if (ultimo == "sysprocesses") {
        ctx_.usaProcessos = true;
        return "zv_sysprocesses";
    }
    if (ultimo == "sysdatabases") {
        ctx_.usaBancos = true;
        return "zv_sysdatabases";
    }
    std::string nome;
    if (p.size() >= 2 && p[p.size() - 2] == "sys") {
        if (ultimo == "databases") ctx_.usaBancos = true;
        if (ultimo == "dm_exec_sessions" || ultimo == "dm_exec_requests") ctx_.usaProcessos = true;
        // sys.sysobjects is sysobjects
        nome =
            EhVisaoDoCatalogo(ultimo) && ultimo.rfind("sys", 0) == 0 ? ultimo : "zv_sys_" + ultimo;
    } else if (p.size() >= 2 && p[p.size() - 2] == "information_schema") {
        nome = "zv_is_" + ultimo;
    } else {
        return "";
    }
    if (!EhVisaoDoCatalogo(nome)) {
        std::string escrito;
        for (const auto& s : partes) escrito += (escrito.empty() ? "" : ".") + s;
        throw ErroDeBanco("Invalid object name '" + escrito + "'.", 208, 16, 1);
    }
    return nome;
}

// SQLite's hidden rowid, oid and _rowid_ are no columns of SQL Server's: such a name is
// a column the tables in scope declare (as far as the generator knows them all), or none.
bool GeradorSqlite::ColunaOcultaDoSqlite(const Coluna& c) const {
    const std::string nome = Dobrar(c.partes.back());
    if ((nome != "rowid" && nome != "oid" && nome != "_rowid_") || escopos_.empty() ||
        ColunaDoEscopo(c))
        return false;
    const std::string dono = c.partes.size() >= 2 ? c.partes[c.partes.size() - 2] : "";
    bool donoNoEscopo = dono.empty();
    for (const auto& escopo : escopos_)
        for (const auto& [apelido, tabela] : escopo) {
            const bool derivada =
                std::any_of(derivadas_.begin(), derivadas_.end(),
                            [&](const std::unique_ptr<Tabela>& d) { return d.get() == tabela; });
            if (!tabela || derivada) return false;
            if (!dono.empty() && IguaisCiAs(apelido, dono)) donoNoEscopo = true;
        }
    return donoNoEscopo;
}

std::string GeradorSqlite::NomeDeColuna(const Coluna& c) {
    if (auto aplicada = ColunaAplicada(c)) return *aplicada;
    if (ColunaOcultaDoSqlite(c))
        throw ErroDeBanco("Invalid column name '" + c.partes.back() + "'.", 207, 16, 1);
    const auto& p = c.partes;
    if (p.size() == 1) {
        if (p[0] == "*") return "*";
        return c.citada ? ComoIdentificador(p[0]) : p[0];
    }
    std::size_t primeiro = p.size() >= 3 ? p.size() - 1 : (Dobrar(p[0]) == "dbo" ? 1 : 0);
    if (p.size() >= 3 && p.back() == "*") primeiro = p.size() - 2;
    std::string nome;
    // the parts before the column's name a table's or an alias's
    for (std::size_t k = primeiro; k < p.size(); ++k)
        nome += (nome.empty() ? "" : ".") + (p[k] == "*"        ? "*"
                                             : k + 1 < p.size() ? IdentificadorNoSqlite(p[k])
                                                                : ComoIdentificador(p[k]));
    return nome;
}

std::string GeradorSqlite::GerarFonte(const Fonte& f) {
    if (!f.juncoes.empty()) return "(" + Gerar(f.juncoes) + ")";
    if (f.pivo) return GerarPivo(f).sql + " AS " + IdentificadorNoSqlite(f.pivo->apelido);
    std::string s;
    if (f.derivada)
        s = "(" + Gerar(*f.derivada) + ")";
    else if (FuncaoDeTabela(f))
        s = ExpandirFuncao(f).sql +
            (f.apelido.empty() ? " AS " + IdentificadorNoSqlite(NomeDaFuncao(f)) : "");
    else if (f.funcao)
        s = Gerar(*f.funcao);
    else if (!f.valores.empty())
        s = GerarValores(f);
    else
        s = NomeDeTabela(f.nome);
    if (!f.colunasDoApelido.empty() && f.valores.empty())
        throw ErroDeBanco(
            "O simulador de SQL Server não aceita nomes de colunas no apelido de uma tabela "
            "derivada.");
    if (!f.apelido.empty()) s += " AS " + IdentificadorNoSqlite(f.apelido);
    return s;
}

std::string GeradorSqlite::Gerar(const std::vector<Juncao>& fontes) {
    std::string s;
    for (const auto& j : fontes) {
        if (j.tipo == "CROSS APPLY" || j.tipo == "OUTER APPLY") {
            s += GerarAplicacao(j);
            continue;
        }
        if (j.tipo == ",")
            s += ", ";
        else if (!j.tipo.empty())
            s += " " + j.tipo + " ";
        s += GerarFonte(j.fonte);
        if (j.condicao) s += " ON " + Gerar(*j.condicao);
    }
    return s;
}

std::string GeradorSqlite::Gerar(const Clausulas& c) {
    std::string s;
    if (!c.de.empty()) s = "FROM " + Gerar(c.de);
    if (c.onde) s += std::string(s.empty() ? "" : " ") + "WHERE " + Gerar(*c.onde);
    return s;
}

std::string GeradorSqlite::GerarNomeada(const std::string& nome,
                                        const std::vector<std::string>& colunas,
                                        const Consulta& consulta) {
    std::string s = IdentificadorNoSqlite(nome);
    if (!colunas.empty()) {
        s += "(";
        for (std::size_t m = 0; m < colunas.size(); ++m)
            s += (m ? ", " : "") + ComoIdentificador(colunas[m]);
        const Consulta* q = &consulta;  // (SELECT ...): the SELECT inside
        while (q->ramos.size() == 1 && q->ramos[0].consulta) q = q->ramos[0].consulta.get();
        const Selecao* primeira = q->ramos.empty() ? nullptr : q->ramos[0].selecao.get();
        if (ctx_.chavesDaLinha && ctx_.chavesDaLinha->count(primeira)) s += ", zv_linha";
        s += ")";
    }
    // named already while its own text is written: a recursive one reads itself
    nomeadas_.emplace_back(nome, nullptr);
    const std::size_t propria = nomeadas_.size() - 1;
    s += " AS (" + Gerar(consulta) + ")";
    nomeadas_[propria].second = TabelaDerivada(consulta, colunas);
    return s;
}

// SELECT @v = x: the value as the variable's type. A SELECT that assigns returns no
// rows to the client, so each of its items assigns.
std::string GeradorSqlite::ValorAtribuido(const Selecao& s, std::size_t k) {
    const ItemDaSelecao& item = s.itens[k];
    if (item.variavel.empty() || &s != selecaoPrincipal_)
        throw ErroDeBanco(
            "A SELECT statement that assigns a value to a variable must not be combined with "
            "data-retrieval operations.",
            141, 15, 1);
    const auto tipo = ctx_.variaveis ? ctx_.variaveis->Tipo(item.variavel) : std::nullopt;
    if (!tipo) return Gerar(*item.expressao);  // a body being compiled
    ctx_.atribuidas.push_back(item.variavel);
    return Convertido(*item.expressao, *tipo);
}

std::string GeradorSqlite::Convertido(const Expressao& e, const TipoSql& t) {
    std::string x = Gerar(e);
    const auto origem = TipoDe(e);
    // a decimal becomes an integer or float from its value, not from its text
    if (origem && EhNumericoExato(origem->base) &&
        (EhInteiro(t.base) || t.base == TipoBase::Float || t.base == TipoBase::Real))
        x = "zv_dreal(" + x + ")";
    std::string tipo = TextoDoTipo(t);
    if (origem && EhDataHora(t.base) && (EhDataHora(origem->base) || EhTexto(origem->base)))
        tipo += "|" + TextoDoTipo(*origem);
    return "zv_cast(" + x + ", " + ComoTexto(tipo) + ")";
}

std::string GeradorSqlite::GerarSelecao(const Selecao& s) {
    ExigirNomesExpostosDistintos(s);
    escopos_.push_back(EscopoDe(s));
    struct Saida {
        std::vector<std::vector<std::pair<std::string, Tabela*>>>& e;
        std::vector<const Selecao*>& abertas;
        ~Saida() {
            e.pop_back();
            abertas.pop_back();
        }
    } saida{escopos_, abertas_};
    abertas_.push_back(&s);
    RegistrarAplicadas(s);
    if (&s == selecaoPrincipal_) AnotarTipos(s);
    if (!s.destino.empty()) {
        if (&s != selecaoPrincipal_ && tiposDosRamos_.count(&s))
            throw ErroDeBanco(
                "SELECT INTO must be the first query in a statement containing a UNION, "
                "INTERSECT or EXCEPT operator.",
                196, 15, 1);
        if (&s != selecaoPrincipal_ || !ctx_.comDestino)
            throw ErroDeBanco("Incorrect syntax near the keyword 'INTO'.", 156, 15, 1);
        AnotarDestino(s);
    }
    // a subquery's columns are its own: the outer grouping set masks none of them
    struct Contexto {
        GeradorSqlite& g;
        const ConjuntoAtual* conjunto;
        bool mascarar;
        const Selecao* agrupada;
        ~Contexto() { g.conjunto_ = conjunto, g.mascarar_ = mascarar, g.agrupada_ = agrupada; }
    } contexto{*this, conjunto_, mascarar_, agrupada_};
    conjunto_ = nullptr;
    mascarar_ = false;
    agrupada_ = &s;
    VerificarAgrupamento(s);
    if (!s.conjuntos.empty()) return GerarConjuntos(s);
    const auto ramo = tiposDosRamos_.find(&s);
    std::string r = s.distinto ? "SELECT DISTINCT " : "SELECT ";
    if (&s == selecaoPrincipal_) ctx_.atribuidas.clear();
    const bool atribui = std::any_of(s.itens.begin(), s.itens.end(),
                                     [](const auto& i) { return !i.variavel.empty(); });
    for (std::size_t k = 0; k < s.itens.size(); ++k) {
        const Expressao& e = *s.itens[k].expressao;
        if (atribui) {
            r += (k ? ", " : "") + ValorAtribuido(s, k);
            continue;
        }
        if (const auto* c = std::get_if<Coluna>(&e.no))
            if (auto estrela = EstrelaComAplicadas(*c, s)) {
                r += (k ? ", " : "") + *estrela;
                continue;
            }
        std::string item = Gerar(e);
        std::string convertido;
        if (ramo != tiposDosRamos_.end() && k < ramo->second.size())
            convertido = ComoTipoDoRamo(e, ramo->second[k], item);
        r += (k ? ", " : "") + (convertido.empty() ? ComColacaoDecimal(e, item) : convertido);
        if (!s.itens[k].apelido.empty()) r += " AS " + ComoIdentificador(s.itens[k].apelido);
    }
    if (ctx_.chavesDaLinha)
        if (auto chave = ctx_.chavesDaLinha->find(&s); chave != ctx_.chavesDaLinha->end())
            r += ", " + chave->second + " AS zv_linha";
    if (&s == contarEmpates_.first) r += ", count(*) OVER (" + contarEmpates_.second + ") AS zv_empates";
    if (!s.de.empty()) r += " FROM " + Gerar(s.de);
    if (s.onde) r += " WHERE " + Gerar(*s.onde);
    if (!s.grupo.empty()) {
        // SQLite would read a number as a position of the select list
        for (const auto& g : s.grupo)
            if (std::holds_alternative<Literal>(g->no))
                throw ErroDeBanco(
                    "Each GROUP BY expression must contain at least one column that is not an "
                    "outer reference.",
                    164, 15, 1);
        r += " GROUP BY ";
        for (std::size_t k = 0; k < s.grupo.size(); ++k) r += (k ? ", " : "") + Gerar(*s.grupo[k]);
    }
    if (s.tendo) r += " HAVING " + Gerar(*s.tendo);
    return r;
}

// A branch of a compound query: SQLite takes neither LIMIT nor parentheses there, so a
// branch with TOP or in parentheses becomes a derived table of its own.
std::string GeradorSqlite::GerarRamo(const Ramo& r, bool unico) {
    if (r.consulta) {
        std::string q = Gerar(*r.consulta);
        return unico ? q : "SELECT * FROM (" + q + ")";
    }
    std::string s = GerarSelecao(*r.selecao);
    if (unico || !r.selecao->topo) return s;
    if (r.selecao->porcento || r.selecao->comEmpates)
        throw ErroDeBanco(
            "O simulador de SQL Server não aceita TOP ... PERCENT nem WITH TIES em UNION, EXCEPT "
            "ou INTERSECT.");
    return "SELECT * FROM (" + s + " LIMIT " + Gerar(*r.selecao->topo) + ")";
}

std::string GeradorSqlite::Gerar(const Consulta& q) {
    if (q.xml && &q != xmlEmCurso_) return GerarXml(q, false);
    if (consultas_ == 0 && !q.ramos.empty()) selecaoPrincipal_ = q.ramos[0].selecao.get();
    ++consultas_;
    struct Saida {
        int& n;
        ~Saida() { --n; }
    } saida{consultas_};
    std::string s;
    if (!q.com.empty()) {
        s = "WITH ";
        for (std::size_t k = 0; k < q.com.size(); ++k)
            s += (k ? ", " : "") + GerarNomeada(q.com[k].nome, q.com[k].colunas, *q.com[k].consulta);
        s += " ";
    }
    TiparRamos(q);
    bool unico = q.ramos.size() == 1;
    bool entreParenteses = unico && q.ramos[0].consulta;
    const std::size_t inicioDoCorpo = s.size();
    if (entreParenteses && (!q.ordem.empty() || q.deslocamento))
        s += "SELECT * FROM (" + Gerar(*q.ramos[0].consulta) + ")";
    else
        for (std::size_t k = 0; k < q.ramos.size(); ++k)
            s += (k ? " " + q.operadores[k - 1] + " " : "") + GerarRamo(q.ramos[k], unico);
    const std::string corpo = s.substr(inicioDoCorpo);
    // ORDER BY and TOP read the columns of the queries the lone SELECT applies
    struct Aberta {
        std::vector<const Selecao*>& abertas;
        ~Aberta() { abertas.pop_back(); }
    } aberta{abertas_};
    abertas_.push_back(unico ? q.ramos[0].selecao.get() : nullptr);
    if (!q.ordem.empty()) {
        VerificarOrdem(q);
        VerificarOrdemDistinta(q);
        s += " " + (unico && q.ramos[0].selecao && !q.ramos[0].selecao->conjuntos.empty()
                        ? OrdemDosConjuntos(q)
                        : Ordem(q.ordem));
    } else if (unico && q.ramos[0].selecao && q.ramos[0].selecao->emRollup) {
        s += " " + OrdemDoRollup(*q.ramos[0].selecao);
    }
    if (unico && q.ramos[0].selecao && q.ramos[0].selecao->topo)
        s += " LIMIT " + LimiteDoTopo(q, *q.ramos[0].selecao, corpo);
    else if (q.deslocamento)
        s += " LIMIT " + (q.busca ? Gerar(*q.busca) : std::string("-1")) + " OFFSET " +
             Gerar(*q.deslocamento);
    return s;
}

// The LIMIT of TOP n [PERCENT] [WITH TIES] of a lone SELECT, `corpo` its text without
// ORDER BY. A percent of its rows is rounded up; ties take the rows after the nth whose
// ORDER BY values equal its, so the limit is the count of rows ordered no later than it.
std::string GeradorSqlite::LimiteDoTopo(const Consulta& q, const Selecao& s,
                                        const std::string& corpo) {
    std::string n = Gerar(*s.topo);
    if (!s.porcento && !s.comEmpates) return n;
    n = "(" + n + ")";
    if (s.porcento) {
        const std::string x = "(count(*) * " + n + " / 100.0)";
        n = "(SELECT CAST(" + x + " AS INTEGER) + (" + x + " > CAST(" + x + " AS INTEGER)) FROM (" +
            corpo + "))";
    }
    if (!s.comEmpates) return n;
    if (q.ordem.empty()) throw ErroDoServidor(1062);
    const std::string ordem = Ordem(q.ordem);
    contarEmpates_ = {&s, ordem};
    const std::string contada = GerarSelecao(s);
    contarEmpates_ = {};
    return "coalesce((SELECT zv_empates FROM (" + contada + " " + ordem + " LIMIT 1 OFFSET " + n +
           " - 1)), -1)";
}

}  // namespace zolvek::simulador
