#include "db/conjunto.hpp"

#include <algorithm>

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "db/conexao.hpp"
#include "db/texto_sql.hpp"

namespace zolvek::db {

namespace {

const Valor kNulo;

bool Inteiro(TipoDeCampo t) {
    return t == TipoDeCampo::Integer || t == TipoDeCampo::SmallInt || t == TipoDeCampo::Word ||
           t == TipoDeCampo::LargeInt;
}

// A value written to a field takes the field's kind, as the field would store it.
Valor ConverterParaCampo(Valor v, TipoDeCampo tipo) {
    if (EhNulo(v)) return v;
    if (Inteiro(tipo)) return ValorComoInteiro(v);
    switch (tipo) {
        case TipoDeCampo::Boolean:
            return ValorComoLogico(v);
        case TipoDeCampo::DateTime:
        case TipoDeCampo::Date:
        case TipoDeCampo::Time:
            return ValorComoDataHora(v);
        case TipoDeCampo::String:
        case TipoDeCampo::Memo:
            if (!std::holds_alternative<std::string>(v)) return ValorComoTexto(v);
            return v;
        case TipoDeCampo::Float:
        case TipoDeCampo::Currency:
            if (const auto* s = std::get_if<std::string>(&v)) {
                ValorComoReal(v);  // raises for text that is not a number
                std::string t = texto::Aparar(*s);
                std::replace(t.begin(), t.end(), ',', '.');
                return Decimal{t};
            }
            return v;
        case TipoDeCampo::Blob:
        case TipoDeCampo::Bytes:
            if (const auto* s = std::get_if<std::string>(&v)) return Bytes(s->begin(), s->end());
            return v;
        default:
            return v;
    }
}

std::string DuasCasas(int n) {
    std::string s = std::to_string(n);
    return s.size() < 2 ? "0" + s : s;
}

// Columns whose value can locate a row (a BLOB, a long text or an unknown type cannot
// be compared with "=").
bool Comparavel(TipoDeCampo t) {
    return t != TipoDeCampo::Blob && t != TipoDeCampo::Memo && t != TipoDeCampo::Desconhecido &&
           t != TipoDeCampo::Time && t != TipoDeCampo::Variant;
}

std::string NomeNaTabela(const Coluna& c) {
    return EntreColchetes(c.colunaBase.empty() ? c.nome : c.colunaBase);
}

}  // namespace

std::int64_t LinhasAfetadasDoComando(const std::vector<Resultado>& resultados) {
    std::int64_t n = -1;
    for (const auto& r : resultados)
        if (r.colunas.empty() && r.linhasAfetadas >= 0) n = r.linhasAfetadas;
    return n;
}

// --- Campo ---------------------------------------------------------------------------

Campo::Campo(ConjuntoDeDados* dono, std::size_t indice, Coluna coluna)
    : dono_(dono), indice_(indice), coluna_(std::move(coluna)) {}

bool Campo::EhBlob() const {
    return db::EhBlob(coluna_.tipo);
}
bool Campo::Nulo() const {
    return EhNulo(Variante());
}
std::string Campo::Texto() const {
    return ValorComoTexto(Variante());
}
std::int64_t Campo::Inteiro() const {
    return ValorComoInteiro(Variante());
}
double Campo::Real() const {
    return ValorComoReal(Variante());
}
bool Campo::Logico() const {
    return ValorComoLogico(Variante());
}
DataHora Campo::DataEHora() const {
    return ValorComoDataHora(Variante());
}
const Valor& Campo::Variante() const {
    return dono_->ValorNaLinha(indice_);
}

std::string Campo::TextoDeExibicao() const {
    const Valor& v = Variante();
    if (EhNulo(v)) return "";
    if (coluna_.tipo == TipoDeCampo::Blob) return "(BLOB)";
    if (const auto* d = std::get_if<DataHora>(&v)) {
        if (coluna_.tipo == TipoDeCampo::Time)
            return DuasCasas(d->hora) + ":" + DuasCasas(d->minuto) + ":" + DuasCasas(d->segundo);
        if (coluna_.tipo == TipoDeCampo::Date) return d->Texto().substr(0, 10);
    }
    return ValorComoTexto(v);
}

void Campo::DefinirValor(Valor v) {
    dono_->AlterarValorNaLinha(indice_, ConverterParaCampo(std::move(v), coluna_.tipo));
}

// --- ConjuntoDeDados -----------------------------------------------------------------

ConjuntoDeDados::ConjuntoDeDados(Conexao* conexao) : conexao_(conexao) {}

ConjuntoDeDados::~ConjuntoDeDados() = default;

std::string ConjuntoDeDados::Prefixo() const {
    return nomeDoComponente_.empty() ? "" : nomeDoComponente_ + ": ";
}

void ConjuntoDeDados::ExigirAberto() const {
    if (!Aberto())
        throw ErroDeEntrada(
            Prefixo() + "Não é possível executar esta operação com o conjunto de dados fechado");
}

Conector& ConjuntoDeDados::ConectorAberto() {
    if (!conexao_)
        throw ErroDeEntrada(Prefixo() + "O conjunto de dados não está ligado a uma conexão");
    return conexao_->ConectorAberto();
}

void ConjuntoDeDados::Abrir() {
    if (Aberto()) return;
    CarregarResultados(RodarComando());
}

void ConjuntoDeDados::CarregarResultados(std::vector<Resultado> resultados) {
    auto it = std::find_if(resultados.begin(), resultados.end(),
                           [](const Resultado& r) { return !r.colunas.empty(); });
    if (it == resultados.end())
        throw ErroDeBanco(Prefixo() + "O comando não retornou nenhum conjunto de registros");
    colunas_ = std::move(it->colunas);
    linhas_ = std::move(it->linhas);
    // Fields of the same name stay where they were, so references taken before a
    // close and reopen still point to the right field.
    bool mesmos = campos_.size() == colunas_.size();
    for (std::size_t i = 0; mesmos && i < colunas_.size(); ++i)
        mesmos = texto::IguaisSemCaixa(campos_[i].Nome(), colunas_[i].nome);
    if (mesmos) {
        for (std::size_t i = 0; i < colunas_.size(); ++i) campos_[i] = Campo(this, i, colunas_[i]);
    } else {
        campos_.clear();
        campos_.reserve(colunas_.size());
        for (std::size_t i = 0; i < colunas_.size(); ++i)
            campos_.emplace_back(this, i, colunas_[i]);
    }
    marcadores_.clear();
    for (std::size_t i = 0; i < linhas_.size(); ++i) marcadores_.push_back(proximoMarcador_++);
    original_.clear();
    atual_ = 0;
    bof_ = true;
    eof_ = linhas_.empty();
    modificado_ = false;
    estado_ = EstadoDoConjunto::Navegando;
}

void ConjuntoDeDados::Fechar() {
    estado_ = EstadoDoConjunto::Fechado;
    colunas_.clear();
    linhas_.clear();
    marcadores_.clear();
    original_.clear();
    atual_ = 0;
    bof_ = eof_ = true;
    modificado_ = false;
}

void ConjuntoDeDados::Executar() {
    linhasAfetadas_ = LinhasAfetadasDoComando(RodarComando());
}

Parametro* ConjuntoDeDados::AcharParametro(std::string_view nome) {
    for (auto& p : parametros_)
        if (texto::IguaisSemCaixa(p.Nome(), nome)) return &p;
    return nullptr;
}

Parametro& ConjuntoDeDados::ParametroPorNome(std::string_view nome) {
    if (auto* p = AcharParametro(nome)) return *p;
    throw ErroDeEntrada(Prefixo() + "Parâmetro '" + std::string(nome) + "' não encontrado");
}

Campo* ConjuntoDeDados::AcharCampo(std::string_view nome) {
    if (!Aberto()) return nullptr;
    for (auto& c : campos_)
        if (texto::IguaisSemCaixa(c.Nome(), nome)) return &c;
    return nullptr;
}

Campo& ConjuntoDeDados::CampoPorNome(std::string_view nome) {
    if (auto* c = AcharCampo(nome)) return *c;
    throw ErroDeEntrada(Prefixo() + "Campo '" + std::string(nome) + "' não encontrado");
}

// --- Navigation ----------------------------------------------------------------------

void ConjuntoDeDados::SairDaEdicao() {
    if (estado_ != EstadoDoConjunto::Editando && estado_ != EstadoDoConjunto::Inserindo) return;
    if (modificado_)
        Gravar();
    else
        Cancelar();
}

void ConjuntoDeDados::Primeiro() {
    ExigirAberto();
    SairDaEdicao();
    atual_ = 0;
    bof_ = true;
    eof_ = linhas_.empty();
}

void ConjuntoDeDados::Proximo() {
    ExigirAberto();
    SairDaEdicao();
    if (eof_) return;
    if (atual_ + 1 < static_cast<std::int64_t>(linhas_.size())) {
        ++atual_;
        bof_ = false;
    } else {
        eof_ = true;
    }
}

void ConjuntoDeDados::Anterior() {
    ExigirAberto();
    SairDaEdicao();
    if (bof_) return;
    if (atual_ > 0) {
        --atual_;
        eof_ = false;
    } else {
        bof_ = true;
    }
}

void ConjuntoDeDados::Ultimo() {
    ExigirAberto();
    SairDaEdicao();
    atual_ = linhas_.empty() ? 0 : static_cast<std::int64_t>(linhas_.size()) - 1;
    eof_ = true;
    bof_ = linhas_.empty();
}

bool ConjuntoDeDados::Fim() const {
    return !Aberto() || eof_;
}
bool ConjuntoDeDados::Inicio() const {
    return !Aberto() || bof_;
}

int ConjuntoDeDados::NumeroDoRegistro() const {
    return linhas_.empty() ? 0 : static_cast<int>(atual_) + 1;
}

int ConjuntoDeDados::QuantidadeDeRegistros() const {
    return static_cast<int>(linhas_.size());
}

Marcador ConjuntoDeDados::MarcadorAtual() const {
    ExigirAberto();
    return linhas_.empty() ? 0 : marcadores_[static_cast<std::size_t>(atual_)];
}

void ConjuntoDeDados::IrParaMarcador(Marcador m) {
    ExigirAberto();
    SairDaEdicao();
    const auto it = std::find(marcadores_.begin(), marcadores_.end(), m);
    if (it == marcadores_.end())
        throw ErroDeEntrada(Prefixo() + "O registro marcado não existe mais no conjunto de dados");
    atual_ = it - marcadores_.begin();
    bof_ = eof_ = false;
}

// --- Values of the current row -------------------------------------------------------

const Valor& ConjuntoDeDados::ValorNaLinha(std::size_t indice) const {
    ExigirAberto();
    if (indice >= colunas_.size()) throw ErroDeEntrada(Prefixo() + "Campo inexistente");
    if (linhas_.empty()) return kNulo;
    return linhas_[static_cast<std::size_t>(atual_)][indice];
}

void ConjuntoDeDados::AlterarValorNaLinha(std::size_t indice, Valor v) {
    ExigirAberto();
    if (estado_ != EstadoDoConjunto::Editando && estado_ != EstadoDoConjunto::Inserindo)
        throw ErroDeEntrada(Prefixo() +
                            "O conjunto de dados não está em modo de edição ou inclusão");
    if (indice >= colunas_.size()) throw ErroDeEntrada(Prefixo() + "Campo inexistente");
    linhas_[static_cast<std::size_t>(atual_)][indice] = std::move(v);
    modificado_ = true;
}

// --- Edit, insert, post --------------------------------------------------------------

void ConjuntoDeDados::ExigirEdicaoPossivel() const {
    ExigirAberto();
    if (bloqueio_ == TipoDeBloqueio::SomenteLeitura)
        throw ErroDeEntrada(Prefixo() +
                            "Não é possível alterar um conjunto de dados somente leitura");
}

void ConjuntoDeDados::Editar() {
    ExigirEdicaoPossivel();
    if (estado_ == EstadoDoConjunto::Editando || estado_ == EstadoDoConjunto::Inserindo) return;
    if (linhas_.empty()) {
        Inserir();
        return;
    }
    original_ = linhas_[static_cast<std::size_t>(atual_)];
    modificado_ = false;
    estado_ = EstadoDoConjunto::Editando;
}

void ConjuntoDeDados::Inserir() {
    ExigirEdicaoPossivel();
    SairDaEdicao();
    InserirEm(linhas_.empty() ? 0 : static_cast<std::size_t>(atual_));
}

void ConjuntoDeDados::Acrescentar() {
    ExigirEdicaoPossivel();
    SairDaEdicao();
    InserirEm(linhas_.size());
}

void ConjuntoDeDados::InserirEm(std::size_t pos) {
    linhas_.insert(linhas_.begin() + static_cast<std::ptrdiff_t>(pos),
                   std::vector<Valor>(colunas_.size()));
    marcadores_.insert(marcadores_.begin() + static_cast<std::ptrdiff_t>(pos), proximoMarcador_++);
    atual_ = static_cast<std::int64_t>(pos);
    original_ = linhas_[pos];
    bof_ = eof_ = false;
    modificado_ = false;
    estado_ = EstadoDoConjunto::Inserindo;
}

void ConjuntoDeDados::Cancelar() {
    if (estado_ == EstadoDoConjunto::Inserindo) {
        const auto pos = static_cast<std::size_t>(atual_);
        linhas_.erase(linhas_.begin() + static_cast<std::ptrdiff_t>(pos));
        marcadores_.erase(marcadores_.begin() + static_cast<std::ptrdiff_t>(pos));
        if (atual_ >= static_cast<std::int64_t>(linhas_.size()))
            atual_ = linhas_.empty() ? 0 : static_cast<std::int64_t>(linhas_.size()) - 1;
        bof_ = eof_ = linhas_.empty();
    } else if (estado_ == EstadoDoConjunto::Editando) {
        linhas_[static_cast<std::size_t>(atual_)] = original_;
    } else {
        return;
    }
    original_.clear();
    modificado_ = false;
    estado_ = EstadoDoConjunto::Navegando;
}

void ConjuntoDeDados::Gravar() {
    ExigirAberto();
    if (estado_ != EstadoDoConjunto::Editando && estado_ != EstadoDoConjunto::Inserindo) return;
    // On failure the row stays in edit mode, for the caller to fix or cancel.
    GravarLinha();
    original_.clear();
    modificado_ = false;
    estado_ = EstadoDoConjunto::Navegando;
}

std::string ConjuntoDeDados::TabelaDasColunas() const {
    std::string tabela;
    for (const auto& c : colunas_) {
        if (c.tabelaBase.empty()) continue;
        if (tabela.empty())
            tabela = c.tabelaBase;
        else if (!texto::IguaisSemCaixa(tabela, c.tabelaBase))
            throw ErroDeEntrada(
                Prefixo() +
                "O conjunto de dados reúne colunas de mais de uma tabela e não pode ser gravado");
    }
    return tabela;
}

void ConjuntoDeDados::GravarLinha() {
    const std::string tabela = TabelaParaGravar();
    Conector& conector = ConectorAberto();
    // Columns of that table: all of them when the backend does not tell where columns
    // come from; otherwise the expressions are left out.
    bool algumaComTabela = false;
    for (const auto& c : colunas_) algumaComTabela = algumaComTabela || !c.tabelaBase.empty();
    std::vector<std::size_t> daTabela;
    for (std::size_t i = 0; i < colunas_.size(); ++i)
        if (!algumaComTabela || !colunas_[i].tabelaBase.empty()) daTabela.push_back(i);
    if (estado_ == EstadoDoConjunto::Inserindo)
        GravarInclusao(conector, tabela, daTabela);
    else
        GravarAlteracao(conector, tabela, daTabela);
}

void ConjuntoDeDados::GravarInclusao(Conector& conector, const std::string& tabela,
                                     const std::vector<std::size_t>& colunas) {
    const auto& linha = linhas_[static_cast<std::size_t>(atual_)];
    std::string nomes, marcas;
    std::vector<Valor> valores;
    for (std::size_t i : colunas) {
        // Identity (unless identity insertion is on), rowversion and computed columns are
        // the server's; an unset column takes its default.
        const bool identidade = incluirIdentidade_ && colunas_[i].identidade;
        if ((colunas_[i].somenteLeitura && !identidade) || EhNulo(linha[i])) continue;
        nomes += (nomes.empty() ? "" : ", ") + NomeNaTabela(colunas_[i]);
        marcas += marcas.empty() ? "?" : ", ?";
        valores.push_back(linha[i]);
    }
    const std::string sql =
        valores.empty() ? "INSERT INTO " + tabela + " DEFAULT VALUES"
                        : "INSERT INTO " + tabela + " (" + nomes + ") VALUES (" + marcas + ")";
    const std::int64_t n = LinhasAfetadasDoComando(conector.Executar(sql, valores, timeout_));
    if (n == 0) throw ErroDeBanco(Prefixo() + "A linha não foi incluída em " + tabela);
}

std::vector<std::size_t> ConjuntoDeDados::ColunasParaLocalizar(
    Conector& conector, const std::string& tabela, const std::vector<std::size_t>& daTabela,
    bool& porChave) {
    // The primary key when every key column is in the dataset with a value.
    std::vector<std::size_t> chave;
    for (std::size_t i : daTabela)
        if (colunas_[i].chave) chave.push_back(i);
    if (chave.empty()) {
        for (const auto& nome : conector.ColunasChave(tabela)) {
            auto it = std::find_if(daTabela.begin(), daTabela.end(), [&](std::size_t i) {
                const auto& c = colunas_[i];
                return texto::IguaisSemCaixa(c.colunaBase.empty() ? c.nome : c.colunaBase, nome);
            });
            if (it == daTabela.end()) {
                chave.clear();
                break;
            }
            chave.push_back(*it);
        }
    }
    const bool chaveUtil =
        !chave.empty() && std::none_of(chave.begin(), chave.end(),
                                       [&](std::size_t i) { return EhNulo(original_[i]); });
    porChave = chaveUtil;
    if (chaveUtil) return chave;
    std::vector<std::size_t> todas;
    for (std::size_t i : daTabela)
        if (Comparavel(colunas_[i].tipo)) todas.push_back(i);
    return todas;
}

void ConjuntoDeDados::GravarAlteracao(Conector& conector, const std::string& tabela,
                                      const std::vector<std::size_t>& colunas) {
    const auto& linha = linhas_[static_cast<std::size_t>(atual_)];
    std::string sets;
    std::vector<Valor> valores;
    for (std::size_t i : colunas) {
        if (colunas_[i].somenteLeitura || linha[i] == original_[i]) continue;
        sets += (sets.empty() ? "" : ", ") + NomeNaTabela(colunas_[i]);
        if (EhNulo(linha[i])) {
            sets += " = NULL";
        } else {
            sets += " = ?";
            valores.push_back(linha[i]);
        }
    }
    if (sets.empty()) return;

    bool porChave = false;
    std::vector<std::size_t> localizar = ColunasParaLocalizar(conector, tabela, colunas, porChave);
    if (localizar.empty())
        throw ErroDeEntrada(Prefixo() +
                            "Não há colunas que permitam localizar a linha a alterar em " + tabela);
    std::string onde;
    std::vector<Valor> valoresOnde;
    for (std::size_t i : localizar) {
        onde += (onde.empty() ? "" : " AND ") + NomeNaTabela(colunas_[i]);
        if (EhNulo(original_[i])) {
            onde += " IS NULL";
        } else {
            onde += " = ?";
            valoresOnde.push_back(original_[i]);
        }
    }

    const std::string naoLocalizada = Prefixo() +
                                      "Não foi possível localizar a linha a alterar em " + tabela +
                                      ": ela foi alterada ou excluída por outro usuário";
    auto muitas = [&](std::int64_t n) {
        return Prefixo() + "A alteração atingiria " + std::to_string(n) + " linhas de " + tabela +
               " em vez de uma; nada foi gravado";
    };

    // A row located by its values may have twins: count first, so that an UPDATE never
    // touches more than the one row.
    if (!porChave) {
        const auto r = conector.Executar("SELECT COUNT(*) FROM " + tabela + " WHERE " + onde,
                                         valoresOnde, timeout_);
        for (const auto& res : r) {
            if (res.colunas.empty() || res.linhas.empty()) continue;
            const std::int64_t n = ValorComoInteiro(res.linhas[0][0]);
            if (n == 0) throw ErroDeBanco(naoLocalizada);
            if (n > 1) throw ErroDeBanco(muitas(n));
            break;
        }
    }

    valores.insert(valores.end(), valoresOnde.begin(), valoresOnde.end());
    const std::string sql = "UPDATE " + tabela + " SET " + sets + " WHERE " + onde;
    const bool transacaoPropria = !conector.EmTransacao();
    if (transacaoPropria) conector.IniciarTransacao();
    try {
        const std::int64_t n = LinhasAfetadasDoComando(conector.Executar(sql, valores, timeout_));
        if (n == 0) throw ErroDeBanco(naoLocalizada);
        if (n > 1) throw ErroDeBanco(muitas(n));
        if (transacaoPropria) conector.Confirmar();
    } catch (...) {
        if (transacaoPropria && conector.EmTransacao()) {
            try {
                conector.Desfazer();
            } catch (const Erro&) {
                // The first failure is the one the user needs to see.
            }
        }
        throw;
    }
}

}  // namespace zolvek::db
