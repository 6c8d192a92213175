#include "db/conexao.hpp"

#include "comum/erros.hpp"
#include "db/conector/provedores.hpp"

namespace zolvek::db {

Conexao::Conexao() = default;

Conexao::~Conexao() {
    Fechar();
}

void Conexao::DefinirStringDeConexao(const std::string& cadeia) {
    cadeia_ = cadeia;
}

void Conexao::Abrir() {
    if (Aberta()) return;
    observado_.reset();
    conector_.reset();
    std::unique_ptr<Conector> conector = CriarConectorDaCadeia(cadeia_);
    conector->Abrir();
    conector_ = std::move(conector);
    transacoes_ = 0;
    Observar();
}

void Conexao::Fechar() noexcept {
    observado_.reset();
    transacoes_ = 0;
    if (conector_) conector_->Fechar();
    conector_.reset();
}

void Conexao::DefinirObservadorDeComandos(ObservadorDeComandos observador,
                                          ObservadorDeDesfechos desfechos) {
    observador_ = std::move(observador);
    desfechos_ = std::move(desfechos);
    Observar();
}

void Conexao::Observar() {
    observado_.reset();
    if ((observador_ || desfechos_) && conector_)
        observado_ = std::make_unique<ConectorObservado>(*conector_, observador_, desfechos_);
}

bool Conexao::Aberta() const {
    return conector_ && conector_->Aberto();
}

std::string Conexao::PontoSalvo(int nivel) {
    return "zv_ponto_" + std::to_string(nivel);
}

void Conexao::IniciarTransacao() {
    Conector& c = ConectorAberto();
    if (transacoes_ == 0)
        c.IniciarTransacao();
    else
        c.Executar("SAVE TRANSACTION " + PontoSalvo(transacoes_), {}, 0);
    ++transacoes_;
}

void Conexao::Confirmar() {
    Conector& c = ConectorAberto();
    if (transacoes_ <= 1) c.Confirmar();
    if (transacoes_ > 0) --transacoes_;
}

void Conexao::Desfazer() {
    Conector& c = ConectorAberto();
    const int nivel = transacoes_;
    // Counted down first: a rollback that fails has still ended this level.
    if (transacoes_ > 0) --transacoes_;
    if (nivel > 1)
        c.Executar("ROLLBACK TRANSACTION " + PontoSalvo(nivel - 1), {}, 0);
    else if (nivel == 0 || c.EmTransacao())
        c.Desfazer();
    // else the server already rolled it back (an error that undoes the transaction).
}

bool Conexao::EmTransacao() const {
    return Aberta() && (transacoes_ > 0 || conector_->EmTransacao());
}

Conector& Conexao::ConectorAberto() {
    if (!Aberta()) throw ErroDeBanco("A conexão com o banco de dados não está aberta");
    if (observado_) return *observado_;
    return *conector_;
}

}  // namespace zolvek::db
