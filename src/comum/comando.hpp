#pragma once

#include <string>

// How a long command (analysis, tax recalculation, import, status records) talks to
// its front end without knowing it: the GUI implements this with Qt windows, the
// command running on a worker thread and every call marshalled to the windows; the
// CLI with terminal output and flags. A command calls it from one thread only.
namespace zolvek {

// One row of a command's error list.
struct LinhaDeErro {
    std::string tabela;     // "Tabela"
    std::string campo;      // "Campo"
    std::string funcao;     // "Função"
    std::string descricao;  // "Descrição"
    std::string comando;    // "Comando"
};

// SimTodosNaoCancelar: "Sim", "Sim para todos", "Não", "Cancelar" (the analysis asks
// before altering or creating a table); OkCancelar: "OK", "Cancelar".
enum class Botoes { Ok, SimNao, SimNaoCancelar, SimNaoTodos, SimTodosNaoCancelar, OkCancelar };
enum class Resposta { Ok, Sim, Nao, Cancelar, SimParaTodos, NaoParaTodos };
enum class TipoDeMensagem { Atencao, Erro, Informacao };

class InterfaceDoComando {
  public:
    virtual ~InterfaceDoComando() = default;

    // The progress text (one line) and the progress bar.
    virtual void MostrarProgresso(const std::string& texto) = 0;
    virtual void DefinirBarra(int posicao, int maximo) = 0;

    // A question box; `padrao` is the preselected answer.
    virtual Resposta Perguntar(const std::string& titulo, const std::string& texto, Botoes botoes,
                               Resposta padrao) = 0;

    // A message box with the caption of its kind ("Atenção", "Erro", "Informação").
    virtual void Mostrar(TipoDeMensagem tipo, const std::string& texto) = 0;

    // Called between units of work; true once the user asked to cancel.
    virtual bool CancelamentoPedido() = 0;

    // Adds a row to the command's error list.
    virtual void AdicionarErro(const LinhaDeErro& linha) = 0;

    // The command's progress window. Opened when the work starts (`titulo` is its
    // caption); finished with `concluido` true it stays open for reading, with the print
    // link when the error list has rows and the support texts; with false (an abort) it
    // closes. Front ends without such a window ignore both.
    virtual void AbrirEvolucao(const std::string& titulo) {}
    virtual void FinalizarEvolucao(bool concluido) {}

    // Shows who is connected to the database (the active-users window, or a listing),
    // for a command that could not have the database to itself.
    virtual void MostrarUsuariosAtivos(const std::string& nomeDoBanco) {}

    // A second bar under the main one, for the units inside the current one (the rows
    // of the table being imported). Front ends with a single bar ignore it.
    virtual void DefinirBarraSecundaria(int posicao, int maximo) {}

    // The busy cursor on (true) and off again (false, always paired) around a step that
    // may take long inside the progress window, which otherwise shows the arrow (the
    // import opening an origin table). Front ends without a cursor ignore it.
    virtual void MostrarEspera(bool ligada) {}
};

}  // namespace zolvek
