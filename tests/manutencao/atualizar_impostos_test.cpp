#include <gtest/gtest.h>

#include "admin/liberar_e_validar.hpp"
#include "banco_fiscal.hpp"
#include "comum/erros.hpp"
#include "db/modulo_dados.hpp"
#include "maintenance/atualizar_impostos_dos_itens.hpp"

namespace zolvek::manutencao {
namespace {

using teste::MesmoNumero;
using teste::ServidorDeTeste;

class AtualizacaoDosTributos : public ::testing::Test {
  protected:
    void SetUp() override {
        servidor.CriarBanco("FISCAL");
        banco.DefinirStringDeConexao(servidor.Cadeia("FISCAL"));
        banco.Abrir();
        teste::CriarTabelasFiscais(banco);
    }

    void X(const std::string& sql) { ServidorDeTeste::Executar(banco, sql); }
    std::string Um(const std::string& sql) { return ServidorDeTeste::Coluna(banco, sql).at(0); }

    // A document; returns its Numint.
    std::string Venda(const std::string& tipo, const std::string& cliente,
                      const std::string& local = "L1", const std::string& totitens = "100",
                      const std::string& ipi = "NULL") {
        X("INSERT INTO DOCREC (TIPO, CLIENTE, LOCAL, CODFIS, IPI, DESCINC, TOTITENS) VALUES ('" +
          tipo + "', " + cliente + ", '" + local + "', '5102', " + ipi + ", 0, " + totitens + ")");
        return Um("SELECT MAX(Numint) FROM DOCREC");
    }
    std::string Compra(const std::string& fornecedor, const std::string& ipi,
                       const std::string& totitens) {
        X("INSERT INTO DOCPAG (TIPO, FORNECEDOR, LOCAL, CODFIS, IPI, DESCINC, TOTITENS) VALUES "
          "('Entrada', " +
          fornecedor + ", 'L1', '1556', " + ipi + ", 0, " + totitens + ")");
        return Um("SELECT MAX(Numint) FROM DOCPAG");
    }
    // An item; returns its Id_item.
    std::string ItemDeVenda(const std::string& numint, int produto, const std::string& valor,
                            const std::string& componente = "'N'",
                            const std::string& preenchidas = "") {
        X(std::string("INSERT INTO DOCRECIT (Numint, NUMREF, COMPONENTE, Valor, ALIQICMS") +
          (preenchidas.empty() ? "" : ", BASECALC") + ") VALUES (" + numint + ", " +
          std::to_string(produto) + ", " + componente + ", " + valor + ", 18" +
          (preenchidas.empty() ? "" : ", " + preenchidas) + ")");
        return Um("SELECT MAX(Id_item) FROM DOCRECIT");
    }
    std::string ItemDeCompra(const std::string& numint, int produto, const std::string& valor,
                             const std::string& ipi) {
        X("INSERT INTO DOCPAGIT (Numint, NUMREF, Valor, IPI, ALIQICMS) VALUES (" + numint + ", " +
          std::to_string(produto) + ", " + valor + ", " + ipi + ", 18)");
        return Um("SELECT MAX(Id_item) FROM DOCPAGIT");
    }
    std::string Coluna(const std::string& tabela, const std::string& coluna,
                       const std::string& id) {
        return Um("SELECT " + coluna + " FROM " + tabela + " WHERE Id_item = " + id);
    }
    void EsperarColunas(const std::string& tabela, const std::string& id,
                        std::initializer_list<std::pair<const char*, const char*>> esperadas) {
        for (const auto& [coluna, valor] : esperadas)
            EXPECT_TRUE(MesmoNumero(Coluna(tabela, coluna, id), valor))
                << tabela << "." << coluna << " = " << Coluna(tabela, coluna, id) << ", esperado "
                << valor;
    }

