// The procedure phases and the record versioning inside whole analyses of the demo
// dictionary on the stand-in.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "analysis/analisar.hpp"
#include "comum/arquivo_inteiro.hpp"
#include "comum/erros.hpp"
#include "db/modulo_dados.hpp"
#include "dictionary/escritor.hpp"
#include "versionamento/banco_simulado.hpp"

namespace zolvek::analysis {
namespace {

namespace fs = std::filesystem;

// Answers yes to every question and can act when a progress text shows.
class InterfaceDaAnalise : public InterfaceDoComando {
  public:
    std::function<void(const std::string&)> aoMostrar;
    std::vector<std::string> progresso;

    void MostrarProgresso(const std::string& texto) override {
        progresso.push_back(texto);
        if (aoMostrar) aoMostrar(texto);
    }
    void DefinirBarra(int, int) override {}
    Resposta Perguntar(const std::string&, const std::string&, Botoes botoes,
                       Resposta padrao) override {
        switch (botoes) {
            case Botoes::SimTodosNaoCancelar:
            case Botoes::SimNaoTodos:
                return Resposta::SimParaTodos;
            case Botoes::SimNao:
            case Botoes::SimNaoCancelar:
                return Resposta::Sim;
            case Botoes::OkCancelar:
                return Resposta::Ok;
            default:
                return padrao;
        }
    }
    void Mostrar(TipoDeMensagem, const std::string&) override {}
    bool CancelamentoPedido() override { return cancelar; }
    bool cancelar = false;
    void AdicionarErro(const LinhaDeErro&) override {}
};

const fs::path kDicionarioDeDemonstracao = fs::path(ZOLVEK_PASTA_BINARIOS) / "ZAV_Molvena.DicD";

class ProcedimentosNaAnalise : public ::testing::Test {
  protected:
    ResultadoDaAnalise Analisar(const OpcoesDaAnalise& opcoes = {},
                                const fs::path& arquivo = kDicionarioDeDemonstracao) {
        banco.conexao.Fechar();  // the analysis wants the database to itself
        db::TModuloDados modulo;
        modulo.Banco.DefinirStringDeConexao(banco.Cadeia());
        modulo.Conectar();
        modulo_ = &modulo;
        dicionario::DicionarioDeDados dicionario;
        try {
            auto resultado = analysis::Analisar(modulo, dicionario, arquivo, opcoes, interface);
            Reabrir(modulo);
            return resultado;
        } catch (...) {
            Reabrir(modulo);
            throw;
        }
    }

    void Reabrir(db::TModuloDados& modulo) {
        modulo.Banco.Fechar();
        modulo_ = nullptr;
        banco.conexao.Abrir();
    }

    // Runs SQL between analyses, or during one on the analysis's own connection.
    void Executar(const std::string& sql) {
        if (!modulo_) return banco.Executar(sql);
        db::Consulta consulta(&modulo_->Banco);
        consulta.DefinirSQL(sql);
        consulta.Executar();
    }

    std::string IdDoObjeto(const std::string& nome) {
        return banco.Coluna("select object_id('" + nome + "')").at(0);
    }

    // The error rows of the procedure phases and of the versioning steps.
    std::vector<std::string> Erros(const ResultadoDaAnalise& r) {
        std::vector<std::string> erros;
        for (const auto& e : r.erros)
            if (e.tabela == "RegTab" || e.tabela == "RegVer" ||
                e.funcao == "Remover procedimento" || e.funcao == "Criar procedimento" ||
                e.funcao == "Removendo triggers de RegMov")
                erros.push_back(e.tabela + "|" + e.funcao + "|" + e.descricao);
        return erros;
    }

    // The demo dictionary with a versioned table that has no record key at its end.
    fs::path DicionarioComAgendaSemChave() {
        std::string texto = LerArquivoInteiro(
            fs::path(ZOLVEK_PASTA_TESTES) / "../src/dictionary/demo/ZAV_Molvena.txt",
            "dicionário de demonstração");
        const auto script = texto.find("\nScript\n");
        EXPECT_NE(script, std::string::npos);
        texto.insert(script + 1,
                     "Tabela\nAGENDA,Agenda,N,ZVZFZR\nCampos\n"
                     "Descricao,C,40,,,Descrição,,,,,,N,,,ZVZFZR,\n");
        // Line 4 counts the new table and its field.
        std::size_t inicio = 0;
        for (int i = 0; i < 3; ++i) inicio = texto.find('\n', inicio) + 1;
        const std::size_t fim = texto.find('\n', inicio);
        std::vector<std::string> contagens;
        std::stringstream linha4(texto.substr(inicio, fim - inicio));
        for (std::string item; std::getline(linha4, item, ',');) contagens.push_back(item);
        texto.replace(inicio, fim - inicio,
                      std::to_string(std::stoi(contagens.at(0)) + 1) + "," +
                          std::to_string(std::stoi(contagens.at(1)) + 1) + "," + contagens.at(2));
        const fs::path arquivo = banco.Pasta() / "agenda.DicD";
        std::ofstream(arquivo, std::ios::binary) << dicionario::CodificarTexto(texto);
        return arquivo;
    }

