#include "admin/historico.hpp"

namespace zolvek::admin {

const std::array<ColunaDoHistorico, 4>& ColunasDoHistorico() {
    static const std::array<ColunaDoHistorico, 4> colunas = {{{"Operador", 18, "Operador"},
                                                              {"Hora", 14, "Hora"},
                                                              {"Tipo", 7, "Tipo"},
                                                              {"Complemento", 100, "Complemento"}}};
    return colunas;
}

void AbrirHistorico(db::Consulta& qryRegmov) {
    qryRegmov.Fechar();
    qryRegmov.LimparSQL();
    qryRegmov.AdicionarLinha("select * from regmov where");
    qryRegmov.AdicionarLinha("tipo='Analisar' or tipo='Liberar' order by hora desc");
    qryRegmov.DefinirBloqueio(db::TipoDeBloqueio::SomenteLeitura);
    qryRegmov.Abrir();
}

std::vector<std::vector<std::string>> LinhasDoHistorico(db::Consulta& qryRegmov) {
    std::vector<std::vector<std::string>> linhas;
    for (qryRegmov.Primeiro(); !qryRegmov.Fim(); qryRegmov.Proximo()) {
        std::vector<std::string> linha;
        for (const auto& coluna : ColunasDoHistorico())
            linha.push_back(qryRegmov.CampoPorNome(coluna.campo).TextoDeExibicao());
        linhas.push_back(std::move(linha));
    }
    qryRegmov.Primeiro();
    return linhas;
}

}  // namespace zolvek::admin
