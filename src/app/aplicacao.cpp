#include "app/aplicacao.hpp"

#include "app/mensagens.hpp"

namespace zolvek::app {

TAplicacao::TAplicacao(int& argc, char** argv) : QApplication(argc, argv) {
    setOrganizationName("ZAV");
    setApplicationName("Zolvek");
}

bool TAplicacao::notify(QObject* receptor, QEvent* evento) {
    try {
        return QApplication::notify(receptor, evento);
    } catch (...) {
        MostrarErroCapturado();
    }
    return false;
}

}  // namespace zolvek::app
