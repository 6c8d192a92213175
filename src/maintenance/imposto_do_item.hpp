#pragma once

#include <string>
#include <utility>
#include <vector>

#include "comum/decimal.hpp"

// The tax figures of one document item (ICMS, ICMS substitution, IPI and the fiscal-book
// breakdown), computed from the item, its document and a few looked-up values. Pure:
// the database part (atualizar_impostos_do_item.*) reads the inputs and writes the
// figures.
namespace zolvek::manutencao {

// The columns of the item row the computation reads (the current row of qryDocit).
struct ItemDoDocumento {
    bool vendas = true;  // a DOCRECIT item; false for DOCPAGIT
    std::string tipo;    // Tipo of the document, compared exactly
    Decimal valor;
    Decimal valorSemIsencao;  // ValorUnitárioSemIsenção (sales only)
    Decimal ipi;
    Decimal ipiTotal;
    Decimal ipiDespesasInclusas;
    Decimal redIcms;
    Decimal aliqIcms;
    Decimal descInc;
    Decimal totItens;
    std::string baseReduzida;  // BaseCálculoICMSReduzida of the document (sales only)
};

// Whose state, besides the document's own place, the operation needs.
enum class Parceiro { Fornecedor, Cliente, LocalDeDestino };
Parceiro ParceiroDaOperacao(bool vendas, const std::string& tipo);

// The looked-up values; a lookup without a row leaves its text empty and its number 0.
struct ValoresConsultados {
    std::string estadoDoLocal;     // state of the document's LOCAL
    std::string estadoDoParceiro;  // of the supplier, the client or DESTINO (ParceiroDaOperacao)
    std::string codIcmsDoProduto;  // CODICMS of ref
    Decimal mvaDoProduto;          // MVA of ref, percent
    std::string aplicacao;         // APLICACAO of codfis (any case)
};

struct EstadosDaOperacao {
    std::string origem;
    std::string destino;
};
EstadosDaOperacao DefinirEstados(const ItemDoDocumento& item, const ValoresConsultados& v);

// The figures; each one goes to its column only when that column is NULL.
struct ImpostosDoItem {
    Decimal baseIcms, icms, isencao, suspensao, substituicao, naoIncidencia, diferimento, outras;
    Decimal icmsSemIsencao, baseSt, icmsSt, baseIpi, isentasIpi, outrasIpi;
    std::string codIcms;  // the product's own code, written with BASECALC
};

// x * 100 rounded to 4 places (half to even), cut to whole cents, divided by 100.
Decimal TruncarEmCentavos(const Decimal& x);
// The same for the exact quotient numerador / divisor.
Decimal TruncarEmCentavos(const Decimal& numerador, const Decimal& divisor);

ImpostosDoItem CalcularImpostosDoItem(const ItemDoDocumento& item, const ValoresConsultados& v);

// The columns to fill and their values, in writing order, for a row of the item's
// table. BASECALC comes first: CODICMS is written only when BASECALC is.
std::vector<std::pair<std::string, Decimal>> ColunasDosImpostos(const ItemDoDocumento& item,
                                                                const ImpostosDoItem& f);

}  // namespace zolvek::manutencao
