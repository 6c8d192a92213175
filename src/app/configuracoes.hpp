#pragma once

#include <QSettings>
#include <QString>
#include <memory>

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

}  // namespace zolvek::app
