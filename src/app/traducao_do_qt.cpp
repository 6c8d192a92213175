#include "app/traducao_do_qt.hpp"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace zolvek::app {

bool CarregarTraducoesDoQt(QCoreApplication& aplicacao) {
    const QLocale brasil(QLocale::Portuguese, QLocale::Brazil);
    QLocale::setDefault(brasil);
    // Installed once per application; the translator lives as long as the application.
    if (aplicacao.property("zolvekTraducoesDoQt").toBool()) return true;
    auto* tradutor = new QTranslator(&aplicacao);
    const QString pasta = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    // "qtbase" holds the widgets' texts; "qt" (a catalogue of every module) is the
    // fallback of older layouts.
    if (!tradutor->load(brasil, "qtbase", "_", pasta) &&
        !tradutor->load(brasil, "qt", "_", pasta)) {
        delete tradutor;
        return false;
    }
    aplicacao.installTranslator(tradutor);
    aplicacao.setProperty("zolvekTraducoesDoQt", true);
    return true;
}

}  // namespace zolvek::app
