#include "app/janelas_abertas.hpp"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTextEdit>
#include <QWidget>

namespace zolvek::app {

ConjuntoDaJanela::ConjuntoDaJanela(QObject* janela, const QString& nome,
                                   db::ConjuntoDeDados* conjunto)
    : QObject(janela), conjunto_(conjunto) {
    setObjectName(nome);
}

void RegistrarConjunto(QObject* janela, const QString& nome, db::ConjuntoDeDados* conjunto) {
    new ConjuntoDaJanela(janela, nome, conjunto);
}

QString ValorDoComponente(const QObject* componente) {
    // A widget that tells support more than its text (the error list of a progress
    // window) says so through this property.
    if (const QVariant proprio = componente->property("informacoesTecnicas"); proprio.isValid())
        return proprio.toString();
    if (auto* combo = qobject_cast<const QComboBox*>(componente)) return combo->currentText();
    if (auto* data = qobject_cast<const QDateTimeEdit*>(componente)) {
        // A picker left at its minimum, or at day 0 (1899-12-30) or before, holds no date.
        const QDate dia = data->date();
        if (!dia.isValid() || dia <= data->minimumDate() || dia <= QDate(1899, 12, 30)) return {};
        return QLocale().toString(dia, QLocale::ShortFormat);
    }
    if (auto* inteiro = qobject_cast<const QSpinBox*>(componente))
        return inteiro->value() != 0 ? QString::number(inteiro->value()) : QString();
    if (auto* numero = qobject_cast<const QDoubleSpinBox*>(componente))
        return numero->value() != 0 ? QLocale().toString(numero->value()) : QString();
    if (auto* memo = qobject_cast<const QPlainTextEdit*>(componente)) return memo->toPlainText();
    if (auto* memo = qobject_cast<const QTextEdit*>(componente)) return memo->toPlainText();
    if (auto* edicao = qobject_cast<const QLineEdit*>(componente)) {
        // The editor inside a combo or spin box is reported by its owner; a password
        // never goes to support.
        if (qobject_cast<const QComboBox*>(edicao->parent()) ||
            qobject_cast<const QAbstractSpinBox*>(edicao->parent()) ||
            edicao->echoMode() != QLineEdit::Normal)
            return {};
        return edicao->text();
    }
    return {};
}

namespace {

std::vector<admin::ItemDoConteiner> ItensDe(const QObject* janela) {
    std::vector<admin::ItemDoConteiner> itens;
    for (QObject* filho : janela->findChildren<QObject*>()) {
        // Only the program's own named widgets and datasets; Qt's inner parts are
        // reported through the widget they belong to.
        if (filho->objectName().isEmpty() || filho->objectName().startsWith("qt_")) continue;
        if (!filho->isWidgetType() && !qobject_cast<ConjuntoDaJanela*>(filho)) continue;
        admin::ItemDoConteiner item;
        item.nome = filho->objectName().toStdString();
        if (auto* conjunto = qobject_cast<ConjuntoDaJanela*>(filho)) {
            item.tipo = admin::ItemDoConteiner::Tipo::ConjuntoDeDados;
            item.conjunto = conjunto->Conjunto();
        } else {
            item.tipo = admin::ItemDoConteiner::Tipo::Componente;
            item.valor = ValorDoComponente(filho).toStdString();
        }
        itens.push_back(std::move(item));
    }
    return itens;
}

}  // namespace

std::vector<admin::JanelaAberta> ListarJanelasAbertas() {
    std::vector<admin::JanelaAberta> janelas;
    for (QWidget* janela : QApplication::topLevelWidgets()) {
        if (!janela->isVisible()) continue;
        janelas.push_back({janela->objectName().toStdString(), ItensDe(janela)});
    }
    return janelas;
}

void DefinirListagemDasJanelasAbertas() {
    admin::DefinirListagemDeJanelas(ListarJanelasAbertas);
}

}  // namespace zolvek::app
