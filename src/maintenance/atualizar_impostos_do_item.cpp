#include "maintenance/atualizar_impostos_do_item.hpp"

#include <variant>

#include "comum/erros.hpp"
#include "comum/texto.hpp"

namespace zolvek::manutencao {

namespace {

void Preparar(db::Consulta& q, db::Conexao& banco, const char* nome,
              std::initializer_list<const char*> linhas) {
    q.DefinirConexao(&banco);
    q.DefinirNomeDoComponente(nome);
    q.DefinirTimeout(0);
    q.DefinirBloqueio(db::TipoDeBloqueio::SomenteLeitura);
    for (const char* l : linhas) q.AdicionarLinha(l);
}

// The first row's value of `coluna`, or "" when the lookup found nothing.
std::string TextoDaPrimeiraLinha(db::Consulta& q, const char* coluna) {
    q.Fechar();
    q.Abrir();
    std::string t = q.Vazio() ? "" : q.CampoPorNome(coluna).Texto();
    q.Fechar();
    return t;
}

std::string EstadoDoLocal(ConsultasDoItem& c, const db::Valor& local) {
    c.qryBuscarEstadoFilial.ParametroPorNome("LOCAL").DefinirValor(local);
    return TextoDaPrimeiraLinha(c.qryBuscarEstadoFilial, "ESTADO");
}

std::string EstadoDoParceiro(ConsultasDoItem& c, db::ConjuntoDeDados& qryDocit,
                             const ItemDoDocumento& item) {
    switch (ParceiroDaOperacao(item.vendas, item.tipo)) {
        case Parceiro::Fornecedor:
            c.qryBuscarEstadoFornecedor.ParametroPorNome("FORNECEDOR")
                .DefinirValor(qryDocit.CampoPorNome("FORNECEDOR").Variante());
            return TextoDaPrimeiraLinha(c.qryBuscarEstadoFornecedor, "ESTADO");
        case Parceiro::LocalDeDestino:
            return EstadoDoLocal(c, qryDocit.CampoPorNome("DESTINO").Variante());
        case Parceiro::Cliente:
            break;
    }
    c.qryBuscarEstadoCliente.ParametroPorNome("CLIENTE").DefinirValor(
        qryDocit.CampoPorNome("Cliente").Variante());
    return TextoDaPrimeiraLinha(c.qryBuscarEstadoCliente, "ESTADO");
}

std::string TextoDoCampo(db::ConjuntoDeDados& q, const char* nome) {
    return q.CampoPorNome(nome).Texto();
}

}  // namespace

ConsultasDoItem::ConsultasDoItem(db::Conexao& banco) {
    Preparar(
        qryBuscarEstadoFilial, banco, "qryBuscarEstadoFilial",
        {"select", "BaseCálculoICMSReduzida, estado", "from filial",
         "inner join local on filial.filial = local.filial", "where local.local=:LOCAL",
         "union all", "select", "'' as BaseCálculoICMSReduzida,", "case",
         "when cliente.ESTADOENT is null", "then cadastro.estado",
         "else cliente.ESTADOENT end as ESTADO", "from local",
         "inner join cadastro on local.numcad=cadastro.numcad",
         "left outer join cliente on cadastro.numcad=cliente.cliente", "where local.local=:LOCAL"});
    qryBuscarEstadoFilial.ParametroPorNome("LOCAL").DefinirTipo(db::TipoDeParametro::Texto);
    Preparar(
        qryBuscarEstadoCliente, banco, "qryBuscarEstadoCliente",
        {"select", "cliente.conticms as \"ContribuinteICMS\",", "case",
         "when cliente.ESTADOENT is null", "then cadastro.estado",
         "else cliente.ESTADOENT end as ESTADO", "from", "cadastro", "left outer join cliente on",
         "cadastro.numcad=cliente.cliente", "where", "cadastro.numcad=:CLIENTE"});
    qryBuscarEstadoCliente.ParametroPorNome("CLIENTE").DefinirTipo(db::TipoDeParametro::Inteiro);
    Preparar(qryBuscarEstadoFornecedor, banco, "qryBuscarEstadoFornecedor",
             {"select estado", "from cadastro where numcad=:FORNECEDOR"});
    Preparar(qryBuscarCodigoTributacao, banco, "qryBuscarCodigoTributacao",
             {"select CODICMS,MVA from ref where numref=:NUMREF"});
    qryBuscarCodigoTributacao.ParametroPorNome("NUMREF").DefinirTipo(db::TipoDeParametro::Inteiro);
    Preparar(qryBuscarCodfis, banco, "qryBuscarCodfis",
             {"select * from codfis", "where codfis=:CODFIS"});
    qryBuscarCodfis.ParametroPorNome("CODFIS").DefinirTipo(db::TipoDeParametro::Texto);
    Preparar(updDocit, banco, "updDocit",
             {"select * from docpagit /*Linha 0*/", "where Id_Item=:ID_ITEM"});
    updDocit.DefinirBloqueio(db::TipoDeBloqueio::Atualizavel);
    updDocit.ParametroPorNome("ID_ITEM").DefinirTipo(db::TipoDeParametro::Inteiro);
}

Decimal DecimalDoCampo(const db::Campo& campo) {
    const db::Valor& v = campo.Variante();
    if (db::EhNulo(v)) return Decimal();
    if (const auto* d = std::get_if<db::Decimal>(&v)) return Decimal::Ler(d->texto);
    if (const auto* n = std::get_if<std::int64_t>(&v)) return Decimal(*n);
    if (const auto* r = std::get_if<double>(&v)) return Decimal::DeReal(*r);
    if (const auto* b = std::get_if<bool>(&v)) return Decimal(*b ? 1 : 0);
    if (const auto* s = std::get_if<std::string>(&v)) {
        Decimal d;
        if (Decimal::TentarLer(*s, d)) return d;
    }
    throw ErroDeEntrada("O campo " + campo.Nome() + " não contém um número: '" + campo.Texto() +
                        "'");
}

ItemDoDocumento LerItem(db::ConjuntoDeDados& q, bool vendas) {
    ItemDoDocumento item;
    item.vendas = vendas;
    item.tipo = TextoDoCampo(q, "Tipo");
    item.valor = DecimalDoCampo(q.CampoPorNome("Valor"));
    if (vendas) {
        item.valorSemIsencao = DecimalDoCampo(q.CampoPorNome("ValorUnitárioSemIsenção"));
        item.baseReduzida = TextoDoCampo(q, "BaseCálculoICMSReduzida");
    }
    item.ipi = DecimalDoCampo(q.CampoPorNome("IPI"));
    item.ipiTotal = DecimalDoCampo(q.CampoPorNome("IPITotal"));
    item.ipiDespesasInclusas = DecimalDoCampo(q.CampoPorNome("IPIDespesasInclusas"));
    item.redIcms = DecimalDoCampo(q.CampoPorNome("REDICMS"));
    item.aliqIcms = DecimalDoCampo(q.CampoPorNome("ALIQICMS"));
    item.descInc = DecimalDoCampo(q.CampoPorNome("DESCINC"));
    item.totItens = DecimalDoCampo(q.CampoPorNome("TOTITENS"));
    return item;
}

ValoresConsultados ConsultarValores(ConsultasDoItem& c, db::ConjuntoDeDados& q,
                                    const ItemDoDocumento& item) {
    ValoresConsultados v;
    v.estadoDoLocal = EstadoDoLocal(c, q.CampoPorNome("LOCAL").Variante());
    v.estadoDoParceiro = EstadoDoParceiro(c, q, item);

    auto& produto = c.qryBuscarCodigoTributacao;
    produto.ParametroPorNome("NUMREF").DefinirValor(q.CampoPorNome("NUMREF").Variante());
    produto.Fechar();
    produto.Abrir();
    if (!produto.Vazio()) {
        v.codIcmsDoProduto = produto.CampoPorNome("CODICMS").Texto();
        v.mvaDoProduto = DecimalDoCampo(produto.CampoPorNome("MVA"));
    }
    produto.Fechar();

    c.qryBuscarCodfis.ParametroPorNome("CODFIS").DefinirValor(q.CampoPorNome("CODFIS").Variante());
    v.aplicacao = texto::Maiusculas(TextoDaPrimeiraLinha(c.qryBuscarCodfis, "APLICACAO"));
    return v;
}

void AtualizarImpostosDoItem(ConsultasDoItem& c, db::ConjuntoDeDados& qryDocit, bool vendas) {
    const ItemDoDocumento item = LerItem(qryDocit, vendas);
    const ImpostosDoItem f = CalcularImpostosDoItem(item, ConsultarValores(c, qryDocit, item));

    auto& upd = c.updDocit;
    upd.Fechar();
    upd.DefinirSQL(std::string(vendas ? "select * from docrecit" : "select * from docpagit") +
                   "\r\nwhere Id_Item=:ID_ITEM");
    upd.ParametroPorNome("ID_ITEM").DefinirTipo(db::TipoDeParametro::Inteiro);
    upd.ParametroPorNome("ID_ITEM").DefinirValor(qryDocit.CampoPorNome("Id_item").Variante());
    upd.Abrir();
    // Editing an empty result would insert a new row: an item deleted meanwhile is an
    // error of that item, not a row to create.
    if (upd.Vazio())
        throw ErroDeBanco("O item " + qryDocit.CampoPorNome("Id_item").Texto() +
                          " não foi encontrado para gravar os tributos");
    upd.Editar();
    for (const auto& [coluna, valor] : ColunasDosImpostos(item, f)) {
        db::Campo& campo = upd.CampoPorNome(coluna);
        if (!campo.Nulo()) continue;
        campo.DefinirValor(db::Decimal{valor.Texto()});
        if (coluna == "BASECALC") upd.CampoPorNome("CODICMS").DefinirTexto(f.codIcms);
    }
    upd.Gravar();
    upd.Fechar();
}

}  // namespace zolvek::manutencao
