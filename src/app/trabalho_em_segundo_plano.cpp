#include "app/trabalho_em_segundo_plano.hpp"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QThread>
#include <atomic>
#include <exception>
#include <thread>

namespace zolvek::app {

namespace {

TrabalhoEmSegundoPlano* trabalhoAtual = nullptr;

bool EhEntradaDoUsuario(QEvent::Type tipo) {
    switch (tipo) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::Close:
            return true;
        default:
            return false;
    }
}

// The top-level window an event's receiver belongs to (an action: the window of its
// menu's owner).
QWidget* JanelaDe(QObject* receptor) {
    if (auto* widget = qobject_cast<QWidget*>(receptor)) return widget->window();
    auto* acao = qobject_cast<QAction*>(receptor);
    auto* dono = acao ? qobject_cast<QWidget*>(acao->parent()) : nullptr;
    while (dono && dono->windowType() == Qt::Popup) dono = dono->parentWidget();
    return dono ? dono->window() : nullptr;
}

// Drops the user's input to the windows that were open when the work started.
class FiltroDeEntrada : public QObject {
  public:
    explicit FiltroDeEntrada(QWidget* liberada) {
        // The windows on screen; menus and tips close on their own.
        for (QWidget* janela : QApplication::topLevelWidgets())
            if (janela != liberada && janela->isVisible() && janela->windowType() != Qt::Popup &&
                janela->windowType() != Qt::ToolTip)
                bloqueadas_.emplace_back(janela);
        qApp->installEventFilter(this);
    }
    ~FiltroDeEntrada() override { qApp->removeEventFilter(this); }

  protected:
    bool eventFilter(QObject* receptor, QEvent* evento) override {
        if (!EhEntradaDoUsuario(evento->type())) return false;
        QWidget* janela = JanelaDe(receptor);
        if (!janela || !Bloqueada(janela)) return false;
        // A close refused must say so (a close event is accepted unless ignored); a
        // shortcut taken over becomes a key press, dropped in turn.
        if (evento->type() == QEvent::Close)
            evento->ignore();
        else if (evento->type() == QEvent::ShortcutOverride)
            evento->accept();
        return true;
    }

  private:
    bool Bloqueada(QWidget* janela) const {
        for (const auto& b : bloqueadas_)
            if (b == janela) return true;
        return false;
    }

    std::vector<QPointer<QWidget>> bloqueadas_;
};

}  // namespace

TrabalhoEmSegundoPlano::TrabalhoEmSegundoPlano(QWidget* janelaDoComando)
    : janelaDoComando_(janelaDoComando) {}

TrabalhoEmSegundoPlano::~TrabalhoEmSegundoPlano() {
    if (trabalhoAtual == this) trabalhoAtual = nullptr;
}

TrabalhoEmSegundoPlano* TrabalhoEmSegundoPlano::Atual() {
    return trabalhoAtual;
}

void TrabalhoEmSegundoPlano::Executar(const std::function<void()>& trabalho) {
    FiltroDeEntrada filtro(janelaDoComando_);
    TrabalhoEmSegundoPlano* anterior = trabalhoAtual;
    trabalhoAtual = this;
    emExecucao_ = true;
    QEventLoop laco;
    std::exception_ptr erro;
    std::atomic<bool> terminado{false};
    std::thread linha([&] {
        {
            db::VinculoDoCancelador vinculo(cancelador_);
            try {
                trabalho();
            } catch (...) {
                erro = std::current_exception();
            }
        }
        terminado = true;
        // Queued behind whatever the work sent to the windows before it ended.
        QMetaObject::invokeMethod(
            &laco, [&laco] { laco.quit(); }, Qt::QueuedConnection);
    });
    // Not left before the work ends (the application quitting ends every loop): the
    // work may be waiting for the windows.
    while (!terminado) laco.exec();
    linha.join();
    // Input that came while it ran is dropped now, rather than reaching the windows
    // once they take input again.
    QCoreApplication::processEvents();
    emExecucao_ = false;
    trabalhoAtual = anterior;
    if (erro) std::rethrow_exception(erro);
}

void IgnorarCliqueDuplo(QAbstractButton* botao) {
    struct Filtro : QObject {
        using QObject::QObject;
        bool eventFilter(QObject*, QEvent* evento) override {
            return evento->type() == QEvent::MouseButtonDblClick;
        }
    };
    botao->installEventFilter(new Filtro(botao));
}

void ExecutarNaThreadDaInterface(const std::function<void()>& funcao) {
    if (QThread::currentThread() == qApp->thread()) {
        funcao();
        return;
    }
    std::exception_ptr erro;
    QMetaObject::invokeMethod(
        qApp,
        [&] {
            try {
                funcao();
            } catch (...) {
                erro = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (erro) std::rethrow_exception(erro);
}

}  // namespace zolvek::app
