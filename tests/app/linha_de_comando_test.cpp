#include "app/linha_de_comando.hpp"

#include <QProcess>
#include <QProcessEnvironment>

#include "auxiliares.hpp"

namespace zolvek::app {
namespace {

// The built program, run as a user would.
struct Saida {
    int codigo = -1;
    QString padrao, erros;
};
Saida RodarPrograma(const QStringList& argumentos) {
    QProcess programa;
    // No display is needed for the usage; a wrong option reaches Qt's start first.
    QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
    ambiente.insert("QT_QPA_PLATFORM", "offscreen");
    programa.setProcessEnvironment(ambiente);
    programa.start(QString(ZOLVEK_PASTA_BINARIOS) + "/zolvek", argumentos);
    EXPECT_TRUE(programa.waitForFinished(60000));
    return {programa.exitCode(), QString::fromUtf8(programa.readAllStandardOutput()),
            QString::fromUtf8(programa.readAllStandardError())};
}

TEST(LinhaDeComando, AjudaMostraOUsoESai) {
    for (const char* pedido : {"--help", "-h"}) {
        const Saida s = RodarPrograma({pedido});
        EXPECT_EQ(s.codigo, 0) << pedido;
        EXPECT_EQ(s.padrao, QString::fromUtf8(kUsoDoPrograma));
        EXPECT_TRUE(s.padrao.startsWith("Uso: zolvek [CADEIA_DE_CONEXAO]\n"));
    }
    EXPECT_TRUE(PedeAjuda({"Provider=Simulador", "--help"}));
    EXPECT_FALSE(PedeAjuda({"Provider=SQLOLEDB.1;Password=--help"}));
}

TEST(LinhaDeComando, OpcaoDesconhecidaNaoViraCadeiaDeConexao) {
    const Saida s = RodarPrograma({"--versao"});
    EXPECT_EQ(s.codigo, 2);
    EXPECT_TRUE(s.erros.contains("zolvek: opção desconhecida: --versao\n\nUso: zolvek"))
        << s.erros.toStdString();
    EXPECT_EQ(ErroNosArgumentos({"Provider=Simulador;Data Source=/x"}), "");
    EXPECT_EQ(ErroNosArgumentos({}), "");
}

}  // namespace
}  // namespace zolvek::app
