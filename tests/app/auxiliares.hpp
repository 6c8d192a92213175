#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/traducao_do_qt.hpp"
#include "comum/log.hpp"

namespace zolvek::app::teste {

// The one application object of the test program.
inline QApplication& Aplicacao() {
    static int argc = 1;
    static char nome[] = "testes_app";
    static char* argv[] = {nome, nullptr};
    static QApplication* aplicacao = [] {
        auto* a = new QApplication(argc, argv);
        // Qt's own texts in Portuguese, as the program has them.
        CarregarTraducoesDoQt(*a);
        return a;
    }();
    return *aplicacao;
}

// Each test gets a folder of its own (tests run in parallel) that also stands in for
// the user's settings, so that the real ones are never touched.
class TesteDeJanela : public ::testing::Test {
  protected:
    void SetUp() override {
        Aplicacao();
        // A test may point TEMP at its own folder, which goes away with it.
        const char* temp = std::getenv("TEMP");
        tempOriginal_ = temp ? std::optional<std::string>(temp) : std::nullopt;
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        pasta_ = std::filesystem::temp_directory_path() /
                 ("zolvek_app_" + std::to_string(::getpid()) + "_" + info->test_suite_name() + "_" +
                  info->name());
        std::filesystem::remove_all(pasta_);
        std::filesystem::create_directories(pasta_ / "config");
        ::setenv("ZOLVEK_CONFIG", (pasta_ / "config").c_str(), 1);
        log::DescartarLog();
    }
    void TearDown() override {
        if (tempOriginal_)
            ::setenv("TEMP", tempOriginal_->c_str(), 1);
        else
            ::unsetenv("TEMP");
        std::error_code ignorado;
        std::filesystem::remove_all(pasta_, ignorado);
    }
    const std::filesystem::path& Pasta() const { return pasta_; }

  private:
    std::filesystem::path pasta_;
    std::optional<std::string> tempOriginal_;
};

// Saves a picture of the window under the build folder, to look at.
inline void Capturar(QWidget& janela, const QString& nome) {
    const QString pasta = QString(ZOLVEK_PASTA_BINARIOS) + "/../capturas";
    QDir().mkpath(pasta);
    janela.grab().save(pasta + "/" + nome + ".png");
}

// Runs `passo` from the event loop of whatever modal window is open, until it returns
// true. Gives up (and fails the test) rather than leave a test hanging on a window
// that never came.
inline void QuandoPossivel(std::function<bool()> passo) {
    auto* relogio = new QTimer;
    auto tentativas = std::make_shared<int>(0);
    QObject::connect(relogio, &QTimer::timeout, [relogio, passo, tentativas] {
        if (passo()) {
            relogio->deleteLater();
            relogio->stop();
        } else if (++*tentativas > 3000) {
            relogio->stop();
            relogio->deleteLater();
            ADD_FAILURE() << "a janela esperada não apareceu";
            if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        }
    });
    relogio->start(10);
}

// The first visible top-level window of the type, or nullptr.
template <typename T>
T* JanelaVisivel() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* janela = qobject_cast<T*>(w); janela && janela->isVisible()) return janela;
    return nullptr;
}

// Counts the paint events a window gets (install it as the window's event filter).
class ContadorDePinturas : public QObject {
  public:
    int pinturas = 0;

  protected:
    bool eventFilter(QObject*, QEvent* evento) override {
        if (evento->type() == QEvent::Paint) ++pinturas;
        return false;
    }
};

// A mouse event at the middle of a widget, as the window system delivers it (through
// the application's event filters, unlike QAbstractButton::click).
inline void EnviarMouse(QWidget* alvo, QEvent::Type tipo) {
    const QPointF ponto = QRectF(alvo->rect()).center();
    QMouseEvent evento(tipo, ponto, alvo->mapToGlobal(ponto), Qt::LeftButton,
                       tipo == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                       Qt::NoModifier);
    QApplication::sendEvent(alvo, &evento);
}

// Answers every message box that opens while it lives, and remembers them.
class RespondedorDeCaixas {
  public:
    struct Caixa {
        QString titulo, texto;
        QMessageBox::Icon icone;
        QMessageBox::StandardButtons botoes;
        QMessageBox::StandardButton padrao;
    };

    explicit RespondedorDeCaixas(QMessageBox::StandardButton resposta = QMessageBox::NoButton)
        : resposta_(resposta) {
        QObject::connect(&relogio_, &QTimer::timeout, [this] { Responder(); });
        relogio_.start(10);
    }

    std::vector<Caixa> caixas;

  private:
    void Responder() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* caixa = qobject_cast<QMessageBox*>(w);
            if (!caixa || !caixa->isVisible()) continue;
            bool vista = false;
            for (const auto& p : vistas_) vista = vista || p == caixa;
            if (vista) continue;
            vistas_.emplace_back(caixa);
            caixas.push_back({caixa->windowTitle(), caixa->text(), caixa->icon(),
                              caixa->standardButtons(),
                              caixa->standardButton(caixa->defaultButton())});
            QAbstractButton* botao = caixa->button(resposta_);
            if (!botao) botao = caixa->defaultButton();
            if (!botao && !caixa->buttons().isEmpty()) botao = caixa->buttons().front();
            if (botao)
                botao->click();
            else
                caixa->reject();
        }
    }

    QMessageBox::StandardButton resposta_;
    QTimer relogio_;
    std::vector<QPointer<QMessageBox>> vistas_;
};

}  // namespace zolvek::app::teste
