#include "db/conector/provedores.hpp"

#include <map>
#include <mutex>

#include "comum/erros.hpp"
#include "comum/texto.hpp"
#include "db/conector/entradas_da_conexao.hpp"

namespace zolvek::db {

namespace {

struct Registro {
    std::mutex mutex;
    std::map<std::string, FabricaDeConector> porNome;  // folded names
    FabricaDeConector padrao = nullptr;
};

Registro& Provedores() {
    static Registro r;
    return r;
}

std::string Dobrado(const std::string& nome) {
    return texto::Minusculas(texto::Aparar(nome));
}

bool CadeiaOdbc(const std::string& cadeia) {
    const std::string a = texto::Aparar(cadeia);
    auto comeca = [&a](std::string_view p) {
        return a.size() >= p.size() &&
               texto::IguaisSemCaixa(std::string_view(a).substr(0, p.size()), p);
    };
    return comeca("Driver=") || comeca("DSN=");
}

}  // namespace

void RegistrarProvedor(const std::string& provedor, FabricaDeConector fabrica) {
    auto& r = Provedores();
    std::lock_guard trava(r.mutex);
    r.porNome[Dobrado(provedor)] = fabrica;
}

void RegistrarProvedorPadrao(FabricaDeConector fabrica) {
    auto& r = Provedores();
    std::lock_guard trava(r.mutex);
    r.padrao = fabrica;
}

std::unique_ptr<Conector> CriarConectorDaCadeia(const std::string& cadeia) {
    FabricaDeConector fabrica = nullptr;
    std::string provedor;
    if (!CadeiaOdbc(cadeia)) {
        // Malformed strings stop here, before any backend is tried.
        provedor = texto::Aparar(ValorDaEntrada(LerEntradasDaConexao(cadeia), "Provider"));
    }
    {
        auto& r = Provedores();
        std::lock_guard trava(r.mutex);
        auto it = provedor.empty() ? r.porNome.end() : r.porNome.find(Dobrado(provedor));
        fabrica = it != r.porNome.end() ? it->second : r.padrao;
    }
    if (!fabrica)
        throw ErroDeBanco("Este programa não tem o provedor de banco de dados '" +
                          (provedor.empty() ? std::string("ODBC") : provedor) + "'.");
    return fabrica(cadeia);
}

}  // namespace zolvek::db
