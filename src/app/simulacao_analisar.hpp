#pragma once

#include <QDialog>
#include <QString>
#include <filesystem>
#include <functional>

#include "analysis/analisar.hpp"

class QPlainTextEdit;
class QPushButton;

namespace zolvek::db {
class TModuloDados;
}

namespace zolvek::app {

// "Simulação da análise": the change report of a simulated run, table by table, with
// the errors the run would raise; it saves the report and the script of the statements.
class TRelatorioDaSimulacao : public QDialog {
    Q_OBJECT

  public:
    static constexpr const char* kTitulo = "Simulação da análise: Mudanças";

    TRelatorioDaSimulacao(const analysis::ResultadoDaAnalise& resultado, QWidget* pai = nullptr);

    // The file chosen for "Salvar..." and "Salvar script..." ("": the user gave up).
    std::function<QString(QWidget* pai, const QString& titulo, const QString& filtro)>
        EscolherArquivo;

    QPlainTextEdit* memRelatorio;
    QPushButton* btnSalvar;
    QPushButton* btnSalvarScript;
    QPushButton* btnFechar;

  private:
    void Salvar(const QString& titulo, const QString& filtro, const std::string& conteudo);

    std::string relatorio_;
    std::string script_;
};

// Simulates "Analisar" on the worker thread of long commands, its progress window
// owned by `dono`, and shows the change report. An abort or an error that ended the
// simulation raises, as the run does.
void SimularAnalise(QWidget* dono, db::TModuloDados& modulo,
                    const std::filesystem::path& arquivoDoDicionario,
                    const analysis::OpcoesDaAnalise& opcoes, analysis::ExtrasDaAnalise extras);

}  // namespace zolvek::app
