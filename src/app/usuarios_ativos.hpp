#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "admin/usuarios_ativos.hpp"

class QAction;
class QMenu;
class QPushButton;
class QTableWidget;

namespace zolvek::app {

// "Usuários ativos": who is connected to the database, from which computer and for
// how many minutes, with "Eliminar processo..." on the grid's pop-up menu to end a
// user's sessions there. Errors are shown in the error box and the window stays open.
// Ending the row that holds the window's own connection (the program's) asks first;
// when the connection went with it, the connection is closed, the user told so and
// the window closes.
class TUsuariosAtivos : public QDialog {
    Q_OBJECT

  public:
    static constexpr const char* kConexaoEncerrada =
        "A conexão deste programa com o banco de dados foi encerrada. Conecte-se novamente "
        "para continuar.";

    TUsuariosAtivos(db::Conexao& conexao, const std::string& nomeDoBanco, QWidget* pai = nullptr);
    ~TUsuariosAtivos() override;

    void btnAtualizarClick();
    void EliminarProcessoClick();
    // The connection was ended with the processes of its own row, and closed.
    bool ConexaoEncerrada() const { return conexaoEncerrada_; }

    QTableWidget* grdProcessos;
    QPushButton* btnAtualizar;
    QPushButton* btnFechar;
    QMenu* mnuProcessos;
    QAction* imbEliminarProcesso;

  private:
    void PreencherGrade();
    void EliminarConexaoPropria(const std::string& login, const std::string& host);

    db::Conexao& conexao_;
    std::unique_ptr<admin::UsuariosAtivos> usuarios_;
    bool conexaoEncerrada_ = false;
};

// The question before ending the processes of the row of the program's own connection.
std::string PerguntaDaConexaoPropria(const std::string& login, const std::string& host);

// Shows the window modally for the database on that connection; the listing opens
// under the hourglass.
void MostrarUsuariosAtivos(db::Conexao& conexao, const std::string& nomeDoBanco,
                           QWidget* pai = nullptr);

}  // namespace zolvek::app
