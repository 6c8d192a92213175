#include "admin/conexao_administrativa.hpp"

#include <filesystem>

#include "comum/texto.hpp"
#include "db/cadeia_de_conexao.hpp"

namespace zolvek::admin {

const char* const kFinalDaCadeia =
    ";Locale Identifier=1046;Connect Timeout=15;Use Procedure for Prepare=1;Auto "
    "Translate=True;Packet Size=4096";

std::string ValorNaCadeia(const std::string& valor) {
    const bool precisa = valor.find_first_of(";\"'") != std::string::npos ||
                         (!valor.empty() && (valor.front() == ' ' || valor.back() == ' '));
    if (!precisa) return valor;
    std::string saida = "\"";
    for (char c : valor) {
        saida += c;
        if (c == '"') saida += '"';
    }
    return saida + "\"";
}

std::string CadeiaDoMaster(const std::string& servidor, const std::string& login,
                           const std::string& senha) {
    const std::string usuario = texto::Aparar(login);
    const std::string chave = texto::Aparar(senha);
    std::string credenciais;
    if (usuario.empty())
        credenciais = "Integrated Security=SSPI;Persist Security Info=False;";
    else if (chave.empty())
        credenciais = "Persist Security Info=False;User ID=" + ValorNaCadeia(usuario) + ";";
    else
        credenciais = "Password=" + ValorNaCadeia(chave) +
                      ";Persist Security Info=True;User ID=" + ValorNaCadeia(usuario) + ";";
    return "Provider=SQLOLEDB.1;" + credenciais +
           "Initial Catalog=master;Data Source=" + ValorNaCadeia(servidor) + kFinalDaCadeia;
}

std::string CadeiaComSenha(const std::string& catalogo, const std::string& servidor,
                           const std::string& login, const std::string& senha) {
    return "Provider=SQLOLEDB.1;Password=" + ValorNaCadeia(senha) +
           ";Persist Security Info=True;User ID=" + ValorNaCadeia(login) +
           ";Initial Catalog=" + ValorNaCadeia(catalogo) +
           ";Data Source=" + ValorNaCadeia(servidor) + kFinalDaCadeia;
}

std::string CadeiaParaOServidor(const std::string& cadeia, const std::string& servidor) {
    std::error_code erro;
    const std::string pasta = texto::Aparar(servidor);
    if (pasta.empty() || !std::filesystem::is_directory(pasta, erro)) return cadeia;
    return db::AlterarValorDaConexao(cadeia, "Provider", "Simulador");
}

}  // namespace zolvek::admin
