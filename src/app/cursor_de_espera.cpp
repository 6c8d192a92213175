#include "app/cursor_de_espera.hpp"

#include <QApplication>
#include <QCursor>

namespace zolvek::app {

CursorDeEspera::CursorDeEspera() {
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

CursorDeEspera::~CursorDeEspera() {
    QApplication::restoreOverrideCursor();
}

CursorNormal::CursorNormal() {
    // Only the hourglasses on top: a cursor under them belongs to a window that may
    // take it back meanwhile (a progress window's arrow).
    for (const QCursor* atual = QApplication::overrideCursor();
         atual && atual->shape() == Qt::WaitCursor; atual = QApplication::overrideCursor()) {
        ++suspensos_;
        QApplication::restoreOverrideCursor();
    }
}

CursorNormal::~CursorNormal() {
    for (int i = 0; i < suspensos_; ++i) QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

}  // namespace zolvek::app
