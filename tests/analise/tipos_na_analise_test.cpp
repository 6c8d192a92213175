// Every column the analysis creates compares equal on the next run: a second run of the
// same dictionary alters nothing.
#include <gtest/gtest.h>

#include <algorithm>

#include "ambiente_da_analise.hpp"
#include "comum/texto.hpp"

namespace zolvek::analysis::teste {
namespace {

using Lista = std::vector<std::string>;

// A field line of the type code at the given size and decimals.
std::string Campo(const std::string& nome, const std::string& tipo, int tamanho = 0,
                  int decimais = 0, bool obrigatorio = false) {
    return nome + "," + tipo + "," + std::to_string(tamanho) + "," + std::to_string(decimais) +
           ",," + nome + ",,,,,," + (obrigatorio ? "S" : "N") + ",,,Z,";
}

// Every type code at the edges of its size and decimals.
Lista DicionarioDeTodosOsTipos() {
    return {
        "Tabela",
        "TIPOS,\"Todos os tipos\",N,Z",
        "Campos",
        Campo("id", "S"),
        Campo("Bytes", "B"),
        Campo("Memo", "M"),
        Campo("Memo2", "M", 0, 0, true),
        Campo("C1", "C", 1),
        Campo("C4000", "C", 4000),
        Campo("C4001", "C", 4001),
        Campo("C8000", "C", 8000, 0, true),
        Campo("Minusculo", "c", 10),
        Campo("L", "L", 10),
        Campo("Outro", "X", 12),
        Campo("SemTipo", "", 12),
        Campo("Data", "D"),
        Campo("Hora", "H", 0, 0, true),
        Campo("Moeda", "I"),
        Campo("Versao", "R"),
        Campo("N1", "N", 1),
        Campo("N9", "N", 9, 0, true),
        Campo("N10", "N", 10),
        Campo("N9_2", "N", 9, 2),
        Campo("N38", "N", 38),
        Campo("N38_38", "N", 38, 38),
        Campo("F1", "F", 1),
        Campo("F9", "F", 9, 0, true),
        Campo("F10", "F", 10),
        Campo("F9_2", "F", 9, 2),
        Campo("F38_10", "F", 38, 10),
        "Indices",
        "Chvpr_TIPOS,id,S,S",
        "IX_TIPOS_F9,\"F9,N9\",N,N",
    };
}

// The dictionaries here have no bookkeeping tables (RegMov, RegTab, RegVer): their
// rows are the only errors a run may list. (Runs leave the procedures out: an error-free
// run within the minimum standard would write the revision into a PEMPRESA there is
// not.)
void SemErrosNaTabela(const ResultadoDaAnalise& r, const std::string& tabela) {
    for (const LinhaDeErro& e : r.erros)
        EXPECT_NE(e.tabela, tabela) << e.descricao << " [" << e.comando << "]";
}

bool Menciona(const Lista& comandos, const std::string& trecho) {
    return std::any_of(comandos.begin(), comandos.end(),
                       [&](const std::string& s) { return s.find(trecho) != std::string::npos; });
}

TEST(TiposNaAnalise, SegundaExecucaoNaoAlteraNenhumaColunaCriada) {
    AmbienteDaAnalise a;
    a.EscreverDicionario(DicionarioDeTodosOsTipos());
    a.opcoes.CriarProcedimentos = false;
    SemErrosNaTabela(a.Analisar(), "TIPOS");
    EXPECT_EQ(a.Coluna("select data_type + ':' + isnull(cast(character_maximum_length as "
                       "varchar), '') + ':' + isnull(cast(numeric_precision as varchar), '') "
                       "from information_schema.columns where table_name = 'TIPOS' and "
                       "column_name in ('C4001', 'F9', 'F10', 'Outro') order by column_name"),
              (Lista{"varchar:4001:", "decimal::10", "int::10", "nvarchar:12:"}));

    // The second run, with the question before each alteration: nothing is asked,
    // nothing of the table is dropped or altered.
    Lista enviados;
    a.modulo.Banco.DefinirObservadorDeComandos(
        [&](std::string_view comando) { enviados.emplace_back(comando); });
    a.interface = InterfaceGravada();
    a.opcoes.ConfirmarAlteracao = true;
    SemErrosNaTabela(a.Analisar(), "TIPOS");
    a.modulo.Banco.DefinirObservadorDeComandos({});
    EXPECT_EQ(a.interface.perguntas, Lista{});
    ASSERT_FALSE(enviados.empty());
    // (Its foreign keys are dropped and created at every run, as always.)
    for (const char* trecho :
         {"ALTER TABLE [TIPOS] ALTER", "ALTER TABLE [TIPOS] ADD", "Chvpr_TIPOS", "Deflt_TIPOS",
          "Check_TIPOS", "DROP INDEX", "CREATE INDEX"})
        EXPECT_FALSE(Menciona(enviados, trecho)) << trecho;
    EXPECT_TRUE(Menciona(enviados, "GRANT SELECT,INSERT,UPDATE,DELETE ON [TIPOS]"));
}

// An "F" field of at most 9 digits over a decimal column made elsewhere takes the
// column's precision and scale, as before: the column is never narrowed to INT.
TEST(TiposNaAnalise, ColunaDecimalDeCampoFInteiroNaoEEstreitada) {
    AmbienteDaAnalise a;
    a.EscreverDicionario({"Tabela", "T,T,N,Z", "Campos", Campo("Valor", "F", 5)});
    a.opcoes.CriarProcedimentos = false;
    a.Executar("CREATE TABLE T (Valor DEC(12,2) NULL)");
    a.ExecutarAqui("INSERT INTO T (Valor) VALUES (1.25)");
    SemErrosNaTabela(a.Analisar(), "T");
    EXPECT_EQ(a.Coluna("select cast(Valor as varchar) from T"), Lista{"1.25"});
    EXPECT_EQ(a.Coluna("select data_type from information_schema.columns where table_name = "
                       "'T' and column_name = 'Valor'"),
              Lista{"decimal"});
}

}  // namespace
}  // namespace zolvek::analysis::teste
