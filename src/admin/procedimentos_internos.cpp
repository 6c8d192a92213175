#include "admin/procedimentos_internos.hpp"

#include "comum/erros.hpp"
#include "db/conjunto.hpp"

namespace zolvek::admin {

const char* const kConsultaDosProcedimentosInternos = "select Script from PARFN";
const char* const kGravacaoDosProcedimentosInternos = "update PARFN set Script=:SCRIPT";

std::string LerProcedimentosInternos(db::Conexao& conexao) {
    db::Consulta consulta(&conexao);
    consulta.DefinirNomeDoComponente("qryScript");
    consulta.DefinirSQL(kConsultaDosProcedimentosInternos);
    consulta.Abrir();
    return consulta.Vazio() ? std::string() : consulta.CampoPorNome("Script").Texto();
}

void GravarProcedimentosInternos(db::Conexao& conexao, const std::string& script) {
    db::Consulta consulta(&conexao);
    consulta.DefinirNomeDoComponente("qryScript");
    consulta.DefinirSQL(kGravacaoDosProcedimentosInternos);
    auto& parametro = consulta.ParametroPorNome("SCRIPT");
    parametro.DefinirTipo(db::TipoDeParametro::Texto);
    parametro.DefinirTexto(script);
    consulta.Executar();
    if (consulta.LinhasAfetadas() < 1)
        throw ErroDeEntrada(
            "Os procedimentos internos não foram gravados: a tabela PARFN não tem nenhuma linha");
}

}  // namespace zolvek::admin
