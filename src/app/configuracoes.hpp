#pragma once

#include <QSettings>
#include <QString>
#include <QVariant>
#include <memory>

class QWidget;

// Where windows remember values between uses: the current user's registry on
// Windows (HKEY_CURRENT_USER\Software\ZAV\...), the platform's native settings file
// elsewhere (organisation "ZAV"). The environment variable ZOLVEK_CONFIG, when set,
// names a folder that takes the place of both (INI files under <folder>/ZAV/).
namespace zolvek::app {

enum class RaizDasConfiguracoes {
    Produto,  // Software\ZAV\Zolvek: connection dialog, log switches
    Geral,    // Software\ZAV\Geral: window placement and remembered dialog fields
};

std::unique_ptr<QSettings> AbrirConfiguracoes(RaizDasConfiguracoes raiz);

// Writes pending values and raises Erro when the storage refused them.
void GravarConfiguracoes(QSettings& configuracoes);

// The form storage of one window: a section named after the window under its root,
// holding the window's placement and named values ("edtNome.Text", ...).
class ArmazenamentoDoFormulario {
  public:
    ArmazenamentoDoFormulario(QWidget* janela, RaizDasConfiguracoes raiz);

    QVariant Ler(const QString& propriedade, const QVariant& padrao = {}) const;
    void Gravar(const QString& propriedade, const QVariant& valor);
    // Writes what was set; raises Erro when the storage refused it.
    void Confirmar();

    // The window's location: the stored one when it is on a screen, otherwise the
    // window is centred on the screen.
    void RestaurarPosicao();
    void GravarPosicao();

  private:
    QWidget* janela_;
    std::unique_ptr<QSettings> configuracoes_;
};

}  // namespace zolvek::app
