#include "analysis/procedimentos_agregados.hpp"

#include <cstdint>
#include <optional>
#include <set>

#include "comum/erros.hpp"

namespace zolvek::analysis {

namespace {

struct ItemDaPasta {
    std::int64_t idLibAgr = 0;
    std::int64_t idPrgAgr = 0;
};

std::vector<ItemDaPasta> LerPasta(db::Conexao& conexao, std::optional<std::int64_t> pasta) {
    db::Consulta consulta(&conexao);
    consulta.DefinirTimeout(0);
    for (const auto& linha : ConsultaDaPasta(!pasta)) consulta.AdicionarLinha(linha);
    if (pasta) {
        auto& parametro = consulta.ParametroPorNome("idLibAgr");
        parametro.DefinirTipo(db::TipoDeParametro::Inteiro);
        parametro.DefinirDirecao(db::DirecaoDeParametro::Entrada);
        parametro.DefinirInteiro(*pasta);
    }
    consulta.Abrir();
    std::vector<ItemDaPasta> itens;
    for (; !consulta.Fim(); consulta.Proximo())
        itens.push_back({consulta.CampoPorNome("idLibAgr").Inteiro(),
                         consulta.CampoPorNome("idPrgAgr").Inteiro()});
    return itens;
}

void ExpandirPasta(db::Conexao& conexao, std::optional<std::int64_t> pasta,
                   std::set<std::int64_t>& expandidas, std::vector<std::string>& programas) {
    for (const auto& item : LerPasta(conexao, pasta)) {
        if (item.idPrgAgr > 0)
            programas.push_back(std::to_string(item.idPrgAgr));
        else if (expandidas.insert(item.idLibAgr).second)
            ExpandirPasta(conexao, item.idLibAgr, expandidas, programas);
    }
}

}  // namespace

std::vector<std::string> ConsultaDaPasta(bool raiz) {
    return {
        "select idLibAgr,idPrgAgr,Ordem,Tipo from(",
        "select idLibAgr,0 as idPrgAgr,Ordem,'' as Tipo from LibAgr",
        raiz ? "where itemDe is null" : "where itemDe=:idLibAgr /*Linha 2*/",
        "union all",
        "select 0 as idLibAgr,idPrgAgr,Ordem,Tipo from PrgAgr where Linguagem='SQL' and "
        "Status='Ativo' and Tipo not in ('Gatilho','Cálculo','Validação','Propagação','Apoio')",
        raiz ? "and fkLibAgr is null" : "and fkLibAgr=:idLibAgr /*Linha 5*/",
        ") t order by Ordem",
    };
}

std::vector<std::string> ListarProgramasDaBiblioteca(db::Conexao& conexao) {
    std::vector<std::string> programas;
    std::set<std::int64_t> expandidas;
    ExpandirPasta(conexao, std::nullopt, expandidas, programas);
    return programas;
}

ProgramaAgregado ObterProgramaAgregado(db::Consulta& consulta, const std::string& id) {
    consulta.Fechar();
    auto& parametro = consulta.ParametroPorNome("idPrgAgr");
    parametro.DefinirTipo(db::TipoDeParametro::Inteiro);
    parametro.DefinirTexto(id);
    consulta.Abrir();
    if (consulta.QuantidadeDeRegistros() != 1)
        throw Erro("Programa agregado nº " + id + " não encontrado");
    return {consulta.CampoPorNome("Tipo").Texto(), consulta.CampoPorNome("Nome").Texto(),
            consulta.CampoPorNome("Fonte").Texto()};
}

}  // namespace zolvek::analysis
