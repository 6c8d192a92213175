// INSERT ... VALUES and INSERT ... SELECT: the columns they write, their SQLite text (shared
// between statements of the same form) and their run.
#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "comum/erros.hpp"
#include "simulador/motor/catalogo/catalogo.hpp"
#include "simulador/motor/catalogo/materializacao.hpp"
#include "simulador/motor/catalogo/mensagens_do_servidor.hpp"
#include "simulador/motor/catalogo/nomes_do_motor.hpp"
#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/motor/execucao/alvos_alteraveis.hpp"
#include "simulador/motor/execucao/dados_alteracoes.hpp"
#include "simulador/motor/execucao/executor.hpp"
#include "simulador/motor/execucao/formas_de_insercao.hpp"
#include "simulador/motor/funcoes/funcoes.hpp"
#include "simulador/motor/geracao/gerador_sqlite.hpp"
#include "simulador/motor/leitura/analisador_de_expressoes.hpp"
#include "simulador/motor/leitura/reescrita.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

// The type of a lone expression the generator wrote, when it knows it.
std::optional<TipoSql> Unico(const std::vector<std::optional<TipoSql>>& tipos) {
    return tipos.size() == 1 ? tipos[0] : std::nullopt;
}

// A table the statement names and the database does not have; an undeclared table
// variable is SQL Server's 1087.
[[noreturn]] void ObjetoInvalido(const std::string& nome) {
    if (!nome.empty() && nome[0] == '@') throw ErroDoServidor(1087, {nome});
    throw ErroDoServidor(208, {nome});
}

}  // namespace

void ExigirColunaGravavel(const ColunaDaTabela& c) {
    if (!c.calculo.empty()) throw ErroDoServidor(271, {c.nome});
}

namespace {

// Literals of an INSERT ... VALUES are bound instead of written, so that the next INSERTs
// of the same shape find it prepared (the texts differ only in their values): a script of
// long VALUES lists, a few hundred rows each, is the usual bulk load. A longer list is
// written out, as its text would not be kept prepared anyway.
constexpr std::size_t kLiteraisLigados = 2048;
// A list that also reads variables (parameters of their own) binds its literals only up
// to this many: its parameters are then told apart by name, which SQLite looks up one by
// one.
constexpr std::size_t kLiteraisLigadosComVariaveis = 64;
// INSERT forms a session keeps (formas_de_insercao.hpp).
constexpr std::size_t kFormasGuardadas = 256;

// The value of an SQLite literal the rewrite wrote: an integer that fits, or a text.
std::optional<db::Valor> ValorDoLiteral(const std::string& e) {
    if (e.size() >= 2 && e.front() == '\'' && e.back() == '\'') {
        std::string texto;
        for (std::size_t k = 1; k + 1 < e.size(); ++k) {
            if (e[k] == '\'') {
                if (e[k + 1] != '\'' || k + 2 >= e.size()) return std::nullopt;
                ++k;
            }
            texto += e[k];
        }
        return texto;
    }
    const std::size_t inicio = !e.empty() && e[0] == '-' ? 1 : 0;
    if (e.size() <= inicio || e.size() - inicio > 18) return std::nullopt;
    for (std::size_t k = inicio; k < e.size(); ++k)
        if (!std::isdigit(static_cast<unsigned char>(e[k]))) return std::nullopt;
    return static_cast<std::int64_t>(std::strtoll(e.c_str(), nullptr, 10));
}

}  // namespace

namespace {

// A row of VALUES has one value for each column of the INSERT.
void ExigirValoresDasColunas(std::size_t valores, std::size_t colunas) {
    if (valores > colunas) throw ErroDoServidor(110);
    if (valores < colunas) throw ErroDoServidor(109);
}

// The conversions of the values of an INSERT's columns, each written once for each type
// of value the column gets (a long VALUES list brings few types).
class ConversoesDasColunas {
  public:
    ConversoesDasColunas(const Tabela& t, const std::vector<const ColunaDaTabela*>& alvo,
                         const std::string& marca)
        : t_(t), alvo_(alvo), marca_(marca), feitas_(alvo.size()) {}

