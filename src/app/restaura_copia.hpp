#pragma once

#include <QLineEdit>
#include <QPushButton>
#include "app/administrador_do_servidor.hpp"

namespace zolvek::app {

// "Restaurar cópia...": the backup file as the server sees it, the destination
// database (whose contents are replaced), the server and the administrator's login.
// All but the password are remembered between uses.
class TRestauraCopia : public TDialogoDoServidor {
    Q_OBJECT

  public:
    explicit TRestauraCopia(QWidget* pai = nullptr);
    ~TRestauraCopia() override;

    // Restores and closes with OK; an error is shown and the dialog stays open.
    void btnExecutarClick();
    // "Executar" only while the file, the destination and the server are filled in.
    void HabilitarExecutar() override;

    QLineEdit* edtOrigem;
    QLineEdit* edtDestino;
    QLineEdit* edtServidor;
    QLineEdit* edtLogin;
    QLineEdit* edtSenha;
    QPushButton* btnExecutar;
    QPushButton* btnCancelar;

  private:
    void RestaurarMemoria();
    void GravarMemoria();
};

// "Restaurar cópia...": opens the dialog and, when it restored, tells so.
void RestaurarCopiaDeSeguranca(QWidget* pai);

}  // namespace zolvek::app
