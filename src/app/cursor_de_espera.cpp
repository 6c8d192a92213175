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

}  // namespace zolvek::app