    teste::ServidorDeTeste servidor;
    db::Conexao banco;
    teste::InterfaceDeTeste ui;
};

TEST_F(AtualizacaoDosTributos, UmItemComFalhaNaoImpedeOsOutros) {
    const std::string dentro = ItemDeVenda(Venda("Venda", "10"), 1, "100");
    const std::string fora = ItemDeVenda(Venda("Venda", "11"), 1, "100");
    const std::string falha = ItemDeVenda(Venda("Venda", "10"), 2, "13.13");
    const std::string compra = ItemDeCompra(Compra("20", "10", "110"), 2, "100", "10");

    const ResultadoDaAtualizacao r = AtualizarImpostosDosItens(banco, ui);

    EsperarColunas("DOCRECIT", dentro,
                   {{"BASECALC", "100"},
                    {"ICM", "18"},
                    {"BASESTRIB", "140"},
                    {"ICMSSTINC", "25.20"},
                    {"LF_ISENCAO", "0"},
                    {"LF_NAOINCI", "0"},
                    {"LF_OUTRAS", "0"},
                    {"BASEIPI", "0"},
                    {"ISENTASIPI", "0"},
                    {"OUTRASIPI", "0"},
                    {"IcmsSemIsenção", "0"},
                    {"CODICMS", "60"}});
    EsperarColunas("DOCRECIT", fora,
                   {{"BASECALC", "100"}, {"ICM", "18"}, {"BASESTRIB", "0"}, {"ICMSSTINC", "0"}});
    // Purchase for consumption: value and IPI, all under "outras".
    EsperarColunas("DOCPAGIT", compra,
                   {{"BASECALC", "0"},
                    {"ICMS", "0"},
                    {"LF_OUTRAS", "110"},
                    {"LF_SUBTRIB", "0"},
                    {"BASEIPI", "100"},
                    {"ISENTASIPI", "0"},
                    {"OUTRASIPI", "0"},
                    {"CODICMS", "00"}});
    EXPECT_EQ(Coluna("DOCRECIT", "BASECALC", falha), "<NULL>");
    EXPECT_EQ(Coluna("DOCRECIT", "ICM", falha), "<NULL>");

    ASSERT_EQ(ui.erros.size(), 1u);
    EXPECT_EQ(ui.erros[0].tabela, "DOCRECIT");
    EXPECT_EQ(ui.erros[0].comando,
              "DOCRECIT Numint=" + Um("SELECT Numint FROM DOCRECIT WHERE Id_item=" + falha) +
                  " Id_item=" + falha);
    EXPECT_FALSE(ui.erros[0].descricao.empty());
    EXPECT_EQ(r.erros, 1);
    EXPECT_FALSE(r.cancelada);
    EXPECT_EQ(r.desfecho, "Atualização dos tributos dos itens  executada até o fim com 1 erro(s)");
    EXPECT_EQ(ServidorDeTeste::Coluna(banco,
                                      "SELECT Complemento FROM RegMov WHERE Tipo = "
                                      "'Atualizar' AND Operador = suser_sname()"),
              std::vector<std::string>{r.desfecho});
    EXPECT_EQ(ui.eventos.front(), std::string("abrir:") + kTituloDaEvolucao);
    EXPECT_EQ(ui.eventos.back(), "finalizar:1");
    EXPECT_EQ(ui.progresso,
              (std::vector<std::string>{"Aguarde...", "Analisando impostos dos itens das saídas...",
                                        "Analisando impostos dos itens das entradas...",
                                        "Registrando execução...", "Atualização concluída"}));
    EXPECT_EQ(ui.maximo, 4);
    EXPECT_EQ(ui.posicao, 4);
    EXPECT_EQ(Um("SELECT user_access_desc FROM sys.databases WHERE name = 'FISCAL'"),
              "SINGLE_USER");
}

TEST_F(AtualizacaoDosTributos, SoAsColunasNulasSaoGravadasEComponentesFicamDeFora) {
    const std::string parcial = ItemDeVenda(Venda("Venda", "10"), 2, "100", "'N'", "50");
    const std::string componente = ItemDeVenda(Venda("Venda", "10"), 2, "100", "'S'");
    const ResultadoDaAtualizacao r = AtualizarImpostosDosItens(banco, ui);
    EXPECT_EQ(r.desfecho, "Atualização dos tributos dos itens  executada com sucesso");
    EsperarColunas("DOCRECIT", parcial, {{"BASECALC", "50"}, {"ICM", "18"}, {"BASEIPI", "0"}});
    EXPECT_EQ(Coluna("DOCRECIT", "CODICMS", parcial), "<NULL>");  // goes with BASECALC only
    EXPECT_EQ(Coluna("DOCRECIT", "BASECALC", componente), "<NULL>");
    EXPECT_EQ(Coluna("DOCRECIT", "BASEIPI", componente), "<NULL>");
    // A second run finds nothing left to do.
    teste::InterfaceDeTeste outra;
    EXPECT_THROW(AtualizarImpostosDosItens(banco, outra), Erro);
}

TEST_F(AtualizacaoDosTributos, SemCandidatosNadaEhRegistrado) {
    ItemDeVenda(Venda("Venda", "10"), 2, "100", "'S'");
    try {
        AtualizarImpostosDosItens(banco, ui);
        FAIL();
    } catch (const Cancelamento&) {
        FAIL();
    } catch (const Erro& e) {
        EXPECT_STREQ(e.what(), "Não há registros a atualizar");
    }
    EXPECT_EQ(ui.eventos.back(), "finalizar:0");
    EXPECT_EQ(Um("SELECT COUNT(*) FROM RegMov"), "0");
}

TEST_F(AtualizacaoDosTributos, CancelarNasVendasPulaAsCompras) {
    const std::string numint = Venda("Venda", "10");
    const std::string a = ItemDeVenda(numint, 2, "100");
    const std::string b = ItemDeVenda(numint, 2, "100");
    const std::string c = ItemDeVenda(numint, 2, "100");
    const std::string compra = ItemDeCompra(Compra("20", "0", "100"), 2, "100", "0");
    ui.cancelarNaChamada = 3;  // the phase's own check, then after the first and second item

    const ResultadoDaAtualizacao r = AtualizarImpostosDosItens(banco, ui);

    EXPECT_TRUE(r.cancelada);
    EXPECT_EQ(r.desfecho, "Atualização dos tributos dos itens  cancelada, 0 erro(s)");
    EXPECT_TRUE(MesmoNumero(Coluna("DOCRECIT", "BASECALC", a), "100"));
    EXPECT_TRUE(MesmoNumero(Coluna("DOCRECIT", "BASECALC", b), "100"));
    EXPECT_EQ(Coluna("DOCRECIT", "BASECALC", c), "<NULL>");
    EXPECT_EQ(Coluna("DOCPAGIT", "BASECALC", compra), "<NULL>");
    EXPECT_EQ(ui.progresso.back(), "Atualização cancelada");
    EXPECT_EQ(Um("SELECT Complemento FROM RegMov"), r.desfecho);
}

TEST_F(AtualizacaoDosTributos, OutroUsuarioConectadoImpedeAExecucao) {
    const std::string item = ItemDeVenda(Venda("Venda", "10"), 2, "100");
    db::Conexao outro;
    outro.DefinirStringDeConexao(servidor.Cadeia("FISCAL"));
    outro.Abrir();

    EXPECT_THROW(AtualizarImpostosDosItens(banco, ui), Cancelamento);
    ASSERT_EQ(ui.perguntas.size(), 1u);
    EXPECT_EQ(ui.perguntas[0].rfind(
                  "Atenção|Ocorreu o seguinte erro ao tentar acesso único ao banco de dados: ", 0),
              0u);
    EXPECT_NE(ui.perguntas[0].find(". Para executar esta rotina não deve haver outro usuário "
                                   "conectado. Será exibida uma lista com todos os usuários "
                                   "ativos caso seja esta a causa do erro"),
              std::string::npos);
    EXPECT_EQ(ui.eventos, std::vector<std::string>{"usuarios:FISCAL"});

    teste::InterfaceDeTeste recusa;
    recusa.resposta = Resposta::Cancelar;
    EXPECT_THROW(AtualizarImpostosDosItens(banco, recusa), Cancelamento);
    EXPECT_TRUE(recusa.eventos.empty());
    EXPECT_EQ(Coluna("DOCRECIT", "BASECALC", item), "<NULL>");
}

// The recalculation and the release name a database with a blank and a hyphen the
// way the analysis does, in brackets.
TEST(BancoDeNomeComposto, TributosELiberacao) {
    const std::string nome = "Empresa-Teste 2";
    ServidorDeTeste servidor;
    servidor.CriarBanco("[" + nome + "]");
    db::TModuloDados modulo;
    modulo.Banco.DefinirStringDeConexao(servidor.Cadeia(nome));
    modulo.Conectar();
    teste::CriarTabelasFiscais(modulo.Banco);
    ServidorDeTeste::Executar(modulo.Banco,
                              "CREATE TABLE StatusBD ([Hora da liberação] datetime NULL, "
                              "[Liberado por] varchar(128) NULL)");
    ServidorDeTeste::Executar(modulo.Banco,
                              "INSERT INTO DOCREC (TIPO, CLIENTE, LOCAL, CODFIS, "
                              "IPI, DESCINC, TOTITENS) VALUES ('Venda', 10, 'L1', "
                              "'5102', NULL, 0, 100)");
    ServidorDeTeste::Executar(modulo.Banco,
                              "INSERT INTO DOCRECIT (Numint, NUMREF, COMPONENTE, Valor, ALIQICMS) "
                              "VALUES (1, 1, 'N', 100, 18)");
    teste::InterfaceDeTeste ui;

    const ResultadoDaAtualizacao r = AtualizarImpostosDosItens(modulo.Banco, ui);

    EXPECT_EQ(r.desfecho, "Atualização dos tributos dos itens  executada com sucesso")
        << (ui.erros.empty() ? "" : ui.erros[0].descricao);
    const std::string estado =
        "SELECT user_access_desc FROM sys.databases WHERE name = 'Empresa-Teste 2'";
    EXPECT_EQ(ServidorDeTeste::Coluna(modulo.Banco, estado),
              std::vector<std::string>{"SINGLE_USER"});
    ui.resposta = Resposta::Sim;
    EXPECT_EQ(admin::Liberar(modulo, ui), admin::ResultadoDaLiberacao::Liberado);
    EXPECT_EQ(ServidorDeTeste::Coluna(modulo.Banco, estado),
              std::vector<std::string>{"MULTI_USER"});
    EXPECT_EQ(ui.eventos.back(), admin::kMensagemLiberado);
    modulo.Banco.Fechar();
}

TEST(TextoDosItens, ComprasDerivadasDasVendas) {
    const std::vector<std::string> vendas = LinhasDoDocitBase();
    ASSERT_EQ(vendas.size(), 40u);
    const std::vector<std::string> compras = LinhasDeCompras(vendas);
    ASSERT_EQ(compras.size(), 40u);
    EXPECT_EQ(compras[1], "DOCPAGit.Numint,DOCPAGit.Id_item,");
    EXPECT_EQ(compras[9], "DOCPAGit.LF_SUBTRIB, -- LF_SUBTRIB em Docpag");
    EXPECT_EQ(compras[15], "");
    EXPECT_EQ(compras[16], "Docpagit.ICMS,");
    EXPECT_EQ(compras[21], "coalesce(DOCPAG.IPI,0) as IPITotal,");
    EXPECT_EQ(compras[32], "DOCPAG.FORNECEDOR -- fornecedor em Docpag");
    EXPECT_EQ(compras[33], "from DOCPAGit");
    EXPECT_EQ(compras[36],
              "AND Docpag.TIPO IN ('Entrada', 'Entrada só fiscal', 'Simples Remessa', 'Nota de "
              "serviço')");
    for (std::size_t n : {19u, 29u, 31u, 37u}) EXPECT_EQ(compras[n], "") << n;
    EXPECT_EQ(compras[38], "AND ( DOCPAGIT.BASECALC is null or DOCPAGIT.BASEIPI is null )");
}

}  // namespace
}  // namespace zolvek::manutencao
