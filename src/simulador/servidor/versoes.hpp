#pragma once

#include <string>

// The SQL Server versions a stand-in server folder can be created as. The version is
// chosen when the folder is created (the connection string's "Versao do Servidor", or
// zolvek-cli's --versao-do-simulador) and kept in the folder: what the server reports
// (@@VERSION, xp_msver, SERVERPROPERTY) and what it offers (sp_dboption exists up to
// 10.50, SQL Server 2008 R2, and is gone from 11.0 on) follow it.
namespace zolvek::simulador {

struct VersaoDoServidor {
    std::string pedido;              // "10.50", "11.0", ... as the connection string names it
    std::string produto;             // ProductVersion: "10.50.1600.1"
    std::string nome;                // the first line of @@VERSION before " - "
    int maior = 0;                   // 10, 11, ...
    int menor = 0;                   // 50, 0
    int nivelDeCompatibilidade = 0;  // of the databases it creates: 100, 110, ...
};

// The version of a folder created without a choice.
const VersaoDoServidor& VersaoPadrao();
// "10.50", "11.0" (or "11"), ... "16.0"; ErroDeEntrada with the accepted ones otherwise.
const VersaoDoServidor& VersaoPedida(const std::string& pedido);
// The version whose ProductVersion is `produto`; the default for an unknown text.
const VersaoDoServidor& VersaoDoProduto(const std::string& produto);

// A folder keeps the version it was created as: asking an existing folder for another
// one raises ErroDeEntrada; an empty `pedido` asks for nothing.
void ExigirMesmaVersao(const std::string& pasta, const VersaoDoServidor& daPasta,
                       const std::string& pedido);

}  // namespace zolvek::simulador