    const std::string& Da(std::size_t coluna, const std::optional<TipoSql>& origem) {
        auto& feitas = feitas_[coluna];
        for (const auto& [tipo, conversao] : feitas)
            if (tipo == origem) return *conversao;
        const std::string& nova = Guardar(GuardaDaChave(
            t_, *alvo_[coluna], ChamadaDeConversao(marca_, alvo_[coluna]->tipo, origem)));
        if (feitas.size() < kTiposPorColuna) feitas.emplace_back(origem, &nova);
        return nova;
    }
    const std::string& Guardar(std::string conversao) {
        return textos_.emplace_back(std::move(conversao));
    }

  private:
    static constexpr std::size_t kTiposPorColuna = 16;
    const Tabela& t_;
    const std::vector<const ColunaDaTabela*>& alvo_;
    const std::string& marca_;
    std::deque<std::string> textos_;
    std::vector<std::vector<std::pair<std::optional<TipoSql>, const std::string*>>> feitas_;
};

}  // namespace

// A value of INSERT ... VALUES in SQLite's text, and its type where known. A text or a
// plain integer of up to nine digits, the usual values of a long VALUES list, and a lone
// literal are written as LiteralNoSqlite writes them and typed as TipoDoLiteral types
// them (a text has no type of its own, such an integer is an int of its significant
// digits), without a generator for each value.
std::string AlteracoesDeDados::ValorEscrito(const instrucao::ValorDaInsercao& v,
                                            std::optional<TipoSql>& tipo) {
    using Forma = instrucao::ValorDaInsercao::Forma;
    if (v.forma == Forma::Texto) {
        tipo.reset();
        return ComoTexto(v.literal);
    }
    if (v.forma == Forma::Inteiro) {
        const std::size_t primeiro = v.literal.find_first_not_of('0');
        const int precisao =
            primeiro == std::string::npos ? 1 : static_cast<int>(v.literal.size() - primeiro);
        tipo = TipoSql{TipoBase::Int, 0, precisao, 0};
        return v.literal;
    }
    const Expressao& e = ArvoreDe(*v.expressao);
    if (const auto* l = std::get_if<Literal>(&e.no);
        l && l->tipo != Literal::Tipo::Nulo && !l->moeda) {
        tipo = TipoDoLiteral(*l);
        return LiteralNoSqlite(*l);
    }
    std::vector<std::optional<TipoSql>> tipos;
    std::string sql = execucao_.Gerada(e, nullptr, &tipos);
    tipo = Unico(tipos);
    return sql;
}

