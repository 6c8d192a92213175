#include "app/janelas_abertas.hpp"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

#include "auxiliares.hpp"
#include "db/conjunto.hpp"

namespace zolvek::app {
namespace {

class JanelasAbertasTeste : public teste::TesteDeJanela {};

TEST_F(JanelasAbertasTeste, ListaOsConjuntosEOsValoresDosCamposDaJanela) {
    QWidget janela;
    janela.setObjectName("Cadastro");
    auto* layout = new QVBoxLayout(&janela);
    auto criar = [&](QWidget* w, const char* nome) {
        w->setObjectName(nome);
        layout->addWidget(w);
        return w;
    };
    auto* edtCodigo = static_cast<QLineEdit*>(criar(new QLineEdit("42"), "edtCodigo"));
    criar(new QLineEdit, "edtVazio");
    auto* edtSenha = static_cast<QLineEdit*>(criar(new QLineEdit("segredo"), "edtSenha"));
    edtSenha->setEchoMode(QLineEdit::Password);
    auto* spnZero = static_cast<QSpinBox*>(criar(new QSpinBox, "spnZero"));
    auto* spnCinco = static_cast<QSpinBox*>(criar(new QSpinBox, "spnCinco"));
    spnCinco->setValue(5);
    auto* cbxUf = static_cast<QComboBox*>(criar(new QComboBox, "cbxUf"));
    cbxUf->addItems({"SP", "RJ"});
    auto* dtpSemData = static_cast<QDateEdit*>(criar(new QDateEdit, "dtpSemData"));
    dtpSemData->setDate(dtpSemData->minimumDate());
    db::Consulta consulta;
    RegistrarConjunto(&janela, "qryClientes", &consulta);
    janela.show();

    EXPECT_EQ(ValorDoComponente(edtCodigo), "42");
    EXPECT_EQ(ValorDoComponente(edtSenha), "");
    EXPECT_EQ(ValorDoComponente(spnZero), "");
    EXPECT_EQ(ValorDoComponente(spnCinco), "5");
    EXPECT_EQ(ValorDoComponente(cbxUf), "SP");
    EXPECT_EQ(ValorDoComponente(dtpSemData), "");

    const auto janelas = ListarJanelasAbertas();
    const auto achada = std::find_if(janelas.begin(), janelas.end(),
                                     [](const auto& j) { return j.nome == "Cadastro"; });
    ASSERT_NE(achada, janelas.end());
    std::vector<std::string> nomes;
    const admin::ItemDoConteiner* conjunto = nullptr;
    for (const auto& item : achada->itens) {
        nomes.push_back(item.nome);
        if (item.nome == "qryClientes") conjunto = &item;
    }
    EXPECT_EQ(nomes, (std::vector<std::string>{"edtCodigo", "edtVazio", "edtSenha", "spnZero",
                                               "spnCinco", "cbxUf", "dtpSemData", "qryClientes"}));
    ASSERT_NE(conjunto, nullptr);
    EXPECT_EQ(conjunto->tipo, admin::ItemDoConteiner::Tipo::ConjuntoDeDados);
    EXPECT_EQ(conjunto->conjunto, &consulta);
}

}  // namespace
}  // namespace zolvek::app
