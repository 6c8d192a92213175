#include <charconv>
#include <iostream>

#include "admin/usuarios_ativos.hpp"
#include "cli/argumentos.hpp"
#include "cli/interface_do_terminal.hpp"
#include "cli/registro.hpp"
#include "cli/sessao_cli.hpp"
#include "cli/terminal_comum.hpp"

namespace zolvek::cli {

namespace {

int LerNumeroDoProcesso(const std::string& texto) {
    int spid = 0;
    const auto [fim, erro] = std::from_chars(texto.data(), texto.data() + texto.size(), spid);
    if (texto.empty() || erro != std::errc() || fim != texto.data() + texto.size() || spid <= 0)
        throw ErroDeUso("--eliminar precisa do número de um processo (SPID): " + texto);
    return spid;
}

// "Eliminar processo..." of the window for the row of session `spid`: after the
// confirmation, MatarProcesso ends that login's processes on that computer.
int Eliminar(db::TModuloDados& modulo, int spid, InterfaceDoTerminal& interface) {
    const std::string banco = modulo.NomeDoBanco();
    const admin::ProcessoAtivo alvo = admin::ProcessoParaEliminar(modulo.Banco, banco, spid);
    const std::string quem = "do usuário " + alvo.loginame + " no computador " + alvo.hostname;
    if (interface.Perguntar("Eliminar processo",
                            "Os processos " + quem + " (processo " + std::to_string(spid) +
                                ") serão eliminados, você confirma ?",
                            Botoes::SimNao, Resposta::Nao) != Resposta::Sim)
        return kSaidaFalha;
    admin::UsuariosAtivos usuarios(modulo.Banco, banco);
    usuarios.MatarProcesso(alvo.loginame, alvo.hostname);
    std::cout << "Processos " << quem << " eliminados" << std::endl;
    ListarUsuariosAtivos(modulo.Banco, banco, std::cout);
    return kSaidaSucesso;
}

int ExecutarUsuarios(const std::vector<std::string>& parametros) {
    auto comValor = OpcoesDeSessao();
    comValor.insert("--eliminar");
    const Argumentos argumentos(parametros, comValor, {"--sim"});
    if (!argumentos.Posicionais().empty())
        throw ErroDeUso("Argumento inesperado: " + argumentos.Posicionais().front());
    const auto eliminar = argumentos.Valor("--eliminar");
    const int spid = eliminar ? LerNumeroDoProcesso(*eliminar) : 0;
    if (!eliminar && argumentos.Marcado("--sim")) throw ErroDeUso("--sim só vale com --eliminar");
    InterfaceDoTerminal interface(argumentos.Marcado("--sim"), EntradaInterativa());
    return ExecutarComMensagens(std::cout, [&] {
        auto modulo = AbrirSessao(argumentos, std::cerr);
        if (eliminar) return Eliminar(*modulo, spid, interface);
        ListarUsuariosAtivos(modulo->Banco, modulo->NomeDoBanco(), std::cout);
        return kSaidaSucesso;
    });
}

const RegistrarComando registroUsuarios({
    "usuarios",
    "lista os usuários ativos no banco de dados e elimina os processos de um deles",
    []() -> std::string {
        return std::string(
                   "Uso: zolvek-cli usuarios [--eliminar SPID [--sim]] [--conexao TEXTO]\n"
                   "                         [--dicionario ARQUIVO]\n"
                   "Lista quem está conectado ao banco de dados, como a janela \"Usuários "
                   "ativos\": uma\n"
                   "linha por usuário e computador, com os minutos desde o seu login mais antigo e "
                   "os\n"
                   "números (SPID) das suas sessões, e por fim o número da sessão deste programa.\n"
                   "\n"
                   "Com --eliminar SPID, faz o \"Eliminar processo...\" da janela para a linha "
                   "dessa\n"
                   "sessão: o procedimento MatarProcesso do banco encerra todos os processos "
                   "daquele\n"
                   "usuário naquele computador. São recusadas a sessão deste programa e as sessões "
                   "do\n"
                   "mesmo usuário no mesmo computador dela (que o procedimento também "
                   "encerraria).\n"
                   "Num terminal interativo a confirmação é perguntada; sem terminal, só --sim\n"
                   "confirma.\n"
                   "\n"
                   "Saída 0: lista mostrada ou processos eliminados; 1: eliminação não "
                   "confirmada,\n"
                   "recusada ou falha, com a mensagem na saída padrão; 2: uso incorreto.\n"
                   "\n"
                   "Opções:\n"
                   "  --eliminar SPID      elimina os processos do usuário e computador da sessão "
                   "SPID\n"
                   "  --sim                confirma a eliminação sem perguntar\n") +
               kAjudaDaSessao;
    },
    ExecutarUsuarios,
});

}  // namespace

}  // namespace zolvek::cli
