#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include "app/administrador_do_servidor.hpp"

namespace zolvek::app {

// "Novo..": the new database's name, the server, the folder of its files on the
// server, the log size limit and the administrator's login. The server, folder, log
// size and login are remembered between uses.
class TCriaNovoBancoDeDados : public TDialogoDoServidor {
    Q_OBJECT

  public:
    explicit TCriaNovoBancoDeDados(QWidget* pai = nullptr);
    ~TCriaNovoBancoDeDados() override;

    // Creates the database and closes with OK; an error is shown and the dialog stays
    // open with its values.
    void btnExecutarClick();
    // "Executar" only while the name and the server are filled in.
    void HabilitarExecutar() override;

    QLineEdit* edtNome;
    QLineEdit* edtServidor;
    QLineEdit* edtPasta;
    QSpinBox* edtTamanhoDoLog;
    QLineEdit* edtLogin;
    QLineEdit* edtSenha;
    QPushButton* btnExecutar;
    QPushButton* btnCancelar;

  private:
    void RestaurarMemoria();
    void GravarMemoria();
};

// "Novo..": opens the dialog and, when it created the database, tells so.
void CriarNovoBancoDeDados(QWidget* pai);

}  // namespace zolvek::app
