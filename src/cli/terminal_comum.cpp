#include "cli/terminal_comum.hpp"

#include <unistd.h>

#include <atomic>
#include <cstring>
#include <iomanip>

#include "admin/usuarios_ativos.hpp"
#include "comum/texto.hpp"

namespace zolvek::cli {

namespace {

// Read by the runs' threads of a fleet run too: a lock-free atomic is safe for both.
std::atomic<int> gCancelamentoPedido{0};
static_assert(std::atomic<int>::is_always_lock_free);
const char* gAviso = "";

extern "C" void PedirCancelamento(int) {
    gCancelamentoPedido = 1;
    std::signal(SIGINT, SIG_DFL);
    [[maybe_unused]] const auto escrito = write(STDERR_FILENO, gAviso, std::strlen(gAviso));
}

// The text padded with blanks to `largura` characters (not bytes: "Usuário").
std::string Coluna(const std::string& texto, std::size_t largura) {
    std::size_t caracteres = 0;
    for (unsigned char c : texto)
        if ((c & 0xC0) != 0x80) ++caracteres;
    return caracteres >= largura ? texto : texto + std::string(largura - caracteres, ' ');
}

}  // namespace

const char* NomeDaResposta(Resposta r) {
    switch (r) {
        case Resposta::Ok:
            return "OK";
        case Resposta::Sim:
            return "Sim";
        case Resposta::Nao:
            return "Não";
        case Resposta::Cancelar:
            return "Cancelar";
        case Resposta::SimParaTodos:
            return "Sim para todos";
        case Resposta::NaoParaTodos:
            break;
    }
    return "Não para todos";
}

const char* TituloDaMensagem(TipoDeMensagem tipo) {
    switch (tipo) {
        case TipoDeMensagem::Erro:
            return "Erro";
        case TipoDeMensagem::Atencao:
            return "Atenção";
        case TipoDeMensagem::Informacao:
            break;
    }
    return "Informação";
}

void ListarUsuariosAtivos(db::Conexao& conexao, const std::string& nomeDoBanco,
                          std::ostream& saida) {
    admin::UsuariosAtivos usuarios(conexao, nomeDoBanco);
    usuarios.Atualizar();
    const auto processos = admin::ProcessosDoBanco(conexao, nomeDoBanco);
    saida << "Usuários ativos em " << nomeDoBanco << ":" << std::endl;
    saida << Coluna("Usuário", 30) << " " << Coluna("Computador", 23) << " Minutos Processos"
          << std::endl;
    for (const admin::UsuarioAtivo& u : usuarios.Linhas()) {
        // The sessions of the row, by which `zolvek-cli usuarios --eliminar` names it.
        std::string numeros;
        for (const admin::ProcessoAtivo& p : processos)
            if (texto::IguaisSemCaixa(p.loginame, texto::Aparar(u.loginame)) &&
                texto::IguaisSemCaixa(p.hostname, texto::Aparar(u.hostname)))
                numeros += (numeros.empty() ? "" : ",") + std::to_string(p.spid);
        saida << Coluna(u.loginame, 30) << " " << Coluna(u.hostname, 23) << " " << std::setw(7)
              << u.tempo << " " << numeros << std::endl;
    }
    saida << "Sessão deste programa: " << admin::SessaoPropria(conexao) << std::endl;
}

CtrlCCancela::CtrlCCancela(const char* aviso) {
    gAviso = aviso;
    gCancelamentoPedido = 0;
    sinalAnterior_ = std::signal(SIGINT, PedirCancelamento);
}

CtrlCCancela::~CtrlCCancela() {
    std::signal(SIGINT, sinalAnterior_);
}

bool CtrlCCancela::Pedido() const {
    return gCancelamentoPedido != 0;
}

}  // namespace zolvek::cli
