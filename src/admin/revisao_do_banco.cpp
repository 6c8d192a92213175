#include "admin/revisao_do_banco.hpp"

#include "db/texto_sql.hpp"

namespace zolvek::admin {

namespace {

void ExecutarNaConsulta(db::Consulta& consulta, const std::string& sql) {
    consulta.Fechar();
    consulta.DefinirSQL(sql);
    consulta.Executar();
}

void GravarRevisao(db::Consulta& consulta, int revisao) {
    consulta.Fechar();
    consulta.DefinirSQL("select RevisaoDoBD from PEMPRESA");
    consulta.Abrir();
    const bool semLinha = consulta.Vazio();
    consulta.Fechar();
    if (semLinha) ExecutarNaConsulta(consulta, "insert PEMPRESA default values");
    consulta.DefinirSQL("update PEMPRESA set RevisaoDoBD=:revisao");
    db::Parametro& parametro = consulta.ParametroPorNome("revisao");
    parametro.DefinirDirecao(db::DirecaoDeParametro::Entrada);
    parametro.DefinirTipo(db::TipoDeParametro::Inteiro);
    parametro.DefinirInteiro(revisao);
    consulta.Executar();
}

}  // namespace

std::string ComandoDeMultiplosUsuarios(const std::string& nomeDoBanco) {
    return db::AlterarBanco(nomeDoBanco, "SET MULTI_USER");
}

void AtualizarRevisaoDoBanco(db::Consulta& consulta, int revisao, const std::string& nomeDoBanco) {
    if (revisao > 0) GravarRevisao(consulta, revisao);
    ExecutarNaConsulta(consulta, ComandoDeMultiplosUsuarios(nomeDoBanco));
}

}  // namespace zolvek::admin
