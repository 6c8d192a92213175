#pragma once

#include <string>
#include <vector>

// A small dictionary for the tests of single steps: a table with a composite
// key and one that references it field by field, with value lists, a check and
// defaults.
namespace zolvek::analysis::teste {

inline std::vector<std::string> DicionarioPaiEFilho() {
  return {
      "Tabela",
      "PAI,\"Tabela pai\",N,Z",
      "Campos",
      "Empresa,N,4,0,,Empresa,,,,,,S,,,Z,",
      "Serie,C,3,,,Série,,,,,,S,,,Z,",
      "Numero,N,9,0,,Número,,,,,,S,,,Z,",
      "Indices",
      "Chave,\"Empresa,Serie,Numero\",S,S",
      "Tabela",
      "FILHO,\"Tabela filho\",N,Z",
      "Campos",
      "id,S,,,,Id,,,,,,N,,,Z,",
      "E,N,4,0,,E,,,PAI,Empresa...,,N,,,Z,",
      "S,C,3,,,S,,,PAI,...Serie...,,N,,,Z,",
      "N,N,9,0,,N,,,PAI,...Numero,,N,,,Z,",
      "Situacao,C,1,,,Situação,\"Ativo,Inativo,D'Ávila\",,,,,N,,,Z,",
      "Valor,N,12,2,,Valor,,,,,,S,\"Valor >= 0\",0,Z,",
      "Pai,N,4,0,,Pai,,,PAI,Empresa,,N,,,Z,",
      "Proprio,N,4,0,,Próprio,,,FILHO,Proprio,,N,,,Z,",
      "Indices",
      "Chvpr_FILHO,id,S,S",
      "IX_FILHO_ES,\"[E] DESC,S\",N,N",
      "UX_FILHO_N,N,S,N",
  };
}

} // namespace zolvek::analysis::teste
