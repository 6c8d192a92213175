#pragma once

#include <gtest/gtest.h>

#include <string>

#include "admin/banco_de_teste.hpp"
#include "cli/rodar_cli.hpp"

namespace zolvek::teste {

// The demo company database as a new installation leaves it, and zolvek-cli run on it.
class EmpresaDemoPelaLinhaDeComando : public ::testing::Test {
  protected:
    void SetUp() override {
        banco.Executar(
            "CREATE TABLE PEMPRESA (idEmpresa INT IDENTITY(1,1), RAZAO_SOC "
            "VARCHAR(60) NOT NULL, RevisaoDoBD DEC(9,0) NULL)");
        banco.Executar("INSERT INTO PEMPRESA (RAZAO_SOC) VALUES ('Molvena')");
    }
    Execucao RodarComando(const std::string& comando, const std::string& argumentos,
                          const std::string& entrada = "/dev/null") {
        return RodarCli(banco.Pasta(),
                        comando + " --conexao " + Aspas(banco.Cadeia()) + " " + argumentos,
                        entrada);
    }

    BancoDeTeste banco{"EMPRESA_DEMO"};
};

}  // namespace zolvek::teste
