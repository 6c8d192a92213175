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
// and the window shows the page's address, the message and the file to attach, ready
// to copy, and says whether the browser could be opened.
class TSuporteZAV : public QDialog {
    Q_OBJECT

  public:
    explicit TSuporteZAV(QWidget* pai = nullptr);

    void Iniciar(const QString& topico, const QString& mensagem, const QString& arquivo);

    // How the page reaches the system's browser (replaceable where no browser may run):
    // `resposta` is called, now or later, with whether a browser took the page.
    using Resposta = std::function<void(bool aberta)>;
    static std::function<void(const QUrl&, Resposta)> AbrirNoNavegador;

    // What the window says about the browser.
    QString Explicacao() const;
    // "Abrir a página de suporte": tries the browser again; tells when it cannot.
    void btnAbrirClick();

    QString Topico() const { return topico_; }
    QString Mensagem() const { return mensagem_; }

  protected:
    void showEvent(QShowEvent* evento) override;

  private:
    void PreencherFormulario();
    // Hands the page to the browser; `avisar`: a failure is also told in a box.
    void AbrirPagina(bool avisar);
    void MostrarResultadoDoNavegador(bool aberta, bool avisar);

    QString topico_;
    QString mensagem_;
    QString arquivo_;
    QWebEngineView* navegador_ = nullptr;
    QPlainTextEdit* edtMensagem_ = nullptr;
    QLineEdit* edtArquivo_ = nullptr;
    QLabel* lblExplicacao_ = nullptr;
};

// Opens the address in the system's browser and tells whether a browser took it.
void AbrirNoNavegadorDoSistema(const QUrl& endereco, TSuporteZAV::Resposta resposta);

// The link label "URLdaZAV" that shows the support site's address (blue, underlined,
// hand cursor); the owner connects its click.
QLabel* CriarLinkDoSuporte(QWidget* pai);

// The support links' command: builds the support package (under the hourglass), opens
// the support window modally over `pai` and removes the package afterwards.
void AbrirSuporteZAV(db::TModuloDados& modulo, QWidget* pai);

}  // namespace zolvek::app
