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
    conector_.reset();
    std::unique_ptr<Conector> conector = CriarConectorDaCadeia(cadeia_);
    conector->Abrir();
    conector_ = std::move(conector);
}

void Conexao::Fechar() noexcept {
    if (conector_) conector_->Fechar();
    conector_.reset();
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
    return *conector_;
}

}  // namespace zolvek::db
