#include "app/linha_de_comando.hpp"

namespace zolvek::app {

const char* const kUsoDoPrograma =
    "Uso: zolvek [CADEIA_DE_CONEXAO]\n"
    "     zolvek --help\n"
    "\n"
    "Manutenção do banco de dados da empresa.\n"
    "\n"
    "  CADEIA_DE_CONEXAO  cadeia de conexão completa (chave=valor;...) com a qual o\n"
    "                     programa conecta ao abrir, sem mostrar a janela \"Conexão\".\n"
    "                     Por exemplo:\n"
    "                     \"Provider=SQLOLEDB.1;Data Source=servidor;Initial Catalog=EMPRESA;"
    "User ID=sa;Password=...\"\n"
    "                     \"Provider=Simulador;Data Source=/caminho/da/pasta;Initial "
    "Catalog=EMPRESA;User ID=sa\"\n"
    "  -h, --help         mostra este texto e termina\n"
    "\n"
    "As opções do Qt (-platform, -style, -display...) também são aceitas.\n";

bool PedeAjuda(const std::vector<std::string>& argumentos) {
    for (const auto& a : argumentos)
        if (a == "--help" || a == "-h" || a == "-?") return true;
    return false;
}

std::string ErroNosArgumentos(const std::vector<std::string>& argumentos) {
    // A connection string never starts with "-".
    if (!argumentos.empty() && argumentos.front().rfind('-', 0) == 0)
        return "opção desconhecida: " + argumentos.front();
    return "";
}

}  // namespace zolvek::app
