#pragma once

#include <QDialog>
#include <QString>
#include <QUrl>
#include <functional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QWebEngineView;

namespace zolvek::db {
class TModuloDados;
}

namespace zolvek::app {

// The address the main window's support link shows, and the maker's support ticket page.
inline constexpr const char* kEnderecoDoSite = "https://suporte.zav.com.br";
inline constexpr const char* kPaginaDeChamado = "https://suporte.zav.com.br/open.php";

// The support window: the maker's ticket page with its topic and message filled in
// when the program has a web view; otherwise the page opens in the system's browser
// and the window shows the message and the file to attach, ready to copy.
class TSuporteZAV : public QDialog {
    Q_OBJECT

  public:
    explicit TSuporteZAV(QWidget* pai = nullptr);

    void Iniciar(const QString& topico, const QString& mensagem, const QString& arquivo);

    // How the page reaches the system's browser (replaceable where no browser may run).
    static std::function<bool(const QUrl&)> AbrirNoNavegador;

    QString Topico() const { return topico_; }
    QString Mensagem() const { return mensagem_; }

  protected:
    void showEvent(QShowEvent* evento) override;

  private:
    void PreencherFormulario();

    QString topico_;
    QString mensagem_;
    QString arquivo_;
    QWebEngineView* navegador_ = nullptr;
    QPlainTextEdit* edtMensagem_ = nullptr;
    QLineEdit* edtArquivo_ = nullptr;
};

// The link label "URLdaZAV" that shows the support site's address (blue, underlined,
// hand cursor); the owner connects its click.
QLabel* CriarLinkDoSuporte(QWidget* pai);

// The support links' command: builds the support package (under the hourglass), opens
// the support window modally over `pai` and removes the package afterwards.
void AbrirSuporteZAV(db::TModuloDados& modulo, QWidget* pai);

}  // namespace zolvek::app
