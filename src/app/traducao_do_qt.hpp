#pragma once

class QCoreApplication;

namespace zolvek::app {

// Makes Qt's own texts (stock dialogs, their buttons, context menus of edit boxes)
// speak Brazilian Portuguese: installs Qt's pt_BR translations and the pt_BR locale.
// Returns false when the translation files are not installed; the program still runs,
// with those texts in English.
bool CarregarTraducoesDoQt(QCoreApplication& aplicacao);

}  // namespace zolvek::app
