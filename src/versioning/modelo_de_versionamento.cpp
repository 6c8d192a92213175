#include "versioning/modelo_de_versionamento.hpp"

#include "comum/texto.hpp"

namespace zolvek::versionamento {

namespace dic = zolvek::dicionario;

const std::vector<std::string>& VersionadaEmRegTab() {
    static const std::vector<std::string> nomes = {"DOCPAG",
                                                   "DOCPAGVC",
                                                   "DOCPAGCC",
                                                   "DOCPAGIT",
                                                   "DOCREC",
                                                   "DOCRECVC",
                                                   "DOCRECCC",
                                                   "DOCRECIT",
                                                   "DIARIO",
                                                   "LCBA2Hdr",
                                                   "LCBA2",
                                                   "Pedido",
                                                   "PedidoIt",
                                                   "PedidoVC",
                                                   "PedidoCC",
                                                   "PedVenda",
                                                   "PedVendaIt",
                                                   "PedVendaVC",
                                                   "PedVendaCC",
                                                   "Mapcot",
                                                   "MapcotIt",
                                                   "MapcotSI",
                                                   "MapcotSIVC",
                                                   "Orçamento",
                                                   "OrçamentoIt",
                                                   "OrçamentoVC",
                                                   "Filial",
                                                   "REF",
                                                   "BENS",
                                                   "OCORBEM",
                                                   "BSEBEM",
                                                   "ORCAM",
                                                   "ORÇAMENTOVND",
                                                   "PEDVENDAVND",
                                                   "DOCRECVND",
                                                   "CADASTRO",
                                                   "FORNEC",
                                                   "CLIENTE",
                                                   "AGENDA",
                                                   "DISPAGE",
                                                   "ORDEMSERVIÇO",
                                                   "ORDEMSERVIÇOIT",
                                                   "LOTEENVIONFE",
                                                   "REFDECOR",
                                                   "REFEXCEÇÃOICMS",
                                                   "TIPREF",
                                                   "TIPREFEXCEÇÃOICMS"};
    return nomes;
}

const std::vector<std::string>& VersionadaEmRegVer() {
    static const std::vector<std::string> nomes = {"PEMPRESA", "PARFN",    "PARAMPI",
                                                   "PARFROTA", "PARHIS",   "PARIMG",
                                                   "PARTS",    "StatusBD", "LCBA1Hdr"};
    return nomes;
}

std::string TabelaDeHistorico(ClasseDeVersionamento classe) {
    return classe == ClasseDeVersionamento::F ? "RegTab" : "RegVer";
}

bool TabelaDaClasse(std::string_view nome, ClasseDeVersionamento classe) {
    const auto& lista =
        classe == ClasseDeVersionamento::F ? VersionadaEmRegTab() : VersionadaEmRegVer();
    for (const auto& listado : lista)
        if (texto::IguaisSemCaixa(listado, nome)) return true;
    return false;
}

std::vector<const dic::TabelaDic*> TabelasVersionadas(const dic::DicionarioDeDados& dicionario,
                                                      ClasseDeVersionamento classe) {
    std::vector<const dic::TabelaDic*> tabelas;
    for (const auto& tabela : dicionario.Tabelas())
        if (TabelaDaClasse(tabela.Nome, classe)) tabelas.push_back(&tabela);
    return tabelas;
}

bool CampoVersionado(const dic::TabelaDic& tabela, const dic::CampoDic& campo) {
    using texto::IguaisSemCaixa;
    if (campo.Tipo == 'R') return false;
    if (IguaisSemCaixa(campo.Nome, "LctoContabilEmEdicao")) return false;
    if ((IguaisSemCaixa(tabela.Nome, "DOCREC") || IguaisSemCaixa(tabela.Nome, "DOCPAG")) &&
        (IguaisSemCaixa(campo.Nome, "DATAALT") || IguaisSemCaixa(campo.Nome, "DATAINC")))
        return false;
    if (IguaisSemCaixa(tabela.Nome, "LCBA2Hdr") &&
        (IguaisSemCaixa(campo.Nome, "DataDeInclusao") ||
         IguaisSemCaixa(campo.Nome, "DataUltimaAlteracao")))
        return false;
    return true;
}

std::vector<const dic::CampoDic*> CamposVersionados(const dic::TabelaDic& tabela) {
    std::vector<const dic::CampoDic*> campos;
    for (const auto& campo : tabela.Campos)
        if (CampoVersionado(tabela, campo)) campos.push_back(&campo);
    return campos;
}

TipoDeValor TipoDeValorDoCampo(const dic::CampoDic& campo) {
    if (campo.Tipo == 'B') return {"Binario", "varbinary(max)"};
    if (campo.Tipo == 'M' || (campo.Tipo == 'C' && campo.Tamanho > 50))
        return {"Texto", "varchar(max)"};
    return {"String", "varchar(50)"};
}

bool TemChaveDoRegistro(const dic::TabelaDic& tabela) {
    if (tabela.Campos.empty()) return false;
    const auto& primeiro = tabela.Campos.front();
    return primeiro.Tipo == 'S' || (primeiro.Tipo == 'N' && primeiro.Obrigatorio);
}

}  // namespace zolvek::versionamento