// INSERT ... VALUES in SQLite's text. Rows whose values each column converts alike get the
// conversion once per column, over a VALUES of the bare values: SQLite then generates
// code for one conversion a column instead of one a value. `literais`: where the bound
// literals go (none when null).
std::string AlteracoesDeDados::CompilarValores(const instrucao::Inserir& c, const Tabela& t,
                                               const std::vector<const ColunaDaTabela*>& alvo,
                                               const std::string& colunas,
                                               std::vector<db::Valor>* literais,
                                               std::vector<int>* ligados) {
    const std::string marca = "\x01";  // where the value goes in a conversion
    auto juntarComValor = [&](std::string& destino, const std::string& conversao,
                              const std::string& valor) {
        const auto p = conversao.find(marca);
        if (p == std::string::npos) {
            destino += conversao;
            return;
        }
        destino.append(conversao, 0, p);
        destino += valor;
        destino.append(conversao, p + marca.size());
    };
    ConversoesDasColunas conversoesDasColunas(t, alvo, marca);
    std::vector<std::string> textos;             // of each value, row after row
    std::vector<const std::string*> conversoes;  // of each value
    textos.reserve(c.valores.size() * alvo.size());
    conversoes.reserve(c.valores.size() * alvo.size());
    bool fatorar = c.valores.size() > 1;
    for (const auto& linha : c.valores) {
        ExigirValoresDasColunas(linha.size(), alvo.size());
        const bool primeira = conversoes.empty();
        for (std::size_t k = 0; k < linha.size(); ++k) {
            const ColunaDaTabela* col = alvo[k];
            std::string e;
            const std::string* conversao = nullptr;
            int ligado = -1;
            if (linha[k].forma == instrucao::ValorDaInsercao::Forma::Padrao) {
                const Restricao* d = t.PadraoDaColuna(col->nome);
                conversao = &conversoesDasColunas.Guardar(GuardaDaChave(
                    t, *col,
                    d ? ChamadaDeConversao(ExpressaoParaSqlite(d->texto), col->tipo) : "NULL"));
                fatorar = false;
            } else {
                std::optional<TipoSql> tipo;
                e = ValorEscrito(linha[k], tipo);
                if (auto v = literais ? ValorDoLiteral(e) : std::nullopt) {
                    literais->push_back(std::move(*v));
                    e = ":zvl" + std::to_string(literais->size());
                    ligado = static_cast<int>(literais->size()) - 1;
                }
                conversao = &conversoesDasColunas.Da(k, tipo);
            }
            if (ligados) ligados->push_back(ligado);
            if (!primeira && conversao != conversoes[k] && *conversao != *conversoes[k])
                fatorar = false;
            textos.push_back(std::move(e));
            conversoes.push_back(conversao);
        }
    }
    const std::size_t n = alvo.size();
    std::string sql = "INSERT INTO " + IdentificadorNoSqlite(t.nome) + " (" + colunas + ") ";
    if (fatorar) {
        sql += "SELECT ";
        for (std::size_t k = 0; k < n; ++k) {
            if (k) sql += ", ";
            juntarComValor(sql, *conversoes[k], "column" + std::to_string(k + 1));
        }
        sql += " FROM (VALUES ";
    } else {
        sql += "VALUES ";
    }
    for (std::size_t r = 0; r < c.valores.size(); ++r) {
        sql += r ? ", (" : "(";
        for (std::size_t k = 0; k < n; ++k) {
            const std::size_t v = r * n + k;
            if (k) sql += ", ";
            if (fatorar)
                sql += textos[v];
            else
                juntarComValor(sql, *conversoes[v], textos[v]);
        }
        sql += ")";
    }
    if (fatorar) sql += ")";
    return sql;
}

void AlteracoesDeDados::CompilarComForma(const instrucao::Inserir& c, const Tabela& t,
                                         bool identityLigado) {
    // a body being compiled reads its variables as NULL, a trigger's statements see
    // inserted and deleted: their texts are their own
    const bool compartilhavel = !execucao_.CompilandoCorpo() && c.forma;
    // the parser's key is that of IDENTITY_INSERT off
    std::string ligada;
    if (compartilhavel && identityLigado) ligada = ComIdentidadeLigada(*c.forma);
    const std::string& chave = !compartilhavel || identityLigado ? ligada : *c.forma;
    if (!chave.empty()) {
        if (auto it = s_.Formas().find(chave); it != s_.Formas().end()) {
            if (!it->second.reutilizavel) return CompilarInsercao(c, t, identityLigado, nullptr);
            c.compilado.sql = it->second.sql;
            c.compilado.literais = LiteraisDaForma(it->second, c);
            c.compilado.pronto = true;
            return;
        }
    }
    std::vector<int> ligados;
    CompilarInsercao(c, t, identityLigado, &ligados);
    if (chave.empty()) return;
    if (s_.Formas().size() >= kFormasGuardadas) s_.Formas().clear();
    s_.Formas().emplace(chave, FormaCompilada(c, c.compilado.sql, c.compilado.literais, ligados));
}