    zolvek::teste::BancoSimulado banco;
    InterfaceDaAnalise interface;
    db::TModuloDados* modulo_ = nullptr;
};

TEST_F(ProcedimentosNaAnalise, InstalaProcedimentosETriggersDoDicionario) {
    const auto r = Analisar();
    EXPECT_EQ(Erros(r), std::vector<std::string>{});
    const auto objetos = banco.Objetos();
    for (const char* nome : {"AtualizarTotalDosItens P", "MatarProcesso P", "ProximoDiaUtil P",
                             "Stprc_PARFN_RegVer_Build P", "Stprc_StatusBD_RegVer_Build P",
                             "Trigr_CADASTRO_RegTab_Ins TR", "Trigr_DOCPAGIT_RegTab_Del TR",
                             "Trigr_PEMPRESA_RegVer_Upd TR", "Trigr_StatusBD_RegVer_Ins TR"})
        EXPECT_NE(std::find(objetos.begin(), objetos.end(), nome), objetos.end()) << nome;
    // 9 RegTab and 5 RegVer tables: 42 triggers and 5 build procedures, and the script's 3.
    EXPECT_EQ(objetos.size(), 50u);
    for (const char* texto : {"Removendo procedimentos definidos na biblioteca de customização...",
                              "Removendo procedimentos para integridade...",
                              "Criando procedimentos para integridade...",
                              "Criando procedimentos definidos na biblioteca de customização..."})
        EXPECT_NE(std::find(interface.progresso.begin(), interface.progresso.end(), texto),
                  interface.progresso.end())
            << texto;
}

TEST_F(ProcedimentosNaAnalise, SegundaAnaliseSubstituiTudo) {
    Analisar();
    const auto antes = banco.Objetos();
    const std::string trigger = IdDoObjeto("Trigr_CLIENTE_RegTab_Upd");
    const std::string procedimento = IdDoObjeto("ProximoDiaUtil");
    const auto r = Analisar();
    EXPECT_EQ(Erros(r), std::vector<std::string>{});
    EXPECT_EQ(banco.Objetos(), antes);
    EXPECT_NE(IdDoObjeto("Trigr_CLIENTE_RegTab_Upd"), trigger);
    EXPECT_NE(IdDoObjeto("ProximoDiaUtil"), procedimento);
}

TEST_F(ProcedimentosNaAnalise, ClasseQueFalhaNoMeioMantemAsTriggersAnteriores) {
    Analisar();
    const std::string documento = IdDoObjeto("Trigr_DOCPAG_RegTab_Ins");
    const std::string parametro = IdDoObjeto("Trigr_PARFN_RegVer_Ins");
    const auto erros = Erros(Analisar({}, DicionarioComAgendaSemChave()));
    ASSERT_EQ(erros.size(), 1u);
    EXPECT_EQ(erros[0].rfind("RegTab||Tabela 'AGENDA' não tem campo chave identity\r\n", 0), 0u)
        << erros[0];
    // RegTab's step was undone as a whole; RegVer's is a step of its own.
    EXPECT_EQ(IdDoObjeto("Trigr_DOCPAG_RegTab_Ins"), documento);
    EXPECT_NE(IdDoObjeto("Trigr_PARFN_RegVer_Ins"), parametro);
    EXPECT_EQ(IdDoObjeto("Trigr_AGENDA_RegTab_Ins"), "<NULL>");
}

TEST_F(ProcedimentosNaAnalise, ScriptDaEmpresaEmPARFNRodaDepoisDoDicionario) {
    Analisar();
    banco.Executar("delete from PARFN");
    db::Consulta insercao(&banco.conexao);
    insercao.DefinirSQL("insert into PARFN (Script) values (:Script)");
    insercao.ParametroPorNome("Script").DefinirTexto(
        "  \r\nIF EXISTS (SELECT * FROM sysobjects WHERE name = 'DaEmpresa') DROP PROCEDURE "
        "DaEmpresa\r\ngo\r\nCREATE PROCEDURE DaEmpresa AS select 1\r\nGO\r\nCREATE "
        "PROCEDURE ProximoDiaUtil AS select 2\r\n  ");
    insercao.Executar();
    auto erros = Erros(Analisar());
    ASSERT_EQ(erros.size(), 1u);
    EXPECT_EQ(erros[0],
              "|Criar procedimento|There is already an object named 'ProximoDiaUtil' in "
              "the database.");
    const auto objetos = banco.Objetos();
    EXPECT_NE(std::find(objetos.begin(), objetos.end(), "DaEmpresa P"), objetos.end());
    // The second run drops the company's procedure first and creates it again.
    const std::string id = IdDoObjeto("DaEmpresa");
    erros = Erros(Analisar());
    EXPECT_EQ(erros.size(), 1u);
    EXPECT_NE(IdDoObjeto("DaEmpresa"), id);
}

TEST_F(ProcedimentosNaAnalise, CancelamentoPulaOsScriptsMasRefazOVersionamento) {
    Analisar();
    const std::string procedimento = IdDoObjeto("ProximoDiaUtil");
    const std::string trigger = IdDoObjeto("Trigr_CLIENTE_RegTab_Upd");
    interface.progresso.clear();
    interface.aoMostrar = [&](const std::string& texto) {
        if (texto == "Removendo procedimentos definidos na biblioteca de customização...")
            interface.cancelar = true;
    };
    const auto r = Analisar();
    EXPECT_EQ(r.classificacao, ClassificacaoDaAnalise::Cancelada);
    EXPECT_EQ(IdDoObjeto("ProximoDiaUtil"), procedimento);
    EXPECT_NE(IdDoObjeto("Trigr_CLIENTE_RegTab_Upd"), trigger);
    for (const char* texto : {"Removendo procedimentos para integridade...",
                              "Criando procedimentos para integridade...",
                              "Criando procedimentos definidos na biblioteca de customização..."})
        EXPECT_NE(std::find(interface.progresso.begin(), interface.progresso.end(), texto),
                  interface.progresso.end())
            << texto;  // shown, then skipped by the check that follows
}

class BibliotecaNaAnalise : public ProcedimentosNaAnalise {
  protected:
    BibliotecaNaAnalise() {
        Analisar();  // creates LibAgr and PrgAgr
        Executar("CREATE TABLE Marcas (fase varchar(10) NULL)");
        Executar("insert into LibAgr (Nome, Ordem) values ('Relatórios', 1)");
        Programa("Pré-analisar", "Antes", "insert into Marcas (fase) values ('pre')", "null");
        Programa("Pós-analisar", "Depois", "insert into Marcas (fase) values ('pos')", "null");
        Programa("Vista", "VistaDeMarcas", "CREATE VIEW VistaDeMarcas AS select fase from Marcas",
                 "1");
        Programa("Procedimento", "LimparMarcas", "CREATE PROCEDURE LimparMarcas AS delete Marcas",
                 "1");
    }
    void Programa(const std::string& tipo, const std::string& nome, std::string fonte,
                  const std::string& pasta) {
        for (std::size_t p = fonte.find('\''); p != std::string::npos; p = fonte.find('\'', p + 2))
            fonte.insert(p, 1, '\'');
        Executar(
            "insert into PrgAgr (Tipo, Nome, Fonte, Ordem, Linguagem, Status, fkLibAgr) "
            "values ('" +
            tipo + "', '" + nome + "', '" + fonte + "', 1, 'SQL', 'Ativo', " + pasta + ")");
    }
    std::vector<std::string> Marcas() { return banco.Coluna("select fase from Marcas"); }
};

TEST_F(BibliotecaNaAnalise, ProgramasDaBibliotecaSaoRecriadosEScriptsRodamNaSuaFase) {
    auto r = Analisar();
    EXPECT_EQ(Erros(r), std::vector<std::string>{});
    EXPECT_EQ(Marcas(), (std::vector<std::string>{"pre", "pos"}));
    const auto objetos = banco.Objetos();
    EXPECT_NE(std::find(objetos.begin(), objetos.end(), "VistaDeMarcas V"), objetos.end());
    EXPECT_NE(std::find(objetos.begin(), objetos.end(), "LimparMarcas P"), objetos.end());

    banco.Executar("delete from Marcas");
    OpcoesDaAnalise soRemover;
    soRemover.CriarProcedimentos = false;
    r = Analisar(soRemover);
    EXPECT_EQ(Marcas(), std::vector<std::string>{"pre"});
    // Removed and not created again.
    EXPECT_EQ(banco.Coluna("select count(*) from sysobjects where name = 'VistaDeMarcas'"),
              std::vector<std::string>{"0"});

    banco.Executar("delete from Marcas");
    OpcoesDaAnalise soCriar;
    soCriar.RemoverProcedimentos = false;
    r = Analisar(soCriar);
    EXPECT_EQ(Marcas(), std::vector<std::string>{"pos"});
    EXPECT_EQ(banco.Coluna("select count(*) from sysobjects where name = 'VistaDeMarcas'"),
              std::vector<std::string>{"1"});
}

TEST_F(BibliotecaNaAnalise, ProgramaApagadoDuranteAAnaliseTerminaAExecucao) {
    const std::string id =
        banco.Coluna("select idPrgAgr from PrgAgr where Nome = 'LimparMarcas'").at(0);
    interface.progresso.clear();
    interface.aoMostrar = [&](const std::string& texto) {
        if (texto == "Removendo procedimentos definidos na biblioteca de customização...")
            Executar("delete from PrgAgr where idPrgAgr = " + id);
    };
    try {
        Analisar();
        FAIL() << "devia terminar com erro";
    } catch (const Erro& e) {
        EXPECT_EQ(std::string(e.what()), "Programa agregado nº " + id + " não encontrado");
    }
    EXPECT_EQ(std::find(interface.progresso.begin(), interface.progresso.end(),
                        "Criando procedimentos para integridade..."),
              interface.progresso.end());
}

}  // namespace
}  // namespace zolvek::analysis
