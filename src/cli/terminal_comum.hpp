#pragma once

#include <csignal>
#include <ostream>
#include <string>

#include "comum/comando.hpp"
#include "db/conexao.hpp"

// What the terminal front ends of zolvek-cli share: the names of answers and message
// captions, and Ctrl+C as the progress window's "Cancelar".
namespace zolvek::cli {

// "OK", "Sim", "Não", "Cancelar", "Sim para todos", "Não para todos".
const char* NomeDaResposta(Resposta r);

// The caption of a message box of the kind: "Atenção", "Erro", "Informação".
const char* TituloDaMensagem(TipoDeMensagem tipo);

// Lists who is connected to the database (login, computer, minutes), as the active
// users window does, with the session numbers of each row and the program's own.
void ListarUsuariosAtivos(db::Conexao& conexao, const std::string& nomeDoBanco,
                          std::ostream& saida);

// While it lives, the first Ctrl+C asks for cancellation at the command's next check
// (and writes `aviso` to standard error); a second one ends the program as usual.
class CtrlCCancela {
  public:
    explicit CtrlCCancela(const char* aviso);
    ~CtrlCCancela();
    CtrlCCancela(const CtrlCCancela&) = delete;
    CtrlCCancela& operator=(const CtrlCCancela&) = delete;

    bool Pedido() const;

  private:
    void (*sinalAnterior_)(int) = SIG_DFL;
};

}  // namespace zolvek::cli
