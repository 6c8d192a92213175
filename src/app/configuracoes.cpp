#include "app/configuracoes.hpp"

#include <QDir>

#include "comum/erros.hpp"

namespace zolvek::app {

namespace {

QString NomeDaRaiz(RaizDasConfiguracoes raiz) {
    return raiz == RaizDasConfiguracoes::Produto ? QStringLiteral("Zolvek")
                                                 : QStringLiteral("Geral");
}

}  // namespace

std::unique_ptr<QSettings> AbrirConfiguracoes(RaizDasConfiguracoes raiz) {
    const QString nome = NomeDaRaiz(raiz);
    const QString pasta = qEnvironmentVariable("ZOLVEK_CONFIG");
    if (!pasta.trimmed().isEmpty()) {
        QDir().mkpath(pasta + "/ZAV");
        return std::make_unique<QSettings>(pasta + "/ZAV/" + nome + ".ini", QSettings::IniFormat);
    }
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>("HKEY_CURRENT_USER\\Software\\ZAV\\" + nome,
                                       QSettings::NativeFormat);
#else
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, "ZAV", nome);
#endif
}

void GravarConfiguracoes(QSettings& configuracoes) {
    configuracoes.sync();
    if (configuracoes.status() == QSettings::AccessError)
        throw Erro("Não foi possível gravar as configurações em '" +
                   configuracoes.fileName().toStdString() + "'");
    if (configuracoes.status() == QSettings::FormatError)
        throw Erro("As configurações em '" + configuracoes.fileName().toStdString() +
                   "' estão com formato inválido");
}

}  // namespace zolvek::app
