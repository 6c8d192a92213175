#include "app/simulacao_analisar.hpp"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialogo_de_arquivo.hpp"
#include "app/evolucao_analisar.hpp"
#include "app/interface_em_segundo_plano.hpp"
#include "app/interface_grafica.hpp"
#include "app/mensagens.hpp"
#include "comum/arquivo_inteiro.hpp"
#include "db/modulo_dados.hpp"

namespace zolvek::app {

namespace {

std::string LinhasJuntas(const std::vector<std::string>& linhas) {
    std::string texto;
    for (const std::string& l : linhas) texto += l + "\n";
    return texto;
}

QPushButton* Botao(QWidget* pai, const char* texto, const char* nome) {
    auto* b = new QPushButton(QString::fromUtf8(texto), pai);
    b->setObjectName(nome);
    b->setAutoDefault(false);
    return b;
}

}  // namespace

TRelatorioDaSimulacao::TRelatorioDaSimulacao(const analysis::ResultadoDaAnalise& resultado,
                                             QWidget* pai)
    : QDialog(pai, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                       Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint),
      relatorio_(LinhasJuntas(resultado.relatorio)),
      script_(resultado.script) {
    setObjectName("RelatorioDaSimulacao");
    setWindowTitle(QString::fromUtf8(kTitulo));
    setSizeGripEnabled(true);
    EscolherArquivo = [](QWidget* p, const QString& titulo, const QString& filtro) {
        return EscolherArquivoParaGravar(p, titulo, QString(), filtro);
    };
    memRelatorio = new QPlainTextEdit(QString::fromStdString(relatorio_), this);
    memRelatorio->setObjectName("memRelatorio");
    memRelatorio->setReadOnly(true);
    memRelatorio->setLineWrapMode(QPlainTextEdit::NoWrap);
    memRelatorio->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    btnSalvar = Botao(this, "&Salvar...", "btnSalvar");
    btnSalvarScript = Botao(this, "Salvar s&cript...", "btnSalvarScript");
    btnSalvarScript->setEnabled(!script_.empty());
    btnFechar = Botao(this, "&Fechar", "btnFechar");
    btnFechar->setDefault(true);
    connect(btnSalvar, &QPushButton::clicked, this, [this] {
        Salvar("Salvar o relatório da simulação", "Textos (*.txt);;Todos os arquivos (*)",
               relatorio_);
    });
    connect(btnSalvarScript, &QPushButton::clicked, this, [this] {
        Salvar("Salvar o script da simulação", "Scripts SQL (*.sql);;Todos os arquivos (*)",
               script_);
    });
    connect(btnFechar, &QPushButton::clicked, this, &QDialog::accept);

    auto* pilha = new QVBoxLayout(this);
    pilha->addWidget(memRelatorio, 1);
    auto* botoes = new QHBoxLayout;
    botoes->addWidget(btnSalvar);
    botoes->addWidget(btnSalvarScript);
    botoes->addStretch();
    botoes->addWidget(btnFechar);
    pilha->addLayout(botoes);
    resize(760, 480);
}

void TRelatorioDaSimulacao::Salvar(const QString& titulo, const QString& filtro,
                                   const std::string& conteudo) {
    ExecutarComando([&] {
        const QString arquivo = EscolherArquivo(this, titulo, filtro);
        if (arquivo.isEmpty()) return;
        GravarArquivoInteiro(std::filesystem::path(arquivo.toStdString()), conteudo,
                             "Não foi possível gravar o arquivo '" + arquivo.toStdString() + "'");
    });
}

void SimularAnalise(QWidget* dono, db::TModuloDados& modulo,
                    const std::filesystem::path& arquivoDoDicionario,
                    const analysis::OpcoesDaAnalise& opcoes, analysis::ExtrasDaAnalise extras) {
    extras.simular = true;
    analysis::ResultadoDaAnalise resultado;
    {
        InterfaceGrafica janelas(dono, [](QWidget* d, const QString&) -> TEvolucao* {
            return new TEvolucaoAnalisar(d);
        });
        ExecutarComandoEmSegundoPlano(janelas, [&](InterfaceDoComando& interface) {
            resultado = analysis::Analisar(modulo, dicionario::DicionarioDoPrograma(),
                                           arquivoDoDicionario, opcoes, interface, extras);
        });
        // The report tells the outcome and the errors: the progress window goes.
        if (TEvolucao* janela = janelas.Evolucao()) janela->close();
    }
    TRelatorioDaSimulacao relatorio(resultado, dono);
    relatorio.exec();
}

}  // namespace zolvek::app
