#include "simulador/motor/catalogo/catalogo.hpp"

#include <algorithm>

#include "simulador/motor/catalogo/sqlite.hpp"
#include "simulador/motor/tipos/colacao.hpp"

namespace zolvek::simulador {

namespace {

const char* kEsquema = R"(
CREATE TABLE IF NOT EXISTS zv_objetos(id INTEGER PRIMARY KEY, nome TEXT NOT NULL COLLATE LATIN1_CI_AS,
  tipo TEXT NOT NULL, pai INTEGER NOT NULL DEFAULT 0, criacao TEXT NOT NULL, texto TEXT,
  colunas TEXT, tabela_ref TEXT, colunas_ref TEXT, nocheck INTEGER NOT NULL DEFAULT 0);
CREATE TABLE IF NOT EXISTS zv_colunas(tabela INTEGER NOT NULL, colid INTEGER NOT NULL,
  nome TEXT NOT NULL COLLATE LATIN1_CI_AS, tipo TEXT NOT NULL, tamanho INTEGER, precisao INTEGER,
  escala INTEGER, anulavel INTEGER, identidade INTEGER, semente INTEGER, incremento INTEGER,
  xtype INTEGER, comprimento INTEGER, prec INTEGER, escala_cat INTEGER, prec_num INTEGER,
  escala_num INTEGER, padrao INTEGER NOT NULL DEFAULT 0, texto_tipo TEXT, PRIMARY KEY(tabela, colid));
CREATE TABLE IF NOT EXISTS zv_indices(tabela INTEGER NOT NULL, indid INTEGER NOT NULL,
  nome TEXT COLLATE LATIN1_CI_AS, unico INTEGER, primario INTEGER, restricao INTEGER, colunas TEXT,
  PRIMARY KEY(tabela, indid));
CREATE TABLE IF NOT EXISTS zv_permissoes(objeto INTEGER NOT NULL, principal TEXT NOT NULL COLLATE LATIN1_CI_AS,
  permissao TEXT NOT NULL COLLATE LATIN1_CI_AS, estado TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS zv_usuarios(nome TEXT PRIMARY KEY COLLATE LATIN1_CI_AS,
  login TEXT COLLATE LATIN1_CI_AS, papel INTEGER NOT NULL DEFAULT 0);
CREATE TABLE IF NOT EXISTS zv_membros(papel TEXT NOT NULL COLLATE LATIN1_CI_AS,
  membro TEXT NOT NULL COLLATE LATIN1_CI_AS, PRIMARY KEY(papel, membro));
CREATE TABLE IF NOT EXISTS zv_config(chave TEXT PRIMARY KEY, valor);
CREATE TABLE IF NOT EXISTS zv_contador(valor INTEGER NOT NULL);
CREATE INDEX IF NOT EXISTS zvi_objetos_nome ON zv_objetos(nome);
CREATE INDEX IF NOT EXISTS zvi_objetos_pai ON zv_objetos(pai);
CREATE INDEX IF NOT EXISTS zvi_indices_nome ON zv_indices(nome);
CREATE INDEX IF NOT EXISTS zvi_permissoes_objeto ON zv_permissoes(objeto);
)";

std::string CodificarColunas(const std::vector<ColunaDeIndice>& cols) {
    std::string s;
    for (const auto& c : cols) {
        if (!s.empty()) s += '\n';
        s += c.nome;
        if (c.decrescente) s += "\t1";
    }
    return s;
}

// An index's included columns follow its keys in the same text, "\t+" after each.
std::string CodificarColunas(const Indice& i) {
    std::string s = CodificarColunas(i.colunas);
    for (const auto& c : i.incluidas) s += (s.empty() ? "" : "\n") + c + "\t+";
    return s;
}

std::vector<ColunaDeIndice> DecodificarColunas(const std::string& s,
                                               std::vector<std::string>* incluidas = nullptr) {
    std::vector<ColunaDeIndice> r;
    if (s.empty()) return r;
    std::size_t i = 0;
    while (i <= s.size()) {
        std::size_t f = s.find('\n', i);
        if (f == std::string::npos) f = s.size();
        std::string item = s.substr(i, f - i);
        ColunaDeIndice c;
        std::size_t tab = item.find('\t');
        const bool incluida = tab != std::string::npos && item.compare(tab, 2, "\t+") == 0;
        if (tab != std::string::npos) {
            c.decrescente = !incluida;
            item.erase(tab);
        }
        c.nome = item;
        if (incluida && incluidas)
            incluidas->push_back(item);
        else
            r.push_back(c);
        i = f + 1;
    }
    return r;
}

std::string CodificarNomes(const std::vector<std::string>& nomes) {
    std::string s;
    for (const auto& n : nomes) {
        if (!s.empty()) s += '\n';
        s += n;
    }
    return s;
}

std::vector<std::string> DecodificarNomes(const std::string& s) {
    std::vector<std::string> r;
    for (const auto& c : DecodificarColunas(s)) r.push_back(c.nome);
    return r;
}

std::optional<TipoBase> BasePeloNomeExato(const std::string& nome) {
    if (nome == "timestamp") return TipoBase::RowVersion;
    return TipoPeloNome(nome);
}

}  // namespace

const ColunaDaTabela* Tabela::Coluna(const std::string& n) const {
    for (const auto& c : colunas)
        if (IguaisCiAs(c.nome, n)) return &c;
    return nullptr;
}

ColunaDaTabela* Tabela::Coluna(const std::string& n) {
    for (auto& c : colunas)
        if (IguaisCiAs(c.nome, n)) return &c;
    return nullptr;
}

const ColunaDaTabela* Tabela::Identidade() const {
    for (const auto& c : colunas)
        if (c.identidade) return &c;
    return nullptr;
}

const ColunaDaTabela* Tabela::VersaoDeLinha() const {
    for (const auto& c : colunas)
        if (c.tipo.base == TipoBase::RowVersion) return &c;
    return nullptr;
}

Restricao* Tabela::RestricaoPeloNome(const std::string& n) {
    for (auto& r : restricoes)
        if (IguaisCiAs(r.nome, n)) return &r;
    return nullptr;
}

Indice* Tabela::IndicePeloNome(const std::string& n) {
    for (auto& i : indices)
        if (IguaisCiAs(i.nome, n)) return &i;
    return nullptr;
}

const Restricao* Tabela::PadraoDaColuna(const std::string& coluna) const {
    for (const auto& r : restricoes)
        if (r.tipo == "D" && !r.colunas.empty() && IguaisCiAs(r.colunas[0].nome, coluna)) return &r;
    return nullptr;
}

void Catalogo::Preparar(sqlite3* db) {
    ExecutarSql(db, kEsquema);
}

void Catalogo::Carregar(sqlite3* db, const std::string& esquema) {
    tabelas_.clear();
    objetos_.clear();
    ultimoId_ = 0;
    std::map<std::int64_t, Tabela*> porId;
    CarregarObjetos(db, esquema, porId);
    CarregarColunas(db, esquema, porId);
    CarregarIndices(db, esquema, porId);
    LerGatilhosNoSqlite(db, esquema);
    CarregarAtributos(db, esquema);
    CarregarTipos(db, esquema);
    Indexar();
}

// Tables, constraints and programmed objects of zv_objetos; `porId` receives the tables.
void Catalogo::CarregarObjetos(sqlite3* db, const std::string& esquema,
                               std::map<std::int64_t, Tabela*>& porId) {
    Instrucao q(db,
                "SELECT id, nome, tipo, pai, criacao, texto, colunas, tabela_ref, colunas_ref, "
                "nocheck FROM " +
                    esquema + ".zv_objetos ORDER BY id");
    std::vector<std::pair<std::int64_t, Restricao>> restricoes;
    while (q.Passo()) {
        std::int64_t id = q.Inteiro(0);
        ultimoId_ = std::max(ultimoId_, id);
        std::string tipo = q.Texto(2);
        if (tipo == "U") {
            Tabela t;
            t.id = id;
            t.nome = q.Texto(1);
            t.criacao = q.Texto(4);
            auto& ref = tabelas_[Dobrar(t.nome)] = std::move(t);
            porId[id] = &ref;
        } else if (tipo == "PK" || tipo == "UQ" || tipo == "F" || tipo == "C" || tipo == "D") {
            Restricao r;
            r.id = id;
            r.nome = q.Texto(1);
            r.tipo = tipo;
            r.criacao = q.Texto(4);
            r.texto = q.Texto(5);
            r.colunas = DecodificarColunas(q.Texto(6));
            r.tabelaReferida = q.Texto(7);
            r.colunasReferidas = DecodificarNomes(q.Texto(8));
            // nocheck: 0 trusted, 1 not trusted, 2 disabled (and so not trusted)
            r.semVerificacao = q.Inteiro(9) != 0;
            r.desabilitada = q.Inteiro(9) == 2;
            restricoes.emplace_back(q.Inteiro(3), std::move(r));
        } else {
            ObjetoProgramado o;
            o.id = id;
            o.nome = q.Texto(1);
            o.tipo = tipo;
            o.pai = q.Inteiro(3);
            o.criacao = q.Texto(4);
            o.texto = q.Texto(5);
            objetos_[Dobrar(o.nome)] = std::move(o);
        }
    }
    for (auto& [pai, r] : restricoes) {
        auto it = porId.find(pai);
        if (it != porId.end()) it->second->restricoes.push_back(std::move(r));
    }
}

void Catalogo::CarregarColunas(sqlite3* db, const std::string& esquema,
                               const std::map<std::int64_t, Tabela*>& porId) {
    Instrucao q(db,
                "SELECT tabela, nome, tipo, tamanho, precisao, escala, anulavel, identidade, "
                "semente, incremento FROM " +
                    esquema + ".zv_colunas ORDER BY tabela, colid");
    while (q.Passo()) {
        auto it = porId.find(q.Inteiro(0));
        if (it == porId.end()) continue;
        ColunaDaTabela c;
        c.nome = q.Texto(1);
        c.tipo.base = BasePeloNomeExato(q.Texto(2)).value_or(TipoBase::SqlVariant);
        c.tipo.tamanho = static_cast<int>(q.Inteiro(3));
        c.tipo.precisao = static_cast<int>(q.Inteiro(4));
        c.tipo.escala = static_cast<int>(q.Inteiro(5));
        c.anulavel = q.Inteiro(6) != 0;
        c.identidade = q.Inteiro(7) != 0;
        c.semente = q.Inteiro(8);
        c.incremento = q.Inteiro(9);
        it->second->colunas.push_back(std::move(c));
    }
}

void Catalogo::CarregarIndices(sqlite3* db, const std::string& esquema,
                               const std::map<std::int64_t, Tabela*>& porId) {
    Instrucao q(db, "SELECT tabela, indid, nome, unico, primario, restricao, colunas FROM " +
                        esquema +
                        ".zv_indices "
                        "ORDER BY tabela, indid");
    while (q.Passo()) {
        auto it = porId.find(q.Inteiro(0));
        if (it == porId.end()) continue;
        Indice i;
        i.indid = static_cast<int>(q.Inteiro(1));
        i.nome = q.Texto(2);
        i.unico = q.Inteiro(3) != 0;
        i.primario = q.Inteiro(4) != 0;
        i.restricao = q.Inteiro(5);
        i.colunas = DecodificarColunas(q.Texto(6), &i.incluidas);
        it->second->indices.push_back(std::move(i));
    }
}

void Catalogo::Indexar() {
    nomes_.clear();
    filhas_.clear();
    gatilhos_.clear();
    porId_.clear();
    restricoesPorId_.clear();
    for (auto& [chave, t] : tabelas_) IndexarTabela(t);
    for (const auto& [chave, o] : objetos_) IndexarObjeto(o);
}

void Catalogo::IndexarTabela(Tabela& t) {
    const std::string chave = Dobrar(t.nome);
    nomes_[chave] = {t.id, t.nome};
    porId_[t.id] = &t;
    for (const auto& r : t.restricoes) {
        nomes_[Dobrar(r.nome)] = {r.id, t.nome};
        restricoesPorId_[r.id] = &r;
        if (r.tipo == "F") filhas_[Dobrar(r.tabelaReferida)].insert(chave);
    }
}

void Catalogo::DesindexarTabela(const Tabela& t) {
    const std::string chave = Dobrar(t.nome);
    auto apagar = [&](const std::string& nome, std::int64_t id) {
        auto it = nomes_.find(nome);
        if (it != nomes_.end() && it->second.first == id) nomes_.erase(it);
    };
    apagar(chave, t.id);
    EsquecerId(t);
    for (const auto& r : t.restricoes) {
        apagar(Dobrar(r.nome), r.id);
        if (r.tipo != "F") continue;
        auto it = filhas_.find(Dobrar(r.tabelaReferida));
        if (it == filhas_.end()) continue;
        it->second.erase(chave);
        if (it->second.empty()) filhas_.erase(it);
    }
}

void Catalogo::IndexarObjeto(const ObjetoProgramado& o) {
    nomes_[Dobrar(o.nome)] = {o.id, ""};
    if (o.tipo == "TR") ++gatilhos_[o.pai];
}

void Catalogo::DesindexarObjeto(const ObjetoProgramado& o) {
    auto it = nomes_.find(Dobrar(o.nome));
    if (it != nomes_.end() && it->second.first == o.id) nomes_.erase(it);
    if (o.tipo != "TR") return;
    auto g = gatilhos_.find(o.pai);
    if (g != gatilhos_.end() && --g->second <= 0) gatilhos_.erase(g);
}

std::vector<Tabela*> Catalogo::TabelasQueReferem(const std::string& nome) {
    std::vector<Tabela*> r;
    auto it = filhas_.find(Dobrar(nome));
    if (it == filhas_.end()) return r;
    for (const auto& filha : it->second)
        if (Tabela* t = AcharTabela(filha)) r.push_back(t);
    return r;
}

int Catalogo::GatilhosNoSqlite(const std::string& grupo) const {
    auto it = gatilhosNoSqlite_.find(grupo);
    return it == gatilhosNoSqlite_.end() ? 0 : it->second;
}

void Catalogo::AnotarGatilhosNoSqlite(const std::string& grupo, int quantos) {
    textosDosGrupos_.erase(grupo);
    if (quantos > 0)
        gatilhosNoSqlite_[grupo] = quantos;
    else
        gatilhosNoSqlite_.erase(grupo);
}

const std::vector<std::string>& Catalogo::TextosDoGrupo(const std::string& grupo) const {
    static const std::vector<std::string> nenhum;
    auto it = textosDosGrupos_.find(grupo);
    return it == textosDosGrupos_.end() ? nenhum : it->second;
}

void Catalogo::AnotarTextosDoGrupo(const std::string& grupo, std::vector<std::string> textos) {
    textosDosGrupos_[grupo] = std::move(textos);
}

// The triggers SQLite keeps for the engine are named <group>_<n>, n from 1, the group
// zv_ with a letter or none and an id; a foreign key's groups (f, r) have the id of the
// referencing table, x and the key's folded name in hexadecimal, and keep their texts.
void Catalogo::LerGatilhosNoSqlite(sqlite3* db, const std::string& esquema) {
    gatilhosNoSqlite_.clear();
    textosDosGrupos_.clear();
    gruposSemChave_.clear();
    Instrucao q(db, "SELECT name, sql FROM " + esquema +
                        ".sqlite_master WHERE type = 'trigger' AND name LIKE 'zv\\_%' ESCAPE '\\'");
    auto digitos = [](const std::string& s, std::size_t maximo) {
        return !s.empty() && s.size() <= maximo &&
               s.find_first_not_of("0123456789") == std::string::npos;
    };
    auto daChave = [&](const std::string& id) {
        const auto x = id.find('x');
        return x != std::string::npos && digitos(id.substr(0, x), 18) && x + 1 < id.size() &&
               id.find_first_not_of("0123456789abcdef", x + 1) == std::string::npos;
    };
    while (q.Passo()) {
        const std::string nome = q.Texto(0);
        const auto traco = nome.rfind('_');
        if (traco == std::string::npos || traco < 4) continue;
        std::size_t inicio = 3;
        const bool chave = nome[inicio] == 'f' || nome[inicio] == 'r';
        if (std::string("tcpfr").find(nome[inicio]) != std::string::npos) ++inicio;
        const std::string id = nome.substr(inicio, traco - inicio), n = nome.substr(traco + 1);
        if (!(chave ? daChave(id) : digitos(id, 18)) || !digitos(n, 9)) continue;
        const std::string grupo = nome.substr(0, traco);
        int& quantos = gatilhosNoSqlite_[grupo];
        const int k = std::stoi(n);
        quantos = std::max(quantos, k);
        if (!chave) continue;
        auto& textos = textosDosGrupos_[grupo];
        if (textos.size() < static_cast<std::size_t>(k)) textos.resize(k);
        textos[k - 1] = q.Texto(1);
        gruposSemChave_.insert(grupo);  // told apart from those in force when needed
    }
}

std::vector<const ObjetoProgramado*> Catalogo::GatilhosDe(std::int64_t tabela) const {
    std::vector<const ObjetoProgramado*> r;
    for (const auto& [chave, o] : objetos_)
        if (o.tipo == "TR" && o.pai == tabela) r.push_back(&o);
    std::sort(r.begin(), r.end(), [](const auto* a, const auto* b) { return a->id < b->id; });
    return r;
}

void Catalogo::AnotarTabela(const Tabela& t) {
    Tabela& guardada = tabelas_[Dobrar(t.nome)];
    EsquecerId(guardada);
    guardada = t;
    porId_[guardada.id] = &guardada;
}

void Catalogo::EsquecerTabela(const std::string& nome) {
    auto it = tabelas_.find(Dobrar(nome));
    if (it == tabelas_.end()) return;
    EsquecerId(it->second);
    tabelas_.erase(it);
}

// A table's entries by id, if they are still its own (another may have taken the id since).
void Catalogo::EsquecerId(const Tabela& t) {
    auto it = porId_.find(t.id);
    if (it != porId_.end() && it->second == &t) porId_.erase(it);
    for (const auto& r : t.restricoes) {
        auto x = restricoesPorId_.find(r.id);
        if (x != restricoesPorId_.end() && x->second == &r) restricoesPorId_.erase(x);
    }
}

const Restricao* Catalogo::RestricaoPeloId(std::int64_t id) const {
    auto it = restricoesPorId_.find(id);
    return it == restricoesPorId_.end() ? nullptr : it->second;
}

Tabela* Catalogo::TabelaPeloId(std::int64_t id) {
    auto it = porId_.find(id);
    return it == porId_.end() ? nullptr : it->second;
}

Tabela* Catalogo::AcharTabela(const std::string& nome) {
    auto it = tabelas_.find(Dobrar(nome));
    return it == tabelas_.end() ? nullptr : &it->second;
}

const ObjetoProgramado* Catalogo::AcharObjeto(const std::string& nome) const {
    auto it = objetos_.find(Dobrar(nome));
    return it == objetos_.end() ? nullptr : &it->second;
}

std::optional<std::int64_t> Catalogo::IdDoObjeto(const std::string& nome) const {
    auto it = nomes_.find(Dobrar(nome));
    if (it == nomes_.end()) return std::nullopt;
    return it->second.first;
}

Tabela* Catalogo::TabelaDaRestricao(const std::string& nomeDaRestricao) {
    auto it = nomes_.find(Dobrar(nomeDaRestricao));
    if (it == nomes_.end() || it->second.second.empty()) return nullptr;
    Tabela* t = AcharTabela(it->second.second);
    if (!t || t->id == it->second.first) return nullptr;
    return t;
}

std::vector<Tabela*> Catalogo::Tabelas() {
    std::vector<Tabela*> r;
    for (auto& [k, t] : tabelas_) r.push_back(&t);
    return r;
}

std::vector<const ObjetoProgramado*> Catalogo::Objetos() const {
    std::vector<const ObjetoProgramado*> r;
    for (const auto& [k, o] : objetos_) r.push_back(&o);
    return r;
}

std::int64_t Catalogo::NovoId() {
    // Object ids look like SQL Server's: large numbers, never reused in the file.
    if (ultimoId_ < 100000000) ultimoId_ = 100000000;
    return ++ultimoId_;
}

void Catalogo::GravarTabela(sqlite3* db, const Tabela& t) {
    ApagarAtributos(db, t.id);
    Instrucao(db, "DELETE FROM zv_colunas WHERE tabela=?").Ligar(1, t.id).Executar();
    Instrucao(db, "DELETE FROM zv_indices WHERE tabela=?").Ligar(1, t.id).Executar();
    Instrucao(db,
              "DELETE FROM zv_objetos WHERE id=? OR (pai=? AND tipo IN ('PK','UQ','F','C','D'))")
        .Ligar(1, t.id)
        .Ligar(2, t.id)
        .Executar();
    Instrucao(db, "INSERT INTO zv_objetos(id, nome, tipo, pai, criacao) VALUES (?,?,'U',0,?)")
        .Ligar(1, t.id)
        .Ligar(2, t.nome)
        .Ligar(3, t.criacao)
        .Executar();
    {
        Instrucao ins(
            db,
            "INSERT INTO zv_colunas(tabela, colid, nome, tipo, tamanho, precisao, escala, "
            "anulavel, identidade, semente, incremento, xtype, comprimento, prec, escala_cat, "
            "prec_num, escala_num, padrao, texto_tipo) VALUES "
            "(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
        int colid = 0;
        for (const auto& c : t.colunas) {
            sqlite3_stmt* s = ins.Bruta();
            sqlite3_reset(s);
            ins.Ligar(1, t.id).Ligar(2, ++colid).Ligar(3, c.nome).Ligar(4, NomeDoTipo(c.tipo.base));
            ins.Ligar(5, c.tipo.tamanho).Ligar(6, c.tipo.precisao).Ligar(7, c.tipo.escala);
            ins.Ligar(8, c.anulavel ? 1 : 0).Ligar(9, c.identidade ? 1 : 0);
            ins.Ligar(10, c.semente).Ligar(11, c.incremento);
            ins.Ligar(12, XType(c.tipo.base)).Ligar(13, ComprimentoEmBytes(c.tipo));
            ins.Ligar(14, PrecisaoDoCatalogo(c.tipo)).Ligar(15, EscalaDoCatalogo(c.tipo));
            if (auto p = PrecisaoNumerica(c.tipo))
                ins.Ligar(16, *p);
            else
                ins.LigarNulo(16);
            if (auto e = EscalaNumerica(c.tipo))
                ins.Ligar(17, *e);
            else
                ins.LigarNulo(17);
            const Restricao* d = t.PadraoDaColuna(c.nome);
            ins.Ligar(18, d ? d->id : 0);
            ins.Ligar(19, TextoDoTipo(c.tipo));
            ins.Executar();
        }
    }
    {
        Instrucao ins(db,
                      "INSERT INTO zv_objetos(id, nome, tipo, pai, criacao, texto, colunas, "
                      "tabela_ref, colunas_ref, nocheck) VALUES (?,?,?,?,?,?,?,?,?,?)");
        for (const auto& r : t.restricoes) {
            sqlite3_reset(ins.Bruta());
            ins.Ligar(1, r.id).Ligar(2, r.nome).Ligar(3, r.tipo).Ligar(4, t.id).Ligar(5, r.criacao);
            ins.Ligar(6, r.texto).Ligar(7, CodificarColunas(r.colunas)).Ligar(8, r.tabelaReferida);
            ins.Ligar(9, CodificarNomes(r.colunasReferidas))
                .Ligar(10, r.desabilitada     ? 2
                           : r.semVerificacao ? 1
                                              : 0);
            ins.Executar();
        }
    }
    {
        Instrucao ins(db,
                      "INSERT INTO zv_indices(tabela, indid, nome, unico, primario, restricao, "
                      "colunas) VALUES (?,?,?,?,?,?,?)");
        for (const auto& i : t.indices) {
            sqlite3_reset(ins.Bruta());
            ins.Ligar(1, t.id).Ligar(2, i.indid).Ligar(3, i.nome).Ligar(4, i.unico ? 1 : 0);
            ins.Ligar(5, i.primario ? 1 : 0).Ligar(6, i.restricao).Ligar(7, CodificarColunas(i));
            ins.Executar();
        }
    }
    GravarAtributos(db, t);
    Tabela& guardada = tabelas_[Dobrar(t.nome)];
    DesindexarTabela(guardada);
    guardada = t;
    IndexarTabela(guardada);
}

void Catalogo::RenomearTabela(const std::string& nome, const std::string& novo) {
    auto no = tabelas_.extract(Dobrar(nome));
    if (no.empty()) return;
    DesindexarTabela(no.mapped());
    no.mapped().nome = novo;
    no.key() = Dobrar(novo);
    IndexarTabela(no.mapped());
    tabelas_.insert(std::move(no));
}

void Catalogo::ExcluirTabela(sqlite3* db, const std::string& nome) {
    Tabela* t = AcharTabela(nome);
    if (!t) return;
    std::int64_t id = t->id;
    ApagarAtributos(db, id);
    Instrucao(db, "DELETE FROM zv_colunas WHERE tabela=?").Ligar(1, id).Executar();
    Instrucao(db, "DELETE FROM zv_indices WHERE tabela=?").Ligar(1, id).Executar();
    Instrucao(db, "DELETE FROM zv_permissoes WHERE objeto=?").Ligar(1, id).Executar();
    // Triggers go with their table.
    Instrucao(db, "DELETE FROM zv_objetos WHERE id=? OR pai=?")
        .Ligar(1, id)
        .Ligar(2, id)
        .Executar();
    for (auto it = objetos_.begin(); it != objetos_.end();) {
        if (it->second.pai != id) {
            ++it;
            continue;
        }
        DesindexarObjeto(it->second);
        it = objetos_.erase(it);
    }
    DesindexarTabela(*t);
    // SQLite drops the triggers on the table with it
    for (const char* grupo : {"zv_", "zv_t"}) gatilhosNoSqlite_.erase(grupo + std::to_string(id));
    for (const auto& r : t->restricoes) {
        if (r.tipo != "F") continue;
        gatilhosNoSqlite_.erase("zv_c" + std::to_string(r.id));
        if (IguaisCiAs(r.tabelaReferida, t->nome))
            gatilhosNoSqlite_.erase("zv_p" + std::to_string(r.id));
    }
    // and foreign keys' groups on it may be gone: their texts no longer tell what is there
    const std::string daTabela = "zv_f" + std::to_string(id) + "x";
    for (auto it = gatilhosNoSqlite_.lower_bound(daTabela);
         it != gatilhosNoSqlite_.end() && it->first.rfind(daTabela, 0) == 0;)
        it = gatilhosNoSqlite_.erase(it);
    const std::string nasReferidas = "zv_r" + std::to_string(id) + "x";
    for (auto it = gatilhosNoSqlite_.lower_bound(nasReferidas);
         it != gatilhosNoSqlite_.end() && it->first.rfind(nasReferidas, 0) == 0; ++it)
        gruposSemChave_.insert(it->first);
    textosDosGrupos_.clear();
    tabelas_.erase(Dobrar(nome));
}

void Catalogo::GravarObjeto(sqlite3* db, const ObjetoProgramado& o) {
    Instrucao(db,
              "INSERT OR REPLACE INTO zv_objetos(id, nome, tipo, pai, criacao, texto) "
              "VALUES (?,?,?,?,?,?)")
        .Ligar(1, o.id)
        .Ligar(2, o.nome)
        .Ligar(3, o.tipo)
        .Ligar(4, o.pai)
        .Ligar(5, o.criacao)
        .Ligar(6, o.texto)
        .Executar();
    auto [it, novo] = objetos_.try_emplace(Dobrar(o.nome), o);
    if (!novo) {
        DesindexarObjeto(it->second);
        it->second = o;
    }
    IndexarObjeto(it->second);
}

void Catalogo::ExcluirObjeto(sqlite3* db, const std::string& nome) {
    auto it = objetos_.find(Dobrar(nome));
    if (it == objetos_.end()) return;
    Instrucao(db, "DELETE FROM zv_objetos WHERE id=?").Ligar(1, it->second.id).Executar();
    Instrucao(db, "DELETE FROM zv_permissoes WHERE objeto=?").Ligar(1, it->second.id).Executar();
    DesindexarObjeto(it->second);
    objetos_.erase(it);
}

}  // namespace zolvek::simulador
