#include "admin/usuarios_ativos.hpp"

#include "comum/texto.hpp"

namespace zolvek::admin {

const char* const kConsultaDosProcessos =
    "SELECT hostname,loginame, max(datediff(minute,login_time,getdate())) as Tempo FROM "
    "master.dbo.sysprocesses where DB_NAME(dbid)=:BD group by hostname,loginame";
const char* const kProcedimentoMatarProcesso = "MatarProcesso";

UsuariosAtivos::UsuariosAtivos(db::Conexao& conexao, const std::string& nomeDoBanco)
    : qryProcessos(&conexao), stpMatarProcesso(&conexao), conexao_(conexao) {
    qryProcessos.DefinirNomeDoComponente("qryProcessos");
    qryProcessos.DefinirSQL(kConsultaDosProcessos);
    qryProcessos.DefinirBloqueio(db::TipoDeBloqueio::SomenteLeitura);
    qryProcessos.DefinirTimeout(0);
    auto& bd = qryProcessos.ParametroPorNome("BD");
    bd.DefinirTipo(db::TipoDeParametro::Texto);
    bd.DefinirTexto(nomeDoBanco);
    stpMatarProcesso.DefinirNomeDoComponente("stpMatarProcesso");
    stpMatarProcesso.DefinirNome(kProcedimentoMatarProcesso);
    stpMatarProcesso.DefinirTimeout(0);
    stpMatarProcesso.CriarParametro("NOME", db::TipoDeParametro::Texto);
    stpMatarProcesso.CriarParametro("HOST", db::TipoDeParametro::Texto);
}

void UsuariosAtivos::Atualizar() {
    qryProcessos.Fechar();
    qryProcessos.Abrir();
}

std::vector<UsuarioAtivo> UsuariosAtivos::Linhas() {
    std::vector<UsuarioAtivo> linhas;
    if (!qryProcessos.Aberto()) return linhas;
    const db::Marcador marcador = qryProcessos.MarcadorAtual();
    for (qryProcessos.Primeiro(); !qryProcessos.Fim(); qryProcessos.Proximo()) {
        UsuarioAtivo linha;
        linha.hostname = qryProcessos.CampoPorNome("hostname").Texto();
        linha.loginame = qryProcessos.CampoPorNome("loginame").Texto();
        linha.tempo = qryProcessos.CampoPorNome("Tempo").Inteiro();
        linhas.push_back(std::move(linha));
    }
    if (!linhas.empty()) qryProcessos.IrParaMarcador(marcador);
    return linhas;
}

void UsuariosAtivos::MatarProcesso(const std::string& loginame, const std::string& hostname) {
    stpMatarProcesso.ParametroPorNome("NOME").DefinirTexto(loginame);
    stpMatarProcesso.ParametroPorNome("HOST").DefinirTexto(hostname);
    stpMatarProcesso.Preparar();
    stpMatarProcesso.Executar();
    Atualizar();
}

bool UsuariosAtivos::EhDaPropriaConexao(const std::string& loginame, const std::string& hostname) {
    db::Consulta propria(&conexao_);
    propria.DefinirSQL("select suser_sname() as Login, host_name() as Computador");
    propria.Abrir();
    // sysprocesses pads its names with blanks.
    return texto::IguaisSemCaixa(texto::Aparar(propria.CampoPorNome("Login").Texto()),
                                 texto::Aparar(loginame)) &&
           texto::IguaisSemCaixa(texto::Aparar(propria.CampoPorNome("Computador").Texto()),
                                 texto::Aparar(hostname));
}

}  // namespace zolvek::admin