// The columns an INSERT writes: those it names, or all but the identity and timestamp.
std::vector<const ColunaDaTabela*> AlteracoesDeDados::ColunasDaInsercao(const instrucao::Inserir& c,
                                                                        const Tabela& t,
                                                                        bool identityLigado) {
    std::vector<const ColunaDaTabela*> alvo;
    if (c.colunasAlvo.empty()) {
        if (identityLigado && t.Identidade()) throw ErroDoServidor(8101, {t.nome});
        for (const auto& col : t.colunas)
            if (!col.identidade && col.tipo.base != TipoBase::RowVersion && col.calculo.empty())
                alvo.push_back(&col);
    } else {
        for (const auto& n : c.colunasAlvo) {
            const ColunaDaTabela* col = t.Coluna(n);
            if (!col) throw ErroDoServidor(207, {n});
            ExigirColunaGravavel(*col);
            alvo.push_back(col);
        }
    }
    bool temIdentidade = false;
    for (const auto* col : alvo) {
        if (col->identidade) temIdentidade = true;
        if (col->tipo.base == TipoBase::RowVersion) throw ErroDoServidor(273);
    }
    if (temIdentidade && !identityLigado) throw ErroDoServidor(544, {t.nome});
    if (!temIdentidade && identityLigado && t.Identidade()) throw ErroDoServidor(545, {t.nome});
    return alvo;
}

void AlteracoesDeDados::CompilarInsercao(const instrucao::Inserir& c, const Tabela& t,
                                         bool identityLigado, std::vector<int>* ligados) {
    const std::vector<const ColunaDaTabela*> alvo = ColunasDaInsercao(c, t, identityLigado);
    std::string colunas;
    for (const auto* col : alvo)
        colunas += (colunas.empty() ? "" : ", ") + ComoIdentificador(col->nome);
    // a row key left out takes NULL (it has no default): refused for each row written
    const ColunaDaTabela* chave = ChaveNaLinha(t);
    if (chave && (c.valoresPadrao || std::find(alvo.begin(), alvo.end(), chave) == alvo.end())) {
        if (!c.valores.empty() || c.valoresPadrao)
            throw ErroDoServidor(515, {chave->nome, s_.Banco() + ".dbo." + t.nome, "INSERT"});
    } else {
        chave = nullptr;
    }
    std::string sql;
    std::vector<db::Valor> literais;
    // SQLite would give :zvl1 and a parameter ?1 of the caller the same slot
    const std::size_t valores = c.valores.size() * alvo.size();
    const bool ligarLiterais = valores <= kLiteraisLigados && !c.valoresComParametros &&
                               !(c.valoresComVariaveis && valores > kLiteraisLigadosComVariaveis);
    if (c.valoresPadrao) {
        sql = "INSERT INTO " + IdentificadorNoSqlite(t.nome) + " DEFAULT VALUES";
    } else if (!c.valores.empty()) {
        sql = CompilarValores(c, t, alvo, colunas, ligarLiterais ? &literais : nullptr, ligados);
    } else {
        std::vector<std::optional<TipoSql>> tipos;
        const std::string selecao = execucao_.Gerada(ArvoreDe(c.selecao), nullptr, &tipos);
        tipos.resize(alvo.size());
        std::string nomes, conv;
        for (std::size_t k = 0; k < alvo.size(); ++k) {
            std::string n = "c" + std::to_string(k + 1);
            nomes += (k ? ", " : "") + n;
            conv += (k ? ", " : "") +
                    GuardaDaChave(t, *alvo[k], ChamadaDeConversao(n, alvo[k]->tipo, tipos[k]));
        }
        const std::string todas = chave ? colunas + ", " + ComoIdentificador(chave->nome) : colunas;
        if (chave) conv += ", " + GuardaDaChave(t, *chave, "NULL");
        const std::string prefixo = PrefixoCom(c.com, nullptr);
        sql = (prefixo.empty() ? "WITH " : prefixo + ", ") + "zv_fonte(" + nomes + ") AS (" +
              selecao + ") INSERT INTO " + IdentificadorNoSqlite(t.nome) + " (" + todas +
              ") SELECT " + conv + " FROM zv_fonte" + LimiteDaInsercao(c);
    }
    const bool deValores = !c.valores.empty() || c.valoresPadrao;
    if (deValores && c.topo)
        throw Recusa("O simulador de SQL Server não aceita INSERT TOP com VALUES.");
    if (deValores && c.com) sql = PrefixoCom(c.com, nullptr) + sql;
    c.compilado.sql = std::move(sql);
    c.compilado.literais = std::move(literais);
    c.compilado.pronto = !c.topo && s_.Opcoes().limiteDeLinhas <= 0;  // TOP, ROWCOUNT: each run
}

