#pragma once

#include <string>
#include <vector>

#include "comum/comando.hpp"
#include "db/conexao.hpp"

// "Atualizar tributos dos itens...": fills the missing tax figures of the sales items
// (DOCRECIT) and then of the purchase items (DOCPAGIT), one transaction per item, with
// the database in single-user mode.
namespace zolvek::manutencao {

// Texts of the confirmation the front end shows before the run.
inline constexpr const char* kTituloDaConfirmacao = "Atualização dos tributos dos itens";
inline constexpr const char* kTextoDaConfirmacao =
    "Atualizar tributos dos itens nas entradas e saídas";
inline constexpr const char* kTituloDaEvolucao = "Aualizando tributos dos itens";
inline constexpr const char* kTituloDaImpressao = "Atualização dos tributos dos itens: Erros";

// The count of candidate items (qryTotalRegistros) and the sales item query
// (qryDocitBase), line by line.
const std::vector<std::string>& LinhasDoTotalDeRegistros();
const std::vector<std::string>& LinhasDoDocitBase();
// The purchase form of an item query written for sales.
std::vector<std::string> LinhasDeCompras(std::vector<std::string> linhasDeVendas);

struct ResultadoDaAtualizacao {
    bool cancelada = false;
    int erros = 0;
    int itens = 0;         // items whose transaction committed
    std::string desfecho;  // the text registered in RegMov
};

// Runs the recalculation after the user confirmed it. A refused single-user switch
// asks whether to show the active users and ends with Cancelamento; no candidate
// items raise "Não há registros a atualizar"; a failure outside the items closes the
// progress window and propagates.
ResultadoDaAtualizacao AtualizarImpostosDosItens(db::Conexao& banco, InterfaceDoComando& ui);

}  // namespace zolvek::manutencao
