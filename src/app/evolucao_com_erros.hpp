#pragma once

#include <QString>
#include <QStringList>
#include <QTreeWidget>
#include <string>
#include <vector>

#include "app/evolucao.hpp"
#include "app/relatorio_de_erros.hpp"

class QLabel;

namespace zolvek::app {

// A column of an error list: caption and width in pixels.
struct ColunaDeErro {
    QString titulo;
    int largura;
};

// The error list of a progress window: read-only, whole-row selection. The technical
// information lists it as one block per row (its `informacoesTecnicas` property).
class TListaDeErros : public QTreeWidget {
    Q_OBJECT
    Q_PROPERTY(QString informacoesTecnicas READ InformacoesTecnicas)

  public:
    TListaDeErros(const std::vector<ColunaDeErro>& colunas, QWidget* pai);

    void Adicionar(const QStringList& textos);
    QStringList Titulos() const;
    QList<QStringList> Linhas() const;
    std::vector<std::string> BlocoDeInformacoesTecnicas() const;
    QString InformacoesTecnicas() const;
};

// A progress window that collects the command's errors under "Erros:" and, once
// finished with rows in the list, offers "Imprimir os erros listados abaixo", which
// prints them as a report with the given title.
class TEvolucaoComErros : public TEvolucao {
    Q_OBJECT

  public:
    TEvolucaoComErros(QWidget* pai, const QString& tituloDoRelatorio,
                      const std::vector<ColunaDeErro>& colunas);

    void AdicionarErro(const QStringList& textos);
    int QuantidadeDeErros() const { return lstErros->topLevelItemCount(); }
    RelatorioDeErros Relatorio() const;
    void lblImprimirErrosClick();

    QLabel* lblErros;
    QLabel* lblImprimirErros;
    TListaDeErros* lstErros;

  protected:
    void AoFinalizar() override;

  private:
    QString tituloDoRelatorio_;
};

}  // namespace zolvek::app
