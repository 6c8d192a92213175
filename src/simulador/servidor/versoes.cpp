#include "simulador/servidor/versoes.hpp"

#include <vector>

#include "comum/erros.hpp"

namespace zolvek::simulador {

namespace {

const std::vector<VersaoDoServidor>& Versoes() {
    static const std::vector<VersaoDoServidor> v = {
        {"10.50", "10.50.1600.1", "Microsoft SQL Server 2008 R2 (RTM)", 10, 50, 100},
        {"11.0", "11.0.2100.60", "Microsoft SQL Server 2012", 11, 0, 110},
        {"12.0", "12.0.2000.8", "Microsoft SQL Server 2014", 12, 0, 120},
        {"13.0", "13.0.1601.5", "Microsoft SQL Server 2016 (RTM)", 13, 0, 130},
        {"14.0", "14.0.1000.169", "Microsoft SQL Server 2017 (RTM)", 14, 0, 140},
        {"15.0", "15.0.2000.5", "Microsoft SQL Server 2019 (RTM)", 15, 0, 150},
        {"16.0", "16.0.1000.6", "Microsoft SQL Server 2022 (RTM)", 16, 0, 160},
    };
    return v;
}

}  // namespace

const VersaoDoServidor& VersaoPadrao() {
    return Versoes()[1];
}

const VersaoDoServidor& VersaoPedida(const std::string& pedido) {
    std::string aceitas;
    for (const auto& v : Versoes()) {
        if (pedido == v.pedido || (v.menor == 0 && pedido == std::to_string(v.maior))) return v;
        aceitas += (aceitas.empty() ? "" : ", ") + v.pedido;
    }
    throw ErroDeEntrada("Versão do servidor desconhecida para o simulador: '" + pedido +
                        "'. Use uma destas: " + aceitas + ".");
}

const VersaoDoServidor& VersaoDoProduto(const std::string& produto) {
    for (const auto& v : Versoes())
        if (produto == v.produto) return v;
    return VersaoPadrao();
}

void ExigirMesmaVersao(const std::string& pasta, const VersaoDoServidor& daPasta,
                       const std::string& pedido) {
    if (pedido.empty()) return;
    const VersaoDoServidor& pedida = VersaoPedida(pedido);
    if (&pedida == &daPasta) return;
    throw ErroDeEntrada("A pasta do servidor '" + pasta + "' já existe com a versão " +
                        daPasta.pedido + " do SQL Server; a versão " + pedida.pedido +
                        " só pode ser escolhida para uma pasta nova.");
}

}  // namespace zolvek::simulador
