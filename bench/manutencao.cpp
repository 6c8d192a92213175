// The data maintenance commands on the stand-in: items whose taxes are recalculated
// per second, and rows imported from another database per second. The import commits
// each row on its own, so beside it runs the floor that sets: the same rows inserted
// into raw SQLite, one durable commit each (WAL, synchronous=FULL, as the stand-in).
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "comum/comando.hpp"
#include "db/conexao.hpp"
#include "db/conjunto.hpp"
#include "dictionary/dicionario.hpp"
#include "maintenance/atualizar_impostos_dos_itens.hpp"
#include "maintenance/importar_outro_banco.hpp"

namespace {

using namespace zolvek;

class Silenciosa : public InterfaceDoComando {
  public:
    int erros = 0;
    void MostrarProgresso(const std::string&) override {}
    void DefinirBarra(int, int) override {}
    Resposta Perguntar(const std::string&, const std::string&, Botoes, Resposta) override {
        return Resposta::Cancelar;
    }
    void Mostrar(TipoDeMensagem, const std::string&) override {}
    bool CancelamentoPedido() override { return false; }
    void AdicionarErro(const LinhaDeErro&) override { ++erros; }
};

struct Servidor {
    std::filesystem::path pasta;
    Servidor() {
        std::string modelo =
            (std::filesystem::temp_directory_path() / "zolvek_bench_manut_XXXXXX").string();
        if (!mkdtemp(modelo.data())) throw std::runtime_error("mkdtemp falhou");
        pasta = modelo;
    }
    ~Servidor() {
        std::error_code e;
        std::filesystem::remove_all(pasta, e);
    }
    std::string Cadeia(const std::string& banco) const {
        return "Provider=Simulador;Data Source=" + pasta.string() + ";Initial Catalog=" + banco +
               ";User ID=sa;Password=";
    }
    void Abrir(db::Conexao& c, const std::string& banco) const {
        {
            db::Conexao m;
            m.DefinirStringDeConexao(Cadeia("master"));
            m.Abrir();
            X(m, "CREATE DATABASE " + banco);
        }
        c.DefinirStringDeConexao(Cadeia(banco));
        c.Abrir();
    }
    static void X(db::Conexao& c, const std::string& sql) {
        db::Consulta q(&c);
        q.DefinirSQL(sql);
        q.Executar();
    }
};

const char* const kValores =
    "BASECALC numeric(14,2), LF_ISENCAO numeric(14,2), LF_SUSPENS numeric(14,2), LF_NAOINCI "
    "numeric(14,2), LF_DIFERIM numeric(14,2), LF_OUTRAS numeric(14,2), BASESTRIB numeric(14,2), "
    "ICMSSTINC numeric(14,2), BASEIPI numeric(14,2), ISENTASIPI numeric(14,2), OUTRASIPI "
    "numeric(14,2), CODICMS varchar(2), REDICMS numeric(5,2), ALIQICMS numeric(5,2), Valor "
    "numeric(14,2), IPI numeric(12,2), CODFIS varchar(10), NUMREF numeric(9,0) NOT NULL, Numint "
    "numeric(9,0) NOT NULL, Id_item int IDENTITY(1,1) PRIMARY KEY";

void CriarBaseFiscal(db::Conexao& c, int itens) {
    auto x = [&](const std::string& s) { Servidor::X(c, s); };
    x("CREATE TABLE FILIAL (FILIAL numeric(4,0) PRIMARY KEY, ESTADO varchar(2), "
      "[BaseCálculoICMSReduzida] varchar(1))");
    x("CREATE TABLE CADASTRO (NUMCAD numeric(9,0) PRIMARY KEY, ESTADO varchar(2))");
    x("CREATE TABLE CLIENTE (CLIENTE numeric(9,0) PRIMARY KEY, CONTICMS varchar(1), ESTADOENT "
      "varchar(2))");
    x("CREATE TABLE LOCAL (LOCAL varchar(10) PRIMARY KEY, FILIAL numeric(4,0), NUMCAD "
      "numeric(9,0))");
    x("CREATE TABLE CODFIS (CODFIS varchar(10) PRIMARY KEY, APLICACAO varchar(1))");
    x("CREATE TABLE REF (NUMREF numeric(9,0) PRIMARY KEY, CODICMS varchar(2), MVA numeric(7,2))");
    x("CREATE TABLE DOCREC (Numint int PRIMARY KEY, TIPO varchar(30), CLIENTE numeric(9,0), LOCAL "
      "varchar(10), DESTINO varchar(10), CODFIS varchar(10), IPI numeric(12,2), IPIDESPINC "
      "numeric(12,2), DESCINC numeric(12,2), TOTITENS numeric(12,2), [BaseCálculoICMSReduzida] "
      "varchar(1))");
    x(std::string("CREATE TABLE DOCRECIT (COMPONENTE varchar(1), ICM numeric(14,2), LF_SUBSTRB "
                  "numeric(14,2), [IcmsSemIsenção] numeric(14,2), [ValorUnitárioSemIsenção] "
                  "numeric(14,2), ") +
      kValores + ")");
    x("CREATE TABLE DOCPAG (Numint int PRIMARY KEY, TIPO varchar(20), FORNECEDOR numeric(9,0), "
      "LOCAL varchar(10), CODFIS varchar(10), IPI numeric(12,2), IPIDESPINC numeric(12,2), "
      "DESCINC numeric(12,2), TOTITENS numeric(12,2))");
    x(std::string("CREATE TABLE DOCPAGIT (ICMS numeric(14,2), LF_SUBTRIB numeric(14,2), ") +
      kValores + ")");
    x("CREATE TABLE RegMov (Hora datetime, Operador varchar(128), Tipo varchar(20), Complemento "
      "varchar(250))");
    x("INSERT INTO FILIAL VALUES (1, 'SP', 'N')");
    x("INSERT INTO LOCAL VALUES ('L1', 1, NULL)");
    x("INSERT INTO CADASTRO VALUES (10, 'SP')");
    x("INSERT INTO CADASTRO VALUES (20, 'PR')");
    x("INSERT INTO CLIENTE VALUES (10, 'S', NULL)");
    x("INSERT INTO CODFIS VALUES ('5102', 'R')");
    x("INSERT INTO REF VALUES (1, '60', 40)");
    x("INSERT INTO REF VALUES (2, '00', 0)");
    c.IniciarTransacao();
    db::Consulta doc(&c), item(&c);
    for (int d = 0; d < itens / 10; ++d) {
        const std::string n = std::to_string(d + 1);
        x("INSERT INTO DOCREC VALUES (" + n +
          ", 'Venda', 10, 'L1', NULL, '5102', 0, 0, 10, 1000, "
          "'N')");
        x("INSERT INTO DOCPAG VALUES (" + n + ", 'Entrada', 20, 'L1', '5102', 0, 0, 10, 1000)");
    }
    item.DefinirSQL(
        "INSERT INTO DOCRECIT (Numint, NUMREF, COMPONENTE, Valor, ALIQICMS) VALUES (:n, :r, 'N', "
        "100, 18)");
    db::Consulta compra(&c);
    compra.DefinirSQL(
        "INSERT INTO DOCPAGIT (Numint, NUMREF, Valor, ALIQICMS) VALUES (:n, :r, 100, 18)");
    for (int i = 0; i < itens / 2; ++i) {
        for (db::Consulta* q : {&item, &compra}) {
            q->ParametroPorNome("n").DefinirInteiro(i / 5 + 1);
            q->ParametroPorNome("r").DefinirInteiro(i % 2 + 1);
            q->Executar();
        }
    }
    c.Confirmar();
}

void AtualizarTributos(benchmark::State& estado) {
    const int itens = static_cast<int>(estado.range(0));
    for (auto _ : estado) {
        estado.PauseTiming();
        Servidor servidor;
        db::Conexao banco;
        servidor.Abrir(banco, "FISCAL");
        CriarBaseFiscal(banco, itens);
        Silenciosa ui;
        estado.ResumeTiming();
        manutencao::AtualizarImpostosDosItens(banco, ui);
        if (ui.erros) estado.SkipWithError("itens com erro");
    }
    estado.counters["itens/s"] =
        benchmark::Counter(static_cast<double>(itens) * static_cast<double>(estado.iterations()),
                           benchmark::Counter::kIsRate);
}
BENCHMARK(AtualizarTributos)->Arg(20000)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void ImportarTabela(benchmark::State& estado) {
    const int linhas = static_cast<int>(estado.range(0));
    dicionario::DicionarioDeDados dic;
    dicionario::TabelaDic t;
    t.Nome = "GRANDE";
    t.Descricao = "Tabela grande";
    dic.Tabelas().push_back(t);
    for (auto _ : estado) {
        estado.PauseTiming();
        Servidor servidor;
        db::Conexao origem, destino;
        servidor.Abrir(origem, "ORIGEM");
        servidor.Abrir(destino, "DESTINO");
        const char* criar =
            "CREATE TABLE GRANDE (Id int IDENTITY(1,1) PRIMARY KEY, Nome varchar(40), Valor "
            "numeric(12,2), Data datetime)";
        Servidor::X(origem, criar);
        Servidor::X(destino, criar);
        origem.IniciarTransacao();
        db::Consulta q(&origem);
        q.DefinirSQL("INSERT INTO GRANDE (Nome, Valor, Data) VALUES (:n, 12.34, getdate())");
        for (int i = 0; i < linhas; ++i) {
            q.ParametroPorNome("n").DefinirTexto("Linha " + std::to_string(i));
            q.Executar();
        }
        origem.Confirmar();
        origem.Fechar();
        Silenciosa ui;
        estado.ResumeTiming();
        manutencao::ImportarDeOutroBanco(destino, dic, servidor.Cadeia("ORIGEM"), false, ui);
        if (ui.erros) estado.SkipWithError("linhas com erro");
    }
    estado.counters["linhas/s"] =
        benchmark::Counter(static_cast<double>(linhas) * static_cast<double>(estado.iterations()),
                           benchmark::Counter::kIsRate);
}
BENCHMARK(ImportarTabela)->Arg(100000)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void InserirNoSqliteBruto(benchmark::State& estado) {
    const int linhas = static_cast<int>(estado.range(0));
    for (auto _ : estado) {
        estado.PauseTiming();
        Servidor servidor;
        sqlite3* db = nullptr;
        sqlite3_open((servidor.pasta / "bruto.sqlite").string().c_str(), &db);
        sqlite3_exec(db,
                     "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; CREATE TABLE GRANDE (Id "
                     "INTEGER PRIMARY KEY, Nome TEXT, Valor TEXT, Data TEXT)",
                     nullptr, nullptr, nullptr);
        sqlite3_stmt* ins = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO GRANDE VALUES (?, ?, '12.34', datetime('now'))", -1,
                           &ins, nullptr);
        estado.ResumeTiming();
        for (int i = 0; i < linhas; ++i) {
            const std::string nome = "Linha " + std::to_string(i);
            sqlite3_bind_int(ins, 1, i + 1);
            sqlite3_bind_text(ins, 2, nome.c_str(), -1, SQLITE_TRANSIENT);
            if (sqlite3_step(ins) != SQLITE_DONE) estado.SkipWithError(sqlite3_errmsg(db));
            sqlite3_reset(ins);
        }
        estado.PauseTiming();
        sqlite3_finalize(ins);
        sqlite3_close(db);
        estado.ResumeTiming();
    }
    estado.counters["linhas/s"] =
        benchmark::Counter(static_cast<double>(linhas) * static_cast<double>(estado.iterations()),
                           benchmark::Counter::kIsRate);
}
BENCHMARK(InserirNoSqliteBruto)
    ->Arg(100000)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
