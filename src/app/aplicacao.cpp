#include "app/aplicacao.hpp"

#include "app/mensagens.hpp"

namespace zolvek::app {

TAplicacao::TAplicacao(int& argc, char** argv) : QApplication(argc, argv) {
    setOrganizationName("ZAV");
    setApplicationName("Zolvek");
}

bool TAplicacao::notify(QObject* receptor, QEvent* evento) {
    bool tratado = false;
    ExecutarComando([&] { tratado = QApplication::notify(receptor, evento); });
    return tratado;
}

}  // namespace zolvek::app
