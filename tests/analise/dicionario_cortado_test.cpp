// A dictionary file cut short is refused before the analysis sends anything that changes
// the database.
#include <gtest/gtest.h>

#include "ambiente_da_analise.hpp"
#include "comum/texto.hpp"
#include "dicionario_de_teste.hpp"

namespace zolvek::analysis::teste {
namespace {

using Lista = std::vector<std::string>;

TEST(DicionarioCortado, RecusadoAntesDeQualquerComandoDaAnalise) {
    AmbienteDaAnalise a;
    std::string texto = TextoDoDicionario(DicionarioPaiEFilho());
    // Cut at a line end inside the second table's fields.
    texto.resize(texto.find("Situacao,"));
    a.EscreverTextoDoDicionario(texto);
    Lista enviados;
    a.modulo.Banco.DefinirObservadorDeComandos(
        [&](std::string_view comando) { enviados.emplace_back(comando); });
    try {
        a.Analisar();
        FAIL() << "o dicionário cortado foi aceito";
    } catch (const ErroDeEntrada& e) {
        EXPECT_NE(std::string(e.what()).find(
                      "com o dicionário de dados é inválido: a linha 4 declara 2 tabela(s), 11 "
                      "campo(s) e 4 índice(s), mas o arquivo tem 2 tabela(s), 7 campo(s) e 1 "
                      "índice(s) (arquivo cortado ou alterado)"),
                  std::string::npos)
            << e.what();
    }
    a.modulo.Banco.DefinirObservadorDeComandos({});
    for (const std::string& comando : enviados)  // the database name and version only
        for (const char* palavra : {"ALTER", "CREATE", "INSERT", "UPDATE", "DROP"})
            EXPECT_EQ(texto::Maiusculas(comando).find(palavra), std::string::npos) << comando;
    EXPECT_TRUE(a.interface.eventos.empty());
    EXPECT_EQ(a.Coluna("select user_access_desc from sys.databases where name = 'EMPRESA'"),
              Lista{"MULTI_USER"});
    EXPECT_EQ(a.Coluna("select count(*) from sysobjects where name in ('PAI', 'FILHO')"),
              Lista{"0"});
}

}  // namespace
}  // namespace zolvek::analysis::teste
