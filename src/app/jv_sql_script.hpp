#pragma once

#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "db/conexao.hpp"

namespace zolvek::app {

class TrabalhoEmSegundoPlano;

// The SQL script window: an editor over a result area. "Executar" runs the selection
// (or all of it) batch by batch on the connection; the active page chooses the mode:
// "Resultado" executes and tells the rows affected, "Cursor" opens and shows the rows.
// As the editor of the analysis options' internal procedures it shows no result
// area, imports and exports files and closes with OK or "Cancelar".
class TJvSQLScript : public QDialog {
    Q_OBJECT

  public:
    enum class Modo { Comandos, Procedimentos };

    // `conexao` may be null in the Procedimentos mode, which runs nothing.
    explicit TJvSQLScript(db::Conexao* conexao, QWidget* pai = nullptr, Modo modo = Modo::Comandos);
    ~TJvSQLScript() override;

    void btnExecutarClick();
    void btnAbrirClick();
    // True when the text was written to a file.
    bool btnSalvarClick();
    // Runs the lines as the script, on a worker thread: the window stays alive, and
    // closing it meanwhile asks whether to give the run up (the statement under way is
    // cancelled and the window closes once the run ends).
    void Executar(const std::vector<std::string>& linhas);
    bool EmExecucao() const { return trabalho_ != nullptr; }

    // The editor's text as it stands.
    std::string Texto() const;
    void DefinirTexto(const std::string& texto);

    // The file dialogs; replaceable (tests). An empty name means the user cancelled.
    std::function<QString(QWidget*)> EscolherArquivoParaAbrir;
    std::function<QString(QWidget*)> EscolherArquivoParaSalvar;

    QPlainTextEdit* edtScript;
    QSplitter* splitter;
    QTabWidget* pgcInfo;
    QWidget* pgaResultado;
    QPlainTextEdit* edtResultado;
    QWidget* pgaQuery;
    QTableWidget* grdComandoSQL;  // the rows of ComandoSQL
    QPushButton* btnExecutar;
    QPushButton* btnFechar;
    QPushButton* btnAbrir;
    QPushButton* btnSalvar;
    QPushButton* btnOK;

  protected:
    void closeEvent(QCloseEvent* evento) override;
    void reject() override;

  private:
    // Asks whether to save a modified text; false when the user gave up the action.
    bool OferecerSalvar();
    void RodarEmSegundoPlano(const std::function<void()>& trabalho);
    void RestaurarPosicao();
    void GravarPosicao();

    db::Conexao* conexao_;
    Modo modo_;
    TrabalhoEmSegundoPlano* trabalho_ = nullptr;  // while a script runs
    bool abandonado_ = false;                     // the user gave the run up
};

// "SQL": the window on the data module's connection, shown modally.
void AbrirComandosSql(QWidget* pai, db::Conexao& conexao);

// The analysis options' "Editar": the text edited in the window; nullopt when the
// user cancelled.
std::optional<std::string> EditarProcedimentosInternos(QWidget* pai, const std::string& texto);

}  // namespace zolvek::app
