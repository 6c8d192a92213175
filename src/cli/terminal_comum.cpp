#include "cli/terminal_comum.hpp"

#include <unistd.h>

#include <cstring>
#include <iomanip>

#include "db/conjunto.hpp"

namespace zolvek::cli {

namespace {

volatile std::sig_atomic_t gCancelamentoPedido = 0;
const char* gAviso = "";

extern "C" void PedirCancelamento(int) {
    gCancelamentoPedido = 1;
    std::signal(SIGINT, SIG_DFL);
    [[maybe_unused]] const auto escrito = write(STDERR_FILENO, gAviso, std::strlen(gAviso));
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
    db::Consulta processos(&conexao);
    processos.DefinirSQL(
        "SELECT hostname,loginame, max(datediff(minute,login_time,getdate())) as Tempo FROM "
        "master.dbo.sysprocesses where DB_NAME(dbid)=:BD group by hostname,loginame");
    processos.DefinirTimeout(0);
    processos.ParametroPorNome("BD").DefinirTexto(nomeDoBanco);
    processos.Abrir();
    saida << "Usuários ativos em " << nomeDoBanco << ":" << std::endl;
    saida << std::left << std::setw(30) << "Usuário"
          << " " << std::setw(23) << "Computador"
          << " Minutos" << std::endl;
    for (processos.Primeiro(); !processos.Fim(); processos.Proximo())
        saida << std::left << std::setw(30) << processos.CampoPorNome("loginame").Texto() << " "
              << std::setw(23) << processos.CampoPorNome("hostname").Texto() << " "
              << processos.CampoPorNome("Tempo").Texto() << std::endl;
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
