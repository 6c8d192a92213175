#include "app/aplicacao.hpp"

#include "app/mensagens.hpp"
#include "app/traducao_do_qt.hpp"

namespace zolvek::app {

TAplicacao::TAplicacao(int& argc, char** argv) : QApplication(argc, argv) {
    setOrganizationName("ZAV");
    setApplicationName("Zolvek");
    CarregarTraducoesDoQt(*this);
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
