#pragma once

#include <QObject>
#include <QString>
#include <vector>

#include "admin/informacoes_tecnicas.hpp"
#include "db/conjunto.hpp"

class QWidget;

// What the technical information lists of the program's open windows: their
// datasets and the values of their edit widgets.
namespace zolvek::app {

// A dataset a window works with, made known to the technical information. It lives as
// a child of the window, so it goes away with it; the dataset must outlive it.
class ConjuntoDaJanela : public QObject {
    Q_OBJECT

  public:
    ConjuntoDaJanela(QObject* janela, const QString& nome, db::ConjuntoDeDados* conjunto);
    db::ConjuntoDeDados* Conjunto() const { return conjunto_; }

  private:
    db::ConjuntoDeDados* conjunto_;
};

void RegistrarConjunto(QObject* janela, const QString& nome, db::ConjuntoDeDados* conjunto);

// The value the technical information shows for a widget; empty for none.
QString ValorDoComponente(const QObject* componente);

// The open windows, with what each one owns in creation order.
std::vector<admin::JanelaAberta> ListarJanelasAbertas();

// Hands ListarJanelasAbertas to the technical information.
void DefinirListagemDasJanelasAbertas();

}  // namespace zolvek::app
