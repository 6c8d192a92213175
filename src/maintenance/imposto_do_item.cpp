#include "maintenance/imposto_do_item.hpp"

#include "comum/texto.hpp"

namespace zolvek::manutencao {

namespace {

// Made at their first use, not when any program starts (a Decimal costs some thousand
// instructions to make).
const Decimal& Cem() {
    static const Decimal cem(100);
    return cem;
}
const Decimal& Centesimo() {
    static const Decimal centesimo = Decimal::Ler("0.01");
    return centesimo;
}

bool EhRetorno(const std::string& tipo) {
    return tipo == "Retorno" || tipo == "Retorno de venda";
}
bool EhTransferencia(const std::string& tipo) {
    return tipo == "Transferência" || tipo == "Transferência só fiscal";
}
bool EhOrgaoPublico(const std::string& tipo) {
    return tipo == "Orgão Público";
}

// Application "A" (fixed assets) or "C" (consumption), or a partner abroad: the IPI is
// part of the ICMS base and a purchase books it all under "outras".
bool SemCredito(const std::string& aplicacao, const EstadosDaOperacao& estados) {
    const std::string a = texto::Maiusculas(aplicacao);
    return a == "A" || a == "C" || estados.origem == "EX";
}

// The situation code that decides how the base is booked.
std::string SituacaoTributaria(const ItemDoDocumento& item, const ValoresConsultados& v) {
    if (item.vendas && item.baseReduzida == "S") return "20";
    return v.codIcmsDoProduto;
}

// Spreads `base` over the fiscal-book columns by situation code; any other code books
// nothing.
void DistribuirBase(const std::string& cst, const Decimal& base, const ItemDoDocumento& item,
                    ImpostosDoItem& f) {
    if (cst == "00") {
        f.baseIcms += base;
    } else if (cst == "10" || cst == "70") {
        f.substituicao += base;
    } else if (cst == "20") {
        const Decimal reducao = base * item.redIcms * Centesimo();
        f.isencao += reducao;
        f.baseIcms += base - reducao;
    } else if (cst == "30" || cst == "40") {
        f.isencao += base;
    } else if (cst == "41") {
        f.naoIncidencia += base;
    } else if (cst == "50") {
        f.suspensao += base;
    } else if (cst == "51") {
        f.diferimento += base;
    } else if (cst == "60") {
        f.baseIcms += base;
    } else if (cst == "90") {
        f.outras += base;
    }
}

}  // namespace

Parceiro ParceiroDaOperacao(bool vendas, const std::string& tipo) {
    if (!vendas) return Parceiro::Fornecedor;
    if (EhTransferencia(tipo)) return Parceiro::LocalDeDestino;
    return Parceiro::Cliente;
}

EstadosDaOperacao DefinirEstados(const ItemDoDocumento& item, const ValoresConsultados& v) {
    // Purchases and returns come from the partner to our place; transfers and other
    // sales go from our place to the partner.
    if (!item.vendas || EhRetorno(item.tipo)) return {v.estadoDoParceiro, v.estadoDoLocal};
    return {v.estadoDoLocal, v.estadoDoParceiro};
}

Decimal TruncarEmCentavos(const Decimal& x) {
    return TruncarEmCentavos(x, Decimal(1));
}

Decimal TruncarEmCentavos(const Decimal& numerador, const Decimal& divisor) {
    // Rounding the cents to 4 places first lets 1234.9999999 cents become 1235.
    const Decimal centavos =
        (numerador * Cem()).Dividir(divisor, 4, Arredondamento::MetadeParaPar).Truncar(0);
    return centavos.Dividir(Cem(), 2, Arredondamento::Truncar);
}

ImpostosDoItem CalcularImpostosDoItem(const ItemDoDocumento& item, const ValoresConsultados& v) {
    ImpostosDoItem f;
    f.codIcms = v.codIcmsDoProduto;
    const EstadosDaOperacao estados = DefinirEstados(item, v);
    const bool semCredito = SemCredito(v.aplicacao, estados);

    const Decimal valor = EhOrgaoPublico(item.tipo) ? item.valorSemIsencao : item.valor;
    const Decimal& ipi = item.ipi;
    Decimal itens = item.totItens;
    Decimal base = valor;
    if (semCredito) {
        base = valor + ipi;
    } else {
        itens = item.totItens - (item.ipiTotal - item.ipiDespesasInclusas);
        f.naoIncidencia += ipi;
    }
    if (itens > Decimal()) base -= TruncarEmCentavos(item.descInc * base, itens);

    if (ipi > Decimal())
        f.baseIpi = valor;
    else
        f.isentasIpi = valor;

    const std::string cst = SituacaoTributaria(item, v);
    // The margin is known only for a sale inside one state; ST is figured only then.
    const bool calcularSt =
        item.vendas && item.baseReduzida != "S" && estados.origem == estados.destino;
    const Decimal mva = calcularSt ? v.mvaDoProduto * Centesimo() : Decimal(-1);

    if (!item.vendas && semCredito) {
        f.outras += base;
        base = Decimal();
    }
    DistribuirBase(cst, base, item, f);
    if (cst == "60" && calcularSt) {
        f.baseSt = (f.baseIcms + ipi) * (Decimal(1) + mva);
        f.icmsSt = TruncarEmCentavos(item.aliqIcms * f.baseSt * Centesimo());
    }

    f.icms = item.aliqIcms * f.baseIcms * Centesimo();
    if (EhOrgaoPublico(item.tipo)) {
        f.icmsSemIsencao = f.icms;
        f.icms = Decimal();
    }
    return f;
}

std::vector<std::pair<std::string, Decimal>> ColunasDosImpostos(const ItemDoDocumento& item,
                                                                const ImpostosDoItem& f) {
    std::vector<std::pair<std::string, Decimal>> c = {
        {"BASECALC", f.baseIcms},
        {item.vendas ? "ICM" : "ICMS", f.icms},
        {"LF_ISENCAO", f.isencao},
        {"LF_SUSPENS", f.suspensao},
        {item.vendas ? "LF_SUBSTRB" : "LF_SUBTRIB", f.substituicao},
        {"LF_NAOINCI", f.naoIncidencia},
        {"LF_DIFERIM", f.diferimento},
        {"LF_OUTRAS", f.outras},
        {"BASESTRIB", f.baseSt},
        {"ICMSSTINC", f.icmsSt},
    };
    if (item.vendas) c.emplace_back("IcmsSemIsenção", f.icmsSemIsencao);
    const bool comIpi = item.ipiTotal > Decimal();
    c.emplace_back("BASEIPI", comIpi ? f.baseIpi : Decimal());
    c.emplace_back("ISENTASIPI", comIpi ? f.isentasIpi : Decimal());
    c.emplace_back("OUTRASIPI", Decimal());
    return c;
}

}  // namespace zolvek::manutencao
