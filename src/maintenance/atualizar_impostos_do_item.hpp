#pragma once

#include "db/conexao.hpp"
#include "db/conjunto.hpp"
#include "maintenance/imposto_do_item.hpp"

// The database side of one item's tax computation: the lookups, reading the item row
// and writing the figures into the columns that are still NULL.
namespace zolvek::manutencao {

// The lookup datasets and the row that is written, bound to the program's connection;
// created once per run and reused for every item.
struct ConsultasDoItem {
    explicit ConsultasDoItem(db::Conexao& banco);

    db::Consulta qryBuscarEstadoFilial;
    db::Consulta qryBuscarEstadoCliente;
    db::Consulta qryBuscarEstadoFornecedor;
    db::Consulta qryBuscarCodigoTributacao;
    db::Consulta qryBuscarCodfis;
    db::Consulta updDocit;
};

// A field's value as an exact decimal (NULL reads as 0).
Decimal DecimalDoCampo(const db::Campo& campo);

// The item of the current row of `qryDocit` (the sales or purchase item query).
ItemDoDocumento LerItem(db::ConjuntoDeDados& qryDocit, bool vendas);

// Looks up the states, product and fiscal code of the item.
ValoresConsultados ConsultarValores(ConsultasDoItem& c, db::ConjuntoDeDados& qryDocit,
                                    const ItemDoDocumento& item);

// Computes and writes the taxes of the current row of `qryDocit`. Runs inside the
// caller's transaction; any failure propagates for the caller to roll back.
void AtualizarImpostosDoItem(ConsultasDoItem& c, db::ConjuntoDeDados& qryDocit, bool vendas);

}  // namespace zolvek::manutencao
