#pragma once

#include <QApplication>

namespace zolvek::app {

// The program's application object: an error that escapes an event handler is
// shown in an error box and the program goes on (a cancelled command shows nothing).
class TAplicacao : public QApplication {
  public:
    TAplicacao(int& argc, char** argv);
    bool notify(QObject* receptor, QEvent* evento) override;
};

}  // namespace zolvek::app
