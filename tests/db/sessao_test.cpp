#include <gtest/gtest.h>

#include "banco_de_teste.hpp"
#include "comum/erros.hpp"
#include "db/modulo_dados.hpp"

namespace zolvek::db::teste {
namespace {

using Sessao = BancoDeTeste;

TEST_P(Sessao, ValoresDeTodosOsTiposIdaEVolta) {
    const auto t = CriarTabela(
        "tipos",
        "id int primary key, txt varchar(50), memo " + dialeto_.textoLongo +
            ", i int, si smallint, bi bigint, b bit, f float, d decimal(12,4), dt datetime, "
            "bin " +
            dialeto_.binario);
    Consulta ins(&banco_);
    ins.DefinirSQL(
        "insert into " + t +
        " (id, txt, memo, i, si, bi, b, f, d, dt, bin) values (:id, :txt, :memo, :i, :si, "
        ":bi, :b, :f, :d, :dt, :bin)");
    const DataHora quando{2024, 2, 29, 13, 45, 7, 0};
    ins.ParametroPorNome("ID").DefinirInteiro(1);
    ins.ParametroPorNome("txt").DefinirTexto("Opções ação ÇÃO");
    ins.ParametroPorNome("memo").DefinirTexto("linha 1\r\nlinha 2");
    ins.ParametroPorNome("i").DefinirInteiro(-2147483647);
    ins.ParametroPorNome("si").DefinirInteiro(-32000);
    ins.ParametroPorNome("bi").DefinirInteiro(9007199254740993);
    ins.ParametroPorNome("b").DefinirValor(true);
    ins.ParametroPorNome("f").DefinirValor(0.1);
    ins.ParametroPorNome("d").DefinirValor(Decimal{"-1234.5678"});
    ins.ParametroPorNome("dt").DefinirValor(quando);
    ins.ParametroPorNome("bin").DefinirValor(Bytes{0, 1, 0xFF, 0x80});
    ins.Executar();
    EXPECT_EQ(ins.LinhasAfetadas(), 1);
    // A row of NULLs.
    Rodar("insert into " + t + " (id) values (2)");

    Consulta q(&banco_);
    q.DefinirSQL("select * from " + t + " order by id");
    q.Abrir();
    ASSERT_EQ(q.QuantidadeDeRegistros(), 2);
    EXPECT_EQ(q.CampoPorNome("txt").Texto(), "Opções ação ÇÃO");
    EXPECT_EQ(q.CampoPorNome("txt").Tipo(), TipoDeCampo::String);
    EXPECT_EQ(q.CampoPorNome("memo").Texto(), "linha 1\r\nlinha 2");
    EXPECT_EQ(q.CampoPorNome("memo").Tipo(), TipoDeCampo::Memo);
    EXPECT_EQ(q.CampoPorNome("i").Inteiro(), -2147483647);
    EXPECT_EQ(q.CampoPorNome("si").Inteiro(), -32000);
    EXPECT_EQ(q.CampoPorNome("bi").Inteiro(), 9007199254740993);
    EXPECT_TRUE(q.CampoPorNome("b").Logico());
    EXPECT_DOUBLE_EQ(q.CampoPorNome("f").Real(), 0.1);
    EXPECT_EQ(q.CampoPorNome("d").Texto(), "-1234.5678");
    EXPECT_EQ(q.CampoPorNome("dt").DataEHora(), quando);
    EXPECT_EQ(q.CampoPorNome("bin").Variante(), Valor(Bytes{0, 1, 0xFF, 0x80}));
    EXPECT_TRUE(q.CampoPorNome("bin").EhBlob());
    EXPECT_FALSE(q.CampoPorNome("memo").EhBlob());
    q.Proximo();
    for (auto& campo : q.Campos())
        if (campo.Nome() != "id") {
            EXPECT_TRUE(campo.Nulo()) << campo.Nome();
        }
    EXPECT_EQ(q.CampoPorNome("txt").Texto(), "");
    EXPECT_EQ(q.CampoPorNome("i").Inteiro(), 0);
}

TEST_P(Sessao, TextoLongoEAcentuadoPassaInteiro) {
    const auto t = CriarTabela("longo", "id int primary key, memo " + dialeto_.textoLongo);
    std::string longo;
    while (longo.size() < 70 * 1024)
        longo += "Parâmetros e Opções, linha " + std::to_string(longo.size()) + "\n";
    Consulta ins(&banco_);
    ins.DefinirSQL("insert into " + t + " values (1, :m)");
    ins.ParametroPorNome("m").DefinirTexto(longo);
    ins.Executar();
    EXPECT_EQ(Um("select memo from " + t), longo);
}

TEST_P(Sessao, ParametroRepetidoRecebeOMesmoValorEAspasNaoTemParametros) {
    Consulta q(&banco_);
    q.DefinirSQL("select :v + 1 as a, :V + 2 as b, ':nao' as c -- :comentario");
    ASSERT_EQ(q.Parametros().size(), 1u);
    q.ParametroPorNome("v").DefinirInteiro(10);
    q.Abrir();
    EXPECT_EQ(q.CampoPorNome("a").Inteiro(), 11);
    EXPECT_EQ(q.CampoPorNome("b").Inteiro(), 12);
    EXPECT_EQ(q.CampoPorNome("c").Texto(), ":nao");
    // New text: the value of a name that remains is kept, the others go.
    q.DefinirSQL("select :v as a, :w as b");
    EXPECT_EQ(q.ParametroPorNome("V").ValorAtual(), Valor(std::int64_t{10}));
    EXPECT_TRUE(EhNulo(q.ParametroPorNome("w").ValorAtual()));
    EXPECT_THROW(q.ParametroPorNome("inexistente"), ErroDeEntrada);
}

TEST_P(Sessao, LinhasAfetadasConfirmarEDesfazer) {
    const auto t = CriarTabela("tr", "id int primary key, v int");
    for (int i = 1; i <= 3; ++i)
        Rodar("insert into " + t + " values (" + std::to_string(i) + ", 0)");
    EXPECT_EQ(Rodar("update " + t + " set v = 1"), 3);
    EXPECT_EQ(Rodar("update " + t + " set v = 1 where id = 99"), 0);

    banco_.IniciarTransacao();
    EXPECT_TRUE(banco_.EmTransacao());
    Rodar("update " + t + " set v = 5 where id = 1");
    banco_.Desfazer();
    EXPECT_FALSE(banco_.EmTransacao());
    EXPECT_EQ(Um("select v from " + t + " where id = 1"), "1");

    banco_.IniciarTransacao();
    Rodar("update " + t + " set v = 7 where id = 1");
    banco_.Confirmar();
    EXPECT_EQ(Um("select v from " + t + " where id = 1"), "7");
    EXPECT_THROW(banco_.Confirmar(), ErroDeBanco);
}

TEST_P(Sessao, ErroDoServidorChegaComOTextoDele) {
    Consulta q(&banco_);
    q.DefinirSQL("select * from tabela_que_nao_existe_xyz");
    try {
        q.Abrir();
        FAIL() << "devia falhar";
    } catch (const ErroDeBanco& e) {
        EXPECT_NE(std::string(e.what()).find("tabela_que_nao_existe_xyz"), std::string::npos)
            << e.what();
        // the driver's native error and SQLSTATE come along (SQL Server: 208, 42S02)
        EXPECT_EQ(e.EstadoSql().size(), 5u) << e.EstadoSql();
        if (GetParam() == "mssql") {
            EXPECT_EQ(e.Numero(), 208);
            EXPECT_EQ(e.EstadoSql(), "42S02");
        } else {
            EXPECT_NE(e.Numero(), 0);
        }
    }
    EXPECT_FALSE(q.Aberto());
}

TEST_P(Sessao, GravarAlteracaoEInclusaoComChave) {
    const auto t =
        CriarTabela("pk", "id int primary key, nome varchar(40), obs " + dialeto_.textoLongo);
    Rodar("insert into " + t + " values (1, 'um', 'x')");
    Consulta q(&banco_);
    q.DefinirSQL("select * from " + t + " where id = :id");
    q.ParametroPorNome("id").DefinirInteiro(1);
    q.Abrir();
    q.Editar();
    q.CampoPorNome("nome").DefinirTexto("Um alterado");
    q.CampoPorNome("obs").Limpar();
    q.Gravar();
    EXPECT_EQ(q.Estado(), EstadoDoConjunto::Navegando);
    EXPECT_EQ(Um("select nome from " + t + " where id = 1"), "Um alterado");
    EXPECT_EQ(Um("select count(*) from " + t + " where obs is null"), "1");

    // Edit on an empty result inserts.
    q.Fechar();
    q.ParametroPorNome("id").DefinirInteiro(2);
    q.Abrir();
    ASSERT_TRUE(q.Vazio());
    q.Editar();
    EXPECT_EQ(q.Estado(), EstadoDoConjunto::Inserindo);
    q.CampoPorNome("id").DefinirTexto("2");
    q.CampoPorNome("nome").DefinirTexto("dois");
    q.Gravar();
    EXPECT_EQ(Um("select nome from " + t + " where id = 2"), "dois");
}

TEST_P(Sessao, GravarSemChaveLocalizaPelosValoresOriginais) {
    const auto t = CriarTabela("semchave", "nome varchar(40), n int, obs " + dialeto_.textoLongo);
    Rodar("insert into " + t + " values ('a', 1, 'memo fica de fora')");
    Rodar("insert into " + t + " values ('b', null, null)");
    Rodar("insert into " + t + " values ('b', null, null)");
    Consulta q(&banco_);
    q.DefinirSQL("select * from " + t + " order by nome");
    q.Abrir();
    q.Editar();
    q.CampoPorNome("n").DefinirInteiro(5);
    q.Gravar();
    EXPECT_EQ(Um("select n from " + t + " where nome = 'a'"), "5");

    // Two identical rows: the post refuses and changes nothing.
    q.Proximo();
    q.Editar();
    q.CampoPorNome("n").DefinirInteiro(9);
    try {
        q.Gravar();
        FAIL() << "devia recusar";
    } catch (const ErroDeBanco& e) {
        EXPECT_NE(std::string(e.what()).find("2 linhas"), std::string::npos) << e.what();
    }
    EXPECT_EQ(q.Estado(), EstadoDoConjunto::Editando);
    q.Cancelar();
    EXPECT_EQ(Um("select count(*) from " + t + " where n = 9"), "0");

    // Changed by someone else meanwhile: not found.
    q.Primeiro();
    Rodar("update " + t + " set n = 6 where nome = 'a'");
    q.Editar();
    q.CampoPorNome("nome").DefinirTexto("z");
    EXPECT_THROW(q.Gravar(), ErroDeBanco);
}

TEST_P(Sessao, SomenteLeituraCampoInexistenteENavegacao) {
    const auto t = CriarTabela("nav", "id int primary key, v varchar(5)");
    for (int i = 1; i <= 3; ++i)
        Rodar("insert into " + t + " values (" + std::to_string(i) + ", 'v')");
    Consulta q(&banco_);
    q.DefinirNomeDoComponente("qryNav");
    q.DefinirSQL("select * from " + t + "(NOLOCK) order by id");
    if (dialeto_.nome == "sqlite") q.DefinirSQL("select * from " + t + " order by id");
    q.DefinirBloqueio(TipoDeBloqueio::SomenteLeitura);
    q.Abrir();
    EXPECT_THROW(q.Editar(), ErroDeEntrada);
    try {
        q.CampoPorNome("naoexiste");
        FAIL();
    } catch (const ErroDeEntrada& e) {
        EXPECT_STREQ(e.what(), "qryNav: Campo 'naoexiste' não encontrado");
    }
    EXPECT_EQ(q.AcharCampo("NAOEXISTE"), nullptr);
    EXPECT_NE(q.AcharCampo("V"), nullptr);

    std::vector<std::int64_t> vistos;
    for (q.Primeiro(); !q.Fim(); q.Proximo()) vistos.push_back(q.CampoPorNome("id").Inteiro());
    EXPECT_EQ(vistos, (std::vector<std::int64_t>{1, 2, 3}));
    q.Primeiro();
    q.Proximo();
    const Marcador m = q.MarcadorAtual();
    q.DesabilitarControles();
    q.Ultimo();
    EXPECT_EQ(q.NumeroDoRegistro(), 3);
    q.IrParaMarcador(m);
    q.HabilitarControles();
    EXPECT_FALSE(q.ControlesDesabilitados());
    EXPECT_EQ(q.NumeroDoRegistro(), 2);
    EXPECT_EQ(q.CampoPorNome("id").Inteiro(), 2);
}

TEST_P(Sessao, OpcoesDoModuloDeDados) {
    if (dialeto_.nome != "sqlite") GTEST_SKIP() << "a tabela Opções pertence ao banco da empresa";
    Rodar("create table Opções (Identificador varchar(100) primary key, Opções text)");
    TModuloDados modulo;
    modulo.Banco.DefinirStringDeConexao(cadeia_);
    modulo.Conectar();
    EXPECT_EQ(modulo.TipoDeServidor, TipoServidor::SqlServer);

    std::vector<std::string> linhas{"antigo"};
    modulo.LerOpcoes("Relatório", linhas);
    EXPECT_TRUE(linhas.empty());
    modulo.GravarOpcoes("Relatório", {"primeira", "segunda ção"});
    modulo.GravarOpcoes("Outro", {"x"});
    modulo.LerOpcoes("Relatório", linhas);
    EXPECT_EQ(linhas, (std::vector<std::string>{"primeira", "segunda ção"}));
    modulo.GravarOpcoes("Relatório", {"trocada"});
    modulo.LerOpcoes("Relatório", linhas);
    EXPECT_EQ(linhas, (std::vector<std::string>{"trocada"}));
    EXPECT_EQ(Um("select count(*) from Opções"), "2");
    EXPECT_FALSE(modulo.Opcoes.Aberto());
}

TEST_P(Sessao, ObservadorVeCadaComandoEnviadoMesmoOQueFalha) {
    const auto t = CriarTabela("obs", "id int primary key, nome varchar(40)");
    std::vector<std::string> enviados;
    banco_.DefinirObservadorDeComandos(
        [&](std::string_view comando) { enviados.emplace_back(comando); });
    Rodar("insert into " + t + " values (1, 'um')");
    EXPECT_THROW(Rodar("insert into tabela_que_nao_existe_xyz values (1)"), ErroDeBanco);
    Consulta q(&banco_);
    q.DefinirSQL("select * from " + t + " where id = :id");
    q.ParametroPorNome("id").DefinirInteiro(1);
    q.Abrir();
    q.Editar();
    q.CampoPorNome("nome").DefinirTexto("outro");
    q.Gravar();
    ASSERT_GE(enviados.size(), 4u);
    EXPECT_EQ(enviados[0], "insert into " + t + " values (1, 'um')");
    EXPECT_EQ(enviados[1], "insert into tabela_que_nao_existe_xyz values (1)");
    EXPECT_EQ(enviados[2], "select * from " + t + " where id = ?");
    EXPECT_EQ(enviados.back().rfind("UPDATE ", 0), 0u) << enviados.back();

    // It outlives closing and opening again; an empty observer ends it.
    const std::size_t antes = enviados.size();
    banco_.Fechar();
    banco_.Abrir();
    Um("select count(*) from " + t);
    EXPECT_EQ(enviados.size(), antes + 1);
    banco_.DefinirObservadorDeComandos({});
    Um("select count(*) from " + t);
    EXPECT_EQ(enviados.size(), antes + 1);
}

TEST_P(Sessao, DesfechosERetencaoDeComandos) {
    const auto t = CriarTabela("ret", "id int primary key");
    std::vector<std::string> desfechos;
    banco_.DefinirObservadorDeComandos(
        [&](std::string_view comando) {
            if (comando.find("values (2)") != std::string_view::npos) throw ComandoRetido{};
        },
        [&](std::string_view comando, const std::vector<Resultado>* resultados,
            const ErroDeBanco* erro) {
            EXPECT_NE(resultados == nullptr, erro == nullptr);
            desfechos.push_back((erro ? "falhou: " : "ok: ") + std::string(comando));
        });
    Rodar("insert into " + t + " values (1)");
    Rodar("insert into " + t + " values (2)");  // held back: never sent, nothing told
    EXPECT_THROW(Rodar("insert into " + t + " values (1)"), ErroDeBanco);
    EXPECT_EQ(desfechos, (std::vector<std::string>{"ok: insert into " + t + " values (1)",
                                                   "falhou: insert into " + t + " values (1)"}));
    banco_.DefinirObservadorDeComandos({});
    EXPECT_EQ(Um("select count(*) from " + t), "1");
}

INSTANTIATE_TEST_SUITE_P(Backends, Sessao, ::testing::Values("sqlite", "mssql"),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace zolvek::db::teste
