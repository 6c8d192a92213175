#pragma once

#include <memory>
#include <vector>

// The statement trees' types, declared only: for the headers that take them by reference
// and need not know them whole (arvore.hpp defines them).
namespace zolvek::simulador {

struct Clausulas;
struct Comando;
struct Consulta;
struct ConsultaNomeada;
struct Expressao;
struct Juncao;
struct NomeComposto;

template <class T>
struct Lida;
using ExpressaoLida = Lida<Expressao>;
using ConsultaLida = Lida<Consulta>;
using ClausulasLidas = Lida<Clausulas>;

namespace instrucao {

// WITH x AS (...) before a data change: the named queries it reads, and may change.
using ConsultasNomeadas = std::shared_ptr<const std::vector<ConsultaNomeada>>;

struct Topo;
struct ClausulaDeSaida;
struct ValorDaInsercao;
struct Selecionar;
struct Inserir;
struct Atualizar;
struct Excluir;
struct Mesclar;

}  // namespace instrucao

}  // namespace zolvek::simulador
