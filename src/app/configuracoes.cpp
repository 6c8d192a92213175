#include "app/configuracoes.hpp"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

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

ArmazenamentoDoFormulario::ArmazenamentoDoFormulario(QWidget* janela, RaizDasConfiguracoes raiz)
    : janela_(janela), configuracoes_(AbrirConfiguracoes(raiz)) {
    configuracoes_->beginGroup(janela->objectName());
}

QVariant ArmazenamentoDoFormulario::Ler(const QString& propriedade, const QVariant& padrao) const {
    return configuracoes_->value(propriedade, padrao);
}

void ArmazenamentoDoFormulario::Gravar(const QString& propriedade, const QVariant& valor) {
    configuracoes_->setValue(propriedade, valor);
}

void ArmazenamentoDoFormulario::Confirmar() {
    GravarConfiguracoes(*configuracoes_);
}

void ArmazenamentoDoFormulario::RestaurarPosicao() {
    const bool guardada = configuracoes_->contains("Left") && configuracoes_->contains("Top");
    const QPoint posicao(Ler("Left").toInt(), Ler("Top").toInt());
    QScreen* tela = QGuiApplication::primaryScreen();
    const QRect areaDaTela = tela ? tela->availableGeometry() : QRect();
    if (guardada && (areaDaTela.isNull() || areaDaTela.contains(posicao)))
        janela_->move(posicao);
    else if (!areaDaTela.isNull())
        janela_->move(areaDaTela.center() - QPoint(janela_->width() / 2, janela_->height() / 2));
}

void ArmazenamentoDoFormulario::GravarPosicao() {
    Gravar("Left", janela_->pos().x());
    Gravar("Top", janela_->pos().y());
    Confirmar();
}

}  // namespace zolvek::app
