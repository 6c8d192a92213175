#include "db/conexao.hpp"

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "db/conector/entradas_da_conexao.hpp"
#include "db/odbc/conector_odbc.hpp"
#include "simulador/simulador.hpp"

namespace zolvek::db {

namespace {

bool CadeiaOdbc(const std::string& cadeia) {
    const std::string a = texto::Aparar(cadeia);
    auto comeca = [&a](std::string_view p) {
        return a.size() >= p.size() &&
               texto::IguaisSemCaixa(std::string_view(a).substr(0, p.size()), p);
    };
    return comeca("Driver=") || comeca("DSN=");
}

}  // namespace

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
    std::unique_ptr<Conector> conector;
    if (CadeiaOdbc(cadeia_)) {
        conector = odbc::CriarConector(cadeia_);
    } else {
        // Malformed strings stop here, before any backend is tried.
        const auto entradas = LerEntradasDaConexao(cadeia_);
        const std::string provedor = texto::Aparar(ValorDaEntrada(entradas, "Provider"));
        if (texto::IguaisSemCaixa(provedor, "Simulador"))
            conector = simulador::CriarConector(cadeia_);
        else
            conector = odbc::CriarConector(cadeia_);
    }
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