void AlteracoesDeDados::Inserir(const instrucao::Inserir& c) {
    if (auto g = GatilhoEmVezDe(c.objeto.Nome(), "INSERT")) return InserirEmVezDe(c, *g);
    if (c.execucao) return InserirDaExecucao(c);
    Tabela* t = s_.CatalogoAtual().AcharTabela(c.objeto.Nome());
    if (!t || c.com) {
        if (auto alvo = AlvoPorVisao(c.objeto.partes, c.com, 'I', c.colunasAlvo))
            return InserirPelaVisao(c, *alvo);
        if (!t) ObjetoInvalido(c.objeto.Nome());
    }
    const bool identityLigado = IdentidadeLigada(t->nome);
    if (!c.compilado.pronto) {
        CompilarComForma(c, *t, identityLigado);
    } else if (identityLigado && c.colunasAlvo.empty() && t->Identidade()) {
        throw ErroDoServidor(8101, {t->nome});
    }
    struct Literais {
        const std::vector<db::Valor>*& l;
        ~Literais() { l = nullptr; }
    } literais{e_.literais_ = &c.compilado.literais};
    Contar(InserirNaTabela(*t, c.compilado.sql, SaidaDe(c.saida, c.objeto, *t, "INSERT")), c.saida);
}

// Runs an INSERT's SQLite text on `t`, with the triggers it fires and its OUTPUT; a key it
// breaks tells the duplicate value.
db::Resultado AlteracoesDeDados::InserirNaTabela(const Tabela& t, const std::string& sql,
                                                 const SaidaDaInstrucao& saida) {
    db::Resultado r;
    auto feita = [&](const db::Resultado& x) { AnotarIdentidade(t, x); };
    try {
        e_.chaveViolada_.clear();
        if (!MudarComGatilhos(t, "INSERT", sql, {}, {}, 'I', r, feita, saida)) {
            r = execucao_.Consultar(sql, 0, 'I', t.nome);
            feita(r);
        }
    } catch (const ErroDeBanco& e) {
        if ((e.Numero() != 2627 && e.Numero() != 2601) || e_.estado_->erroDeGatilho) throw;
        throw ErroDeBanco(std::string(e.what()) + ValorDuplicado(sql, t), e.Numero(),
                          e.Severidade(), e.Estado());
    }
    return r;
}

// SET IDENTITY_INSERT ... ON names this table.
bool AlteracoesDeDados::IdentidadeLigada(const std::string& tabela) const {
    return !s_.Opcoes().identityInsert.empty() && s_.Opcoes().identityInsert == Dobrar(tabela);
}

// @@IDENTITY after rows went into a table: SQLite's last rowid moves with any table,
// @@IDENTITY only with those that have an identity.
void AlteracoesDeDados::AnotarIdentidade(const Tabela& t, const db::Resultado& r) {
    if (t.Identidade() && r.linhasAfetadas > 0)
        s_.AnotarIdentidade(sqlite3_last_insert_rowid(s_.Conexao()));
}

}  // namespace zolvek::simulador
