#pragma once

#include <string>

#include "auxiliares.hpp"

// A company database with the fiscal tables the tax recalculation reads and writes:
// two places of business (L1 in SP, L2 in RJ), clients and suppliers in SP, RJ and
// abroad, products of several situation codes and fiscal codes of each application.
namespace zolvek::teste {

inline const char* const kValoresDoItem =
    "BASECALC numeric(14,2) NULL, LF_ISENCAO numeric(14,2) NULL, LF_SUSPENS numeric(14,2) NULL, "
    "LF_NAOINCI numeric(14,2) NULL, LF_DIFERIM numeric(14,2) NULL, LF_OUTRAS numeric(14,2) NULL, "
    "BASESTRIB numeric(14,2) NULL, ICMSSTINC numeric(14,2) NULL, BASEIPI numeric(14,2) NULL, "
    "ISENTASIPI numeric(14,2) NULL, OUTRASIPI numeric(14,2) NULL";

inline void CriarTabelasFiscais(db::Conexao& c) {
    auto x = [&](const std::string& sql) { ServidorDeTeste::Executar(c, sql); };
    x("CREATE TABLE FILIAL (FILIAL numeric(4,0) NOT NULL PRIMARY KEY, NOME varchar(60) NULL, "
      "ESTADO varchar(2) NOT NULL, [BaseCálculoICMSReduzida] varchar(1) NULL)");
    x("CREATE TABLE CADASTRO (NUMCAD numeric(9,0) NOT NULL PRIMARY KEY, NOME varchar(60) NULL, "
      "ESTADO varchar(2) NOT NULL)");
    x("CREATE TABLE CLIENTE (CLIENTE numeric(9,0) NOT NULL PRIMARY KEY, CONTICMS varchar(1) NULL, "
      "ESTADOENT varchar(2) NULL)");
    x("CREATE TABLE LOCAL (LOCAL varchar(10) NOT NULL PRIMARY KEY, FILIAL numeric(4,0) NULL, "
      "NUMCAD numeric(9,0) NULL)");
    x("CREATE TABLE CODFIS (CODFIS varchar(10) NOT NULL PRIMARY KEY, APLICACAO varchar(1) NULL)");
    x("CREATE TABLE REF (NUMREF numeric(9,0) NOT NULL PRIMARY KEY, DESCRICAO varchar(80) NULL, "
      "CODICMS varchar(2) NULL, MVA numeric(7,2) NULL)");
    x("CREATE TABLE DOCREC (Numint int IDENTITY(1,1) NOT NULL PRIMARY KEY, TIPO varchar(30) NOT "
      "NULL, CLIENTE numeric(9,0) NULL, LOCAL varchar(10) NOT NULL, DESTINO varchar(10) NULL, "
      "CODFIS varchar(10) NULL, IPI numeric(12,2) NULL, IPIDESPINC numeric(12,2) NULL, DESCINC "
      "numeric(12,2) NULL, TOTITENS numeric(12,2) NULL, [BaseCálculoICMSReduzida] varchar(1) "
      "NULL)");
    x(std::string("CREATE TABLE DOCRECIT (Id_item int IDENTITY(1,1) NOT NULL PRIMARY KEY, Numint "
                  "numeric(9,0) NOT NULL, NUMREF numeric(9,0) NOT NULL, CODFIS varchar(10) NULL, "
                  "COMPONENTE varchar(1) NULL, Valor numeric(14,2) NULL, "
                  "[ValorUnitárioSemIsenção] numeric(14,2) NULL, IPI numeric(12,2) NULL, CODICMS "
                  "varchar(2) NULL, REDICMS numeric(5,2) NULL, ALIQICMS numeric(5,2) NULL, ICM "
                  "numeric(14,2) NULL, LF_SUBSTRB numeric(14,2) NULL, [IcmsSemIsenção] "
                  "numeric(14,2) NULL, ") +
      kValoresDoItem + ", CONSTRAINT Check_DOCRECIT_Valor CHECK (BASECALC <> 13.13))");
    x("CREATE TABLE DOCPAG (Numint int IDENTITY(1,1) NOT NULL PRIMARY KEY, TIPO varchar(20) NOT "
      "NULL, FORNECEDOR numeric(9,0) NULL, LOCAL varchar(10) NOT NULL, CODFIS varchar(10) NULL, "
      "IPI numeric(12,2) NULL, IPIDESPINC numeric(12,2) NULL, DESCINC numeric(12,2) NULL, "
      "TOTITENS numeric(12,2) NULL)");
    x(std::string("CREATE TABLE DOCPAGIT (Id_item int IDENTITY(1,1) NOT NULL PRIMARY KEY, Numint "
                  "numeric(9,0) NOT NULL, NUMREF numeric(9,0) NOT NULL, CODFIS varchar(10) NULL, "
                  "Valor numeric(14,2) NULL, IPI numeric(12,2) NULL, CODICMS varchar(2) NULL, "
                  "REDICMS numeric(5,2) NULL, ALIQICMS numeric(5,2) NULL, ICMS numeric(14,2) NULL, "
                  "LF_SUBTRIB numeric(14,2) NULL, ") +
      kValoresDoItem + ")");
    x("CREATE TABLE RegMov (Hora datetime NULL, Operador varchar(128) NULL, Tipo varchar(20) "
      "NULL, Complemento varchar(250) NULL)");

    x("INSERT INTO FILIAL VALUES (1, 'Matriz', 'SP', 'N')");
    x("INSERT INTO FILIAL VALUES (2, 'Rio', 'RJ', 'N')");
    x("INSERT INTO CADASTRO VALUES (10, 'Cliente SP', 'SP')");
    x("INSERT INTO CADASTRO VALUES (11, 'Cliente RJ', 'SP')");  // delivery state RJ
    x("INSERT INTO CADASTRO VALUES (20, 'Fornecedor PR', 'PR')");
    x("INSERT INTO CADASTRO VALUES (21, 'Fornecedor exterior', 'EX')");
    x("INSERT INTO CLIENTE VALUES (10, 'S', NULL)");
    x("INSERT INTO CLIENTE VALUES (11, 'S', 'RJ')");
    x("INSERT INTO LOCAL VALUES ('L1', 1, NULL)");
    x("INSERT INTO LOCAL VALUES ('L2', 2, NULL)");
    x("INSERT INTO CODFIS VALUES ('5102', 'R')");
    x("INSERT INTO CODFIS VALUES ('1556', 'C')");
    x("INSERT INTO REF VALUES (1, 'Produto ST', '60', 40)");
    x("INSERT INTO REF VALUES (2, 'Produto tributado', '00', 0)");
    x("INSERT INTO REF VALUES (3, 'Produto isento', '40', 0)");
}

}  // namespace zolvek::teste
