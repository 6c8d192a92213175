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
    if (observador_) observado_ = std::make_unique<ConectorObservado>(*conector_, observador_);
}

void Conexao::Fechar() noexcept {
    observado_.reset();
    if (conector_) conector_->Fechar();
    conector_.reset();
}

void Conexao::DefinirObservadorDeComandos(ObservadorDeComandos observador) {
    observador_ = std::move(observador);
    observado_.reset();
    if (observador_ && conector_)
        observado_ = std::make_unique<ConectorObservado>(*conector_, observador_);
}

bool Conexao::Aberta() const {
    return conector_ && conector_->Aberto();
}

void Conexao::IniciarTransacao() {
    ConectorAberto().IniciarTransacao();
}
void Conexao::Confirmar() {
    ConectorAberto().Confirmar();
}
void Conexao::Desfazer() {
    ConectorAberto().Desfazer();
}
bool Conexao::EmTransacao() const {
    return Aberta() && conector_->EmTransacao();
}

Conector& Conexao::ConectorAberto() {
    if (!Aberta()) throw ErroDeBanco("A conexão com o banco de dados não está aberta");
    if (observado_) return *observado_;
    return *conector_;
}

}  // namespace zolvek::db
