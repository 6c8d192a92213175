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
class TUsuariosAtivos : public QDialog {
    Q_OBJECT

  public:
    TUsuariosAtivos(db::Conexao& conexao, const std::string& nomeDoBanco, QWidget* pai = nullptr);
    ~TUsuariosAtivos() override;

    void btnAtualizarClick();
    void EliminarProcessoClick();

    QTableWidget* grdProcessos;
    QPushButton* btnAtualizar;
    QPushButton* btnFechar;
    QMenu* mnuProcessos;
    QAction* imbEliminarProcesso;

  private:
    void PreencherGrade();

    std::unique_ptr<admin::UsuariosAtivos> usuarios_;
};

// Shows the window modally for the database on that connection; the listing opens
// under the hourglass.
void MostrarUsuariosAtivos(db::Conexao& conexao, const std::string& nomeDoBanco,
                           QWidget* pai = nullptr);

}  // namespace zolvek::app
