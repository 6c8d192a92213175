#pragma once

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QToolButton>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/modulo_dados.hpp"

namespace zolvek::app {

class TConexaoADO;

// The data module of the program, created by the main window.
extern db::TModuloDados* ModuloDados;

// The application title (the main window shows it as its caption).
QString TituloDaAplicacao();
void DefinirTituloDaAplicacao(const QString& titulo);

// The main window: the menu "Banco de Dados", the image buttons of the most used
// commands and the information panel. It owns the session.
class TPrincipal : public QMainWindow {
    Q_OBJECT

  public:
    static constexpr int kLarguraDaArea = 533;
    static constexpr int kAlturaDaArea = 405;

    // `argumentos`: the program's command-line arguments after its name; the first
    // one, when present, is a complete connection string to connect with at start.
    explicit TPrincipal(std::vector<std::string> argumentos = {}, QWidget* pai = nullptr);
    ~TPrincipal() override;

    // Runs once, when the window is first shown (also callable directly).
    void FormShow();

    void ConectarBanco(bool automatico, const std::string& textoDaConexao);
    void HabilitarComandos(const std::optional<std::string>& tituloDaEmpresa);
    void DesabilitarComandos();
    void AtualizarInformacoes();
    std::vector<std::string> ObterInformacoesTecnicas();

    void imbNovoClick();
    void imbRestaurarClick();
    void imbConectarClick();
    void imbAnalisarClick();
    void imbSQLClick();
    void imbLiberarClick();
    void imbValidarClick();
    void imbHistoricoClick();
    void imbImportarDadosClick();
    void imbAtualizarTributosDosItensClick();
    void imbSairClick();
    void URLdaZAVClick();

    // The dictionary file loaded by every connect (beside the program unless changed).
    void DefinirCaminhoDoDicionario(const std::filesystem::path& caminho) { dicionario_ = caminho; }

    bool Conectado() const;
    TConexaoADO& Conexao() { return *conexaoADO_; }
    db::TModuloDados& Modulo() { return *modulo_; }

    QAction* imbNovo;
    QAction* imbRestaurar;
    QAction* imbConectar;
    QAction* imbAnalisar;
    QAction* imbSQL;
    QAction* imbLiberar;
    QAction* imbValidar;
    QAction* imbHistorico;
    QAction* imbImportarDados;
    QAction* imbAtualizarTributosDosItens;
    QAction* imbSair;

    QToolButton* btnConectar;
    QToolButton* btnAnalisar;
    QToolButton* btnSQL;
    QToolButton* btnSair;

    QWidget* pnlSisInfo;
    QPlainTextEdit* edtSisInfo;
    QLabel* URLdaZAV;

  protected:
    void showEvent(QShowEvent* evento) override;

  private:
    // Runs a command handler and, for the commands that work on the database, brings
    // the panel (and the connection state) up to date however it ended.
    void Despachar(void (TPrincipal::*tratador)());
    void AtualizarDepoisDoComando();
    void MostrarDesconectado();
    void CriarMenu();
    void CriarBotoes(QWidget* coluna);
    void CriarPainel();
    void DefinirComandosHabilitados(bool habilitados);
    void PintarAnalisar(bool vermelho);
    void LerPosicao();
    void GravarPosicao();

    std::vector<std::string> argumentos_;
    std::unique_ptr<db::TModuloDados> modulo_;
    TConexaoADO* conexaoADO_;
    std::filesystem::path dicionario_;
    bool mostrada_ = false;
};

}  // namespace zolvek::app
